#include "ymrtest.h"

#include "exportdialog.h"

#include "pim/task.h"
#include "pim/taskmanager.h"
#include "qt/ymrapplication.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QTextStream>

// The rows a UTF-8 file gets straight from the export are the bytes the
// stream's codec makes of the same rows as text.
class TestExportRows : public QObject
{
    Q_OBJECT
private slots:
    void utf8BytesMatchTheCodec_data();
    void utf8BytesMatchTheCodec();
};

void TestExportRows::utf8BytesMatchTheCodec_data()
{
    QTest::addColumn<QString>("qualifier");
    QTest::addColumn<QString>("delim");
    QTest::newRow("quote, comma") << QStringLiteral("\"") << QStringLiteral(",");
    QTest::newRow("no qualifier, semicolon") << QString() << QStringLiteral(";");
    QTest::newRow("no qualifier, no delimiter") << QString() << QString();
    QTest::newRow("apostrophe, tab") << QStringLiteral("'") << QStringLiteral("\t");
    QTest::newRow("long qualifier and delimiter") << QStringLiteral("<<") << QStringLiteral("::");
    QTest::newRow("non-ASCII qualifier") << QStringLiteral("\u00ab") << QStringLiteral("|");
}

void TestExportRows::utf8BytesMatchTheCodec()
{
    QFETCH(QString, qualifier);
    QFETCH(QString, delim);
    QTemporaryDir dir;
    TaskManager book(dir.path() + QStringLiteral("/rows.exp"));
    const QStringList texts = {
        QStringLiteral("plain"), QStringLiteral("with \"quotes\" and 'marks'"),
        QStringLiteral("a,b;c|d\te::f<<g"), QStringLiteral("caf\u00e9 \u20ac \u00ab\u00bb"),
        QStringLiteral("pair \U0001F600 end"), QString(QChar(0xd800)) + QStringLiteral("lone"),
        QStringLiteral("tail ") + QChar(0xd83d), QStringLiteral("cr\rlf"), QString(),
        QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789\"ABCDEFGH")};
    QList<PIMRecord *> records;
    for (int i = 0; i < texts.size(); ++i) {
        auto *t = new Task(&book);
        t->type = texts.at(i);
        t->amount = QString::number(i * 1.25);
        t->city = texts.at((i + 3) % texts.size());
        t->description = texts.at((i + 5) % texts.size()) + QStringLiteral("\n")
                         + texts.at((i + 7) % texts.size());
        t->date = QDate(1999 + i, 1 + i, 1 + 2 * i);
        t->setCreated(QDateTime(QDate(2004, 3, 5), QTime(14, i, 9)));
        t->setUpdated(QDateTime(QDate(2004, 3, 5 + i % 2), QTime(9, 30)));
        book.records()->append(t);
        records.append(t);
    }

    QBuffer direct;
    direct.open(QIODevice::WriteOnly);
    QTextStream out(&direct);
    out.setCodec("UTF-8");
    out << QStringLiteral("before ");
    ExportDialog::writeRows(out, records, QStringLiteral("DD.MM.YY"), QStringLiteral("YYYY-M-D h:mm"),
                            qualifier, delim, QStringLiteral(" / "));
    out.flush();
    QCOMPARE(out.status(), QTextStream::Ok);

    QString text = QStringLiteral("before ");
    QTextStream asText(&text);
    ExportDialog::writeRows(asText, records, QStringLiteral("DD.MM.YY"),
                            QStringLiteral("YYYY-M-D h:mm"), qualifier, delim, QStringLiteral(" / "));
    asText.flush();
    QCOMPARE(direct.data(), QTextCodec::codecForName("UTF-8")->fromUnicode(text));
    QCOMPARE(text.count(QLatin1Char('\n')), texts.size() + 1);
}

YMR_TEST_MAIN(TestExportRows)
#include "tst_exportrows.moc"
