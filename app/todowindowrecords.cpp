// The main window's commands on the open book's expenses, and what the
// alarm dialog asks of the window.

#include "todowindow.h"

#include "alertdialog.h"
#include "savepolicy.h"
#include "taskdialog.h"
#include "taskeditor.h"
#include "templatedialog.h"

#include "pim/bookfile.h"
#include "pim/dbmanager.h"
#include "pim/dbrecord.h"
#include "pim/pimreminder.h"
#include "pim/task.h"
#include "pim/tasklistview.h"
#include "pim/taskmanager.h"
#include "pim/templatemanager.h"
#include "pim/ymrpim.h"
#include "qpe/popupmenu.h"
#include "qpe/qpeapplication.h"
#include "qt/ymraction.h"
#include "qt/ymrapplication.h"
#include "qt/ymrcalculator.h"
#include "qt/ymrdialog.h"
#include "qt/ymrresource.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QToolButton>

namespace {

QString comparablePath(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

bool samePath(const QString &a, const QString &b)
{
    return comparablePath(a) == comparablePath(b);
}

} // namespace

void ToDoWindow::createRecordActions()
{
    static const ActionRow rows[] = {
        {"new", QT_TR_NOOP("New Expense"), false, "filenew", SLOT(createTask())},
        {"edit", QT_TR_NOOP("Edit Expense"), false, "edit", SLOT(editTask())},
        {"clone", QT_TR_NOOP("Duplicate Expense"), false, "editcopy", SLOT(doClone())},
        {"remove", QT_TR_NOOP("Remove Expense"), false, "remove", SLOT(removeTask())},
        {"template", QT_TR_NOOP("Templates"), true, "template", SLOT(setupTemplates())},
        {"purge", QT_TR_NOOP("Purge All Expense"), false, "remove", SLOT(purgeAll())},
    };
    createActions(std::begin(rows), std::end(rows));
}

void ToDoWindow::setupRecordCommands()
{
    m_recordMenu = new PopupMenu(this, "record");
    m_recordMenu->insertItem(YMRResource::loadIconSet(QStringLiteral("lock")), tr("Edit Expense"),
                             0);
    m_recordMenu->insertItem(YMRResource::loadIconSet(QStringLiteral("info")),
                             tr("Edit Description"), 1);
    m_recordMenu->insertItem(YMRResource::loadIconSet(QStringLiteral("clock")),
                             tr("Edit Reminder"), 3);
    m_recordMenu->insertSeparator();
    action("clone")->addTo(m_recordMenu);
    action("remove")->addTo(m_recordMenu);
    m_recordMenu->insertSeparator();
    action("new")->addTo(m_recordMenu);

    m_alertDialog = new AlertDialog(this, "alertDialog");
    connect(m_alertDialog, &AlertDialog::editDialogIsFree, this, &ToDoWindow::editDialogIsFree);
    connect(m_alertDialog, &AlertDialog::freeManager, this, &ToDoWindow::freeManager);
    connect(m_alertDialog, &AlertDialog::getTask, this, &ToDoWindow::getTask);
    connect(m_alertDialog, &AlertDialog::raiseMainWindow, this, &ToDoWindow::raiseMainWindow);
    connect(m_alertDialog, &AlertDialog::setupView, this, &ToDoWindow::setupView);
    connect(m_alertDialog, &AlertDialog::editTask, this,
            qOverload<Task *>(&ToDoWindow::editTask));
    connect(m_alertDialog, &AlertDialog::unlockBook, this, &ToDoWindow::unlockAlarmBook);
    connect(m_alertDialog, &AlertDialog::claimBook, this, &ToDoWindow::claimAlarmBook);
    connect(m_alertDialog, &AlertDialog::missingBooks, this, &ToDoWindow::missingBooks);

    connect(m_templatesMenu, &PopupMenu::activated, this, &ToDoWindow::newFromTemplate);
    setupTemplateMenu();

    connect(m_pane, &QPlainTextEdit::textChanged, this, &ToDoWindow::commentChanged);
    connect(m_list, qOverload<PIMRecord *>(&PIMListView::activate), this,
            qOverload<PIMRecord *>(&ToDoWindow::editTask));
    connect(m_list, qOverload<const QPoint &, PIMRecord *>(&PIMListView::popup), this,
            qOverload<const QPoint &, PIMRecord *>(&ToDoWindow::popup));
    connect(m_list, qOverload<const QPoint &, PIMRecord *, int>(&PIMListView::activate), this,
            qOverload<const QPoint &, PIMRecord *, int>(&ToDoWindow::editTask));
    connect(m_list, qOverload<const QPoint &, PIMRecord *, int>(&PIMListView::popup), this,
            qOverload<const QPoint &, PIMRecord *, int>(&ToDoWindow::popup));
}

// ---- running the record dialog ----------------------------------------------------

int ToDoWindow::runTaskDialog(Task *task, int page)
{
    m_busy = true;
    int result;
    {
        TaskDialog dialog(this);
        result = dialog.exec(task, page, true);
        m_busy = false;
        m_list->readCurrencyFormats();
    }
    return result;
}

void ToDoWindow::storeChange(Task *task, Task *old)
{
    task->store(old);
}

void ToDoWindow::createTask()
{
    if (!m_manager)
        return;
    runTaskDialog(m_manager->createWithDefaults(), 0);
}

void ToDoWindow::setupTemplateMenu()
{
    m_templatesMenu->clear();
    m_templateIds.clear();
    int items = 0;
    for (const QString &name : m_templates->names()) {
        if (name.isEmpty()) {
            m_templatesMenu->insertSeparator();
            continue;
        }
        const int id = m_templatesMenu->insertItem(
            YMRResource::loadIconSet(QStringLiteral("template")), name);
        m_templateIds.insert(id, name);
        ++items;
    }
    m_templateButton->setEnabled(items > 0);
}

void ToDoWindow::newFromTemplate(int id)
{
    if (!m_manager)
        return;
    auto *source = dynamic_cast<Task *>(m_templates->find(m_templateIds.value(id)));
    if (!source)
        return;
    auto *task = new Task(*source);
    task->newUid();
    const QDateTime now = QDateTime::currentDateTime();
    task->setCreated(now);
    task->setUpdated(now);
    task->date = QDate::currentDate();
    task->setManager(m_manager);
    runTaskDialog(task, 0);
}

void ToDoWindow::setupTemplates()
{
    // the templates dialog runs record dialogs of its own
    m_busy = true;
    auto *dialog = new TemplateDialog(m_templates, this);
    dialog->exec();
    delete dialog;
    m_busy = false;
    setupTemplateMenu();
    m_list->readCurrencyFormats();
}

void ToDoWindow::editTask()
{
    editTask(m_list->currentRecord());
}

void ToDoWindow::editTask(PIMRecord *record)
{
    auto *task = dynamic_cast<Task *>(record);
    if (!m_manager || !task)
        return;
    runTaskDialog(task, 0);
}

void ToDoWindow::editTask(const QPoint &pos, PIMRecord *record, int column)
{
    auto *task = dynamic_cast<Task *>(record);
    if (!m_manager || !task)
        return;
    switch (column) {
    case 1: {
        YMRCalculator calculator(task->amount, this);
        if (calculator.exec() != QDialog::Accepted)
            return;
        const QString result = calculator.result();
        if (!TaskEditor::isValidAmount(result)) {
            YMRDialog::critical(tr("Expense"),
                                tr("The result %1 is no valid amount; the amount is unchanged.")
                                    .arg(result));
            return;
        }
        auto *old = new Task(*task);
        task->amount = result;
        storeChange(task, old);
        break;
    }
    case 4: {
        QString text = task->description;
        if (!YMRPIM::editText(task->type + QStringLiteral(" : ") + tr("Description"), text))
            return;
        auto *old = new Task(*task);
        task->description = text;
        storeChange(task, old);
        break;
    }
    case 6: {
        QDate date = task->date;
        if (!YMRPIM::popupDate(date, pos))
            return;
        auto *old = new Task(*task);
        task->date = date;
        storeChange(task, old);
        break;
    }
    case 7: {
        if (!task->reminder) {
            runTaskDialog(task, 3);
            return;
        }
        auto *old = new Task(*task);
        bool removed = false;
        if (YMRPIM::popupReminder(task->reminder, removed, pos))
            storeChange(task, old);
        else
            delete old;
        break;
    }
    default:
        break;
    }
}

void ToDoWindow::popup(const QPoint &pos, PIMRecord *record)
{
    popup(pos, record, 0);
}

void ToDoWindow::popup(const QPoint &pos, PIMRecord *record, int column)
{
    auto *task = dynamic_cast<Task *>(record);
    if (!m_manager || !task)
        return;
    switch (column) {
    case 0: {
        const int id = m_recordMenu->exec(pos);
        if (id == 0 || id == 1 || id == 3)
            runTaskDialog(task, id);
        break;
    }
    case 1:
    case 6:
        editTask(pos, record, column);
        break;
    case 4:
        runTaskDialog(task, 1);
        break;
    case 7:
        runTaskDialog(task, 3);
        break;
    default:
        break;
    }
}

void ToDoWindow::removeTask()
{
    auto *task = dynamic_cast<Task *>(m_list->currentRecord());
    if (!m_manager || !task)
        return;
    if (!YMRDialog::confirmDelete(
            tr("Are you sure you want to delete\nExpense [%1] ?").arg(task->type)))
        return;
    m_manager->removeRecord(task);
}

void ToDoWindow::purgeAll()
{
    if (!m_manager)
        return;
    if (!YMRDialog::confirmDelete(tr("Are you sure you want to delete\nAll Expense?")))
        return;
    m_manager->removeAll();
}

void ToDoWindow::commentChanged()
{
    auto *task = dynamic_cast<Task *>(m_list->currentRecord());
    if (!m_manager || !task)
        return;
    m_pane->setUpdatesEnabled(false);
    m_paneTakesUpdates = false;
    auto *old = new Task(*task);
    task->description = m_pane->toPlainText();
    storeChange(task, old);
    m_paneTakesUpdates = true;
    m_pane->setUpdatesEnabled(true);
}

void ToDoWindow::doClone()
{
    auto *source = dynamic_cast<Task *>(m_list->currentRecord());
    if (!m_manager || !source)
        return;
    auto *clone = new Task(*source);
    clone->newUid();
    const QDateTime now = QDateTime::currentDateTime();
    clone->setCreated(now);
    clone->setUpdated(now);
    runTaskDialog(clone, 0);
}

// ---- the alarm dialog's requests --------------------------------------------------

void ToDoWindow::editDialogIsFree(bool *free)
{
    if (free)
        *free = !m_busy;
}

bool ToDoWindow::storeInUse() const
{
    return m_busy
           || (m_alertDialog && (m_alertDialog->boundStore() || m_alertDialog->alertWindow()));
}

void ToDoWindow::freeManager(PIMManager *store)
{
    // only stores opened for alarms go; never the open book's
    if (!store || store == m_manager)
        return;
    auto *book = qobject_cast<TaskManager *>(store);
    // one whose save fails stays, and is tried again with the open book
    if (book && m_alarmStores.contains(book) && book->save()) {
        m_alarmStores.removeOne(book);
        m_saver->unwatch(book);
        delete book;
    }
}

TaskManager *ToDoWindow::takeAlarmStore(const QString &path)
{
    for (TaskManager *s : m_alarmStores) {
        if (samePath(s->fileName(), path)) {
            m_alarmStores.removeOne(s);
            return s;
        }
    }
    return nullptr;
}

void ToDoWindow::deleteAlarmStores()
{
    const QList<TaskManager *> stores = m_alarmStores;
    m_alarmStores.clear();
    qDeleteAll(stores);
}

void ToDoWindow::getTask(Task **task, const QString &uid, const QDateTime &when, int book)
{
    if (!task)
        return;
    *task = nullptr;
    // another book may hold the UID too (a copy of a book, a received one):
    // only the expense whose reminder set the alarm is its own
    const auto own = [&](PIMManager *store) {
        auto *t = dynamic_cast<Task *>(store->findRecord(uid));
        return TaskManager::setsAlarmAt(t, when) ? t : nullptr;
    };
    PIMRecordArray *view = m_index->view();
    // the book the alarm names, where a book here goes by that name; an
    // earlier version's alarm names none, and one of a book renamed since
    // names none here: those are their expense's in whichever book holds it
    bool named = false;
    if (book != 0) {
        named = (m_manager && m_manager->alarmKey() == book);
        for (TaskManager *s : qAsConst(m_alarmStores))
            named = named || s->alarmKey() == book;
        for (int i = 0; i < view->count() && !named; ++i) {
            auto *record = dynamic_cast<DBRecord *>(view->at(i));
            named = record && !record->path().isEmpty() && TaskManager::bookKey(record->path()) == book;
        }
    }
    const auto mayHold = [named, book](TaskManager *store) { return !named || store->alarmKey() == book; };
    if (m_manager && mayHold(m_manager) && (*task = own(m_manager)))
        return;
    // a book an earlier alarm opened is searched in the store already open
    for (TaskManager *s : m_alarmStores) {
        if (mayHold(s) && (*task = own(s)))
            return;
    }
    for (int i = 0; i < view->count(); ++i) {
        auto *record = dynamic_cast<DBRecord *>(view->at(i));
        if (!record || record->path().isEmpty())
            continue;
        const QString path = record->path();
        if ((m_manager && samePath(path, m_manager->fileName())) || (named && TaskManager::bookKey(path) != book))
            continue;
        bool open = false;
        for (TaskManager *s : m_alarmStores)
            open = open || samePath(s->fileName(), path);
        if (open || !QFileInfo::exists(path))
            continue;
        auto *store = new TaskManager(path, false, false);
        // a book that did not read whole is never adopted, so never saved
        if (!store->load() || store->isDamaged()) {
            store->forgetChanges();
            delete store;
            continue;
        }
        if ((*task = own(store))) {
            // the reminder rings; a book another copy holds is not saved
            // here unless the user opens it anyway (editTask())
            store->lockFile();
            m_saver->watch(store);
            m_alarmStores.append(store);
            return;
        }
        delete store;
    }
}

void ToDoWindow::raiseMainWindow()
{
    QPEApplication::setKeepRunning();
    // the user types in another window: nothing is raised, shown or moved
    // over it (the alarm comes up beside it, or asks for attention)
    if (QPEApplication::noWindowHasKeyboard())
        return;
    // a reminder brings it up: in front, but the keyboard stays where the
    // user types
    QPEApplication::leaveKeyboardAtShow(this);
    // the emulated screen, not the whole desktop
    YMRApplication::showMaximized(this, true);
    raise();
}

void ToDoWindow::setupView(PIMListView *list, Task *task)
{
    if (!list || !task)
        return;
    list->setManager(task->manager(), false);
    if (auto *expenses = qobject_cast<TaskListView *>(list)) {
        expenses->readCurrencyFormats();
        expenses->readDateFormats();
    }
    list->restoreColumns();
    list->init();
}

void ToDoWindow::editTask(Task *task)
{
    if (!task)
        return;
    // an alarm lists expenses of other books too (a locked one's only after
    // its password, unlockAlarmBook()): one another copy of the program
    // holds asks whether to open it anyway
    bool mayStore = true;
    claimAlarmBook(task->manager(), &mayStore);
    if (!mayStore)
        return;
    m_busy = true;
    {
        TaskDialog dialog(this);
        dialog.exec(task, 0, true);
    }
    m_busy = false;
}
