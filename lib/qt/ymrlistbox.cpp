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

static const char listBoxSource[] = "qt/ymrlistbox";

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
