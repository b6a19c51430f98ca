// ymr-test-screens: 240x320 480x640
#include "ymrtest.h"

#include "lockholder.h"
#include "modaldriver.h"
#include "programrun.h"
#include "openbook.h"
#include "renamewatch.h"

#include "copyspecial.h"
#include "dbdialog.h"
#include "passworddialog2.h"

#include "pim/bookfile.h"
#include "pim/dblistview.h"
#include "pim/movejournal.h"
#include "pim/pimreminder.h"
#include "pim/taskselectlistview.h"
#include "qpe/filereplacer.h"
#include "qt/ymrdialog.h"
#include "qt/ymrpushbutton.h"
#include "qpe/qpeglobal.h"

#include <csignal>
#include <functional>

using namespace fixtures;

namespace {
int s_killAt = 0;
} // namespace

// Marked expenses copied and moved into another book from the main
// window's "Copy Special" command.
class TestCopySpecial : public QObject
{
    Q_OBJECT
public:
    static int actionMain(int argc, char **argv);

private slots:
    void initTestCase();
    void cleanup();
    void copyAndMove();
    void moveToABookAnotherCopyHolds();
    void strokeWrites_data();
    void strokeWrites();
    void killedActionFinishedByTheNextStart_data();
    void killedActionFinishedByTheNextStart();

private:
    static void chooseBook(ModalDriver &driver, const QString &title);
    static void mark(CopySpecial *d, int row);
    static QStringList uids(TaskManager *book);
    static QList<Expense> fourRents();
    // Gives the i-th expense of the book a reminder at when(i), seen(t)
    // once it has it, and saves the book.
    static void remind(const QString &path, const std::function<QDateTime(int)> &when,
                       const std::function<void(const Task *)> &seen);
};

void TestCopySpecial::initTestCase()
{
    PasswordDialog2::installPrompts();
    qApp->setQuitOnLastWindowClosed(false);
}

void TestCopySpecial::cleanup()
{
    YMRDialog::stopScript();
}

void TestCopySpecial::chooseBook(ModalDriver &driver, const QString &title)
{
    driver.expect("DBDialog", [title](QWidget *w) {
        auto *d = static_cast<DBDialog *>(w);
        for (YMRListViewItem *item = d->list->firstChild(); item; item = item->nextSibling()) {
            auto *book = dynamic_cast<DBRecord *>(static_cast<PIMListViewItem *>(item)->record());
            if (book && book->title() == title) {
                d->list->setCurrentItem(item);
                d->btnSelect->click();
                return;
            }
        }
        d->reject();
    });
}

// A child run: "--action <source> <title to> <kill at> move|copy": every
// expense of the source moved (copied) to the book titled so, the run
// killed before the write the number names (a Step from 1; 0: never).
int TestCopySpecial::actionMain(int argc, char **argv)
{
    if (argc < 6)
        return 1;
    qApp->setQuitOnLastWindowClosed(false);
    s_killAt = atoi(argv[4]);
    ToDoWindow w;
    if (!openInWindow(w, QString::fromLocal8Bit(argv[2])))
        return 2;
    ModalDriver driver;
    ymrtest::whenModalShown([&](QDialog *dialog) {
        auto *d = static_cast<CopySpecial *>(dialog);
        d->listView()->sectionClicked(0);
        // the marks are on disk: what follows is the action's alone
        if (!w.manager()->save())
            ::_exit(3);
        CopySpecial::setStepHook([](CopySpecial::Step step) {
            if (step + 1 == s_killAt)
                ::raise(SIGKILL);
        });
        chooseBook(driver, QString::fromLocal8Bit(argv[3]));
        YMRDialog::queueAnswer(1);
        (qstrcmp(argv[5], "move") == 0 ? d->moveButton() : d->copyButton())->click();
        d->reject();
    });
    trigger(w, "cs");
    return YMRDialog::takeScriptedBoxes().value(0).text.contains(QLatin1String("successful")) ? 0 : 4;
}

// A tap on the row's check column, as the user marks it.
void TestCopySpecial::mark(CopySpecial *d, int row)
{
    YMRListViewItem *item = d->listView()->firstChild();
    for (int i = 0; i < row && item; ++i)
        item = item->nextSibling();
    QVERIFY(item);
    d->listView()->setCurrentItem(item);
    d->listView()->activateRecord();
}

QStringList TestCopySpecial::uids(TaskManager *book)
{
    QStringList list;
    for (int i = 0; i < book->count(); ++i)
        list << book->records()->at(i)->uidString();
    return list;
}

QList<Expense> TestCopySpecial::fourRents()
{
    QList<Expense> four;
    for (int i = 0; i < 4; ++i)
        four << Expense{"Rent", QString::number(i), "", "", {}};
    return four;
}

void TestCopySpecial::remind(const QString &path, const std::function<QDateTime(int)> &when,
                             const std::function<void(const Task *)> &seen)
{
    TaskManager book(path);
    QVERIFY(book.load());
    const TaskManager::Stroke stroke(&book);
    for (int i = 0; i < book.count(); ++i) {
        auto *t = static_cast<Task *>(book.records()->at(i));
        auto *old = new Task(*t);
        t->reminder = new PIMReminder;
        t->reminder->dateTime = when(i);
        t->store(old);
        seen(t);
    }
    QVERIFY(book.save());
}

void TestCopySpecial::copyAndMove()
{
    QList<Expense> five;
    for (int i = 0; i < 5; ++i)
        five << Expense{"Taxi", QString::number(10 + i), "Rome", QStringLiteral("ride %1").arg(i),
                        QDate(2026, 3, 1 + i)};
    const QString source = makeBook(QStringLiteral("Household"), five);
    const QString trip = makeBook(QStringLiteral("Trip"), {{"Food", "3", "Oslo", "tea", {}}});
    makeBook(QStringLiteral("Locked"), {}, QStringLiteral("pw"));

    ToDoWindow w;
    QVERIFY(openInWindow(w, source));
    const QStringList sourceUids = uids(w.manager());
    ModalDriver driver;
    bool ran = false;
    ymrtest::whenModalShown([&](QDialog *dialog) {
        auto *d = qobject_cast<CopySpecial *>(dialog);
        QVERIFY(d);
        ran = true;
        QCOMPARE(d->windowTitle(), QStringLiteral("Copy Special ..."));
        QCOMPARE(d->listView()->childCount(), 5);

        // nothing marked
        YMRDialog::queueAnswer(1);
        d->copyButton()->click();
        QCOMPARE(YMRDialog::takeScriptedBoxes().at(0).text,
                 QStringLiteral("No one record was selected!"));

        // copy three: new UIDs, same fields, the marks stay
        for (int row : {0, 2, 4})
            mark(d, row);
        const QString size = QString::number(QPEApplication::screenRect().width());
        QVERIFY(d->grab().save(ymrtest::grabPath("ymr-copyspecial-" + size)));
        chooseBook(driver, QStringLiteral("Trip"));
        YMRDialog::queueAnswer(1);
        d->copyButton()->click();
        QCOMPARE(YMRDialog::takeScriptedBoxes().at(0).text,
                 QStringLiteral("3 records was copied successful."));
        {
            TaskManager dest(trip);
            QVERIFY(dest.load());
            QCOMPARE(dest.count(), 4);
            for (int i = 1; i < 4; ++i) {
                auto *t = static_cast<Task *>(dest.records()->at(i));
                QVERIFY(!sourceUids.contains(t->uidString()));
                QVERIFY(!t->hasProperty(QStringLiteral("select")));
                QCOMPARE(t->description, QStringLiteral("ride %1").arg((i - 1) * 2));
            }
        }
        QCOMPARE(w.manager()->count(), 5);

        // a destination that cannot be saved (a full disk), or not even the
        // move's record: nothing leaves the source, no record stays
        for (const bool record : {false, true}) {
            FileReplacer::setSpaceLeft(record ? 0 : readAll(trip).size());
            chooseBook(driver, QStringLiteral("Trip"));
            YMRDialog::queueAnswer(1);
            d->moveButton()->click();
            FileReplacer::setSpaceLeft(-1);
            QCOMPARE(YMRDialog::takeScriptedBoxes().at(0).text,
                     QStringLiteral("Cannot write to file:\n") + (record ? MoveJournal::folder() : trip)
                         + QStringLiteral("\nno space left on the disk"));
            QCOMPARE(w.manager()->count(), 5);
            QCOMPARE(d->listView()->childCount(), 5);
            QCOMPARE(QDir(MoveJournal::folder()).entryList(QDir::Files | QDir::Hidden).size(), 0);
        }

        // a refused password copies nothing
        chooseBook(driver, QStringLiteral("Locked"));
        driver.expect("PasswordDialog", [](QWidget *p) {
            type(p, "p1", QStringLiteral("wrong"));
            static_cast<QDialog *>(p)->accept();
        });
        YMRDialog::queueAnswer(1);
        d->copyButton()->click();
        QCOMPARE(YMRDialog::takeScriptedBoxes().value(0).text, QStringLiteral("Access denied."));
        QCOMPARE(w.manager()->count(), 5);

        // move: gone from the source and its list at once
        chooseBook(driver, QStringLiteral("Trip"));
        YMRDialog::queueAnswer(1);
        d->moveButton()->click();
        QCOMPARE(YMRDialog::takeScriptedBoxes().value(0).text,
                 QStringLiteral("3 records was moved successful."));
        QCOMPARE(w.manager()->count(), 2);
        QCOMPARE(d->listView()->childCount(), 2);
        mark(d, 0);
        d->reject();
    });
    trigger(w, "cs");
    QVERIFY(ran);
    QCOMPARE(driver.pending(), 0);
    QVERIFY(driver.unexpected.isEmpty());

    // both books on disk; the marks are gone
    TaskManager dest(trip);
    QVERIFY(dest.load());
    QCOMPARE(dest.count(), 7);
    for (int i = 4; i < 7; ++i)
        QVERIFY(!sourceUids.contains(dest.records()->at(i)->uidString()));
    TaskManager src(source);
    QVERIFY(src.load());
    QCOMPARE(src.count(), 2);
    for (int i = 0; i < w.manager()->count(); ++i)
        QVERIFY(!w.manager()->records()->at(i)->hasProperty(QStringLiteral("select")));
    QCOMPARE(w.listView()->childCount(), 2);
}

// "Move to" a book another copy of the program has open: refused with the
// holder named, and nothing leaves either book.
void TestCopySpecial::moveToABookAnotherCopyHolds()
{
    const QString source = makeBook(QStringLiteral("Home"), {{"Taxi", "1", "", "", {}}, {"Bus", "2", "", "", {}}});
    const QString held = makeBook(QStringLiteral("Away"), {{"Food", "3", "", "", {}}});
    const QByteArray before = readAll(held);
    const pid_t holder = holdLockInChild(BookFile::lockFileName(held));
    QVERIFY(holder > 0);
    ToDoWindow w;
    QVERIFY(openInWindow(w, source));
    ModalDriver driver;
    ymrtest::whenModalShown([&](QDialog *dialog) {
        auto *d = static_cast<CopySpecial *>(dialog);
        mark(d, 0);
        mark(d, 1);
        chooseBook(driver, QStringLiteral("Away"));
        YMRDialog::queueAnswer(1);
        d->moveButton()->click();
        const QString text = YMRDialog::takeScriptedBoxes().value(0).text;
        QVERIFY2(text.startsWith(QStringLiteral("Expense Book [Away] is open in another program:\nlockholder")),
                 qPrintable(text));
        QCOMPARE(d->listView()->childCount(), 2);
        d->reject();
    });
    trigger(w, "cs");
    killLockHolder(holder);
    QCOMPARE(w.manager()->count(), 2);
    QCOMPARE(readAll(held), before);
}

// Copy to and Move to, each a stroke per book: the alarm list written once
// for the copies and once for the source's removal, each book saved once;
// the moved expenses' alarms listed for their copies alone, both lists
// showing what the source keeps.
void TestCopySpecial::strokeWrites_data()
{
    QTest::addColumn<bool>("move");
    QTest::addColumn<QList<int>>("tapped"); // none: the header marks the page
    QTest::addColumn<int>("alarmWrites");
    QTest::addColumn<int>("sourceSaves");
    QTest::newRow("copy of the page") << false << QList<int>() << 1 << 0;
    QTest::newRow("move of the page") << true << QList<int>() << 2 << 1;
    QTest::newRow("move of two") << true << QList<int>{1, 3} << 2 << 1;
}

void TestCopySpecial::strokeWrites()
{
    QFETCH(bool, move);
    QFETCH(QList<int>, tapped);
    QFETCH(int, alarmWrites);
    QFETCH(int, sourceSaves);
    const QString title = QStringLiteral("Reminded%1").arg(QTest::currentDataTag()).remove(QLatin1Char(' '));
    const QString source = makeBook(title, fourRents());
    const QString destination = makeBook(title + QStringLiteral("To"), {});
    QHash<QString, QDateTime> rings; // by type and amount
    remind(source, [](int i) { return QDateTime(QDate(2031, 5, 1 + i), QTime(9, 0)); },
           [&rings](const Task *t) { rings.insert(t->amount, t->reminder->dateTime); });
    ToDoWindow w;
    QVERIFY(openInWindow(w, source));
    QStringList sourceUids = uids(w.manager());
    for (const QString &uid : qAsConst(sourceUids))
        QCOMPARE(alarmTimes(TaskManager::alarmMessage(w.manager()->findRecord(uid))).size(), 1);
    ModalDriver driver;
    QStringList moved;
    ymrtest::whenModalShown([&](QDialog *dialog) {
        auto *d = static_cast<CopySpecial *>(dialog);
        if (tapped.isEmpty())
            d->listView()->sectionClicked(0);
        for (int row : qAsConst(tapped))
            mark(d, row);
        for (YMRListViewItem *i = d->listView()->firstChild(); i; i = i->nextSibling()) {
            PIMRecord *r = static_cast<PIMListViewItem *>(i)->record();
            if (r->hasProperty(TaskSelectListView::markProperty()))
                moved << r->uidString();
        }
        // the marks are saved now: what the click saves is the stroke's
        QVERIFY(w.manager()->save());
        ymrtest::RenameWatch settings(QFileInfo(AlarmServer::instance()->fileName()).path());
        ymrtest::RenameWatch books(QFileInfo(source).path());
        QVERIFY(settings.isValid() && books.isValid());
        chooseBook(driver, title + QStringLiteral("To"));
        YMRDialog::queueAnswer(1);
        (move ? d->moveButton() : d->copyButton())->click();
        QCOMPARE(YMRDialog::takeScriptedBoxes().value(0).text,
                 QStringLiteral("%1 records was %2 successful.").arg(moved.size()).arg(move ? "moved" : "copied"));
        QCOMPARE(settings.count(QStringLiteral("alarms")), alarmWrites);
        QCOMPARE(books.count(QFileInfo(source).fileName()), sourceSaves);
        QCOMPARE(books.count(QFileInfo(destination).fileName()), 1);
        const int kept = move ? 4 - moved.size() : 4;
        QCOMPARE(d->listView()->childCount(), kept);
        QCOMPARE(w.listView()->childCount(), kept);
        d->reject();
    });
    trigger(w, "cs");
    QCOMPARE(driver.pending(), 0);
    QCOMPARE(moved.size(), tapped.isEmpty() ? 4 : tapped.size());
    // the source's alarms: of those it keeps alone
    for (const QString &uid : qAsConst(sourceUids)) {
        const QByteArray message = QByteArray("alarm(QDateTime,int)") + uid.toLatin1();
        QCOMPARE(alarmTimes(message).size(), move && moved.contains(uid) ? 0 : 1);
        if (!move || !moved.contains(uid))
            QVERIFY(w.manager()->findRecord(uid));
    }
    // the copies' at the times of the expenses they copy
    TaskManager copies(destination);
    QVERIFY(copies.load());
    QCOMPARE(copies.count(), moved.size());
    for (PIMRecord *r : *copies.records())
        QCOMPARE(alarmTimes(TaskManager::alarmMessage(r)), QList<QDateTime>{rings.value(static_cast<Task *>(r)->amount)});
    TaskManager kept(source);
    QVERIFY(kept.load());
    QCOMPARE(kept.count(), move ? 4 - moved.size() : 4);
}

// A move or copy killed as it begins any of its files: the next start
// (before either book shows) ends it as a whole, each expense in one book
// once, the moved ones all in one of them, and the alarm list holding the
// reminder to come of each once, under the UID of the expense that holds it.
void TestCopySpecial::killedActionFinishedByTheNextStart_data()
{
    QTest::addColumn<bool>("move");
    QTest::addColumn<int>("killAt");  // before the write (a CopySpecial::Step from 1); 0: no kill
    QTest::addColumn<bool>("arrived"); // the destination holds them
    const char *const writes[] = {"its record", "the destination", "the alarm list for the destination",
                                  "the source", "the alarm list for the source", "its record's removal"};
    for (int i = 0; i < 6; ++i) {
        QTest::addRow("move killed before %s", writes[i]) << true << i + 1 << (i > 1);
        if (i < 3 || i == 5)
            QTest::addRow("copy killed before %s", writes[i]) << false << i + 1 << (i > 1);
    }
    QTest::newRow("move not killed") << true << 0 << true;
    QTest::newRow("copy not killed") << false << 0 << true;
    // the next opening of a book the move names finishes it too
    QTest::newRow("move killed before the source, the source opened next") << true << 4 << true;
    // its alarms go with nothing left to open
    QTest::newRow("move killed before the alarm list for the source, the source deleted") << true << 5 << true;
}

void TestCopySpecial::killedActionFinishedByTheNextStart()
{
    QFETCH(bool, move);
    QFETCH(int, killAt);
    QFETCH(bool, arrived);
    const QString title = QStringLiteral("Cut%1").arg(QTest::currentDataTag()).remove(QLatin1Char(' '));
    const QString source = makeBook(title, fourRents());
    const QString destination = makeBook(title + QStringLiteral("To"), {{"Food", "9", "", "", {}}});
    QSet<QByteArray> ours;
    // one reminder past, three to come
    remind(source, [](int i) { return QDateTime(QDate(i ? 2031 : 2021, 5, 1 + i), QTime(9, 0)); },
           [&ours](const Task *t) { ours.insert(TaskManager::alarmMessage(t)); });
    QProcess child;
    ymrtest::startChild(child, {QStringLiteral("--action"), source, title + QStringLiteral("To"),
                                QString::number(killAt), move ? QStringLiteral("move") : QStringLiteral("copy")});
    QVERIFY(child.waitForFinished(60000));
    QCOMPARE(child.exitStatus() == QProcess::CrashExit, killAt > 0);
    if (!killAt)
        QCOMPARE(child.exitCode(), 0);

    if (QByteArray(QTest::currentDataTag()).endsWith("source deleted"))
        QVERIFY(QFile::remove(source));
    // the next start, before any book shows
    if (QByteArray(QTest::currentDataTag()).endsWith("opened next")) {
        ToDoWindow w;
        QVERIFY(openInWindow(w, source));
        QCOMPARE(w.manager()->count(), 0);
    } else {
        QCOMPARE(MoveJournal::finishPending(), killAt > 1 ? 1 : 0);
    }
    QVERIFY(QDir(MoveJournal::folder()).entryList({QStringLiteral("*.move")}, QDir::Files).isEmpty());
    // as the next start leaves it: an opening would make each book's
    // entries its reminders again
    const QList<AlarmServer::Alarm> pending = AlarmServer(Qpe::settingsDir()).pending();
    TaskManager from(source), to(destination);
    QVERIFY((!QFileInfo::exists(source) || from.load()) && to.load());
    QStringList amounts;
    QHash<QByteArray, QDateTime> toCome; // the alarm each holder's reminder sets
    for (TaskManager *book : {&from, &to}) {
        for (PIMRecord *r : *book->records()) {
            const auto *t = static_cast<Task *>(r);
            amounts << (book == &to ? "to " : "from ") + t->amount;
            if (t->reminder && t->reminder->dateTime.date().year() > 2026)
                toCome.insert(TaskManager::alarmMessage(r), t->reminder->dateTime);
        }
    }
    amounts.sort();
    const QString kept = "from 0,from 1,from 2,from 3,", there = "to 0,to 1,to 2,to 3,to 9";
    QCOMPARE(amounts.join(','), !arrived ? kept + "to 9" : move ? there : kept + there);
    QCOMPARE(toCome.size(), move || !arrived ? 3 : 6);
    QHash<QByteArray, QDateTime> listed;
    for (const AlarmServer::Alarm &a : pending) {
        // of an expense of either book, then or now
        if (ours.contains(a.message) || toCome.contains(a.message)) {
            QVERIFY2(!listed.contains(a.message), a.message.constData());
            listed.insert(a.message, a.when);
        }
    }
    QCOMPARE(listed, toCome);
}

YMR_TEST_MAIN_WITH_CHILD(TestCopySpecial, "--action", TestCopySpecial::actionMain)
#include "tst_copyspecial.moc"
