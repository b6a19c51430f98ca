#include "ymrtest.h"

#include "textcodecselector.h"

#include "qt/ymrapplication.h"

#include <QBuffer>
#include <QTextCodec>
#include <QTextStream>

class TestTextCodecSelector : public QObject
{
    Q_OBJECT
private slots:
    void entries();
    void plainTextIsLatin1AndLeavesStreams();
    void chosenCodec();
};

void TestTextCodecSelector::entries()
{
    TextCodecSelector s;
    const QList<QTextCodec *> codecs = TextCodecSelector::codecs();
    QVERIFY(codecs.size() > 10);
    QCOMPARE(s.count(), codecs.size() + 1);
    QCOMPARE(s.text(0), QStringLiteral("Plain Text"));
    QCOMPARE(s.sizeLimit(), 7);
    for (int i = 0; i < codecs.size(); ++i) {
        QCOMPARE(s.text(i + 1), QString::fromLatin1(codecs.at(i)->name()));
        if (i > 0)
            QVERIFY(s.text(i).compare(s.text(i + 1), Qt::CaseInsensitive) <= 0);
    }
    QVERIFY(s.text(0) != s.text(1));
}

void TestTextCodecSelector::plainTextIsLatin1AndLeavesStreams()
{
    TextCodecSelector s;
    QCOMPARE(s.currentItem(), 0);
    QVERIFY(!s.currentCodec());
    QCOMPARE(s.toUnicode(QByteArray("caf\xe9")), QStringLiteral("caf\u00e9"));
    QCOMPARE(s.fromUnicode(QStringLiteral("caf\u00e9")), QByteArray("caf\xe9"));

    QBuffer buffer;
    QTextStream stream(&buffer);
    QTextCodec *before = QTextCodec::codecForName("ISO-8859-15");
    stream.setCodec(before);
    s.setCodec(&stream);
    QCOMPARE(stream.codec(), before);
}

void TestTextCodecSelector::chosenCodec()
{
    TextCodecSelector s;
    int utf8 = -1;
    for (int i = 1; i < s.count(); ++i) {
        if (s.text(i) == QLatin1String("UTF-8"))
            utf8 = i;
    }
    QVERIFY(utf8 > 0);
    s.setCurrentItem(utf8);
    QCOMPARE(s.currentCodec()->name(), QByteArray("UTF-8"));
    QCOMPARE(s.toUnicode(QByteArray("caf\xc3\xa9\0rest", 10)), QStringLiteral("caf\u00e9"));
    QCOMPARE(s.fromUnicode(QStringLiteral("caf\u00e9")), QByteArray("caf\xc3\xa9"));
    QBuffer buffer;
    QTextStream stream(&buffer);
    s.setCodec(&stream);
    QCOMPARE(stream.codec()->name(), QByteArray("UTF-8"));

    // the first codec of the list is entry 1
    s.setCurrentItem(1);
    QCOMPARE(s.currentCodec(), TextCodecSelector::codecs().first());
}

YMR_TEST_MAIN(TestTextCodecSelector)
#include "tst_textcodecselector.moc"
