// The main window's events and the opening and closing of books.

#include "todowindow.h"

#include "alertdialog.h"
#include "dbdialog.h"
#include "savepolicy.h"

#include "pim/bookfile.h"
#include "pim/dbmanager.h"
#include "pim/dbrecord.h"
#include "pim/movejournal.h"
#include "pim/tasklistview.h"
#include "pim/taskmanager.h"
#include "pim/ymrpim.h"
#include "qpe/config.h"
#include "qpe/boundedfile.h"
#include "qpe/qpeapplication.h"
#include "qpe/unixsignalnotifier.h"
#include "qt/ymrapplication.h"
#include "qt/ymrdialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <limits>

void ToDoWindow::removeBookSetting()
{
    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(QStringLiteral("Options"));
    cfg.removeEntry(QStringLiteral("book"));
}

bool ToDoWindow::event(QEvent *e)
{
    switch (int(e->type())) {
    case QEvent::Show: {
        restoreCommentState();
        // a second Show without a Hide between (the window system's own
        // after ours) leaves the open book alone
        if (m_manager && !m_hiddenSinceOpen)
            break;
        // a book named on the command line comes after this Show
        // (setDocument): it is opened instead of the last book or the books
        if (!m_shownOnce) {
            m_shownOnce = true;
            if (!QPEApplication::startDocument().isEmpty())
                break;
        }
        Config cfg(YMRPIM::applicationName());
        cfg.setGroup(QStringLiteral("Options"));
        const QString path = cfg.readEntry(QStringLiteral("book"));
        if (!path.isEmpty() && QFileInfo::exists(path)) {
            // after the Show: the password prompt is no part of it
            QTimer::singleShot(0, this, [this, path] { setDocument(path); });
        } else {
            QTimer::singleShot(400, this, &ToDoWindow::books);
        }
        break;
    }
    case QEvent::Hide:
        // at a session's end the policy's finish() makes the one try
        if (!QPEApplication::isEndingSession())
            saveSession();
        if (m_manager)
            m_hiddenSinceOpen = true;
        break;
    case SortEvent:
        if (m_manager)
            m_manager->setSort(m_sortColumn, m_sortOrder);
        return true;
    case FilterMenuEvent:
        setupFilterMenu();
        return true;
    default:
        break;
    }
    return YMRMainWindow::event(e);
}

void ToDoWindow::closeBook()
{
    if (!m_manager)
        return;
    // the alarm dialog still lists expenses of it: it hands the store back
    // later, and until then it is saved as the other books alarms opened
    if (m_alertDialog && m_alertDialog->boundStore() == m_manager) {
        m_alarmStores.append(m_manager);
    } else {
        m_saver->unwatch(m_manager);
        delete m_manager;   // saves itself when changed; the list lets go of it
    }
    m_manager = nullptr;
    bookMenus();
    setWindowTitle(m_titleCaption);
    setBookActionsEnabled(false);
    selectionCleared();
}

QString ToDoWindow::storeName(const PIMManager *store) const
{
    return m_saver->storeName(store);
}

void ToDoWindow::dropSavedAlarmStores(const QList<TaskManager *> &saved)
{
    // a dialog may hold records of them: they go at the next chance
    if (storeInUse())
        return;
    for (TaskManager *store : saved) {
        if (store != m_manager && m_alarmStores.removeOne(store)) {
            m_saver->unwatch(store);
            delete store;
        }
    }
}

bool ToDoWindow::askOtherVersion(PIMManager *store)
{
    if (m_askingOtherVersion)
        return false;
    m_askingOtherVersion = true;
    const bool gone = store->bookFile()->conflict() == ::BookFile::Gone;
    const QString question =
        gone ? tr("Expense Book [%1] was deleted or moved away by another program after it was "
                  "opened here.\nLet it go (the changes made here since the last save are lost) "
                  "or write it again?")
             : tr("Expense Book [%1] was changed by another program after it was opened here.\n"
                  "Keep the other version (the changes made here since the last save are lost) "
                  "or write over it?");
    // either choice loses someone's changes: Enter and Escape choose neither
    const int answer = YMRDialog::message3(YMRPIM::applicationName(), question.arg(storeName(store)),
                                           "dialog_warning", tr("Keep Other"), "fileopen",
                                           tr("Write Over"), "filesave", tr("Cancel"),
                                           "button_cancel", 3, 3);
    m_askingOtherVersion = false;
    if (answer == 1 || answer == 2)
        otherVersionChosen(store, answer == 1);
    return answer == 1 || answer == 2;
}

void ToDoWindow::otherVersionChosen(PIMManager *store, bool keepOther)
{
    if (keepOther) {
        // records a dialog holds stay as they are until it lets go
        if (store == m_manager && !storeInUse()) {
            const QString title = storeName(store);
            if (!store->load()) {
                // nothing left to show: the books to choose another
                store->forgetChanges();
                closeBook();
                QTimer::singleShot(400, this, &ToDoWindow::books);
                return;
            }
            m_list->init();
            tellDamaged(static_cast<TaskManager *>(store), title);
        }
        store->forgetChanges();
    } else {
        store->overwriteChanges();
        store->save();
    }
    m_saver->refresh();
}

bool ToDoWindow::confirmEnd()
{
    for (;;) {
        if (saveSession())
            return true;
        TaskManager *failed = m_manager && m_manager->isDirty() ? m_manager : nullptr;
        for (TaskManager *store : qAsConst(m_alarmStores))
            failed = failed ? failed : (store->isDirty() ? store : nullptr);
        if (!failed)
            return true;
        if (failed->changedElsewhere()) {
            if (!askOtherVersion(failed))
                return false;
            continue;
        }
        const int answer = SavePolicy::askTryAgain(
            tr("Expense Book [%1] could not be saved: %2.\n"
               "Try again, or close it and lose the changes?")
                .arg(storeName(failed), failed->saveFailure()));
        if (answer == 1)
            continue;
        if (answer != 2)
            return false;
        // the book is about to go; a dialog may still hold its records
        failed->forgetChanges();
    }
}

void ToDoWindow::closeEvent(QCloseEvent *e)
{
    // under a signal nobody can answer: the program ends, and says what it lost
    if (!QPEApplication::isEndingSession() && (!confirmEnd() || !m_saver->confirmSharedEnd())) {
        e->ignore();
        return;
    }
    YMRMainWindow::closeEvent(e);
}

bool ToDoWindow::claimBook(TaskManager *book, const QString &title, const QString &refuse,
                           const char *refuseIcon)
{
    QString holder;
    if (book->lockFile(&holder) || book->bookFile()->isOpenedAnyway())
        return true;
    const int answer = YMRDialog::message2(
        YMRPIM::applicationName(),
        tr("Expense Book [%1] is open in another program:\n%2\n"
           "Changes made in both would overwrite each other. Open it anyway?")
            .arg(title, holder),
        "dialog_warning", refuse.isEmpty() ? tr("Books") : refuse, refuseIcon ? refuseIcon : "books",
        tr("Open Anyway"), "fileopen", 1, 1);
    if (answer != 2)
        return false;
    // saved from now on, never over another's version without a question;
    // the lock is taken as soon as the other program lets go of it
    book->bookFile()->openAnyway();
    return true;
}

QString ToDoWindow::damagedText(TaskManager *book, const QString &title)
{
    QString text;
    switch (book->damage()) {
    case RecordFileReader::HeaderCut:
    case RecordFileReader::Empty:
        text = tr("Expense Book [%1] is damaged:\nit ends before its header does; %2 expenses could be read.")
                   .arg(title)
                   .arg(book->count());
        break;
    case RecordFileReader::FewerRecords:
        text = tr("Expense Book [%1] is damaged:\n%2 expenses could be read, its header counts %3.")
                   .arg(title)
                   .arg(book->count())
                   .arg(book->total());
        break;
    case RecordFileReader::MoreRecords:
        text = tr("Expense Book [%1] is damaged:\nit holds more than the %2 expenses its header counts; those %2 "
                  "were read.")
                   .arg(title)
                   .arg(book->total());
        break;
    default:
        text = tr("Expense Book [%1] is damaged:\n%2; %3 expenses could be read.")
                   .arg(title, RecordFileReader::damageText(book->damage()))
                   .arg(book->count());
        break;
    }
    // the copy this load kept, or why there is none
    const QString copy = book->damagedCopyName();
    if (!copy.isEmpty())
        text += QLatin1Char('\n') + tr("The file as it was is kept as:\n%1").arg(copy);
    else if (book->bookFile()->isReadOnly())
        text += QLatin1Char('\n') + tr("It stays read-only: %1.").arg(book->bookFile()->readOnlyReason());
    return text;
}

void ToDoWindow::tellDamaged(TaskManager *book, const QString &title)
{
    // what could be read opens; the whole file stays beside it for mending
    if (book->isDamaged())
        YMRDialog::warning(YMRPIM::applicationName(), damagedText(book, title));
}

void ToDoWindow::tellBookState(TaskManager *book, const QString &title)
{
    ::BookFile *file = book->bookFile();
    QStringList lines;
    // a damaged book's missing copy was told with the damage
    if (file->isReadOnly() && !book->isDamaged())
        lines << tr("Expense Book [%1] is read-only: %2.\nChanges made here cannot be saved.")
                     .arg(title, file->readOnlyReason());
    else if (file->lockState() == ::BookFile::NoLock)
        lines << tr("Expense Book [%1] cannot be locked against other copies of the program: %2.")
                     .arg(title, file->lockFailure());
    if (!lines.isEmpty())
        YMRDialog::warning(YMRPIM::applicationName(), lines.join(QLatin1Char('\n')));
}

bool ToDoWindow::saveSession()
{
    saveCommentState();
    return m_saver->saveAll();
}

bool ToDoWindow::saveOpenBook()
{
    if (!m_manager || m_manager->save())
        return true;
    YMRDialog::critical(YMRPIM::applicationName(),
                        tr("Cannot write to file:\n%1").arg(m_manager->fileName())
                            + QLatin1Char('\n') + m_manager->saveFailure());
    return false;
}

DBRecord *ToDoWindow::openBookRecord() const
{
    return m_manager ? m_index->findByPath(m_manager->fileName()) : nullptr;
}

void ToDoWindow::books()
{
    // the timers of a Show and of a refused book may both come
    if (m_inBooks)
        return;
    // a message still up (a refused book) is answered first: the dialog
    // would cover it
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(400, this, &ToDoWindow::books);
        return;
    }
    // the alarm dialog or a record dialog holds a record of the open book
    if (storeInUse()) {
        QTimer::singleShot(400, this, &ToDoWindow::books);
        return;
    }
    // the book goes only once it is saved or the user lets its changes go
    if (!confirmEnd())
        return;
    m_inBooks = true;
    removeBookSetting();
    QString path;
    if (m_manager) {
        path = m_manager->fileName();
        closeBook();
    }
    {
        DBDialog dialog(m_index, path, this);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedPath().isEmpty())
            path = dialog.selectedPath();
    }
    m_inBooks = false;
    if (m_index->count() == 0) {
        QTimer::singleShot(400, this, &QWidget::close);
        return;
    }
    openBookFile(path);
}

void ToDoWindow::openBookFile(const QString &requested)
{
    // the open book goes only once it is saved or the user lets its changes go
    if (m_manager && !confirmEnd())
        return;
    removeBookSetting();
    closeBook();

    QString path = requested;
    if (path.isEmpty()) {
        PIMRecordArray *view = m_index->view();
        for (int i = 0; i < view->count(); ++i) {
            auto *r = dynamic_cast<DBRecord *>(view->at(i));
            if (!r)
                continue;
            m_index->refreshRecord(r);
            if (r->isAvailable()) {
                path = r->path();
                break;
            }
        }
    }
    DBRecord *record = path.isEmpty() ? nullptr : m_index->findByPath(path);
    if (!record) {
        QTimer::singleShot(400, this, &ToDoWindow::books);
        return;
    }
    m_index->refreshAll();

    bool managerRequested = false;
    DBRecord *chosen = m_index->askPassword(record, &managerRequested);
    if (managerRequested) {
        QTimer::singleShot(400, this, &ToDoWindow::books);
        return;
    }
    if (!chosen) {
        QTimer::singleShot(400, this, &QWidget::close);
        return;
    }

    // A book file that cannot be read is never opened as an empty book:
    // the next save would write over it.
    const QString bookPath = chosen->path();
    // a copy or move a killed program left half done ends before the book shows
    MoveJournal::finishPending(bookPath);
    // a store an alarm opened for this book becomes the open book: never two
    // stores on one file
    TaskManager *book = takeAlarmStore(bookPath);
    QString why;
    bool stopped = false;
    if (!book && chosen->isAvailable()) {
        book = new TaskManager(bookPath, false, false);
        if (!book->load()) {
            why = book->loadFailure();
            stopped = book->loadStopped();
            delete book;
            book = nullptr;
        }
    }
    if (!book && (stopped || UnixSignalNotifier::pending())) {
        // the program is to end: nothing to tell, the book opens at the next start
        Config cfg(YMRPIM::applicationName());
        cfg.setGroup(QStringLiteral("Options"));
        cfg.writeEntry(QStringLiteral("book"), bookPath);
        return;
    }
    if (!book) {
        QString text = tr("Cannot read Expense Book [%1]:\n%2").arg(chosen->title(), bookPath);
        if (!why.isEmpty())
            text += QLatin1Char('\n') + why;
        YMRDialog::critical(YMRPIM::applicationName(), text);
        QTimer::singleShot(400, this, &ToDoWindow::books);
        return;
    }
    if (!claimBook(book, chosen->title())) {
        delete book;
        QTimer::singleShot(400, this, &ToDoWindow::books);
        return;
    }
    tellDamaged(book, chosen->title());
    tellBookState(book, chosen->title());
    setWindowTitle(book->bookFile()->isReadOnly()
                       ? tr("Expense Book : %1 (read-only)").arg(chosen->title())
                       : tr("Expense Book : %1").arg(chosen->title()));
    m_manager = book;
    m_hiddenSinceOpen = false;
    m_saver->watch(book);
    m_list->setManager(book, true);
    m_list->readCurrencyFormats();
    m_list->readDateFormats();
    m_list->restoreColumns();
    m_list->init();
    setBookActionsEnabled(true);
    bookMenus();

    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(QStringLiteral("Options"));
    cfg.writeEntry(QStringLiteral("book"), bookPath);
}

ToDoWindow::BookFileCheck ToDoWindow::checkBookFile(const QString &path)
{
    if (!YMRApplication::documentNameReadable(path))
        return UnreadableName;
    // the book index reads a "|" back as a line break
    if (path.contains(QLatin1Char('|')))
        return BarInName;
    // only the first line is read here: the size is the book's reader's
    QFile file;
    switch (BoundedFile::open(file, path, std::numeric_limits<qint64>::max())) {
    case BoundedFile::Missing:
        return QFileInfo(path).isSymLink() ? NotBookFile : NewBookFile;
    case BoundedFile::Ok:
        break;
    default:
        return NotBookFile;
    }
    // an empty file has no header: taking it would make someone's empty
    // file a book
    QByteArray first = file.readLine(64);
    while (first.endsWith('\n') || first.endsWith('\r'))
        first.chop(1);
    return first == "FOLDER" ? BookFile : NotBookFile;
}

bool ToDoWindow::isBookFile(const QString &path)
{
    const BookFileCheck check = checkBookFile(path);
    return check == BookFile || check == NewBookFile;
}

QString ToDoWindow::nameRefusal(BookFileCheck check, const QString &path)
{
    switch (check) {
    case UnreadableName:
        return tr("The file name\n%1\ncannot be read in this locale.").arg(path);
    case BarInName:
        return tr("The file name\n%1\ncannot contain \"|\".").arg(path);
    default:
        return QString();
    }
}

void ToDoWindow::setDocument(const QString &path)
{
    // while an alarm or a record dialog holds a record, the open book stays;
    // with none open the request waits for them
    if (storeInUse()) {
        if (!m_manager)
            QTimer::singleShot(400, this, [this, path] { setDocument(path); });
        return;
    }
    const QWidgetList tops = QApplication::topLevelWidgets();
    for (QWidget *w : tops) {
        if (w->isVisible() && w->inherits("QDialog"))
            return;
    }
    if (!path.isEmpty() && !m_index->findByPath(path)) {
        const BookFileCheck check = checkBookFile(path);
        if (check != BookFile && check != NewBookFile) {
            const QString refusal = nameRefusal(check, path);
            YMRDialog::critical(YMRPIM::applicationName(),
                                refusal.isEmpty() ? tr("Not an Expense Book:\n%1").arg(path)
                                                  : refusal);
            if (!m_manager)
                QTimer::singleShot(400, this, &ToDoWindow::books);
            return;
        }
        auto *record = new DBRecord(m_index);
        record->setPath(path);
        m_index->refreshRecord(record);
        if (!m_index->addRecord(record)) {
            YMRDialog::critical(YMRPIM::applicationName(), m_index->addRefusal());
            delete record;
            return;
        }
        m_index->save();
    }
    openBookFile(path);
}

// ---- what the reminders ask of the books -------------------------------------------

void ToDoWindow::unlockAlarmBook(PIMManager *store, bool ask, bool *open)
{
    if (!open)
        return;
    *open = true;
    // the open book's password was given when it opened
    if (!store || store == m_manager)
        return;
    // an alarm opens a book by the path the book index holds
    DBRecord *book = m_index->findByPath(store->fileName());
    if (book && !book->password().isEmpty())
        *open = ask && DBManager::checkPassword(book);
}

void ToDoWindow::claimAlarmBook(PIMManager *store, bool *mayStore)
{
    auto *book = qobject_cast<TaskManager *>(store);
    if (!mayStore || !book || book == m_manager)
        return;
    QString title = QFileInfo(book->fileName()).fileName();
    if (DBRecord *record = m_index->findByPath(book->fileName()))
        title = record->title();
    // a change of a book another copy holds would not be saved here: the
    // reminder would leave the alarm list while the book keeps it
    *mayStore = claimBook(book, title, tr("Cancel"), "button_cancel");
}

void ToDoWindow::missingBooks(QStringList *titles)
{
    if (!titles)
        return;
    PIMRecordArray *view = m_index->view();
    for (int i = 0; i < view->count(); ++i) {
        auto *book = dynamic_cast<DBRecord *>(view->at(i));
        if (book && !book->path().isEmpty() && !QFileInfo(book->path()).isReadable())
            titles->append(QStringLiteral("%1 (%2)").arg(book->title(), book->path()));
    }
}
