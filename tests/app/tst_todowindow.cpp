// ymr-test-screens: 240x320 480x640
#include "ymrtest.h"

#include "bookfixtures.h"
#include "lockholder.h"
#include "modaldriver.h"

#include "bookiconlistboxitem.h"
#include "dbdialog.h"
#include "dbeditor.h"
#include "directoryselector.h"
#include "passworddialog.h"
#include "passworddialog2.h"
#include "todowindow.h"

#include "filedialog/ymfiledialog.h"
#include "pim/bookfile.h"
#include "pim/dblistview.h"
#include "pim/pimlistviewitem.h"
#include "pim/task.h"
#include "pim/tasklistview.h"
#include "pim/taskmanager.h"
#include "qpe/popupmenu.h"
#include "qpe/qpeglobal.h"
#include "qt/iconselector.h"
#include "qt/ymraction.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrdialog.h"
#include "qt/ymrlistbox.h"
#include "qt/ymrokcancelwidget.h"
#include "qt/ymrpushbutton.h"

#include <QPlainTextEdit>
#include <QSignalSpy>

using namespace fixtures;

// The program's main window driven as a user would, headless: books are
// created, protected, opened, duplicated, edited, moved and deleted through
// the window, the books dialog and the prompts.
class TestToDoWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void firstStartCreatesAndOpensFirstBook();
    void frameOnAFreshStart();
    void protectedBookRightAndWrongPassword();
    void duplicateEditMoveDelete();
    void bookAnotherCopyHoldsStaysAsItIs();
    void unreadableBookIsNeverOpened();
    void damagedBookOpensWithItsCopyKept_data();
    void damagedBookOpensWithItsCopyKept();
    void documentOnTheCommandLine();
    void foreignFileIsNotTakenIn();
    void booksDialogRemoveAndSelectMode();
    void emptiedIndexEndsTheProgram();

private:
    // Shows the window as the program does and waits until a book is open.
    static void start(ToDoWindow &w);
    static void selectBook(QWidget *dialog, const QString &title);
    static QStringList listedTitles(DBManager *index);
    static void trigger(ToDoWindow &w, const char *action);
    static void addExpenses(TaskManager *book, int count);
    void grab(QWidget *w, const QString &name);
};

void TestToDoWindow::initTestCase()
{
    PasswordDialog2::installPrompts();
    qApp->setQuitOnLastWindowClosed(false);
    qputenv("LANG", "en");
}

void TestToDoWindow::cleanup()
{
    YMRDialog::stopScript();
    YMFileDialog::clearScript();
    QPEApplication::setArgumentsForTest(QStringList());
}

void TestToDoWindow::start(ToDoWindow &w)
{
    ymrApp->showMainDocumentWidget(&w);
}

void TestToDoWindow::selectBook(QWidget *dialog, const QString &title)
{
    auto *d = static_cast<DBDialog *>(dialog);
    for (YMRListViewItem *item = d->list->firstChild(); item; item = item->nextSibling()) {
        auto *book = dynamic_cast<DBRecord *>(static_cast<PIMListViewItem *>(item)->record());
        if (book && book->title() == title) {
            d->list->setCurrentItem(item);
            return;
        }
    }
    QFAIL(qPrintable("no book " + title));
}

QStringList TestToDoWindow::listedTitles(DBManager *index)
{
    QStringList titles;
    for (int i = 0; i < index->count(); ++i)
        titles << static_cast<DBRecord *>(index->records()->at(i))->title();
    titles.sort();
    return titles;
}

void TestToDoWindow::trigger(ToDoWindow &w, const char *name)
{
    YMRAction *a = w.action(name);
    QVERIFY2(a, name);
    QVERIFY2(a->isEnabled(), name);
    emit a->activated();
}

void TestToDoWindow::addExpenses(TaskManager *book, int count)
{
    for (int i = 0; i < count; ++i) {
        auto *t = new Task(book);
        t->type = QStringLiteral("Taxi");
        t->amount = QString::number(10 + i);
        t->description = QStringLiteral("ride %1").arg(i);
        QVERIFY(t->store(nullptr));
    }
}

void TestToDoWindow::grab(QWidget *w, const QString &name)
{
    const QString size = QString::number(QPEApplication::screenRect().width());
    QVERIFY(w->grab().save(ymrtest::grabPath("ymr-" + name + "-" + size)));
}

void TestToDoWindow::firstStartCreatesAndOpensFirstBook()
{
    ModalDriver driver;
    driver.expect("DBDialog", [this](QWidget *d) {
        auto *dialog = static_cast<DBDialog *>(d);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Select Expense Book"));
        QVERIFY(dialog->btnOk->isHidden() && dialog->btnGet->isHidden());
        QVERIFY(!dialog->btnSelect->isEnabled());
        dialog->btnNew->click();
        QCOMPARE(dialog->list->childCount(), 1);
        selectBook(d, QStringLiteral("Household"));
        QVERIFY(dialog->btnSelect->isEnabled());
        grab(d, "books");
        dialog->btnSelect->click();
    });
    driver.expect("DBEditor", [this](QWidget *e) {
        auto *editor = static_cast<DBEditor *>(e);
        // bad input first: the editor stays and says why
        YMRDialog::queueAnswer(1);
        editor->YMROkCancelWidget1->okButton()->click();
        QVERIFY(editor->isVisible());
        editor->path->setDirectory(booksDir());
        type(e, "title", QStringLiteral("Household"));
        grab(e, "bookeditor");
        editor->YMROkCancelWidget1->okButton()->click();
    });

    ToDoWindow w;
    start(w);
    QTRY_VERIFY_WITH_TIMEOUT(w.manager(), 5000);
    QCOMPARE(driver.pending(), 0);
    QVERIFY(driver.unexpected.isEmpty());
    const QString path = bookPath(QStringLiteral("Household"));
    QCOMPARE(w.manager()->fileName(), path);
    QCOMPARE(w.windowTitle(), QStringLiteral("Expense Book : Household"));
    QCOMPARE(setting("Options", "book"), path);
    QCOMPARE(w.listView()->manager(), w.manager());
    QVERIFY(QFileInfo::exists(path));
    QCOMPARE(YMRDialog::takeScriptedBoxes().at(0).text,
             QStringLiteral("Book Title cannot be empty."));

    // expenses show in the list; the book is saved when the program ends
    addExpenses(w.manager(), 3);
    QCOMPARE(w.listView()->childCount(), 3);
    w.listView()->setCurrentItem(w.listView()->firstChild());
    QVERIFY(!w.descriptionPane()->toPlainText().isEmpty());
    grab(&w, "mainwindow");
}

void TestToDoWindow::frameOnAFreshStart()
{
    ToDoWindow w;
    QCOMPARE(setting("main_columns", "column"), QStringLiteral("6;0;1;7;4;3;5;8"));
    QCOMPARE(setting("alarm_columns", "column"), QStringLiteral("6;0;1;7;4;3;5;8"));
    // no book yet: the book commands are off and do nothing
    for (const char *name : {"editbook", "deletebook", "dupbook"})
        QVERIFY2(!w.action(name)->isEnabled(), name);
    w.editBook();
    w.deleteBook();
    w.duplicateBook();
    QCOMPARE(w.action("db")->text(), QStringLiteral("Expense Books ..."));
    QCOMPARE(w.mainMenu()->text(w.mainMenu()->idAt(0)), QStringLiteral("Expense Books ..."));
    QVERIFY(!w.descriptionPane()->isEnabled());

    // the pane: hidden at first, toggled, kept across a restart
    setSetting("Options", "comment", QString());
    w.restoreCommentState();
    QCOMPARE(w.action("comment")->text(), QStringLiteral("Show Description"));
    w.show();
    w.toggleComment();
    QVERIFY(w.descriptionPane()->isVisible());
    QCOMPARE(w.action("comment")->text(), QStringLiteral("Hide Description"));
    w.hide();
    QCOMPARE(setting("Options", "comment"), QStringLiteral("1"));
    w.toggleComment();
    w.saveCommentState();
    QCOMPARE(setting("Options", "comment"), QStringLiteral("0"));
}

void TestToDoWindow::protectedBookRightAndWrongPassword()
{
    ModalDriver driver;
    ToDoWindow w;
    start(w);
    QTRY_VERIFY_WITH_TIMEOUT(w.manager(), 5000);   // the last book opens again
    QCOMPARE(w.manager()->count(), 3);

    // a second book with a password, made in the books dialog and opened there
    driver.expect("DBDialog", [](QWidget *d) {
        static_cast<DBDialog *>(d)->btnNew->click();
        selectBook(d, QStringLiteral("Secret"));
        static_cast<DBDialog *>(d)->btnSelect->click();
    });
    driver.expect("DBEditor", [](QWidget *e) {
        auto *editor = static_cast<DBEditor *>(e);
        QCOMPARE(editor->path->directory(), booksDir());   // the folder used last
        type(e, "title", QStringLiteral("Secret"));
        editor->lock->click();
    });
    driver.expect("PasswordDialog", [](QWidget *p) {
        type(p, "p1", QStringLiteral("Pw1"));
        type(p, "p2", QStringLiteral("Pw1"));
        static_cast<PasswordDialog *>(p)->btnOk->click();
    });
    driver.expect("DBEditor", [](QWidget *e) {
        static_cast<DBEditor *>(e)->YMROkCancelWidget1->okButton()->click();
    });
    driver.expect("PasswordDialog2", [this](QWidget *p) {
        grab(p, "password");
        type(p, "p1", QStringLiteral("Pw1"));
        static_cast<PasswordDialog2 *>(p)->btnOk->click();
    });
    trigger(w, "db");
    QTRY_COMPARE_WITH_TIMEOUT(w.windowTitle(), QStringLiteral("Expense Book : Secret"), 5000);
    QCOMPARE(driver.pending(), 0);
    QCOMPARE(setting("Options", "book"), bookPath(QStringLiteral("Secret")));
    QVERIFY(readAll(bookPath(QStringLiteral("Secret"))).contains("PWD=Pw1"));
    QCOMPARE(listedTitles(w.bookIndex()), (QStringList{"Household", "Secret"}));

    // hidden and shown again: the password is asked again; a wrong one ends the program
    driver.expect("PasswordDialog2", [](QWidget *p) {
        type(p, "p1", QStringLiteral("pw1"));
        static_cast<PasswordDialog2 *>(p)->btnOk->click();
    });
    w.hide();
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 5000);
    QVERIFY(!w.manager());
    QVERIFY(setting("Options", "book").isNull());
    QVERIFY(YMRDialog::takeScriptedBoxes().isEmpty());

    // shown again with no book: the books dialog; in the prompt of the
    // protected book an unprotected one is picked, and that one opens
    driver.expect("DBDialog", [](QWidget *d) {
        selectBook(d, QStringLiteral("Secret"));
        static_cast<DBDialog *>(d)->btnSelect->click();
    });
    driver.expect("PasswordDialog2", [](QWidget *p) {
        YMRComboBox *combo = static_cast<PasswordDialog2 *>(p)->booksCombo();
        for (int i = 0; i < combo->count(); ++i) {
            if (combo->text(i) == QLatin1String("Household"))
                combo->setCurrentItem(i);
        }
        emit combo->activated(QStringLiteral("Household"));
    });
    w.show();
    QTRY_COMPARE_WITH_TIMEOUT(w.windowTitle(), QStringLiteral("Expense Book : Household"), 5000);
    QCOMPARE(driver.pending(), 0);
    QCOMPARE(setting("Options", "book"), bookPath(QStringLiteral("Household")));
}

void TestToDoWindow::duplicateEditMoveDelete()
{
    ModalDriver driver;
    setSetting("Options", "book", bookPath(QStringLiteral("Household")));
    ToDoWindow w;
    start(w);
    QTRY_VERIFY_WITH_TIMEOUT(w.manager(), 5000);
    const QString source = bookPath(QStringLiteral("Household"));
    QStringList sourceUids;
    for (int i = 0; i < w.manager()->count(); ++i)
        sourceUids << w.manager()->records()->at(i)->uidString();
    // an unsaved change goes with the copy
    addExpenses(w.manager(), 1);

    // duplicate: a copy beside the source, every expense with a new UID
    YMRDialog::queueAnswer(1);
    trigger(w, "dupbook");
    const QString copyPath = bookPath(QStringLiteral("Household_Copy_1"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Expense Book : Household_Copy_1"));
    QCOMPARE(setting("Options", "book"), copyPath);
    QCOMPARE(YMRDialog::takeScriptedBoxes().at(0).text, QStringLiteral("Duplicate done!"));
    QCOMPARE(w.manager()->count(), 4);
    for (int i = 0; i < w.manager()->count(); ++i)
        QVERIFY(!sourceUids.contains(w.manager()->records()->at(i)->uidString()));
    // written without a last current expense (the list picks one once open)
    const QRegularExpression lastCurrent(QStringLiteral("LASTCURRENT=[0-9a-f-]{36}"));
    QVERIFY(QString::fromUtf8(readAll(source)).contains(lastCurrent));
    QVERIFY(!QString::fromUtf8(readAll(copyPath)).contains(lastCurrent));
    {
        TaskManager src(source);
        QVERIFY(src.load());
        QCOMPARE(src.count(), 4);
    }

    // edit: new title, folder, icon and password; the file moves
    QDir().mkpath(booksDir() + "/trips");
    const QString moved = booksDir() + "/trips/Trip.exp";
    QString chosenIcon;
    driver.expect("DBEditor", [](QWidget *e) {
        auto *editor = static_cast<DBEditor *>(e);
        type(e, "title", QStringLiteral("Trip"));
        editor->path->setDirectory(booksDir() + "/trips");
        editor->memo->setPlainText(QStringLiteral("Summer"));
        editor->icon->click();
    });
    driver.expect("IconSelector", [&chosenIcon](QWidget *s) {
        auto *chooser = static_cast<IconSelector *>(s);
        QVERIFY(chooser->list->count() > 1);
        chooser->list->setCurrentItem(1);
        chosenIcon = static_cast<BookIconListBoxItem *>(chooser->list->item(1))->name();
        chooser->btnOk->click();
    });
    driver.expect("DBEditor", [](QWidget *e) { static_cast<DBEditor *>(e)->lock->click(); });
    driver.expect("PasswordDialog", [](QWidget *p) {
        type(p, "p1", QStringLiteral("t"));
        type(p, "p2", QStringLiteral("t"));
        static_cast<PasswordDialog *>(p)->btnOk->click();
    });
    driver.expect("DBEditor", [](QWidget *e) {
        static_cast<DBEditor *>(e)->YMROkCancelWidget1->okButton()->click();
    });
    driver.expect("PasswordDialog2", [](QWidget *p) {
        type(p, "p1", QStringLiteral("t"));
        static_cast<PasswordDialog2 *>(p)->btnOk->click();
    });
    trigger(w, "editbook");
    QCOMPARE(driver.pending(), 0);
    QCOMPARE(w.windowTitle(), QStringLiteral("Expense Book : Trip"));
    QVERIFY(!QFileInfo::exists(copyPath));
    QCOMPARE(w.manager()->fileName(), moved);
    QCOMPARE(w.manager()->count(), 4);
    QCOMPARE(w.manager()->password(), QStringLiteral("t"));
    QCOMPARE(w.manager()->description(), QStringLiteral("Summer"));
    QCOMPARE(w.manager()->icon(), chosenIcon);
    QCOMPARE(setting("Options", "book"), moved);
    QVERIFY(w.bookIndex()->findByPath(moved));
    QVERIFY(!w.bookIndex()->findByPath(copyPath));

    // delete: the password, the confirmation, then the books dialog
    driver.expect("PasswordDialog", [](QWidget *p) {
        type(p, "p1", QStringLiteral("t"));
        static_cast<PasswordDialog *>(p)->btnOk->click();
    });
    YMRDialog::queueAnswer(1);
    driver.expect("DBDialog", [](QWidget *d) {
        selectBook(d, QStringLiteral("Household"));
        static_cast<DBDialog *>(d)->btnSelect->click();
    });
    trigger(w, "deletebook");
    QCOMPARE(driver.pending(), 0);
    QVERIFY(!QFileInfo::exists(moved));
    QVERIFY(!w.bookIndex()->findByPath(moved));
    QCOMPARE(w.windowTitle(), QStringLiteral("Expense Book : Household"));
    QCOMPARE(YMRDialog::takeScriptedBoxes().at(0).text,
             QStringLiteral("Are you sure you want to delete\nExpense Book [Trip] ?"));
    // the deleted book does not come back when the program ends
    w.close();
    QVERIFY(!QFileInfo::exists(moved));
}

// The book editor neither edits, moves nor deletes a book another copy of
// the program has open: it says so and leaves the book as it is.
void TestToDoWindow::bookAnotherCopyHoldsStaysAsItIs()
{
    DBManager index;
    index.load();
    DBRecord *record = addBook(&index, QStringLiteral("Elsewhere"));
    QVERIFY(index.save());
    const QString path = record->path();
    const QByteArray before = readAll(path);
    QVERIFY(!before.isEmpty());
    const pid_t holder = holdLockInChild(BookFile::lockFileName(path));
    QVERIFY(holder > 0);
    ModalDriver driver;
    YMRDialog::queueAnswer(1);
    YMRDialog::queueAnswer(1);
    QVERIFY(!ToDoWindow::deleteBookRecord(record, &index));
    ToDoWindow::editBookRecord(record, &index);
    killLockHolder(holder);
    QVERIFY(driver.unexpected.isEmpty());
    const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
    QCOMPARE(boxes.size(), 2);
    for (const YMRDialog::ScriptedBox &box : boxes)
        QVERIFY2(box.text.startsWith(QStringLiteral("Expense Book [Elsewhere] is open in another program:\nlockholder")),
                 qPrintable(box.text));
    QCOMPARE(readAll(path), before);
    QVERIFY(index.findByPath(path));
}

void TestToDoWindow::unreadableBookIsNeverOpened()
{
    const QString broken = bookPath(QStringLiteral("Broken"));
    {
        DBManager index;
        QVERIFY(index.load());
        addBook(&index, QStringLiteral("Broken"));
        QVERIFY(index.save());
    }
    const QByteArray garbage("not a book at all\n");
    writeFile(broken, garbage);
    setSetting("Options", "book", broken);

    ModalDriver driver;
    YMRDialog::queueAnswer(1);
    driver.expect("DBDialog", [](QWidget *d) {
        auto *dialog = static_cast<DBDialog *>(d);
        selectBook(d, QStringLiteral("Broken"));
        QVERIFY(!dialog->btnSelect->isEnabled());
        QVERIFY(!dialog->btnEdit->isEnabled());
        QVERIFY(dialog->selectedPath().isNull());
        QVERIFY(!dialog->removeMenu()->isItemEnabled(1));
        QVERIFY(dialog->removeMenu()->isItemEnabled(0));
        selectBook(d, QStringLiteral("Household"));
        dialog->btnSelect->click();
    });
    {
        ToDoWindow w;
        start(w);
        QTRY_VERIFY_WITH_TIMEOUT(w.manager(), 5000);
        QCOMPARE(driver.pending(), 0);
        QCOMPARE(w.windowTitle(), QStringLiteral("Expense Book : Household"));
        const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.at(0).text,
                 QStringLiteral("Cannot read Expense Book [Broken]:\n") + broken);
    }
    QCOMPARE(readAll(broken), garbage);
}

// A book zeroed in the middle, holding more expenses than its header
// counts, or whose count is no number, opens with what could be read, says
// what is wrong and how much was read, and keeps its bytes as they were
// beside it, once: the saves that follow never touch that copy.
void TestToDoWindow::damagedBookOpensWithItsCopyKept_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QByteArray>("total"); // the header's count as damaged; empty: zeroed instead
    QTest::addColumn<QString>("said");     // %1: expenses read
    QTest::newRow("zeroed in the middle") << "Damaged" << QByteArray()
                                          << "%1 expenses could be read, its header counts 400.";
    QTest::newRow("more than its total")
        << "Overfull" << QByteArray("300")
        << "it holds more than the 300 expenses its header counts; those 300 were read.";
    QTest::newRow("a count that is no number") << "Miscounted" << QByteArray("4x0")
                                               << "the count of its header is no number; %1 expenses could be read.";
}

void TestToDoWindow::damagedBookOpensWithItsCopyKept()
{
    QFETCH(QString, title);
    QFETCH(QByteArray, total);
    QFETCH(QString, said);
    QPEApplication::setArgumentsForTest(QStringList());
    const QString path = bookPath(title);
    QFile::remove(path + QStringLiteral(".damaged"));
    {
        DBManager index;
        index.load();
        addBook(&index, title);
        QVERIFY(index.save());
        TaskManager book(path);
        QVERIFY(book.load());
        addExpenses(&book, 400);
        QVERIFY(book.save());
    }
    QByteArray damaged = readAll(path);
    QVERIFY(damaged.contains("TOTAL=400\n"));
    if (total.isEmpty())
        damaged.replace(damaged.size() / 2, 2048, QByteArray(2048, '\0'));
    else
        damaged.replace("TOTAL=400\n", "TOTAL=" + total + "\n");
    writeFile(path, damaged);
    setSetting("Options", "book", path);
    const QString copy = path + QStringLiteral(".damaged");

    int read = 0;
    YMRDialog::queueAnswer(1);
    {
        ToDoWindow w;
        start(w);
        QTRY_VERIFY_WITH_TIMEOUT(w.manager(), 5000);
        read = w.manager()->count();
        const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
        QCOMPARE(boxes.size(), 1);
        if (total.isEmpty())
            QVERIFY(read > 300 && read < 400);
        else
            QCOMPARE(read, qMin(400, total.toInt() ? total.toInt() : 400));
        QCOMPARE(boxes.at(0).text, QStringLiteral("Expense Book [%1] is damaged:\n%2\nThe file as it was is kept "
                                                  "as:\n%3")
                                       .arg(title, said.contains("%1") ? said.arg(read) : said, copy));
        QCOMPARE(readAll(copy), damaged);
        addExpenses(w.manager(), 1);
        QVERIFY(w.manager()->save());
    }
    QVERIFY(readAll(path).contains(QByteArray("TOTAL=") + QByteArray::number(read + 1) + "\n"));
    QCOMPARE(readAll(copy), damaged);
    // read whole now: opened without a word
    {
        ToDoWindow w;
        start(w);
        QTRY_VERIFY_WITH_TIMEOUT(w.manager(), 5000);
        QCOMPARE(w.manager()->count(), read + 1);
        QVERIFY(YMRDialog::takeScriptedBoxes().isEmpty());
    }
    QCOMPARE(readAll(copy), damaged);

    // damaged again: a copy of its own, named in the message
    QByteArray again = readAll(path);
    again.replace(again.indexOf("TOTAL="), 6, "TOTAL=9");
    writeFile(path, again);
    YMRDialog::queueAnswer(1);
    {
        ToDoWindow w;
        start(w);
        QTRY_VERIFY_WITH_TIMEOUT(w.manager(), 5000);
        const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes.at(0).text.endsWith(QStringLiteral("kept as:\n") + path + QStringLiteral(".damaged.2")),
                 qPrintable(boxes.at(0).text));
    }
    QCOMPARE(readAll(path + QStringLiteral(".damaged.2")), again);
    QCOMPARE(readAll(copy), damaged);
    QFile::remove(path + QStringLiteral(".damaged.2"));
}

void TestToDoWindow::documentOnTheCommandLine()
{
    const QString doc = ymrtest::userRoot().filePath(QStringLiteral("cli/Outing.exp"));
    QDir().mkpath(QFileInfo(doc).path());
    {
        TaskManager book(doc);
        addExpenses(&book, 2);
        QVERIFY(book.save());
    }
    setSetting("Options", "book", bookPath(QStringLiteral("Household")));
    QPEApplication::setArgumentsForTest({QStringLiteral("ymroutlays"), doc});
    ToDoWindow w;
    start(w);
    QTRY_COMPARE_WITH_TIMEOUT(w.windowTitle(), QStringLiteral("Expense Book : Outing"), 5000);
    QCOMPARE(w.manager()->count(), 2);
    QCOMPARE(setting("Options", "book"), doc);
    DBRecord *record = w.bookIndex()->findByPath(doc);
    QVERIFY(record);
    QCOMPARE(record->title(), QStringLiteral("Outing"));

    // a re-sort to the sort the book has already changes nothing
    QSignalSpy updated(w.manager(), &PIMManager::updated);
    QCoreApplication::postEvent(&w, new QEvent(QEvent::Type(ToDoWindow::SortEvent)));
    QCoreApplication::processEvents();
    QCOMPARE(updated.count(), 0);

    // a request while a dialog is up is dropped
    ModalDriver driver;
    driver.expect("DBDialog", [&w](QWidget *d) {
        w.setDocument(bookPath(QStringLiteral("Household")));
        QVERIFY(!w.manager());
        ModalDriver::reject(d);
    });
    trigger(w, "db");
    QCOMPARE(driver.pending(), 0);
    // cancelled: the book that was open opens again
    QCOMPARE(w.windowTitle(), QStringLiteral("Expense Book : Outing"));
    QDir(QFileInfo(doc).path()).removeRecursively();
}

void TestToDoWindow::foreignFileIsNotTakenIn()
{
    setSetting("Options", "book", bookPath(QStringLiteral("Household")));
    ToDoWindow w;
    start(w);
    QTRY_VERIFY_WITH_TIMEOUT(w.manager(), 5000);
    const int books = w.bookIndex()->count();

    const QString notes = booksDir() + "/notes.txt";
    const QByteArray text("shopping list\nmilk\n");
    writeFile(notes, text);
    YMRDialog::queueAnswer(1);
    w.setDocument(notes);
    QCOMPARE(YMRDialog::takeScriptedBoxes().at(0).text,
             QStringLiteral("Not an Expense Book:\n") + notes);
    QCOMPARE(w.bookIndex()->count(), books);
    QCOMPARE(w.windowTitle(), QStringLiteral("Expense Book : Household"));

    // adding files: the foreign one and a listed one are refused, a new book is added and opened
    const QString fresh = booksDir() + "/sub/Fresh.exp";
    QDir().mkpath(booksDir() + "/sub");
    YMFileDialog::queueAnswer({notes, bookPath(QStringLiteral("Household")), fresh});
    YMRDialog::queueAnswer(1);
    YMRDialog::queueAnswer(1);
    trigger(w, "openbook");
    const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes.at(0).text, QStringLiteral("[notes]\nis not an Expense Book!"));
    QCOMPARE(boxes.at(1).text, QStringLiteral("Expense Book [Household]\nalready in list!"));
    const QList<YMFileDialog::ScriptedCall> calls = YMFileDialog::takeScriptedCalls();
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls.at(0).filter, QStringLiteral("Expense Book(*.exp);;All Files(*);;"));
    // the platform's home, never the real one beside it
    QCOMPARE(calls.at(0).startDir, Qpe::userRoot());
    QCOMPARE(w.windowTitle(), QStringLiteral("Expense Book : Fresh"));
    QCOMPARE(w.bookIndex()->count(), books + 1);
    QCOMPARE(readAll(notes), text);
    QCOMPARE(setting("Options", "openbookpath"), booksDir());
}

void TestToDoWindow::booksDialogRemoveAndSelectMode()
{
    setSetting("db_columns", "column", QStringLiteral("4;1"));
    DBManager index;
    QVERIFY(index.load());
    const QString fresh = booksDir() + "/sub/Fresh.exp";
    {
        DBDialog dialog(&index, fresh);
        QCOMPARE(setting("db_columns", "column"), QStringLiteral("0;1;2;3;4"));
        QCOMPARE(dialog.currentBook()->path(), fresh);
        QCOMPARE(dialog.memo->isEnabled(), false);

        YMRDialog::queueAnswer(2);
        dialog.doRemove();
        QVERIFY(index.findByPath(fresh));
        YMRDialog::queueAnswer(1);
        dialog.doRemove();
        QVERIFY(!index.findByPath(fresh));
        QVERIFY(QFileInfo::exists(fresh));   // only taken off the list
        QCOMPARE(YMRDialog::takeScriptedBoxes().at(0).text,
                 QStringLiteral("Are you sure you want to remove\nExpense Book [Fresh] from List?"));
    }
    {
        DBManager reread;
        QVERIFY(reread.load());
        QVERIFY(!reread.findByPath(fresh));
    }

    const QString household = bookPath(QStringLiteral("Household"));
    {
        DBDialog dialog(&index, household);
        dialog.setSelectMode(household);
        QCOMPARE(dialog.btnSelect->text(), QStringLiteral("Select"));
        QVERIFY(dialog.btnEdit->isHidden() && dialog.btnRemove->isHidden());
        QVERIFY(!dialog.btnOpen->isHidden() && !dialog.btnNew->isHidden());
        QVERIFY(dialog.selectedPath().isNull());
        QVERIFY(!dialog.btnSelect->isEnabled());
    }
    QVERIFY(index.findByPath(household)->isAvailable());
}

void TestToDoWindow::emptiedIndexEndsTheProgram()
{
    setSetting("Options", "book", QString());
    ModalDriver driver;
    driver.expect("DBDialog", [](QWidget *d) {
        auto *dialog = static_cast<DBDialog *>(d);
        while (dialog->currentBook()) {
            YMRDialog::queueAnswer(1);
            dialog->doRemove();
        }
        ModalDriver::reject(d);
    });
    ToDoWindow w;
    start(w);
    QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 5000);
    QCOMPARE(driver.pending(), 0);
    QCOMPARE(w.bookIndex()->count(), 0);
    QVERIFY(QFileInfo::exists(bookPath(QStringLiteral("Household"))));
}

YMR_TEST_MAIN(TestToDoWindow)
#include "tst_todowindow.moc"
