#include "ymrlistboxprivate.h"

#include "qpe/qpeglobal.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include <algorithm>

// ----------------------------------------------------------- older accessors

int YMRListBox::cellWidth(int i) const
{
    if (i != 0)
        Qpe::assertWarning("i==0", ".obj/moc-arm/../../qt/ymrlistbox", __LINE__);
    return maxItemWidth();
}

// -------------------------------------------------------------------- layout

void YMRListBox::setColumnMode(LayoutMode mode)
{
    if (mode != Variable)
        applyLayoutMode(false, mode, 0);
}

void YMRListBox::setColumnMode(int columns)
{
    applyLayoutMode(false, FixedNumber, qMax(1, columns));
}

void YMRListBox::setRowMode(LayoutMode mode)
{
    if (mode != Variable)
        applyLayoutMode(true, mode, 0);
}

void YMRListBox::setRowMode(int rows)
{
    applyLayoutMode(true, FixedNumber, qMax(1, rows));
}

// Rows or columns decide the layout, in a mode and, when given, a fixed number.
void YMRListBox::applyLayoutMode(bool rows, LayoutMode mode, int number)
{
    d->rowModeWins = rows;
    (rows ? d->rowMode : d->columnMode) = mode;
    if (number > 0)
        (rows ? d->numRows : d->numColumns) = number;
    triggerUpdate(true);
}

YMRListBox::LayoutMode YMRListBox::columnMode() const
{
    return d->rowModeWins ? Variable : d->columnMode;
}

YMRListBox::LayoutMode YMRListBox::rowMode() const
{
    return d->rowModeWins ? d->rowMode : Variable;
}

int YMRListBox::laidRows() const
{
    return qMax(1, d->rowPos.size() - 1);
}

int YMRListBox::laidColumns() const
{
    return qMax(1, d->columnPos.size() - 1);
}

int YMRListBox::numColumns() const
{
    if (d->columnMode == FixedNumber && !d->rowModeWins)
        return d->numColumns;
    doLayout();
    return laidColumns();
}

int YMRListBox::numRows() const
{
    if (d->count == 0)
        return 0;
    if (d->rowMode == FixedNumber && d->rowModeWins)
        return d->numRows;
    doLayout();
    return laidRows();
}

void YMRListBox::setVariableWidth(bool on)
{
    if (d->variableWidth == on)
        return;
    d->variableWidth = on;
    triggerUpdate(true);
}

void YMRListBox::setVariableHeight(bool on)
{
    if (d->variableHeight == on)
        return;
    d->variableHeight = on;
    triggerUpdate(true);
}

bool YMRListBox::variableWidth() const { return d->variableWidth; }
bool YMRListBox::variableHeight() const { return d->variableHeight; }

void YMRListBox::triggerUpdate(bool doLayout)
{
    if (doLayout) {
        d->layoutDirty = true;
        d->mustPaintAll = true;
    }
    d->updateTimer->start(0);
}

void YMRListBox::updateItem(YMRListBoxItem *i)
{
    if (!i)
        return;
    i->dirty = true;
    d->updateTimer->start(0);
}

void YMRListBox::updateItem(int index)
{
    if (index >= 0)
        updateItem(item(index));
}

// The viewport that contents of w x h would leave, given the scroll-bar
// policies: the bars take room only when they are shown.
QSize YMRListBox::viewportSizeFor(int w, int h) const
{
    const int fw = 2 * frameWidth();
    const int availW = width() - fw - leftMargin() - rightMargin();
    const int availH = height() - fw - topMargin() - bottomMargin();
    const int ext = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const Qt::ScrollBarPolicy vp = verticalScrollBarPolicy();
    const Qt::ScrollBarPolicy hp = horizontalScrollBarPolicy();
    bool vbar = vp == Qt::ScrollBarAlwaysOn;
    bool hbar = hp == Qt::ScrollBarAlwaysOn;
    for (int pass = 0; pass < 2; ++pass) {
        if (vp == Qt::ScrollBarAsNeeded)
            vbar = h > availH - (hbar ? ext : 0);
        if (hp == Qt::ScrollBarAsNeeded)
            hbar = w > availW - (vbar ? ext : 0);
    }
    return QSize(qMax(0, availW - (vbar ? ext : 0)), qMax(0, availH - (hbar ? ext : 0)));
}

void YMRListBox::tryGeometry(int rows, int columns) const
{
    if (rows < 1)
        rows = 1;
    if (columns < 1)
        columns = 1;
    d->columnPos.fill(0, columns + 1);
    d->rowPos.fill(0, rows + 1);
    int r = 0;
    int c = 0;
    for (YMRListBoxItem *i = d->head; i && c < columns; i = i->n) {
        if (i == d->current) {
            d->currentRow = r;
            d->currentColumn = c;
        }
        d->columnPos[c] = qMax(d->columnPos[c], i->width(this));
        d->rowPos[r] = qMax(d->rowPos[r], i->height(this));
        if (++r == rows) {
            r = 0;
            ++c;
        }
    }
    // Sizes become edges: every size the largest unless variable, then running sums.
    auto toEdges = [](QVector<int> &pos, int n, bool variable) {
        if (!variable) {
            const int m = *std::max_element(pos.begin(), pos.begin() + n);
            std::fill(pos.begin(), pos.begin() + n, m);
        }
        int sum = 0;
        for (int &e : pos) {
            const int size = e;
            e = sum;
            sum += size;
        }
    };
    toEdges(d->columnPos, columns, d->variableWidth);
    toEdges(d->rowPos, rows, d->variableHeight);
}

// Fits as many rows (FitToHeight) or columns (FitToWidth) as the viewport
// holds, fitting again while a scroll bar that appears takes room.
void YMRListBox::fitLayout(int c, bool rows) const
{
    if (c == 0) {
        tryGeometry(1, 1);
        return;
    }
    auto extent = [rows](const QSize &s) { return rows ? s.height() : s.width(); };
    auto edges = [this, rows]() -> const QVector<int> & {
        return rows ? d->rowPos : d->columnPos;
    };
    auto tryCount = [this, c, rows](int n) {
        if (rows)
            tryGeometry(n, (c + n - 1) / n);
        else
            tryGeometry((c + n - 1) / n, n);
    };
    int m = 0;
    for (YMRListBoxItem *i = d->head; i; i = i->n)
        m = qMax(m, rows ? i->height(this) : i->width(this));
    m = qMax(m, 1);
    const bool variable = rows ? d->variableHeight : d->variableWidth;
    int room = extent(viewportSizeFor(1, 1));
    // Each pass can only shrink the room; a few passes settle it.
    for (int pass = 0; pass < 8; ++pass) {
        int n = qBound(1, room / m, c);
        if (variable && n < c) {
            int trial = n + 1;
            for (; trial <= c; ++trial) {
                tryCount(trial);
                if (edges().last() > room)
                    break;
            }
            n = trial - 1;
        }
        tryCount(n);
        room = qMin(room, extent(viewportSizeFor(d->columnPos.last(), d->rowPos.last())));
        if (edges().size() < 3 || room >= edges().last())
            break;
    }
}

void YMRListBox::doLayout() const
{
    if (!d->layoutDirty || d->resizeTimer->isActive())
        return;
    if (!d->polished) {
        d->polished = true;
        ensurePolished();
    }
    const int c = d->count;
    switch (rowMode()) {
    case FixedNumber:
        tryGeometry(d->numRows, (c + d->numRows - 1) / d->numRows);
        break;
    case FitToHeight:
        fitLayout(c, true);
        break;
    case Variable:
        if (columnMode() == FixedNumber)
            tryGeometry((c + d->numColumns - 1) / d->numColumns, d->numColumns);
        else
            fitLayout(c, false);
        break;
    }
    d->layoutDirty = false;

    int w = d->columnPos.last();
    int h = d->rowPos.last();
    const QSize vs = viewportSizeFor(w, h);
    w = qMax(w, vs.width());
    h = qMax(h, vs.height());
    d->columnPosOne = d->columnPos[1];
    if (columnMode() == FixedNumber && d->columnPos.size() == 2 && d->columnPos[1] < w)
        d->columnPos[1] = w;
    auto *self = const_cast<YMRListBox *>(this);
    self->resizeContents(w, h);
}

int YMRListBox::columnAt(int x) const
{
    if (x < 0)
        return 0;
    doLayout();
    const int n = d->columnPos.size() - 1;
    if (n < 1)
        return 0;
    if (x < d->columnPos[n]) {
        for (int c = 0; c < n; ++c) {
            if (x <= d->columnPos[c + 1])
                return c;
        }
    }
    return n - 1;
}

int YMRListBox::rowAt(int y) const
{
    if (y < 0)
        return 0;
    doLayout();
    const int rows = d->rowPos.size() - 1;
    if (rows < 1)
        return 0;
    int low = 0;
    int high = rows - 1;
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        if (y < d->rowPos[middle])
            high = middle - 1;
        else
            low = middle;
    }
    if (d->rowPos[low] <= y && y <= d->rowPos[low + 1])
        return low;
    // Below the last row: the last row, never an index past the grid.
    return rows - 1;
}

int YMRListBox::itemHeight(int index) const
{
    if (index < 0 || index >= d->count)
        return 0;
    doLayout();
    const int r = index % laidRows();
    if (r + 1 >= d->rowPos.size())
        return 0;
    return d->rowPos[r + 1] - d->rowPos[r];
}

int YMRListBox::maxItemWidth() const
{
    doLayout();
    int m = 0;
    for (int x : d->columnPos)
        m = qMax(m, x);
    return m;
}

QRect YMRListBox::cellRect(int row, int column) const
{
    return QRect(d->columnPos[column] - contentsX(), d->rowPos[row] - contentsY(),
                 d->columnPos[column + 1] - d->columnPos[column],
                 d->rowPos[row + 1] - d->rowPos[row]);
}

YMRListBoxItem *YMRListBox::itemAt(const QPoint &p) const
{
    doLayout();
    if (d->rowPos.size() < 2)
        return nullptr;
    const int x = p.x() + contentsX();
    const int y = p.y() + contentsY();
    if (y > d->rowPos.last())
        return nullptr;
    const int col = columnAt(x);
    const int row = rowAt(y);
    YMRListBoxItem *i = item(col * laidRows() + row);
    if (!i)
        return nullptr;
    if (laidColumns() > 1) {
        if (x > d->columnPos[col] + i->width(this))
            return nullptr;
    } else if (x > d->columnPos[col + 1]) {
        return nullptr;
    }
    return i;
}

// The laid-out cell of the item at an index; false when it has none.
bool YMRListBox::cellOf(int index, int *row, int *col) const
{
    if (index < 0)
        return false;
    doLayout();
    const int rows = laidRows();
    *col = index / rows;
    *row = index % rows;
    return *col + 1 < d->columnPos.size() && *row + 1 < d->rowPos.size();
}

QRect YMRListBox::itemRect(YMRListBoxItem *i) const
{
    if (!i || d->resizeTimer->isActive())
        return QRect(0, 0, -1, -1);
    int row, col;
    if (!cellOf(index(i), &row, &col))
        return QRect(0, 0, -1, -1);
    const QRect r = cellRect(row, col);
    if (!r.intersects(QRect(0, 0, visibleWidth(), visibleHeight())))
        return QRect(0, 0, -1, -1);
    return r;
}

bool YMRListBox::itemVisible(int index)
{
    return itemVisible(item(index));
}

bool YMRListBox::itemVisible(const YMRListBoxItem *i)
{
    int row, col;
    return cellOf(index(i), &row, &col)
           && cellRect(row, col).intersects(QRect(0, 0, visibleWidth(), visibleHeight()));
}

int YMRListBox::numItemsVisible() const
{
    doLayout();
    const int ncols = laidColumns();
    const int nrows = laidRows();
    auto count = [](const QVector<int> &pos, int n, int start, int extent) {
        int i = 0;
        while (i < n && pos[i] < start)
            ++i;
        int k = (i < n && pos[i] > start) ? 1 : 0;
        for (; i < n && pos[i] < start + extent; ++i)
            ++k;
        return k;
    };
    if (d->columnPos.size() < 2 || d->rowPos.size() < 2)
        return 0;
    return count(d->columnPos, ncols, contentsX(), visibleWidth())
           * count(d->rowPos, nrows, contentsY(), visibleHeight());
}

int YMRListBox::topItem() const
{
    doLayout();
    if (d->count == 0 || d->columnPos.size() < 2)
        return 0;
    const int ncols = laidColumns();
    const int nrows = laidRows();
    int col = 0;
    while (col < ncols - 1 && d->columnPos[col] < contentsX())
        ++col;
    if (d->columnPos[col + 1] > contentsX() + visibleWidth() && col > 0
        && d->columnPos[col] >= contentsX() + visibleWidth() / 2)
        --col;
    int row = 0;
    while (row < nrows - 1 && d->rowPos[row] < contentsY())
        ++row;
    return qMin(col * nrows + row, d->count - 1);
}

void YMRListBox::setTopItem(int index)
{
    scrollToItem(index, false);
}

void YMRListBox::setBottomItem(int index)
{
    scrollToItem(index, true);
}

// Brings the item's row to the top (or its bottom to the bottom) of the
// visible area; its column only when it is not wholly visible already.
void YMRListBox::scrollToItem(int index, bool bottom)
{
    if (index < 0 || index >= d->count)
        return;
    doLayout();
    const int rows = laidRows();
    const int col = index / rows;
    const int row = index - col * rows;
    int x = contentsX();
    if (!(d->columnPos[col] >= contentsX()
          && d->columnPos[col + 1] <= contentsX() + visibleWidth()))
        x = d->columnPos[col];
    setContentsPos(x, bottom ? qMax(0, d->rowPos[row + 1] - visibleHeight()) : d->rowPos[row]);
}

void YMRListBox::ensureCurrentVisible()
{
    if (!d->current)
        return;
    doLayout();
    const int row = currentRow();
    const int column = currentColumn();
    if (row < 0 || column < 0 || column + 1 >= d->columnPos.size()
        || row + 1 >= d->rowPos.size())
        return;
    int hw = laidColumns() == 1 ? 0 : (d->columnPos[column + 1] - d->columnPos[column]) / 2;
    const int hh = (d->rowPos[row + 1] - d->rowPos[row]) / 2;
    if (hw > visibleWidth() / 2)
        hw = visibleWidth() / 2;
    ensureVisible(d->columnPos[column] + hw, d->rowPos[row] + hh, hw, hh);
}

void YMRListBox::setFont(const QFont &font)
{
    d->cachedSizeHint = QSize(-1, -1);
    ScrollView::setFont(font);
    triggerUpdate(true);
}

void YMRListBox::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::FontChange) {
        d->cachedSizeHint = QSize(-1, -1);
        triggerUpdate(true);
    }
    ScrollView::changeEvent(e);
}

QSize YMRListBox::sizeHint() const
{
    if (isVisible() && sizeStored(d->cachedSizeHint))
        return d->cachedSizeHint;
    doLayout();
    const int fw = frameWidth();
    int i = 0;
    const int ncols = d->columnPos.size() - 1;
    while (i < ncols && i < 10 && d->columnPos[i] < 170)
        ++i;
    const int w = qMax(40, qMin(d->columnPos.value(i), 170));
    int j = 0;
    const int nrows = d->rowPos.size() - 1;
    while (j < nrows && j < 10 && d->rowPos[j] < 170)
        ++j;
    const int h = qMax(40, qMin(d->rowPos.value(j), 170));
    d->cachedSizeHint = QSize(w, h + 2 * fw);
    return d->cachedSizeHint;
}

QSize YMRListBox::minimumSizeHint() const
{
    if (isVisible() && sizeStored(d->cachedMinimumSizeHint))
        return d->cachedMinimumSizeHint;
    doLayout();
    const int fw = frameWidth();
    const int first = d->rowPos.size() > 1 ? d->rowPos[1] - d->rowPos[0] : 0;
    const int w = verticalScrollBar()->sizeHint().width() + 2 * fw + 40;
    const int h = first + horizontalScrollBar()->sizeHint().height() + 2 * fw;
    d->cachedMinimumSizeHint = QSize(qMax(w, 10), qMax(h, 10));
    return d->cachedMinimumSizeHint;
}

// ------------------------------------------------------------------ painting

// The viewport's mouse events reach the list box's own handlers in viewport
// coordinates, as the geometry queries expect.
bool YMRListBox::viewportEvent(QEvent *e)
{
    switch (e->type()) {
    case QEvent::MouseButtonPress:
        mousePressEvent(static_cast<QMouseEvent *>(e));
        return true;
    case QEvent::MouseButtonRelease:
        mouseReleaseEvent(static_cast<QMouseEvent *>(e));
        return true;
    case QEvent::MouseButtonDblClick:
        mouseDoubleClickEvent(static_cast<QMouseEvent *>(e));
        return true;
    case QEvent::MouseMove:
        mouseMoveEvent(static_cast<QMouseEvent *>(e));
        return true;
    default:
        return ScrollView::viewportEvent(e);
    }
}

void YMRListBox::viewportPaintEvent(QPaintEvent *e)
{
    doLayout();
    QWidget *vp = viewport();
    QPainter p(vp);
    p.setPen(palette().color(QPalette::Text));
    p.setBackground(palette().brush(QPalette::Base));
    QRegion r = e->region();

    const int ncols = laidColumns();
    const int nrows = laidRows();
    if (d->columnPos.size() >= 2 && d->rowPos.size() >= 2) {
        int col = columnAt(contentsX());
        const int top = rowAt(contentsY());
        YMRListBoxItem *i = item(col * nrows + top);
        while (i && col < ncols && d->columnPos[col] < contentsX() + visibleWidth()) {
            int row = top;
            while (i && row < nrows && d->rowPos[row] < contentsY() + visibleHeight()) {
                const QRect cell = cellRect(row, col);
                const QRegion part = r.intersected(cell);
                if (!part.isEmpty()) {
                    p.save();
                    p.setClipRegion(part);
                    p.translate(cell.topLeft());
                    paintCell(&p, row, col);
                    p.restore();
                    r -= part;
                    if (part == QRegion(cell))
                        i->dirty = false;
                }
                i = i->n;
                ++row;
            }
            // Skip the rest of this column, then down to the top row of the next.
            while (i && row < nrows) {
                i = i->n;
                ++row;
            }
            ++col;
            for (int k = 0; i && k < top; ++k)
                i = i->n;
        }
    }
    if (!r.isEmpty()) {
        p.setClipRegion(r);
        p.fillRect(vp->rect(), palette().brush(QPalette::Base));
        p.setClipping(false);
    }
    if (d->rubber) {
        const QRect n = d->rubber->normalized();
        if (n.width() != 0 || n.height() != 0) {
            QStyleOptionFocusRect o;
            o.initFrom(vp);
            o.palette = palette();
            o.rect = n;
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &o, &p, this);
        }
    }
}

void YMRListBox::paintCell(QPainter *p, int row, int column)
{
    const int cw = d->columnPos[column + 1] - d->columnPos[column];
    const int ch = d->rowPos[row + 1] - d->rowPos[row];
    YMRListBoxItem *i = item(column * laidRows() + row);
    if (!i)
        return;
    p->save();
    const QPalette &pal = palette();
    const bool several = laidColumns() > 1;
    if (i->s) {
        if (i->customHighlight)
            p->fillRect(0, 0, cw, ch, pal.brush(QPalette::Base));
        else if (!several)
            p->fillRect(0, 0, cw, ch, pal.brush(QPalette::Highlight));
        else {
            const int iw = i->width(this);
            p->fillRect(0, 0, iw, ch, pal.brush(QPalette::Highlight));
            p->fillRect(iw, 0, cw - iw + 1, ch, pal.brush(QPalette::Base));
        }
        p->setPen(pal.color(QPalette::HighlightedText));
        p->setBackground(pal.brush(QPalette::Highlight));
    } else {
        p->fillRect(0, 0, cw, ch, pal.brush(QPalette::Base));
        if (!i->isSelectable())
            p->setPen(pal.color(QPalette::Disabled, QPalette::Text));
    }
    i->paint(p);
    if (i == d->current && hasFocus() && !i->customHighlight) {
        QStyleOptionFocusRect o;
        o.initFrom(this);
        o.rect = QRect(0, 0, several ? i->width(this) : cw, ch);
        o.backgroundColor = pal.color(i->s ? QPalette::Highlight : QPalette::Base);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &o, p, this);
    }
    p->restore();
}

void YMRListBox::refreshSlot()
{
    QWidget *vp = viewport();
    if (d->mustPaintAll || d->layoutDirty) {
        d->mustPaintAll = false;
        doLayout();
        if (hasFocus() && d->currentRow >= 0 && d->currentColumn >= 0 && d->current) {
            const int row = d->currentRow;
            const int col = d->currentColumn;
            if (col + 1 < d->columnPos.size() && row + 1 < d->rowPos.size()) {
                const QRect cell = cellRect(row, col);
                if (!QRect(0, 0, visibleWidth(), visibleHeight()).contains(cell))
                    ensureCurrentVisible();
            }
        }
        vp->update();
        return;
    }
    QRegion r;
    const int ncols = laidColumns();
    const int nrows = laidRows();
    if (d->columnPos.size() >= 2 && d->rowPos.size() >= 2) {
        int col = 0;
        while (col < ncols && d->columnPos[col + 1] < contentsX())
            ++col;
        int top = 0;
        while (top < nrows && d->rowPos[top + 1] < contentsY())
            ++top;
        for (; col < ncols && d->columnPos[col] < contentsX() + visibleWidth(); ++col) {
            for (int row = top; row < nrows && d->rowPos[row] < contentsY() + visibleHeight();
                 ++row) {
                YMRListBoxItem *i = item(col * nrows + row);
                if (!i)
                    break;
                if (i->dirty)
                    r += cellRect(row, col);
            }
        }
    }
    if (r.isEmpty())
        vp->update();
    else
        vp->update(r);
}

void YMRListBox::resizeEvent(QResizeEvent *e)
{
    d->layoutDirty = d->layoutDirty || rowMode() == FitToHeight || columnMode() == FitToWidth;
    if (!d->layoutDirty && columnMode() == FixedNumber && d->numColumns == 1
        && d->columnPos.size() == 2) {
        int w = d->columnPosOne;
        w = qMax(w, viewportSizeFor(w, contentsHeight()).width());
        d->columnPos[1] = qMax(w, d->columnPosOne);
        resizeContents(d->columnPos[1], contentsHeight());
    }
    d->resizeTimer->stop();
    if (d->rowMode == FixedNumber && d->columnMode == FixedNumber) {
        doLayout();
        ScrollView::resizeEvent(e);
        ensureCurrentVisible();
        if (d->current)
            viewport()->update();
    } else if ((d->rowMode != FitToHeight && d->columnMode != FitToWidth) || isVisible()) {
        if (!d->layoutDirty) {
            ScrollView::resizeEvent(e);
        } else {
            d->resizeTimer->start(100);
            if (e->oldSize().isValid())
                resizeContents(contentsWidth() - (e->oldSize().width() - e->size().width()),
                           contentsHeight() - (e->oldSize().height() - e->size().height()));
            ScrollView::resizeEvent(e);
        }
    } else {
        ScrollView::resizeEvent(e);
    }
}

void YMRListBox::adjustItems()
{
    triggerUpdate(true);
    ensureCurrentVisible();
}

void YMRListBox::showEvent(QShowEvent *e)
{
    d->ignoreMoves = false;
    d->mousePressRow = -1;
    d->mousePressColumn = -1;
    d->mustPaintAll = false;
    ensureCurrentVisible();
    ScrollView::showEvent(e);
}
