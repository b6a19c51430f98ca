#include "ymrtest.h"

#include "pim/categorymanager.h"
#include "pim/categoryrecord.h"
#include "pim/pimcsvwriter.h"
#include "pim/task.h"
#include "pim/taskmanager.h"
#include "qt/ymrapplication.h"

#include <QBuffer>
#include <QTextStream>

// The rows of a CSV export, as UTF-8 bytes, with each kind of quoting.
class TestPIMCsvWriter : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void rows_data();
    void rows();

private:
    QStringList m_categories;
};

void TestPIMCsvWriter::initTestCase()
{
    CategoryManager *cats = TaskManager::sharedCategoryManager();
    for (const char *title : {"Food", "Travel"}) {
        auto *c = new CategoryRecord(cats);
        c->title = QString::fromLatin1(title);
        cats->addRecord(c);
        m_categories << c->uidString();
    }
}

void TestPIMCsvWriter::cleanupTestCase()
{
    TaskManager::releaseSharedCategoryManager();
}

void TestPIMCsvWriter::rows_data()
{
    QTest::addColumn<QString>("qualifier");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<QString>("multiline");
    QTest::addColumn<QString>("expected");
    // every field qualified, a qualifier inside doubled; no delimiter ends a row
    QTest::newRow("quote, two-character delimiter")
        << "\"" << "; " << " / "
        << "\"Date\"; \"Type\"; \"Amount\"; \"Currency\"; \"City\"; \"Account\"; \"Description\"; "
           "\"Created Date\"; \"Updated Date\"; \"Categories\"\n"
           "\"01.03.26 00:00\"; \"Taxi\"; \"12,50\"; \"EUR\"; \"Caf\u00e9 \"\"Nord\"\"\"; \"it's\"; "
           "\"ride / back; home\"; \"2026-3-1 9:05 AM\"; \"2026-3-2 11:59 PM\"; \"Food, Travel\"\n";
    // no qualifier: a field holding the delimiter, a quote or a line break
    // is quoted all the same
    QTest::newRow("none, comma")
        << "" << "," << "\n"
        << "Date,Type,Amount,Currency,City,Account,Description,Created Date,Updated Date,"
           "Categories\n"
           "01.03.26 00:00,Taxi,\"12,50\",EUR,\"Caf\u00e9 \"\"Nord\"\"\",it's,"
           "\"ride\nback; home\",2026-3-1 9:05 AM,2026-3-2 11:59 PM,\"Food, Travel\"\n";
}

void TestPIMCsvWriter::rows()
{
    QFETCH(QString, qualifier);
    QFETCH(QString, delimiter);
    QFETCH(QString, multiline);
    QFETCH(QString, expected);

    TaskManager book(QStringLiteral("csv.exp"));
    auto *t = new Task(&book);
    t->date = QDate(2026, 3, 1);
    t->type = QStringLiteral("Taxi");
    t->amount = QStringLiteral("12,50");
    t->currency = QStringLiteral("EUR");
    t->city = QStringLiteral("Caf\u00e9 \"Nord\"");
    t->account = QStringLiteral("it's");
    t->description = QStringLiteral("ride\nback; home");
    t->setCreated(QDateTime(QDate(2026, 3, 1), QTime(9, 5, 7)));
    t->setUpdated(QDateTime(QDate(2026, 3, 2), QTime(23, 59)));
    t->setCategories(m_categories);
    book.records()->append(t);
    // not an expense: no row
    book.records()->append(new PIMRecord(&book));

    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    QTextStream out(&bytes);
    out.setCodec("UTF-8");
    PIMCsvWriter(QStringLiteral("DD.MM.YY hh:mm"), QStringLiteral("YYYY-M-D h:mm AM/PM"),
                 qualifier, delimiter, multiline)
        .write(out, *book.records());
    out.flush();
    QCOMPARE(out.status(), QTextStream::Ok);
    QCOMPARE(bytes.data(), expected.toUtf8());
}

YMR_TEST_MAIN(TestPIMCsvWriter)
#include "tst_pimcsvwriter.moc"
