// ymr-test-screens: 240x320 480x640
#include "ymrtest.h"
#include "ymrdatesettings.h"

#include "qpe/qpeapplication.h"
#include "qt/ymcalendar.h"
#include "qt/ymcalendarview.h"
#include "qt/ymrapplication.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrspinbox.h"

#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

using ymrtest::setDateSettings;

class TestYMCalendar : public QObject
{
    Q_OBJECT
private slots:
    void init() { setDateSettings(false, 273); }
    void firstDay_data();
    void firstDay();
    void keys_data();
    void keys();
    void bar();
    void barOrder_data();
    void barOrder();
    void taps();
    void sizes();
};

static QPoint cellCentre(YMCalendarView *v, int row, int column)
{
    return v->cellRect(row, column).center();
}

void TestYMCalendar::firstDay_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<bool>("monday");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    // May 2005 begins on a Sunday, August 2005 on a Monday, February on a Tuesday
    QTest::newRow("Sunday first, Sunday week") << QDate(2005, 5, 10) << false << 2 << 0;
    QTest::newRow("Sunday first, Monday week") << QDate(2005, 5, 10) << true << 1 << 6;
    QTest::newRow("Monday first, Monday week") << QDate(2005, 8, 10) << true << 2 << 0;
    QTest::newRow("Monday first, Sunday week") << QDate(2005, 8, 10) << false << 1 << 1;
}

void TestYMCalendar::firstDay()
{
    QFETCH(QDate, date);
    QFETCH(bool, monday);
    QFETCH(int, row);
    QFETCH(int, column);
    YMCalendar c;
    c.show();
    c.setDate(date);
    // the shown calendar follows the week start
    setDateSettings(false, 273, QStringLiteral("/"), monday);
    YMCalendarView *v = c.view();
    QCOMPARE(v->dayAt(row, column), 1);
    if (row == 2) {
        for (int col = 0; col < 7; ++col)
            QCOMPARE(v->dayAt(1, col), 0);
    }
    for (int col = 0; col < 7; ++col)
        QCOMPARE(v->dayAt(0, col), 0);
}

void TestYMCalendar::keys_data()
{
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QDate>("result");
    QTest::addColumn<QString>("hint"); // the year box's, empty: none
    const QDate d(2005, 1, 31);
    QTest::newRow("left") << d << QList<int>{Qt::Key_Left} << QDate(2005, 1, 30) << QString();
    QTest::newRow("down") << d << QList<int>{Qt::Key_Down} << QDate(2005, 2, 7) << QString();
    QTest::newRow("page down clamps") << d << QList<int>{Qt::Key_PageDown} << QDate(2005, 2, 28) << QString();
    QTest::newRow("page down, leap year") << QDate(2004, 1, 31) << QList<int>{Qt::Key_PageDown}
                                          << QDate(2004, 2, 29) << QString();
    QTest::newRow("page up in January") << QDate(2005, 1, 15) << QList<int>{Qt::Key_PageUp}
                                        << QDate(2004, 12, 15) << QString();
    QTest::newRow("minus then 3") << d << QList<int>{Qt::Key_Minus, Qt::Key_3}
                                  << QDate(2005, 1, 28) << QString();
    QTest::newRow("plus then 9") << d << QList<int>{Qt::Key_Plus, Qt::Key_9}
                                 << QDate(2005, 2, 9) << QString();
    QTest::newRow("home") << d << QList<int>{Qt::Key_Home} << QDate() << QString();
    QTest::newRow("other keys") << d << QList<int>{Qt::Key_A, Qt::Key_Tab} << d << QString();
    // 0: a click in the year box, which then takes the keys
    QTest::newRow("a year typed into its box") << d << QList<int>{0, Qt::Key_2, Qt::Key_0, Qt::Key_2, Qt::Key_4, Qt::Key_Return}
                                               << QDate(2024, 1, 31) << QString();
    const QString notHad = QStringLiteral("Year %1 is not in the calendar (1752 to 8000): it keeps 2005.");
    QTest::newRow("half a year typed into its box") << d << QList<int>{0, Qt::Key_2, Qt::Key_0, Qt::Key_Return} << d
                                                    << notHad.arg(20);
    QTest::newRow("year 7") << d << QList<int>{0, Qt::Key_7, Qt::Key_Return} << d << notHad.arg(7);
    QTest::newRow("year 99") << d << QList<int>{0, Qt::Key_9, Qt::Key_9, Qt::Key_Return} << d << notHad.arg(99);
    QTest::newRow("year 0") << d << QList<int>{0, Qt::Key_0, Qt::Key_Return} << d << notHad.arg(0);
    QTest::newRow("year 1752") << d << QList<int>{0, Qt::Key_1, Qt::Key_7, Qt::Key_5, Qt::Key_2, Qt::Key_Return}
                               << QDate(1752, 1, 31) << QString();
}

void TestYMCalendar::keys()
{
    QFETCH(QDate, start);
    QFETCH(QList<int>, keys);
    QFETCH(QDate, result);
    QFETCH(QString, hint);
    YMCalendar c;
    c.setDate(start);
    QSignalSpy changed(&c, &YMCalendar::dateChanged);
    QSignalSpy clicked(&c, SIGNAL(dateClicked(QDate)));
    const QDate day = QDate::currentDate();
    QLineEdit *year = c.yearSpin()->editor();
    if (keys.contains(0)) {
        c.show();
        QApplication::setActiveWindow(&c);
        QVERIFY(QTest::qWaitForWindowActive(&c));
    }
    for (int k : keys) {
        if (k == 0)
            QTest::mouseClick(year, Qt::LeftButton);
        else
            QTest::keyClick(year->hasFocus() ? static_cast<QWidget *>(year) : &c, Qt::Key(k));
    }
    if (!result.isValid()) {
        QVERIFY(ymrtest::isToday(c.date(), day));
        result = c.date();
    }
    QCOMPARE(c.date(), result);
    QCOMPARE(c.monthCombo()->currentItem(), result.month() - 1);
    QCOMPARE(c.yearSpin()->value(), result.year());
    if (result != start)
        QCOMPARE(changed.last().at(0).toDate(), result);
    QCOMPARE(clicked.count(), 0);
    auto *label = year->findChild<QLabel *>(YMCalendar::hintName());
    QCOMPARE(label && label->isVisible() ? label->text() : QString(), hint);
    QTest::keyClick(&c, Qt::Key_Plus); // the direction is shared: leave it forward
}

void TestYMCalendar::bar()
{
    YMCalendar c;
    c.setDate(QDate(2004, 3, 31));
    QSignalSpy changed(&c, &YMCalendar::dateChanged);
    // the month choice keeps the year and clamps the day
    QTest::keyClick(c.monthCombo(), Qt::Key_Up);
    QCOMPARE(c.date(), QDate(2004, 2, 29));
    c.yearSpin()->stepUp();
    QCOMPARE(c.date(), QDate(2005, 2, 28));
    c.forwardButton()->click();
    QCOMPARE(c.date(), QDate(2005, 3, 28));
    c.backButton()->click();
    c.backButton()->click();
    QCOMPARE(c.date(), QDate(2005, 1, 28));
    QCOMPARE(changed.count(), 5);
    // setDate moves the bar without a signal
    c.setDate(QDate(1999, 11, 2));
    QCOMPARE(changed.count(), 5);
    QCOMPARE(c.monthCombo()->currentText(), QStringLiteral("Nov"));
    QCOMPARE(c.yearSpin()->value(), 1999);
    // the year runs from 1752 to 8000
    c.yearSpin()->setValue(1700);
    QCOMPARE(c.yearSpin()->value(), 1752);
    QCOMPARE(c.date(), QDate(1752, 11, 2));
    c.yearSpin()->setValue(9000);
    QCOMPARE(c.date(), QDate(8000, 11, 2));
}

void TestYMCalendar::barOrder_data()
{
    QTest::addColumn<int>("order");
    QTest::addColumn<bool>("yearFirst");
    QTest::newRow("day month year") << 273 << false;
    QTest::newRow("month day year") << 266 << false;
    QTest::newRow("year month day") << 84 << true;
    QTest::newRow("unknown code") << 5 << false;
}

void TestYMCalendar::barOrder()
{
    QFETCH(int, order);
    QFETCH(bool, yearFirst);
    YMCalendar c;
    c.resize(c.sizeHint());
    c.show();
    c.setDate(QDate(2005, 6, 30));
    // a settings change rebuilds the bar of a shown calendar
    setDateSettings(false, order);
    QVERIFY(c.monthCombo() && c.yearSpin());
    QTRY_VERIFY(c.monthCombo()->isVisible() && c.yearSpin()->isVisible());
    QCOMPARE(c.monthCombo()->currentText(), QStringLiteral("Jun"));
    QCOMPARE(c.yearSpin()->value(), 2005);
    QTRY_VERIFY(c.monthCombo()->x() != c.yearSpin()->x());
    QCOMPARE(c.yearSpin()->x() < c.monthCombo()->x(), yearFirst);
    QVERIFY(c.backButton()->x() < qMin(c.monthCombo()->x(), c.yearSpin()->x()));
    QVERIFY(c.forwardButton()->x() > qMax(c.monthCombo()->x(), c.yearSpin()->x()));
    // the rebuilt bar is wired like the first
    c.forwardButton()->click();
    QCOMPARE(c.date(), QDate(2005, 7, 30));
    QTest::keyClick(c.monthCombo(), Qt::Key_Down);
    QCOMPARE(c.date(), QDate(2005, 8, 30));
    c.setDate(QDate(2010, 1, 1));
    QCOMPARE(c.yearSpin()->value(), 2010);
}

void TestYMCalendar::taps()
{
    setDateSettings(false, 273, QStringLiteral("/"), true);
    YMCalendar c;
    c.resize(c.sizeHint().expandedTo(QSize(200, 180)));
    c.show();
    c.setDate(QDate(2005, 2, 10)); // begins on a Tuesday: row 1, column 1
    YMCalendarView *v = c.view();
    QSignalSpy clicked(&c, SIGNAL(dateClicked(QDate)));
    QSignalSpy clickedYmd(&c, SIGNAL(dateClicked(int, int, int)));
    QTest::mouseClick(v, Qt::LeftButton, Qt::NoModifier, cellCentre(v, 3, 2));
    QCOMPARE(c.date(), QDate(2005, 2, 16));
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.at(0).at(0).toDate(), QDate(2005, 2, 16));
    QCOMPARE(clickedYmd.at(0), QVariantList({2005, 2, 16}));
    // a header or empty cell changes nothing, but the release picks
    QTest::mouseClick(v, Qt::LeftButton, Qt::NoModifier, cellCentre(v, 0, 3));
    QTest::mouseClick(v, Qt::LeftButton, Qt::NoModifier, cellCentre(v, 1, 0));
    QTest::mouseClick(v, Qt::LeftButton, Qt::NoModifier, cellCentre(v, 6, 6));
    QCOMPARE(c.date(), QDate(2005, 2, 16));
    QCOMPARE(clicked.count(), 4);
    QCOMPARE(clicked.last().at(0).toDate(), QDate(2005, 2, 16));
    const QImage shot = v->grab().toImage();
    QCOMPARE(shot.pixelColor(v->cellRect(3, 2).bottomRight() - QPoint(2, 2)), QColor("#68BE68"));
}

void TestYMCalendar::sizes()
{
    YMCalendar c;
    const QFontMetrics fm(c.view()->font());
    int widest = 0;
    for (int i = 0; i < 7; ++i)
        widest = qMax(widest, fm.horizontalAdvance(YMCalendar::shortDayName(i)));
    // the widest weekday name sets the columns, unless the screen is narrower
    const int room = (QPEApplication::screenRect().width() - 20) / 7;
    QCOMPARE(c.view()->sizeHint(), QSize(qMin(widest + 4, room) * 7, (fm.height() + 2) * 7));
    // the arrows come from the screen's picture set
    const int icon = YMRApplication::isVGAScreen() ? 32 : 16;
    QCOMPARE(c.backButton()->icon().availableSizes().value(0), QSize(icon, icon));
    QCOMPARE(c.forwardButton()->icon().availableSizes().value(0), QSize(icon, icon));
}

YMR_TEST_MAIN(TestYMCalendar)
#include "tst_ymcalendar.moc"
