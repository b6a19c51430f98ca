#include "filterlistdialog.h"

#include "filtereditordialog.h"

#include "pim/taskmanager.h"
#include "qpe/qpeapplication.h"
#include "qt/orderedlistviewitem.h"
#include "qt/ymrapplication.h"
#include "qt/ymrdialog.h"
#include "qt/ymrheader.h"
#include "qt/ymrlistview.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"

FilterListDialog::FilterListDialog(TaskManager *manager, QWidget *parent, const char *name)
    : FilterListDialogBase(parent, name, true)
    , m_manager(manager)
    , m_kept(manager ? manager->currentFilter() : -1)
{
    setWindowTitle(tr("Filters Editor") + QStringLiteral(" ..."));
    list->header()->hide();
    const QRect screen = QPEApplication::screenRect();
    list->setColumnWidth(0, qMax(screen.width(), screen.height()));
    list->setSorting(0, true);

    const std::pair<YMRPushButton *, const char *> icons[] = {
        {btnSort, "sort-name"}, {btnUp, "up"}, {btnDown, "down"}, {btnRemove, "remove"},
        {btnNew, "filenew"}, {btnEdit, "edit"}, {btnSelect, "button_ok"},
        {btnClose, "button_cancel"}};
    for (const auto &i : icons)
        i.first->setIconSet(YMRResource::loadIconSet(QLatin1String(i.second)));

    fill();
    list->setCurrentItem(list->firstChild());
    currentChanged();
    connect(list, &YMRListView::currentChanged, this, &FilterListDialog::currentChanged);
    YMRApplication::showMaximized(this, true);
}

FilterListDialog::~FilterListDialog()
{
    storeFilters();
}

OrderedListViewItem *FilterListDialog::fill()
{
    list->clear();
    OrderedListViewItem *last = nullptr;
    if (!m_manager)
        return last;
    const QList<TaskFilter> filters = m_manager->filters();
    const QPixmap icon = YMRResource::loadPixmap(QStringLiteral("viewmag"));
    for (int i = 0; i < filters.size(); ++i) {
        last = new OrderedListViewItem(list, filters.at(i).name);
        last->setPixmap(0, icon);
        last->setText(1, QString::number(i));
    }
    list->sort();
    return last;
}

void FilterListDialog::storeFilters()
{
    if (!m_manager)
        return;
    const QList<TaskFilter> old = m_manager->filters();
    QList<TaskFilter> filters;
    int selected = -1;
    int kept = m_kept < 0 ? m_kept : -1;
    for (YMRListViewItem *row = list->firstChild(); row; row = row->nextSibling()) {
        const int index = row->text(1).toInt();
        if (index < 0 || index >= old.size())
            continue;
        if (row == list->currentItem())
            selected = filters.size();
        if (index == m_kept)
            kept = filters.size();
        filters.append(old.at(index));
    }
    // an unchanged list leaves the book, and its current filter, alone
    if (filters != old) {
        m_manager->setFilters(filters);
        // merely looking at the list keeps the filter that was current
        if (kept != -1)
            m_manager->setCurrentFilter(kept);
    }
    m_kept = kept;
    if (m_select && selected >= 0) {
        m_manager->setCurrentFilter(selected);
        m_kept = selected;
    }
    int position = 0;
    for (YMRListViewItem *row = list->firstChild(); row; row = row->nextSibling())
        row->setText(1, QString::number(position++));
}

void FilterListDialog::currentChanged()
{
    YMRListViewItem *current = list->currentItem();
    for (YMRPushButton *b : {btnRemove, btnSort, btnEdit, btnSelect})
        b->setEnabled(current != nullptr);
    OrderedListViewItem::showCurrent(list, current, btnUp, btnDown);
}

void FilterListDialog::doUp()
{
    auto *current = static_cast<OrderedListViewItem *>(list->currentItem());
    if (!current)
        return;
    current->moveUp();
    m_changed = true;
    list->setCurrentItem(current);
    currentChanged();
}

void FilterListDialog::doDown()
{
    auto *current = static_cast<OrderedListViewItem *>(list->currentItem());
    if (!current)
        return;
    current->moveDown();
    m_changed = true;
    list->setCurrentItem(current);
    currentChanged();
}

void FilterListDialog::doRemove()
{
    auto *current = static_cast<OrderedListViewItem *>(list->currentItem());
    if (!current)
        return;
    if (!YMRDialog::confirmDelete(
            tr("Are you sure you want to delete\nFilter [%1] ?").arg(current->text(0))))
        return;
    current->closeGap();
    m_changed = true;
    currentChanged();
}

void FilterListDialog::sort()
{
    for (YMRListViewItem *row = list->firstChild(); row; row = row->nextSibling())
        static_cast<OrderedListViewItem *>(row)->setKey(row->text(0));
    list->sort();
    int position = 0;
    for (YMRListViewItem *row = list->firstChild(); row; row = row->nextSibling())
        static_cast<OrderedListViewItem *>(row)->setPosition(position++);
    list->setCurrentItem(list->firstChild());
    currentChanged();
}

void FilterListDialog::doSelect()
{
    m_select = 1;
    accept();
}

void FilterListDialog::doEdit()
{
    YMRListViewItem *current = list->currentItem();
    if (!current || !m_manager)
        return;
    const int n = current->text(1).toInt();
    FilterEditorDialog editor(m_manager, n, this);
    if (editor.exec() != QDialog::Accepted)
        return;
    editor.storeFilter();
    // storing leaves no filter current; the one that was stays so
    if (m_kept != -1)
        m_manager->setCurrentFilter(m_kept);
    if (n < m_manager->filters().size())
        current->setText(0, m_manager->filters().at(n).name);
}

void FilterListDialog::doNew()
{
    if (!m_manager)
        return;
    storeFilters();
    FilterEditorDialog editor(m_manager, -1, this);
    if (editor.exec() != QDialog::Accepted)
        return;
    editor.storeFilter();
    if (m_kept != -1)
        m_manager->setCurrentFilter(m_kept);
    OrderedListViewItem *last = fill();
    list->setCurrentItem(last);
    currentChanged();
}
