#include "ymrlistboxprivate.h"

#include "ymrutil.h"

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
    // Shift before a capital: what was typed ahead goes on
    if (YMRUtil::writesNothing(e)) {
        e->ignore();
        return;
    }
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
    const int key = e->key();
    // whether the key leaves the current item selected in the single mode
    bool selectCurrent = false;
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        d->currInputString = QString();
        keyUpDown(key == Qt::Key_Down);
        handleItemChange(old, shift, control);
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
        d->currInputString = QString();
        if (keyLeftRight(key == Qt::Key_Right))
            handleItemChange(old, shift, control);
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        d->currInputString = QString();
        keyPage(key == Qt::Key_PageDown);
        handleItemChange(old, shift, control);
        selectCurrent = key == Qt::Key_PageUp;
        break;
    case Qt::Key_Home:
    case Qt::Key_End:
        d->currInputString = QString();
        setCurrentItem(key == Qt::Key_Home ? 0 : d->count - 1);
        handleItemChange(old, shift, control);
        selectCurrent = true;
        break;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        d->currInputString = QString();
        keyActivate(key == Qt::Key_Space);
        selectCurrent = true;
        break;
    default:
        keyText(e, control);
        return;
    }

    if (!shift || !d->selectAnchor)
        d->selectAnchor = d->current;
    if (selectCurrent && d->selectionMode == Single && d->current && !d->current->s) {
        updateItem(d->current);
        setSelected(d->current, true);
    }
}

void YMRListBox::keyUpDown(bool down)
{
    const int cur = currentItem();
    if (down && cur < d->count - 1)
        setCurrentItem(cur + 1);
    else if (!down && cur > 0)
        setCurrentItem(cur - 1);
}

bool YMRListBox::keyLeftRight(bool right)
{
    const int cur = currentItem();
    const int rows = numRows();
    const int cols = numColumns();
    if (cols <= 1 || (!right && currentColumn() == 0 && cur == 0)) {
        // Qt's scroll bar inverts its arrow keys; step it directly.
        horizontalScrollBar()->triggerAction(right ? QAbstractSlider::SliderSingleStepAdd
                                                   : QAbstractSlider::SliderSingleStepSub);
        return false;
    }
    if (!right) {
        if (currentColumn() > 0) {
            setCurrentItem(cur - rows);
            return true;
        }
        // from the first column to the end of the row above
        int target = currentRow() - 1 + (cols - 1) * rows;
        if (!item(target))
            target = currentRow() - 1 + (cols - 2) * rows;
        setCurrentItem(target);
        return true;
    }
    if (currentColumn() < cols - 1) {
        int target = cur + rows;
        if (!item(target)) {
            target = currentRow() + 1;
            if (currentRow() >= rows - 1)
                target = cur;
        }
        setCurrentItem(target);
        return true;
    }
    // from the last column to the start of the row below
    if (currentRow() + 1 < rows && item(currentRow() + 1)) {
        setCurrentItem(currentRow() + 1);
        return true;
    }
    return false;
}

void YMRListBox::keyPage(bool down)
{
    const int cur = currentItem();
    if (numColumns() == 1) {
        const int target = down ? qMin(d->count - 1, cur + numItemsVisible())
                                : qMax(0, cur - numItemsVisible());
        setCurrentItem(target);
        if (down)
            setBottomItem(target);
        else
            setTopItem(target);
        return;
    }
    const int rows = numRows();
    const int row = currentRow();
    if (down)
        setCurrentItem(row == rows - 1 ? qMin(d->count - 1, cur + rows)
                                       : qMin(d->count - 1, cur + rows - row - 1));
    else
        setCurrentItem(row == 0 ? qMax(0, cur - rows) : qMax(0, cur - row));
}

void YMRListBox::keyActivate(bool space)
{
    if (space) {
        toggleCurrentItem();
        return;
    }
    const int cur = currentItem();
    if (cur >= 0 && d->selectionMode != NoSelection) {
        YMRListBoxItem *c = d->current;
        emit selected(cur);
        emit selected(c);
        if (!c->text().isNull())
            emit selected(c->text());
        emit returnPressed(c);
    }
}

void YMRListBox::keyText(QKeyEvent *e, bool control)
{
    // Control chords are not typing, whatever text a platform gives them.
    const QString txt = e->text();
    if (!txt.isEmpty() && txt[0].isPrint() && !control) {
        typeAhead(txt);
        return;
    }
    d->currInputString = QString();
    if (control && e->key() == Qt::Key_A)
        selectAll(true);
    else if (!control)
        e->ignore();
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
