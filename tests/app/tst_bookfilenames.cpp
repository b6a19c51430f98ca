#include "ymrtest.h"

#include "bookfixtures.h"
#include "modaldriver.h"

#include "dbeditor.h"
#include "passworddialog2.h"
#include "todowindow.h"

#include "filedialog/ymfiledialog.h"
#include "pim/taskmanager.h"
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

// Files a user names to the book list, by names made from raw bytes, on the
// command line and through "add existing book": each is taken in under its
// own name or refused with a message, and nothing is ever written under a
// name other than the one given.
class TestBookFileNames : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void namedFiles_data();
    void namedFiles();

private:
    static QSet<QByteArray> rawNames(const QString &dir);
    static void removeRaw(const QString &dir);
    static void trigger(ToDoWindow &w, const char *action);
};

namespace {

enum Kind { Book, Empty, Fifo, Folder, Missing };

const char *const NotABook = "not a book";

} // namespace

void TestBookFileNames::initTestCase()
{
    PasswordDialog2::installPrompts();
    qApp->setQuitOnLastWindowClosed(false);
    QPEApplication::setArgumentsForTest({QStringLiteral("ymroutlays")});
    qputenv("LANG", "en");
    const QString household = bookPath(QStringLiteral("Household"));
    {
        TaskManager book(household);
        book.forceSave();
    }
    DBManager index;
    index.load();   // none yet on a fresh home
    addBook(&index, QStringLiteral("Household"));
    QVERIFY(index.save());
}

void TestBookFileNames::init()
{
    // each row starts with the same book open, whatever the last one opened
    setSetting("Options", "book", bookPath(QStringLiteral("Household")));
}

void TestBookFileNames::cleanup()
{
    YMRDialog::stopScript();
    YMFileDialog::clearScript();
}

QSet<QByteArray> TestBookFileNames::rawNames(const QString &dir)
{
    QSet<QByteArray> names;
    if (DIR *d = ::opendir(QFile::encodeName(dir).constData())) {
        while (dirent *e = ::readdir(d))
            names.insert(QByteArray(e->d_name));
        ::closedir(d);
    }
    return names;
}

// QDir cannot see, so cannot remove, the names it cannot decode
void TestBookFileNames::removeRaw(const QString &dir)
{
    ::nftw(QFile::encodeName(dir).constData(),
           [](const char *path, const struct stat *, int, FTW *) { return ::remove(path); }, 16,
           FTW_DEPTH | FTW_PHYS);
}

void TestBookFileNames::trigger(ToDoWindow &w, const char *name)
{
    YMRAction *a = w.action(name);
    QVERIFY2(a && a->isEnabled(), name);
    emit a->activated();
}

void TestBookFileNames::namedFiles_data()
{
    QTest::addColumn<bool>("commandLine");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("refusal");   // %1: the path; empty: taken in
    QTest::addColumn<QString>("title");

    const QString unreadable = QStringLiteral("The file name\n%1\ncannot be read in this locale.");
    struct Row {
        const char *tag;
        QByteArray name;
        Kind kind;
        QString refusal;
        QString title;
    };
    const Row rows[] = {
        {"dots", "Reise 2.0.exp", Book, QString(), QStringLiteral("Reise 2.0")},
        {"leading dot", ".hidden.exp", Book, QString(), QStringLiteral(".hidden")},
        {"new book", "Neu 1.5.exp", Missing, QString(), QStringLiteral("Neu 1.5")},
        {"bar", "Tom|Jerry.exp", Book,
         QStringLiteral("The file name\n%1\ncannot contain \"|\"."), QString()},
        {"latin-1 bytes", "caf\xe9.exp", Book, unreadable, QString()},
        {"latin-1 new book", "neu\xe9.exp", Missing, unreadable, QString()},
        {"fifo", "pipe.exp", Fifo, QLatin1String(NotABook), QString()},
        {"folder", "folder.exp", Folder, QLatin1String(NotABook), QString()},
        {"empty file", "empty.exp", Empty, QLatin1String(NotABook), QString()},
    };
    for (const bool commandLine : {true, false}) {
        for (const Row &r : rows) {
            QTest::addRow("%s, %s", commandLine ? "command line" : "add existing", r.tag)
                << commandLine << r.name << int(r.kind) << r.refusal << r.title;
        }
    }
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
    switch (kind) {
    case Book:
    case Empty: {
        const int fd = ::open(raw.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        QVERIFY(fd >= 0);
        if (kind == Book)
            QCOMPARE(::write(fd, bookText.constData(), size_t(bookText.size())),
                     ssize_t(bookText.size()));
        ::close(fd);
        break;
    }
    case Fifo:
        QCOMPARE(::mkfifo(raw.constData(), 0600), 0);
        break;
    case Folder:
        QCOMPARE(::mkdir(raw.constData(), 0700), 0);
        break;
    default:
        break;
    }
    const QSet<QByteArray> before = rawNames(dir);
    const QString path = QFile::decodeName(raw);

    ToDoWindow w;
    ymrApp->showMainDocumentWidget(&w);
    QTRY_VERIFY_WITH_TIMEOUT(w.manager(), 5000);
    const int books = w.bookIndex()->count();

    YMRDialog::queueAnswer(1);
    if (commandLine) {
        w.setDocument(path);
    } else {
        YMFileDialog::queueAnswer({path});
        trigger(w, "openbook");
    }
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
        QVERIFY(rawNames(dir).subtract(before).subtract({name}).isEmpty());
        w.bookIndex()->removeRecord(record);
        w.bookIndex()->save();
    } else {
        QString text = refusal.arg(path);
        if (refusal == QLatin1String(NotABook)) {
            text = commandLine ? "Not an Expense Book:\n" + path
                               : "[" + QFileInfo(path).baseName() + "]\nis not an Expense Book!";
        }
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.at(0).text, text);
        QCOMPARE(w.bookIndex()->count(), books);
        QVERIFY(!w.bookIndex()->findByPath(path));
        QCOMPARE(w.windowTitle(), QStringLiteral("Expense Book : Household"));
        // nothing written beside it, the file itself untouched
        QCOMPARE(rawNames(dir), before);
        if (kind == Book) {
            char buf[64] = {};
            const int fd = ::open(raw.constData(), O_RDONLY);
            QVERIFY(fd >= 0);
            const ssize_t got = ::read(fd, buf, sizeof buf);
            ::close(fd);
            QCOMPARE(QByteArray(buf, int(qMax<ssize_t>(got, 0))), bookText);
        }
    }
    w.close();
    removeRaw(dir);
}

YMR_TEST_MAIN(TestBookFileNames)
#include "tst_bookfilenames.moc"
