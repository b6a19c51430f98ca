#include "ymrtest.h"

#include "qpe/qpeapplication.h"
#include "qpe/utf8text.h"

// Texts of files and peers come back as they were written: a zero byte or a
// leading byte-order mark is part of the text, never where it ends.
class TestUtf8Text : public QObject
{
    Q_OBJECT

private slots:
    void decodesWhole_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        const QChar mark(0xfeff);
        QTest::newRow("plain") << QByteArray("caf\xc3\xa9") << QStringLiteral("caf\u00e9") << true;
        QTest::newRow("zero inside") << QByteArray("x\0y", 3) << QString(QStringLiteral("x") + QChar(0) + QStringLiteral("y")) << true;
        QTest::newRow("zero first") << QByteArray("\0y", 2) << QString(QChar(0) + QStringLiteral("y")) << true;
        QTest::newRow("leading mark") << QByteArray("\xef\xbb\xbfk") << QString(mark + QStringLiteral("k")) << true;
        QTest::newRow("two leading marks") << QByteArray("\xef\xbb\xbf\xef\xbb\xbfk")
                                           << QString(QString(2, mark) + QStringLiteral("k")) << true;
        QTest::newRow("mark alone") << QByteArray("\xef\xbb\xbf") << QString(mark) << true;
        QTest::newRow("mark then zero") << QByteArray("\xef\xbb\xbf\0", 4) << QString(QString(mark) + QChar(0)) << true;
        QTest::newRow("empty") << QByteArray("") << QString() << true;
        QTest::newRow("not utf-8") << QByteArray("a\xff") << QString(QStringLiteral("a") + QChar(0xfffd)) << false;
        QTest::newRow("cut sequence") << QByteArray("a\xc3") << QString(QStringLiteral("a") + QChar(0xfffd)) << false;
    }
    void decodesWhole()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(bool, valid);
        const QString got = Utf8Text::decode(bytes);
        QCOMPARE(got, text);
        QCOMPARE(Utf8Text::valid(bytes), valid);
        if (valid)
            QCOMPARE(got.toUtf8(), bytes);
    }
};

QPE_TEST_MAIN(TestUtf8Text)
#include "tst_utf8text.moc"
