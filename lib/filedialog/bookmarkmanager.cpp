#include "bookmarkmanager.h"

#include <orderedlistviewitem.h>
#include <ymrapplication.h>
#include <ymrheader.h>
#include <ymrlistview.h>
#include <ymrpushbutton.h>
#include <ymrresource.h>
#include <qpeapplication.h>

BookmarkManager::BookmarkManager(const QStringList &bookmarks, QWidget *parent, const char *name)
    : BookmarkManagerBase(parent, name, true)
{
    list->header()->hide();
    const QRect screen = QPEApplication::screenRect();
    list->setColumnWidth(0, qMax(screen.width(), screen.height()));
    list->setSorting(0, true);
    btnGo->setIconSet(YMRResource::loadIconSet(QStringLiteral("forward")));
    btnUp->setIconSet(YMRResource::loadIconSet(QStringLiteral("up")));
    btnDown->setIconSet(YMRResource::loadIconSet(QStringLiteral("down")));
    btnRemove->setIconSet(YMRResource::loadIconSet(QStringLiteral("remove")));

    const QPixmap pm = YMRResource::loadPixmap(QStringLiteral("bookmark"));
    for (const QString &b : bookmarks) {
        auto *item = new OrderedListViewItem(list, b);
        item->setPixmap(0, pm);
    }
    if (list->firstChild())
        list->setCurrentItem(list->firstChild());
    else
        currentChanged(nullptr);
    YMRApplication::showMaximized(this, true);
}

BookmarkManager::~BookmarkManager() = default;

QStringList BookmarkManager::bookmarks() const
{
    QStringList out;
    for (YMRListViewItem *i = list->firstChild(); i; i = i->nextSibling())
        out << i->text(0);
    return out;
}

void BookmarkManager::currentChanged(YMRListViewItem *item)
{
    btnRemove->setEnabled(item);
    btnGo->setEnabled(item);
    OrderedListViewItem::showCurrent(list, item, btnUp, btnDown);
}

void BookmarkManager::doUp()
{
    auto *item = static_cast<OrderedListViewItem *>(list->currentItem());
    if (!item)
        return;
    item->moveUp();
    currentChanged(item);
}

void BookmarkManager::doDown()
{
    auto *item = static_cast<OrderedListViewItem *>(list->currentItem());
    if (!item)
        return;
    item->moveDown();
    currentChanged(item);
}

void BookmarkManager::doRemove()
{
    auto *item = static_cast<OrderedListViewItem *>(list->currentItem());
    if (!item)
        return;
    item->closeGap();
    currentChanged(list->currentItem());
}

void BookmarkManager::doGo()
{
    if (!list->currentItem())
        return;
    m_goPath = list->currentItem()->text(0);
    accept();
}
