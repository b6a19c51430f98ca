#include "todowindow.h"

#include "savepolicy.h"

#include "pim/categorymanager.h"
#include "pim/dbmanager.h"
#include "pim/pimtextedit.h"
#include "pim/task.h"
#include "pim/tasklistview.h"
#include "pim/taskmanager.h"
#include "pim/templatemanager.h"
#include "pim/ymrpim.h"
#include "qpe/config.h"
#include "qpe/qpeapplication.h"
#include "qpe/popupmenu.h"
#include "qpe/unsavedfiles.h"
#include "qt/ymraction.h"
#include "qt/ymrresource.h"

#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const char *const recordActions[] = {"edit", "clone", "remove"};

Config appSettings()
{
    return Config(YMRPIM::applicationName());
}

} // namespace

ToDoWindow::ToDoWindow()
    : YMRMainWindow(nullptr, nullptr, Qt::Window)
{
    m_titleCaption = windowTitle();
    m_index = new DBManager(false);
    m_index->loadOrSetAside();
    checkColumnLists();
    createActions();
    setupToolBar();
    m_templates = new TemplateManager(QStringLiteral("templates"));

    auto *central = new QWidget(this);
    setCentralWidget(central);
    auto *box = new QVBoxLayout(central);
    box->setContentsMargins(1, 1, 1, 1);
    box->setSpacing(3);

    m_list = new TaskListView(central, "main");
    m_list->setPaging(true);
    applyListOptions();

    m_pane = new PIMTextEdit(central);
    m_pane->setObjectName(QStringLiteral("comment"));
    m_pane->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_pane->setWordWrapMode(QTextOption::WrapAnywhere);
    m_pane->setFixedHeight(4 * m_pane->fontMetrics().lineSpacing() + 2 * m_pane->frameWidth());

    // when the books are saved; its notice line tells of saves that failed
    m_saver = new SavePolicy(m_index, central);
    connect(m_saver, &SavePolicy::otherVersionChosen, this, &ToDoWindow::otherVersionChosen);
    connect(m_saver, &SavePolicy::wrote, this, &ToDoWindow::dropSavedAlarmStores);
    connect(m_saver, &SavePolicy::sessionSaving, this, &ToDoWindow::saveCommentState);
    m_saver->setEndQuestion([this] { return confirmEnd(); });
    // the category dialogs save the categories of every book
    m_saver->watchShared(m_templates->store()->categoryManager());

    box->addWidget(m_list, 0);
    box->addWidget(m_pane, 1);
    box->addWidget(m_saver->notice(), 0);

    connect(m_list, &PIMListView::selectionCleared, this, &ToDoWindow::selectionCleared);
    connect(m_list, &PIMListView::selected, this, &ToDoWindow::selected);
    connect(m_list, &TaskListView::checkKey, this, &ToDoWindow::checkKey);
    readKeys();
    setupRecordCommands();
    selectionCleared();
    setBookActionsEnabled(false);
}

ToDoWindow::~ToDoWindow()
{
    saveSession();
    if (m_manager) {
        disconnect(m_manager, nullptr, this, nullptr);
        delete m_manager;
        m_manager = nullptr;
    }
    for (TaskManager *store : qAsConst(m_alarmStores))
        disconnect(store, nullptr, this, nullptr);
    deleteAlarmStores();
    delete m_index;
    // its retry would outlive it
    UnsavedFiles::instance()->remove(m_templates->indexFileName());
    delete m_templates;
    TaskManager::releaseSharedCategoryManager();
}

void ToDoWindow::checkColumnLists()
{
    Config cfg = appSettings();
    for (const char *list : {"main", "alarm"}) {
        cfg.setGroup(QLatin1String(list) + QStringLiteral("_columns"));
        const QStringList ids =
            cfg.readEntry(QStringLiteral("column")).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        if (ids.isEmpty())
            cfg.writeEntry(QStringLiteral("column"), QStringLiteral("6;0;1;7;4;3;5;8"));
    }
}

void ToDoWindow::createActions()
{
    // the commands of the open book's expenses, its sorting, filters, lists,
    // templates, options, export and the PC link join this table with their slots
    createRecordActions();
    static const ActionRow rows[] = {
        {"comment", nullptr, false, "info", SLOT(toggleComment())},
        {"db", QT_TR_NOOP("Expense Books"), true, "books", SLOT(books())},
        {"newbook", QT_TR_NOOP("New Expense Book"), true, "filenew", SLOT(newBook())},
        {"openbook", QT_TR_NOOP("Open Expense Book"), true, "fileopen", SLOT(openBook())},
        {"editbook", QT_TR_NOOP("Edit Expense Book"), true, "edit", SLOT(editBook())},
        {"deletebook", QT_TR_NOOP("Remove Expense Book"), false, "delete", SLOT(deleteBook())},
        {"dupbook", QT_TR_NOOP("Duplicate Expense Book"), false, "editcopy",
         SLOT(duplicateBook())},
        {"options", QT_TR_NOOP("Options"), true, "package_utilities", SLOT(options())},
        {"pclink", QT_TR_NOOP("PC Link"), true, "pclink", SLOT(pcLink())},
        {"sdata", QT_TR_NOOP("Send Data"), true, "pclink", SLOT(sendData())},
        {"gdata", QT_TR_NOOP("Get Data"), true, "pclink", SLOT(getData())},
    };
    createActions(std::begin(rows), std::end(rows));
    createMenuActions();
}

void ToDoWindow::createActions(const ActionRow *begin, const ActionRow *end)
{
    for (const ActionRow *r = begin; r != end; ++r) {
        QString text;
        if (r->text)
            text = tr(r->text) + (r->dots ? QStringLiteral(" ...") : QString());
        createAction(r->name, r->icon, this, r->slot, false, text);
    }
}

QToolButton *ToDoWindow::addMenuButton(QToolBar *bar, const char *icon, PopupMenu *menu)
{
    auto *button = new QToolButton(bar);
    button->setIcon(YMRResource::loadIconSet(QLatin1String(icon)));
    button->setMenu(menu);
    button->setPopupMode(QToolButton::InstantPopup);
    bar->addWidget(button);
    return button;
}

void ToDoWindow::addActions(PopupMenu *menu, const QStringList &names)
{
    bool pendingSeparator = false;
    for (const QString &name : names) {
        if (name.isEmpty()) {
            pendingSeparator = menu->count() > 0;
            continue;
        }
        YMRAction *a = action(name.toLatin1().constData());
        if (!a)
            continue;
        if (pendingSeparator)
            menu->insertSeparator();
        pendingSeparator = false;
        a->addTo(menu);
    }
}

void ToDoWindow::setupToolBar()
{
    QToolBar *bar = createToolBar(Qt::TopToolBarArea, true);
    // on a narrow screen the style's icons push the menu button off the bar
    if (QPEApplication::screenRect().width() < 480) {
        bar->setIconSize(QSize(16, 16));
        bar->setStyleSheet(QStringLiteral("QToolBar { padding: 0px; spacing: 0px; }"));
    }

    m_templatesMenu = new PopupMenu(this, "templates");
    m_templateButton = addMenuButton(bar, "template", m_templatesMenu);
    bar->addSeparator();
    for (const char *name : {"new", "edit", "clone", "remove"}) {
        if (YMRAction *a = action(name))
            a->addTo(bar);
    }
    bar->addSeparator();

    m_filterMenu = new PopupMenu(this, "filters");
    m_filterButton = addMenuButton(bar, "viewmag", m_filterMenu);
    m_sortMenu = new PopupMenu(this, "sorting");
    m_sortButton = addMenuButton(bar, "sort-name", m_sortMenu);
    m_listsMenu = new PopupMenu(this, "lists");
    m_listsButton = addMenuButton(bar, "lists", m_listsMenu);
    addActions(m_listsMenu, {"lists1", "lists2", "lists3", "lists4", "", "lists5"});
    connectMenus();

    createSpacer(bar, 0);

    m_mainMenu = new PopupMenu(this, "main");
    m_menuButton = addMenuButton(bar, "mouse", m_mainMenu);
    // the send and get commands of the PC link sit beside it
    addActions(m_mainMenu, {"db", "", "cs", "export", "purge", "", "comment", "", "template", "options", "",
                            "pclink", "sdata", "gdata", "", "zoomin", "zoomout", "", "Velmora"});
    updateMenuButtons();
}

void ToDoWindow::updateMenuButtons()
{
    // a button whose menu has nothing to offer is off
    m_templateButton->setEnabled(!m_templatesMenu->isEmpty());
    m_filterButton->setEnabled(!m_filterMenu->isEmpty());
    m_sortButton->setEnabled(!m_sortMenu->isEmpty());
    m_listsButton->setEnabled(!m_listsMenu->isEmpty());
}

void ToDoWindow::applyListOptions()
{
    Config cfg = appSettings();
    cfg.setGroup(QStringLiteral("Options"));
    m_list->setColorMode(cfg.readNumEntry(QStringLiteral("colormode"), 1));
    m_list->readCurrencyFormats();
    m_list->readDateFormats();
    m_list->restoreColumns();
    m_list->init();
}

void ToDoWindow::setPaneVisible(QWidget *pane, bool show, const QString &shownText,
                                const QString &hiddenText)
{
    pane->setVisible(show);
    // direct children only: dialogs have actions of their own
    auto *a = findChild<YMRAction *>(pane->objectName(), Qt::FindDirectChildrenOnly);
    if (a)
        a->setText(pane->isVisibleTo(this) ? shownText : hiddenText);
}

void ToDoWindow::restoreCommentState()
{
    Config cfg = appSettings();
    cfg.setGroup(QStringLiteral("Options"));
    setPaneVisible(m_pane, cfg.readBoolEntry(QStringLiteral("comment"), false),
                   tr("Hide Description"), tr("Show Description"));
}

void ToDoWindow::saveCommentState()
{
    Config cfg = appSettings();
    cfg.setGroup(QStringLiteral("Options"));
    cfg.writeEntry(QStringLiteral("comment"), m_pane->isVisibleTo(this));
}

void ToDoWindow::toggleComment()
{
    setPaneVisible(m_pane, !m_pane->isVisibleTo(this), tr("Hide Description"),
                   tr("Show Description"));
}

void ToDoWindow::selectionCleared()
{
    for (const char *name : recordActions) {
        if (YMRAction *a = action(name))
            a->setEnabled(false);
    }
    {
        const QSignalBlocker block(m_pane);
        m_pane->clear();
    }
    m_pane->setEnabled(false);
}

void ToDoWindow::selected(PIMRecord *record)
{
    if (m_paneTakesUpdates) {
        auto *task = dynamic_cast<Task *>(record);
        {
            const QSignalBlocker block(m_pane);
            m_pane->setPlainText(task ? task->description : QString());
        }
        m_pane->setEnabled(true);
    }
    for (const char *name : recordActions) {
        if (YMRAction *a = action(name))
            a->setEnabled(true);
    }
}

void ToDoWindow::setBookActionsEnabled(bool enabled)
{
    for (const char *name : {"editbook", "deletebook", "dupbook", "new", "purge"}) {
        if (YMRAction *a = action(name))
            a->setEnabled(enabled);
    }
}
