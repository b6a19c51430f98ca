#include "ymrtest.h"
#include "ymrdatesettings.h"

#include "qt/ymcalendar.h"
#include "qt/ymdatetimeedit.h"
#include "qt/ymdatetimesection.h"
#include "qt/ymrapplication.h"
#include "qt/ymrspinwidget.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScopeGuard>
#include <QVector>

using ymrtest::setDateSettings;

class TestYMDateTimeEdit : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void layouts_data();
    void layouts();
    void typing_data();
    void typing();
    void typedDates_data();
    void typedDates();
    void stepping_data();
    void stepping();
    void wishedDayFollowsSetDateTime();
    void noneIgnoresInput();
    void changedSignalsAndNavigation();
    void tapChoosesSection();
    void followsSettingsWhileShown();
    void sizeHintLeavesStateAlone();
};

// A character as a keyboard of that layout sends it: the keys it needs held
// (Shift, AltGr) pressed before it and released after it. "us": Shift for
// ":" and capitals; "de": "/" and ":" shifted; "fr" (AZERTY): every digit,
// "/" and "." shifted; "br" (ABNT2): "/" is AltGr+Q, ":" shifted. Empty:
// the character alone, as QTest sends it.
static void typeOn(QWidget *w, QChar c, const QString &keyboard)
{
    const QString shifted = keyboard == "us"   ? ":"
                            : keyboard == "de" ? "/:"
                            : keyboard == "fr" ? "0123456789/."
                            : keyboard == "br" ? ":"
                                               : "";
    QVector<Qt::Key> held;
    if (!keyboard.isEmpty() && (shifted.contains(c) || c.isUpper()))
        held << Qt::Key_Shift;
    if (keyboard == "br" && c == '/')
        held << Qt::Key_AltGr;
    Qt::KeyboardModifiers mods;
    const auto send = [w](QEvent::Type type, int key, Qt::KeyboardModifiers m, const QString &text) {
        QKeyEvent k(type, key, m, text);
        QApplication::sendEvent(w, &k);
    };
    for (Qt::Key k : held) {
        send(QEvent::KeyPress, k, mods, QString());
        mods |= k == Qt::Key_Shift ? Qt::ShiftModifier : Qt::GroupSwitchModifier;
    }
    const int key = c.unicode() < 0x80 ? c.toUpper().unicode() : 0;
    send(QEvent::KeyPress, key, mods, QString(c));
    send(QEvent::KeyRelease, key, mods, QString(c));
    for (int i = held.size() - 1; i >= 0; --i) {
        mods &= held[i] == Qt::Key_Shift ? ~Qt::ShiftModifier : ~Qt::GroupSwitchModifier;
        send(QEvent::KeyRelease, held[i], mods, QString());
    }
}

// Keys by character: digits, "<" Left, ">" Right, "+" Up, "-" Down; "!"
// the field is left (Tab), "|" the user comes back to it (Tab), "?" the
// window asks for the value (askedDateTime()), "~" the
// window loses the keys for a while, "^" a popup has them for a while; "="
// 31/05/2026 is set from outside; letters, and in separators other
// characters, are typed as they are. With a keyboard (typeOn()) digits,
// letters and separators are typed as its keys send them.
static void press(YMDateTimeEdit *e, const QString &keys, const QString &separators = QString(),
                  const QString &keyboard = QString())
{
    for (QChar c : keys) {
        if (!keyboard.isEmpty() && (c.isLetterOrNumber() || separators.contains(c))) {
            typeOn(e->lineEdit(), c, keyboard);
            continue;
        }
        if (c == '?') {
            e->askedDateTime();
            continue;
        }
        if (c == '|') {
            QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
            QApplication::sendEvent(e->lineEdit(), &in);
            continue;
        }
        if (c.isLetter()) {
            const int key = c.unicode() < 0x80 ? c.toUpper().unicode() : 0;
            QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
            QApplication::sendEvent(e->lineEdit(), &down);
            QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
            QApplication::sendEvent(e->lineEdit(), &up);
            continue;
        }
        if (c == '!' || c == '~' || c == '^') {
            const Qt::FocusReason why = c == '!' ? Qt::TabFocusReason
                                        : c == '~' ? Qt::ActiveWindowFocusReason : Qt::PopupFocusReason;
            QFocusEvent out(QEvent::FocusOut, why), in(QEvent::FocusIn, why);
            QApplication::sendEvent(e->lineEdit(), &out);
            if (c != '!')
                QApplication::sendEvent(e->lineEdit(), &in);
            continue;
        }
        if (c == '=') {
            e->setDateTime(QDateTime(QDate(2026, 5, 31), QTime(9, 0)));
            continue;
        }
        if (separators.contains(c)) {
            QTest::keyClick(e->lineEdit(), c.toLatin1());
            continue;
        }
        Qt::Key k;
        if (c.isDigit())
            k = Qt::Key(Qt::Key_0 + c.digitValue());
        else if (c == '<')
            k = Qt::Key_Left;
        else if (c == '>')
            k = Qt::Key_Right;
        else if (c == '+')
            k = Qt::Key_Up;
        else
            k = Qt::Key_Down;
        QTest::keyClick(e->lineEdit(), k);
    }
}

void TestYMDateTimeEdit::init()
{
    setDateSettings(false, 273);
}

void TestYMDateTimeEdit::layouts_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("ampm");
    QTest::addColumn<int>("order");
    QTest::addColumn<QString>("sep");
    QTest::addColumn<bool>("inMenu");
    QTest::addColumn<QString>("text");
    QTest::newRow("day first") << 0 << false << 273 << "." << false << "03.07.2005";
    QTest::newRow("month first") << 0 << false << 266 << "/" << false << "07/03/2005";
    QTest::newRow("year first") << 0 << false << 84 << "-" << false << "2005-07-03";
    QTest::newRow("unknown order") << 0 << false << 999 << "/" << false << "03/07/2005";
    QTest::newRow("empty separator") << 0 << false << 273 << "" << false << "03/07/2005";
    QTest::newRow("24h") << 1 << false << 273 << "/" << false << "21:05";
    QTest::newRow("12h outside a menu") << 1 << true << 273 << "/" << false << "21:05";
    QTest::newRow("12h in a menu") << 1 << true << 273 << "/" << true << "09:05 PM";
    QTest::newRow("duration") << 2 << false << 273 << "/" << false
                              << "02 day(s) 21 hour(s) 05 minute(s)";
}

void TestYMDateTimeEdit::layouts()
{
    QFETCH(int, mode);
    QFETCH(bool, ampm);
    QFETCH(int, order);
    QFETCH(QString, sep);
    QFETCH(bool, inMenu);
    QFETCH(QString, text);
    setDateSettings(ampm, order, sep);
    QMenu menu;
    YMDateTimeEdit e(mode, inMenu ? &menu : nullptr);
    e.setDateTime(QDateTime(QDate(2005, 7, 3), QTime(21, 5, 42)));
    QCOMPARE(e.text(), text);
    QCOMPARE(e.lineEdit()->text(), text);
    QCOMPARE(e.dateTime(), QDateTime(QDate(2005, 7, 3), QTime(21, 5)));
}

void TestYMDateTimeEdit::typing_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("order");
    QTest::addColumn<QDateTime>("start");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("nexts");
    QTest::addColumn<bool>("ampm");
    const QDateTime jan31(QDate(2005, 1, 31), QTime(14, 30));
    QTest::newRow("hour 3 completes") << 1 << 273 << jan31 << "3" << "03:30" << 1 << 0 << false;
    QTest::newRow("hour then minutes") << 1 << 273 << jan31 << "2359" << "23:59" << 1 << 1 << false;
    QTest::newRow("the last minute waits for a second digit") << 1 << 273 << jan31 << ">7" << "14:07" << 1 << 0 << false;
    QTest::newRow("hour 25 refused") << 1 << 273 << jan31 << "25" << "14:30" << 0 << 0 << false;
    QTest::newRow("day 0 waits for a second digit") << 0 << 273 << jan31 << "0" << "00/01/2005" << 0 << 0 << false;
    QTest::newRow("day 01 moves on") << 0 << 273 << jan31 << "0102" << "01/02/2005" << 2 << 0 << false;
    QTest::newRow("day 00 refused") << 0 << 273 << jan31 << "00" << "31/01/2005" << 0 << 0 << false;
    QTest::newRow("day 4 completes") << 0 << 273 << jan31 << "4" << "04/01/2005" << 1 << 0 << false;
    // a refused entry starts again at the first section
    QTest::newRow("month 13 refused") << 0 << 273 << jan31 << ">13" << "31/01/2005" << 0 << 0 << false;
    QTest::newRow("month 2 keeps day 31 shown") << 0 << 273 << jan31 << ">2" << "31/02/2005" << 2 << 0 << false;
    QTest::newRow("year 1984") << 0 << 84 << jan31 << "1984" << "1984/01/31" << 1 << 0 << false;
    QTest::newRow("year never 0") << 0 << 84 << jan31 << "0000" << "2005/01/31" << 0 << 0 << false;
    QTest::newRow("month 02, then a leap day")
        << 0 << 266 << QDateTime(QDate(2004, 1, 31), QTime(8, 0)) << "0229" << "02/29/2004" << 2
        << 0 << false;
    QTest::newRow("29 February waits for its year") << 0 << 266 << jan31 << "229" << "02/29/2005"
                                                    << 2 << 0 << false;
    QTest::newRow("day 31 shown in February") << 0 << 84 << jan31 << "200402" << "2004/02/31"
                                              << 2 << 0 << false;
    // two digits fill the 12-hour clock's hour as they fill any other
    QTest::newRow("12h 0130") << 1 << 273 << jan31 << "0130" << "01:30 PM" << 2 << 0 << true;
    QTest::newRow("12h 01 then minutes") << 1 << 273 << jan31 << "015" << "01:05 PM" << 1 << 0 << true;
    QTest::newRow("12h 0 waits") << 1 << 273 << jan31 << "0" << "00:30 PM" << 0 << 0 << true;
    QTest::newRow("12h 0 left behind") << 1 << 273 << jan31 << "0>" << "02:30 PM" << 1 << 0 << true;
    QTest::newRow("12h 13 refused") << 1 << 273 << jan31 << "13" << "02:30 PM" << 0 << 0 << true;
    QTest::newRow("12h 12 completes") << 1 << 273 << jan31 << "12" << "12:30 PM" << 1 << 0 << true;
    QTest::newRow("24h 0130") << 1 << 273 << jan31 << "0130" << "01:30" << 1 << 1 << false;
    QTest::newRow("month 01") << 0 << 273 << jan31 << ">01" << "31/01/2005" << 2 << 0 << false;
    QTest::newRow("duration days") << 2 << 273 << jan31 << "5"
                                   << "05 day(s) 14 hour(s) 30 minute(s)" << 1 << 0 << false;
}

void TestYMDateTimeEdit::typing()
{
    QFETCH(int, mode);
    QFETCH(int, order);
    QFETCH(QDateTime, start);
    QFETCH(QString, keys);
    QFETCH(QString, text);
    QFETCH(int, current);
    QFETCH(int, nexts);
    QFETCH(bool, ampm);
    setDateSettings(ampm, order);
    QMenu menu; // inside a menu the clock setting holds at once
    YMDateTimeEdit e(mode, &menu);
    e.setDateTime(start);
    QSignalSpy next(&e, &YMDateTimeEdit::next);
    press(&e, keys);
    QCOMPARE(e.text(), text);
    QCOMPARE(e.currentSection(), current);
    QCOMPARE(next.count(), nexts);
}

// Day, month and year in the place the date order gives them.
static QString inOrder(int order, const QString &d, const QString &m, const QString &y, const QString &sep = "/")
{
    return order == 266 ? m + sep + d + sep + y : order == 84 ? y + sep + m + sep + d : d + sep + m + sep + y;
}

static QString inOrder(int order, const QDate &date)
{
    return inOrder(order, date.toString("dd"), date.toString("MM"), date.toString("yyyy"));
}

// Dates typed digit by digit over another, in each date order: those users
// reported (the day checked against the month shown before the month was
// typed) and dates that do not exist; then entries that end otherwise, or
// not yet; separators and short years; times (mode 1) with numbers no
// clock has.
void TestYMDateTimeEdit::typedDates_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("ampm");
    QTest::addColumn<QString>("sep"); // the settings' date separator
    QTest::addColumn<int>("order");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text"); // shown after the keys
    QTest::addColumn<QDate>("date");   // the value then
    QTest::addColumn<QString>("hint"); // empty: none shown
    QTest::addColumn<QString>("locale"); // Qt's default locale, when given; "system:" the user's
    QTest::addColumn<QString>("keyboard"); // typeOn(): the layout the keys are typed on
    const QString keeps = QStringLiteral("%1 does not exist: the field keeps %2.");
    const struct {
        QDate start;
        const char *day, *month, *year;
    } typed[] = {
        {QDate(2026, 4, 15), "31", "05", "2026"}, {QDate(2026, 2, 10), "30", "03", "2026"},
        {QDate(2025, 2, 28), "31", "01", "2026"}, {QDate(2026, 11, 20), "31", "12", "2026"},
        {QDate(2025, 2, 10), "29", "02", "2024"}, {QDate(2026, 4, 15), "29", "02", "2024"},
        {QDate(2025, 2, 10), "29", "02", "2025"}, {QDate(2026, 4, 15), "31", "04", "2026"},
    };
    for (const int order : {266, 84, 273}) {
        for (const auto &t : typed) {
            const QString keys = inOrder(order, t.day, t.month, t.year, ""), shown = inOrder(order, t.day, t.month, t.year),
                          before = inOrder(order, t.start);
            const QDate date(QByteArray(t.year).toInt(), QByteArray(t.month).toInt(), QByteArray(t.day).toInt());
            QTest::addRow("%s over %s, %s", qPrintable(keys), qPrintable(before),
                          order == 266 ? "m/d/y" : order == 84 ? "y/m/d" : "d/m/y")
                << 0 << false << "/" << order << t.start << keys << (date.isValid() ? shown : before)
                << (date.isValid() ? date : t.start) << (date.isValid() ? QString() : keeps.arg(shown, before))
                << QString() << QString();
        }
    }
    // entries that end otherwise, or not yet: d/m/y over 15/04/2026 unless said
    const QDate apr15(2026, 4, 15), may31(2026, 5, 31), leap(2024, 2, 29), jan31(2005, 1, 31);
    const QString shown = QStringLiteral("15/04/2026");
    const auto row = [](const char *name, const char *keys, const QString &text, const QDate &date,
                        const QString &hint = QString(), int order = 273, const QDate &start = QDate(2026, 4, 15),
                        int mode = 0, bool ampm = false, const char *sep = "/", const char *locale = "",
                        const QString &keyboard = QString()) {
        QTest::newRow(name) << mode << ampm << QString(sep) << order << start << QString(keys) << text << date << hint
                            << QString(locale) << keyboard;
    };
    row("day 31 waits for its month", "31", "31/04/2026", apr15);
    row("day 31 of April left", "31!", shown, apr15, keeps.arg("31/04/2026", shown));
    row("day and month left", "3105!", "31/05/2026", may31);
    row("another window has the keys meanwhile", "31~05", "31/05/2026", may31);
    row("month alone over day 31", ">2!", "31/01/2005", jan31, keeps.arg("31/02/2005", "31/01/2005"), 273, jan31);
    row("year alone over a leap day", "2025", "2025/02/29", leap, QString(), 84, leap);
    row("month, then back to the day", ">02<<29>2024", "29/02/2024", leap);
    row("day 32", "32", shown, apr15, keeps.arg("Day 32", shown));
    row("month 13 after a day", "3113", shown, apr15, keeps.arg("Month 13", shown));
    row("year 0", "0000", "2026/04/15", apr15, keeps.arg("Year 0", "2026/04/15"), 84);
    // after a refusal the rest of the entry changes nothing, until the
    // field is started again
    row("keys after day 32", "3231052026", shown, apr15, keeps.arg("Day 32", shown));
    row("12.13.34", "12.13.34", shown, apr15, keeps.arg("Month 13", shown));
    row("keys after a refused date", "3104202630042026", shown, apr15, keeps.arg("31/04/2026", shown));
    row("typing again, the field entered again", "32|31052026", "31/05/2026", may31, keeps.arg("Day 32", shown));
    row("the date again, entered again", "31042026!|30042026", "30/04/2026", QDate(2026, 4, 30),
        keeps.arg("31/04/2026", shown));
    row("the date again after month 13, entered again", "13|05312026", "05/31/2026", may31,
        keeps.arg("Month 13", "04/15/2026"), 266);
    row("Right after a refusal starts it again", "32>5", "15/05/2026", QDate(2026, 5, 15), keeps.arg("Day 32", shown));
    row("Up after a refusal steps from the kept date", "32+", "16/04/2026", QDate(2026, 4, 16),
        keeps.arg("Day 32", shown));
    row("set from outside after a refusal", "32=1", "01/05/2026", QDate(2026, 5, 1), keeps.arg("Day 32", shown));
    row("a leading zero and its digit", "05", "05/04/2026", QDate(2026, 4, 5));
    row("a step from the date typed", "3105+", "31/05/2027", QDate(2027, 5, 31));
    row("no step from a date that does not exist", "31+", shown, apr15, keeps.arg("31/04/2026", shown));
    row("refused after a date set from outside", "31=04!", "31/05/2026", may31, keeps.arg("31/04/2026", "31/05/2026"));
    row("a popup has the keys meanwhile", "3^105!", "31/05/2026", may31);
    const QDate may1(2026, 5, 1);
    row("1/5/2026, d/m/y", "1/5/2026", "01/05/2026", may1);
    row("1-5-2026, d/m/y", "1-5-2026", "01/05/2026", may1);
    // a separator after the last field ends the entry at once
    row("29/02/2025/", "29/02/2025/", shown, apr15, keeps.arg("29/02/2025", shown));
    row("29/2/25/", "29/2/25/", shown, apr15, keeps.arg("29/02/2025", shown));
    row("Up after a date refused by its separator", "29/2/25/+", "16/04/2026", QDate(2026, 4, 16),
        keeps.arg("29/02/2025", shown));
    // the window asks for the value: what is typed is taken or refused then
    row("3105, asked", "3105?", "31/05/2026", may31);
    row("3104, asked", "3104?", shown, apr15, keeps.arg("31/04/2026", shown));
    row("3104, asked, then keys", "3104?2026", shown, apr15, keeps.arg("31/04/2026", shown));
    row("5/1/2026, m/d/y", "5/1/2026", "05/01/2026", may1, QString(), 266);
    row("2026-5-1, y/m/d", "2026-5-1!", "2026/05/01", may1, QString(), 84);
    row("1.5,2026, the settings' separator ','", "1.5,2026", "01,05,2026", may1, QString(), 273, apr15, 0, false, ",");
    row("a day its digit fills, then its separator", "4/5/2026", "04/05/2026", QDate(2026, 5, 4));
    row("31/4/2026", "31/4/2026", shown, apr15, keeps.arg("31/04/2026", shown));
    row("0/ is no day", "0/", shown, apr15, keeps.arg("Day 0", shown));
    row("two-digit year, left", "010526!", "01/05/2026", may1);
    row("two-digit year first, y/m/d", "26/5/1!", "2026/05/01", may1, QString(), 84);
    row("two-digit year after a separator", "5/1/26!", "05/01/2026", may1, QString(), 266);
    row("two-digit year over 2000", "010105!", "01/01/2005", QDate(2005, 1, 1), QString(), 273, QDate(2000, 1, 1));
    // a year is its typed digits alone, of 1-4 digits, whatever year was shown
    row("1.5.4, year 2004", "1.5.4!", "01/05/2004", QDate(2004, 5, 1));
    row("1/5/7 ended by Tab", "1/5/7!", "01/05/2007", QDate(2007, 5, 1));
    row("1.5.0 over 2027", "1.5.0!", "01/05/2000", QDate(2000, 5, 1), QString(), 273, QDate(2027, 4, 15));
    row("1/5/202, three digits as typed", "1/5/202!", "01/05/0202", QDate(202, 5, 1));
    row("1/5/2026 over 1999", "1/5/2026", "01/05/2026", may1, QString(), 273, QDate(1999, 12, 31));
    row("4/5/1, a one-digit year first", "4/5/1!", "2004/05/01", QDate(2004, 5, 1), QString(), 84);
    row("202/5/1, a three-digit year first", "202/5/1!", "0202/05/01", QDate(202, 5, 1), QString(), 84);
    row("a year shown while typed", "1/5/2", "01/05/2002", QDate(2002, 5, 1));
    row("000, left", "000!", "2026/04/15", apr15, keeps.arg("Year 0", "2026/04/15"), 84);
    row("000/", "000/", "2026/04/15", apr15, keeps.arg("Year 0", "2026/04/15"), 84);
    row("0001, year 1", "0001/5/1!", "0001/05/01", QDate(1, 5, 1), QString(), 84);
    row("2/29/4, a leap day", "2/29/4!", "02/29/2004", QDate(2004, 2, 29), QString(), 266);
    row("2/29/5", "2/29/5!", "04/15/2026", apr15, keeps.arg("02/29/2005", "04/15/2026"), 266);
    row("the last day takes two digits, y/m/d", "20260545", "2026/04/15", apr15, keeps.arg("Day 45", "2026/04/15"), 84);
    row("minute 61", "2361", "09:00", apr15, keeps.arg("Minute 61", "09:00"), 273, apr15, 1);
    row("a minute's one digit, left", "236!", "23:06", apr15, QString(), 273, apr15, 1);
    row("hour 24", "24", "09:00", apr15, keeps.arg("Hour 24", "09:00"), 273, apr15, 1);
    row("minute 61, 12-hour clock", "1261", "09:00 AM", apr15, keeps.arg("Minute 61", "09:00 AM"), 273, apr15, 1, true);
    // the clock's hours, minutes and letters, over 09:00
    const QString half = QStringLiteral("\"%1\" is neither AM nor PM (A types AM, P PM): the field keeps %2.");
    const auto clock = [&](const char *name, const char *keys, const char *text, const QString &hint, bool ampm,
                           const char *locale = "") {
        row(name, keys, text, apr15, hint, 273, apr15, 1, ampm, "/", locale);
    };
    clock("23:61, 24-hour", "23:61", "09:00", keeps.arg("Minute 61", "09:00"), false);
    clock("34:, 24-hour", "34:", "09:00", keeps.arg("Hour 34", "09:00"), false);
    clock("23:61, 12-hour", "23:61", "09:00 AM", keeps.arg("Hour 23", "09:00 AM"), true);
    clock("24:00, 12-hour", "24:00", "09:00 AM", keeps.arg("Hour 24", "09:00 AM"), true);
    clock("2:30, 12-hour", "2:30", "02:30 AM", QString(), true);
    clock("1:30, 12-hour", "1:30", "01:30 AM", QString(), true);
    clock("12:61, 12-hour", "12:61", "09:00 AM", keeps.arg("Minute 61", "09:00 AM"), true);
    clock("0:, 12-hour", "0:", "09:00 AM", keeps.arg("Hour 0", "09:00 AM"), true);
    clock("2361, 12-hour: a digit for AM or PM", "2361", "09:00 AM", half.arg("1", "09:00 AM"), true);
    clock("0215P", "0215P", "02:15 PM", QString(), true);
    clock("1130p", "1130p", "11:30 PM", QString(), true);
    clock("0215 P, a blank before the letter", "0215 P", "02:15 PM", QString(), true);
    clock("0215A after PM", ">>P<<0215A", "02:15 AM", QString(), true);
    clock("P alone", ">>P", "09:00 PM", QString(), true);
    clock("0215X", "0215X", "09:00 AM", half.arg("X", "09:00 AM"), true);
    clock("X alone", ">>X", "09:00 AM", half.arg("X", "09:00 AM"), true);
    clock("letters after a refused one", "0215XP", "09:00 AM", half.arg("X", "09:00 AM"), true);
    clock("the locale's PM, Greek", "0215\u03bc", "02:15 PM", QString(), true, "el_GR");
    clock("the locale's AM, Greek", ">>P<<0215\u03c0", "02:15 AM", QString(), true, "el_GR");
    clock("X, Greek: the keys said", "0215X", "09:00 AM",
          QStringLiteral("\"X\" is neither AM nor PM (A or \u03c0 types AM, P or \u03bc PM): the field keeps 09:00 AM."),
          true, "el_GR");
    // Korean AM and PM begin alike: A and P only
    clock("the letter of both, Korean", "0215\uc624", "09:00 AM", half.arg("\uc624", "09:00 AM"), true, "ko_KR");
    // the language the user runs in, the program's own locale C (a run of
    // its own under LC_TIME=el_GR.UTF-8)
    clock("the system's PM, Greek", "0215\u03bc", "02:15 PM", QString(), true, "system:el_GR");
    clock("the system's AM, Greek", ">>P<<0215\u03c0", "02:15 AM", QString(), true, "system:el_GR");
    // typed on a real keyboard: Shift, AltGr around the characters that
    // need them change nothing of the entry, over 09:00 and 15/04/2026
    for (const QString keyboard : {"us", "de", "fr", "br"}) {
        const auto on = [&](const char *keys) { return QStringLiteral("%1 on %2").arg(keys, keyboard).toUtf8(); };
        const auto time = [&](const char *keys, const char *text24, const char *text12, const QString &hint24,
                              const QString &hint12) {
            row((on(keys) + ", 24-hour").constData(), keys, text24, apr15, hint24, 273, apr15, 1, false, "/", "", keyboard);
            row((on(keys) + ", 12-hour").constData(), keys, text12, apr15, hint12, 273, apr15, 1, true, "/", "", keyboard);
        };
        time("11:30!", "11:30", "11:30 AM", QString(), QString());
        time("11:59p", "11:59", "11:59 PM", QString(), QString());
        time("12:00a", "12:00", "12:00 AM", QString(), QString());
        time("23:61!", "09:00", "09:00 AM", keeps.arg("Minute 61", "09:00"), keeps.arg("Hour 23", "09:00 AM"));
        time("35:00", "09:00", "09:00 AM", keeps.arg("Hour 35", "09:00"), keeps.arg("Hour 35", "09:00 AM"));
        row(on("01/05/2026!").constData(), "01/05/2026!", "01/05/2026", may1, QString(), 273, apr15, 0, false, "/", "", keyboard);
        row(on("15/01/2027!").constData(), "15/01/2027!", "15/01/2027", QDate(2027, 1, 15), QString(), 273, apr15, 0, false,
            "/", "", keyboard);
        row(on("01.05.2026?").constData(), "01.05.2026?", "01/05/2026", may1, QString(), 273, apr15, 0, false, "/", "", keyboard);
        row(on("1/5/000!").constData(), "1/5/000!", shown, apr15, keeps.arg("Year 0", shown), 273, apr15, 0, false, "/", "",
            keyboard);
    }
}

void TestYMDateTimeEdit::typedDates()
{
    QFETCH(int, mode);
    QFETCH(bool, ampm);
    QFETCH(QString, sep);
    QFETCH(int, order);
    QFETCH(QDate, start);
    QFETCH(QString, keys);
    QFETCH(QString, text);
    QFETCH(QDate, date);
    QFETCH(QString, hint);
    QFETCH(QString, locale);
    QFETCH(QString, keyboard);
    const QLocale before;
    const auto restore = qScopeGuard([&] { QLocale::setDefault(before); });
    if (locale.startsWith("system:")) {
        // the time texts are LC_TIME's
        if (QLocale::system().amText() != QLocale(locale.mid(7)).amText())
            QSKIP("runs where the system's locale is that (its own run under LC_TIME)");
        QLocale::setDefault(QLocale::c());
    } else if (!locale.isEmpty()) {
        QLocale::setDefault(QLocale(locale));
    }
    setDateSettings(ampm, order, sep);
    QMenu menu; // inside a menu the clock setting holds at once
    YMDateTimeEdit e(mode, mode == 1 ? &menu : nullptr);
    e.show();
    e.setDateTime(QDateTime(start, QTime(9, 0)));
    QSignalSpy changed(&e, SIGNAL(changed(QDate)));
    press(&e, keys, "/.-,: ", keyboard);
    QCOMPARE(e.text(), text);
    QCOMPARE(e.date(), date);
    // the last value told is the value
    if (!changed.isEmpty())
        QCOMPARE(changed.last().at(0).toDate(), date);
    auto *label = e.lineEdit()->findChild<QLabel *>(YMDateTimeEdit::hintName());
    QCOMPARE(label && label->isVisible() ? label->text() : QString(), hint);
}

void TestYMDateTimeEdit::stepping_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("ampm");
    QTest::addColumn<QDateTime>("start");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QDateTime>("result");
    const QTime t(10, 0);
    QTest::newRow("month up from 31 January, leap year")
        << 0 << false << QDateTime(QDate(2004, 1, 31), t) << ">+"
        << QDateTime(QDate(2004, 2, 29), t);
    QTest::newRow("wished day comes back in March")
        << 0 << false << QDateTime(QDate(2005, 1, 31), t) << ">++"
        << QDateTime(QDate(2005, 3, 31), t);
    QTest::newRow("day stops at the month's end")
        << 0 << false << QDateTime(QDate(2005, 2, 27), t) << "+++"
        << QDateTime(QDate(2005, 2, 28), t);
    QTest::newRow("year from a leap day") << 0 << false << QDateTime(QDate(2004, 2, 29), t)
                                          << ">>+" << QDateTime(QDate(2005, 2, 28), t);
    const QDate d(2005, 3, 5);
    QTest::newRow("24h hour stops at 23") << 1 << false << QDateTime(d, QTime(23, 10)) << "+"
                                          << QDateTime(d, QTime(23, 10));
    QTest::newRow("11:30 PM does not step up") << 1 << true << QDateTime(d, QTime(23, 30)) << "+"
                                               << QDateTime(d, QTime(23, 30));
    QTest::newRow("12:10 AM does not step down") << 1 << true << QDateTime(d, QTime(0, 10))
                                                 << "-" << QDateTime(d, QTime(0, 10));
    QTest::newRow("12 AM up gives 1 AM") << 1 << true << QDateTime(d, QTime(0, 10)) << "+"
                                         << QDateTime(d, QTime(1, 10));
    QTest::newRow("11 AM up gives 12 PM") << 1 << true << QDateTime(d, QTime(11, 10)) << "+"
                                          << QDateTime(d, QTime(12, 10));
    QTest::newRow("12 PM down gives 11 AM") << 1 << true << QDateTime(d, QTime(12, 10)) << "-"
                                            << QDateTime(d, QTime(11, 10));
    QTest::newRow("AM/PM toggles") << 1 << true << QDateTime(d, QTime(9, 10)) << ">>+"
                                   << QDateTime(d, QTime(21, 10));
}

void TestYMDateTimeEdit::stepping()
{
    QFETCH(int, mode);
    QFETCH(bool, ampm);
    QFETCH(QDateTime, start);
    QFETCH(QString, keys);
    QFETCH(QDateTime, result);
    setDateSettings(ampm, 273);
    QMenu menu; // inside a menu the clock setting holds at once
    YMDateTimeEdit keyed(mode, &menu);
    keyed.setDateTime(start);
    press(&keyed, keys);
    QCOMPARE(keyed.dateTime(), result);
    // the spin arrows step the same way
    YMDateTimeEdit arrows(mode, &menu);
    arrows.setDateTime(start);
    for (QChar c : keys) {
        if (c == '+')
            arrows.spinWidget()->stepUp();
        else if (c == '-')
            arrows.spinWidget()->stepDown();
        else
            press(&arrows, QString(c));
    }
    QCOMPARE(arrows.dateTime(), result);
}

void TestYMDateTimeEdit::wishedDayFollowsSetDateTime()
{
    setDateSettings(false, 266); // the month comes first and is current
    YMDateTimeEdit e(0);
    e.setDateTime(QDateTime(QDate(2005, 1, 31), QTime(9, 0)));
    e.setDateTime(QDateTime(QDate(2005, 3, 15), QTime(9, 0)));
    e.stepUp();
    QCOMPARE(e.date(), QDate(2005, 4, 15));
}

void TestYMDateTimeEdit::noneIgnoresInput()
{
    YMDateTimeEdit e(0);
    e.setDateTime(QDateTime());
    QCOMPARE(e.text(), QStringLiteral("None"));
    QVERIFY(!e.dateTime().isValid());
    QSignalSpy changed(&e, SIGNAL(changed()));
    QSignalSpy next(&e, &YMDateTimeEdit::next);
    press(&e, QStringLiteral("12+->>>"));
    e.stepUp();
    QTest::mouseClick(e.lineEdit(), Qt::LeftButton);
    QCOMPARE(e.text(), QStringLiteral("None"));
    QCOMPARE(changed.count(), 0);
    QCOMPARE(next.count(), 0);
    e.setDateTime(QDateTime(QDate(2005, 7, 3), QTime(9, 0)));
    QCOMPARE(e.text(), QStringLiteral("03/07/2005"));
    QCOMPARE(changed.count(), 1);
}

void TestYMDateTimeEdit::changedSignalsAndNavigation()
{
    YMDateTimeEdit e(0);
    QStringList order;
    connect(&e, QOverload<>::of(&YMDateTimeEdit::changed), [&] { order << "changed"; });
    connect(&e, QOverload<const QDate &>::of(&YMDateTimeEdit::changed),
            [&](const QDate &d) { order << d.toString(Qt::ISODate); });
    connect(&e, QOverload<const QTime &>::of(&YMDateTimeEdit::changed),
            [&](const QTime &t) { order << t.toString(QStringLiteral("hh:mm")); });
    e.setDateTime(QDateTime(QDate(2005, 7, 3), QTime(9, 5)));
    QCOMPARE(order, QStringList({"changed", "2005-07-03", "09:05"}));

    QSignalSpy next(&e, &YMDateTimeEdit::next);
    QSignalSpy prev(&e, &YMDateTimeEdit::prev);
    press(&e, QStringLiteral("<"));
    QCOMPARE(prev.count(), 1);
    press(&e, QStringLiteral(">>>"));
    QCOMPARE(e.currentSection(), 2);
    QCOMPARE(next.count(), 1);
    // Tab and Escape go on to the line edit's owner; other keys stop here
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QKeyEvent letter(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QObject *filter = &e;
    QVERIFY(!filter->eventFilter(e.lineEdit(), &tab));
    QVERIFY(filter->eventFilter(e.lineEdit(), &letter));
}

void TestYMDateTimeEdit::tapChoosesSection()
{
    setDateSettings(false, 84, QStringLiteral("-"));
    QWidget top;
    auto *e = new YMDateTimeEdit(0, &top);
    e->resize(e->sizeHint().width() + 40, e->sizeHint().height());
    top.show();
    QVERIFY(QTest::qWaitForWindowExposed(&top));
    e->setDateTime(QDateTime(QDate(2005, 7, 3), QTime(9, 0)));
    e->setFocus();
    top.activateWindow();
    QTRY_VERIFY(e->lineEdit()->hasFocus());
    const QFontMetrics fm(e->lineEdit()->font());
    QLineEdit *le = e->lineEdit();
    // the text ends at the right margin; tap each section's middle
    const int right = le->width() - 3;
    const int starts[3] = {right - fm.horizontalAdvance("2005-07-03"),
                           right - fm.horizontalAdvance("07-03"), right - fm.horizontalAdvance("03")};
    const QString texts[3] = {"2005", "07", "03"};
    const int firstChar[3] = {0, 5, 8};
    for (int i : {2, 0, 1}) {
        const QPoint mid(starts[i] + fm.horizontalAdvance(texts[i]) / 2, le->height() / 2);
        // the line edit itself draws the section there
        QCOMPARE(le->cursorPositionAt(mid), firstChar[i] + texts[i].length() / 2);
        QTest::mouseClick(le, Qt::LeftButton, Qt::NoModifier, mid);
        QCOMPARE(e->currentSection(), i);
        QCOMPARE(le->selectedText(), texts[i]);
    }
    // a tap on the section being typed starts it again
    const QPoint day(starts[2] + fm.horizontalAdvance("03") / 2, le->height() / 2);
    QTest::mouseClick(le, Qt::LeftButton, Qt::NoModifier, day);
    press(e, QStringLiteral("1"));
    QTest::mouseClick(le, Qt::LeftButton, Qt::NoModifier, day);
    press(e, QStringLiteral("2"));
    QCOMPARE(e->text(), QStringLiteral("2005-07-02"));
    // left of the text: the first section
    press(e, QStringLiteral(">"));
    QTest::mouseClick(le, Qt::LeftButton, Qt::NoModifier, QPoint(1, le->height() / 2));
    QCOMPARE(e->currentSection(), 0);
}

void TestYMDateTimeEdit::followsSettingsWhileShown()
{
    YMDateTimeEdit e(0);
    e.show();
    e.setDateTime(QDateTime(QDate(2005, 7, 3), QTime(9, 0)));
    QSignalSpy changed(&e, SIGNAL(changed()));
    setDateSettings(false, 84, QStringLiteral("."));
    QCOMPARE(e.text(), QStringLiteral("2005.07.03"));
    QCOMPARE(e.currentSection(), 0);
    QCOMPARE(e.section(0)->type(), int(YMDateTimeSection::Year));
    QCOMPARE(changed.count(), 1);
    // the new first section takes the digits
    press(&e, QStringLiteral("1999"));
    QCOMPARE(e.date(), QDate(1999, 7, 3));

    // a time edit outside a menu takes the 12-hour clock on its first show
    setDateSettings(true, 273);
    YMDateTimeEdit t(1);
    t.setDateTime(QDateTime(QDate(2005, 7, 3), QTime(0, 30)));
    QCOMPARE(t.text(), QStringLiteral("00:30"));
    t.show();
    QTRY_COMPARE(t.text(), QStringLiteral("12:30 AM"));
    setDateSettings(false, 273);
    QCOMPARE(t.text(), QStringLiteral("00:30"));
}

void TestYMDateTimeEdit::sizeHintLeavesStateAlone()
{
    YMDateTimeEdit e(0);
    e.setDateTime(QDateTime());
    e.blockSignals(true);
    const QSize none = e.sizeHint();
    QVERIFY(e.signalsBlocked());
    e.blockSignals(false);
    QCOMPARE(e.text(), QStringLiteral("None"));
    e.setDateTime(QDateTime(QDate(2005, 5, 3), QTime(9, 0)));
    QCOMPARE(none, e.sizeHint());
    QCOMPARE(e.minimumSizeHint(), e.sizeHint());
    // the longest month name decides the width, not the month shown
    e.setMonthLong(true);
    QCOMPARE(e.text(), QStringLiteral("03/May/2005"));
    const QFontMetrics fm(e.font());
    QVERIFY(e.sizeHint().width()
            >= fm.horizontalAdvance(QStringLiteral("03/September/2005")) + 8);
}

YMR_TEST_MAIN(TestYMDateTimeEdit)
#include "tst_ymdatetimeedit.moc"
