// Copy Special on a book of expenses that each have a reminder to come,
// open in the main window, the main list and the dialog's list showing all
// of them on one page: every expense marked by a click on the check
// column's header, unmarked by another, then (marked again) copied into an
// empty book, then moved into another. The marks are timed from the click
// until the window has done what it posted (its repaint, the autosave the
// stroke asks for); the copy and the move from the click on Select in the
// books dialog to the message that tells the user it is done. The alarm
// list of each run starts empty. One line per step.
// Usage: bench_app_copyspecial [expenses...]   (default: 1000 10000)
// Each count runs in a child process of its own, on a home of its own.
#include "benchbook.h"

#include "copyspecial.h"
#include "dbdialog.h"
#include "todowindow.h"

#include "pim/dblistview.h"
#include "pim/dbmanager.h"
#include "pim/dbrecord.h"
#include "pim/pimlistviewitem.h"
#include "pim/pimreminder.h"
#include "pim/task.h"
#include "pim/taskmanager.h"
#include "pim/taskselectlistview.h"
#include "qpe/alarmserver.h"
#include "qpe/config.h"
#include "qt/ymrapplication.h"
#include "qt/ymrdialog.h"
#include "qt/ymrheader.h"
#include "qt/ymrpushbutton.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {

QString bookPath(const QString &title)
{
    const QString dir = YMRApplication::documentDir() + QStringLiteral("/books");
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + title + QStringLiteral(".exp");
}

// The books in the index; the source with count expenses, each with a
// reminder in years to come, one page of all of them.
void makeBooks(int count)
{
    DBManager index(false);
    index.load();
    for (const char *title : {"Source", "Copies", "Moved"}) {
        auto *r = new DBRecord(&index);
        r->setPath(bookPath(QLatin1String(title)));
        r->setTitle(QLatin1String(title));
        index.addRecord(r);
        TaskManager(bookPath(QLatin1String(title))).forceSave();
    }
    index.save();
    TaskManager book(bookPath(QStringLiteral("Source")));
    book.load();
    {
        const TaskManager::Stroke stroke(&book);
        for (int i = 0; i < count; ++i) {
            Task *t = bench::sampleExpense(book, i);
            t->reminder = new PIMReminder;
            t->reminder->dateTime = QDateTime(QDate(2030, 1, 1).addDays(i % 3650), QTime(9 + i % 12, 30));
            book.addRecord(t);
        }
    }
    book.setPerPage(count);
    book.forceSave();
}

// Until the window has done what the stroke posted.
void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

double msSince(const QElapsedTimer &t)
{
    return t.nsecsElapsed() / 1e6;
}

double clickHeader(CopySpecial &dialog)
{
    QElapsedTimer t;
    t.start();
    emit dialog.listView()->header()->clicked(0);
    settle();
    return msSince(t);
}

int marked(TaskManager *book)
{
    int n = 0;
    for (PIMRecord *r : *book->records())
        n += r->hasProperty(TaskSelectListView::markProperty());
    return n;
}

// The button clicked, the book titled to chosen in the books dialog: the
// time from the click on Select to the message.
double toBook(QPushButton *button, const QString &to, QString *message)
{
    QElapsedTimer fromSelect;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *d = qobject_cast<DBDialog *>(QApplication::activeModalWidget());
        if (!d || !d->isVisible())
            return;
        poll.stop();
        for (YMRListViewItem *item = d->list->firstChild(); item; item = item->nextSibling()) {
            auto *book = dynamic_cast<DBRecord *>(static_cast<PIMListViewItem *>(item)->record());
            if (book && book->title() == to)
                d->list->setCurrentItem(item);
        }
        fromSelect.start();
        d->btnSelect->click();
    });
    poll.start();
    YMRDialog::queueAnswer(1);
    button->click();
    const double ms = fromSelect.isValid() ? msSince(fromSelect) : -1;
    const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
    *message = boxes.isEmpty() ? QString() : boxes.last().text;
    return ms;
}

int runOne(int count, const QString &folder, int argc, char **argv)
{
    const QString home = folder + QStringLiteral("/home-%1").arg(count);
    QDir(home).removeRecursively();
    qputenv("QPE_HOME", home.toLocal8Bit());
    YMRApplication app("ymrOutlays", argc, argv);
    app.setQuitOnLastWindowClosed(false);
    makeBooks(count);
    {
        Config cfg(QStringLiteral("ymrOutlays"));
        cfg.setGroup(QStringLiteral("Options"));
        cfg.writeEntry(QStringLiteral("book"), bookPath(QStringLiteral("Source")));
    }
    ToDoWindow window;
    ymrApp->showMainDocumentWidget(&window);
    QElapsedTimer wait;
    wait.start();
    while (!window.manager() && wait.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    TaskManager *source = window.manager();
    if (!source || source->count() != count) {
        std::fprintf(stderr, "the book did not open\n");
        return 1;
    }
    CopySpecial dialog(window.bookIndex(), source, &window);
    settle();
    const int alarms = AlarmServer::instance()->pending().size();

    const double mark = clickHeader(dialog);
    if (marked(source) != count)
        std::fprintf(stderr, "not every expense is marked\n");
    const double unmark = clickHeader(dialog);
    if (marked(source) != 0)
        std::fprintf(stderr, "marks left behind\n");
    clickHeader(dialog);

    QString message;
    const double copy = toBook(dialog.copyButton(), QStringLiteral("Copies"), &message);
    if (!message.startsWith(QString::number(count) + QLatin1Char(' ')))
        std::fprintf(stderr, "copy: %s\n", qPrintable(message));
    const double move = toBook(dialog.moveButton(), QStringLiteral("Moved"), &message);
    if (!message.startsWith(QString::number(count) + QLatin1Char(' ')))
        std::fprintf(stderr, "move: %s\n", qPrintable(message));
    settle();
    if (source->count() != 0 || dialog.listView()->childCount() != 0 || window.listView()->childCount() != 0)
        std::fprintf(stderr, "expenses left in the source or its lists\n");
    // the source's alarms gone, the copies' and the moved ones' there
    if (AlarmServer::instance()->pending().size() != 2 * alarms)
        std::fprintf(stderr, "%d alarms listed, not %d\n", AlarmServer::instance()->pending().size(), 2 * alarms);

    std::printf("%6d expenses, TZ=%s\n", count, qgetenv("TZ").constData());
    std::printf("  mark all by the header   %10.2f ms\n", mark);
    std::printf("  unmark all by the header %10.2f ms\n", unmark);
    std::printf("  copy to                  %10.2f ms\n", copy);
    std::printf("  move to                  %10.2f ms\n", move);
    std::fflush(stdout);
    dialog.hide();
    window.hide();
    QDir(home).removeRecursively();
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("TZ"))
        qputenv("TZ", "Europe/Berlin");
    tzset();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString folder = QDir::tempPath() + QStringLiteral("/bench-copyspecial");
    QDir().mkpath(folder);
    if (argc == 3 && qstrcmp(argv[1], "--one") == 0)
        return runOne(atoi(argv[2]), folder, argc, argv);
    QStringList counts;
    for (int i = 1; i < argc; ++i)
        counts << QString::fromLocal8Bit(argv[i]);
    if (counts.isEmpty())
        counts << QStringLiteral("1000") << QStringLiteral("10000");
    int failed = 0;
    for (const QString &count : qAsConst(counts)) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QString::fromLocal8Bit(argv[0]), {QStringLiteral("--one"), count});
        child.waitForFinished(-1);
        failed += child.exitCode() != 0;
    }
    return failed;
}
