#include "ymrtest.h"

#include "qpe/config.h"
#include "qpe/qcopchannel.h"
#include "qpe/qcopenvelope.h"
#include "qpe/qpeapplication.h"

#include <QFile>
#include <QSaveFile>
#include <QSignalSpy>

class TestQpeSettings : public QObject
{
    Q_OBJECT
private slots:
    void fileChangesMakeSignals();
    void systemMessagesMakeSignals();

private:
    static void replaceFile(const QByteArray &content);
};

void TestQpeSettings::replaceFile(const QByteArray &content)
{
    // as an editor does: a new file renamed over the old one
    QSaveFile f(QPEApplication::platformSettingsFile());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
    QVERIFY(f.commit());
}

void TestQpeSettings::fileChangesMakeSignals()
{
    auto *app = qobject_cast<QPEApplication *>(qApp);
    QSignalSpy clock(app, &QPEApplication::clockChanged);
    QSignalSpy date(app, &QPEApplication::dateFormatChanged);
    QSignalSpy week(app, &QPEApplication::weekChanged);
    const QString file = QPEApplication::platformSettingsFile();
    QVERIFY(!QFile::exists(file));   // a fresh root: created while we watch

    {
        Config c(QStringLiteral("qpe"));
        c.setGroup(QStringLiteral("Time"));
        c.writeEntry(QStringLiteral("AMPM"), false);
    }
    QTRY_COMPARE(clock.count(), 1);
    QCOMPARE(clock.at(0).at(0).toBool(), false);
    QCOMPARE(date.count(), 0);
    QCOMPARE(week.count(), 0);

    replaceFile("[Time]\nAMPM=false\nMONDAY=true\n[Date]\nSeparator=-\nShortOrder=84\n");
    QTRY_COMPARE(week.count(), 1);
    QTRY_COMPARE(date.count(), 1);
    QCOMPARE(week.at(0).at(0).toBool(), true);
    const DateFormat df = date.at(0).at(0).value<DateFormat>();
    QCOMPARE(df.separator(), QChar('-'));
    QCOMPARE(df.shortOrder(), 84);
    QCOMPARE(df.longOrder(), 273);
    QCOMPARE(clock.count(), 1);

    // values that stay as they were make no signal
    {
        Config c(QStringLiteral("qpe"));
        c.setGroup(QStringLiteral("Other"));
        c.writeEntry(QStringLiteral("x"), 1);
        c.setGroup(QStringLiteral("Time"));
        c.writeEntry(QStringLiteral("MONDAY"), true);
    }
    // still watched after the replacement; the change after them is the
    // mark: once it is reported, theirs would have been too
    {
        Config c(QStringLiteral("qpe"));
        c.setGroup(QStringLiteral("Time"));
        c.writeEntry(QStringLiteral("AMPM"), true);
    }
    QTRY_COMPARE(clock.count(), 2);
    QCOMPARE(clock.at(1).at(0).toBool(), true);
    QCOMPARE(date.count(), 1);
    QCOMPARE(week.count(), 1);

    // removed: back to the defaults; created again: watched again
    QVERIFY(QFile::remove(file));
    QTRY_COMPARE(week.count(), 2);
    QTRY_COMPARE(date.count(), 2);
    QCOMPARE(date.at(1).at(0).value<DateFormat>(), DateFormat());
    replaceFile("[Date]\nSeparator=\n");
    QTRY_COMPARE(date.count(), 3);
    QVERIFY(date.at(2).at(0).value<DateFormat>().separator().isNull());
    QCOMPARE(clock.count(), 2);
    QCOMPARE(week.count(), 2);
}

void TestQpeSettings::systemMessagesMakeSignals()
{
    auto *app = qobject_cast<QPEApplication *>(qApp);
    QSignalSpy clock(app, &QPEApplication::clockChanged);
    QSignalSpy date(app, &QPEApplication::dateFormatChanged);
    QSignalSpy week(app, &QPEApplication::weekChanged);
    {
        QCopEnvelope e("QPE/System", "clockChange(bool)");
        e << false;
    }
    {
        QCopEnvelope e("QPE/System", "setDateFormat(DateFormat)");
        e << DateFormat(QLatin1Char('.'), DateFormat::YearMonthDay, DateFormat::MonthDayYear);
    }
    {
        QCopEnvelope e("QPE/System", "weekChange(bool)");
        e << true;
    }
    // no data: nothing to report
    QCopChannel::send("QPE/System", "weekChange(bool)");
    QCopChannel::send("QPE/System", "somethingElse()");
    QTRY_COMPARE(week.count(), 1);
    QCOMPARE(clock.count(), 1);
    QCOMPARE(clock.at(0).at(0).toBool(), false);
    QCOMPARE(date.count(), 1);
    QCOMPARE(date.at(0).at(0).value<DateFormat>(),
             DateFormat(QLatin1Char('.'), DateFormat::YearMonthDay, DateFormat::MonthDayYear));
    QCOMPARE(week.at(0).at(0).toBool(), true);
    ymrtest::flushEvents();
    QCOMPARE(week.count(), 1);
}

QPE_TEST_MAIN(TestQpeSettings)
#include "tst_qpesettings.moc"
