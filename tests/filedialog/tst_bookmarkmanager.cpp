#include "ymrtest.h"

#include "filedialog/bookmarkmanager.h"
#include "qt/ymrapplication.h"
#include "qt/ymrlistview.h"
#include "qt/ymrpushbutton.h"

class TestBookmarkManager : public QObject
{
    Q_OBJECT
private slots:
    void buttonStates_data();
    void buttonStates();
    void editing();
    void goAccepts();
};

// enabled states of Up, Down, Remove, Go
void TestBookmarkManager::buttonStates_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("current");
    QTest::addColumn<QString>("states");
    QTest::newRow("empty") << 0 << -1 << "----";
    QTest::newRow("only one") << 1 << 0 << "--RG";
    QTest::newRow("first") << 3 << 0 << "-DRG";
    QTest::newRow("middle") << 3 << 1 << "UDRG";
    QTest::newRow("last") << 3 << 2 << "U-RG";
}

void TestBookmarkManager::buttonStates()
{
    QFETCH(int, count);
    QFETCH(int, current);
    QFETCH(QString, states);
    QStringList marks;
    for (int i = 0; i < count; ++i)
        marks << QString("/b%1").arg(i);
    BookmarkManager m(marks);
    YMRListViewItem *item = m.list->firstChild();
    for (int i = 0; i < current; ++i)
        item = item->nextSibling();
    if (item)
        m.list->setCurrentItem(item);
    QString got;
    got += m.btnUp->isEnabled() ? 'U' : '-';
    got += m.btnDown->isEnabled() ? 'D' : '-';
    got += m.btnRemove->isEnabled() ? 'R' : '-';
    got += m.btnGo->isEnabled() ? 'G' : '-';
    QCOMPARE(got, states);
    m.reject();
}

void TestBookmarkManager::editing()
{
    BookmarkManager m({"/a", "/b", "/c"});
    QCOMPARE(m.bookmarks(), (QStringList{"/a", "/b", "/c"}));
    QCOMPARE(m.list->currentItem()->text(0), QString("/a"));
    m.doDown();
    QCOMPARE(m.bookmarks(), (QStringList{"/b", "/a", "/c"}));
    m.doDown();
    QCOMPARE(m.bookmarks(), (QStringList{"/b", "/c", "/a"}));
    QVERIFY(!m.btnDown->isEnabled());
    m.doUp();
    QCOMPARE(m.bookmarks(), (QStringList{"/b", "/a", "/c"}));
    m.doRemove();
    QCOMPARE(m.bookmarks(), (QStringList{"/b", "/c"}));
    m.list->setCurrentItem(m.list->firstChild());
    m.doRemove();
    m.list->setCurrentItem(m.list->firstChild());
    m.doRemove();
    QVERIFY(m.bookmarks().isEmpty());
    QVERIFY(!m.btnUp->isEnabled() && !m.btnDown->isEnabled() && !m.btnRemove->isEnabled()
            && !m.btnGo->isEnabled());
    QVERIFY(m.goPath().isNull());
    m.reject();
}

void TestBookmarkManager::goAccepts()
{
    BookmarkManager m({"/a", "/b", "/c"});
    m.list->setCurrentItem(m.list->firstChild()->nextSibling()->nextSibling());
    QTimer::singleShot(0, m.btnGo, &QPushButton::click);
    QCOMPARE(m.exec(), int(QDialog::Accepted));
    QCOMPARE(m.goPath(), QString("/c"));
}

YMR_TEST_MAIN(TestBookmarkManager)
#include "tst_bookmarkmanager.moc"
