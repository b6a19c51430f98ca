#include "ymrtest.h"

#include "lockholder.h"
#include "dbdialog.h"
#include "modaldriver.h"
#include "openbook.h"

#include "pim/bookfile.h"
#include "pim/dbmanager.h"
#include "pim/dblistview.h"
#include "pim/dbrecord.h"
#include "pim/pimlistviewitem.h"
#include "pim/pimreminder.h"
#include "pim/pimtextreader.h"
#include "pim/tasklistview.h"
#include "pim/taskmanager.h"
#include "qpe/filereplacer.h"
#include "qpe/unsavedfiles.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrdialog.h"
#include "savepolicy.h"
#include "dateformatselector.h"
#include "formatsetup.h"
#include "qpe/config.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <sys/stat.h>

using namespace fixtures;

// A save that fails is told in the window without a box under the user's
// keys and tried again; closing then asks; the saves on timers keep their
// times whatever dialog is up; a book another program holds or changed is
// not written over without the user's word, and no timer asks for it.
class TestSaveFailures : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qApp->setQuitOnLastWindowClosed(false); }
    void cleanup()
    {
        FileReplacer::setSpaceLeft(-1);
        BookFile::setRetakeInterval(0);
        YMRDialog::stopScript();
        UnsavedFiles::instance()->retryAll();
    }
    void fullDiskIsToldAndTriedAgain();
    void sharedFileInTheNotice();
    void settingsOnAFullDisk();
    void indexUnderTheBooksDialogIsTold();
    void closingWhileUnsavedAsks_data();
    void closingWhileUnsavedAsks();
    void timedSavesRunUnderDialogs_data();
    void timedSavesRunUnderDialogs();
    void bookChangedElsewhere_data();
    void bookChangedElsewhere();
    void bookOpenInAnotherCopy();
    void bookStateToldAtTheOpen_data();
    void bookStateToldAtTheOpen();
    void reminderOfABookAnotherCopyHolds();
    void alarmNeverAdoptsAPartlyReadBook();
};

void TestSaveFailures::fullDiskIsToldAndTriedAgain()
{
    const QString path = makeBook(QStringLiteral("Full"), {{"Taxi", "3", "", "", QDate()}});
    ToDoWindow w;
    QVERIFY(openInWindow(w, path));
    SavePolicy *saver = w.savePolicy();
    QVERIFY(saver->noticeText().isEmpty());
    FileReplacer::setSpaceLeft(0);

    changeType(w, "Bus");
    saver->idleTimer()->start(1);
    QTRY_VERIFY(!saver->noticeText().isEmpty());
    QVERIFY2(saver->noticeText().contains(QLatin1String("[Full]"))
                 && saver->noticeText().contains(QLatin1String("no space")),
             qPrintable(saver->noticeText()));
    // no box took the keyboard; the change is kept and tried again
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(w.manager()->isDirty());
    QVERIFY(!readAll(path).contains("TYPE=Bus"));
    QVERIFY(saver->retryTimer()->isActive());
    QCOMPARE(saver->retryTimer()->interval(), 30000);

    FileReplacer::setSpaceLeft(-1);
    saver->retryTimer()->start(1);
    QTRY_VERIFY(readAll(path).contains("TYPE=Bus"));
    QVERIFY(saver->noticeText().isEmpty());
    QVERIFY(!w.manager()->isDirty());
    QVERIFY(saver->unsavedText().isEmpty());
}

// A shared file of the home that could not be written (the book index
// here) is named in the notice beside a book, and leaves it once written.
void TestSaveFailures::sharedFileInTheNotice()
{
    const QString path = makeBook(QStringLiteral("Shared"), {{"Taxi", "3", "", "", QDate()}});
    ToDoWindow w;
    QVERIFY(openInWindow(w, path));
    SavePolicy *saver = w.savePolicy();
    const QString index = w.bookIndex()->fileName();
    FileReplacer::setSpaceLeft(0);

    QVERIFY(!indexBook(w, QStringLiteral("Second")));
    QVERIFY2(saver->noticeText().contains(QLatin1String("the book index: no space")),
             qPrintable(saver->noticeText()));
    QVERIFY(!saver->noticeText().contains(QLatin1String("[Shared]")));
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(saver->retryTimer()->isActive());
    // a book failing as well: both named, the book first
    changeType(w, "Bus");
    saver->idleTimer()->start(1);
    QTRY_VERIFY(saver->noticeText().contains(QLatin1String("[Shared]")));
    QVERIFY2(saver->noticeText().contains(QLatin1String("the book index")), qPrintable(saver->noticeText()));
    QVERIFY(!readAll(index).contains("Second"));

    // the retry clock writes both; the notice goes
    FileReplacer::setSpaceLeft(-1);
    saver->retryTimer()->start(1);
    QTRY_VERIFY(saver->noticeText().isEmpty());
    QVERIFY(readAll(index).contains("Second"));
    QVERIFY(readAll(path).contains("TYPE=Bus"));
    QVERIFY(UnsavedFiles::instance()->isEmpty());
    QVERIFY(!saver->retryTimer()->isActive());
}

// Under the books dialog the notice is hidden: a removal from the list that
// the index cannot keep is told at once; the list stays as the user left it
// and the retry writes it.
// The settings on a full disk: the book opened last and the formats of the
// options page are not written, the settings are named in the notice, and
// the retry writes both once there is room.
void TestSaveFailures::settingsOnAFullDisk()
{
    const QString path = makeBook(QStringLiteral("Formats"), {{"Bus", "4", "", "", QDate()}});
    const QString settings = Config::configFileName(QStringLiteral("ymrOutlays"));
    ToDoWindow w;
    SavePolicy *saver = w.savePolicy();
    FileReplacer::setSpaceLeft(0);
    // no room for the book's lock either: said as it opens
    YMRDialog::queueAnswer(1);
    w.setDocument(path);
    QVERIFY(w.manager());
    {
        FormatSetup formats;
        formats.dateFormat->comboBox()->setEditText(QStringLiteral("DD.MM.YYYY"));
    }
    QVERIFY2(saver->noticeText().contains(QLatin1String("the settings ymrOutlays.conf: no space")),
             qPrintable(saver->noticeText()));
    QVERIFY(!readAll(settings).contains("Formats") && !readAll(settings).contains("DD.MM.YYYY"));
    QVERIFY(saver->retryTimer()->isActive());
    // still full: still named
    saver->retryTimer()->start(1);
    QTest::qWait(50);
    QVERIFY(saver->noticeText().contains(QLatin1String("the settings ymrOutlays.conf")));

    FileReplacer::setSpaceLeft(-1);
    saver->retryTimer()->start(1);
    QTRY_VERIFY(saver->noticeText().isEmpty());
    QVERIFY(readAll(settings).contains("Formats.exp") && readAll(settings).contains("DD.MM.YYYY"));
}

void TestSaveFailures::indexUnderTheBooksDialogIsTold()
{
    const QString path = makeBook(QStringLiteral("Staying"), {{"Taxi", "3", "", "", QDate()}});
    makeBook(QStringLiteral("Leaving"), {});
    ToDoWindow w;
    QVERIFY(openInWindow(w, path));
    QVERIFY(w.manager()->save());
    const QString index = w.bookIndex()->fileName();
    QVERIFY(readAll(index).contains("Leaving"));
    FileReplacer::setSpaceLeft(0);
    {
        DBDialog d(w.bookIndex(), path, &w);
        ymrtest::whenModalShown([&d](QDialog *) {
            for (YMRListViewItem *i = d.list->firstChild(); i; i = i->nextSibling()) {
                auto *book = dynamic_cast<DBRecord *>(static_cast<PIMListViewItem *>(i)->record());
                if (book && book->title() == QLatin1String("Leaving"))
                    d.list->setCurrentItem(i);
            }
            YMRDialog::queueAnswer(1);   // remove it
            YMRDialog::queueAnswer(1);   // the message
            d.doRemove();
            ymrtest::flushEvents();
            d.reject();
        });
        d.exec();
    }
    const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
    QCOMPARE(boxes.size(), 2);
    QVERIFY2(boxes.at(1).text.contains(QLatin1String("the book index: no space")), qPrintable(boxes.at(1).text));
    QVERIFY(readAll(index).contains("Leaving"));
    QVERIFY(!w.bookIndex()->findByPath(bookPath(QStringLiteral("Leaving"))));
    QVERIFY(w.savePolicy()->noticeText().contains(QLatin1String("the book index")));

    // the clock's retry tells nothing more
    w.savePolicy()->retryTimer()->start(1);
    QTest::qWait(20);
    ymrtest::flushEvents();
    QVERIFY(YMRDialog::takeScriptedBoxes().isEmpty());
    FileReplacer::setSpaceLeft(-1);
    w.savePolicy()->retryTimer()->start(1);
    QTRY_VERIFY(!readAll(index).contains("Leaving"));
    QTRY_VERIFY(w.savePolicy()->noticeText().isEmpty());
}

void TestSaveFailures::closingWhileUnsavedAsks_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<bool>("saved");
    for (const char *file : {"book", "index"}) {
        const QByteArray f(file);
        QTest::newRow(f + ": cancel keeps the window") << file << "Cancel" << false << false;
        QTest::newRow(f + ": try again once there is room") << file << "Try Again" << true << true;
        QTest::newRow(f + ": lose the changes") << file << "Lose Changes" << true << false;
    }
}

void TestSaveFailures::closingWhileUnsavedAsks()
{
    QFETCH(QString, file);
    QFETCH(QString, answer);
    QFETCH(bool, closed);
    QFETCH(bool, saved);
    const bool book = file == QLatin1String("book");
    // a name of its own: the rows share the index
    const QString added = QStringLiteral("Added") + QString(answer).remove(QLatin1Char(' '));
    const QString path = makeBook(QStringLiteral("Close"), {{"Taxi", "3", "", "", QDate()}});
    ToDoWindow w;
    QVERIFY(openInWindow(w, path));
    const QString index = w.bookIndex()->fileName();
    // what the open wrote in the book is on disk: only the change below is not
    QVERIFY(w.manager()->save());
    FileReplacer::setSpaceLeft(0);
    if (book)
        changeType(w, "Bus");
    else
        QVERIFY(!indexBook(w, added));

    QString asked;
    ymrtest::whenModalShown([&](QDialog *d) {
        for (QLabel *l : d->findChildren<QLabel *>())
            asked += l->text();
        if (answer == QLatin1String("Try Again"))
            FileReplacer::setSpaceLeft(-1);
        for (QPushButton *b : d->findChildren<QPushButton *>()) {
            if (b->text().remove(QLatin1Char('&')).simplified() == answer)
                b->click();
        }
    });
    QCOMPARE(w.close(), closed);
    QVERIFY2(asked.contains(QLatin1String("no space")), qPrintable(asked));
    if (book) {
        QCOMPARE(readAll(path).contains("TYPE=Bus"), saved);
        QCOMPARE(w.manager()->isDirty(), !closed);
    } else {
        QVERIFY2(asked.contains(QLatin1String("the book index")), qPrintable(asked));
        QCOMPARE(readAll(index).contains(added.toUtf8()), saved);
    }
    QCOMPARE(w.savePolicy()->unsavedText().isEmpty(), closed);
    FileReplacer::setSpaceLeft(-1);
    w.manager()->load();
}

void TestSaveFailures::timedSavesRunUnderDialogs_data()
{
    QTest::addColumn<QString>("save");
    QTest::newRow("a few quiet seconds") << "idle";
    QTest::newRow("the minute's deadline while changes go on") << "deadline";
    QTest::newRow("the store's request after eleven changes") << "eleventh";
}

// An expense removed, then New Expense opened and left: the book on disk
// loses the expense on time all the same (a save only writes; the
// dialog's new record is no part of the book yet).
void TestSaveFailures::timedSavesRunUnderDialogs()
{
    QFETCH(QString, save);
    const QString path = makeBook(QStringLiteral("Dialogs"), {{"Taxi", "3", "", "", QDate()},
                                                             {"Bus", "2", "", "", QDate()}});
    ToDoWindow w;
    QVERIFY(openInWindow(w, path));
    SavePolicy *saver = w.savePolicy();
    QCOMPARE(saver->idleTimer()->interval(), 5000);
    QCOMPARE(saver->deadlineTimer()->interval(), 60000);
    // the clocks that are not asked for here stay out of the way
    saver->idleTimer()->setInterval(save == QLatin1String("idle") ? 1 : 3600000);
    saver->deadlineTimer()->setInterval(save == QLatin1String("deadline") ? 1 : 3600000);

    w.manager()->removeRecord(w.manager()->first());
    QVERIFY(saver->deadlineTimer()->isActive());
    bool saved = false;
    bool dialogUp = false;
    ymrtest::whenModalShown([&](QDialog *d) {
        if (save == QLatin1String("eleventh")) {
            for (int i = 0; i < 10; ++i)
                changeType(w, i % 2 ? "Ferry" : "Tram");
        }
        saved = QTest::qWaitFor([&] { return !readAll(path).contains("TYPE=Taxi"); }, 5000);
        dialogUp = d->isVisible() && QApplication::activeModalWidget() == d;
        d->reject();
    });
    trigger(w, "new");
    QVERIFY(saved);
    QVERIFY(dialogUp);
    QVERIFY(!w.manager()->isDirty());
    QCOMPARE(w.manager()->count(), 1);
}

void TestSaveFailures::bookChangedElsewhere_data()
{
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QByteArray>("kept");
    QTest::addColumn<QByteArray>("lost");
    QTest::addColumn<QByteArray>("beyondTotal");
    QTest::newRow("keep the other version") << "keepOther" << QByteArray("TYPE=Other")
                                            << QByteArray("DESC=note") << QByteArray();
    QTest::newRow("write over it") << "writeOver" << QByteArray("DESC=note more")
                                   << QByteArray("TYPE=Other") << QByteArray();
    // read back as an open reads it: told damaged, its file kept
    QTest::newRow("keep a damaged other version") << "keepOther" << QByteArray("TYPE=Other")
                                                  << QByteArray("DESC=note")
                                                  << QByteArray("T=Extra\nEND\n");
}

// Another program changes the book while the user types in the description
// pane: the idle save tells it in the notice line and the typing goes on
// into the same expense; closing asks with no choice as its default; the
// notice's buttons decide.
void TestSaveFailures::bookChangedElsewhere()
{
    QFETCH(QString, choice);
    QFETCH(QByteArray, kept);
    QFETCH(QByteArray, lost);
    QFETCH(QByteArray, beyondTotal);
    const QString path = makeBook(QStringLiteral("Elsewhere"), {{"Taxi", "3", "", "", QDate()}});
    for (const QString &copy : BookFile(path).copies())
        QFile::remove(copy);
    ToDoWindow w;
    QVERIFY(openInWindow(w, path));
    SavePolicy *saver = w.savePolicy();
    w.toggleComment();
    w.listView()->setCurrentItem(w.listView()->firstChild());
    QPlainTextEdit *pane = w.descriptionPane();
    QTest::keyClicks(pane, QStringLiteral("note"));
    {
        // another program puts its own version in place
        QByteArray other = readAll(path);
        other.replace("TYPE=Taxi", "TYPE=Other");
        other += beyondTotal;
        writeFile(path + QStringLiteral(".x"), other);
        QVERIFY(::rename(QFile::encodeName(path + QStringLiteral(".x")).constData(),
                         QFile::encodeName(path).constData()) == 0);
    }
    const QByteArray before = readAll(path);
    // a box that came up now would take the keys typed next
    YMRDialog::queueAnswer(0);
    saver->idleTimer()->start(1);
    QTRY_VERIFY(!saver->noticeText().isEmpty());
    QVERIFY2(saver->noticeText().contains(QLatin1String("[Elsewhere] was changed by another program")),
             qPrintable(saver->noticeText()));
    QTest::keyClicks(pane, QStringLiteral(" more"));
    ymrtest::flushEvents();
    QCOMPARE(YMRDialog::takeScriptedBoxes().size(), 0);
    QCOMPARE(YMRDialog::queuedAnswers(), 1);
    YMRDialog::stopScript();
    QCOMPARE(static_cast<Task *>(w.manager()->first())->description, QStringLiteral("note more"));
    QCOMPARE(readAll(path), before);
    // nothing waits to be tried again: only the user can decide
    QVERIFY(!saver->retryTimer()->isActive());
    auto *keep = w.findChild<QPushButton *>(QStringLiteral("keepOther"));
    auto *over = w.findChild<QPushButton *>(QStringLiteral("writeOver"));
    QVERIFY(keep && over && keep->isVisibleTo(&w) && over->isVisibleTo(&w));
    QCOMPARE(keep->focusPolicy(), Qt::NoFocus);
    QCOMPARE(over->focusPolicy(), Qt::NoFocus);

    // closing asks; Enter takes neither version, and the window stays
    QString asked;
    ymrtest::whenModalShown([&](QDialog *d) {
        for (QLabel *l : d->findChildren<QLabel *>())
            asked += l->text();
        QTest::keyClick(d, Qt::Key_Return);
    });
    QVERIFY(!w.close());
    QVERIFY2(asked.contains(QLatin1String("changed by another program")), qPrintable(asked));
    QVERIFY(w.manager()->isDirty());
    QCOMPARE(readAll(path), before);

    if (!beyondTotal.isEmpty())
        YMRDialog::queueAnswer(1);
    (choice == QLatin1String("keepOther") ? keep : over)->click();
    if (!beyondTotal.isEmpty()) {
        QTRY_COMPARE(YMRDialog::queuedAnswers(), 0);
        const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
        YMRDialog::stopScript();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.at(0).text, QStringLiteral("Expense Book [Elsewhere] is damaged:\nit holds more than "
                                                  "the 1 expenses its header counts; those 1 were read.\n"
                                                  "The file as it was is kept as:\n%1")
                                       .arg(path + QStringLiteral(".damaged")));
        QCOMPARE(readAll(path + QStringLiteral(".damaged")), before);
    }
    QTRY_VERIFY(!w.manager()->isDirty());
    QVERIFY(readAll(path).contains(kept));
    QVERIFY(!readAll(path).contains(lost));
    QCOMPARE(static_cast<Task *>(w.manager()->first())->type,
             choice == QLatin1String("keepOther") ? QStringLiteral("Other") : QStringLiteral("Taxi"));
    QVERIFY(saver->noticeText().isEmpty());
}

// Another copy of the program holds the book: told who, opened at the
// user's word, and the lock taken over as soon as that copy lets go, so that
// a third copy is refused.
void TestSaveFailures::bookOpenInAnotherCopy()
{
    const QString path = makeBook(QStringLiteral("Held"), {{"Taxi", "3", "", "", QDate()}});
    BookFile::setRetakeInterval(20);
    const pid_t holder = holdLockInChild(BookFile::lockFileName(path));
    QVERIFY(holder > 0);
    YMRDialog::queueAnswer(2);
    ToDoWindow w;
    QVERIFY(openInWindow(w, path));
    const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
    QCOMPARE(boxes.size(), 1);
    QVERIFY2(boxes.at(0).text.contains(QStringLiteral("lockholder (process %1)").arg(holder)),
             qPrintable(boxes.at(0).text));
    QVERIFY(!w.manager()->hasLock());
    killLockHolder(holder);
    QTRY_VERIFY(w.manager()->hasLock());
    TaskManager third(path);
    QVERIFY(third.load());
    QVERIFY(!third.lockFile());
}

void TestSaveFailures::bookStateToldAtTheOpen_data()
{
    QTest::addColumn<QString>("cause");
    QTest::addColumn<QString>("told");
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("book made read-only") << "0444" << "is read-only: the file is read-only" << true;
    QTest::newRow("folder made read-only") << "0555" << "is read-only: its folder is read-only" << true;
    QTest::newRow("no room for a lock") << "full" << "cannot be locked against other copies of the "
                                                    "program: no space left on the disk" << false;
}

// A book that cannot be saved, or cannot be locked, is said so as it opens,
// not first in the red line after the user typed.
void TestSaveFailures::bookStateToldAtTheOpen()
{
    QFETCH(QString, cause);
    QFETCH(QString, told);
    QFETCH(bool, readOnly);
    const QString path = makeBook(QStringLiteral("State"), {{"Taxi", "3", "", "", QDate()}});
    const QByteArray name = QFile::encodeName(cause == QLatin1String("0555") ? booksDir() : path);
    if (cause == QLatin1String("full"))
        FileReplacer::setSpaceLeft(0);
    else
        QCOMPARE(::chmod(name.constData(), mode_t(cause.toInt(nullptr, 8))), 0);
    YMRDialog::queueAnswer(1);
    {
        ToDoWindow w;
        const bool opened = openInWindow(w, path);
        ::chmod(name.constData(), cause == QLatin1String("0555") ? 0755 : 0644);
        QVERIFY(opened);
        const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes.at(0).text.startsWith(QStringLiteral("Expense Book [State] ") + told),
                 qPrintable(boxes.at(0).text));
        QCOMPARE(w.windowTitle().endsWith(QLatin1String("(read-only)")), readOnly);
    }
}

// An alarm rings for an expense of a book another copy of the program has
// open: what the reminder changes is not saved behind that copy's back, and
// its "Open" asks first.
void TestSaveFailures::reminderOfABookAnotherCopyHolds()
{
    const QString open = makeBook(QStringLiteral("Mine"), {{"Taxi", "3", "", "", QDate()}});
    const QString held = makeBook(QStringLiteral("Theirs"), {{"Bus", "2", "", "", QDate()}});
    QString uid;
    {
        TaskManager book(held);
        QVERIFY(book.load());
        auto *task = static_cast<Task *>(book.first());
        auto *old = new Task(*task);
        task->reminder = new PIMReminder;
        task->reminder->dateTime = QDateTime(QDate(2030, 1, 1), QTime(9, 0));
        task->store(old);
        QVERIFY(book.save());
        uid = task->uidString();
    }
    const QByteArray before = readAll(held);
    const pid_t holder = holdLockInChild(BookFile::lockFileName(held));
    QVERIFY(holder > 0);
    ToDoWindow w;
    QVERIFY(openInWindow(w, open));
    Task *task = nullptr;
    w.getTask(&task, uid, QDateTime(QDate(2030, 1, 1), QTime(9, 0)));
    QVERIFY(task);
    TaskManager *store = w.alarmStores().value(0);
    QVERIFY(store);
    // dismissed: kept here, not written over the other copy's book
    auto *old = new Task(*task);
    delete task->reminder;
    task->reminder = nullptr;
    task->store(old);
    QVERIFY(!store->save());
    QVERIFY2(store->saveFailure().contains(QLatin1String("open in another program")),
             qPrintable(store->saveFailure()));
    QCOMPARE(readAll(held), before);

    // "Open": asked first; Cancel opens nothing
    ModalDriver driver;
    YMRDialog::queueAnswer(1);
    w.editTask(task);
    QVERIFY(driver.unexpected.isEmpty());
    QVERIFY(YMRDialog::takeScriptedBoxes().value(0).text.contains(QLatin1String("is open in another program")));
    // Open Anyway: the expense's dialog, and saves from then on
    YMRDialog::queueAnswer(2);
    driver.expect("TaskDialog", [](QWidget *d) { static_cast<QDialog *>(d)->reject(); });
    w.editTask(task);
    QCOMPARE(driver.pending(), 0);
    QVERIFY2(store->save(), qPrintable(store->saveFailure()));
    QVERIFY(!readAll(held).contains("REMINDER"));
    killLockHolder(holder);
}

void TestSaveFailures::alarmNeverAdoptsAPartlyReadBook()
{
    const QString open = makeBook(QStringLiteral("Open"), {{"Taxi", "3", "", "", QDate()}});
    const QString other = makeBook(QStringLiteral("Partly"), {{"Bus", "2", "", "", QDate()},
                                                             {"Tram", "1", "", QString(400, 'x'), QDate()}});
    QString uid;
    const QDateTime due(QDate(2030, 1, 1), QTime(9, 0));
    {
        TaskManager store(other);
        QVERIFY(store.load());
        for (PIMRecord *r : *store.records()) {
            auto *task = static_cast<Task *>(r);
            if (task->type != QLatin1String("Bus"))
                continue;
            uid = r->uidString();
            // the reminder the alarm is of
            auto *old = new Task(*task);
            task->reminder = new PIMReminder;
            task->reminder->dateTime = due;
            task->store(old);
        }
        QVERIFY(store.save());
    }
    QVERIFY(!uid.isEmpty());
    const QByteArray before = readAll(other);
    ToDoWindow w;
    QVERIFY(openInWindow(w, open));

    // the expense of the reminder reads, the long line after it does not
    const int limit = PIMTextReader::maxLineLength();
    PIMTextReader::setMaxLineLength(200);
    Task *task = nullptr;
    w.getTask(&task, uid, due);
    PIMTextReader::setMaxLineLength(limit);
    QVERIFY(!task);
    QVERIFY(w.alarmStores().isEmpty());
    QCOMPARE(readAll(other), before);
}

YMR_TEST_MAIN(TestSaveFailures)
#include "tst_savefailures.moc"
