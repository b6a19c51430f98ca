#include "scrollview.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>

namespace {

Qt::ScrollBarPolicy policyFor(ScrollView::ScrollBarMode mode)
{
    switch (mode) {
    case ScrollView::AlwaysOff:
        return Qt::ScrollBarAlwaysOff;
    case ScrollView::AlwaysOn:
        return Qt::ScrollBarAlwaysOn;
    default:
        return Qt::ScrollBarAsNeeded;
    }
}

const int LineStep = 20;

} // namespace

ScrollView::ScrollView(QWidget *parent, const char *name, Qt::WindowFlags f)
    : QAbstractScrollArea(parent)
{
    if (f)
        setWindowFlags(f);
    if (name)
        setObjectName(QString::fromLatin1(name));
    horizontalScrollBar()->setSingleStep(LineStep);
    verticalScrollBar()->setSingleStep(LineStep);
    updateScrollBars();
}

ScrollView::~ScrollView() = default;

int ScrollView::contentsX() const
{
    return horizontalScrollBar()->value();
}

int ScrollView::contentsY() const
{
    return verticalScrollBar()->value();
}

int ScrollView::visibleWidth() const
{
    return viewport()->width();
}

int ScrollView::visibleHeight() const
{
    return viewport()->height();
}

void ScrollView::resizeContents(int w, int h)
{
    w = qMax(0, w);
    h = qMax(0, h);
    if (w == m_contentsWidth && h == m_contentsHeight)
        return;
    const int oldW = m_contentsWidth;
    const int oldH = m_contentsHeight;
    m_contentsWidth = w;
    m_contentsHeight = h;
    updateScrollBars();
    // Newly exposed or vanished contents must be redrawn.
    const int vw = visibleWidth();
    const int vh = visibleHeight();
    const int x0 = qMin(oldW, w) - contentsX();
    const int y0 = qMin(oldH, h) - contentsY();
    if (x0 < vw)
        viewport()->update(QRect(qMax(0, x0), 0, vw - qMax(0, x0), vh));
    if (y0 < vh)
        viewport()->update(QRect(0, qMax(0, y0), vw, vh - qMax(0, y0)));
}

void ScrollView::updateScrollBars()
{
    if (m_inScrollBarUpdate)
        return;
    m_inScrollBarUpdate = true;
    // Setting a range may show or hide a scroll bar, which resizes the
    // viewport and brings us back here; the guard and the final pass settle it.
    for (int pass = 0; pass < 3; ++pass) {
        const int vw = visibleWidth();
        const int vh = visibleHeight();
        QScrollBar *h = horizontalScrollBar();
        QScrollBar *v = verticalScrollBar();
        h->setRange(0, qMax(0, m_contentsWidth - vw));
        h->setPageStep(qMax(1, vw));
        v->setRange(0, qMax(0, m_contentsHeight - vh));
        v->setPageStep(qMax(1, vh));
        if (vw == visibleWidth() && vh == visibleHeight())
            break;
    }
    m_inScrollBarUpdate = false;
}

void ScrollView::setContentsPos(int x, int y)
{
    QScrollBar *h = horizontalScrollBar();
    QScrollBar *v = verticalScrollBar();
    x = qBound(0, x, qMax(0, m_contentsWidth - visibleWidth()));
    y = qBound(0, y, qMax(0, m_contentsHeight - visibleHeight()));
    // The scroll bars may not yet know about a larger range.
    if (h->maximum() < x || v->maximum() < y)
        updateScrollBars();
    h->setValue(x);
    v->setValue(y);
}

void ScrollView::scrollBy(int dx, int dy)
{
    setContentsPos(contentsX() + dx, contentsY() + dy);
}

void ScrollView::ensureVisible(int x, int y, int xmargin, int ymargin)
{
    const int pw = visibleWidth();
    const int ph = visibleHeight();
    int cx = contentsX();
    int cy = contentsY();
    const int cw = m_contentsWidth;
    const int ch = m_contentsHeight;

    if (pw < xmargin * 2)
        xmargin = pw / 2;
    if (ph < ymargin * 2)
        ymargin = ph / 2;

    if (cw <= pw) {
        xmargin = 0;
        cx = 0;
    }
    if (ch <= ph) {
        ymargin = 0;
        cy = 0;
    }

    if (x < cx + xmargin)
        cx = x - xmargin;
    else if (x >= cx + pw - xmargin)
        cx = x - pw + xmargin;

    if (y < cy + ymargin)
        cy = y - ymargin;
    else if (y >= cy + ph - ymargin)
        cy = y - ph + ymargin;

    cx = qBound(0, cx, qMax(0, cw - pw));
    cy = qBound(0, cy, qMax(0, ch - ph));
    setContentsPos(cx, cy);
}

void ScrollView::center(int x, int y)
{
    setContentsPos(x - visibleWidth() / 2, y - visibleHeight() / 2);
}

QPoint ScrollView::viewportToContents(const QPoint &vp) const
{
    return QPoint(vp.x() + contentsX(), vp.y() + contentsY());
}

QPoint ScrollView::contentsToViewport(const QPoint &p) const
{
    return QPoint(p.x() - contentsX(), p.y() - contentsY());
}

void ScrollView::viewportToContents(int vx, int vy, int &x, int &y) const
{
    x = vx + contentsX();
    y = vy + contentsY();
}

void ScrollView::contentsToViewport(int x, int y, int &vx, int &vy) const
{
    vx = x - contentsX();
    vy = y - contentsY();
}

void ScrollView::updateContents(const QRect &r)
{
    QRect vr = r.translated(-contentsX(), -contentsY()) & viewport()->rect();
    if (vr.isValid())
        viewport()->update(vr);
}

void ScrollView::updateContents(int x, int y, int w, int h)
{
    updateContents(QRect(x, y, w, h));
}

void ScrollView::repaintContents(const QRect &r, bool)
{
    QRect vr = r.translated(-contentsX(), -contentsY()) & viewport()->rect();
    if (vr.isValid())
        viewport()->repaint(vr);
}

void ScrollView::repaintContents(int x, int y, int w, int h, bool erase)
{
    repaintContents(QRect(x, y, w, h), erase);
}

void ScrollView::repaintContents(bool erase)
{
    repaintContents(QRect(contentsX(), contentsY(), visibleWidth(), visibleHeight()), erase);
}

void ScrollView::setHScrollBarMode(ScrollBarMode mode)
{
    m_hMode = mode;
    setHorizontalScrollBarPolicy(policyFor(mode));
    updateScrollBars();
}

void ScrollView::setVScrollBarMode(ScrollBarMode mode)
{
    m_vMode = mode;
    setVerticalScrollBarPolicy(policyFor(mode));
    updateScrollBars();
}

void ScrollView::setMargins(int left, int top, int right, int bottom)
{
    if (left == m_margins[0] && top == m_margins[1] && right == m_margins[2]
        && bottom == m_margins[3])
        return;
    m_margins[0] = left;
    m_margins[1] = top;
    m_margins[2] = right;
    m_margins[3] = bottom;
    setViewportMargins(left, top, right, bottom);
    updateScrollBars();
}

QSize ScrollView::sizeHint() const
{
    const int f = 2 * frameWidth();
    const int sb = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    QSize s(f + m_margins[0] + m_margins[2], f + m_margins[1] + m_margins[3]);
    s += QSize(qMin(m_contentsWidth, 200 - sb), qMin(m_contentsHeight, 200 - sb));
    if (m_vMode == AlwaysOn || (m_vMode == Auto && m_contentsHeight > 200 - sb))
        s.rwidth() += sb;
    if (m_hMode == AlwaysOn || (m_hMode == Auto && m_contentsWidth > 200 - sb))
        s.rheight() += sb;
    return s.expandedTo(QSize(f + 2 * sb, f + 2 * sb));
}

QSize ScrollView::minimumSizeHint() const
{
    const int f = 2 * frameWidth();
    const int sb = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return QSize(f + 2 * sb, f + 2 * sb);
}

void ScrollView::drawContentsOffset(QPainter *p, int ox, int oy, int cx, int cy, int cw, int ch)
{
    p->translate(-ox, -oy);
    drawContents(p, cx, cy, cw, ch);
}

void ScrollView::drawContents(QPainter *, int, int, int, int)
{
}

void ScrollView::viewportPaintEvent(QPaintEvent *e)
{
    QPainter p(viewport());
    const QRect r = e->rect();
    p.setClipRect(r);
    const int ox = contentsX();
    const int oy = contentsY();
    drawContentsOffset(&p, ox, oy, r.x() + ox, r.y() + oy, r.width(), r.height());
}

void ScrollView::viewportResizeEvent(QResizeEvent *)
{
}

void ScrollView::contentsMousePressEvent(QMouseEvent *e)
{
    e->ignore();
}

void ScrollView::contentsMouseReleaseEvent(QMouseEvent *e)
{
    e->ignore();
}

void ScrollView::contentsMouseDoubleClickEvent(QMouseEvent *e)
{
    e->ignore();
}

void ScrollView::contentsMouseMoveEvent(QMouseEvent *e)
{
    e->ignore();
}

void ScrollView::contentsContextMenuEvent(QContextMenuEvent *e)
{
    e->ignore();
}

QMouseEvent ScrollView::toContents(const QMouseEvent *me, const QPoint &viewportPos) const
{
    QMouseEvent ce(me->type(), QPointF(viewportToContents(viewportPos)), me->windowPos(),
                   me->screenPos(), me->button(), me->buttons(), me->modifiers(), me->source());
    ce.setTimestamp(me->timestamp());
    ce.setAccepted(true);
    return ce;
}

bool ScrollView::viewportEvent(QEvent *e)
{
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        auto *me = static_cast<QMouseEvent *>(e);
        QMouseEvent ce = toContents(me, me->pos());
        switch (e->type()) {
        case QEvent::MouseButtonPress:
            contentsMousePressEvent(&ce);
            break;
        case QEvent::MouseButtonRelease:
            contentsMouseReleaseEvent(&ce);
            break;
        case QEvent::MouseButtonDblClick:
            contentsMouseDoubleClickEvent(&ce);
            break;
        default:
            contentsMouseMoveEvent(&ce);
            break;
        }
        e->setAccepted(ce.isAccepted());
        return ce.isAccepted();
    }
    case QEvent::ContextMenu: {
        auto *ce = static_cast<QContextMenuEvent *>(e);
        QContextMenuEvent cce(ce->reason(), viewportToContents(ce->pos()), ce->globalPos(),
                              ce->modifiers());
        cce.setAccepted(true);
        contentsContextMenuEvent(&cce);
        e->setAccepted(cce.isAccepted());
        return cce.isAccepted();
    }
    case QEvent::Paint:
        viewportPaintEvent(static_cast<QPaintEvent *>(e));
        return true;
    case QEvent::Resize:
        updateScrollBars();
        viewportResizeEvent(static_cast<QResizeEvent *>(e));
        return QAbstractScrollArea::viewportEvent(e);
    default:
        return QAbstractScrollArea::viewportEvent(e);
    }
}

void ScrollView::scrollContentsBy(int dx, int dy)
{
    emit contentsMoving(contentsX(), contentsY());
    viewport()->scroll(dx, dy);
}

void ScrollView::resizeEvent(QResizeEvent *e)
{
    QAbstractScrollArea::resizeEvent(e);
    updateScrollBars();
}
