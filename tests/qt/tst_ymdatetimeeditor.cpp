// ymr-test-screens: 240x320 480x640
#include "ymrtest.h"
#include "ymrdatesettings.h"

#include "qpe/popupmenu.h"
#include "qpe/qpeapplication.h"
#include "qt/ymcalendar.h"
#include "qt/ymcalendarview.h"
#include "qt/ymdatebutton.h"
#include "qt/ymdatetimeedit.h"
#include "qt/ymdatetimeeditor.h"
#include "qt/ymrapplication.h"
#include "qt/ymrcombobox.h"
#include "qt/ymtimebutton.h"
#include "qt/ymtimeedit.h"

#include <QLineEdit>

using ymrtest::setDateSettings;

class TestYMDateTimeEditor : public QObject
{
    Q_OBJECT
private slots:
    void init() { setDateSettings(false, 273); }
    void valueGoesEverywhere();
    void onlyDateAndOnlyTime();
    void onlyTimeKeepsEditedTime_data();
    void onlyTimeKeepsEditedTime();
    void noneStaysNone();
    void calendarPickKeepsTime_data();
    void calendarPickKeepsTime();
    void aboutToShowMovesCalendar();
    void timePickKeepsDate();
    void hideHalves_data();
    void hideHalves();
    void arrowsCrossHalves();
    void buttonIcons();
    void calendarFitsTheScreen();
};

static const QDateTime Start(QDate(2005, 7, 3), QTime(14, 20, 33));

void TestYMDateTimeEditor::valueGoesEverywhere()
{
    YMDateTimeEditor e;
    QSignalSpy changed(&e, SIGNAL(changed()));
    QSignalSpy dates(&e, SIGNAL(changed(QDate)));
    QSignalSpy times(&e, SIGNAL(changed(QTime)));
    e.setDateTime(Start);
    QCOMPARE(e.dateTime(), QDateTime(QDate(2005, 7, 3), QTime(14, 20)));
    QCOMPARE(e.dateEdit()->text(), QStringLiteral("03/07/2005"));
    QCOMPARE(e.timeEdit()->text(), QStringLiteral("14:20"));
    QCOMPARE(e.dateButton()->date(), QDate(2005, 7, 3));
    QCOMPARE(e.timeButton()->time(), QTime(14, 20, 33));
    QCOMPARE(changed.count(), 2);
    QCOMPARE(dates.last().at(0).toDate(), QDate(2005, 7, 3));
    QCOMPARE(times.last().at(0).toTime(), QTime(14, 20, 33));
    e.setTime(QTime(9, 5));
    QCOMPARE(e.dateTime(), QDateTime(QDate(2005, 7, 3), QTime(9, 5)));
    e.setDate(QDate(2006, 1, 2));
    QCOMPARE(e.dateTime(), QDateTime(QDate(2006, 1, 2), QTime(9, 5)));
    QCOMPARE(e.dateButton()->date(), QDate(2006, 1, 2));
    // the day typed into the date edit reaches the button
    QTest::keyClicks(e.dateEdit()->lineEdit(), QStringLiteral("15"));
    QCOMPARE(e.dateButton()->date(), QDate(2006, 1, 15));
}

void TestYMDateTimeEditor::onlyDateAndOnlyTime()
{
    YMDateTimeEditor e;
    e.setDateTime(Start);
    e.setOnlyTime(true);
    QCOMPARE(e.dateTime(), QDateTime(QDate(1974, 7, 3), QTime(14, 20)));
    QVERIFY(!e.dateEdit()->isEnabled() && !e.dateButton()->isEnabled());
    QVERIFY(e.timeEdit()->isEnabled());
    e.setOnlyTime(false);
    QVERIFY(e.dateEdit()->isEnabled() && e.dateButton()->isEnabled());
    QCOMPARE(e.focusProxy(), e.dateEdit());

    e.setDateTime(Start);
    e.setOnlyDate(true);
    QCOMPARE(e.dateTime(), QDateTime(QDate(2005, 7, 3), QTime(0, 0)));
    QCOMPARE(e.timeEdit()->text(), QStringLiteral("00:00"));
    QVERIFY(!e.timeEdit()->isEnabled() && !e.timeButton()->isEnabled());
    e.setOnlyDate(false);
    QVERIFY(e.timeEdit()->isEnabled() && e.timeButton()->isEnabled());
}

// However the time was edited, switching to time-only keeps it.
void TestYMDateTimeEditor::onlyTimeKeepsEditedTime_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("setTime") << 0;
    QTest::newRow("clock pick") << 1;
    QTest::newRow("typed") << 2;
}

void TestYMDateTimeEditor::onlyTimeKeepsEditedTime()
{
    QFETCH(int, how);
    YMDateTimeEditor e;
    e.setDateTime(Start);
    const QTime edited(8, 15);
    if (how == 0)
        e.setTime(edited);
    else if (how == 1)
        emit e.timeButton()->timeClicked(edited);
    else
        QTest::keyClicks(e.timeEdit()->lineEdit(), QStringLiteral("0815"));
    QCOMPARE(e.time(), edited);
    e.setOnlyTime(true);
    QCOMPARE(e.dateTime(), QDateTime(QDate(1974, 7, 3), edited));
    QCOMPARE(e.timeEdit()->text(), QStringLiteral("08:15"));
}

void TestYMDateTimeEditor::noneStaysNone()
{
    YMDateTimeEditor e;
    e.setDateTime(QDateTime());
    QCOMPARE(e.dateEdit()->text(), QStringLiteral("None"));
    QCOMPARE(e.timeEdit()->text(), QStringLiteral("None"));
    QVERIFY(!e.dateTime().isValid());
    // an invalid time never turns into midnight
    e.setDateTime(Start);
    e.setTime(QTime());
    QCOMPARE(e.timeEdit()->text(), QStringLiteral("None"));
    QVERIFY(!e.dateTime().isValid());
    QCOMPARE(e.date(), QDate(2005, 7, 3));
    e.setTime(QTime(8, 15));
    QCOMPARE(e.dateTime(), QDateTime(QDate(2005, 7, 3), QTime(8, 15)));
    e.setOnlyTime(true);
    e.setDate(QDate());
    QVERIFY(!e.dateTime().isValid());
}

void TestYMDateTimeEditor::calendarPickKeepsTime_data()
{
    QTest::addColumn<bool>("byTap");
    QTest::newRow("keys") << false;
    QTest::newRow("tap") << true;
}

void TestYMDateTimeEditor::calendarPickKeepsTime()
{
    QFETCH(bool, byTap);
    YMDateTimeEditor e;
    e.show();
    QVERIFY(QTest::qWaitForWindowExposed(&e));
    e.setDateTime(Start);
    QVERIFY(!e.dateButton()->calendar());
    QTest::mouseClick(e.dateButton(), Qt::LeftButton);
    PopupMenu *menu = e.dateButton()->popupMenu();
    QTRY_VERIFY(menu->isVisible());
    YMCalendar *cal = e.dateButton()->calendar();
    QVERIFY(cal);
    QCOMPARE(cal->date(), QDate(2005, 7, 3));
    // below the button; at its left edge unless the screen ends first
    const QRect screen = QPEApplication::screenRect();
    const QPoint below = e.dateButton()->mapToGlobal(QPoint(0, e.dateButton()->height()));
    QCOMPARE(menu->y(), below.y());
    if (below.x() + menu->width() <= screen.right() + 1)
        QCOMPARE(menu->x(), below.x());
    else
        QCOMPARE(menu->x(), qMax(screen.left(), screen.right() + 1 - menu->width()));
    if (byTap) {
        // 1 July 2005 is a Friday: row 1, column 5 with a Sunday week
        QTest::mouseClick(cal->view(), Qt::LeftButton, Qt::NoModifier,
                          cal->view()->cellRect(2, 4).center());
        QCOMPARE(e.dateTime(), QDateTime(QDate(2005, 7, 7), QTime(14, 20)));
    } else {
        // keys typed into the popup reach the calendar; the editor follows
        QTest::keyClick(menu->windowHandle(), Qt::Key_Right);
        QCOMPARE(e.date(), QDate(2005, 7, 4));
        QVERIFY(menu->isVisible());
        QTest::keyClick(menu->windowHandle(), Qt::Key_PageDown);
        QTest::keyClick(menu->windowHandle(), Qt::Key_Return);
        QCOMPARE(e.dateTime(), QDateTime(QDate(2005, 8, 4), QTime(14, 20)));
    }
    QTRY_VERIFY(!menu->isVisible());
    // a later value reaches the calendar made before
    e.setDate(QDate(2010, 10, 10));
    QCOMPARE(cal->date(), QDate(2010, 10, 10));
}

void TestYMDateTimeEditor::aboutToShowMovesCalendar()
{
    YMDateButton b;
    b.setDate(QDate(2005, 7, 3));
    QDate seen;
    connect(&b, &YMDateButton::aboutToShow, [&](QDate &d) {
        seen = d;
        d = QDate(2001, 2, 3);
    });
    b.show();
    b.popup();
    QCOMPARE(seen, QDate(2005, 7, 3));
    QCOMPARE(b.calendar()->date(), QDate(2001, 2, 3));
    QTRY_VERIFY(b.popupMenu()->isVisible());
    b.popupMenu()->close();
    // an invalid date changes nothing
    b.setDate(QDate());
    QCOMPARE(b.date(), QDate(2001, 2, 3));
}

void TestYMDateTimeEditor::timePickKeepsDate()
{
    YMDateTimeEditor e;
    e.show();
    QVERIFY(QTest::qWaitForWindowExposed(&e));
    e.setDateTime(Start);
    YMTimeButton *b = e.timeButton();
    QTest::mousePress(b, Qt::LeftButton); // opens on the press
    PopupMenu *menu = b->popupMenu();
    QTRY_VERIFY(menu->isVisible());
    YMTimeEdit *t = b->timeEdit();
    QVERIFY(t);
    QCOMPARE(t->time(), QTime(14, 20, 33));
    QVERIFY(b->isDown());
    // the hour keeps the popup open, the minute closes it
    QTest::keyClick(menu->windowHandle(), Qt::Key_Down);
    QCOMPARE(e.dateTime(), QDateTime(QDate(2005, 7, 3), QTime(15, 20)));
    QVERIFY(menu->isVisible());
    QTest::keyClick(t->minuteCombo()->lineEdit(), Qt::Key_Down);
    QCOMPARE(e.dateTime(), QDateTime(QDate(2005, 7, 3), QTime(15, 25)));
    QTRY_VERIFY(!menu->isVisible());
    QVERIFY(!b->isDown());
}

void TestYMDateTimeEditor::hideHalves_data()
{
    QTest::addColumn<bool>("twoRows");
    QTest::newRow("one row") << false;
    QTest::newRow("two rows") << true;
}

void TestYMDateTimeEditor::hideHalves()
{
    QFETCH(bool, twoRows);
    QWidget form;
    auto *e = new YMDateTimeEditor(&form, "when", twoRows);
    e->resize(e->sizeHint());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QRect dateEdit = e->dateEdit()->geometry(), timeEdit = e->timeEdit()->geometry();
    QCOMPARE(dateEdit.top() == timeEdit.top(), !twoRows);
    const int fullHeight = e->sizeHint().height();
    e->hideTime(true);
    QVERIFY(!e->timeEdit()->isVisible() && !e->timeButton()->isVisible());
    QVERIFY(e->dateEdit()->isVisible() && e->dateButton()->isVisible());
    if (twoRows)
        QVERIFY(e->sizeHint().height() < fullHeight);
    e->hideTime(false);
    QVERIFY(e->timeEdit()->isVisible() && e->timeButton()->isVisible());
    QCOMPARE(e->sizeHint().height(), fullHeight);
    e->hideDate(true);
    QVERIFY(!e->dateEdit()->isVisible() && !e->dateButton()->isVisible());
    QCOMPARE(e->focusProxy(), e->timeEdit());
    e->hideDate(false);
    QVERIFY(e->dateEdit()->isVisible());
    QCOMPARE(e->focusProxy(), e->dateEdit());
}

void TestYMDateTimeEditor::arrowsCrossHalves()
{
    YMDateTimeEditor e;
    e.show();
    QVERIFY(QTest::qWaitForWindowExposed(&e));
    e.activateWindow();
    e.setDateTime(Start);
    e.setFocus();
    QTRY_VERIFY(e.dateEdit()->lineEdit()->hasFocus());
    QTest::keyClick(e.dateEdit()->lineEdit(), Qt::Key_Right);
    QTest::keyClick(e.dateEdit()->lineEdit(), Qt::Key_Right);
    QTest::keyClick(e.dateEdit()->lineEdit(), Qt::Key_Right);
    QTRY_VERIFY(e.timeEdit()->lineEdit()->hasFocus());
    QCOMPARE(e.timeEdit()->lineEdit()->selectedText(), QStringLiteral("14"));
    QTest::keyClick(e.timeEdit()->lineEdit(), Qt::Key_Left);
    QTRY_VERIFY(e.dateEdit()->lineEdit()->hasFocus());
    e.setOnlyDate(true);
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(e.dateEdit()->lineEdit(), Qt::Key_Right);
    QVERIFY(e.dateEdit()->lineEdit()->hasFocus());
    // a hidden time takes no keys: a date typed to its end keeps them
    e.setOnlyDate(false);
    e.hideTime(true);
    for (int i = 0; i < 2; ++i)
        QTest::keyClick(e.dateEdit()->lineEdit(), Qt::Key_Left);
    QTest::keyClicks(e.dateEdit()->lineEdit(), QStringLiteral("31052026"));
    QVERIFY(e.dateEdit()->lineEdit()->hasFocus());
    QCOMPARE(e.date(), QDate(2026, 5, 31));
    e.hideTime(false);
    e.hideDate(true);
    e.timeEdit()->setFocus();
    QTest::keyClick(e.timeEdit()->lineEdit(), Qt::Key_Left);
    QVERIFY(e.timeEdit()->lineEdit()->hasFocus());
}

void TestYMDateTimeEditor::buttonIcons()
{
    YMDateTimeEditor e;
    const int icon = YMRApplication::isVGAScreen() ? 32 : 16;
    const qint64 date = e.dateButton()->icon().cacheKey();
    QCOMPARE(e.dateButton()->icon().availableSizes().value(0), QSize(icon, icon));
    QCOMPARE(e.timeButton()->icon().availableSizes().value(0), QSize(icon, icon));
    QVERIFY(e.dateButton()->sizeHint().height() >= icon);
    e.setClockIcons(true);
    QVERIFY(e.dateButton()->icon().cacheKey() != date);
    QCOMPARE(e.dateButton()->icon().pixmap(icon).toImage(),
             e.timeButton()->icon().pixmap(icon).toImage());
}

// The calendar pop-up, in the desktop's font, stays inside the screen.
void TestYMDateTimeEditor::calendarFitsTheScreen()
{
    ymrtest::useDesktopFont();
    YMDateTimeEditor e;
    e.show();
    QVERIFY(QTest::qWaitForWindowExposed(&e));
    e.dateButton()->popup();
    PopupMenu *menu = e.dateButton()->popupMenu();
    QTRY_VERIFY(menu->isVisible());
    const QSize screen = QPEApplication::screenRect().size();
    QVERIFY2(menu->width() <= screen.width() && menu->height() <= screen.height(),
             qPrintable(QStringLiteral("%1x%2").arg(menu->width()).arg(menu->height())));
    menu->hide();
}

YMR_TEST_MAIN(TestYMDateTimeEditor)
#include "tst_ymdatetimeeditor.moc"
