// ymr-test-screens: 240x320 480x640
#include "ymrtest.h"
#include "fifoguard.h"

#include "bookfixtures.h"
#include "modaldriver.h"

#include "dbdialog.h"
#include "dbeditor.h"
#include "directoryselector.h"
#include "passworddialog.h"

#include "pim/dblistview.h"
#include "pim/pimlistviewitem.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrdialog.h"
#include "qt/ymrokcancelwidget.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"

#include <QPlainTextEdit>

#include <sys/stat.h>

using namespace fixtures;

class TestDBEditor : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void newBookStartsInTheLastFolder();
    void titleRules_data();
    void titleRules();
    void password_data();
    void password();
    void cancelChangesNothing();
    void iconShownByName_data();
    void iconShownByName();

private:
    static void ok(QWidget *w)
    {
        static_cast<DBEditor *>(w)->YMROkCancelWidget1->okButton()->click();
    }
    DBManager *m_index = nullptr;
};

void TestDBEditor::init()
{
    m_index = new DBManager();
    QDir(booksDir()).removeRecursively();
    setSetting("BookOptions", "defaultPath", QString());
}

void TestDBEditor::cleanup()
{
    YMRDialog::stopScript();
    delete m_index;
}

void TestDBEditor::newBookStartsInTheLastFolder()
{
    ModalDriver driver;
    auto *record = new DBRecord(m_index);
    DBEditor editor;
    driver.expect("DBEditor", [](QWidget *w) {
        auto *e = static_cast<DBEditor *>(w);
        QCOMPARE(e->path->directory(), YMRApplication::documentDir());
        QVERIFY(e->title->hasFocus());
        e->path->setDirectory(booksDir());
        type(w, "title", QStringLiteral("Travel"));
        e->memo->setPlainText(QStringLiteral("Trip\nto Rome"));
        ok(w);
    });
    QCOMPARE(editor.edit(record), 1);
    editor.store(record);
    QCOMPARE(record->title(), QStringLiteral("Travel"));
    QCOMPARE(record->path(), bookPath(QStringLiteral("Travel")));
    QCOMPARE(record->description(), QStringLiteral("Trip\nto Rome"));
    QCOMPARE(record->iconName(), QStringLiteral("12"));
    QCOMPARE(setting("BookOptions", "defaultPath"), booksDir());
    m_index->addRecord(record);

    // the next new book starts there; editing one never moves the setting
    DBEditor second;
    driver.expect("DBEditor", [](QWidget *w) {
        QCOMPARE(static_cast<DBEditor *>(w)->path->directory(), booksDir());
        static_cast<DBEditor *>(w)->path->setDirectory(QStringLiteral("/mnt/card"));
        ok(w);
    });
    QCOMPARE(second.edit(record), 1);
    second.store(record);
    QCOMPARE(record->path(), QStringLiteral("/mnt/card/Travel.exp"));
    QCOMPARE(setting("BookOptions", "defaultPath"), booksDir());
}

void TestDBEditor::titleRules_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("folder");   // empty: the book's own
    QTest::addColumn<QString>("refusal");   // empty: accepted
    QTest::newRow("unchanged") << "Home" << "" << "";
    QTest::newRow("renamed") << "House" << "" << "";
    QTest::newRow("blanks only") << "  " << "" << "";
    QTest::newRow("empty") << "" << "" << "Book Title cannot be empty.";
    QTest::newRow("slash") << "a/b" << "" << "Book Title cannot contain \"/\".";
    // it would come back from the index as a line break: refused as typed
    // (with a hint), so "ab" is the title
    QTest::newRow("bar") << "a|b" << "" << "";
    QTest::newRow("another book's name") << "Work" << "" << "Expense Book already exists.";
    QTest::newRow("moved onto another book") << "Home" << "other" << "Expense Book already exists.";
    QTest::newRow("moved to a free place") << "Home" << "free" << "";
    // a folder listed from bytes the locale cannot read (%1: the book's path)
    QTest::newRow("unreadable folder") << "Home" << QString::fromUtf8("dir\uFFFD")
                                       << "The file name\n%1\ncannot be read in this locale.";
    QTest::newRow("bar in the folder") << "Home" << "a|b"
                                       << "The file name\n%1\ncannot contain \"|\".";
}

void TestDBEditor::titleRules()
{
    QFETCH(QString, title);
    QFETCH(QString, folder);
    QFETCH(QString, refusal);
    DBRecord *home = addBook(m_index, QStringLiteral("Home"));
    addBook(m_index, QStringLiteral("Work"));
    QDir().mkpath(booksDir() + "/other");
    QDir().mkpath(booksDir() + "/free");
    writeFile(booksDir() + "/other/Home.exp", "FOLDER\nEND\n");

    ModalDriver driver;
    bool stayedOpen = false;
    driver.expect("DBEditor", [&](QWidget *w) {
        auto *e = static_cast<DBEditor *>(w);
        if (!folder.isEmpty())
            e->path->setDirectory(booksDir() + "/" + folder);
        type(w, "title", title);
        if (!refusal.isEmpty())
            YMRDialog::queueAnswer(1);
        ok(w);
        stayedOpen = w->isVisible();
        if (stayedOpen)
            ModalDriver::reject(w);
    });
    DBEditor editor;
    const int result = editor.edit(home);
    QCOMPARE(stayedOpen, !refusal.isEmpty());
    QCOMPARE(result, refusal.isEmpty() ? 1 : 0);
    const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
    if (!refusal.isEmpty()) {
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.at(0).caption, QStringLiteral("Invalid Book Title ..."));
        QCOMPARE(boxes.at(0).text, QString(refusal).replace(
                                        "%1", booksDir() + "/" + folder + "/" + title + ".exp"));
    } else {
        QVERIFY(boxes.isEmpty());
    }
}

void TestDBEditor::password_data()
{
    QTest::addColumn<QString>("typed");   // null: the prompt is cancelled
    QTest::addColumn<QString>("stored");
    QTest::newRow("cancel keeps it") << QString() << "old";
    QTest::newRow("new one") << "new" << "new";
    QTest::newRow("both empty removes it") << "" << "";
}

void TestDBEditor::password()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    DBRecord *book = addBook(m_index, QStringLiteral("Locked"), QStringLiteral("old"));
    ModalDriver driver;
    driver.expect("DBEditor", [](QWidget *w) { static_cast<DBEditor *>(w)->lock->click(); });
    driver.expect("PasswordDialog", [typed](QWidget *w) {
        auto *p = static_cast<PasswordDialog *>(w);
        QVERIFY(p->isConfirm());
        if (typed.isNull()) {
            p->btnCancel->click();
            return;
        }
        type(w, "p1", typed);
        type(w, "p2", typed);
        p->btnOk->click();
    });
    driver.expect("DBEditor", ok);
    // the editor comes back into view after the prompt; the driver sees it again
    DBEditor editor;
    QCOMPARE(editor.edit(book), 1);
    QCOMPARE(driver.pending(), 0);
    editor.store(book);
    QCOMPARE(book->password(), stored);
}

void TestDBEditor::cancelChangesNothing()
{
    DBRecord *book = addBook(m_index, QStringLiteral("Keep"), QStringLiteral("pw"));
    const DBRecord before(*book);
    ModalDriver driver;
    driver.expect("DBEditor", [](QWidget *w) {
        type(w, "title", QStringLiteral("Changed"));
        static_cast<DBEditor *>(w)->YMROkCancelWidget1->cancelButton()->click();
    });
    DBEditor editor;
    QCOMPARE(editor.edit(book), 0);
    QCOMPARE(book->title(), before.title());
    QCOMPARE(book->password(), before.password());
    QCOMPARE(book->path(), before.path());
    QVERIFY(setting("BookOptions", "defaultPath").isNull());
}

// A book's icon name as a damaged header or a peer may give it: the books
// dialog and the editor show a name's icon and anything else as the default
// one; nothing out of the icon folder is opened. "<fifo>" and "<png>" stand
// for "../" steps out of the icon folder to a FIFO and to a picture.
void TestDBEditor::iconShownByName_data()
{
    QTest::addColumn<QByteArray>("icon");
    QTest::addColumn<QString>("shown");
    QTest::newRow("an icon's name") << QByteArray("15") << "15";
    QTest::newRow("up to a FIFO") << QByteArray("<fifo>") << "12";
    QTest::newRow("up to any picture") << QByteArray("<png>") << "12";
    QTest::newRow("back in by a sub-folder") << QByteArray("../icons/15") << "12";
    QTest::newRow("dot-dot") << QByteArray("..") << "12";
    QTest::newRow("a control character") << QByteArray("1\x01" "5") << "12";
}

void TestDBEditor::iconShownByName()
{
    QFETCH(QByteArray, icon);
    QFETCH(QString, shown);
    QTemporaryDir outside;
    QImage picture(7, 7, QImage::Format_ARGB32);
    picture.fill(Qt::green);
    QVERIFY(picture.save(outside.filePath("any.png"), "PNG"));
    const QByteArray fifo = QFile::encodeName(outside.filePath("fifo.png"));
    QCOMPARE(::mkfifo(fifo.constData(), 0644), 0);
    ymrtest::FifoGuard guard(fifo);
    // out of any folder of the platform's
    const QString up = QString("../").repeated(40) + outside.path().mid(1);
    writeFile(bookPath(QStringLiteral("Pictured")), "FOLDER\nEND\n");
    DBRecord *book = addBook(m_index, QStringLiteral("Pictured"));
    book->setIconName(icon == "<fifo>" ? up + "/fifo" : icon == "<png>" ? up + "/any" : QString::fromUtf8(icon));
    const auto premultiplied = [](const QImage &i) { return i.convertToFormat(QImage::Format_ARGB32_Premultiplied); };
    const QImage expected = premultiplied(YMRResource::loadImage("icons/" + shown));
    QVERIFY(!expected.isNull() && YMRResource::loadImage("icons/12") != YMRResource::loadImage("icons/15"));
    {
        DBDialog books(m_index, QString());
        PIMListViewItem *item = books.list->findItem(book);
        const QPixmap *listed = item ? item->pixmap(books.list->columnIds().indexOf(0)) : nullptr;
        QVERIFY(listed);
        QCOMPARE(premultiplied(listed->toImage()), expected);
        if (icon == "<fifo>")
            books.grab().save(ymrtest::grabPath("dbdialog_icon_out_of_its_folder"));
    }
    QImage seen;
    ModalDriver driver;
    driver.expect("DBEditor", [&](QWidget *w) {
        auto *e = static_cast<DBEditor *>(w);
        seen = premultiplied(e->icon->icon().pixmap(QSize(64, 64)).toImage());
        e->YMROkCancelWidget1->cancelButton()->click();
    });
    DBEditor editor;
    QCOMPARE(editor.edit(book), 0);
    QCOMPARE(seen, expected);
    QVERIFY(!guard.released());
}

YMR_TEST_MAIN(TestDBEditor)
#include "tst_dbeditor.moc"
