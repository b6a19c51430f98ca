#include "ymrlistview.h"

#include "ymrheader.h"
#include "ymrlistviewitemiterator.h"
#include "ymrlistviewprivate.h"

#include "qpe/qpeglobal.h"

#include <QApplication>
#include <QEvent>
#include <QResizeEvent>
#include <QScrollBar>
#include <QShowEvent>
#include <QStyle>

#define YMR_LV_CHECK(cond)                                                              \
    ((cond) ? true                                                                      \
            : (Qpe::assertWarning(#cond, "qt/ymrlistview.cpp", __LINE__), \
               false))

// ---- root item ------------------------------------------------------------

YMRListViewPrivate::RootItem::RootItem(YMRListView *view)
    : YMRListViewItem(static_cast<YMRListView *>(nullptr)), m_view(view)
{
    YMRListViewItem::setHeight(0);
    YMRListViewItem::setOpen(true);
}

void YMRListViewPrivate::RootItem::invalidateHeight()
{
    YMRListViewItem::invalidateHeight();
    m_view->triggerUpdate();
}

void YMRListViewPrivate::RootItem::setup()
{
}

void YMRListViewPrivate::RootItem::setHeight(int)
{
    YMRListViewItem::setHeight(0);
}

// ---- construction ---------------------------------------------------------

YMRListView::YMRListView(QWidget *parent, const char *name)
    : ScrollView(parent, name)
{
    init();
}

YMRListView::YMRListView(QWidget *parent, const char *name, Qt::WindowFlags f)
    : ScrollView(parent, name, f)
{
    init();
}

void YMRListView::init()
{
    d = new YMRListViewPrivate;
    d->timer = new QTimer(this);
    d->timer->setSingleShot(true);
    d->dirtyItemTimer = new QTimer(this);
    d->dirtyItemTimer->setSingleShot(true);
    d->visibleTimer = new QTimer(this);
    d->visibleTimer->setSingleShot(true);

    d->h = new YMRHeader(this, "list view header");
    d->h->installEventFilter(this);
    d->h->setTracking(true);

    readFontMetrics();
    setMouseTracking(true);
    viewport()->setMouseTracking(true);

    connect(d->timer, &QTimer::timeout, this, QOverload<>::of(&YMRListView::updateContents));
    connect(d->dirtyItemTimer, &QTimer::timeout, this, &YMRListView::updateDirtyItems);
    connect(d->visibleTimer, &QTimer::timeout, this, &YMRListView::makeVisible);
    connect(d->h, &YMRHeader::sizeChange, this, &YMRListView::handleSizeChange);
    connect(d->h, &YMRHeader::moved, this, &YMRListView::triggerUpdate);
    connect(d->h, &YMRHeader::sectionClicked, this, &YMRListView::changeSortColumn);
    connect(horizontalScrollBar(), &QScrollBar::sliderMoved, d->h, &YMRHeader::setOffset);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, d->h, &YMRHeader::setOffset);

    resetRoot();

    viewport()->setFocusProxy(this);
    viewport()->setFocusPolicy(Qt::WheelFocus);
    setFocusPolicy(Qt::WheelFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    // Every pixel of the viewport is painted, the empty area included.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->installEventFilter(this);

    setFont(font());
}

void YMRListView::resetRoot()
{
    auto *root = new YMRListViewPrivate::RootItem(this);
    root->m_isRoot = true;
    root->m_selectable = false;
    d->r = root;
}

YMRListView::~YMRListView()
{
    if (d->iterators) {
        for (YMRListViewItemIterator *it : *d->iterators)
            it->m_listView = nullptr;
        delete d->iterators;
        d->iterators = nullptr;
    }
    d->focusItem = nullptr;
    // Items leaving a view that goes away need no bookkeeping and no signals.
    d->clearing = true;
    const bool block = blockSignals(true);
    // The root's base destructor runs after its own part is gone: from then
    // on it must not be taken for the view's root.
    d->r->m_isRoot = false;
    delete d->r;
    d->r = nullptr;
    blockSignals(block);   // destroyed() must still reach its receivers
    delete d;
    d = nullptr;
}

void YMRListView::readFontMetrics()
{
    const QFontMetrics fm = fontMetrics();
    d->fontMetricsHeight = fm.height();
    d->minLeftBearing = fm.minLeftBearing();
    d->minRightBearing = fm.minRightBearing();
    d->ellipsisWidth = fm.horizontalAdvance(QStringLiteral("...")) * 2;
}

void YMRListView::reconfigureItems()
{
    readFontMetrics();
    d->r->setOpen(false);
    d->r->m_configured = false;
    d->r->setOpen(true);
}

void YMRListView::setFont(const QFont &f)
{
    d->sizeHint = QSize(-1, -1);
    d->h->setFont(f);
    d->levelWidth = qMax(20, 2 * QFontMetrics(f).lineSpacing() - 4);
    d->inSetFont = true;
    QWidget::setFont(f);
    d->inSetFont = false;
    reconfigureItems();
}

void YMRListView::setPalette(const QPalette &pal)
{
    d->h->setPalette(pal);
    QWidget::setPalette(pal);
    reconfigureItems();
}

void YMRListView::changeEvent(QEvent *e)
{
    switch (e->type()) {
    case QEvent::FontChange:
        if (!d->inSetFont) {
            d->sizeHint = QSize(-1, -1);
            d->h->setFont(font());
            d->levelWidth = qMax(20, 2 * fontMetrics().lineSpacing() - 4);
            reconfigureItems();
        }
        break;
    case QEvent::StyleChange:
        reconfigureItems();
        break;
    case QEvent::EnabledChange:
        d->h->setEnabled(isEnabled());
        triggerUpdate();
        break;
    default:
        break;
    }
    ScrollView::changeEvent(e);
}

// ---- columns --------------------------------------------------------------

YMRHeader *YMRListView::header() const
{
    return d->h;
}

int YMRListView::columns() const
{
    return int(d->columnWidthModes.size());
}

int YMRListView::addColumn(const QString &label, int width)
{
    const int c = d->h->addLabel(label, width);
    d->columnWidthModes.push_back(width < 0 ? Maximum : Manual);
    return c;
}

int YMRListView::addColumn(const QIcon &iconset, const QString &label, int width)
{
    const int c = d->h->addLabel(iconset, label, width);
    d->columnWidthModes.push_back(width < 0 ? Maximum : Manual);
    return c;
}

void YMRListView::removeColumn(int index)
{
    if (index < 0 || index > columns() - 1)
        return;
    if (index < d->align.size())
        d->align.remove(index);
    for (YMRListViewItemIterator it(this); it.current(); ++it) {
        YMRListViewItem *i = it.current();
        if (index < int(i->m_columns.size()))
            i->m_columns.erase(i->m_columns.begin() + index);
    }
    d->columnWidthModes.erase(d->columnWidthModes.begin() + index);
    d->h->removeLabel(index);
    triggerUpdate();
    if (columns() == 0)
        clear();
}

void YMRListView::setColumnText(int column, const QString &label)
{
    if (column < d->h->count())
        d->h->setLabel(column, label);
}

void YMRListView::setColumnText(int column, const QIcon &iconset, const QString &label)
{
    if (column < d->h->count())
        d->h->setLabel(column, iconset, label);
}

QString YMRListView::columnText(int column) const
{
    return d->h->label(column);
}

void YMRListView::setColumnWidth(int column, int w)
{
    if (column < d->h->count() && d->h->sectionSize(column) != w) {
        d->h->resizeSection(column, w);
        viewport()->update();
        triggerUpdate();
    }
}

int YMRListView::columnWidth(int column) const
{
    return d->h->sectionSize(column);
}

void YMRListView::setColumnWidthMode(int column, WidthMode mode)
{
    if (!YMR_LV_CHECK(column >= 0 && column < columns()))
        return;
    d->columnWidthModes[size_t(column)] = mode;
}

YMRListView::WidthMode YMRListView::columnWidthMode(int column) const
{
    if (!YMR_LV_CHECK(column >= 0 && column < columns()))
        return Manual;
    return WidthMode(d->columnWidthModes[size_t(column)]);
}

void YMRListView::setColumnAlignment(int column, int align)
{
    if (column < 0)
        return;
    if (column >= d->align.size()) {
        const int old = d->align.size();
        d->align.resize(column + 1);
        for (int i = old; i <= column; ++i)
            d->align[i] = Qt::AlignLeft;
    }
    if (d->align[column] != align) {
        d->align[column] = align;
        triggerUpdate();
    }
}

int YMRListView::columnAlignment(int column) const
{
    if (column < 0 || column >= d->align.size())
        return Qt::AlignLeft;
    return d->align[column];
}

void YMRListView::widthChanged(const YMRListViewItem *item, int column)
{
    if (!item || column >= d->h->count())
        return;
    const QFontMetrics fm = fontMetrics();
    const int n = columns();
    for (int col = column < 0 ? 0 : column; col < n; ++col) {
        if (d->columnWidthModes[size_t(col)] == Maximum) {
            int w = item->width(fm, this, col);
            if (col == 0) {
                w += treeStepSize() * item->depth();
                if (d->rootIsExpandable)
                    w += treeStepSize();
            }
            if (w > columnWidth(col))
                setColumnWidth(col, w);
        }
        if (column >= 0)
            break;
    }
}

// ---- items ----------------------------------------------------------------

int YMRListView::treeStepSize() const
{
    return d->levelWidth;
}

void YMRListView::setTreeStepSize(int size)
{
    d->levelWidth = size;
}

void YMRListView::insertItem(YMRListViewItem *item)
{
    if (d->r)
        d->r->insertItem(item);
}

void YMRListView::takeItem(YMRListViewItem *item)
{
    if (d->r)
        d->r->takeItem(item);
}

void YMRListView::removeItem(YMRListViewItem *item)
{
    takeItem(item);
}

YMRListViewItem *YMRListView::firstChild() const
{
    return d->r ? d->r->firstChild() : nullptr;
}

int YMRListView::childCount() const
{
    return d->r ? d->r->childCount() : 0;
}

void YMRListView::clear()
{
    const bool block = blockSignals(true);
    d->clearing = true;
    clearSelection();
    if (d->iterators) {
        for (YMRListViewItemIterator *it : *d->iterators)
            it->m_current = nullptr;
    }
    d->drawables.clear();
    d->dirtyItems.clear();
    d->dirtyItemTimer->stop();
    d->focusItem = nullptr;
    d->selectAnchor = nullptr;
    d->pressedItem = nullptr;
    d->highlighted = nullptr;
    d->buttonDown = false;

    while (YMRListViewItem *c = d->r->m_child)
        delete c;
    resizeContents(d->h->sizeHint().width(), contentsHeight());
    d->r->m_isRoot = false;
    delete d->r;
    d->r = nullptr;
    resetRoot();

    blockSignals(block);
    triggerUpdate();
    d->clearing = false;
}

void YMRListView::setItemMargin(int m)
{
    if (d->margin == m)
        return;
    d->margin = m;
    if (isVisible()) {
        d->drawables.clear();
        triggerUpdate();
    }
}

int YMRListView::itemMargin() const
{
    return d->margin;
}

void YMRListView::setRootIsDecorated(bool on)
{
    if (on == d->rootIsExpandable)
        return;
    d->rootIsExpandable = on;
    if (isVisible())
        triggerUpdate();
}

bool YMRListView::rootIsDecorated() const
{
    return d->rootIsExpandable;
}

void YMRListView::setAllColumnsShowFocus(bool on)
{
    d->allColumnsShowFocus = on;
}

bool YMRListView::allColumnsShowFocus() const
{
    return d->allColumnsShowFocus;
}

// ---- sorting --------------------------------------------------------------

void YMRListView::setSorting(int column, bool ascending)
{
    if (column == -1)
        column = YMRListViewItem::Unsorted;
    if (d->sortColumn == column && d->ascending == ascending)
        return;
    d->ascending = ascending;
    d->sortColumn = column;
    if (d->sortColumn != YMRListViewItem::Unsorted && d->sortIndicator)
        d->h->setSortIndicator(d->sortColumn, d->ascending);
    else
        d->h->setSortIndicator(-1);
    triggerUpdate();
}

void YMRListView::sort()
{
    if (d->r)
        d->r->sort();
}

void YMRListView::setShowSortIndicator(bool on)
{
    if (on == d->sortIndicator)
        return;
    d->sortIndicator = on;
    if (d->sortColumn != YMRListViewItem::Unsorted && on)
        d->h->setSortIndicator(d->sortColumn, d->ascending);
    else
        d->h->setSortIndicator(-1);
}

bool YMRListView::showSortIndicator() const
{
    return d->sortIndicator;
}

void YMRListView::changeSortColumn(int index)
{
    if (d->sortColumn == YMRListViewItem::Unsorted)
        return;
    const int col = d->h->mapToLogical(index);
    setSorting(col, d->sortColumn == col ? !d->ascending : true);
}

// ---- open, current, selection ----------------------------------------------

void YMRListView::setOpen(YMRListViewItem *item, bool open)
{
    if (!item || item->isOpen() == open
        || (open && !item->childCount() && !item->isExpandable()))
        return;
    YMRListViewItem *nextParent = nullptr;
    if (open)
        nextParent = item->itemBelow();
    item->setOpen(open);
    if (open) {
        YMRListViewItem *lchild = nullptr;
        if (nextParent) {
            lchild = nextParent->itemAbove();
        } else {
            lchild = item;
            for (int i = item->childCount(); lchild && i > 0; --i) {
                YMRListViewItem *below = lchild->itemBelow();
                if (!below)
                    break;
                lchild = below;
            }
        }
        if (lchild)
            ensureItemVisible(lchild);
        ensureItemVisible(item);
    }
    buildDrawableList();
    bool after = false;
    for (const YMRListViewPrivate::Drawable &dr : d->drawables) {
        if (dr.item == item)
            after = true;
        if (after)
            d->dirtyItems.insert(dr.item);
    }
    d->dirtyItems.insert(item);
    d->dirtyItemTimer->start(0);
}

bool YMRListView::isOpen(const YMRListViewItem *item) const
{
    return item && item->isOpen();
}

void YMRListView::setCurrentItem(YMRListViewItem *item)
{
    if (!item || d->focusItem == item)
        return;
    YMRListViewItem *prev = d->focusItem;
    d->focusItem = item;
    if (d->selectionMode == Single) {
        bool changed = false;
        if (prev && prev->isSelected()) {
            prev->setSelected(false);
            changed = true;
        }
        if (!item->isSelected() && item->isSelectable()) {
            item->setSelected(true);
            changed = true;
            emit selectionChanged(item);
        }
        if (changed)
            emit selectionChanged();
    }
    repaintItem(item);
    if (prev)
        repaintItem(prev);
    emit currentChanged(item);
}

YMRListViewItem *YMRListView::currentItem() const
{
    return d->focusItem;
}

void YMRListView::setMultiSelection(bool enable)
{
    if (!enable)
        d->selectionMode = Single;
    else if (d->selectionMode == Single)
        d->selectionMode = Multi;
}

bool YMRListView::isMultiSelection() const
{
    return d->selectionMode != Single;
}

void YMRListView::setSelectionMode(SelectionMode mode)
{
    setMultiSelection(isMultiSelection());
    d->selectionMode = mode;
}

YMRListView::SelectionMode YMRListView::selectionMode() const
{
    return SelectionMode(d->selectionMode);
}

void YMRListView::setSelected(YMRListViewItem *item, bool selected)
{
    if (!item || item->isSelected() == selected || !item->isSelectable()
        || d->selectionMode == NoSelection)
        return;
    bool emitCurrent = false;
    if (d->selectionMode == Single && d->focusItem != item) {
        YMRListViewItem *old = d->focusItem;
        if (old && old->isSelected())
            old->setSelected(false);
        d->focusItem = item;
        if (old)
            repaintItem(old);
        emitCurrent = true;
    }
    item->setSelected(selected);
    repaintItem(item);
    if (d->selectionMode == Single && selected)
        emit selectionChanged(item);
    emit selectionChanged();
    if (emitCurrent)
        emit currentChanged(d->focusItem);
}

bool YMRListView::isSelected(const YMRListViewItem *item) const
{
    return item && item->isSelected();
}

YMRListViewItem *YMRListView::selectedItem() const
{
    if (d->selectionMode != Single)
        return nullptr;
    return d->focusItem && d->focusItem->isSelected() ? d->focusItem : nullptr;
}

void YMRListView::clearSelection()
{
    selectAll(false);
}

void YMRListView::selectAll(bool select)
{
    // Nothing can be selected without a selection mode, only cleared.
    if (select && d->selectionMode == NoSelection)
        return;
    if (d->selectionMode != Single) {
        const bool block = blockSignals(true);
        bool anything = false;
        for (YMRListViewItemIterator it(this); it.current(); ++it) {
            YMRListViewItem *i = it.current();
            if (i->isSelected() != select) {
                i->setSelected(select);
                if (i->isSelected() == select)
                    anything = true;
                repaintItem(i);
            }
        }
        blockSignals(block);
        if (anything)
            emit selectionChanged();
    } else if (d->focusItem) {
        setSelected(d->focusItem, select);
    }
}

void YMRListView::invertSelection()
{
    if (d->selectionMode != Multi && d->selectionMode != Extended)
        return;
    const bool block = blockSignals(true);
    for (YMRListViewItemIterator it(this); it.current(); ++it)
        it.current()->setSelected(!it.current()->isSelected());
    blockSignals(block);
    emit selectionChanged();
    triggerUpdate();
}

// ---- deferred updates and geometry ------------------------------------------

void YMRListView::triggerUpdate()
{
    if (isVisible() && updatesEnabled() && !d->timer->isActive())
        d->timer->start(0);
}

void YMRListView::updateContents()
{
    if (!isVisible())
        return;
    d->drawables.clear();
    updateGeometries();
    viewport()->update();
}

void YMRListView::repaintItem(const YMRListViewItem *item) const
{
    if (!item)
        return;
    d->dirtyItemTimer->start(0);
    d->dirtyItems.insert(item);
}

void YMRListView::updateDirtyItems()
{
    if (d->timer->isActive() || d->dirtyItems.isEmpty())
        return;
    QRect ir;
    for (const YMRListViewItem *item : qAsConst(d->dirtyItems)) {
        const QRect r = itemRect(item);
        if (r.isValid())
            ir = ir.isValid() ? ir.united(r) : r;
    }
    if (ir.isValid()) {
        if (ir.x() < 0)
            ir.translate(-ir.x(), 0);
        viewport()->update(ir);
    }
}

void YMRListView::makeVisible()
{
    if (d->focusItem)
        ensureItemVisible(d->focusItem);
}

void YMRListView::updateGeometries()
{
    const int th = d->r->totalHeight();
    const int n = d->h->count();
    const int tw = n ? d->h->cellPos(n - 1) + d->h->cellSize(n - 1) : 0;
    if (d->h->offset() && tw < d->h->offset() + d->h->width())
        horizontalScrollBar()->setValue(tw - d->h->width());
    resizeContents(tw, th);
    if (d->h->isHidden()) {
        setMargins(0, 0, 0, 0);
        const QRect vg = viewport()->geometry();
        d->h->setGeometry(vg.x(), vg.y(), visibleWidth(), 1);
    } else {
        const int hh = d->h->sizeHint().height();
        setMargins(0, hh, 0, 0);
        const QRect vg = viewport()->geometry();
        d->h->setGeometry(vg.x(), vg.y() - hh, visibleWidth(), hh);
    }
}

void YMRListView::setContentsPos(int x, int y)
{
    updateGeometries();
    ScrollView::setContentsPos(x, y);
}

void YMRListView::setVisible(bool visible)
{
    if (visible && !isVisible()) {
        reconfigureItems();
        updateGeometries();
    }
    ScrollView::setVisible(visible);
}

void YMRListView::showEvent(QShowEvent *e)
{
    d->drawables.clear();
    d->dirtyItems.clear();
    d->dirtyItemTimer->stop();
    updateGeometries();
    ScrollView::showEvent(e);
}

void YMRListView::resizeEvent(QResizeEvent *e)
{
    ScrollView::resizeEvent(e);
    const QRect vg = viewport()->geometry();
    const int hh = d->h->isHidden() ? 1 : d->h->height();
    d->h->setGeometry(vg.x(), d->h->isHidden() ? vg.y() : vg.y() - topMargin(), visibleWidth(),
                      hh);
    if (d->focusItem)
        ensureItemVisible(d->focusItem);
}

void YMRListView::handleSizeChange(int section, int oldSize, int newSize)
{
    const int oldX = contentsX();
    updateGeometries();
    if (contentsX() != oldX) {
        viewport()->update();
        return;
    }
    const int actual = d->h->mapToActual(section);
    const int dx = newSize - oldSize;
    int left = d->h->cellPos(actual) - contentsX() + d->h->cellSize(actual);
    if (dx > 0)
        left -= dx;
    if (left < visibleWidth())
        viewport()->scroll(dx, 0, QRect(left, 0, visibleWidth() - left, visibleHeight()));
    const int strip = d->ellipsisWidth + 4;
    viewport()->update(QRect(left - strip, 0, strip, visibleHeight()));
    if (columnAlignment(section) != Qt::AlignLeft)
        viewport()->update(QRect(d->h->cellPos(actual) - contentsX(), 0,
                                 d->h->cellSize(actual), visibleHeight()));
}

void YMRListView::ensureItemVisible(const YMRListViewItem *item)
{
    if (!item)
        return;
    for (YMRListViewItem *p = item->parent(); p; p = p->parent()) {
        if (!p->isOpen())
            p->setOpen(true);
    }
    if (d->r->m_totalHeight < 0)
        updateGeometries();
    const int y = itemPos(item);
    const int h = item->height();
    ensureVisible(contentsX(), y + h / 2, 0, h / 2);
}

int YMRListView::itemPos(const YMRListViewItem *item)
{
    return item ? item->itemPos() : 0;
}

QSize YMRListView::sizeHint() const
{
    if (d->sizeHint.isValid() && isVisibleTo(window()))
        return d->sizeHint;
    ensurePolished();
    if (!isVisible() && d->drawables.empty())
        buildDrawableList();
    QSize s;
    s.setWidth(fontMetrics().horizontalAdvance(QStringLiteral("XXXXXXXXXX"))
               + style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this)
               + 2 * frameWidth());
    int h = d->h->sizeHint().height();
    const YMRListViewItem *c = d->r->firstChild();
    while (c && c->height() == 0)
        c = c->firstChild() ? c->firstChild() : c->nextSibling();
    if (c)
        h += 2 * c->height();
    else
        h += 2 * (d->fontMetricsHeight + 2 * d->margin);
    s.setHeight(h);
    d->sizeHint = s;
    return s;
}

QSize YMRListView::minimumSizeHint() const
{
    return QSize(0, 0);
}
