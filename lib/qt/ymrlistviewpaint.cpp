// YMRListView: drawable rows, painting, row colours and the empty area.

#include "ymrlistview.h"

#include "qpe/config.h"
#include "ymrheader.h"
#include "ymrlistviewprivate.h"

#include <QCoreApplication>
#include <QPainter>

// ---- drawable rows ----------------------------------------------------------

void YMRListView::buildDrawableList() const
{
    d->r->enforceSortOrder();
    d->drawables.clear();

    const int cy = contentsY();
    int ch = visibleHeight();
    if (!isVisible())
        ch = qMax(ch, 200);
    const int end = cy + ch;
    d->builtY = cy;
    d->builtHeight = visibleHeight();
    d->topPixel = cy;
    d->bottomPixel = end - 1;

    struct Pending {
        YMRListViewItem *item;
        int y;
        int level;
    };
    std::vector<Pending> stack;
    stack.push_back({ d->r, 0, d->rootIsExpandable ? 0 : -1 });
    while (!stack.empty()) {
        const Pending cur = stack.back();
        stack.pop_back();
        const int ih = cur.item->height();
        const int ith = cur.item->totalHeight();

        if (cur.item->m_sibling && cur.y + ith < end)
            stack.push_back({ cur.item->m_sibling, cur.y + ith, cur.level });

        // The item itself or something below it meets the range: parents
        // scrolled off the top still paint their children's branch lines.
        if (cur.y + ith > cy && cur.y < end) {
            d->drawables.push_back({ cur.y, cur.level, cur.item });
            if (ih > 0 && cur.y + ih > cy) {
                d->topPixel = qMin(d->topPixel, cur.y);
                d->bottomPixel = qMax(d->bottomPixel, cur.y + ih - 1);
            }
            if (cur.item->isOpen() && cur.item->m_childCount) {
                YMRListViewItem *c = cur.item->firstChild();
                int y = cur.y + ih;
                while (c && y + c->totalHeight() <= cy) {
                    y += c->totalHeight();
                    c = c->m_sibling;
                }
                if (c && y < end)
                    stack.push_back({ c, y, cur.level + 1 });
            }
        }
    }
}

// The list describes the rows of one scroll position; a lookup after
// scrolling must not read the rows of the old one.
void YMRListView::ensureDrawables() const
{
    if (d->drawables.empty() || d->builtY != contentsY() || d->builtHeight != visibleHeight())
        buildDrawableList();
}

YMRListViewItem *YMRListView::drawableAt(int y, int *itemY) const
{
    ensureDrawables();
    for (const YMRListViewPrivate::Drawable &dr : d->drawables) {
        const int ih = dr.item->height();
        if (ih > 0 && dr.y + ih > y) {
            if (dr.y <= y) {
                if (itemY)
                    *itemY = dr.y;
                return dr.item;
            }
            return nullptr;
        }
    }
    return nullptr;
}

YMRListViewItem *YMRListView::itemAt(const QPoint &viewPos) const
{
    if (viewPos.x() > contentsWidth() - contentsX())
        return nullptr;
    return drawableAt(viewPos.y() + contentsY(), nullptr);
}

QRect YMRListView::itemRect(const YMRListViewItem *item) const
{
    ensureDrawables();
    for (const YMRListViewPrivate::Drawable &dr : d->drawables) {
        if (dr.item != item)
            continue;
        const int y = dr.y - contentsY();
        const int ih = item->height();
        if (y + ih >= 0 && y < visibleHeight())
            return QRect(-contentsX(), y, d->h->width(), ih);
        break;
    }
    return QRect(QPoint(0, 0), QPoint(-2, -2));
}

// ---- painting ---------------------------------------------------------------

void YMRListView::drawContentsOffset(QPainter *p, int ox, int oy, int cx, int cy, int cw, int ch)
{
    if (d->drawables.empty() || cy < d->topPixel || cy + ch - 1 > d->bottomPixel
        || d->r->m_totalHeight < 0 || d->builtY != oy || d->builtHeight != visibleHeight())
        buildDrawableList();

    const QRect exposed(cx - ox, cy - oy, cw, ch);
    if (!d->dirtyItems.isEmpty()) {
        const QRect vr = viewport()->rect();
        for (auto it = d->dirtyItems.begin(); it != d->dirtyItems.end();) {
            const QRect ir = itemRect(*it) & vr;
            if (ir.isEmpty() || exposed.contains(ir))
                it = d->dirtyItems.erase(it);
            else
                ++it;
        }
        if (!d->dirtyItems.isEmpty())
            d->dirtyItemTimer->start(0);
        else
            d->dirtyItemTimer->stop();
    }

    const QPalette cg = palette();
    p->setFont(font());

    YMRHeader *h = d->h;
    const int ncols = h->count();
    const int step = treeStepSize();
    const int col0Index = h->mapToActual(0);
    const int col0Pos = col0Index >= 0 ? h->cellPos(col0Index) : 0;
    int fc = -1;
    int lc = -1;
    bool columnsKnown = false;

    for (const YMRListViewPrivate::Drawable &cur : d->drawables) {
        YMRListViewItem *item = cur.item;
        const int ih = item->height();
        const int ith = item->totalHeight();

        if (ih > 0 && cur.y + ih > cy && cur.y < cy + ch) {
            if (!columnsKnown) {
                columnsKnown = true;
                for (int i = 0; i < ncols; ++i) {
                    const int x = h->cellPos(i);
                    if (x + h->cellSize(i) > cx && x < cx + cw) {
                        if (fc < 0)
                            fc = i;
                        lc = i;
                    }
                }
            }

            // Rows without colours of their own keep the palette's.
            QColor text = cg.color(QPalette::Text);
            QColor base = cg.color(QPalette::Base);
            d->paintItem = item;
            d->paintItemY = cur.y;
            rowColors(item, text, base, 0, 0);
            d->paintItem = nullptr;
            QPalette rowPal = cg;
            rowPal.setColor(QPalette::Text, text);
            rowPal.setColor(QPalette::Base, base);

            for (int c = fc; c >= 0 && c <= lc; ++c) {
                const int col = h->mapToLogical(c);
                QRect r(h->cellPos(c) - ox, cur.y - oy, h->cellSize(c), ih);
                if (col == 0 && item->m_parent)
                    r.setLeft(r.left() + cur.level * step);
                p->save();
                p->translate(r.left(), r.top());
                item->paintCell(p, rowPal, col, r.width(), columnAlignment(col));
                p->restore();
            }

            if (item == d->focusItem && hasFocus()) {
                if (!d->allColumnsShowFocus) {
                    QRect r(col0Pos - ox, cur.y - oy, h->sectionSize(0), ih);
                    if (item->m_parent)
                        r.setLeft(r.left() + cur.level * step);
                    item->paintFocus(p, cg, r);
                } else {
                    const int tw = ncols ? h->cellPos(ncols) : 0;
                    const QRect row(-ox, cur.y - oy, tw, ih);
                    if (col0Index == 0 || (cur.level == 0 && !d->rootIsExpandable)) {
                        QRect r = row;
                        r.setLeft(r.left() + cur.level * step);
                        item->paintFocus(p, cg, r);
                    } else {
                        const int indent = step * (item->depth() + (d->rootIsExpandable ? 1 : 0));
                        const QRect left(QPoint(row.left(), row.top()),
                                         QPoint(col0Pos - ox - 1, row.bottom()));
                        const QRect right(QPoint(col0Pos - ox + indent + d->margin - 1, row.top()),
                                          QPoint(row.right(), row.bottom()));
                        item->paintFocus(p, cg, left);
                        item->paintFocus(p, cg, right);
                    }
                }
            }
        }

        // Branch lines of the children, in the strip left of their cells.
        if (ith > ih && (item != d->r || d->rootIsExpandable)) {
            const int bx = col0Pos + cur.level * step;
            const int childTop = cur.y + ih;
            const QRect strip(bx, childTop, step, ith - ih);
            if (strip.intersects(QRect(cx, cy, cw, ch))) {
                const int top = qMax(childTop, cy);
                const int bottom = qMin(cur.y + ith, cy + ch);
                p->save();
                p->translate(bx - ox, top - oy);
                item->paintBranches(p, cg, step, childTop - top, bottom - top);
                p->restore();
            }
        }
    }

    const int th = d->r->totalHeight();
    if (th < cy + ch)
        paintEmptyArea(p, QRect(cx - ox, qMax(th, cy) - oy, cw, cy + ch - qMax(th, cy)));
    const int tw = ncols ? h->cellPos(ncols) : 0;
    if (tw < cx + cw)
        paintEmptyArea(p, QRect(qMax(tw, cx) - ox, cy - oy, cx + cw - qMax(tw, cx), ch));

    p->setPen(QColor(224, 224, 224));
    int x = 0;
    for (int i = 0; i < ncols; ++i) {
        x += h->cellSize(i);
        const int vx = x - ox;
        if (x >= cx && x < cx + cw)
            p->drawLine(vx, cy - oy, vx, cy + ch - oy - 1);
    }
}

// ---- colour modes -----------------------------------------------------------

int YMRListView::rowHeightOf(const YMRListViewItem *item) const
{
    const int h = item ? item->height() : 0;
    return h > 0 ? h : d->fontMetricsHeight + 2;
}

void YMRListView::setColorMode(int mode)
{
    d->colorMode = mode;
    if (mode == 1)
        loadColors();
    triggerUpdate();
}

int YMRListView::colorMode() const
{
    return d->colorMode;
}

namespace {
QString colorFileFor(const QString &viewName)
{
    if (viewName.startsWith(QLatin1String("ymr")))
        return QStringLiteral("ymr");
    QCoreApplication *app = QCoreApplication::instance();
    QString name = app ? app->objectName() : QString();
    if (name.isEmpty())
        name = QCoreApplication::applicationName();
    return name;
}
} // namespace

void YMRListView::loadColors()
{
    if (d->colorMode != 1 || objectName().isEmpty())
        return;
    Config cfg(colorFileFor(objectName()), Config::User);
    cfg.setGroup(objectName());
    d->c1 = QColor(cfg.readEntry(QStringLiteral("c1"), QStringLiteral("#336699")));
    d->c2 = QColor(cfg.readEntry(QStringLiteral("c2"), QStringLiteral("#e5e5e5")));
    d->c3 = QColor(cfg.readEntry(QStringLiteral("c3"), QStringLiteral("#000000")));
    d->c4 = QColor(cfg.readEntry(QStringLiteral("c4"), QStringLiteral("#ffffcc")));
    triggerUpdate();
}

void YMRListView::setColors(const QColor *text1, const QColor *base1, const QColor *text2,
                            const QColor *base2)
{
    d->colorMode = 1;
    const QPalette pal = palette();
    d->c1 = text1 ? *text1 : pal.color(QPalette::Text);
    d->c2 = base1 ? *base1 : pal.color(QPalette::Base);
    d->c3 = text2 ? *text2 : pal.color(QPalette::Text);
    d->c4 = base2 ? *base2 : pal.color(QPalette::Base);
    triggerUpdate();
    if (objectName().isEmpty())
        return;
    Config cfg(colorFileFor(objectName()), Config::User);
    cfg.setGroup(objectName());
    cfg.writeEntry(QStringLiteral("c1"), d->c1.name());
    cfg.writeEntry(QStringLiteral("c2"), d->c2.name());
    cfg.writeEntry(QStringLiteral("c3"), d->c3.name());
    cfg.writeEntry(QStringLiteral("c4"), d->c4.name());
}

void YMRListView::rowColors(YMRListViewItem *item, QColor &text, QColor &base, int y, int height)
{
    const QPalette pal = palette();
    if (d->colorMode == 1) {
        int row;
        if (item) {
            const int pos = item == d->paintItem ? d->paintItemY : item->itemPos();
            row = pos / rowHeightOf(item);
        } else {
            // A hidden first row (height 0) must not stop the stripes.
            const int h = height > 0 ? height : d->fontMetricsHeight + 2;
            row = y / h;
        }
        const bool even = (row & 1) == 0;
        const QColor &t = even ? d->c1 : d->c3;
        const QColor &b = even ? d->c2 : d->c4;
        // Colours never set stand for the palette's.
        text = t.isValid() ? t : pal.color(QPalette::Text);
        base = b.isValid() ? b : pal.color(QPalette::Base);
    } else if (d->colorMode == 2 && item) {
        text = pal.color(QPalette::Text);
        base = pal.color(QPalette::Base);
        item->colors(text, base);
    } else {
        text = pal.color(QPalette::Text);
        base = pal.color(QPalette::Base);
    }
}

void YMRListView::paintEmptyArea(QPainter *p, const QRect &rect)
{
    const QTransform saved = p->worldTransform();
    const QRect r = rect.translated(int(saved.dx()), int(saved.dy()));
    p->save();
    p->resetTransform();

    const YMRListViewItem *first = d->r ? d->r->firstChild() : nullptr;
    const int rowH = rowHeightOf(first);
    const int top = r.top() + contentsY();
    int y = (top >= 0 ? top / rowH : -((-top + rowH - 1) / rowH)) * rowH;
    for (;; y += rowH) {
        const int vy = y - contentsY();
        if (vy > r.bottom())
            break;
        int itemY = 0;
        YMRListViewItem *item = drawableAt(y, &itemY);
        QColor text = palette().color(QPalette::Text);
        QColor base = palette().color(QPalette::Base);
        d->paintItem = item;
        d->paintItemY = itemY;
        rowColors(item, text, base, y, rowH);
        d->paintItem = nullptr;
        const QRect stripe = QRect(r.left(), vy, r.width(), rowH) & r;
        if (!stripe.isEmpty())
            p->fillRect(stripe, base);
    }
    p->restore();
}
