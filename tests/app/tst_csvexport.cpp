// ymr-test-screens: 240x320 480x640
#include "ymrtest.h"

#include "openbook.h"
#include "tempfiles.h"

#include "dateformatselector.h"
#include "exportdialog.h"
#include "textcodecselector.h"

#include "filedialog/ymfiledialog.h"
#include "pim/ymrpim.h"
#include "qpe/filereplacer.h"
#include "qpe/qpeglobal.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrdialog.h"

#include <QCheckBox>
#include <QJsonArray>
#include <QLabel>
#include <QJsonDocument>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>

using namespace fixtures;

// The open book exported to CSV from the main window with each delimiter,
// qualifier and codec, read back by an independent CSV reader.
class TestCsvExport : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void exportReadsBack_data();
    void exportReadsBack();
    void utf32KeepsEveryCharacter_data();
    void utf32KeepsEveryCharacter();
    void narrowCodecWarns_data();
    void narrowCodecWarns();
    void qualifierAndDelimiterDiffer();
    void fileNamesAndReplacing();
    void failedWritesKeepTheOldFile();
    void settingsAndEmptyView();

private:
    // Runs the export command with these options and the chosen file.
    static void exportWith(ToDoWindow &w, const std::function<void(ExportDialog *)> &options,
                           const QStringList &files);
    static QList<QStringList> readCsv(const QString &path, const QString &encoding,
                                      const QString &delimiter, const QString &quote);
    static int codecEntry(const QString &name);
    QString m_book;
    QString m_out;
};

void TestCsvExport::initTestCase()
{
    qApp->setQuitOnLastWindowClosed(false);
    if (QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty())
        QSKIP("no python3 to read the files back");
}

void TestCsvExport::init()
{
    m_book = makeBook(QStringLiteral("Trips"),
                      {{"Taxi", "12,50", "Café Nord", "say \"hi\", ok; ride\nback + home", QDate(2026, 3, 1)},
                       {"Food", "7", "Rome", "lunch: pasta - 'fresh' `x` a/b!", QDate(2026, 3, 2)},
                       {"Hotel", "120", "Paris\tcentre", "", QDate(2026, 3, 4)}});
    m_out = booksDir() + QStringLiteral("/out.csv");
    QFile::remove(m_out);
    // the tests that choose no codec write plain text
    setSetting("ExportOptions", "unicode", QStringLiteral("0"));
}

void TestCsvExport::cleanup()
{
    YMRDialog::stopScript();
    YMFileDialog::clearScript();
}

int TestCsvExport::codecEntry(const QString &name)
{
    if (name.isEmpty())
        return 0;
    const QList<QTextCodec *> codecs = TextCodecSelector::codecs();
    for (int i = 0; i < codecs.size(); ++i) {
        if (QString::fromLatin1(codecs.at(i)->name()) == name)
            return i + 1;
    }
    return -1;
}

void TestCsvExport::exportWith(ToDoWindow &w, const std::function<void(ExportDialog *)> &options,
                               const QStringList &files)
{
    for (const QString &f : files)
        YMFileDialog::queueAnswer({f});
    ymrtest::whenModalShown([options](QDialog *d) {
        auto *dialog = qobject_cast<ExportDialog *>(d);
        QVERIFY(dialog);
        options(dialog);
        d->accept();
    });
    trigger(w, "export");
}

QList<QStringList> TestCsvExport::readCsv(const QString &path, const QString &encoding,
                                          const QString &delimiter, const QString &quote)
{
    static const char script[] =
        "import csv, json, sys\n"
        "with open(sys.argv[1], newline='', encoding=sys.argv[2]) as f:\n"
        "    print(json.dumps(list(csv.reader(f, delimiter=sys.argv[3], quotechar=sys.argv[4]))))\n";
    QProcess p;
    p.start(QStringLiteral("python3"),
            {QStringLiteral("-c"), QString::fromLatin1(script), path, encoding, delimiter, quote});
    p.waitForFinished(20000);
    const QByteArray err = p.readAllStandardError();
    if (!err.isEmpty())
        qWarning("%s", err.constData());
    QList<QStringList> rows;
    const QJsonArray array = QJsonDocument::fromJson(p.readAllStandardOutput()).array();
    for (const QJsonValue &row : array) {
        QStringList fields;
        for (const QJsonValue &f : row.toArray())
            fields << f.toString();
        rows << fields;
    }
    return rows;
}

void TestCsvExport::exportReadsBack_data()
{
    QTest::addColumn<int>("delimiter");
    QTest::addColumn<QString>("other");
    QTest::addColumn<QString>("qualifier");
    QTest::addColumn<QString>("codec");
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<int>("multiline");
    QTest::newRow("tab, double quote, plain") << 0 << "" << "\"" << "" << "utf-8" << 0;
    QTest::newRow("space, single quote, UTF-8") << 1 << "" << "'" << "UTF-8" << "utf-8" << 1;
    QTest::newRow("semicolon, double quote, UTF-16") << 2 << "" << "\"" << "UTF-16" << "utf-16" << 0;
    QTest::newRow("comma, none, Latin-1") << 3 << "" << "" << "ISO-8859-1" << "latin-1" << 0;
    QTest::newRow("bang, backtick") << 4 << "" << "`" << "" << "utf-8" << 1;
    QTest::newRow("colon, none") << 5 << "" << "" << "" << "utf-8" << 1;
    QTest::newRow("hyphen, none") << 6 << "" << "" << "" << "utf-8" << 0;
    QTest::newRow("pipe, single quote") << 7 << "" << "'" << "" << "utf-8" << 0;
    QTest::newRow("slash, double quote") << 8 << "" << "\"" << "" << "utf-8" << 1;
    QTest::newRow("other, none") << 0 << "#" << "" << "" << "utf-8" << 0;
}

void TestCsvExport::exportReadsBack()
{
    QFETCH(int, delimiter);
    QFETCH(QString, other);
    QFETCH(QString, qualifier);
    QFETCH(QString, codec);
    QFETCH(QString, encoding);
    QFETCH(int, multiline);
    const int entry = codecEntry(codec);
    if (entry < 0)
        QSKIP("codec not available");
    // the user's own file at the name the export once wrote through
    writeFile(m_out + ".new", "mine");

    ToDoWindow w;
    QVERIFY(openInWindow(w, m_book));
    exportWith(w, [&](ExportDialog *d) {
        d->delimiter->setCurrentItem(delimiter);
        d->other->setChecked(!other.isEmpty());
        d->delimiterChanged();
        d->otherDelimiter->setText(other);
        YMRPIM::selectItem(d->qualifier, qualifier, true);
        d->unicode->setCurrentItem(entry);
        d->dateFormat->setFormat(QStringLiteral("YYYY-MM-DD"));
        d->dateTimeFormat->setFormat(QStringLiteral("YYYY-MM-DD hh:mm:ss"));
        d->ml->setCurrentItem(multiline);
    }, {m_out});
    QVERIFY(QFileInfo::exists(m_out));
    QCOMPARE(readAll(m_out + ".new"), QByteArray("mine"));
    QVERIFY(tempFilesIn(booksDir()).isEmpty());

    const QString sep = other.isEmpty() ? QString(QLatin1Char("\t ;,!:-|/"[delimiter])) : other;
    const QList<QStringList> rows =
        readCsv(m_out, encoding, sep, qualifier.isEmpty() ? QStringLiteral("\"") : qualifier);
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows.at(0), QStringList({"Date", "Type", "Amount", "Currency", "City", "Account",
                                      "Description", "Created Date", "Updated Date",
                                      "Categories"}));
    PIMRecordArray *view = w.manager()->view();
    for (int i = 0; i < view->count(); ++i) {
        auto *t = static_cast<Task *>(view->at(i));
        QString description = t->description;
        if (multiline == 1)
            description.replace('\n', ' ');
        const QString stamp = QStringLiteral("yyyy-MM-dd hh:mm:ss");
        QCOMPARE(rows.at(i + 1),
                 QStringList({t->date.toString(Qt::ISODate), t->type, t->amount, t->currency,
                              t->city, t->account, description, t->created().toString(stamp),
                              t->updated().toString(stamp), QString()}));
    }
    // with a qualifier every field stands between qualifiers
    if (!qualifier.isEmpty() && encoding == QLatin1String("utf-8")) {
        const QString text = QString::fromUtf8(readAll(m_out));
        QVERIFY(text.startsWith(qualifier + "Date" + qualifier + sep + qualifier + "Type"));
        QVERIFY(text.endsWith(qualifier + "\n"));
    }
}

void TestCsvExport::utf32KeepsEveryCharacter_data()
{
    QTest::addColumn<QString>("codec");
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<QByteArray>("start");
    // the mark and byte order of basic-plane text are Qt's own; "UTF-32"
    // takes this (little-endian) machine's order
    QTest::newRow("UTF-32") << "UTF-32" << "utf-32" << QByteArray("fffe000022000000");
    QTest::newRow("UTF-32BE") << "UTF-32BE" << "utf-32-be" << QByteArray("0000002200000044");
    QTest::newRow("UTF-32LE") << "UTF-32LE" << "utf-32-le" << QByteArray("2200000044000000");
}

void TestCsvExport::utf32KeepsEveryCharacter()
{
    QFETCH(QString, codec);
    QFETCH(QString, encoding);
    QFETCH(QByteArray, start);
    const int entry = codecEntry(codec);
    if (entry < 0)
        QSKIP("codec not available");
    // a surrogate pair every three characters, well past the stream's
    // 16,384-character chunk
    const QString description = QStringLiteral("\u00e9\U0001F600").repeated(8000);
    m_book = makeBook(QStringLiteral("Emoji"), {{"Taxi", "1", "Rome", description, {}}});
    ToDoWindow w;
    QVERIFY(openInWindow(w, m_book));
    exportWith(w, [entry](ExportDialog *d) {
        d->other->setChecked(false);
        d->delimiter->setCurrentItem(3);
        YMRPIM::selectItem(d->qualifier, QStringLiteral("\""), false);
        d->unicode->setCurrentItem(entry);
    }, {m_out});
    QVERIFY(readAll(m_out).startsWith(QByteArray::fromHex(start)));
    const QList<QStringList> rows = readCsv(m_out, encoding, ",", "\"");
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(1).at(6), description);
}

// The warning tells what the file holds instead: Latin-1 writes a character
// beyond the basic plane as two stand-ins, other codecs leave the marks of
// writing direction out.
void TestCsvExport::narrowCodecWarns_data()
{
    QTest::addColumn<QString>("codec");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<int>("standIns"); // the "?" in the file
    QTest::newRow("Latin-1") << "ISO-8859-1"
                             << "8 characters could not be written in ISO-8859-1: the file holds "
                                "11 stand-ins for them.\nFirst: \U0001F684 (U+1F684), \U00020BB7 "
                                "(U+20BB7), \u91ce (U+91CE)\n" << 11;
    QTest::newRow("windows-1252") << "windows-1252"
                                  << "7 characters could not be written in windows-1252: the file "
                                     "holds 5 stand-ins for 5 of them and leaves 2 out.\nFirst: "
                                     "\U0001F684 (U+1F684), \U00020BB7 (U+20BB7), \u91ce (U+91CE)\n"
                                  << 5;
    QTest::newRow("Shift_JIS") << "Shift_JIS"
                               << "6 characters could not be written in Shift_JIS: the file "
                                  "holds 4 stand-ins for 4 of them and leaves 2 out.\nFirst: "
                                  "\U0001F684 (U+1F684), \U00020BB7 (U+20BB7), \u20ac (U+20AC)\n"
                               << 4;
    QTest::newRow("UTF-8") << "UTF-8" << "" << 0;
}

void TestCsvExport::narrowCodecWarns()
{
    QFETCH(QString, codec);
    QFETCH(QString, warning);
    QFETCH(int, standIns);
    const int entry = codecEntry(codec);
    if (entry < 0)
        QSKIP("codec not available");
    m_book = makeBook(QStringLiteral("Narrow"),
                      {{"Train", "5", "Nara",
                        "\U0001F684 to \U00020BB7\u91ce\u5bb6, 5 \u20ac, \U0001F684 back \u200e\u200f", {}}});
    ToDoWindow w;
    QVERIFY(openInWindow(w, m_book));
    YMRDialog::queueAnswer(1);
    exportWith(w, [entry](ExportDialog *d) { d->unicode->setCurrentItem(entry); }, {m_out});
    // written all the same, with a word about what is not in it
    QVERIFY(readAll(m_out).contains("Nara"));
    QCOMPARE(int(readAll(m_out).count('?')), standIns);
    const auto boxes = YMRDialog::takeScriptedBoxes();
    if (warning.isEmpty()) {
        QVERIFY(boxes.isEmpty());
        YMRDialog::stopScript();
    } else {
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.at(0).text, warning + m_out);
    }
}

// A qualifier that is the delimiter (or shares a character with it) would
// write a file no reader can split: the dialog refuses it with a hint and
// stays open until the two differ.
void TestCsvExport::qualifierAndDelimiterDiffer()
{
    ToDoWindow w;
    QVERIFY(openInWindow(w, m_book));
    QStringList shown;
    YMFileDialog::queueAnswer({m_out});
    ymrtest::whenModalShown([&](QDialog *d) {
        auto *dialog = qobject_cast<ExportDialog *>(d);
        QLineEdit *field = dialog->qualifier->lineEdit();
        // "," chosen from the list, then ";" typed as another delimiter
        dialog->delimiter->setCurrentItem(3);
        for (const char *qualifier : {",", "';", "'"}) {
            if (QLatin1String(qualifier) == QLatin1String("';")) {
                dialog->other->setChecked(true);
                dialog->delimiterChanged();
                dialog->otherDelimiter->clear();
                QTest::keyClicks(dialog->otherDelimiter, QStringLiteral(";"));
            }
            field->selectAll();
            QTest::keyClicks(field, QLatin1String(qualifier));
            QTest::keyClick(field, Qt::Key_Return, Qt::ControlModifier);
            auto *hint = field->findChild<QLabel *>(QStringLiteral("YMRPIM hint"));
            shown << (!d->isVisible()                ? QStringLiteral("accepted")
                      : hint && hint->isVisible() ? hint->text()
                                                  : QString());
            if (hint)
                hint->hide();
        }
    });
    trigger(w, "export");
    const QString refused = QStringLiteral("The text qualifier and the delimiter cannot share a "
                                           "character: no reader could split the fields.");
    QCOMPARE(shown, QStringList({refused, refused, QStringLiteral("accepted")}));
    QCOMPARE(readCsv(m_out, QStringLiteral("utf-8"), QStringLiteral(";"), QStringLiteral("'")).size(), 4);
}

void TestCsvExport::fileNamesAndReplacing()
{
    ToDoWindow w;
    QVERIFY(openInWindow(w, m_book));
    auto plain = [](ExportDialog *d) {
        d->other->setChecked(false);
        d->delimiter->setCurrentItem(3);
        YMRPIM::selectItem(d->qualifier, QStringLiteral("\""), false);
    };
    const QString dir = booksDir();
    setSetting("ExportOptions", "path", QString());   // never exported yet
    QFile::remove(dir + "/report.csv");
    QFile::remove(dir + "/report.CSV.csv");
    exportWith(w, plain, {dir + "/report"});
    QVERIFY(QFileInfo::exists(dir + "/report.csv"));
    exportWith(w, plain, {dir + "/report.CSV"});
    QVERIFY(QFileInfo::exists(dir + "/report.CSV.csv"));
    const auto calls = YMFileDialog::takeScriptedCalls();
    QCOMPARE(calls.at(0).caption, QStringLiteral("Export to CSV"));
    // the first start: the platform's home, never the real one beside it
    QCOMPARE(calls.at(0).startDir, Qpe::userRoot());
    QCOMPARE(calls.at(0).fileName, QStringLiteral("export.csv"));
    QCOMPARE(calls.at(0).filter, QStringLiteral("All Files (*);;CSV Files (*.csv);;"));
    // the next start is the last file chosen
    QCOMPARE(calls.at(1).startDir, dir + "/report.csv");

    // an existing file: "Cancel" asks again, "Replace" writes over it
    writeFile(dir + "/report.csv", "old");
    YMRDialog::queueAnswer(2);
    YMRDialog::queueAnswer(1);
    exportWith(w, plain, {dir + "/report.csv", dir + "/report.csv"});
    const auto boxes = YMRDialog::takeScriptedBoxes();
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes.at(0).text, QStringLiteral("The file: report.csv\nalready exists.\n"
                                              "Do you want to replace the existing file?"));
    QVERIFY(readAll(dir + "/report.csv").startsWith("\"Date\",\"Type\""));

    // cancelled in the file dialog: nothing written
    writeFile(dir + "/report.csv", "old");
    YMFileDialog::queueCancel();
    exportWith(w, plain, {});
    QCOMPARE(readAll(dir + "/report.csv"), QByteArray("old"));
}

void TestCsvExport::failedWritesKeepTheOldFile()
{
    ToDoWindow w;
    QVERIFY(openInWindow(w, m_book));
    auto plain = [](ExportDialog *) {};
    // a folder that does not exist
    const QString missing = booksDir() + "/no/such/folder/x.csv";
    YMRDialog::queueAnswer(1);
    exportWith(w, plain, {missing});
    auto boxes = YMRDialog::takeScriptedBoxes();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.at(0).text, QStringLiteral("Cannot write to file:\n") + missing);
    QVERIFY(!QFileInfo::exists(missing));

    // the save file cannot be made (a full disk): the old file stays as it was
    writeFile(m_out, "old");
    FileReplacer::setSpaceLeft(0);
    YMRDialog::queueAnswer(1);  // replace
    YMRDialog::queueAnswer(1);  // the failure
    exportWith(w, plain, {m_out});
    boxes = YMRDialog::takeScriptedBoxes();
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes.at(1).text, QStringLiteral("Cannot write to file:\n") + m_out);
    QCOMPARE(readAll(m_out), QByteArray("old"));
    FileReplacer::setSpaceLeft(-1);
}

void TestCsvExport::settingsAndEmptyView()
{
    ToDoWindow w;
    QVERIFY(openInWindow(w, m_book));
    // an empty qualifier, a typed separator, "Other:" with nothing typed
    exportWith(w, [](ExportDialog *d) {
        YMRPIM::selectItem(d->qualifier, QString(), true);
        d->ml->setEditText(QStringLiteral(" / "));
        d->other->setChecked(true);
        d->otherDelimiter->clear();
        d->dateFormat->setFormat(QStringLiteral("DD/MM/YYYY"));
    }, {m_out});
    QCOMPARE(setting("ExportOptions", "textqualifier", "unset"), QString());
    QCOMPARE(setting("ExportOptions", "multiline2"), QStringLiteral(" / "));
    QCOMPARE(setting("ExportOptions", "other"), QStringLiteral("1"));
    QCOMPARE(setting("ExportOptions", "path"), m_out);
    const QString text = QString::fromUtf8(readAll(m_out));
    // one blank delimits; the two-line description is joined by " / "
    QVERIFY(text.startsWith(QStringLiteral("Date Type Amount Currency City Account Description "
                                           "\"Created Date\" \"Updated Date\" Categories\n")));
    QVERIFY(text.contains(QStringLiteral("01/03/2026 Taxi 12,50 EUR \"Café Nord\"")));
    QVERIFY(text.contains(QStringLiteral("\"say \"\"hi\"\", ok; ride / back + home\"")));

    // the options come back as stored; Cancel writes no file but keeps them
    QFile::remove(m_out);
    ymrtest::whenModalShown([](QDialog *d) {
        auto *dialog = qobject_cast<ExportDialog *>(d);
        QCOMPARE(dialog->qualifier->currentText(), QString());
        QCOMPARE(dialog->ml->currentText(), QStringLiteral(" / "));
        QVERIFY(dialog->other->isChecked());
        QVERIFY(!dialog->delimiter->isEnabled());
        QCOMPARE(dialog->dateFormat->format(), QStringLiteral("DD/MM/YYYY"));
        dialog->other->setChecked(false);
        const QString size = QString::number(QPEApplication::screenRect().width());
        QVERIFY(d->grab().save(ymrtest::grabPath("ymr-export-" + size)));
        d->reject();
    });
    trigger(w, "export");
    QVERIFY(!QFileInfo::exists(m_out));
    QCOMPARE(setting("ExportOptions", "other"), QStringLiteral("0"));

    // a view that shows nothing: the header row only
    TaskFilter none{QStringLiteral("none")};
    FilterCondition c;
    c.field = FilterCondition::Type;
    c.condition = FilterCondition::Is;
    c.text = QStringLiteral("Nothing");
    none.conditions << c;
    w.manager()->setFindFilter(none);
    exportWith(w, [](ExportDialog *d) {
        YMRPIM::selectItem(d->qualifier, QStringLiteral("\""), false);
        d->delimiter->setCurrentItem(3);
    }, {m_out});
    QCOMPARE(QString::fromUtf8(readAll(m_out)),
             QStringLiteral("\"Date\",\"Type\",\"Amount\",\"Currency\",\"City\",\"Account\","
                            "\"Description\",\"Created Date\",\"Updated Date\",\"Categories\"\n"));
}

YMR_TEST_MAIN(TestCsvExport)
#include "tst_csvexport.moc"
