#include "ymrtest.h"

#include "lockholder.h"
#include "modaldriver.h"
#include "openbook.h"

#include "pim/bookfile.h"
#include "pim/pimreminder.h"
#include "pim/pimtextreader.h"
#include "pim/taskmanager.h"
#include "qpe/filereplacer.h"
#include "qt/ymrdialog.h"

#include <QLabel>
#include <QPushButton>

#include <sys/stat.h>

using namespace fixtures;

// A save that fails is told in the window without a box under the user's
// keys and tried again; closing then asks; the saves on timers wait for
// dialogs; a book another program holds or changed is not written over
// without the user's word.
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
    }
    void fullDiskIsToldAndTriedAgain();
    void closingWhileUnsavedAsks_data();
    void closingWhileUnsavedAsks();
    void timedSavesWaitForDialogs();
    void bookChangedElsewhere_data();
    void bookChangedElsewhere();
    void bookOpenInAnotherCopy();
    void bookStateToldAtTheOpen_data();
    void bookStateToldAtTheOpen();
    void reminderOfABookAnotherCopyHolds();
    void alarmNeverAdoptsAPartlyReadBook();

private:
    static void change(ToDoWindow &w, const char *type)
    {
        auto *task = static_cast<Task *>(w.manager()->first());
        auto *old = new Task(*task);
        task->type = QLatin1String(type);
        task->store(old);
    }
};

void TestSaveFailures::fullDiskIsToldAndTriedAgain()
{
    const QString path = makeBook(QStringLiteral("Full"), {{"Taxi", "3", "", "", QDate()}});
    ToDoWindow w;
    QVERIFY(openInWindow(w, path));
    QLabel *notice = w.saveNotice();
    QVERIFY(!notice->isVisibleTo(&w));
    FileReplacer::setSpaceLeft(0);

    change(w, "Bus");
    w.idleSaveTimer()->start(1);
    QTRY_VERIFY(notice->isVisibleTo(&w));
    QVERIFY2(notice->text().contains(QLatin1String("[Full]"))
                 && notice->text().contains(QLatin1String("no space")),
             qPrintable(notice->text()));
    // no box took the keyboard; the change is kept and tried again
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(w.manager()->isDirty());
    QVERIFY(!readAll(path).contains("TYPE=Bus"));
    QVERIFY(w.saveRetryTimer()->isActive());
    QCOMPARE(w.saveRetryTimer()->interval(), 30000);

    FileReplacer::setSpaceLeft(-1);
    w.saveRetryTimer()->start(1);
    QTRY_VERIFY(readAll(path).contains("TYPE=Bus"));
    QVERIFY(!notice->isVisibleTo(&w));
    QVERIFY(!w.manager()->isDirty());
    QVERIFY(w.unsavedText().isEmpty());
}

void TestSaveFailures::closingWhileUnsavedAsks_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<bool>("saved");
    QTest::newRow("cancel keeps the window") << "Cancel" << false << false;
    QTest::newRow("try again once there is room") << "Try Again" << true << true;
    QTest::newRow("lose the changes") << "Lose Changes" << true << false;
}

void TestSaveFailures::closingWhileUnsavedAsks()
{
    QFETCH(QString, answer);
    QFETCH(bool, closed);
    QFETCH(bool, saved);
    const QString path = makeBook(QStringLiteral("Close"), {{"Taxi", "3", "", "", QDate()}});
    ToDoWindow w;
    QVERIFY(openInWindow(w, path));
    FileReplacer::setSpaceLeft(0);
    change(w, "Bus");

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
    QCOMPARE(readAll(path).contains("TYPE=Bus"), saved);
    QCOMPARE(w.manager()->isDirty(), !closed);
    QCOMPARE(w.unsavedText().isEmpty(), closed);
    FileReplacer::setSpaceLeft(-1);
    w.manager()->load();
}

void TestSaveFailures::timedSavesWaitForDialogs()
{
    const QString path = makeBook(QStringLiteral("Dialogs"), {{"Taxi", "3", "", "", QDate()}});
    ToDoWindow w;
    QVERIFY(openInWindow(w, path));

    // the save after every eleventh change follows the idle save's rule
    ymrtest::whenModalShown([&](QDialog *d) {
        for (int i = 0; i < 12; ++i)
            change(w, i % 2 ? "Bus" : "Tram");
        ymrtest::flushEvents();
        QVERIFY(readAll(path).contains("TYPE=Taxi"));
        QVERIFY(w.manager()->isDirty());
        d->reject();
    });
    trigger(w, "new");
    QVERIFY(readAll(path).contains("TYPE=Taxi"));
    const int idle = w.idleSaveTimer()->interval();
    w.idleSaveTimer()->start(1);
    QTRY_VERIFY(readAll(path).contains("TYPE=Bus"));
    // an idle save in the wait below would start the deadline anew
    w.idleSaveTimer()->setInterval(idle);

    // a user who never stops gets a save within the minute all the same
    change(w, "Tram");
    QTimer *deadline = w.saveDeadlineTimer();
    QVERIFY(deadline->isActive());
    QCOMPARE(deadline->interval(), 60000);
    const int left = deadline->remainingTime();
    QTest::qWait(20);
    change(w, "Ferry");
    QVERIFY(deadline->remainingTime() < left);
    QVERIFY(w.idleSaveTimer()->isActive());
    deadline->start(1);
    QTRY_VERIFY(readAll(path).contains("TYPE=Ferry"));
    QVERIFY(!deadline->isActive());
}

void TestSaveFailures::bookChangedElsewhere_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QByteArray>("kept");
    QTest::addColumn<QByteArray>("lost");
    QTest::addColumn<QByteArray>("beyondTotal");
    QTest::newRow("keep the other version") << 1 << QByteArray("TYPE=Other")
                                            << QByteArray("TYPE=Bus") << QByteArray();
    QTest::newRow("write over it") << 2 << QByteArray("TYPE=Bus") << QByteArray("TYPE=Other")
                                   << QByteArray();
    // read back as an open reads it: told damaged, its file kept
    QTest::newRow("keep a damaged other version") << 1 << QByteArray("TYPE=Other")
                                                  << QByteArray("TYPE=Bus")
                                                  << QByteArray("T=Extra\nEND\n");
}

void TestSaveFailures::bookChangedElsewhere()
{
    QFETCH(int, answer);
    QFETCH(QByteArray, kept);
    QFETCH(QByteArray, lost);
    QFETCH(QByteArray, beyondTotal);
    const QString path = makeBook(QStringLiteral("Elsewhere"), {{"Taxi", "3", "", "", QDate()}});
    for (const QString &copy : BookFile(path).copies())
        QFile::remove(copy);
    ToDoWindow w;
    QVERIFY(openInWindow(w, path));
    change(w, "Bus");
    {
        // another program puts its own version in place
        QByteArray other = readAll(path);
        other.replace("TYPE=Taxi", "TYPE=Other");
        other += beyondTotal;
        writeFile(path + QStringLiteral(".x"), other);
        QVERIFY(::rename(QFile::encodeName(path + QStringLiteral(".x")).constData(),
                         QFile::encodeName(path).constData()) == 0);
    }
    YMRDialog::queueAnswer(answer);
    if (!beyondTotal.isEmpty())
        YMRDialog::queueAnswer(1);
    const QByteArray otherVersion = readAll(path);
    w.idleSaveTimer()->start(1);
    QTRY_COMPARE(YMRDialog::queuedAnswers(), 0);
    const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
    QCOMPARE(boxes.size(), beyondTotal.isEmpty() ? 1 : 2);
    QVERIFY2(boxes.at(0).text.contains(QLatin1String("changed by another program")),
             qPrintable(boxes.at(0).text));
    if (!beyondTotal.isEmpty()) {
        QCOMPARE(boxes.at(1).text, QStringLiteral("Expense Book [Elsewhere] is damaged:\nit holds more than "
                                                  "the 1 expenses its header counts; those 1 were read.\n"
                                                  "The file as it was is kept as:\n%1")
                                       .arg(path + QStringLiteral(".damaged")));
        QCOMPARE(readAll(path + QStringLiteral(".damaged")), otherVersion);
    }
    QTRY_VERIFY(!w.manager()->isDirty());
    QVERIFY(readAll(path).contains(kept));
    QVERIFY(!readAll(path).contains(lost));
    QCOMPARE(static_cast<Task *>(w.manager()->first())->type, QString::fromLatin1(kept.mid(5)));
    QVERIFY(!w.saveNotice()->isVisibleTo(&w));
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
    w.getTask(&task, uid);
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
    {
        TaskManager store(other);
        QVERIFY(store.load());
        for (PIMRecord *r : *store.records())
            uid = static_cast<Task *>(r)->type == QLatin1String("Bus") ? r->uidString() : uid;
    }
    QVERIFY(!uid.isEmpty());
    const QByteArray before = readAll(other);
    ToDoWindow w;
    QVERIFY(openInWindow(w, open));

    // the expense of the reminder reads, the long line after it does not
    const int limit = PIMTextReader::maxLineLength();
    PIMTextReader::setMaxLineLength(200);
    Task *task = nullptr;
    w.getTask(&task, uid);
    PIMTextReader::setMaxLineLength(limit);
    QVERIFY(!task);
    QVERIFY(w.alarmStores().isEmpty());
    QCOMPARE(readAll(other), before);
}

YMR_TEST_MAIN(TestSaveFailures)
#include "tst_savefailures.moc"
