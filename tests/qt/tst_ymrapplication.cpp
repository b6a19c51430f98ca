// ymr-test-screens: 240x320 320x240 480x640 640x480 800x600
#include "ymrtest.h"

#include "qpe/config.h"
#include "qt/ymrapplication.h"

#include <QSignalSpy>

#include <crypt.h>

class TestYMRApplication : public QObject
{
    Q_OBJECT
private slots:
    void screenClass();
    void dateSettingsCacheAndSignal();
    void cryptRoundTrip();
    void showMaximizedFalseLeavesHidden();
};

void TestYMRApplication::screenClass()
{
    const int w = QPEApplication::screenRect().width();
    QCOMPARE(YMRApplication::isVGAScreen(), w == 480 || w == 640);
    QCOMPARE(YMRApplication::isQVGAScreen(), w == 240 || w == 320);
    QVERIFY(!(YMRApplication::isVGAScreen() && YMRApplication::isQVGAScreen()));
    // cached: a rotation does not change the class
    QPEApplication::rotateScreen();
    QCOMPARE(YMRApplication::isVGAScreen(), w == 480 || w == 640);
    QPEApplication::rotateScreen();
}

void TestYMRApplication::dateSettingsCacheAndSignal()
{
    QSignalSpy spy(ymrApp, &YMRApplication::dateTimeSettingChanged);
    // no settings file: the defaults
    QCOMPARE(ymrApp->ampm(), true);
    QCOMPARE(ymrApp->weekStartsOnMonday(), false);
    QCOMPARE(ymrApp->dateSeparator(), QChar('/'));
    QCOMPARE(ymrApp->shortDateOrder(), 273);
    QCOMPARE(ymrApp->longDateOrder(), 273);
    QCOMPARE(spy.count(), 1);

    {
        Config c(QStringLiteral("qpe"));
        c.setGroup(QStringLiteral("Date"));
        c.writeEntry(QStringLiteral("Separator"), QStringLiteral("-"));
        c.writeEntry(QStringLiteral("ShortOrder"), 84);
    }
    // cached until the platform reports a change
    QCOMPARE(ymrApp->dateSeparator(), QChar('/'));
    emit ymrApp->dateFormatChanged(DateFormat(QLatin1Char('-'), 84, 273));
    QCOMPARE(spy.count(), 2);
    QCOMPARE(ymrApp->dateSeparator(), QChar('-'));
    QCOMPARE(ymrApp->shortDateOrder(), 84);

    // nothing changed: no signal
    emit ymrApp->clockChanged(true);
    QCOMPARE(spy.count(), 2);

    {
        Config c(QStringLiteral("qpe"));
        c.setGroup(QStringLiteral("Date"));
        c.writeEntry(QStringLiteral("Separator"), QString());
    }
    emit ymrApp->weekChanged(false);
    QCOMPARE(spy.count(), 3);
    QVERIFY(ymrApp->dateSeparator().isNull());
}

void TestYMRApplication::cryptRoundTrip()
{
    QVERIFY(YMRApplication::cryptPassword(QString()).isNull());
    const QString h = YMRApplication::cryptPassword(QStringLiteral("secret"));
    QVERIFY(h.startsWith(QStringLiteral("$1$")));
    QCOMPARE(h.mid(3, 8).size(), 8);
    for (QChar c : h.mid(3, 8))
        QVERIFY(c >= 'a' && c <= 'z');
    QVERIFY(YMRApplication::checkPassword(QStringLiteral("secret"), h));
    QVERIFY(!YMRApplication::checkPassword(QStringLiteral("Secret"), h));
    QVERIFY(!YMRApplication::checkPassword(QString(), h));
    QVERIFY(!YMRApplication::checkPassword(QStringLiteral("secret"), QString()));
    // two hashes of one password differ by their salt
    QVERIFY(YMRApplication::cryptPassword(QStringLiteral("secret")) != h);

    // passwords outside Latin-1 are told apart, even of one length
    const QString greek = QString::fromUtf8("\xce\xb1\xce\xb2\xce\xb3");
    const QString cyrillic = QString::fromUtf8("\xd0\xb0\xd0\xb1\xd0\xb2");
    const QString hg = YMRApplication::cryptPassword(greek);
    QVERIFY(!hg.isEmpty());
    QVERIFY(YMRApplication::checkPassword(greek, hg));
    QVERIFY(!YMRApplication::checkPassword(cyrillic, hg));
    QVERIFY(!YMRApplication::checkPassword(QStringLiteral("???"), hg));
    // a hash made from the Latin-1 bytes of a Latin-1 password still opens
    const QString cafe = QString::fromUtf8("caf\xc3\xa9");
    const QString old = QString::fromLatin1(crypt("caf\xe9", "$1$abcdefgh$"));
    QVERIFY(YMRApplication::checkPassword(cafe, old));
    QVERIFY(!YMRApplication::checkPassword(QStringLiteral("cafe"), old));
    QVERIFY(YMRApplication::checkPassword(cafe, YMRApplication::cryptPassword(cafe)));
}

void TestYMRApplication::showMaximizedFalseLeavesHidden()
{
    QWidget w;
    YMRApplication::showMaximized(&w, false);
    QVERIFY(!w.isVisible());
    YMRApplication::showMaximized(&w, true);
    QVERIFY(w.isVisible());
    if (QPEApplication::isScreenEmulated())
        QCOMPARE(w.size(), QPEApplication::screenRect().size());
}

YMR_TEST_MAIN(TestYMRApplication)
#include "tst_ymrapplication.moc"
