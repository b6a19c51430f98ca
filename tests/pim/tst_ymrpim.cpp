#include "ymrtest.h"

#include "filebytes.h"
#include "tempfiles.h"
#include "ymrlocale.h"

#include "pim/ymrpim.h"
#include "qpe/global.h"
#include "qt/ymrapplication.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrlistbox.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

class TestYMRPIM : public QObject
{
    Q_OBJECT
private slots:
    void valueTexts();
    void dateTexts();
    void sortKeys();
    void keysInEveryLocale_data();
    void keysInEveryLocale();
    void amountTexts_data();
    void amountTexts();
    void amountTextsAgreeWithGeneralReading();
    void csvQuote();
    void csvSplit();
    void copyFile();
    void copyFileRefusesSameFileAndMissingSource();
    void newFileCreatedAfresh_data();
    void newFileCreatedAfresh();
    void dataListsWithInstalledDefaults();
    void replaceAll();
    void selectItem();
};

void TestYMRPIM::valueTexts()
{
    QCOMPARE(YMRPIM::encodeValue(QStringLiteral("a\nb|c\r")), QStringLiteral("a|b|c\r"));
    QStringList pieces = QStringLiteral("DESC=a=|b==").split(QLatin1Char('='));
    QCOMPARE(YMRPIM::decodeValue(pieces), QStringLiteral("a=\nb=="));
    QCOMPARE(pieces.size(), 4);
}

void TestYMRPIM::dateTexts()
{
    QCOMPARE(YMRPIM::dateToText(QDate(2004, 3, 5)), QStringLiteral("5 3 2004"));
    QCOMPARE(YMRPIM::dateTimeToText(QDateTime(QDate(2004, 3, 5), QTime(14, 7, 9))),
             QStringLiteral("5 3 2004 14 7 9"));
    QCOMPARE(YMRPIM::timeToText(QTime(14, 7, 9)), QStringLiteral("14 7 9"));
    QVERIFY(YMRPIM::dateToText(QDate()).isNull());
    QVERIFY(YMRPIM::dateTimeToText(QDateTime()).isNull());
    QCOMPARE(YMRPIM::textToDate(QStringLiteral("  5   3 2004 ")), QDate(2004, 3, 5));
    QCOMPARE(YMRPIM::textToDate(QStringLiteral("5 3 2004 14 7 9")), QDate(2004, 3, 5));
    QVERIFY(YMRPIM::textToDate(QString()).isNull());
    QVERIFY(!YMRPIM::textToDate(QStringLiteral("x 3 2004")).isValid());
    QCOMPARE(YMRPIM::textToDateTime(QStringLiteral("5 3 2004 14 7")),
             QDateTime(QDate(2004, 3, 5), QTime(14, 7, 0)));
    QVERIFY(YMRPIM::textToDateTime(QString()).isNull());
    QCOMPARE(YMRPIM::textToTime(QStringLiteral("14 7 9")), QTime(14, 7, 9));
    QVERIFY(!YMRPIM::textToTime(QStringLiteral("25 0 0")).isValid());
}

void TestYMRPIM::sortKeys()
{
    QCOMPARE(YMRPIM::sortKey(QDate(2004, 3, 5)), QStringLiteral("00008830"));
    QCOMPARE(YMRPIM::sortKey(QDate(1980, 1, 1).addDays(-42)), QStringLiteral("-0000042"));
    QVERIFY(YMRPIM::sortKey(QDate()).isNull());
    QCOMPARE(YMRPIM::sortKey(1234.5), QStringLiteral("001234.50000"));
    QCOMPARE(YMRPIM::sortKey(-3.25), QStringLiteral("-00003.25000"));
    QVERIFY(YMRPIM::sortKey(1234567.0).size() > 12);
    QCOMPARE(YMRPIM::sortKey(true), QStringLiteral("1"));
    QCOMPARE(YMRPIM::sortKey(false), QStringLiteral("0"));
    QCOMPARE(YMRPIM::sortKey(42), QStringLiteral("00000042"));
    QCOMPARE(YMRPIM::sortKey(QTime(1, 0, 1)), QStringLiteral("00003601"));
    QCOMPARE(YMRPIM::sortKey(QDateTime(QDate(1980, 1, 2), QTime(0, 0, 1))), QStringLiteral("00086401"));
    QVERIFY(YMRPIM::sortKey(QDateTime()).isNull());

    // the stores' comparison orders the keys by value
    const QList<double> values = {-1000000, -10, -3.25, -0.5, 0, 0.25, 9.5, 999999.99, 1000000, 25000000};
    for (int i = 1; i < values.size(); ++i) {
        const QString a = YMRPIM::sortKey(values.at(i - 1));
        const QString b = YMRPIM::sortKey(values.at(i));
        QVERIFY2(YMRPIM::compareKeys(a, b) < 0, qPrintable(a + QLatin1Char(' ') + b));
        QVERIFY(YMRPIM::compareKeys(b, a) > 0);
    }
    QVERIFY(YMRPIM::compareKeys(QString(), YMRPIM::sortKey(-5.0)) < 0);
    QVERIFY(YMRPIM::compareKeys(YMRPIM::sortKey(QDate(1979, 1, 1)), YMRPIM::sortKey(QDate(1980, 6, 1))) < 0);
    // date-time keys before and after their change of digit count
    QVERIFY(YMRPIM::compareKeys(YMRPIM::sortKey(QDateTime(QDate(2011, 9, 1), QTime(0, 0))),
                                YMRPIM::sortKey(QDateTime(QDate(2011, 10, 1), QTime(0, 0)))) < 0);
    // texts stay in code order, numbers come before words
    QVERIFY(YMRPIM::compareKeys(QStringLiteral("Food"), QStringLiteral("Taxi")) < 0);
    QVERIFY(YMRPIM::compareKeys(QStringLiteral("42"), QStringLiteral("Food")) < 0);
    QVERIFY(YMRPIM::compareKeys(QStringLiteral("1.2.3"), QStringLiteral("1.2.4")) < 0);
}

void TestYMRPIM::keysInEveryLocale_data()
{
    QTest::addColumn<QByteArray>("locale");
    for (const char *name : {"C", "de_DE.UTF-8", "tr_TR.UTF-8", "de_DE.ISO-8859-1"})
        QTest::newRow(name) << QByteArray(name);
}

// Keys, and the order they give, are the same whatever the user's locale:
// a decimal comma in a key would fail the numeric comparison.
void TestYMRPIM::keysInEveryLocale()
{
    QFETCH(QByteArray, locale);
    YMR_USE_LOCALE(locale.constData());
    QCOMPARE(YMRPIM::sortKey(1234.5), QStringLiteral("001234.50000"));
    QCOMPARE(YMRPIM::sortKey(-3.25), QStringLiteral("-00003.25000"));
    QCOMPARE(YMRPIM::sortKey(0.0), QStringLiteral("000000.00000"));
    QCOMPARE(YMRPIM::sortKey(-0.0), QStringLiteral("-00000.00000"));
    QCOMPARE(YMRPIM::sortKey(12345678901.5), QStringLiteral("12345678901.50000"));
    QCOMPARE(YMRPIM::amountSortKey(QStringLiteral("1e3")), QStringLiteral("001000.00000"));

    // an empty or unreadable amount counts as 0, between the negative and
    // the positive ones
    QStringList amounts{"12.5", "", "-3", "abc", "0.5", "1e2", "-0.25"};
    std::stable_sort(amounts.begin(), amounts.end(), [](const QString &a, const QString &b) {
        return YMRPIM::compareKeys(YMRPIM::amountSortKey(a), YMRPIM::amountSortKey(b)) < 0;
    });
    QCOMPARE(amounts, QStringList({"-3", "-0.25", "", "abc", "0.5", "12.5", "1e2"}));
}

void TestYMRPIM::amountTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("plain") << QStringLiteral("1234.5");
    QTest::newRow("integer") << QStringLiteral("42");
    QTest::newRow("negative") << QStringLiteral("-3.25");
    QTest::newRow("negative zero") << QStringLiteral("-0");
    QTest::newRow("leading zeros") << QStringLiteral("007.10");
    QTest::newRow("five decimals") << QStringLiteral("0.00001");
    QTest::newRow("six decimals") << QStringLiteral("0.000005");
    QTest::newRow("ten digits") << QStringLiteral("9999999999.99999");
    QTest::newRow("eleven digits") << QStringLiteral("12345678901.5");
    QTest::newRow("exponent") << QStringLiteral("1e3");
    QTest::newRow("blanks") << QStringLiteral(" 12.5 ");
    QTest::newRow("plus") << QStringLiteral("+12.5");
    QTest::newRow("trailing point") << QStringLiteral("12.");
    QTest::newRow("leading point") << QStringLiteral(".5");
    QTest::newRow("comma") << QStringLiteral("12,5");
    QTest::newRow("word") << QStringLiteral("abc");
    QTest::newRow("empty") << QString();
}

void TestYMRPIM::amountTexts()
{
    QFETCH(QString, text);
    const double general = text.toDouble();
    const double fast = YMRPIM::amountValue(text);
    QCOMPARE(memcmp(&fast, &general, sizeof fast), 0);
    QCOMPARE(YMRPIM::amountSortKey(text), YMRPIM::sortKey(general));
}

void TestYMRPIM::amountTextsAgreeWithGeneralReading()
{
    // plain decimal texts of every length the quick reading takes
    quint32 seed = 12345;
    auto next = [&seed] { seed = seed * 1103515245u + 12345u; return seed >> 8; };
    for (int i = 0; i < 20000; ++i) {
        QString text;
        if (next() % 4 == 0)
            text += QLatin1Char('-');
        const int intLen = 1 + int(next() % 10);
        for (int j = 0; j < intLen; ++j)
            text += QLatin1Char(char('0' + next() % 10));
        const int fracLen = int(next() % 6);
        if (fracLen > 0) {
            text += QLatin1Char('.');
            for (int j = 0; j < fracLen; ++j)
                text += QLatin1Char(char('0' + next() % 10));
        }
        const double general = text.toDouble();
        const double fast = YMRPIM::amountValue(text);
        QVERIFY2(memcmp(&fast, &general, sizeof fast) == 0, qPrintable(text));
        QCOMPARE(YMRPIM::amountSortKey(text), YMRPIM::sortKey(general));
    }
}

void TestYMRPIM::csvQuote()
{
    const QString comma = QStringLiteral(",");
    QCOMPARE(YMRPIM::csvQuote(QStringLiteral("abc"), QStringLiteral("\""), comma), QStringLiteral("\"abc\","));
    QCOMPARE(YMRPIM::csvQuote(QStringLiteral("a,b"), QString(), comma), QStringLiteral("\"a,b\","));
    QCOMPARE(YMRPIM::csvQuote(QStringLiteral("12"), QString(), comma), QStringLiteral("12,"));
    QCOMPARE(YMRPIM::csvQuote(QStringLiteral("two\nlines"), QString(), comma),
             QStringLiteral("\"two\nlines\","));
    QCOMPARE(YMRPIM::csvQuote(QStringLiteral("say \"hi\""), QStringLiteral("\""), QStringLiteral(";")),
             QStringLiteral("\"say \"\"hi\"\"\";"));
    // with no qualifier a quote or a carriage return still gets one
    QCOMPARE(YMRPIM::csvQuote(QStringLiteral("a\"b"), QString(), comma), QStringLiteral("\"a\"\"b\","));
    QCOMPARE(YMRPIM::csvQuote(QStringLiteral("a\rb"), QString(), comma), QStringLiteral("\"a\rb\","));
}

void TestYMRPIM::csvSplit()
{
    const QChar q = QLatin1Char('"'), sep = QLatin1Char(',');
    QStringList f;
    bool cont = false;
    QVERIFY(YMRPIM::csvSplit(f, QStringLiteral("a,\"b,c\",\"d\"\"e\",f,"), q, sep, cont));
    QCOMPARE(f, QStringList({"a", "b,c", "d\"e", "f"}));
    QVERIFY(!cont);

    f.clear();
    QVERIFY(YMRPIM::csvSplit(f, QStringLiteral("x,\"first"), q, sep, cont));
    QVERIFY(cont);
    QVERIFY(YMRPIM::csvSplit(f, QStringLiteral("second\",y"), q, sep, cont));
    QVERIFY(!cont);
    QCOMPARE(f, QStringList({"x", "first\nsecond", "y"}));

    f.clear();
    QVERIFY(YMRPIM::csvSplit(f, QString(), q, sep, cont));
    QVERIFY(f.isEmpty());
    QVERIFY(!YMRPIM::csvSplit(f, QStringLiteral("a,\""), q, sep, cont));
    QVERIFY(!cont);
}

void TestYMRPIM::copyFile()
{
    QTemporaryDir dir;
    const QString src = dir.filePath(QStringLiteral("src"));
    const QString dst = dir.filePath(QStringLiteral("dst"));
    QByteArray block(16384, 'a');
    block[100] = 'b';
    writeAll(src, block);
    QVERIFY(YMRPIM::copyFile(src, dst, false, 1 << 20));
    QCOMPARE(readAll(dst), block);
    QVERIFY(QFile::exists(src));
    QVERIFY(tempFilesIn(dir.path()).isEmpty());

    const QByteArray big = QByteArray(40000, 'z') + "end";
    writeAll(src, big);
    QVERIFY(YMRPIM::copyFile(src, dst, true, 1 << 20));
    QCOMPARE(readAll(dst), big);
    QVERIFY(!QFile::exists(src));

    // a destination that cannot be written: false, the source stays
    writeAll(src, "keep");
    QVERIFY(!YMRPIM::copyFile(src, dir.filePath(QStringLiteral("dst/inside")), true, 1 << 20));
    QCOMPARE(readAll(src), QByteArray("keep"));
    QCOMPARE(readAll(dst), big);
}

void TestYMRPIM::copyFileRefusesSameFileAndMissingSource()
{
    QTemporaryDir dir;
    const QString src = dir.filePath(QStringLiteral("book.exp"));
    writeAll(src, "FOLDER\nEND\n");
    QVERIFY(!YMRPIM::copyFile(src, src, false, 1 << 20));
    QVERIFY(!YMRPIM::copyFile(src, dir.filePath(QStringLiteral("./book.exp")), true, 1 << 20));
    const QString link = dir.filePath(QStringLiteral("link.exp"));
    QVERIFY(QFile::link(src, link));
    QVERIFY(!YMRPIM::copyFile(src, link, true, 1 << 20));
    QVERIFY(!YMRPIM::copyFile(link, src, true, 1 << 20));
    const QString hard = dir.filePath(QStringLiteral("hard.exp"));
    QCOMPARE(::link(QFile::encodeName(src).constData(), QFile::encodeName(hard).constData()), 0);
    QVERIFY(!YMRPIM::copyFile(hard, src, true, 1 << 20));
    QCOMPARE(readAll(src), QByteArray("FOLDER\nEND\n"));
    // a file at the name an earlier version copied through is a file like
    // any other
    const QString left = dir.filePath(QStringLiteral("left.exp.new"));
    writeAll(left, "FOLDER\nEND\n");
    QVERIFY(YMRPIM::copyFile(left, dir.filePath(QStringLiteral("left.exp")), false, 1 << 20));
    QCOMPARE(readAll(left), QByteArray("FOLDER\nEND\n"));
    QCOMPARE(readAll(dir.filePath(QStringLiteral("left.exp"))), QByteArray("FOLDER\nEND\n"));

    const QString other = dir.filePath(QStringLiteral("other"));
    writeAll(other, "precious");
    QVERIFY(!YMRPIM::copyFile(dir.filePath(QStringLiteral("missing")), other, false, 1 << 20));
    QCOMPARE(readAll(other), QByteArray("precious"));
    QVERIFY(!YMRPIM::copyFile(dir.filePath(QStringLiteral("missing")), dir.filePath(QStringLiteral("none")), false, 1 << 20));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("none"))));
    QVERIFY(!YMRPIM::copyFile(dir.path(), other, false, 1 << 20));
    // a FIFO is not waited on, and nothing past the limit is copied
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QVERIFY(!YMRPIM::copyFile(fifo, other, false, 1 << 20));
    QVERIFY(!YMRPIM::copyFile(src, other, false, 10));
    QCOMPARE(readAll(other), QByteArray("precious"));
}

// Whatever waits at "<file>.new" (the temporary name of an earlier version)
// is neither written through nor removed: the save writes a file of its own.
void TestYMRPIM::newFileCreatedAfresh_data()
{
    QTest::addColumn<QString>("waiting");
    QTest::newRow("stale file") << "stale";
    QTest::newRow("link to a file") << "victim";
    QTest::newRow("dangling link") << "nowhere";
    QTest::newRow("hard link to a file") << "hard";
}

void TestYMRPIM::newFileCreatedAfresh()
{
    QFETCH(QString, waiting);
    QTemporaryDir dir;
    const QString book = dir.filePath(QStringLiteral("book.exp"));
    writeAll(dir.filePath(QStringLiteral("victim")), "precious");
    const QByteArray newName = QFile::encodeName(book + QStringLiteral(".new"));
    const QByteArray victim = QFile::encodeName(dir.filePath(QStringLiteral("victim")));
    if (waiting == QLatin1String("stale"))
        writeAll(book + QStringLiteral(".new"), "left by a crash");
    else if (waiting == QLatin1String("hard"))
        QCOMPARE(::link(victim.constData(), newName.constData()), 0);
    else
        QCOMPARE(::symlink(QFile::encodeName(dir.filePath(waiting)).constData(), newName.constData()), 0);
    QFile file;
    QVERIFY(YMRPIM::openNewFile(file, book));
    QVERIFY(YMRPIM::commitNewFile(file, file.write("new") == 3));
    QCOMPARE(readAll(book), QByteArray("new"));
    QCOMPARE(readAll(QFile::decodeName(victim)), QByteArray("precious"));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("nowhere"))));
    if (waiting == QLatin1String("stale") || waiting == QLatin1String("hard"))
        QCOMPARE(readAll(book + QStringLiteral(".new")), waiting == QLatin1String("stale") ? QByteArray("left by a crash") : QByteArray("precious"));
    else
        QCOMPARE(QFile::symLinkTarget(book + QStringLiteral(".new")), dir.filePath(waiting));
    QVERIFY(tempFilesIn(dir.path()).isEmpty());
}

void TestYMRPIM::dataListsWithInstalledDefaults()
{
    const QStringList names = {"types", "cities", "accounts", "currencies_en", "currencies_ja",
                               "dateFormat", "timeFormat", "dateTimeFormat", "numberformat"};
    for (const QString &name : names) {
        QVERIFY2(QFile::exists(YMRPIM::defaultListPath(name)), qPrintable(name));
        QVERIFY(!QFile::exists(YMRPIM::userListPath(name)));
        const QStringList list = YMRPIM::loadList(name);
        QVERIFY2(!list.isEmpty(), qPrintable(name));
        for (const QString &entry : list)
            QVERIFY(!entry.isEmpty());
    }
    QVERIFY(YMRPIM::loadList(QStringLiteral("dateFormat")).contains(QStringLiteral("YYYY/MM/DD")));
    QVERIFY(YMRPIM::loadList(QStringLiteral("dateTimeFormat")).contains(QStringLiteral("YYYY/MM/DD hh:mm AM/PM")));
    QVERIFY(YMRPIM::loadList(QStringLiteral("numberformat")).contains(QStringLiteral("@#,#")));
    // every currency row is a symbol and a format code
    for (const QString &row : YMRPIM::loadList(QStringLiteral("currencies_en")))
        QCOMPARE(row.split(QLatin1Char('|'), Qt::SkipEmptyParts).size(), 2);

    // the user's copy: no final line feed, UTF-8, and it wins from now on
    const QStringList mine = {QStringLiteral("Caf\u00e9"), QStringLiteral("Bus")};
    QVERIFY(YMRPIM::saveList(QStringLiteral("types"), mine));
    const QString user = YMRPIM::userListPath(QStringLiteral("types"));
    QCOMPARE(user, Global::applicationFileName(QStringLiteral("ymrOutlaysData"), QStringLiteral("types")));
    QCOMPARE(readAll(user), QByteArray("Caf\xc3\xa9\nBus"));
    QVERIFY(tempFilesIn(QFileInfo(user).path()).isEmpty());
    QCOMPARE(YMRPIM::loadList(QStringLiteral("types")), mine);
    writeAll(user, "a\n\nb\n");
    QCOMPARE(YMRPIM::loadList(QStringLiteral("types")), QStringList({"a", "b"}));
    QVERIFY(YMRPIM::saveList(QStringLiteral("types"), QStringList()));
    QVERIFY(YMRPIM::loadList(QStringLiteral("types")).isEmpty()); // an empty copy still wins
    QVERIFY(YMRPIM::loadList(QStringLiteral("no such list")).isEmpty());
}

void TestYMRPIM::replaceAll()
{
    QString text = QStringLiteral("a|b||c");
    QCOMPARE(YMRPIM::replaceAll(QStringLiteral("|"), QStringLiteral("||"), text), QStringLiteral("a||b||||c"));
    QCOMPARE(text, QStringLiteral("a||b||||c"));
    text = QStringLiteral("aaaa");
    QCOMPARE(YMRPIM::replaceAll(QStringLiteral("aa"), QStringLiteral("a"), text), QStringLiteral("a"));
    text = QStringLiteral("xyz");
    QCOMPARE(YMRPIM::replaceAll(QStringLiteral("q"), QStringLiteral("r"), text), QStringLiteral("xyz"));
}

void TestYMRPIM::selectItem()
{
    const QStringList entries = {"Cash", "Card", "Bank"};
    YMRComboBox combo(true);
    combo.insertStringList(entries, -1);
    YMRPIM::selectItem(&combo, QStringLiteral("Bank"), false);
    QCOMPARE(combo.currentItem(), 2);
    YMRPIM::selectItem(&combo, QString(), false);
    QCOMPARE(combo.currentItem(), 0);
    YMRPIM::selectItem(&combo, QStringLiteral("Cheque"), false);
    QCOMPARE(combo.currentText(), QStringLiteral("Cheque"));
    QCOMPARE(combo.count(), 3);

    YMRListBox list;
    YMRPIM::selectItem(&list, QString(), false); // empty box: nothing
    QCOMPARE(list.currentItem(), -1);
    list.insertStringList(entries, -1);
    YMRPIM::selectItem(&list, QStringLiteral("Card"), false);
    QCOMPARE(list.currentItem(), 1);
    YMRPIM::selectItem(&list, QStringLiteral("none"), true);
    QCOMPARE(list.currentItem(), 0);
}

YMR_TEST_MAIN(TestYMRPIM)
#include "tst_ymrpim.moc"
