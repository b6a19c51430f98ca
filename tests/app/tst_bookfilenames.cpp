#include "ymrtest.h"

#include "bookfixtures.h"
#include "fifoguard.h"
#include "lockholder.h"
#include "modaldriver.h"
#include "tempfiles.h"

#include "dbeditor.h"
#include "passworddialog2.h"
#include "todowindow.h"

#include "filedialog/ymfiledialog.h"
#include "pim/bookfile.h"
#include "pim/task.h"
#include "pim/taskmanager.h"
#include "qpe/filereplacer.h"
#include "qt/ymraction.h"
#include "qt/ymrdialog.h"
#include "qt/ymrokcancelwidget.h"
#include "qt/ymrpushbutton.h"

#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace fixtures;

namespace {

enum Kind { Book, Empty, Fifo, Folder, Missing };

// Names and sizes as the disk has them: QDir does not list, nor remove,
// names it cannot decode.
QMap<QByteArray, qint64> rawEntries(const QString &dir)
{
    QMap<QByteArray, qint64> entries;
    if (DIR *d = ::opendir(QFile::encodeName(dir).constData())) {
        struct stat st;
        while (dirent *e = ::readdir(d))
            entries[e->d_name] = ::fstatat(dirfd(d), e->d_name, &st, 0) == 0 ? st.st_size : -1;
        ::closedir(d);
    }
    return entries;
}

void removeRaw(const QString &dir)
{
    ::nftw(QFile::encodeName(dir).constData(),
           [](const char *path, const struct stat *, int, FTW *) { return ::remove(path); }, 16,
           FTW_DEPTH | FTW_PHYS);
}

// Another program makes a file at this name while a copy is being made.
QString s_planted;
void plantOnce(int)
{
    FileReplacer::setCreatedHook(nullptr);
    QFile planted(s_planted);
    if (planted.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        planted.write("theirs");
}

void trigger(ToDoWindow &w, const char *name)
{
    YMRAction *a = w.action(name);
    QVERIFY2(a && a->isEnabled(), name);
    emit a->activated();
}

} // namespace

// Files a user names to the book list, by names made from raw bytes, on the
// command line and through "add existing book": each is taken in under its
// own name or refused with a message, and nothing is ever written under a
// name other than the one given.
class TestBookFileNames : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        PasswordDialog2::installPrompts();
        qApp->setQuitOnLastWindowClosed(false);
        QPEApplication::setArgumentsForTest({QStringLiteral("ymroutlays")});
        qputenv("LANG", "en");
        TaskManager(bookPath(QStringLiteral("Household"))).forceSave();
        DBManager index;
        index.load();   // none yet on a fresh home
        addBook(&index, QStringLiteral("Household"));
        QVERIFY(index.save());
    }
    // each row starts with the same book open, whatever the last one opened
    void init() { setSetting("Options", "book", bookPath(QStringLiteral("Household"))); }
    void cleanup()
    {
        YMRDialog::stopScript();
        YMFileDialog::clearScript();
    }
    void namedFiles_data();
    void namedFiles();
    void duplicatesOnlyUnderFreeNames();
};

void TestBookFileNames::namedFiles_data()
{
    QTest::addColumn<bool>("commandLine");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("refusal");   // %1: the path; "-": not a book; empty: taken in
    QTest::addColumn<QString>("title");
    const QString unreadable = QStringLiteral("The file name\n%1\ncannot be read in this locale.");
    const QString bar = QStringLiteral("The file name\n%1\ncannot contain \"|\".");
    const QString notBook = QStringLiteral("-");
    for (const bool cli : {true, false}) {
        const char *way = cli ? "command line" : "add existing";
        QTest::addRow("%s, dots", way) << cli << QByteArray("Reise 2.0.exp") << int(Book)
                                       << QString() << "Reise 2.0";
        QTest::addRow("%s, leading dot", way) << cli << QByteArray(".hidden.exp") << int(Book)
                                              << QString() << ".hidden";
        QTest::addRow("%s, new book", way) << cli << QByteArray("Neu 1.5.exp") << int(Missing)
                                           << QString() << "Neu 1.5";
        QTest::addRow("%s, bar", way) << cli << QByteArray("Tom|Jerry.exp") << int(Book) << bar
                                      << QString();
        QTest::addRow("%s, latin-1 new book", way) << cli << QByteArray("neu\xe9.exp")
                                                   << int(Missing) << unreadable << QString();
        QTest::addRow("%s, folder", way) << cli << QByteArray("folder.exp") << int(Folder)
                                         << notBook << QString();
    }
    // on the command line the start-up test gives these to the real program
    QTest::newRow("add existing, latin-1") << false << QByteArray("caf\xe9.exp") << int(Book)
                                           << unreadable << QString();
    QTest::newRow("add existing, fifo") << false << QByteArray("pipe.exp") << int(Fifo) << notBook
                                        << QString();
    QTest::newRow("add existing, empty file") << false << QByteArray("empty.exp") << int(Empty)
                                              << notBook << QString();
}

void TestBookFileNames::namedFiles()
{
    QFETCH(bool, commandLine);
    QFETCH(QByteArray, name);
    QFETCH(int, kind);
    QFETCH(QString, refusal);
    QFETCH(QString, title);

    const QString dir = booksDir() + QStringLiteral("/named");
    removeRaw(dir);
    QVERIFY(QDir().mkpath(dir));
    const QByteArray raw = QFile::encodeName(dir) + '/' + name;
    const QByteArray bookText("FOLDER\nDESC=mine\nEND\n");
    if (kind == Book || kind == Empty) {
        const int fd = ::open(raw.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        QVERIFY(fd >= 0);
        if (kind == Book)
            QVERIFY(::write(fd, bookText.constData(), size_t(bookText.size())) > 0);
        ::close(fd);
    }
    if (kind == Fifo)
        QCOMPARE(::mkfifo(raw.constData(), 0600), 0);
    if (kind == Folder)
        QCOMPARE(::mkdir(raw.constData(), 0700), 0);
    const QMap<QByteArray, qint64> before = rawEntries(dir);
    const QString path = QFile::decodeName(raw);

    ToDoWindow w;
    ymrApp->showMainDocumentWidget(&w);
    QTRY_VERIFY_WITH_TIMEOUT(w.manager(), 5000);
    const int books = w.bookIndex()->count();
    std::unique_ptr<ymrtest::FifoGuard> guard;
    if (kind == Fifo)
        guard.reset(new ymrtest::FifoGuard(raw));
    YMRDialog::queueAnswer(1);
    if (commandLine) {
        w.setDocument(path);
    } else {
        YMFileDialog::queueAnswer({path});
        trigger(w, "openbook");
    }
    QVERIFY2(!guard || !guard->released(), "the FIFO was opened");
    const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
    if (refusal.isEmpty()) {
        QVERIFY(boxes.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(w.windowTitle(), "Expense Book : " + title, 5000);
        DBRecord *record = w.bookIndex()->findByPath(path);
        QVERIFY(record);
        QCOMPARE(record->title(), title);
        // OK in the book editor without a change leaves the file where it is
        ModalDriver driver;
        driver.expect("DBEditor", [](QWidget *e) {
            static_cast<DBEditor *>(e)->YMROkCancelWidget1->okButton()->click();
        });
        trigger(w, "editbook");
        QCOMPARE(driver.pending(), 0);
        QVERIFY(YMRDialog::takeScriptedBoxes().isEmpty());
        QCOMPARE(record->path(), path);
        QCOMPARE(w.windowTitle(), "Expense Book : " + title);
        if (kind == Book)
            QVERIFY(readAll(path).contains("\nDESC=mine\n"));
        // a new book comes into being under its own name only
        QMap<QByteArray, qint64> after = rawEntries(dir), earlier = before;
        after.remove(name);
        earlier.remove(name);
        after.remove("." + name + ".lock");   // the open book's lock
        QCOMPARE(after.keys(), earlier.keys());
        w.bookIndex()->removeRecord(record);
        w.bookIndex()->save();
    } else {
        QString text;
        if (refusal != QLatin1String("-"))
            text = refusal.arg(path);
        else
            text = commandLine ? "Not an Expense Book:\n" + path
                               : "[" + QFileInfo(path).baseName() + "]\nis not an Expense Book!";
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.at(0).text, text);
        QCOMPARE(w.bookIndex()->count(), books);
        QVERIFY(!w.bookIndex()->findByPath(path));
        QCOMPARE(w.windowTitle(), QStringLiteral("Expense Book : Household"));
        // nothing written beside it, the file itself untouched
        QCOMPARE(rawEntries(dir), before);
    }
    w.close();
    removeRaw(dir);
}

// A duplicate is made anew under the first free "<title>_Copy_N.exp": never
// over a file that appeared there meanwhile, nor under the name of a book
// another copy of the program has open.
void TestBookFileNames::duplicatesOnlyUnderFreeNames()
{
    const QString dir = booksDir() + QStringLiteral("/dup");
    removeRaw(dir);
    QVERIFY(QDir().mkpath(dir));
    const QString source = dir + QStringLiteral("/Trip.exp");
    {
        TaskManager book(source);
        auto *t = new Task(&book);
        t->type = QStringLiteral("Taxi");
        t->store(nullptr);
        QVERIFY(book.save());
    }
    const auto copyName = [&dir](int n) { return dir + QStringLiteral("/Trip_Copy_%1.exp").arg(n); };
    DBManager index;
    index.load();
    DBRecord *record = addBook(&index, QStringLiteral("Trip"), QString(), source);

    s_planted = copyName(1);
    FileReplacer::setCreatedHook(plantOnce);
    YMRDialog::queueAnswer(1);
    DBRecord *first = ToDoWindow::duplicateBookRecord(record, &index);
    FileReplacer::setCreatedHook(nullptr);
    QCOMPARE(YMRDialog::takeScriptedBoxes().value(0).text, QStringLiteral("Duplicate done!"));
    QVERIFY(first);
    QCOMPARE(readAll(copyName(1)), QByteArray("theirs"));
    QCOMPARE(first->path(), copyName(2));

    // the third name is a book another copy has open, not yet written
    const pid_t holder = holdLockInChild(BookFile::lockFileName(copyName(3)));
    QVERIFY(holder > 0);
    YMRDialog::queueAnswer(1);
    DBRecord *second = ToDoWindow::duplicateBookRecord(record, &index);
    killLockHolder(holder);
    YMRDialog::takeScriptedBoxes();
    QVERIFY(second);
    QCOMPARE(second->path(), copyName(4));
    QVERIFY(!QFileInfo::exists(copyName(3)));
    for (const QString &path : {copyName(2), copyName(4)}) {
        TaskManager copy(path);
        QVERIFY(copy.load());
        QCOMPARE(copy.count(), 1);
        QCOMPARE(static_cast<Task *>(copy.records()->at(0))->type, QStringLiteral("Taxi"));
    }
    QVERIFY(tempFilesIn(dir).isEmpty());
    index.removeRecord(second);
    index.removeRecord(first);
    index.removeRecord(record);
    index.save();
    removeRaw(dir);
}

YMR_TEST_MAIN(TestBookFileNames)
#include "tst_bookfilenames.moc"
