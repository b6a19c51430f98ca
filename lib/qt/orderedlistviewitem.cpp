#include "orderedlistviewitem.h"

#include "ymrlistview.h"

#include <QWidget>

OrderedListViewItem::OrderedListViewItem(YMRListView *lv, const QString &text)
    : YMRListViewItem(lv)
{
    m_key = keyForPosition(lv ? lv->childCount() - 1 : 0);
    // Set after the key, so that the view sorts the row by it.
    setText(0, text);
}

OrderedListViewItem::~OrderedListViewItem() = default;

void OrderedListViewItem::showCurrent(YMRListView *list, YMRListViewItem *item, QWidget *up,
                                      QWidget *down)
{
    if (!item) {
        up->setEnabled(false);
        down->setEnabled(false);
        return;
    }
    list->setSelected(item, true);
    list->ensureItemVisible(item);
    up->setEnabled(item->itemAbove() != nullptr);
    down->setEnabled(item->itemBelow() != nullptr);
}

QString OrderedListViewItem::keyForPosition(int n)
{
    return QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0'));
}

void OrderedListViewItem::setKey(const QString &key)
{
    m_key = key;
    m_textKey = true;
}

void OrderedListViewItem::setPosition(int n)
{
    m_key = keyForPosition(n);
    m_textKey = false;
}

QString OrderedListViewItem::key(int, bool) const
{
    // Keys compare as text. A position of four or more digits gets one ':'
    // (which follows '9') per extra digit, so that "1000" sorts after "999"
    // rather than between "100" and "101". Texts an owner sorts by stay as
    // they are, digits or not.
    if (!m_textKey && m_key.length() > 3)
        return QString(m_key.length() - 3, QLatin1Char(':')) + m_key;
    return m_key;
}

void OrderedListViewItem::swapWith(YMRListViewItem *other)
{
    auto *o = dynamic_cast<OrderedListViewItem *>(other);
    if (!o)
        return;
    qSwap(m_key, o->m_key);
    qSwap(m_textKey, o->m_textKey);
    if (YMRListView *lv = listView())
        lv->sort();
}

void OrderedListViewItem::moveUp()
{
    swapWith(itemAbove());
}

void OrderedListViewItem::moveDown()
{
    swapWith(itemBelow());
}

void OrderedListViewItem::closeGap()
{
    QString freeKey = m_key;
    bool freeIsText = m_textKey;
    for (YMRListViewItem *i = itemBelow(); i; i = i->itemBelow()) {
        if (auto *o = dynamic_cast<OrderedListViewItem *>(i)) {
            qSwap(freeKey, o->m_key);
            qSwap(freeIsText, o->m_textKey);
        }
    }
    YMRListView *lv = listView();
    delete this;
    if (lv)
        lv->sort();
}
