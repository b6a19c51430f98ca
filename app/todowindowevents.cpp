// The main window's events and the opening and closing of books.

#include "todowindow.h"

#include "alertdialog.h"
#include "dbdialog.h"

#include "pim/dbmanager.h"
#include "pim/dbrecord.h"
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
#include <QLabel>
#include <QPointer>
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
        saveCommentState();
        if (m_manager) {
            m_manager->save();
            m_hiddenSinceOpen = true;
        }
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
    disconnect(m_manager, nullptr, m_idleSave, nullptr);
    disconnect(m_manager, nullptr, m_saveDeadline, nullptr);
    m_manager->removeEventFilter(this);
    m_idleSave->stop();
    m_saveDeadline->stop();
    // the alarm dialog still lists expenses of it: it hands the store back later
    if (m_alertDialog && m_alertDialog->boundStore() == m_manager)
        m_alarmStores.append(m_manager);
    else
        delete m_manager;   // saves itself when changed; the list lets go of it
    m_manager = nullptr;
    bookMenus();
    setWindowTitle(m_titleCaption);
    setBookActionsEnabled(false);
    selectionCleared();
}

bool ToDoWindow::maySaveNow() const
{
    return !storeInUse() && !QApplication::activeModalWidget() && !QApplication::activePopupWidget();
}

bool ToDoWindow::eventFilter(QObject *watched, QEvent *e)
{
    // the save after every eleventh change waits for the idle save when a
    // dialog is up; the changes that led to it restarted that timer
    if (watched == m_manager && e->type() == QEvent::Type(PIMManager::AutoSaveEvent)
        && !maySaveNow())
        return true;
    return YMRMainWindow::eventFilter(watched, e);
}

void ToDoWindow::idleSave()
{
    const bool dirty = m_manager && m_manager->isDirty();
    bool storesDirty = false;
    for (const TaskManager *store : qAsConst(m_alarmStores))
        storesDirty = storesDirty || store->isDirty();
    if (!dirty && !storesDirty)
        return;
    // a dialog or pop-up may hold a record of the book: later
    if (!maySaveNow()) {
        if (dirty)
            m_idleSave->start();
        else
            m_saveRetry->start();
        return;
    }
    if (dirty)
        m_manager->save();
    // books the alarm dialog let go of while their save failed
    const QList<TaskManager *> stores = m_alarmStores;
    for (TaskManager *store : stores) {
        if (store->isDirty() && store->save()) {
            m_alarmStores.removeOne(store);
            delete store;
        }
    }
}

void ToDoWindow::storeSaved(bool ok)
{
    auto *store = qobject_cast<PIMManager *>(sender());
    if (!store)
        return;
    if (ok) {
        if (store == m_manager)
            m_saveDeadline->stop();
        if (unsavedText().isEmpty()) {
            m_saveRetry->stop();
            m_saveNotice->hide();
        }
        return;
    }
    // told once for as long as the failure lasts, and tried again
    m_saveNotice->setText(tr("Expense Book [%1] was not saved: %2.\n"
                             "It is tried again every %3 seconds.")
                              .arg(storeName(store), store->saveFailure())
                              .arg(m_saveRetry->interval() / 1000));
    m_saveNotice->show();
    if (!m_saveRetry->isActive())
        m_saveRetry->start();
    if (store == m_manager && store->changedElsewhere() && !m_askingOtherVersion) {
        QPointer<PIMManager> changed(store);
        QTimer::singleShot(0, this, [this, changed] {
            if (changed && changed == m_manager && changed->changedElsewhere() && maySaveNow())
                askOtherVersion(changed);
        });
    }
}

QString ToDoWindow::storeName(const PIMManager *store) const
{
    const DBRecord *record = m_index->findByPath(store->fileName());
    return record && !record->title().isEmpty() ? record->title()
                                                : QFileInfo(store->fileName()).fileName();
}

QString ToDoWindow::unsavedText() const
{
    QStringList lines;
    QList<TaskManager *> stores = m_alarmStores;
    if (m_manager)
        stores.prepend(m_manager);
    for (const TaskManager *store : qAsConst(stores)) {
        if (store->isDirty() && !store->saveFailure().isEmpty())
            lines << tr("Expense Book [%1] (%2) was not saved: %3")
                         .arg(storeName(store), store->fileName(), store->saveFailure());
    }
    return lines.join(QLatin1Char('\n'));
}

bool ToDoWindow::askOtherVersion(PIMManager *store)
{
    if (m_askingOtherVersion)
        return false;
    m_askingOtherVersion = true;
    const int answer = YMRDialog::message2(
        YMRPIM::applicationName(),
        tr("Expense Book [%1] was changed by another program after it was opened here.\n"
           "Keep the other version (the changes made here since the last save are lost) "
           "or write over it?").arg(storeName(store)),
        "dialog_warning", tr("Keep Other"), "fileopen", tr("Write Over"), "filesave", 0, 0);
    m_askingOtherVersion = false;
    if (answer == 1) {
        // records a dialog holds stay as they are until it lets go
        if (store == m_manager && !storeInUse()) {
            store->load();
            m_list->init();
        }
        store->forgetChanges();
        if (unsavedText().isEmpty()) {
            m_saveRetry->stop();
            m_saveNotice->hide();
        }
    } else if (answer == 2) {
        store->overwriteChanges();
        store->save();
    }
    return answer == 1 || answer == 2;
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
        const int answer = YMRDialog::message3(
            YMRPIM::applicationName(),
            tr("Expense Book [%1] could not be saved: %2.\n"
               "Try again, or close it and lose the changes?")
                .arg(storeName(failed), failed->saveFailure()),
            "dialog_critical", tr("Try Again"), "reload", tr("Lose Changes"), "delete",
            tr("Cancel"), "button_cancel", 1, 3);
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
    if (!QPEApplication::isEndingSession() && !confirmEnd()) {
        e->ignore();
        return;
    }
    YMRMainWindow::closeEvent(e);
}

bool ToDoWindow::claimBook(TaskManager *book, const QString &title)
{
    QString holder;
    if (book->lockFile(&holder))
        return true;
    const int answer = YMRDialog::message2(
        YMRPIM::applicationName(),
        tr("Expense Book [%1] is open in another program:\n%2\n"
           "Changes made in both would overwrite each other. Open it anyway?")
            .arg(title, holder),
        "dialog_warning", tr("Books"), "books", tr("Open Anyway"), "fileopen", 1, 1);
    return answer == 2;
}

bool ToDoWindow::saveSession()
{
    saveCommentState();
    bool saved = !m_manager || m_manager->save();
    for (TaskManager *store : qAsConst(m_alarmStores))
        saved = store->save() && saved;
    return saved;
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
    if (book->isDamaged()) {
        // what could be read opens; the whole file stays beside it for mending
        const QString copy = book->damagedCopyName();
        QString text = book->count() < book->total()
                           ? tr("Expense Book [%1] is damaged:\n%2 expenses could be read, its header counts %3.")
                                 .arg(chosen->title())
                                 .arg(book->count())
                                 .arg(book->total())
                           : tr("Expense Book [%1] is damaged:\nit holds more than the %2 expenses its header "
                                "counts; those %2 were read.")
                                 .arg(chosen->title())
                                 .arg(book->total());
        if (QFileInfo::exists(copy))
            text += QLatin1Char('\n') + tr("The file as it was is kept as:\n%1").arg(copy);
        YMRDialog::warning(YMRPIM::applicationName(), text);
    }
    setWindowTitle(tr("Expense Book : %1").arg(chosen->title()));
    m_manager = book;
    m_hiddenSinceOpen = false;
    // every change, and a sort or filter change, puts the idle save off
    connect(book, &PIMManager::changed, m_idleSave, qOverload<>(&QTimer::start));
    connect(book, &PIMManager::updated, m_idleSave, qOverload<>(&QTimer::start));
    connect(book, &PIMManager::changed, m_saveDeadline, [this] {
        if (!m_saveDeadline->isActive())
            m_saveDeadline->start();
    });
    connect(book, &PIMManager::saved, this, &ToDoWindow::storeSaved, Qt::UniqueConnection);
    book->installEventFilter(this);
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
        m_index->addRecord(record);
        m_index->save();
    }
    openBookFile(path);
}
