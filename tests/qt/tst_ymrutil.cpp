#include "ymrdatesettings.h"
#include "ymrtest.h"

#include "qt/ymcalendar.h"
#include "qt/ymrapplication.h"
#include "qt/ymrutil.h"

class TestYMRUtil : public QObject
{
    Q_OBJECT
private slots:
    void timeTexts_data();
    void timeTexts();
    void dateTexts_data();
    void dateTexts();
    void formatPatterns_data();
    void formatPatterns();
    void parsePatterns_data();
    void parsePatterns();
    void patternRoundTrip();
    void calendarArithmetic();
    void weekNumbering();
};

// The platform's date and time settings, as the settings application
// would leave them.
static void setSettings(bool ampm, const QString &separator, int order, bool monday = false)
{
    ymrtest::setDateSettings(ampm, order, separator, monday);
    QCOMPARE(ymrApp->ampm(), ampm);
    QCOMPARE(ymrApp->shortDateOrder(), order);
    QCOMPARE(ymrApp->weekStartsOnMonday(), monday);
}

void TestYMRUtil::timeTexts_data()
{
    QTest::addColumn<bool>("ampm");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("text");
    QTest::newRow("12h after midnight") << true << QTime(0, 30) << "12:30 AM";
    QTest::newRow("12h noon") << true << QTime(12, 0) << "12:00 PM";
    QTest::newRow("12h afternoon") << true << QTime(13, 7) << " 1:07 PM";
    QTest::newRow("12h morning") << true << QTime(9, 5, 59) << " 9:05 AM";
    QTest::newRow("12h evening") << true << QTime(23, 59) << "11:59 PM";
    QTest::newRow("24h morning") << false << QTime(7, 5) << "07:05";
    QTest::newRow("24h midnight") << false << QTime(0, 0) << "00:00";
    QTest::newRow("24h evening") << false << QTime(23, 59, 30) << "23:59";
    QTest::newRow("invalid") << true << QTime() << QString();
}

void TestYMRUtil::timeTexts()
{
    QFETCH(bool, ampm);
    QFETCH(QTime, time);
    QFETCH(QString, text);
    setSettings(ampm, QStringLiteral("/"), 273);
    QCOMPARE(YMRUtil::timeToString(time), text);
    QCOMPARE(YMRUtil::timeToString(time).isNull(), text.isNull());
}

void TestYMRUtil::dateTexts_data()
{
    QTest::addColumn<QString>("separator");
    QTest::addColumn<int>("order");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("text");
    QTest::newRow("year first") << "-" << 84 << QDate(2005, 3, 5) << "2005-03-05";
    QTest::newRow("month first") << "/" << 266 << QDate(2005, 3, 5) << "03/05/2005";
    QTest::newRow("day first") << "/" << 273 << QDate(2005, 7, 3) << "03/07/2005";
    QTest::newRow("short year") << "." << 273 << QDate(999, 12, 31) << "31.12.999";
    QTest::newRow("unknown order") << "/" << 999 << QDate(2005, 3, 5) << QString();
    QTest::newRow("invalid date") << "/" << 273 << QDate() << QString();
    // an empty separator setting must not put a NUL into the text
    QTest::newRow("no separator") << "" << 84 << QDate(2005, 3, 5) << "2005/03/05";
}

void TestYMRUtil::dateTexts()
{
    QFETCH(QString, separator);
    QFETCH(int, order);
    QFETCH(QDate, date);
    QFETCH(QString, text);
    setSettings(false, separator, order);
    QCOMPARE(YMRUtil::dateToString(date), text);
    QCOMPARE(YMRUtil::dateToString(date).isNull(), text.isNull());
    const QDateTime dt(date, QTime(14, 5));
    if (!date.isValid())
        QVERIFY(YMRUtil::dateTimeToString(dt).isNull());
    else
        QCOMPARE(YMRUtil::dateTimeToString(dt), text + QStringLiteral(" 14:05"));
}

void TestYMRUtil::formatPatterns_data()
{
    QTest::addColumn<QDateTime>("dt");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    const QDateTime d(QDate(2005, 1, 18), QTime(15, 7, 9));
    QTest::newRow("default date-time") << d << "YYYY/MM/DD hh:mm AM/PM" << "2005/01/18 03:07 PM";
    QTest::newRow("about label") << d << "YYMMDD" << "050118";
    QTest::newRow("single letters") << d << "D.M.Y" << "18.1.05";
    QTest::newRow("names") << d << "DDDD, MMMM D" << "Tuesday, January 18";
    QTest::newRow("short names") << d << "DDD MMM" << "Tue Jan";
    QTest::newRow("24h with seconds") << d << "hh:mm:ss" << "15:07:09";
    QTest::newRow("three h, three Y") << d << "hhh YYY" << "15 2005";
    QTest::newRow("no leading zero") << QDateTime(QDate(2005, 1, 8), QTime(5, 7, 9))
                                     << "h:m:s D" << "5:7:9 8";
    QTest::newRow("adjacent tokens") << d << "DM" << "181";
    QTest::newRow("caret alone keeps 24h") << d << "hh ^" << "15 PM";
    QTest::newRow("midnight 12h") << QDateTime(QDate(2005, 1, 18), QTime(0, 0))
                                  << "hh:mm AM/PM" << "12:00 AM";
    QTest::newRow("noon 12h") << QDateTime(QDate(2005, 1, 18), QTime(12, 0))
                              << "hh:mm AM/PM" << "12:00 PM";
    QTest::newRow("one in the morning") << QDateTime(QDate(2005, 1, 18), QTime(1, 0))
                                        << "h AM/PM" << "1 AM";
    // only the first marker is one; the second is read letter by letter
    QTest::newRow("second marker") << d << "AM/PM AM/PM" << "PM A1/P1";
    QTest::newRow("literals") << d << "dyH" << "dyH";
    QTest::newRow("invalid date") << QDateTime(QDate(), QTime(1, 0)) << "YYYY" << QString();
}

void TestYMRUtil::formatPatterns()
{
    QFETCH(QDateTime, dt);
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    const QString res = YMRUtil::formatDateTime(dt, pattern);
    QCOMPARE(res, text);
    QCOMPARE(res.isNull(), text.isNull());
}

void TestYMRUtil::parsePatterns_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QDateTime>("expected");
    const int century = QDate::currentDate().year() / 100 * 100;
    const QDate jan18(2005, 1, 18);
    QTest::newRow("build date") << "Jan 18 2005" << "MMM DD YYYY" << QDateTime(jan18, QTime(0, 0));
    QTest::newRow("upper case month") << "JAN 18 2005" << "MMM DD YYYY" << QDateTime(jan18, QTime(0, 0));
    QTest::newRow("lower case month") << "jan 18 2005" << "MMM DD YYYY" << QDateTime(jan18, QTime(0, 0));
    QTest::newRow("build date, day below 10") << "Jan  8 2005" << "MMM DD YYYY"
                                              << QDateTime(QDate(2005, 1, 8), QTime(0, 0));
    QTest::newRow("long month") << "december 31, 1999" << "MMMM DD, YYYY"
                                << QDateTime(QDate(1999, 12, 31), QTime(0, 0));
    QTest::newRow("weekday word skipped") << "Tue 18.01.2005" << "DDD DD.MM.YYYY"
                                          << QDateTime(jan18, QTime(0, 0));
    QTest::newRow("two-digit year") << "18/01/05" << "DD/MM/YY"
                                    << QDateTime(QDate(century + 5, 1, 18), QTime(0, 0));
    QTest::newRow("one-digit year") << "18/01/5" << "DD/MM/YY"
                                    << QDateTime(QDate(5, 1, 18), QTime(0, 0));
    QTest::newRow("four-digit year, short token") << "18/01/2005" << "DD/MM/YY"
                                                  << QDateTime(jan18, QTime(0, 0));
    QTest::newRow("half past twelve am") << "2005/01/18 12:30 am" << "YYYY/MM/DD hh:mm AM/PM"
                                         << QDateTime(jan18, QTime(0, 30));
    QTest::newRow("half past twelve pm") << "2005/01/18 12:30 pm" << "YYYY/MM/DD hh:mm AM/PM"
                                         << QDateTime(jan18, QTime(12, 30));
    QTest::newRow("five past one PM") << "2005/01/18 01:05 PM" << "YYYY/MM/DD hh:mm AM/PM"
                                      << QDateTime(jan18, QTime(13, 5));
    QTest::newRow("no day half in the text") << "2005/01/18 03:07" << "YYYY/MM/DD hh:mm AM/PM"
                                             << QDateTime(jan18, QTime(3, 7));
    QTest::newRow("24h with 13 and pm") << "2005/01/18 13:05 PM" << "YYYY/MM/DD hh:mm AM/PM"
                                        << QDateTime(jan18, QTime(13, 5));
    QTest::newRow("seconds") << "2005-01-18 15:07:09" << "YYYY-MM-DD hh:mm:ss"
                             << QDateTime(jan18, QTime(15, 7, 9));
    QTest::newRow("spaces collapse") << "2005   01 18" << "YYYY MM DD" << QDateTime(jan18, QTime(0, 0));
    QTest::newRow("missing literal consumes nothing") << "Jan18 2005" << "MMM DD YYYY"
                                                      << QDateTime(jan18, QTime(0, 0));
    QTest::newRow("order month first") << "01/18/2005" << "MM/DD/YYYY" << QDateTime(jan18, QTime(0, 0));
}

void TestYMRUtil::parsePatterns()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(QDateTime, expected);
    QCOMPARE(YMRUtil::parseDateTime(text, pattern), expected);
}

void TestYMRUtil::patternRoundTrip()
{
    const QStringList patterns = {"YYYY/MM/DD hh:mm:ss AM/PM", "DDD MMM DD YYYY hh:mm:ss",
                                  "MMMM D, YYYY h:m:s", "YYYY-MM-DD hh:mm:ss"};
    const QList<QDateTime> times = {QDateTime(QDate(2005, 1, 18), QTime(0, 0, 1)),
                                    QDateTime(QDate(2012, 2, 29), QTime(12, 59, 59)),
                                    QDateTime(QDate(1999, 12, 31), QTime(23, 0, 0)),
                                    QDateTime(QDate(2030, 7, 4), QTime(11, 30, 0))};
    for (const QString &p : patterns) {
        for (const QDateTime &t : times) {
            const QString text = YMRUtil::formatDateTime(t, p);
            QCOMPARE(YMRUtil::parseDateTime(text, p), t);
        }
    }
    // a text that ends early leaves the date without a day: null
    QVERIFY(!YMRUtil::parseDateTime(QStringLiteral("2005/01"), QStringLiteral("YYYY/MM/DD"))
                 .date()
                 .isValid());
    // an impossible date is not made up
    QVERIFY(!YMRUtil::parseDateTime(QStringLiteral("2005/02/30"), QStringLiteral("YYYY/MM/DD"))
                 .date()
                 .isValid());
}

void TestYMRUtil::calendarArithmetic()
{
    QCOMPARE(YMCalendar::monthName(0), QStringLiteral("January"));
    QCOMPARE(YMCalendar::shortMonthName(11, false), QStringLiteral("Dec"));
    QCOMPARE(YMCalendar::dayName(6), QStringLiteral("Sunday"));
    QCOMPARE(YMCalendar::shortDayName(0, false), QStringLiteral("Mon"));

    QCOMPARE(YMCalendar::addMonths(QDate(2005, 3, 31), -1), QDate(2005, 2, 28));
    QCOMPARE(YMCalendar::addMonths(QDate(2004, 3, 31), -1), QDate(2004, 2, 29));
    QCOMPARE(YMCalendar::addMonths(QDate(2005, 1, 31), 1), QDate(2005, 2, 28));
    QCOMPARE(YMCalendar::addMonths(QDate(2005, 12, 15), 1), QDate(2006, 1, 15));
    QCOMPARE(YMCalendar::addMonths(QDate(2005, 1, 15), -13), QDate(2003, 12, 15));
    QCOMPARE(YMCalendar::addMonths(QDate(2005, 1, 15), 25), QDate(2007, 2, 15));
    QCOMPARE(YMCalendar::addMonths(QDate(2005, 5, 15), -12), QDate(2004, 5, 15));
    QCOMPARE(YMCalendar::addYears(QDate(2004, 2, 29), 4), QDate(2008, 2, 29));
    QCOMPARE(YMCalendar::addYears(QDate(2004, 2, 29), 1), QDate(2005, 2, 28));
    QCOMPARE(YMCalendar::addYears(QDate(2004, 2, 29), -1), QDate(2003, 2, 28));
}

void TestYMRUtil::weekNumbering()
{
    for (bool monday : {true, false}) {
        setSettings(false, QStringLiteral("/"), 273, monday);
        int week = 0, year = 0;
        // every day of several years lies in the week it is numbered with,
        // and that week holds a Thursday of its year
        for (QDate d(2003, 12, 1); d <= QDate(2011, 1, 31); d = d.addDays(1)) {
            YMCalendar::weekNumber(d, week, year);
            const QDate start = YMCalendar::firstDayOfWeek(week, year);
            QVERIFY2(start <= d && d < start.addDays(7), qPrintable(d.toString(Qt::ISODate)));
            QCOMPARE(start.dayOfWeek(), monday ? 1 : 7);
            QVERIFY(week >= 1 && week <= 53);
            QDate thursday = start;
            while (thursday.dayOfWeek() != 4)
                thursday = thursday.addDays(1);
            QCOMPARE(thursday.year(), year);
        }
        // week 1 holds the first Thursday of January
        for (int y = 2003; y <= 2011; ++y) {
            const QDate w1 = YMCalendar::firstDayOfWeek(1, y);
            QDate thursday = w1;
            while (thursday.dayOfWeek() != 4)
                thursday = thursday.addDays(1);
            QCOMPARE(thursday, QDate(y, 1, 1).addDays((4 - QDate(y, 1, 1).dayOfWeek() + 7) % 7));
        }
    }
    setSettings(false, QStringLiteral("/"), 273, true);
    int week = 0, year = 0;
    YMCalendar::weekNumber(QDate(2005, 1, 1), week, year);
    QCOMPARE(week, 53);
    QCOMPARE(year, 2004);
    YMCalendar::weekNumber(QDate(2008, 12, 29), week, year);
    QCOMPARE(week, 1);
    QCOMPARE(year, 2009);
    QCOMPARE(YMCalendar::firstDayOfWeek(1, 2005), QDate(2005, 1, 3));
    setSettings(false, QStringLiteral("/"), 273, false);
    QCOMPARE(YMCalendar::firstDayOfWeek(1, 2005), QDate(2005, 1, 2));
}

YMR_TEST_MAIN(TestYMRUtil)
#include "tst_ymrutil.moc"
