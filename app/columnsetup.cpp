#include "columnsetup.h"

#include "pim/tasklistview.h"
#include "pim/ymrpim.h"
#include "qpe/config.h"
#include "qt/orderedlistviewitem.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrheader.h"
#include "qt/ymrlistview.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"

namespace {

const int ColumnIds = 11;

} // namespace

ColumnSetup::ColumnSetup(QWidget *parent, const char *name)
    : ColumnSetupBase(parent, name)
{
    for (YMRListView *view : {allcolumns, list}) {
        view->header()->hide();
        view->setSorting(0, true);
    }
    btnUp->setIconSet(YMRResource::loadIconSet(QStringLiteral("up")));
    btnDown->setIconSet(YMRResource::loadIconSet(QStringLiteral("down")));
    btnRemove->setIconSet(YMRResource::loadIconSet(QStringLiteral("remove")));
    btnGet->setIconSet(YMRResource::loadIconSet(QStringLiteral("forward")));

    const QPixmap background = YMRResource::loadPixmap(QStringLiteral("background"));
    where->insertItem(background, tr("Main View"));
    where->insertItem(background, tr("Reminder View"));

    for (int id = 0; id < ColumnIds; ++id)
        addColumnItem(allcolumns, id);
    allcolumns->setCurrentItem(allcolumns->firstChild());

    whereChanged(0);
}

// Nothing to save: every change was written when it was made.
ColumnSetup::~ColumnSetup() = default;

void ColumnSetup::addColumnItem(YMRListView *view, int id)
{
    auto *item = new OrderedListViewItem(view, TaskListView::columnName(id));
    item->setPixmap(0, TaskListView::columnIcon(id));
    item->setText(1, QString::number(id));
}

void ColumnSetup::save()
{
    if (m_group.isNull())
        return;
    QStringList ids;
    for (YMRListViewItem *item = list->firstChild(); item; item = item->nextSibling())
        ids << item->text(1);
    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(m_group);
    cfg.writeEntry(QStringLiteral("column"), ids.join(QLatin1Char(';')));
}

void ColumnSetup::whereChanged(int index)
{
    save();
    m_group = QLatin1String(index == 0 ? "main" : "alarm") + QStringLiteral("_columns");
    list->clear();
    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(m_group);
    const QStringList parts =
        cfg.readEntry(QStringLiteral("column")).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString &part : parts)
        addColumnItem(list, part.toInt());   // not a number: 0, as stored lists always read
    if (YMRListViewItem *first = list->firstChild())
        list->setCurrentItem(first);
    else
        currentChanged(nullptr);
}

void ColumnSetup::doGet()
{
    YMRListViewItem *current = allcolumns->currentItem();
    if (current)
        addColumnItem(list, current->text(1).toInt());
    save();
    if (current && current->itemBelow())
        allcolumns->setCurrentItem(current->itemBelow());
    currentChanged(list->currentItem());
}

void ColumnSetup::doRemove()
{
    if (auto *item = static_cast<OrderedListViewItem *>(list->currentItem())) {
        item->closeGap();
        currentChanged(list->currentItem());
    }
    save();
}

void ColumnSetup::doUp()
{
    if (auto *item = static_cast<OrderedListViewItem *>(list->currentItem())) {
        item->moveUp();
        currentChanged(item);
    }
    save();
}

void ColumnSetup::doDown()
{
    if (auto *item = static_cast<OrderedListViewItem *>(list->currentItem())) {
        item->moveDown();
        currentChanged(item);
    }
    save();
}

void ColumnSetup::currentChanged(YMRListViewItem *item)
{
    btnRemove->setEnabled(item != nullptr);
    OrderedListViewItem::showCurrent(list, item, btnUp, btnDown);
}
