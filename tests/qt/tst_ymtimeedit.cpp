#include "ymrtest.h"
#include "ymrdatesettings.h"

#include "qpe/popupmenu.h"
#include "qt/ymrapplication.h"
#include "qt/ymrcombobox.h"
#include "qt/ymtimeedit.h"

#include <QLineEdit>

using ymrtest::setDateSettings;

class TestYMTimeEdit : public QObject
{
    Q_OBJECT
private slots:
    void init() { setDateSettings(false, 273); }
    void items_data();
    void items();
    void typedMinutes_data();
    void typedMinutes();
    void settingChangeResets();
};

static QStringList texts(YMRComboBox *c)
{
    QStringList l;
    for (int i = 0; i < c->count(); ++i)
        l << c->text(i);
    return l;
}

void TestYMTimeEdit::items_data()
{
    QTest::addColumn<bool>("ampm");
    QTest::addColumn<QStringList>("hours");
    QTest::newRow("24h") << false
                         << QStringList({"00", "01", "02", "03", "04", "05", "06", "07",
                                         "08", "09", "10", "11", "12", "13", "14", "15",
                                         "16", "17", "18", "19", "20", "21", "22", "23"});
    QTest::newRow("12h") << true
                         << QStringList({"12 AM", " 1 AM", " 2 AM", " 3 AM", " 4 AM", " 5 AM",
                                         " 6 AM", " 7 AM", " 8 AM", " 9 AM", "10 AM", "11 AM",
                                         "12 PM", " 1 PM", " 2 PM", " 3 PM", " 4 PM", " 5 PM",
                                         " 6 PM", " 7 PM", " 8 PM", " 9 PM", "10 PM", "11 PM"});
}

void TestYMTimeEdit::items()
{
    QFETCH(bool, ampm);
    QFETCH(QStringList, hours);
    setDateSettings(ampm, 273);
    YMTimeEdit e;
    QCOMPARE(texts(e.hourCombo()), hours);
    QCOMPARE(texts(e.minuteCombo()),
             QStringList({" 0", " 5", "10", "15", "20", "25", "30", "35", "40", "45", "50", "55"}));
    QVERIFY(!e.hourCombo()->editable());
    QCOMPARE(e.time(), QTime(0, 0));
    // the index is the 24-hour hour in both clocks
    QSignalSpy clicked(&e, &YMTimeEdit::timeClicked);
    e.setTime(QTime(13, 25));
    QCOMPARE(e.hourCombo()->currentText(), hours.at(13));
    QCOMPARE(e.minuteCombo()->currentItem(), 5);
    e.setTime(QTime());
    QCOMPARE(e.time(), QTime(13, 25));
    e.finish();
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.at(0).at(0).toTime(), QTime(13, 25));
}

void TestYMTimeEdit::typedMinutes_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QTime>("time");
    QTest::newRow("not a multiple of five") << "7" << QTime(8, 7);
    QTest::newRow("two digits") << "59" << QTime(8, 59);
    QTest::newRow("beyond 59 is refused") << "75" << QTime(8, 7);
    QTest::newRow("letters are refused") << "x" << QTime(8, 0);
    QTest::newRow("emptied") << "\b" << QTime();
}

void TestYMTimeEdit::typedMinutes()
{
    QFETCH(QString, typed);
    QFETCH(QTime, time);
    PopupMenu menu;
    auto *e = new YMTimeEdit(&menu);
    menu.insertItem(e);
    e->setTime(QTime(8, 0));
    menu.popup(QPoint(10, 10));
    QTRY_VERIFY(menu.isVisible());
    QSignalSpy clicked(e, &YMTimeEdit::timeClicked);
    QLineEdit *le = e->minuteCombo()->lineEdit();
    le->selectAll();
    QTest::keyClicks(le, typed);
    QTest::keyClick(le, Qt::Key_Return);
    if (!time.isValid()) {
        // nothing that is not a time is emitted, and the popup stays
        QCOMPARE(clicked.count(), 0);
        QVERIFY(menu.isVisible());
        return;
    }
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.at(0).at(0).toTime(), time);
    QVERIFY(clicked.at(0).at(0).toTime().isValid());
    QCOMPARE(e->minuteCombo()->count(), 12);
    QTRY_VERIFY(!menu.isVisible());
}

void TestYMTimeEdit::settingChangeResets()
{
    YMTimeEdit e;
    e.show();
    e.setTime(QTime(15, 40));
    setDateSettings(true, 273);
    QCOMPARE(e.hourCombo()->text(15), QStringLiteral(" 3 PM"));
    QCOMPARE(e.time(), QTime(0, 0));
    QCOMPARE(e.hourCombo()->currentItem(), 0);
    QCOMPARE(e.minuteCombo()->currentText(), QStringLiteral(" 0"));
}

YMR_TEST_MAIN(TestYMTimeEdit)
#include "tst_ymtimeedit.moc"
