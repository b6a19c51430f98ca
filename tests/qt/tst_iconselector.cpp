// ymr-test-screens: 240x320 480x640
#include "ymrtest.h"

#include "qt/iconselector.h"
#include "qt/ymrapplication.h"
#include "qt/ymrlistbox.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"


class TestIconSelector : public QObject
{
    Q_OBJECT
private slots:
    void form();
    void choosing_data();
    void choosing();
};

namespace {

// The next widget that Tab reaches after w.
QWidget *nextFocus(QWidget *w)
{
    QWidget *n = w->nextInFocusChain();
    while (n != w && (w->isAncestorOf(n) || !(n->focusPolicy() & Qt::TabFocus)))
        n = n->nextInFocusChain();
    return n;
}

void fill(IconSelector &sel)
{
    for (const char *name : {"books", "calc", "category", "clock"}) {
        QPixmap pm = YMRResource::loadPixmap(QLatin1String(name));
        QVERIFY(!pm.isNull());
        new YMRListBoxPixmap(sel.list, pm);
    }
}

} // namespace

void TestIconSelector::form()
{
    IconSelector sel;
    QCOMPARE(sel.objectName(), QStringLiteral("IconSelector"));
    QCOMPARE(sel.windowTitle(), QStringLiteral("Select Icon"));
    QCOMPARE(sel.list->objectName(), QStringLiteral("list"));
    QCOMPARE(sel.btnOk->text(), QStringLiteral("OK"));
    QCOMPARE(sel.btnCancel->text(), QStringLiteral("Cancel"));
    QVERIFY(sel.btnOk->isDefault());
    QCOMPARE(sel.list->columnMode(), int(YMRListBox::FitToWidth));
    // focus goes list, OK, Cancel
    QCOMPARE(nextFocus(sel.list), static_cast<QWidget *>(sel.btnOk));
    QCOMPARE(nextFocus(sel.btnOk), static_cast<QWidget *>(sel.btnCancel));
    sel.show();
    QVERIFY(sel.btnCancel->geometry().right() < sel.btnOk->geometry().left());
    QVERIFY(sel.list->geometry().bottom() < sel.btnOk->geometry().top());
}

void TestIconSelector::choosing_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("current");
    // the list starts with picture 1 current
    QTest::newRow("tap on a picture") << "tap2" << int(QDialog::Accepted) << 2;
    QTest::newRow("return on the current") << "return" << int(QDialog::Accepted) << 1;
    QTest::newRow("ok") << "ok" << int(QDialog::Accepted) << 1;
    QTest::newRow("cancel") << "cancel" << int(QDialog::Rejected) << 1;
    QTest::newRow("tap on empty space") << "empty" << int(QDialog::Accepted) << 1;
}

void TestIconSelector::choosing()
{
    QFETCH(QString, how);
    QFETCH(int, result);
    QFETCH(int, current);

    IconSelector sel(nullptr, nullptr, true);
    fill(sel);
    sel.list->setCurrentItem(1);
    sel.resize(225, 412);
    ymrtest::whenModalShown([&](QDialog *) {
        YMRListBox *list = sel.list;
        QTRY_VERIFY(list->itemRect(list->item(3)).isValid());
        if (how == QLatin1String("tap2")) {
            const QPoint p = list->itemRect(list->item(2)).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, p);
        } else if (how == QLatin1String("return")) {
            QTest::keyClick(list, Qt::Key_Return);
        } else if (how == QLatin1String("ok")) {
            sel.btnOk->click();
        } else if (how == QLatin1String("cancel")) {
            sel.btnCancel->click();
        } else {
            const QPoint p(list->viewport()->width() - 2, list->viewport()->height() - 2);
            QVERIFY(!list->itemAt(p));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, p);
        }
    });
    QCOMPARE(sel.exec(), result);
    QCOMPARE(sel.list->currentItem(), current);
}

YMR_TEST_MAIN(TestIconSelector)
#include "tst_iconselector.moc"
