#include "ymrlistviewitemiterator.h"

#include "ymrlistview.h"
#include "ymrlistviewitem.h"
#include "ymrlistviewprivate.h"

#include <new>

YMRListViewItemIterator::YMRListViewItemIterator() = default;

YMRListViewItemIterator::YMRListViewItemIterator(YMRListViewItem *item)
    : m_current(item), m_listView(item ? item->listView() : nullptr)
{
    addToListView();
}

YMRListViewItemIterator::YMRListViewItemIterator(const YMRListViewItemIterator &other)
    : m_current(other.m_current), m_listView(other.m_listView)
{
    addToListView();
}

YMRListViewItemIterator::YMRListViewItemIterator(YMRListView *lv)
    : m_current(lv ? lv->firstChild() : nullptr), m_listView(lv)
{
    addToListView();
}

YMRListViewItemIterator::~YMRListViewItemIterator()
{
    removeFromListView();
}

YMRListViewItemIterator &YMRListViewItemIterator::operator=(const YMRListViewItemIterator &other)
{
    if (this == &other)
        return *this;
    removeFromListView();
    m_listView = other.m_listView;
    addToListView();
    m_current = other.m_current;
    return *this;
}

void YMRListViewItemIterator::addToListView()
{
    if (!m_listView)
        return;
    YMRListViewPrivate *d = m_listView->d;
    if (!d->iterators) {
        d->iterators = new (std::nothrow) QList<YMRListViewItemIterator *>;
        if (!d->iterators)
            qt_check_pointer("qt/ymrlistview", __LINE__);
    }
    d->iterators->append(this);
}

void YMRListViewItemIterator::removeFromListView()
{
    if (!m_listView)
        return;
    YMRListViewPrivate *d = m_listView->d;
    if (!d->iterators)
        return;
    d->iterators->removeOne(this);
    if (d->iterators->isEmpty()) {
        delete d->iterators;
        d->iterators = nullptr;
    }
}

YMRListViewItemIterator &YMRListViewItemIterator::operator++()
{
    if (!m_current)
        return *this;
    YMRListViewItem *next = m_current->firstChild();
    if (!next) {
        // Siblings are read in their parent's current sort order.
        if (m_current->m_parent)
            m_current->m_parent->enforceSortOrder();
        next = m_current->nextSibling();
        for (YMRListViewItem *p = m_current->parent(); !next && p; p = p->parent()) {
            if (p->m_parent)
                p->m_parent->enforceSortOrder();
            next = p->nextSibling();
        }
    }
    m_current = next;
    return *this;
}

const YMRListViewItemIterator YMRListViewItemIterator::operator++(int)
{
    YMRListViewItemIterator old(*this);
    ++(*this);
    return old;
}

YMRListViewItemIterator &YMRListViewItemIterator::operator+=(int n)
{
    while (m_current && n-- > 0)
        ++(*this);
    return *this;
}

namespace {
// The last item of the subtree under item in tree order.
YMRListViewItem *lastInSubtree(YMRListViewItem *item)
{
    YMRListViewItem *c = item;
    while (YMRListViewItem *child = c->firstChild()) {
        c = child;
        while (c->nextSibling())
            c = c->nextSibling();
    }
    return c;
}
} // namespace

YMRListViewItemIterator &YMRListViewItemIterator::operator--()
{
    if (!m_current)
        return *this;
    YMRListViewItem *first = nullptr;
    if (YMRListViewItem *p = m_current->parent()) {
        first = p->firstChild();
        if (first == m_current) {
            m_current = p;
            return *this;
        }
    } else {
        YMRListView *lv = m_current->listView();
        first = lv ? lv->firstChild() : nullptr;
        if (!first || first == m_current) {
            m_current = nullptr;
            return *this;
        }
    }
    YMRListViewItem *prev = first;
    while (prev && prev->nextSibling() != m_current)
        prev = prev->nextSibling();
    m_current = prev ? lastInSubtree(prev) : nullptr;
    return *this;
}

const YMRListViewItemIterator YMRListViewItemIterator::operator--(int)
{
    YMRListViewItemIterator old(*this);
    --(*this);
    return old;
}

YMRListViewItemIterator &YMRListViewItemIterator::operator-=(int n)
{
    while (m_current && n-- > 0)
        --(*this);
    return *this;
}

void YMRListViewItemIterator::currentRemoved()
{
    if (!m_current)
        return;
    if (m_current->m_parent)
        m_current->m_parent->enforceSortOrder();
    if (YMRListViewItem *p = m_current->parent()) {
        m_current = p;
    } else if (m_current->nextSibling()) {
        m_current = m_current->nextSibling();
    } else if (m_listView && m_listView->firstChild()
               && m_listView->firstChild() != m_current) {
        m_current = m_listView->firstChild();
    } else {
        m_current = nullptr;
    }
}
