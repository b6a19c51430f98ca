#include "ymrlistviewitem.h"

#include "ymrheader.h"
#include "ymrlistview.h"
#include "ymrlistviewitemiterator.h"
#include "ymrlistviewprivate.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <algorithm>
#include <utility>

bool YMRListViewItem::s_activatedByClick = false;
QPoint YMRListViewItem::s_activatedPos;

// ---- construction ---------------------------------------------------------

void YMRListViewItem::init()
{
    m_ownHeight = 0;
    m_totalHeight = -1;
    m_childCount = 0;
    m_sortColumn = Unsorted;
    m_ascending = 1;
    m_open = 0;
    m_selected = 0;
    m_selectable = 1;
    m_configured = 0;
    m_expandable = 0;
    m_isRoot = 0;
    m_parent = nullptr;
    m_sibling = nullptr;
    m_child = nullptr;
}

YMRListViewItem::YMRListViewItem(YMRListView *parent)
{
    start(parent, nullptr, nullptr, nullptr);
}

YMRListViewItem::YMRListViewItem(YMRListViewItem *parent)
{
    start(nullptr, parent, nullptr, nullptr);
}

YMRListViewItem::YMRListViewItem(YMRListView *parent, YMRListViewItem *after)
{
    start(parent, nullptr, after, nullptr);
}

YMRListViewItem::YMRListViewItem(YMRListViewItem *parent, YMRListViewItem *after)
{
    start(nullptr, parent, after, nullptr);
}

YMRListViewItem::YMRListViewItem(YMRListView *parent, QString t0, QString t1, QString t2,
                                 QString t3, QString t4, QString t5, QString t6, QString t7)
{
    const QString texts[8] = { t0, t1, t2, t3, t4, t5, t6, t7 };
    start(parent, nullptr, nullptr, texts);
}

YMRListViewItem::YMRListViewItem(YMRListViewItem *parent, QString t0, QString t1, QString t2,
                                 QString t3, QString t4, QString t5, QString t6, QString t7)
{
    const QString texts[8] = { t0, t1, t2, t3, t4, t5, t6, t7 };
    start(nullptr, parent, nullptr, texts);
}

YMRListViewItem::YMRListViewItem(YMRListView *parent, YMRListViewItem *after, QString t0,
                                 QString t1, QString t2, QString t3, QString t4, QString t5,
                                 QString t6, QString t7)
{
    const QString texts[8] = { t0, t1, t2, t3, t4, t5, t6, t7 };
    start(parent, nullptr, after, texts);
}

YMRListViewItem::YMRListViewItem(YMRListViewItem *parent, YMRListViewItem *after, QString t0,
                                 QString t1, QString t2, QString t3, QString t4, QString t5,
                                 QString t6, QString t7)
{
    const QString texts[8] = { t0, t1, t2, t3, t4, t5, t6, t7 };
    start(nullptr, parent, after, texts);
}

// Shared by every constructor: insert at the top of the parent's children,
// move just after `after`, then fill columns 0 to 7.
void YMRListViewItem::start(YMRListView *view, YMRListViewItem *parent, YMRListViewItem *after,
                            const QString *texts)
{
    init();
    if (view)
        view->insertItem(this);
    else if (parent)
        parent->insertItem(this);
    placeAfter(after);
    if (!texts)
        return;
    for (int i = 0; i < 8; ++i)
        setText(i, texts[i]);
}

void YMRListViewItem::placeAfter(YMRListViewItem *after)
{
    if (!m_parent || !after || after == this || after->m_parent != m_parent)
        return;
    // Just inserted, so this is the parent's first child.
    if (m_parent->m_child == this)
        m_parent->m_child = m_sibling;
    m_sibling = after->m_sibling;
    after->m_sibling = this;
}

YMRListViewItem::~YMRListViewItem()
{
    if (YMRListView *lv = listView()) {
        if (lv->d->iterators) {
            for (YMRListViewItemIterator *it : *lv->d->iterators)
                if (it->current() == this)
                    it->currentRemoved();
        }
    }
    if (m_parent)
        m_parent->takeItem(this);
    YMRListViewItem *c = m_child;
    m_child = nullptr;
    while (c) {
        YMRListViewItem *next = c->m_sibling;
        c->m_parent = nullptr;
        delete c;
        c = next;
    }
}

// ---- children -------------------------------------------------------------

bool YMRListViewItem::isInSubtreeOf(const YMRListViewItem *ancestor) const
{
    for (const YMRListViewItem *p = this; p; p = p->m_parent)
        if (p == ancestor)
            return true;
    return false;
}

void YMRListViewItem::insertItem(YMRListViewItem *child)
{
    if (!child || child->m_parent == this)
        return;
    if (child->m_parent)
        child->m_parent->takeItem(child);
    if (m_open)
        invalidateHeight();
    child->m_sibling = m_child;
    m_child = child;
    ++m_childCount;
    child->m_parent = this;
    m_sortColumn = Unsorted;
    child->m_ownHeight = 0;
    child->m_configured = false;

    YMRListView *lv = listView();
    if (lv && lv->hasFocus() && !lv->d->focusItem) {
        lv->d->focusItem = lv->firstChild();
        lv->repaintItem(lv->d->focusItem);
    }
}

void YMRListViewItem::takeItem(YMRListViewItem *item)
{
    if (!item || item->m_parent != this)
        return;

    YMRListView *lv = listView();
    bool emitCurrent = false;
    bool wasSelected = false;
    if (lv && !lv->d->clearing) {
        YMRListViewPrivate *d = lv->d;
        // The item's next sibling below is read in the current order.
        enforceSortOrder();
        // Iterators standing on the item or anywhere below it must move off
        // before the subtree can be deleted.
        if (d->iterators) {
            for (YMRListViewItemIterator *it : *d->iterators) {
                YMRListViewItem *cur = it->current();
                if (cur && cur->isInSubtreeOf(item)) {
                    it->m_current = item;
                    it->currentRemoved();
                }
            }
        }
        invalidateHeight();
        d->drawables.clear();
        if (!d->dirtyItems.isEmpty()) {
            if (item->m_childCount) {
                d->dirtyItems.clear();
                d->dirtyItemTimer->stop();
                lv->triggerUpdate();
            } else {
                d->dirtyItems.remove(item);
            }
        }
        wasSelected = item->isSelected();
        item->setSelected(false);
        if (d->focusItem && d->focusItem->isInSubtreeOf(item)) {
            if (item->m_sibling)
                d->focusItem = item->m_sibling;
            else
                d->focusItem = item->itemAbove();
            if (d->focusItem && d->focusItem->isInSubtreeOf(item))
                d->focusItem = nullptr;
            emitCurrent = true;
        }
        // Pointers kept for later comparison must not outlive the subtree.
        if (d->selectAnchor && d->selectAnchor->isInSubtreeOf(item))
            d->selectAnchor = d->focusItem;
        if (d->pressedItem && d->pressedItem->isInSubtreeOf(item))
            d->pressedItem = nullptr;
        if (d->highlighted && d->highlighted->isInSubtreeOf(item))
            d->highlighted = nullptr;
    }

    --m_childCount;
    if (m_child == item) {
        m_child = item->m_sibling;
    } else {
        YMRListViewItem *p = m_child;
        while (p && p->m_sibling != item)
            p = p->m_sibling;
        if (p)
            p->m_sibling = item->m_sibling;
    }
    item->m_parent = nullptr;
    item->m_sibling = nullptr;
    item->m_ownHeight = 0;
    item->m_totalHeight = -1;
    item->m_configured = false;

    if (lv && emitCurrent)
        emit lv->currentChanged(lv->d->focusItem);
    if (lv && wasSelected)
        emit lv->selectionChanged();
}

void YMRListViewItem::removeItem(YMRListViewItem *child)
{
    takeItem(child);
}

// ---- tree walking ---------------------------------------------------------

YMRListView *YMRListViewItem::listView() const
{
    const YMRListViewItem *p = this;
    while (p->m_parent)
        p = p->m_parent;
    if (!p->m_isRoot)
        return nullptr;
    return static_cast<const YMRListViewPrivate::RootItem *>(p)->theListView();
}

int YMRListViewItem::depth() const
{
    int n = -1;
    for (const YMRListViewItem *p = m_parent; p; p = p->m_parent)
        ++n;
    return n;
}

YMRListViewItem *YMRListViewItem::firstChild() const
{
    if (m_child)
        enforceSortOrder();
    return m_child;
}

YMRListViewItem *YMRListViewItem::parent() const
{
    if (!m_parent || m_parent->m_isRoot)
        return nullptr;
    return m_parent;
}

YMRListViewItem *YMRListViewItem::itemAbove()
{
    YMRListViewItem *c = this;
    do {
        YMRListViewItem *p = c->m_parent;
        if (!p)
            return nullptr;
        YMRListViewItem *first = p->firstChild();
        if (first == c) {
            c = p;
        } else {
            YMRListViewItem *prev = first;
            while (prev && prev->m_sibling != c)
                prev = prev->m_sibling;
            if (!prev)
                return nullptr;
            c = prev;
            while (c->isOpen() && c->m_childCount) {
                c = c->firstChild();
                while (c->m_sibling)
                    c = c->m_sibling;
            }
        }
    } while (c && c->height() == 0);
    return c;
}

YMRListViewItem *YMRListViewItem::itemBelow()
{
    YMRListViewItem *c = this;
    // Siblings are read in their parent's current sort order.
    do {
        if (c->m_parent)
            c->m_parent->enforceSortOrder();
        if (c->isOpen() && c->m_childCount) {
            c = c->firstChild();
        } else if (c->m_sibling) {
            c = c->m_sibling;
        } else {
            YMRListViewItem *p = c->m_parent;
            c = nullptr;
            while (p) {
                if (p->m_parent)
                    p->m_parent->enforceSortOrder();
                if (p->m_sibling) {
                    c = p->m_sibling;
                    break;
                }
                p = p->m_parent;
            }
        }
    } while (c && c->height() == 0);
    return c;
}

int YMRListViewItem::itemPos() const
{
    std::vector<const YMRListViewItem *> chain;
    for (const YMRListViewItem *i = this; i; i = i->m_parent)
        chain.push_back(i);
    int a = 0;
    for (size_t n = chain.size() - 1; n > 0; --n) {
        const YMRListViewItem *p = chain[n];
        const YMRListViewItem *target = chain[n - 1];
        a += p->height();
        for (const YMRListViewItem *c = p->firstChild(); c && c != target; c = c->m_sibling)
            a += c->totalHeight();
    }
    return a;
}

void YMRListViewItem::moveItem(YMRListViewItem *after)
{
    if (!after || after == this)
        return;
    if (m_parent != after->m_parent) {
        if (m_parent)
            m_parent->takeItem(this);
        if (YMRListViewItem *np = after->m_parent) {
            const unsigned sc = np->m_sortColumn;
            np->insertItem(this);
            np->m_sortColumn = sc;
        }
    }
    if (m_parent && after->m_parent == m_parent) {
        if (m_parent->m_child == this) {
            m_parent->m_child = m_sibling;
        } else {
            YMRListViewItem *p = m_parent->m_child;
            while (p && p->m_sibling != this)
                p = p->m_sibling;
            if (p)
                p->m_sibling = m_sibling;
        }
        m_sibling = after->m_sibling;
        after->m_sibling = this;
    }
    if (YMRListView *lv = listView())
        lv->triggerUpdate();
}

void YMRListViewItem::repaint() const
{
    if (YMRListView *lv = listView())
        lv->repaintItem(this);
}

void YMRListViewItem::widthChanged(int column) const
{
    if (YMRListView *lv = listView())
        lv->widthChanged(this, column);
}

// ---- heights --------------------------------------------------------------

void YMRListViewItem::configure() const
{
    if (m_configured)
        return;
    // A free item has no view to measure against: its height stays.
    if (!listView())
        return;
    m_configured = true;
    const_cast<YMRListViewItem *>(this)->setup();
}

int YMRListViewItem::height() const
{
    configure();
    return m_ownHeight;
}

int YMRListViewItem::totalHeight() const
{
    if (m_totalHeight >= 0)
        return m_totalHeight;
    configure();
    int t = m_ownHeight;
    if (m_open && m_childCount) {
        for (const YMRListViewItem *c = m_child; c; c = c->m_sibling)
            t += c->totalHeight();
    }
    m_totalHeight = t;
    return t;
}

void YMRListViewItem::invalidateHeight()
{
    if (m_totalHeight == -1)
        return;
    m_totalHeight = -1;
    if (m_parent && m_parent->m_open)
        m_parent->invalidateHeight();
}

void YMRListViewItem::setHeight(int h)
{
    if (h == m_ownHeight)
        return;
    m_ownHeight = h;
    invalidateHeight();
}

void YMRListViewItem::setup()
{
    YMRListView *lv = listView();
    if (!lv)
        return;
    widthChanged(-1);
    int ph = 0;
    const int n = qMin<int>(lv->columns(), int(m_columns.size()));
    for (int i = 0; i < n; ++i) {
        if (m_columns[i].pixmap)
            ph = qMax(ph, m_columns[i].pixmap->height());
    }
    setHeight(qMax(ph, lv->d->fontMetricsHeight) + 2);
}

int YMRListViewItem::width(const QFontMetrics &fm, const YMRListView *lv, int column) const
{
    const int m = lv ? lv->itemMargin() : 0;
    int w = fm.horizontalAdvance(text(column));
    if (w > 0)
        w += m;
    if (const QPixmap *pm = pixmap(column))
        w += m + pm->width();
    if (w > 0)
        w += m;
    return w;
}

// ---- texts and pictures ---------------------------------------------------

void YMRListViewItem::ensureColumns(int column)
{
    if (column >= int(m_columns.size()))
        m_columns.resize(size_t(column) + 1);
}

void YMRListViewItem::setText(int column, const QString &text)
{
    if (column < 0)
        return;
    // A missing record already reads as the null string.
    if (column >= int(m_columns.size()) && text.isEmpty())
        return;
    ensureColumns(column);
    Column &c = m_columns[size_t(column)];
    if (c.text == text)
        return;
    c.dirty = true;
    c.text = text;
    // The new text changes this item's place among its siblings.
    if (m_parent && int(m_parent->m_sortColumn) == column)
        m_parent->m_sortColumn = Unsorted;
    widthChanged(column);
    if (YMRListView *lv = listView())
        lv->triggerUpdate();
}

QString YMRListViewItem::text(int column) const
{
    if (column < 0 || column >= int(m_columns.size()))
        return QString();
    return m_columns[size_t(column)].text;
}

void YMRListViewItem::setPixmap(int column, const QPixmap &pm)
{
    int oldW = 0;
    int oldH = 0;
    if (const QPixmap *old = pixmap(column)) {
        oldW = old->width();
        oldH = old->height();
    }
    if (column < 0)
        return;
    ensureColumns(column);
    Column &c = m_columns[size_t(column)];
    if (pm.isNull() && (!c.pixmap || c.pixmap->isNull()))
        return;
    if (c.pixmap && c.pixmap->cacheKey() == pm.cacheKey())
        return;
    if (pm.isNull())
        c.pixmap.reset();
    else if (c.pixmap)
        *c.pixmap = pm;
    else
        c.pixmap.reset(new QPixmap(pm));

    YMRListView *lv = listView();
    if (pm.width() != oldW || pm.height() != oldH) {
        if (lv)
            setup();
        widthChanged(column);
        invalidateHeight();
    }
    if (lv)
        lv->triggerUpdate();
}

const QPixmap *YMRListViewItem::pixmap(int column) const
{
    if (column < 0 || column >= int(m_columns.size()))
        return nullptr;
    return m_columns[size_t(column)].pixmap.get();
}

// ---- sorting --------------------------------------------------------------

QString YMRListViewItem::key(int column, bool) const
{
    return text(column);
}

void YMRListViewItem::sortChildItems(int column, bool ascending)
{
    if (column < 0)
        return;
    const unsigned col = unsigned(qMin(column, int(Unsorted)));
    if (m_sortColumn == col && bool(m_ascending) == ascending)
        return;
    m_sortColumn = col;
    m_ascending = ascending;
    if (m_childCount < 2)
        return;

    std::vector<std::pair<QString, YMRListViewItem *>> keys;
    keys.reserve(size_t(m_childCount));
    for (YMRListViewItem *c = m_child; c; c = c->m_sibling)
        keys.emplace_back(c->key(column, ascending), c);
    // Stable in both directions: equal keys keep the order they stand in.
    if (ascending)
        std::stable_sort(keys.begin(), keys.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
    else
        std::stable_sort(keys.begin(), keys.end(),
                         [](const auto &a, const auto &b) { return b.first < a.first; });

    m_child = keys.front().second;
    for (size_t i = 0; i + 1 < keys.size(); ++i)
        keys[i].second->m_sibling = keys[i + 1].second;
    keys.back().second->m_sibling = nullptr;
}

void YMRListViewItem::enforceSortOrder() const
{
    YMRListView *lv = listView();
    if (lv && lv->d->clearing)
        return;
    auto *self = const_cast<YMRListViewItem *>(this);
    if (m_parent) {
        if ((m_parent->m_sortColumn != m_sortColumn || m_parent->m_ascending != m_ascending)
            && m_parent->m_sortColumn != Unsorted)
            self->sortChildItems(int(m_parent->m_sortColumn), m_parent->m_ascending);
    } else if (lv) {
        const YMRListViewPrivate *d = lv->d;
        if ((unsigned(d->sortColumn) != m_sortColumn || d->ascending != bool(m_ascending))
            && d->sortColumn != Unsorted)
            self->sortChildItems(d->sortColumn, d->ascending);
    }
}

void YMRListViewItem::sort()
{
    YMRListView *lv = listView();
    if (!lv)
        return;
    m_sortColumn = Unsorted;
    enforceSortOrder();
    lv->triggerUpdate();
}

// ---- state ----------------------------------------------------------------

void YMRListViewItem::setOpen(bool open)
{
    if (bool(m_open) == open)
        return;
    m_open = open;
    YMRListView *lv = listView();
    if (lv && this != lv->d->r) {
        if (open)
            emit lv->expanded(this);
        else
            emit lv->collapsed(this);
    }
    if (!m_childCount)
        return;
    invalidateHeight();

    if (!m_configured && lv) {
        std::vector<YMRListViewItem *> stack;
        YMRListViewItem *l = this;
        while (l) {
            if (l->m_open && l->m_child) {
                stack.push_back(l->m_child);
            } else if (l->m_child) {
                for (YMRListViewItem *c = l->m_child; c; c = c->m_sibling)
                    c->m_configured = false;
            }
            l->m_configured = true;
            l->setup();
            if (l == this || !l->m_sibling) {
                if (stack.empty()) {
                    l = nullptr;
                } else {
                    l = stack.back();
                    stack.pop_back();
                }
            } else {
                l = l->m_sibling;
            }
        }
    }
    if (m_open)
        enforceSortOrder();
}

void YMRListViewItem::setSelected(bool on)
{
    m_selected = on && m_selectable;
}

void YMRListViewItem::setSelectable(bool enable)
{
    m_selectable = enable;
}

void YMRListViewItem::setExpandable(bool enable)
{
    m_expandable = enable;
}

void YMRListViewItem::setColors(const QColor &text, const QColor &base)
{
    m_textColor.reset(new QColor(text));
    m_baseColor.reset(new QColor(base));
}

void YMRListViewItem::colors(QColor &text, QColor &base) const
{
    if (m_textColor && m_baseColor) {
        text = *m_textColor;
        base = *m_baseColor;
    }
}

void YMRListViewItem::activate()
{
}

bool YMRListViewItem::activatedPos(QPoint &pos)
{
    if (s_activatedByClick)
        pos = s_activatedPos;
    return s_activatedByClick;
}

// ---- painting -------------------------------------------------------------

void YMRListViewItem::paintCell(QPainter *p, const QPalette &cg, int column, int width,
                                int align)
{
    if (!p)
        return;
    YMRListView *lv = listView();
    const int r = lv ? lv->itemMargin() : 1;

    if (m_columns.empty() && lv) {
        const int n = lv->columns();
        for (int i = 0; i < n; ++i)
            setText(i, text(i));
    }

    QString t = text(column);
    if (!m_columns.empty() && column >= 0) {
        if (column >= int(m_columns.size())) {
            ensureColumns(column);
            setText(column, t);
        }
        Column &c = m_columns[size_t(column)];
        if (c.cutWidth != width || c.text != t || c.dirty || c.cutFont != p->font()) {
            c.dirty = false;
            c.cutWidth = width;
            c.cutFont = p->font();
            c.cut = false;
            int s = 2 * r;
            // The picture that is drawn, which a subclass may supply itself.
            if (const QPixmap *pm = pixmap(column))
                s += pm->width() + r;
            const QFontMetrics fm = p->fontMetrics();
            // An empty text has nothing to shorten.
            if (!t.isEmpty() && fm.horizontalAdvance(t) + s > width) {
                c.cut = true;
                const QString dots = QStringLiteral("...");
                // The widths grow with the prefix: find the longest prefix
                // whose width with the dots stays below the cell width.
                int lo = 0;
                int hi = t.length();
                while (lo < hi) {
                    const int mid = (lo + hi + 1) / 2;
                    if (fm.horizontalAdvance(dots + t.left(mid)) + s < width)
                        lo = mid;
                    else
                        hi = mid - 1;
                }
                c.cutText = (lo > 0 ? t.left(lo) : t.left(1)) + dots;
            }
        }
        if (c.cut)
            t = c.cutText;
    }

    const int h = height();
    const bool highlight = isSelected() && (column == 0 || (lv && lv->allColumnsShowFocus()));
    if (highlight) {
        p->fillRect(0, 0, width, h, cg.brush(QPalette::Highlight));
        p->setPen(cg.color(QPalette::HighlightedText));
    } else {
        p->fillRect(0, 0, width, h, cg.brush(QPalette::Base));
        p->setPen(cg.color(QPalette::Text));
    }

    int x = r;
    if (const QPixmap *pm = pixmap(column)) {
        p->drawPixmap(r, (h - pm->height()) / 2, *pm);
        x = pm->width() + 2 * r;
    }
    if (!t.isEmpty() && width - x - r > 0)
        p->drawText(x, 0, width - x - r, h, align | Qt::AlignVCenter, t);
}

void YMRListViewItem::paintFocus(QPainter *p, const QPalette &cg, const QRect &r)
{
    YMRListView *lv = listView();
    QStyle *style = lv ? lv->style() : QApplication::style();
    QStyleOptionFocusRect opt;
    opt.rect = r;
    opt.palette = cg;
    opt.state = QStyle::State_KeyboardFocusChange | QStyle::State_HasFocus;
    if (isSelected())
        opt.state |= QStyle::State_FocusAtBorder;
    opt.backgroundColor = isSelected() ? cg.color(QPalette::Highlight) : cg.color(QPalette::Base);
    style->drawPrimitive(QStyle::PE_FrameFocusRect, &opt, p, lv);
}

void YMRListViewItem::paintBranches(QPainter *p, const QPalette &cg, int w, int y, int h)
{
    YMRListView *lv = listView();
    if (!lv || !p)
        return;
    lv->paintEmptyArea(p, QRect(0, 0, w, h));

    // Content row of the strip's top, so that the dots line up between strips.
    const int stripTop = int(p->worldTransform().dy()) + lv->contentsY();

    YMRListViewItem *child = firstChild();
    while (child && y + child->height() <= 0) {
        y += child->totalHeight();
        child = child->nextSibling();
    }

    const int bx = w / 2;
    const int dd = lv->treeStepSize() / 10;
    int linetop = 0;
    int linebot = 0;
    QVector<QLine> lines;
    while (child && y < h) {
        const int ch = child->height();
        linebot = y + ch / 2;
        if ((child->isExpandable() || child->childCount()) && ch > 0) {
            p->setPen(cg.color(QPalette::Text));
            p->setBrush(Qt::NoBrush);
            p->drawRect(bx - 2 * dd, linebot - 2 * dd, 4 * dd, 4 * dd);
            p->drawLine(bx - dd, linebot, bx + dd, linebot);
            if (!child->isOpen())
                p->drawLine(bx, linebot - dd, bx, linebot + dd);
            lines << QLine(bx, linetop, bx, linebot - 1 - 2 * dd);
            lines << QLine(bx + 2 * dd + 1, linebot, w, linebot);
            linetop = linebot + 1 + 2 * dd;
        } else {
            lines << QLine(bx + 1, linebot, w, linebot);
        }
        y += child->totalHeight();
        child = child->nextSibling();
    }
    if (child)
        linebot = h;
    if (linetop < linebot)
        lines << QLine(bx, linetop, bx, linebot);

    // Dotted: every other pixel, on odd contents rows and odd offsets.
    QVector<QPoint> dots;
    for (const QLine &l : qAsConst(lines)) {
        if (l.y1() == l.y2()) {
            for (int x = l.x1() + 1; x <= l.x2(); x += 2)
                dots << QPoint(x, l.y1());
        } else {
            int yy = l.y1();
            if (((yy + stripTop) & 1) == 0)
                ++yy;
            for (; yy <= l.y2(); yy += 2)
                dots << QPoint(l.x1(), yy);
        }
    }
    p->setPen(QPen(cg.color(QPalette::Dark), 0));
    p->drawPoints(dots.constData(), dots.size());
}
