// YMRListView: mouse, keys, focus, auto-scrolling, range selection and
// type-ahead.

#include "ymrlistview.h"

#include "ymrheader.h"
#include "ymrlistviewitemiterator.h"
#include "ymrlistviewprivate.h"
#include "ymrutil.h"

#include "qpe/qpekeys.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

namespace {

// Typed characters extend the search only while they follow each other
// this closely.
const qint64 TypeAheadInterval = 1500;
const int AutoScrollInterval = 100;

bool itemIsAncestorOf(const YMRListViewItem *ancestor, const YMRListViewItem *item)
{
    for (const YMRListViewItem *p = item ? item->parent() : nullptr; p; p = p->parent())
        if (p == ancestor)
            return true;
    return false;
}

} // namespace

// ---- mouse ------------------------------------------------------------------

void YMRListView::contentsMousePressEvent(QMouseEvent *e)
{
    if (!e)
        return;
    d->ignoreDoubleClick = false;
    d->buttonDown = true;

    const QPoint vp = contentsToViewport(e->pos());
    YMRListViewItem *i = itemAt(vp);
    if (!d->focusItem && !i && firstChild()) {
        d->focusItem = firstChild();
        repaintItem(d->focusItem);
    }
    const int column = d->h->mapToLogical(d->h->cellAt(vp.x()));

    if (!i) {
        if (d->selectionMode != Single)
            clearSelection();
    } else {
        d->selectAnchor = i;

        // A tap on the branch mark opens or closes the item and nothing else.
        if ((i->childCount() || i->isExpandable()) && column == 0) {
            const int level = i->depth() + (d->rootIsExpandable ? 1 : 0);
            const int x = vp.x() + d->h->offset() - d->h->cellPos(d->h->mapToActual(0))
                          - treeStepSize() * (level - 1);
            if (x >= 0 && x < treeStepSize()) {
                const bool close = i->isOpen();
                // Raised before pending events run, so that the second tap
                // of a double click among them changes nothing more.
                d->buttonDown = false;
                d->ignoreDoubleClick = true;
                setOpen(i, !close);
                QCoreApplication::processEvents();
                // Whatever ran meanwhile may have taken the item away.
                if (d->selectAnchor != i)
                    return;
                if (!d->focusItem) {
                    d->focusItem = i;
                    repaintItem(i);
                    emit currentChanged(i);
                } else if (close && itemIsAncestorOf(i, d->focusItem)) {
                    setCurrentItem(i);
                }
                return;
            }
        }

        d->select = d->selectionMode == Multi ? !i->isSelected() : true;

        // Where the press lies relative to the start of column 0's content.
        const QRect ir = itemRect(i);
        QPoint pos = vp - ir.topLeft();
        pos.rx() -= treeStepSize() * (i->depth() + (d->rootIsExpandable ? 1 : 0)) + itemMargin()
                    + d->h->cellPos(d->h->mapToActual(0));
        YMRListViewItem::s_activatedPos = pos;
        YMRListViewItem::s_activatedByClick = true;
        i->activate();
        YMRListViewItem::s_activatedByClick = false;

        YMRListViewItem *oldCurrent = d->focusItem;
        if (i != d->focusItem)
            setCurrentItem(i);
        else
            repaintItem(i);
        d->pressedSelected = i->isSelected();

        if (i->isSelectable() && d->selectionMode != NoSelection) {
            if (d->selectionMode == Single) {
                setSelected(i, true);
            } else if (d->selectionMode == Multi) {
                setSelected(i, d->select);
            } else {
                const bool shift = e->modifiers() & Qt::ShiftModifier;
                const bool control = e->modifiers() & Qt::ControlModifier;
                bool changed = false;
                if (!shift && !control) {
                    if (!i->isSelected()) {
                        selectOnly(i);
                        changed = true;
                    }
                } else {
                    if (shift)
                        d->pressedSelected = false;
                    if (control) {
                        i->setSelected(!i->isSelected());
                        repaintItem(i);
                        d->pressedSelected = false;
                        changed = true;
                    }
                    if (shift && !control) {
                        if (oldCurrent && oldCurrent != i) {
                            // Walk in tree order from the upper item, so
                            // that hidden children in between are included.
                            const bool down = itemPos(oldCurrent) < itemPos(i);
                            YMRListViewItem *end = down ? i : oldCurrent;
                            for (YMRListViewItemIterator it(down ? oldCurrent : i);;
                                 ++it) {
                                YMRListViewItem *c = it.current();
                                // Off the end of the tree: what was set so
                                // far still counts as a change.
                                if (!c)
                                    break;
                                if (c->isSelected() != d->select) {
                                    c->setSelected(d->select);
                                    changed = changed || c->isSelected() == d->select;
                                }
                                if (c == end)
                                    break;
                            }
                            triggerUpdate();
                        } else if (i->isSelected() != d->select) {
                            i->setSelected(d->select);
                            repaintItem(i);
                            changed = true;
                        }
                    }
                }
                if (changed)
                    emit selectionChanged();
            }
        }
    }

    d->pressedItem = i;
    const QPoint global = e->globalPos();
    emit pressed(i);
    emit pressed(i, global, column);
    emit mouseButtonPressed(int(e->button()), i, global, i ? column : -1);
    if (e->button() == Qt::RightButton) {
        if (!i) {
            clearSelection();
            emit rightButtonPressed(nullptr, global, -1);
        } else {
            emit rightButtonPressed(i, global, column);
        }
    }
}

void YMRListView::selectOnly(YMRListViewItem *item)
{
    const bool block = blockSignals(true);
    clearSelection();
    blockSignals(block);
    item->setSelected(true);
    repaintItem(item);
}

void YMRListView::stopAutoScroll()
{
    if (!d->scrollTimer)
        return;
    disconnect(d->scrollTimer, nullptr, this, nullptr);
    d->scrollTimer->stop();
    delete d->scrollTimer;
    d->scrollTimer = nullptr;
}

void YMRListView::contentsMouseReleaseEvent(QMouseEvent *e)
{
    if (!e)
        return;
    const QPoint vp = contentsToViewport(e->pos());
    YMRListViewItem *i = itemAt(vp);
    const bool isClick = (!d->pressedItem || d->buttonDown) && i == d->pressedItem;
    d->buttonDown = false;
    stopAutoScroll();

    // A plain tap on an item of a multiple selection keeps only that item.
    if (d->selectionMode == Extended && d->focusItem && d->focusItem == d->pressedItem
        && d->pressedSelected && e->button() == Qt::LeftButton) {
        selectOnly(d->focusItem);
        emit selectionChanged();
    }
    d->pressedItem = nullptr;

    if (!isClick)
        return;
    const int column = d->h->mapToLogical(d->h->cellAt(vp.x()));
    const QPoint global = e->globalPos();
    emit clicked(i);
    emit clicked(i, global, column);
    emit mouseButtonClicked(int(e->button()), i, global, i ? column : -1);
    if (e->button() == Qt::RightButton) {
        if (!i) {
            clearSelection();
            emit rightButtonClicked(nullptr, global, -1);
        } else {
            emit rightButtonClicked(i, global, column);
        }
    }
}

void YMRListView::contentsMouseDoubleClickEvent(QMouseEvent *e)
{
    if (!e)
        return;
    d->buttonDown = false;
    // The second tap of a double click on a branch mark does nothing more.
    if (d->ignoreDoubleClick) {
        d->ignoreDoubleClick = false;
        return;
    }
    YMRListViewItem *i = itemAt(contentsToViewport(e->pos()));
    if (!i)
        return;
    if (i->isOpen())
        setOpen(i, false);
    else if (i->childCount() || i->isExpandable())
        setOpen(i, true);
    emit doubleClicked(i);
}

void YMRListView::contentsMouseMoveEvent(QMouseEvent *e)
{
    if (!e)
        return;
    const QPoint vp = contentsToViewport(e->pos());
    YMRListViewItem *i = itemAt(vp);
    if (i != d->highlighted) {
        if (i)
            emit onItem(i);
        else
            emit onViewport();
        d->highlighted = i;
    }

    if (!d->buttonDown || (e->buttons() == Qt::NoButton && e->modifiers() == Qt::NoModifier))
        return;
    // The pointer is read from the move events rather than from the cursor,
    // so that the scroll follows whatever delivered the drag.
    d->autoScrollPos = vp;
    if (vp.y() < 0 || vp.y() >= visibleHeight()) {
        if (!d->scrollTimer) {
            d->scrollTimer = new QTimer(this);
            connect(d->scrollTimer, &QTimer::timeout, this, &YMRListView::doAutoScroll);
            d->scrollTimer->start(AutoScrollInterval);
        }
        doAutoScroll();
    } else {
        stopAutoScroll();
        doAutoScroll();
    }
}

void YMRListView::doAutoScroll()
{
    YMRListViewItem *cur = d->focusItem;
    if (!cur)
        return;
    const QPoint pos = d->autoScrollPos;
    const int pointerY = pos.y() + contentsY();
    int y = itemPos(cur);
    const bool down = pointerY > y;
    int target = pointerY;
    if (pos.y() < 0)
        target = contentsY();
    else if (pos.y() >= visibleHeight())
        target = contentsY() + height(); // past the last visible row, so the walk goes on

    YMRListViewItem *c = cur;
    YMRListViewItem *last = nullptr;
    if (down) {
        while (c && y + c->height() <= target) {
            y += c->height();
            last = c;
            c = c->itemBelow();
        }
    } else {
        while (c && y >= target) {
            last = c;
            c = c->itemAbove();
            if (c)
                y -= c->height();
        }
    }
    if (!c)
        c = last;
    if (!c || c == cur)
        return;

    if (d->selectionMode == Extended && cur == d->pressedItem && d->pressedSelected) {
        d->pressedItem = nullptr;
        selectOnly(c);
        emit selectionChanged();
    } else if (d->selectionMode == Multi || d->selectionMode == Extended) {
        for (YMRListViewItem *s = cur; s; s = down ? s->itemBelow() : s->itemAbove()) {
            if (s->isSelectable())
                setSelected(s, d->select);
            if (s == c)
                break;
        }
    }
    setCurrentItem(c);
    d->visibleTimer->start(1);
}

// ---- header and viewport events ---------------------------------------------------

bool YMRListView::eventFilter(QObject *o, QEvent *e)
{
    if (d && o == d->h && e) {
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove: {
            auto *me = static_cast<QMouseEvent *>(e);
            // Right-button input on the header acts on the rows.
            const QPoint vp = me->pos() - QPoint(0, d->h->height());
            QMouseEvent ce = toContents(me, vp);
            if (e->type() == QEvent::MouseButtonPress && me->button() == Qt::RightButton) {
                contentsMousePressEvent(&ce);
                return true;
            }
            if (e->type() == QEvent::MouseButtonRelease && me->button() == Qt::RightButton) {
                contentsMouseReleaseEvent(&ce);
                return true;
            }
            if (e->type() == QEvent::MouseButtonDblClick && me->button() == Qt::RightButton)
                return true;
            if (e->type() == QEvent::MouseMove && (me->buttons() & Qt::RightButton)) {
                contentsMouseMoveEvent(&ce);
                return true;
            }
            break;
        }
        default:
            break;
        }
    } else if (d && o == viewport() && e) {
        if (e->type() == QEvent::FocusIn) {
            focusInEvent(static_cast<QFocusEvent *>(e));
            return true;
        }
        if (e->type() == QEvent::FocusOut) {
            focusOutEvent(static_cast<QFocusEvent *>(e));
            return true;
        }
    }
    return ScrollView::eventFilter(o, e);
}

// ---- focus --------------------------------------------------------------------

void YMRListView::focusInEvent(QFocusEvent *e)
{
    if (d->focusItem) {
        repaintItem(d->focusItem);
    } else if (YMRListViewItem *first = firstChild()) {
        if (!e || e->reason() != Qt::MouseFocusReason) {
            d->focusItem = first;
            emit currentChanged(first);
            repaintItem(first);
        }
    }
}

void YMRListView::focusOutEvent(QFocusEvent *)
{
    if (d->focusItem)
        repaintItem(d->focusItem);
}

// ---- keys -----------------------------------------------------------------------

YMRListViewItem *YMRListView::lastVisibleItem() const
{
    YMRListViewItem *c = firstChild();
    if (!c)
        return nullptr;
    for (;;) {
        while (c->nextSibling())
            c = c->nextSibling();
        if (!c->isOpen() || !c->childCount())
            break;
        c = c->firstChild();
    }
    if (c->height() == 0)
        c = c->itemAbove();
    return c;
}

YMRListViewItem *YMRListView::typeAheadMatch(const QString &input, YMRListViewItem *start) const
{
    auto keyText = [this](const YMRListViewItem *item) {
        QString t = item->text(0);
        for (int i = 0; t.isNull() && i < d->h->count(); ++i)
            t = item->text(d->h->mapToLogical(i));
        return t;
    };
    auto matches = [&](const YMRListViewItem *item) {
        const QString t = keyText(item);
        return !t.isEmpty() && t.left(input.length()).toLower() == input;
    };
    for (YMRListViewItem *c = start; c; c = c->itemBelow())
        if (matches(c))
            return c;
    // Once round from the top, up to where the search began.
    for (YMRListViewItem *c = firstChild(); c && c != start; c = c->itemBelow())
        if (matches(c))
            return c;
    return nullptr;
}

void YMRListView::keyPressEvent(QKeyEvent *e)
{
    if (!e)
        return;
    // Shift before a capital: what was typed ahead goes on
    if (YMRUtil::writesNothing(e)) {
        e->ignore();
        return;
    }
    if (!firstChild()) {
        e->ignore();
        return;
    }
    if (!d->focusItem) {
        setCurrentItem(firstChild());
        if (d->selectionMode == Single)
            setSelected(firstChild(), true);
        e->accept();
        return;
    }

    YMRListViewItem *const old = d->focusItem;
    YMRListViewItem *i = old;
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    const bool control = e->modifiers() & Qt::ControlModifier;

    // The device's key codes: its zoom keys (and their stand-ins) are no
    // "+" or "-" here and go on to the window.
    const int key = QpeKeys::key(e);

    if (d->selectionMode != Single && key == QpeKeys::Key_Space && i->isSelectable()) {
        setSelected(i, !i->isSelected());
        d->currentPrefix.clear();
        return;
    }

    bool selectCurrent = true;
    bool viaTimer = false;
    bool clearPrefix = true;
    const QString text = e->text();

    switch (key) {
    case QpeKeys::Key_Backspace:
    case QpeKeys::Key_Delete:
        break;
    case QpeKeys::Key_Return:
    case QpeKeys::Key_Enter:
        d->currentPrefix.clear();
        if (!i->isSelectable() && (i->childCount() || i->isExpandable() || i->isOpen())) {
            i->setOpen(!i->isOpen());
            return;
        }
        // Left for the dialog's default button as well.
        e->ignore();
        emit returnPressed(i);
        return;
    case QpeKeys::Key_Escape:
        d->currentPrefix.clear();
        e->ignore();
        return;
    case '+':
        d->currentPrefix.clear();
        if (i->isOpen() || (!i->childCount() && !i->isExpandable()))
            return;
        setOpen(i, true);
        break;
    case '-':
        d->currentPrefix.clear();
        if (!i->isOpen())
            return;
        setOpen(i, false);
        break;
    case QpeKeys::Key_Space:
        i->activate();
        break;
    case QpeKeys::Key_Left:
        d->currentPrefix.clear();
        if (i->isOpen()) {
            setOpen(i, false);
        } else if (i->parent()) {
            i = i->parent();
        } else {
            QScrollBar *bar = horizontalScrollBar();
            if (bar->value() > bar->minimum())
                bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
            return;
        }
        break;
    case QpeKeys::Key_Right:
        d->currentPrefix.clear();
        if (i->isOpen() && i->childCount()) {
            i = i->firstChild();
        } else if (!i->isOpen() && (i->childCount() || i->isExpandable())) {
            setOpen(i, true);
        } else {
            QScrollBar *bar = horizontalScrollBar();
            if (bar->value() < bar->maximum())
                bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            return;
        }
        break;
    case QpeKeys::Key_Up:
        i = i->itemAbove();
        selectCurrent = false;
        viaTimer = true;
        break;
    case QpeKeys::Key_Down:
        i = i->itemBelow();
        selectCurrent = false;
        viaTimer = true;
        break;
    case QpeKeys::Key_Home:
        i = firstChild();
        selectCurrent = false;
        break;
    case QpeKeys::Key_End:
        i = lastVisibleItem();
        selectCurrent = false;
        break;
    case QpeKeys::Key_Prior: {
        selectCurrent = false;
        YMRListViewItem *top = itemAt(QPoint(0, 0));
        const QRect r = itemRect(i);
        if (i == top || !r.isValid() || r.top() <= 0) {
            YMRListViewItem *c = top ? top : i;
            int left = visibleHeight();
            for (YMRListViewItem *a = c->itemAbove(); a && a->height() < left;
                 a = c->itemAbove()) {
                left -= a->height();
                c = a;
            }
            i = c;
        } else {
            i = top;
        }
        break;
    }
    case QpeKeys::Key_Next: {
        selectCurrent = false;
        YMRListViewItem *bottom = itemAt(QPoint(0, visibleHeight() - 1));
        const QRect r = itemRect(i);
        if (r.isValid() && i != bottom && r.top() + r.height() <= visibleHeight()) {
            i = bottom ? bottom : lastVisibleItem();
        } else {
            YMRListViewItem *c = bottom ? bottom : i;
            int left = visibleHeight();
            for (YMRListViewItem *b = c->itemBelow(); b && b->height() < left;
                 b = c->itemBelow()) {
                left -= b->height();
                c = b;
            }
            i = c;
        }
        break;
    }
    default:
        if (!text.isEmpty() && text.at(0).isPrint() && !control) {
            selectCurrent = false;
            clearPrefix = false;
            const QString typed = text.toLower();
            QString input = d->currentPrefix + typed;
            YMRListViewItem *found = typeAheadMatch(input, i);
            if (!found && input.length() > 1
                && (!d->currentPrefixTime.isValid()
                    || d->currentPrefixTime.elapsed() > TypeAheadInterval)) {
                input = typed;
                found = typeAheadMatch(input, firstChild());
            }
            if (found) {
                d->currentPrefix = input;
                d->currentPrefixTime.start();
                i = found;
            }
            break;
        }
        d->currentPrefix.clear();
        if (control) {
            d->currentPrefix = QString();
            if (key == 'A')
                selectAll(true);
        }
        e->ignore();
        return;
    }
    if (clearPrefix)
        d->currentPrefix.clear();

    if (!i)
        return;
    const bool hadAnchor = d->selectAnchor != nullptr;
    if (!shift || !hadAnchor)
        d->selectAnchor = i;
    setCurrentItem(i);
    if (i->isSelectable()) {
        switch (d->selectionMode) {
        case Multi:
            if (shift)
                selectRange(old, i, true, false, false);
            break;
        case Extended:
            if (control)
                break;
            if (!shift) {
                const bool block = blockSignals(true);
                clearSelection();
                blockSignals(block);
                setSelected(i, true);
            } else {
                selectRange(hadAnchor ? d->selectAnchor : old, i, false, true, hadAnchor);
            }
            break;
        default:
            break;
        }
    }
    if (d->selectionMode == Single && selectCurrent && d->focusItem
        && !d->focusItem->isSelected())
        setSelected(d->focusItem, true);

    if (viaTimer)
        d->visibleTimer->start(1);
    else
        ensureItemVisible(i);
}

// ---- range selection ------------------------------------------------------------------

void YMRListView::selectRange(YMRListViewItem *from, YMRListViewItem *to, bool invert,
                              bool includeFirst, bool clearFirst)
{
    if (!from || !to)
        return;

    bool toAbove = from->itemAbove() == to;
    if (!toAbove && from != to) {
        YMRListViewItemIterator it(from);
        while (it.current() && it.current() != to)
            ++it;
        toAbove = !it.current();
    }

    bool changed = false;
    if (clearFirst) {
        for (YMRListViewItemIterator it(this); it.current(); ++it) {
            YMRListViewItem *c = it.current();
            if (c->isSelected()) {
                c->setSelected(false);
                repaintItem(c);
                changed = true;
            }
        }
    }

    YMRListViewItem *start;
    YMRListViewItem *end;
    if (toAbove) {
        start = to;
        end = includeFirst ? from : from->itemAbove();
    } else {
        start = includeFirst ? from : (from == to ? nullptr : from->itemBelow());
        end = to;
    }
    for (YMRListViewItem *c = start; c && end; c = c->itemBelow()) {
        if (invert && c->isSelected()) {
            c->setSelected(false);
            repaintItem(c);
            changed = true;
        } else if (!c->isSelected() && c->isSelectable()) {
            c->setSelected(true);
            repaintItem(c);
            changed = true;
        }
        if (c == end)
            break;
    }
    if (changed)
        emit selectionChanged();
}
