#include "ymrlistbox.h"

#include "qpe/qpeglobal.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHash>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QTimer>
#include <QVector>

#include <algorithm>

static const char listBoxSource[] = "qt/ymrlistbox";

class YMRListBoxPrivate
{
public:
    explicit YMRListBoxPrivate(YMRListBox *lb) : listBox(lb) {}
    ~YMRListBoxPrivate()
    {
        if (head)
            listBox->assertWarning("!head", __LINE__);
        delete rubber;
    }

    YMRListBoxItem *head = nullptr;
    YMRListBoxItem *last = nullptr;
    mutable YMRListBoxItem *cache = nullptr;
    mutable int cacheIndex = -1;
    YMRListBoxItem *current = nullptr;
    YMRListBoxItem *highlighted = nullptr;
    YMRListBoxItem *tmpCurrent = nullptr;
    mutable bool layoutDirty = true;
    bool mustPaintAll = true;
    bool variableHeight = true;
    bool variableWidth = false;
    mutable QVector<int> columnPos;
    mutable QVector<int> rowPos;
    mutable int columnPosOne = 0;
    bool rowModeWins = false;
    YMRListBox::LayoutMode rowMode = YMRListBox::FixedNumber;
    YMRListBox::LayoutMode columnMode = YMRListBox::FixedNumber;
    int numRows = 1;
    int numColumns = 1;
    mutable int currentRow = 0;
    mutable int currentColumn = 0;
    int mousePressRow = -1;
    int mousePressColumn = -1;
    int mouseMoveRow = -1;
    int mouseMoveColumn = -1;
    QTimer *scrollTimer = nullptr;
    QTimer *updateTimer = nullptr;
    QTimer *visibleTimer = nullptr;
    QTimer *resizeTimer = nullptr;
    QPoint scrollPos;
    YMRListBox::SelectionMode selectionMode = YMRListBox::Single;
    int count = 0;
    bool ignoreMoves = false;
    bool clearing = false;
    YMRListBox *listBox;
    QString currInputString;
    QTimer *inputTimer = nullptr;
    YMRListBoxItem *pressedItem = nullptr;
    YMRListBoxItem *selectAnchor = nullptr;
    bool select = false;
    bool pressedSelected = false;
    QRect *rubber = nullptr;
    QHash<const YMRListBoxItem *, bool> selectable;
    mutable QSize cachedSizeHint = QSize(-1, -1);
    mutable QSize cachedMinimumSizeHint = QSize(-1, -1);
    mutable bool polished = false;
};

static bool sizeStored(const QSize &s)
{
    return s.width() >= 0 && s.height() >= 0;
}

YMRListBox::YMRListBox(QWidget *parent, const char *name, Qt::WindowFlags f)
    : ScrollView(parent, name, f)
{
    d = new YMRListBoxPrivate(this);
    setAttribute(Qt::WA_StaticContents);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);

    d->updateTimer = new QTimer(this);
    d->updateTimer->setObjectName(QStringLiteral("listbox update timer"));
    d->updateTimer->setSingleShot(true);
    d->visibleTimer = new QTimer(this);
    d->visibleTimer->setObjectName(QStringLiteral("listbox visible timer"));
    d->visibleTimer->setSingleShot(true);
    d->inputTimer = new QTimer(this);
    d->inputTimer->setObjectName(QStringLiteral("listbox input timer"));
    d->inputTimer->setSingleShot(true);
    d->resizeTimer = new QTimer(this);
    d->resizeTimer->setObjectName(QStringLiteral("listbox resize timer"));
    d->resizeTimer->setSingleShot(true);
    connect(d->updateTimer, &QTimer::timeout, this, &YMRListBox::refreshSlot);
    connect(d->visibleTimer, &QTimer::timeout, this, &YMRListBox::ensureCurrentVisible);
    connect(d->inputTimer, &QTimer::timeout, this, &YMRListBox::clearInputString);
    connect(d->resizeTimer, &QTimer::timeout, this, &YMRListBox::adjustItems);

    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setFocusProxy(this);
    setFocusPolicy(Qt::WheelFocus);
}

YMRListBox::~YMRListBox()
{
    clear();
    delete d;
    d = nullptr;
}

void YMRListBox::assertWarning(const char *cond, int line) const
{
    Qpe::assertWarning(cond, listBoxSource, line);
}

void YMRListBox::emitHighlightGroup(YMRListBoxItem *i)
{
    emit highlighted(i);
    if (i && !i->text().isNull())
        emit highlighted(i->text());
    emit highlighted(index(i));
    emit currentChanged(i);
}

// ---------------------------------------------------------------- item store

uint YMRListBox::count() const
{
    return uint(d->count);
}

void YMRListBox::adopt(YMRListBoxItem *item)
{
    d->count++;
    d->cache = nullptr;
    item->lbox = this;
}

void YMRListBox::linkFirst(YMRListBoxItem *item)
{
    item->p = nullptr;
    item->n = d->head;
    if (d->head)
        d->head->p = item;
    else
        d->last = item;
    d->head = item;
    item->dirty = true;
}

// A box with focus always has a current item once it has items.
void YMRListBox::inserted()
{
    if (hasFocus() && !d->current) {
        d->current = d->head;
        updateItem(d->current);
        emitHighlightGroup(d->current);
    }
    triggerUpdate(true);
}

void YMRListBox::insertItem(const YMRListBoxItem *lbi, int index)
{
    if (!lbi) {
        assertWarning("lbi != 0", __LINE__);
        return;
    }
    auto *item = const_cast<YMRListBoxItem *>(lbi);
    // An item lives in one box at a time; linking it twice corrupts both lists.
    if (item->lbox)
        return;
    if (index < 0)
        index = d->count;
    if (index >= d->count) {
        insertItem(lbi, d->last);
        return;
    }

    adopt(item);
    if (index == 0 || !d->head) {
        linkFirst(item);
    } else {
        YMRListBoxItem *i = d->head;
        while (i->n && index > 1) {
            i = i->n;
            index--;
        }
        item->n = i->n;
        item->p = i;
        if (i->n)
            i->n->p = item;
        else
            d->last = item;
        i->n = item;
    }

    inserted();
}

void YMRListBox::insertItem(const YMRListBoxItem *lbi, const YMRListBoxItem *after)
{
    if (!lbi) {
        assertWarning("lbi != 0", __LINE__);
        return;
    }
    auto *item = const_cast<YMRListBoxItem *>(lbi);
    if (item->lbox)
        return;
    auto *a = const_cast<YMRListBoxItem *>(after);
    if (a && a->lbox != this)
        a = nullptr;

    adopt(item);
    if (!a || !d->head) {
        linkFirst(item);
    } else {
        item->n = a->n;
        item->p = a;
        if (a->n)
            a->n->p = item;
        a->n = item;
        if (a == d->last)
            d->last = item;
    }

    inserted();
}

void YMRListBox::insertItem(const QString &text, int index)
{
    insertItem(new YMRListBoxText(text), index);
}

void YMRListBox::insertItem(const QPixmap &pixmap, int index)
{
    insertItem(new YMRListBoxPixmap(pixmap), index);
}

void YMRListBox::insertItem(const QPixmap &pixmap, const QString &text, int index)
{
    insertItem(new YMRListBoxPixmap(pixmap, text), index);
}

void YMRListBox::insertStringList(const QStringList &list, int index)
{
    if (index < 0)
        index = d->count;
    for (const QString &s : list)
        insertItem(new YMRListBoxText(s), index++);
}

void YMRListBox::insertStrList(const QList<QByteArray> *list, int index)
{
    if (!list) {
        assertWarning("list != 0", __LINE__);
        return;
    }
    insertStrList(*list, index);
}

void YMRListBox::insertStrList(const QList<QByteArray> &list, int index)
{
    if (index < 0)
        index = d->count;
    for (const QByteArray &s : list)
        insertItem(new YMRListBoxText(QString::fromLatin1(s)), index++);
}

void YMRListBox::insertStrList(const char **strings, int numStrings, int index)
{
    if (!strings) {
        assertWarning("strings != 0", __LINE__);
        return;
    }
    if (index < 0)
        index = d->count;
    for (int i = 0; numStrings < 0 ? strings[i] != nullptr : i < numStrings; ++i)
        insertItem(new YMRListBoxText(QString::fromLatin1(strings[i])), index++);
}

void YMRListBox::inSort(const YMRListBoxItem *lbi)
{
    if (!lbi)
        return;
    const QString t = lbi->text();
    int i = 0;
    for (YMRListBoxItem *it = d->head; it && it->text() < t; it = it->n)
        ++i;
    insertItem(lbi, i);
}

void YMRListBox::inSort(const QString &text)
{
    inSort(new YMRListBoxText(text));
}

void YMRListBox::removeItem(int index)
{
    YMRListBoxItem *i = item(index);
    if (!i)
        return;
    delete i;
    triggerUpdate(true);
}

void YMRListBox::forgetItemPointers(const YMRListBoxItem *item)
{
    if (d->highlighted == item)
        d->highlighted = nullptr;
    if (d->pressedItem == item)
        d->pressedItem = nullptr;
    if (d->tmpCurrent == item)
        d->tmpCurrent = nullptr;
    d->selectable.remove(item);
}

void YMRListBox::takeItem(const YMRListBoxItem *lbi)
{
    if (!lbi || d->clearing)
        return;
    auto *item = const_cast<YMRListBoxItem *>(lbi);
    // Only this box's own items can be unlinked from it.
    if (item->lbox != this)
        return;

    d->cache = nullptr;
    d->count--;
    if (item == d->last)
        d->last = item->p;
    if (item->p)
        item->p->n = item->n;
    if (item->n)
        item->n->p = item->p;
    if (item == d->head) {
        d->head = item->n;
        d->currentRow = -1;
        d->currentColumn = -1;
    }
    if (item == d->current) {
        d->current = item->n ? item->n : item->p;
        emitHighlightGroup(d->current);
    }
    if (item == d->selectAnchor)
        d->selectAnchor = d->current;
    forgetItemPointers(item);
    const bool wasSelected = item->s;
    item->lbox = nullptr;
    item->p = nullptr;
    item->n = nullptr;
    if (wasSelected)
        emit selectionChanged();
    triggerUpdate(true);
}

void YMRListBox::clear()
{
    const bool blocked = blockSignals(true);
    d->clearing = true;
    d->current = nullptr;
    YMRListBoxItem *i = d->head;
    d->head = nullptr;
    while (i) {
        YMRListBoxItem *n = i->n;
        i->lbox = nullptr;
        i->p = i->n = nullptr;
        delete i;
        i = n;
    }
    d->count = 0;
    d->cache = nullptr;
    d->numRows = 1;
    d->numColumns = 1;
    d->currentRow = 0;
    d->currentColumn = 0;
    d->mousePressRow = d->mousePressColumn = -1;
    d->mouseMoveRow = d->mouseMoveColumn = -1;
    d->highlighted = d->pressedItem = d->tmpCurrent = d->selectAnchor = nullptr;
    d->selectable.clear();
    clearSelection();
    blockSignals(blocked);
    triggerUpdate(true);
    d->last = nullptr;
    d->clearing = false;
}

void YMRListBox::changeItem(const YMRListBoxItem *lbi, int index)
{
    if (!lbi || index < 0 || index >= d->count)
        return;
    // Replacing an item by itself would delete it first.
    if (item(index) == lbi || lbi->lbox)
        return;
    removeItem(index);
    insertItem(lbi, index);
    setCurrentItem(index);
}

void YMRListBox::changeItem(const QString &text, int index)
{
    if (index >= 0 && index < d->count)
        changeItem(new YMRListBoxText(text), index);
}

void YMRListBox::changeItem(const QPixmap &pixmap, int index)
{
    if (index >= 0 && index < d->count)
        changeItem(new YMRListBoxPixmap(pixmap), index);
}

void YMRListBox::changeItem(const QPixmap &pixmap, const QString &text, int index)
{
    if (index >= 0 && index < d->count)
        changeItem(new YMRListBoxPixmap(pixmap, text), index);
}

void YMRListBox::sort(bool ascending)
{
    if (d->count == 0)
        return;
    d->cache = nullptr;
    QVector<YMRListBoxItem *> items;
    items.reserve(d->count);
    for (YMRListBoxItem *i = d->head; i; i = i->n)
        items.append(i);
    std::stable_sort(items.begin(), items.end(),
                     [](YMRListBoxItem *a, YMRListBoxItem *b) { return a->text() < b->text(); });
    if (!ascending)
        std::reverse(items.begin(), items.end());
    YMRListBoxItem *prev = nullptr;
    for (YMRListBoxItem *i : items) {
        i->p = prev;
        i->n = nullptr;
        if (prev)
            prev->n = i;
        i->dirty = true;
        prev = i;
    }
    d->head = items.first();
    d->last = items.last();
    setContentsPos(0, contentsHeight() - visibleHeight());
    setContentsPos(0, 0);
    triggerUpdate(true);
}

// ------------------------------------------------------------------ lookup

YMRListBoxItem *YMRListBox::item(int index) const
{
    if (index < 0 || index > d->count - 1)
        return nullptr;
    YMRListBoxItem *i;
    int idx;
    if (d->cache && index > 0) {
        i = d->cache;
        idx = d->cacheIndex;
        while (i && idx < index) {
            i = i->n;
            idx++;
        }
        while (i && idx > index) {
            i = i->p;
            idx--;
        }
    } else {
        i = d->head;
        idx = 0;
        while (i && idx < index) {
            i = i->n;
            idx++;
        }
    }
    if (i && index > 0) {
        d->cache = i;
        d->cacheIndex = index;
    }
    return i;
}

int YMRListBox::index(const YMRListBoxItem *lbi) const
{
    if (!lbi || lbi->lbox != this)
        return -1;
    int c = 0;
    for (YMRListBoxItem *i = d->head; i; i = i->n, ++c) {
        if (i == lbi)
            return c;
    }
    return -1;
}

YMRListBoxItem *YMRListBox::firstItem() const
{
    return d->head;
}

QString YMRListBox::text(int index) const
{
    YMRListBoxItem *i = item(index);
    return i ? i->text() : QString();
}

const QPixmap *YMRListBox::pixmap(int index) const
{
    YMRListBoxItem *i = item(index);
    return i ? i->pixmap() : nullptr;
}

bool YMRListBox::itemYPos(int index, int *yPos) const
{
    YMRListBoxItem *i = item(index);
    if (!i)
        return false;
    if (yPos)
        *yPos = i->y;
    return true;
}

void YMRListBox::setItemSelectable(const YMRListBoxItem *item, bool on)
{
    d->selectable.insert(item, on);
}

bool YMRListBox::itemSelectable(const YMRListBoxItem *item) const
{
    return d->selectable.value(item, true);
}

// ------------------------------------------------------------- current item

int YMRListBox::currentItem() const
{
    if (!d->current || !d->head)
        return -1;
    return index(d->current);
}

void YMRListBox::setCurrentItem(int index)
{
    setCurrentItem(item(index));
}

void YMRListBox::setCurrentItem(YMRListBoxItem *i)
{
    if (!i || d->current == i || i->lbox != this)
        return;
    YMRListBoxItem *o = d->current;
    d->current = i;
    const int ind = index(i);

    if (d->selectionMode == Single) {
        bool changed = false;
        if (o && o->s) {
            changed = true;
            o->s = false;
            updateItem(o);
        }
        if (!i->s && i->isSelectable()) {
            changed = true;
            i->s = true;
            emit selectionChanged(i);
        }
        if (changed)
            emit selectionChanged();
    }

    placeCurrent(ind);
    if (o)
        updateItem(o);
    updateItem(i);
    d->visibleTimer->start(1);
    emitHighlightGroup(i);
}

void YMRListBox::placeCurrent(int index)
{
    const int rows = numRows();
    if (rows > 0) {
        d->currentColumn = index / rows;
        d->currentRow = index % rows;
    }
}

int YMRListBox::currentRow() const
{
    return currentCell(true);
}

int YMRListBox::currentColumn() const
{
    return currentCell(false);
}

// A cell not known yet (below 0) is found by laying out again.
int YMRListBox::currentCell(bool row) const
{
    if (!d->current)
        return -1;
    const int &cell = row ? d->currentRow : d->currentColumn;
    if (cell < 0)
        d->layoutDirty = true;
    if (d->layoutDirty)
        doLayout();
    return cell;
}

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

// ----------------------------------------------------------------- selection

void YMRListBox::setSelectionMode(SelectionMode mode)
{
    if (d->selectionMode == mode)
        return;
    d->selectionMode = mode;
    triggerUpdate(true);
}

YMRListBox::SelectionMode YMRListBox::selectionMode() const
{
    return d->selectionMode;
}

void YMRListBox::setMultiSelection(bool on)
{
    setSelectionMode(on ? Multi : Single);
}

bool YMRListBox::isMultiSelection() const
{
    return d->selectionMode == Multi || d->selectionMode == Extended;
}

void YMRListBox::setSelected(YMRListBoxItem *i, bool select)
{
    if (!i || i->lbox != this || !i->isSelectable() || bool(i->s) == select
        || d->selectionMode == NoSelection)
        return;
    bool currentMoved = false;
    if (d->selectionMode == Single && d->current != i) {
        YMRListBoxItem *o = d->current;
        if (o && o->s)
            o->s = false;
        d->current = i;
        placeCurrent(index(i));
        if (o)
            updateItem(o);
        currentMoved = true;
    }
    i->s = select;
    updateItem(i);
    if (d->selectionMode == Single && select)
        emit selectionChanged(i);
    emit selectionChanged();
    if (currentMoved)
        emitHighlightGroup(i);
}

void YMRListBox::setSelected(int index, bool select)
{
    setSelected(item(index), select);
}

bool YMRListBox::isSelected(int index) const
{
    if (d->selectionMode == Single)
        return index >= 0 && index == currentItem();
    YMRListBoxItem *i = item(index);
    return i && i->s;
}

bool YMRListBox::isSelected(const YMRListBoxItem *i) const
{
    return i && i->s;
}

void YMRListBox::clearSelection()
{
    selectAll(false);
}

void YMRListBox::selectAll(bool select)
{
    if (d->selectionMode == Multi || d->selectionMode == Extended) {
        const bool blocked = blockSignals(true);
        for (int i = 0; i < d->count; ++i)
            setSelected(i, select);
        blockSignals(blocked);
        emit selectionChanged();
    } else if (d->current) {
        setSelected(d->current, select);
    }
}

void YMRListBox::invertSelection()
{
    if (d->selectionMode != Multi && d->selectionMode != Extended)
        return;
    const bool blocked = blockSignals(true);
    for (YMRListBoxItem *i = d->head; i; i = i->n)
        setSelected(i, !i->s);
    blockSignals(blocked);
    emit selectionChanged();
}

void YMRListBox::toggleCurrentItem()
{
    if ((d->selectionMode != Multi && d->selectionMode != Extended) || !d->current)
        return;
    if (d->current->s || d->current->isSelectable()) {
        d->current->s = !d->current->s;
        emit selectionChanged();
    }
    updateItem(d->current);
}

void YMRListBox::selectRange(YMRListBoxItem *from, YMRListBoxItem *to, bool invert,
                             bool includeFirst, bool clearOthers)
{
    if (!from || !to)
        return;
    const int f = index(from);
    const int t = index(to);
    if (f < 0 || t < 0)
        return;
    int first;
    int lastIdx;
    if (t < f) {
        first = t;
        lastIdx = includeFirst ? f : f - 1;
    } else {
        first = includeFirst ? f : f + 1;
        lastIdx = t;
    }
    bool changed = false;
    int k = 0;
    for (YMRListBoxItem *i = d->head; i; i = i->n, ++k) {
        if (k < first || k > lastIdx) {
            if (clearOthers && i->s) {
                i->s = false;
                updateItem(i);
                changed = true;
            }
            continue;
        }
        if (!invert) {
            if (!i->s && i->isSelectable()) {
                i->s = true;
                updateItem(i);
                changed = true;
            }
        } else if (i->s) {
            i->s = false;
            updateItem(i);
            changed = true;
        } else if (i->isSelectable()) {
            i->s = true;
            updateItem(i);
            changed = true;
        }
    }
    if (changed)
        emit selectionChanged();
}

void YMRListBox::handleItemChange(YMRListBoxItem *old, bool shift, bool control)
{
    if (d->selectionMode == Extended) {
        if (control)
            return;
        if (shift) {
            selectRange(d->selectAnchor ? d->selectAnchor : old, d->current, false, true,
                        d->selectAnchor != nullptr);
        } else {
            clearSelectionBits();
            setSelected(d->current, true);
        }
    } else if (d->selectionMode == Multi && shift) {
        selectRange(old, d->current, true, false);
    }
}

// Clears every selected bit without a signal; the caller reports the batch.
void YMRListBox::clearSelectionBits()
{
    for (YMRListBoxItem *i = d->head; i; i = i->n) {
        if (i->s) {
            i->s = false;
            updateItem(i);
        }
    }
}

// Leaves the item (when there is one) alone selected, reported once.
void YMRListBox::selectOnly(YMRListBoxItem *item)
{
    clearSelectionBits();
    if (item) {
        item->s = true;
        updateItem(item);
    }
    emit selectionChanged();
}

void YMRListBox::makeCurrentQuietly(YMRListBoxItem *i)
{
    d->current = i;
    updateItem(i);
}

// --------------------------------------------------------------------- mouse

void YMRListBox::mousePressEvent(QMouseEvent *e)
{
    YMRListBoxItem *i = itemAt(e->pos());
    const bool control = e->modifiers() & Qt::ControlModifier;
    const bool shift = e->modifiers() & Qt::ShiftModifier;

    if (!i && !d->current && d->head)
        makeCurrentQuietly(d->head);
    if (!i && (d->selectionMode != Single || e->button() == Qt::RightButton) && !control)
        clearSelection();

    d->select = d->selectionMode == Multi ? (i ? !i->s : false) : true;
    d->pressedSelected = i && i->s;

    if (!i) {
        if (e->button() == Qt::LeftButton
            && (d->selectionMode == Multi || d->selectionMode == Extended)) {
            d->tmpCurrent = d->current;
            d->current = nullptr;
            updateItem(d->tmpCurrent);
            delete d->rubber;
            d->rubber = new QRect(e->pos(), QSize(0, 0));
            if (d->selectionMode == Extended && !control)
                selectAll(false);
        }
        if (!d->rubber
            && (e->button() == Qt::RightButton || d->selectionMode == Multi
                || d->selectionMode == Extended))
            clearSelection();
    } else {
        d->selectAnchor = i;
        switch (d->selectionMode) {
        case Single:
            if (!i->s || i != d->current) {
                if (i->isSelectable())
                    setSelected(i, true);
                else
                    setCurrentItem(i);
            }
            break;
        case Multi:
            setSelected(i, !i->s);
            setCurrentItem(i);
            break;
        case Extended:
            if (!shift && !control) {
                if (!i->s) {
                    clearSelectionBits();
                }
                setSelected(i, true);
                setCurrentItem(i);
            } else if (control) {
                setSelected(i, !i->s);
                d->pressedSelected = false;
                setCurrentItem(i);
            } else {
                d->pressedSelected = false;
                const int a = d->current ? index(d->current) : index(i);
                const int b = index(i);
                const bool blocked = blockSignals(true);
                for (int k = qMin(a, b); k <= qMax(a, b); ++k)
                    setSelected(k, d->select);
                triggerUpdate(false);
                blockSignals(blocked);
                emit selectionChanged();
                setCurrentItem(i);
            }
            break;
        case NoSelection:
            setCurrentItem(i);
            break;
        }
    }

    delete d->scrollTimer;
    d->scrollTimer = nullptr;
    if (i) {
        d->mousePressRow = currentRow();
        d->mousePressColumn = currentColumn();
    } else {
        d->mousePressRow = -1;
        d->mousePressColumn = -1;
    }
    d->ignoreMoves = false;
    d->pressedItem = i;

    const QPoint gp = e->globalPos();
    emit pressed(i);
    emit pressed(i, gp);
    emit mouseButtonPressed(int(e->button()), i, gp);
    if (e->button() == Qt::RightButton)
        emit rightButtonPressed(i, gp);
}

void YMRListBox::mouseMoveEvent(QMouseEvent *e)
{
    YMRListBoxItem *i = itemAt(e->pos());
    if (i != d->highlighted) {
        if (i)
            emit onItem(i);
        else
            emit onViewport();
        d->highlighted = i;
    }

    if (d->rubber) {
        const QRect oldR = d->rubber->normalized();
        d->rubber->setBottomRight(e->pos());
        const QRect newR = d->rubber->normalized();
        selectRubber(oldR, newR);
        viewport()->update(oldR.united(newR).adjusted(-2, -2, 2, 2));
        return;
    }

    if (!(e->buttons() & (Qt::LeftButton | Qt::RightButton | Qt::MiddleButton)) || d->ignoreMoves)
        return;

    const QPoint pos = e->pos();
    const bool outside = pos.x() < 0 || pos.y() < 0 || pos.x() > visibleWidth() - 1
                         || pos.y() > visibleHeight() - 1;
    if (outside
        && ((d->mousePressColumn < 0 && d->mousePressRow < 0) || !d->pressedItem))
        return;

    const int dx = dragAxis(pos.x(), true);
    const int dy = dragAxis(pos.y(), false);

    d->scrollPos = QPoint(dx, dy);
    if ((dx || dy) && !d->scrollTimer) {
        d->scrollTimer = new QTimer(this);
        connect(d->scrollTimer, &QTimer::timeout, this, &YMRListBox::doAutoScroll);
        d->scrollTimer->start(100);
        doAutoScroll();
    } else if (!d->scrollTimer) {
        updateSelection();
    }
}

// One axis of a drag: the pointer is held inside the visible area, the move
// cell found (and a missing press cell filled); answers the scroll direction.
int YMRListBox::dragAxis(int p, bool columns)
{
    const int extent = columns ? visibleWidth() : visibleHeight();
    int &move = columns ? d->mouseMoveColumn : d->mouseMoveRow;
    int &press = columns ? d->mousePressColumn : d->mousePressRow;
    const int current = columns ? d->currentColumn : d->currentRow;
    int dir = 0;
    if (p >= extent) {
        p = extent - 1;
        dir = 1;
    } else if (p < 0) {
        p = 0;
        dir = -1;
    }
    move = columns ? columnAt(p + contentsX()) : rowAt(p + contentsY());
    if (press < 0) {
        if (move >= 0)
            press = move;
        else if (current >= 0)
            press = current;
    }
    if (move < 0)
        move = dir >= 0 ? (columns ? numColumns() : numRows()) - 1 : 0;
    return dir;
}

void YMRListBox::updateSelection()
{
    if (d->mouseMoveColumn < 0 || d->mouseMoveRow < 0 || d->mousePressColumn < 0
        || d->mousePressRow < 0)
        return;
    const int rows = laidRows();
    YMRListBoxItem *i = item(d->mouseMoveColumn * rows + d->mouseMoveRow);
    if (d->selectionMode == Single || d->selectionMode == NoSelection) {
        if (i)
            setCurrentItem(i);
        return;
    }
    if (d->selectionMode == Extended && d->current && d->current == d->pressedItem
        && d->pressedSelected) {
        d->pressedItem = nullptr;
        selectOnly(i);
        triggerUpdate(false);
        if (i)
            setCurrentItem(i);
        return;
    }
    const int c0 = qMin(d->mousePressColumn, d->mouseMoveColumn);
    const int c1 = qMax(d->mousePressColumn, d->mouseMoveColumn);
    const int r0 = qMin(d->mousePressRow, d->mouseMoveRow);
    const int r1 = qMax(d->mousePressRow, d->mouseMoveRow);
    bool changed = false;
    for (int c = c0; c <= c1; ++c) {
        for (int r = r0; r <= r1; ++r) {
            YMRListBoxItem *it = item(c * rows + r);
            if (it && bool(it->s) != d->select && it->isSelectable()) {
                it->s = d->select;
                it->dirty = true;
                changed = true;
            }
        }
    }
    if (changed) {
        emit selectionChanged();
        triggerUpdate(false);
    }
    if (i)
        setCurrentItem(i);
}

void YMRListBox::doAutoScroll()
{
    if (d->scrollPos.x() < 0) {
        const int step = horizontalScrollBar()->singleStep();
        const int target = qMax(0, contentsX() - step);
        if (target != contentsX()) {
            d->mouseMoveColumn = columnAt(target);
            updateSelection();
            setContentsPos(target, contentsY());
        }
    } else if (d->scrollPos.x() > 0) {
        const int step = horizontalScrollBar()->singleStep();
        const int target = qMax(0, qMin(contentsX() + step, contentsWidth() - visibleWidth()));
        if (target != contentsX()) {
            d->mouseMoveColumn = columnAt(target + visibleWidth() - 1);
            updateSelection();
            setContentsPos(target, contentsY());
        }
    }
    if (d->scrollPos.y() < 0) {
        const int step = verticalScrollBar()->singleStep();
        const int target = qMax(0, contentsY() - step);
        if (target != contentsY()) {
            d->mouseMoveRow = rowAt(contentsY() - step);
            updateSelection();
        }
    } else if (d->scrollPos.y() > 0) {
        const int step = verticalScrollBar()->singleStep();
        const int target = qMax(0, qMin(contentsY() + step, contentsHeight() - visibleHeight()));
        if (target != contentsY()) {
            d->mouseMoveRow = rowAt(contentsY() + step + visibleHeight() - 1);
            updateSelection();
        }
    }
    if (d->scrollPos.x() == 0 && d->scrollPos.y() == 0) {
        // Deleted later: this may run from the timer's own timeout.
        if (d->scrollTimer)
            d->scrollTimer->deleteLater();
        d->scrollTimer = nullptr;
    }
}

void YMRListBox::selectRubber(const QRect &oldRubber, const QRect &newRubber)
{
    QRegion area;
    bool changed = false;
    for (YMRListBoxItem *i = d->head; i; i = i->n) {
        const QRect ir = itemRect(i);
        if (!ir.isValid())
            continue;
        if (i->s && !ir.intersects(newRubber) && ir.intersects(oldRubber)) {
            i->s = false;
            area += ir;
            changed = true;
        } else if (!i->s && ir.intersects(newRubber) && i->isSelectable()) {
            i->s = true;
            area += ir;
            changed = true;
        }
    }
    if (changed) {
        emit selectionChanged();
        viewport()->update(area);
    }
}

void YMRListBox::mouseReleaseEvent(QMouseEvent *e)
{
    if (d->rubber) {
        const QRect r = d->rubber->normalized();
        delete d->rubber;
        d->rubber = nullptr;
        viewport()->update(r.adjusted(-2, -2, 2, 2));
        d->current = d->tmpCurrent;
        d->tmpCurrent = nullptr;
        updateItem(d->current);
    }
    if (d->scrollTimer) {
        QMouseEvent move(QEvent::MouseMove, e->localPos(), e->windowPos(), e->screenPos(),
                         Qt::NoButton, e->buttons() | e->button(), e->modifiers());
        mouseMoveEvent(&move);
    }
    delete d->scrollTimer;
    d->scrollTimer = nullptr;
    d->ignoreMoves = false;

    if (d->selectionMode == Extended && d->current && d->current == d->pressedItem
        && d->pressedSelected)
        selectOnly(d->current);

    YMRListBoxItem *i = itemAt(e->pos());
    const bool click = ((d->mousePressColumn >= 0 && d->mousePressRow >= 0) || !d->pressedItem)
                       && i == d->pressedItem;
    d->pressedItem = nullptr;
    d->mousePressRow = -1;
    d->mousePressColumn = -1;
    if (click) {
        const QPoint gp = e->globalPos();
        emit clicked(i);
        emit clicked(i, gp);
        emit mouseButtonClicked(int(e->button()), i, gp);
        if (e->button() == Qt::RightButton)
            emit rightButtonClicked(i, gp);
    }
}

void YMRListBox::mouseDoubleClickEvent(QMouseEvent *e)
{
    d->ignoreMoves = true;
    if (itemAt(e->pos()) && d->selectionMode != NoSelection && d->current) {
        YMRListBoxItem *c = d->current;
        emit selected(currentItem());
        emit selected(c);
        if (!c->text().isNull())
            emit selected(c->text());
        emit doubleClicked(c);
    }
}

// ---------------------------------------------------------------------- keys

void YMRListBox::keyPressEvent(QKeyEvent *e)
{
    if (d->count == 0) {
        e->ignore();
        return;
    }
    if (!d->current) {
        setCurrentItem(d->head);
        if (d->selectionMode == Single)
            setSelected(d->head, true);
        e->ignore();
        return;
    }

    YMRListBoxItem *old = d->current;
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    const bool control = e->modifiers() & Qt::ControlModifier;
    const int cur = currentItem();
    bool navigated = true;
    bool selectCurrent = false;
    const QString txt = e->text();

    auto clearTypeAhead = [this] { d->currInputString = QString(); };

    switch (e->key()) {
    case Qt::Key_Up:
        clearTypeAhead();
        if (cur > 0)
            setCurrentItem(cur - 1);
        handleItemChange(old, shift, control);
        break;
    case Qt::Key_Down:
        clearTypeAhead();
        if (cur < d->count - 1)
            setCurrentItem(cur + 1);
        handleItemChange(old, shift, control);
        break;
    case Qt::Key_Left: {
        clearTypeAhead();
        const int rows = numRows();
        const int cols = numColumns();
        if (currentColumn() > 0) {
            setCurrentItem(cur - rows);
            handleItemChange(old, shift, control);
        } else if (cols > 1 && cur > 0) {
            int target = currentRow() - 1 + (cols - 1) * rows;
            if (!item(target))
                target = currentRow() - 1 + (cols - 2) * rows;
            setCurrentItem(target);
            handleItemChange(old, shift, control);
        } else {
            // Qt's scroll bar inverts its arrow keys; step it directly.
            horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        }
        break;
    }
    case Qt::Key_Right: {
        clearTypeAhead();
        const int rows = numRows();
        const int cols = numColumns();
        if (cols > 1) {
            if (currentColumn() < cols - 1) {
                int target = cur + rows;
                if (!item(target)) {
                    target = currentRow() + 1;
                    if (currentRow() >= rows - 1)
                        target = cur;
                }
                setCurrentItem(target);
                handleItemChange(old, shift, control);
            } else if (currentRow() + 1 < rows && item(currentRow() + 1)) {
                setCurrentItem(currentRow() + 1);
                handleItemChange(old, shift, control);
            }
        } else {
            horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        }
        break;
    }
    case Qt::Key_PageUp: {
        clearTypeAhead();
        if (numColumns() == 1) {
            const int target = qMax(0, cur - numItemsVisible());
            setCurrentItem(target);
            setTopItem(target);
        } else {
            const int target = currentRow() == 0 ? qMax(0, cur - numRows())
                                                 : qMax(0, cur - currentRow());
            setCurrentItem(target);
        }
        handleItemChange(old, shift, control);
        selectCurrent = true;
        break;
    }
    case Qt::Key_PageDown: {
        clearTypeAhead();
        if (numColumns() == 1) {
            const int target = qMin(d->count - 1, cur + numItemsVisible());
            setCurrentItem(target);
            setBottomItem(target);
        } else {
            const int rows = numRows();
            const int target = currentRow() == rows - 1
                                   ? qMin(d->count - 1, cur + rows)
                                   : qMin(d->count - 1, cur + rows - currentRow() - 1);
            setCurrentItem(target);
        }
        handleItemChange(old, shift, control);
        break;
    }
    case Qt::Key_Home:
        clearTypeAhead();
        setCurrentItem(0);
        handleItemChange(old, shift, control);
        selectCurrent = true;
        break;
    case Qt::Key_End:
        clearTypeAhead();
        setCurrentItem(d->count - 1);
        handleItemChange(old, shift, control);
        selectCurrent = true;
        break;
    case Qt::Key_Space:
        clearTypeAhead();
        toggleCurrentItem();
        selectCurrent = true;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        clearTypeAhead();
        if (cur >= 0 && d->selectionMode != NoSelection) {
            YMRListBoxItem *c = d->current;
            emit selected(cur);
            emit selected(c);
            if (!c->text().isNull())
                emit selected(c->text());
            emit returnPressed(c);
        }
        selectCurrent = true;
        break;
    default:
        navigated = false;
        break;
    }

    if (!navigated) {
        // Control chords are not typing, whatever text a platform gives them.
        if (!txt.isEmpty() && txt[0].isPrint() && !control) {
            typeAhead(txt);
            return;
        }
        clearTypeAhead();
        if (control && e->key() == Qt::Key_A)
            selectAll(true);
        else if (!control)
            e->ignore();
        return;
    }

    if (!shift || !d->selectAnchor)
        d->selectAnchor = d->current;
    if (selectCurrent && d->selectionMode == Single && d->current && !d->current->s) {
        updateItem(d->current);
        setSelected(d->current, true);
    }
}

// Finds the first item from the current one on (then from the head) whose
// text begins with what was typed within the last 500 ms.
void YMRListBox::typeAhead(const QString &txt)
{
    d->inputTimer->start(500);
    d->currInputString += txt.toLower();
    YMRListBoxItem *found = nullptr;
    auto matches = [this](YMRListBoxItem *i) {
        return i->text().toLower().startsWith(d->currInputString);
    };
    YMRListBoxItem *start = d->current ? d->current : d->head;
    for (YMRListBoxItem *i = start; i && !found; i = i->n) {
        if (matches(i))
            found = i;
    }
    for (YMRListBoxItem *i = d->head; i && i != start && !found; i = i->n) {
        if (matches(i))
            found = i;
    }
    if (!found)
        return;
    setCurrentItem(found);
    if (d->selectionMode == Extended) {
        clearSelectionBits();
        if (!found->s && found->isSelectable()) {
            found->s = true;
            updateItem(found);
            emit selectionChanged();
        }
    }
}

void YMRListBox::clearInputString()
{
    d->currInputString = QString();
}

void YMRListBox::focusInEvent(QFocusEvent *e)
{
    d->mousePressRow = -1;
    d->mousePressColumn = -1;
    if (e->reason() != Qt::MouseFocusReason && !d->current && d->head) {
        d->current = d->head;
        updateItem(d->current);
        emitHighlightGroup(d->current);
    }
    updateItem(d->current);
    ScrollView::focusInEvent(e);
}

void YMRListBox::focusOutEvent(QFocusEvent *e)
{
    updateItem(d->current);
    ScrollView::focusOutEvent(e);
}
