#include "startup.h"

#include "datamigration.h"
#include "passworddialog2.h"
#include "savepolicy.h"
#include "todowindow.h"

#include "pim/movejournal.h"
#include "pim/ymrpim.h"
#include "qpe/boundedfile.h"
#include "qpe/unsavedfiles.h"
#include "qt/ymabout.h"
#include "qt/ymrapplication.h"
#include "qt/ymrdialog.h"
#include "pim/tasklistview.h"

#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTimer>

#include <cstdio>
#include <optional>

static const char appVersion[] = "3.0";

int Startup::run(int &argc, char **argv)
{
    // at a log-out only the program decides what to close (it may keep
    // running when a save failed)
    QGuiApplication::setFallbackSessionManagementEnabled(false);
    // settings read with the application object count as well
    reportSetAsideFiles();
    YMRApplication app("ymrOutlays", argc, argv);
    // a log-out or kill ends the program as closing its window does: saved
    app.endSessionOnSignals();
    if (!YMRApplication::checkScreen())
        return -1;
    YMAbout::setAppVersion(QString::fromLatin1(appVersion));
    fixLanguage();
    if (!migrate()) {
        // what could not be written yet gets the one try a window's end gives it
        UnsavedFiles::instance()->retryAll();
        const QStringList unsaved = UnsavedFiles::instance()->lines();
        for (const QString &line : unsaved)
            std::fprintf(stderr, "%s\n", qPrintable(tr("Not saved: %1").arg(line)));
        return unsaved.isEmpty() ? 0 : 1;
    }
    // a copy or move a kill cut short is finished before any book shows
    MoveJournal::finishPending();
    PasswordDialog2::installPrompts();
    ToDoWindow window;
    Startup benchProbe;
    if (qEnvironmentVariableIsSet("YMR_BENCH_FIRST_PAINT")) {
        benchProbe.m_window = &window;
        window.listView()->viewport()->installEventFilter(&benchProbe);
    }
    app.showMainDocumentWidget(&window);
    windowShown();
    const int status = app.exec();
    // what a signal or a log-out ended without keeping (a book whose save
    // failed, values typed into a dialog) is said where a script or the
    // session's log sees it
    const QString lost = window.savePolicy()->finish();
    if (!lost.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(lost));
        return status ? status : 1;
    }
    return status;
}

bool Startup::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() == QEvent::Paint && m_window->manager() && m_window->listView()->childCount() > 0) {
        // once this paint has reached the screen
        QTimer::singleShot(0, [] {
            std::fputs("painted\n", stdout);
            std::fflush(stdout);
            QCoreApplication::quit();
        });
        m_window = nullptr;
        watched->removeEventFilter(this);
    }
    return false;
}

namespace {
QStringList s_setAside;
// From the main window's first Show on: before, the message would stand in
// the way of the book it opens.
bool s_windowShown = false;

// After the start a read on a clock or another copy's write finds the file:
// the message comes up on its own.
void showSetAside(bool onItsOwn)
{
    if (s_setAside.isEmpty())
        return;
    const QStringList files = s_setAside;
    s_setAside.clear();
    std::optional<YMRDialog::Unasked> unasked;
    if (onItsOwn)
        unasked.emplace();
    YMRDialog::warning(YMRPIM::applicationName(),
                       Startup::tr("Cannot read these files; the program goes on with its defaults:\n%1")
                           .arg(files.join(QLatin1Char('\n'))));
}
} // namespace

void Startup::reportSetAsideFiles()
{
    BoundedFile::setNotifier([](const QString &path, const QString &aside) {
        s_setAside << tr("%1\n(kept as %2)").arg(path, aside);
        // not in the middle of the read that found the file damaged, nor
        // before the main window has opened its book
        if (s_setAside.size() == 1 && s_windowShown)
            QTimer::singleShot(0, [] { showSetAside(true); });
    });
}

void Startup::windowShown()
{
    s_windowShown = true;
    // behind what the window's Show has queued (the book it opens)
    if (!s_setAside.isEmpty())
        QTimer::singleShot(0, [] { showSetAside(false); });
}

void Startup::fixLanguage()
{
    if (qgetenv("LANG") != "ja")
        qputenv("LANG", "en");
}

bool Startup::migrate()
{
    QString error;
    QString book;
    QString note;
    const DataMigration::Result result = DataMigration::run(&error, &book, &note);
    if (result == DataMigration::NothingToDo
        || (result == DataMigration::Converted && book == DataMigration::bookFileName() && note.isEmpty()))
        return true;
    // A log-out, kill or Ctrl+C while the message shows closes it as it
    // closes any dialog; the program then ends as closing its window does,
    // not going on with no one there.
    bool ended = false;
    QMetaObject::Connection watch;
    if (auto *app = qobject_cast<QPEApplication *>(qApp))
        watch = connect(app, &QPEApplication::sessionEnding, [&ended] { ended = true; });
    if (result == DataMigration::Failed)
        YMRDialog::critical(YMRPIM::applicationName(),
                            tr("The data of the earlier version could not be converted;\n"
                               "nothing was changed.\n%1").arg(error));
    else if (book != DataMigration::bookFileName())
        YMRDialog::information(YMRPIM::applicationName(),
                               tr("The data of the earlier version was converted into the Expense Book\n%1\n"
                                  "(the name %2 was taken: that book is left as it is).")
                                   .arg(book, QFileInfo(DataMigration::bookFileName()).fileName())
                                   + (note.isEmpty() ? QString() : QLatin1Char('\n') + note));
    else
        YMRDialog::information(YMRPIM::applicationName(),
                               tr("The data of the earlier version was converted into the Expense Book\n%1")
                                       .arg(book)
                                   + QLatin1Char('\n') + note);
    disconnect(watch);
    return !ended;
}
