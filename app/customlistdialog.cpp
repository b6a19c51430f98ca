#include "customlistdialog.h"

#include "sharedwrite.h"

#include "pim/ymrpim.h"
#include "qpe/qpeapplication.h"
#include "qt/orderedlistviewitem.h"
#include "qt/ymrapplication.h"
#include "qt/ymrheader.h"
#include "qt/ymrlistview.h"
#include "qt/ymrokcancelwidget.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

CustomListDialog::CustomListDialog(const QString &listName, const QString &captionAndLabel,
                                   const QString &iconName, QWidget *parent, const char *name)
    : CustomListBase(parent, name, true)
    , m_listName(listName)
    , m_iconName(iconName)
{
    list->header()->hide();
    const QRect screen = QPEApplication::screenRect();
    list->setColumnWidth(0, qMax(screen.width(), screen.height()));
    list->setSorting(0, true);

    btnUp->setIconSet(YMRResource::loadIconSet(QStringLiteral("up")));
    btnDown->setIconSet(YMRResource::loadIconSet(QStringLiteral("down")));
    btnRemove->setIconSet(YMRResource::loadIconSet(QStringLiteral("remove")));
    btnNew->setIconSet(YMRResource::loadIconSet(QStringLiteral("filenew")));
    btnSort->setIconSet(YMRResource::loadIconSet(QStringLiteral("sort-name")));
    licon->setPixmap(YMRResource::loadPixmap(m_iconName));
    // the entries become expenses' types, cities and accounts
    YMRPIM::refuseBar(text);

    const QStringList parts = captionAndLabel.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    if (!parts.isEmpty())
        setWindowTitle(parts.at(0));
    if (parts.size() > 1)
        label->setText(parts.at(1) + QStringLiteral(": "));
    m_what = YMRPIM::listWhat(parts.value(1, m_listName));

    // a list whose last save failed shows what it was left as
    const QStringList shown = YMRPIM::loadList(m_listName, &m_loaded);
    for (const QString &entry : shown)
        appendEntry(entry);

    if (list->firstChild())
        list->setCurrentItem(list->firstChild());
    currentChanged();
    connect(list, &YMRListView::currentChanged, this, &CustomListDialog::currentChanged);

    okCancelWidget->hide();
    YMRApplication::showMaximized(this, true);
}

CustomListDialog::~CustomListDialog()
{
    save();
}

void CustomListDialog::appendEntry(const QString &text)
{
    auto *item = new OrderedListViewItem(list, text);
    item->setPixmap(0, YMRResource::loadPixmap(m_iconName));
}

QStringList CustomListDialog::entries() const
{
    QStringList result;
    for (YMRListViewItem *i = list->firstChild(); i; i = i->itemBelow())
        result.append(i->text(0));
    return result;
}

bool CustomListDialog::save()
{
    // a second save merges again from what this dialog shows
    const QStringList shown = entries();
    // not written: kept and retried, and the user is told
    if (!SharedWrite::saveList(m_listName, m_what, shown, m_loaded))
        return false;
    m_loaded = shown;
    return true;
}

void CustomListDialog::currentChanged()
{
    YMRListViewItem *item = list->currentItem();
    const bool have = item != nullptr;
    text->setEnabled(have);
    btnRemove->setEnabled(have);
    btnSort->setEnabled(have);
    OrderedListViewItem::showCurrent(list, item, btnUp, btnDown);
    {
        const QSignalBlocker blocker(text);
        text->setText(have ? item->text(0) : QString());
    }
    if (have)
        text->setFocus();
}

void CustomListDialog::doUpdate()
{
    if (YMRListViewItem *item = list->currentItem())
        item->setText(0, text->text());
}

void CustomListDialog::doNew()
{
    appendEntry(QString());
    YMRListViewItem *last = list->firstChild();
    while (last && last->itemBelow())
        last = last->itemBelow();
    list->setCurrentItem(last);
    currentChanged();
}

void CustomListDialog::doRemove()
{
    auto *item = dynamic_cast<OrderedListViewItem *>(list->currentItem());
    if (!item)
        return;
    item->closeGap();
    currentChanged();
}

void CustomListDialog::doUp()
{
    auto *item = dynamic_cast<OrderedListViewItem *>(list->currentItem());
    if (!item)
        return;
    item->moveUp();
    list->setCurrentItem(item);
    currentChanged();
}

void CustomListDialog::doDown()
{
    auto *item = dynamic_cast<OrderedListViewItem *>(list->currentItem());
    if (!item)
        return;
    item->moveDown();
    list->setCurrentItem(item);
    currentChanged();
}

void CustomListDialog::sort()
{
    for (YMRListViewItem *i = list->firstChild(); i; i = i->itemBelow()) {
        if (auto *o = dynamic_cast<OrderedListViewItem *>(i))
            o->setKey(o->text(0));
    }
    list->sort();
    int n = 0;
    for (YMRListViewItem *i = list->firstChild(); i; i = i->itemBelow()) {
        if (auto *o = dynamic_cast<OrderedListViewItem *>(i))
            o->setPosition(n++);
    }
    list->setCurrentItem(list->firstChild());
    currentChanged();
}
