// The main window's sorting and filter menus, the editors they start, copy
// special, the CSV export and the zoom.

#include "todowindow.h"

#include "copyspecial.h"
#include "currencieslist.h"
#include "customlistdialog.h"
#include "exportdialog.h"
#include "filtereditordialog.h"
#include "filterlistdialog.h"

#include "pim/categoiesdialog.h"
#include "pim/pimcsvwriter.h"
#include "pim/tasklistview.h"
#include "pim/taskmanager.h"
#include "pim/ymrpim.h"
#include "qpe/popupmenu.h"
#include "qt/ymraction.h"
#include "qt/ymrdialog.h"
#include "qt/ymrresource.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QTextCodec>
#include <QToolButton>

void ToDoWindow::createMenuActions()
{
    static const ActionRow rows[] = {
        {"export", QT_TR_NOOP("Export"), true, "export", SLOT(doExport())},
        {"lists1", QT_TR_NOOP("Edit Currencies list"), false, "lists", SLOT(editCurrenciesLists())},
        {"lists2", QT_TR_NOOP("Edit Types list"), false, "lists", SLOT(editTypesLists())},
        {"lists3", QT_TR_NOOP("Edit Cities list"), false, "lists", SLOT(editCitiesLists())},
        {"lists4", QT_TR_NOOP("Edit Accounts list"), false, "lists", SLOT(editAccountsLists())},
        {"lists5", QT_TR_NOOP("Edit Categories"), false, "category", SLOT(editCategories())},
        {"cs", QT_TR_NOOP("Copy Special"), true, "editpaste", SLOT(copySpecial())},
    };
    createActions(std::begin(rows), std::end(rows));
}

void ToDoWindow::connectMenus()
{
    connect(m_sortMenu, &PopupMenu::activated, this, &ToDoWindow::changeSorting);
    connect(m_filterMenu, &PopupMenu::activated, this, &ToDoWindow::changeFilter);
}

void ToDoWindow::bookMenus()
{
    if (m_manager)
        connect(m_manager, &PIMManager::updated, this, &ToDoWindow::setupSorting,
                Qt::UniqueConnection);
    setupSorting();
    setupFilterMenu();
}

void ToDoWindow::setupSorting()
{
    m_sortMenu->clear();
    if (m_manager) {
        m_sortMenu->insertItem(tr("Unsorted"), 0);
        m_sortMenu->insertSeparator();
        m_sortMenu->insertItem(tr("Reversed"), 1);
        m_sortMenu->insertSeparator();
        for (int column = 0; column <= 10; ++column)
            m_sortMenu->insertItem(TaskListView::columnName(column), column + 2);
        m_sortMenu->setItemChecked(1, !m_manager->sortOrder());
        const int column = m_manager->sortColumn();
        m_sortMenu->setItemChecked(column < 0 ? 0 : column + 2, true);
    }
    updateMenuButtons();
}

void ToDoWindow::changeSorting(int id)
{
    if (!m_manager || id < 0 || id > 12)
        return;
    bool order = m_manager->sortOrder();
    int column = m_manager->sortColumn();
    if (id == 1)
        order = !order;   // the mark on "Reversed" is the descending order
    else
        column = id == 0 ? -1 : id - 2;
    m_sortOrder = order;
    m_sortColumn = column;
    QApplication::postEvent(this, new QEvent(QEvent::Type(SortEvent)));
}

void ToDoWindow::setupFilterMenu()
{
    m_filterMenu->clear();
    if (!m_manager) {
        updateMenuButtons();
        return;
    }
    const int current = m_manager->currentFilter();
    const QIcon viewmag = YMRResource::loadIconSet(QStringLiteral("viewmag"));
    const int findId = m_filterMenu->insertItem(viewmag, tr("Find records") + QStringLiteral(" ..."),
                                                this, SLOT(find()));
    m_filterMenu->setItemChecked(findId, current == -2);
    m_filterMenu->insertSeparator();
    m_filterMenu->insertItem(YMRResource::loadIconSet(QStringLiteral("filenew")),
                             tr("New filter") + QStringLiteral(" ..."), this, SLOT(newFilter()));
    m_filterMenu->insertItem(YMRResource::loadIconSet(QStringLiteral("package_utilities")),
                             tr("Edit filters") + QStringLiteral(" ..."), this,
                             SLOT(editFilters()));
    m_filterMenu->insertSeparator();
    m_filterMenu->insertItem(viewmag, tr("All records"), 0);
    m_filterMenu->setItemChecked(0, current == -1);

    const QList<TaskFilter> filters = m_manager->filters();
    if (!filters.isEmpty())
        m_filterMenu->insertSeparator();
    for (int i = 0; i < filters.size() && i < 5; ++i) {
        m_filterMenu->insertItem(viewmag, filters.at(i).name, i + 1);
        m_filterMenu->setItemChecked(i + 1, i == current);
    }
    // a current filter beyond the first five shows as an extra, inert entry
    if (current > 4 && current < filters.size()) {
        m_filterMenu->insertSeparator();
        const int id = m_filterMenu->insertItem(viewmag, filters.at(current).name);
        m_filterMenu->setItemChecked(id, true);
    }
    updateMenuButtons();
}

void ToDoWindow::changeFilter(int id)
{
    if (id < 0 || !m_manager)
        return;
    m_manager->setCurrentFilter(id - 1);
    QApplication::postEvent(this, new QEvent(QEvent::Type(FilterMenuEvent)));
}

void ToDoWindow::newFilter()
{
    if (!m_manager)
        return;
    FilterEditorDialog editor(m_manager, -1, this);
    if (editor.exec() != QDialog::Accepted)
        return;
    editor.storeFilter();
    m_manager->setCurrentFilter(m_manager->filters().size() - 1);
    QApplication::postEvent(this, new QEvent(QEvent::Type(FilterMenuEvent)));
}

void ToDoWindow::find()
{
    if (!m_manager)
        return;
    FilterEditorDialog editor(m_manager, -2, this);
    if (editor.exec() != QDialog::Accepted)
        return;
    editor.storeFilter();
    QApplication::postEvent(this, new QEvent(QEvent::Type(FilterMenuEvent)));
}

void ToDoWindow::editFilters()
{
    if (!m_manager)
        return;
    FilterListDialog dialog(m_manager, this);
    dialog.exec();
    QApplication::postEvent(this, new QEvent(QEvent::Type(FilterMenuEvent)));
}

void ToDoWindow::editCategories()
{
    CategoiesDialog::editCategories(TaskManager::sharedCategoryManager());
}

void ToDoWindow::editTypesLists()
{
    // the editor writes its list when it goes
    CustomListDialog editor(QStringLiteral("types"), tr("Edit Types|Type"),
                            QStringLiteral("completed"), this);
    editor.exec();
}

void ToDoWindow::editCitiesLists()
{
    CustomListDialog editor(QStringLiteral("cities"), tr("Edit Cities|City"),
                            QStringLiteral("house"), this);
    editor.exec();
}

void ToDoWindow::editAccountsLists()
{
    CustomListDialog editor(QStringLiteral("accounts"), tr("Edit Accounts|Account"),
                            QStringLiteral("completed"), this);
    editor.exec();
}

void ToDoWindow::editCurrenciesLists()
{
    auto *editor = new CurrenciesList(this);
    editor->exec();
    delete editor;
    m_list->readCurrencyFormats();
}

void ToDoWindow::zoomin()
{
    zoom(true);
}

void ToDoWindow::zoomout()
{
    zoom(false);
}

void ToDoWindow::zoom(bool in)
{
    // the zoom keys come here too: at the table's ends they do nothing
    YMRAction *a = action(in ? "zoomin" : "zoomout");
    if (a && !a->isEnabled())
        return;
    QApplication::processEvents();
    QFont font = m_list->font();
    const int size = QFontInfo(font).pointSize();
    const int next = snapZoomSize(in ? size + 1 : size - 1, !in);
    if (next != size) {
        font.setPointSize(next);
        m_list->setFont(font);
    }
}

void ToDoWindow::copySpecial()
{
    if (!m_manager)
        return;
    CopySpecial dialog(m_index, m_manager, this);
    dialog.exec();
}

void ToDoWindow::doExport()
{
    if (!m_manager)
        return;
    ExportDialog dialog;
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString name = dialog.exportFileName(QStringLiteral("export"));
    if (name.isNull())
        return;

    // the old file stays until the new one is complete
    QFile file;
    bool written = YMRPIM::openNewFile(file, name);
    PIMCsvWriter::Lost lost;
    QTextCodec *codec = dialog.codec() ? dialog.codec() : QTextCodec::codecForLocale();
    if (written) {
        QString date, time, dateTime, qualifier, delimiter, multiline;
        dialog.values(date, time, dateTime, qualifier, delimiter, multiline);
        const PIMCsvWriter writer(date, dateTime, qualifier, delimiter, multiline);
        written = writer.write(&file, codec, *m_manager->view(), &lost)
                  && file.error() == QFileDevice::NoError;
    }
    if (!YMRPIM::commitNewFile(file, written)) {
        YMRDialog::critical(tr("Export"), tr("Cannot write to file:") + QStringLiteral("\n")
                                              + QFileInfo(name).absoluteFilePath());
    } else if (lost.count > 0) {
        // the file is written, but not all of its text
        YMRDialog::warning(tr("Export"),
                           PIMCsvWriter::lostText(lost, QString::fromLatin1(codec->name()))
                               + QStringLiteral("\n") + QFileInfo(name).absoluteFilePath());
    }
}
