#include "ymrchecklistitem.h"

#include "ymrheader.h"
#include "ymrlistview.h"

#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <QStyle>
#include <QVector>

class YMRCheckListItemPrivate
{
public:
    bool enabled = true;
    // For a controller: its radio children, which point back at it and must
    // not keep doing so once it is gone.
    QVector<YMRCheckListItem *> radios;
};

namespace {

const int BoxSize = 16;

QPixmap *defaultControllerPixmap = nullptr;

void releaseControllerPixmap()
{
    delete defaultControllerPixmap;
    defaultControllerPixmap = nullptr;
}

// A small yellow square with a black frame and a grey shadow.
const QPixmap &controllerPixmap()
{
    if (!defaultControllerPixmap) {
        const QRgb black = QColor(QStringLiteral("#000000000000")).rgba();
        const QRgb yellow = QColor(QStringLiteral("#FFFFFFFF0000")).rgba();
        const QRgb grey = QColor(QStringLiteral("#C71BC30BC71B")).rgba();
        QImage img(16, 16, QImage::Format_ARGB32);
        img.fill(Qt::transparent);
        for (int y = 2; y <= 11; ++y) {
            for (int x = 1; x <= 10; ++x) {
                const bool frame = x == 1 || x == 10 || y == 2 || y == 11;
                img.setPixel(x, y, frame ? black : yellow);
            }
        }
        for (int y = 4; y <= 11; ++y) {
            img.setPixel(11, y, grey);
            img.setPixel(12, y, grey);
        }
        for (int x = 3; x <= 12; ++x) {
            img.setPixel(x, 12, grey);
            img.setPixel(x, 13, grey);
        }
        defaultControllerPixmap = new QPixmap(QPixmap::fromImage(img));
        // Pixmaps must go before the application object does.
        qAddPostRoutine(releaseControllerPixmap);
    }
    return *defaultControllerPixmap;
}

// A radio button needs a controller above it.
void warnRadioWithoutCheckListParent(int type)
{
    if (type == YMRCheckListItem::RadioButton)
        qWarning("YMRCheckListItem::YMRCheckListItem(), radio button must be child of a "
                 "YMRCheckListItem");
}

QPolygon diamond(int cx, int cy, int e)
{
    QPolygon d;
    d << QPoint(cx - e, cy) << QPoint(cx, cy - e) << QPoint(cx + e, cy) << QPoint(cx, cy + e);
    return d;
}

} // namespace

// ---- construction ---------------------------------------------------------------

YMRCheckListItem::YMRCheckListItem(YMRCheckListItem *parent, const QString &text, Type type)
    : YMRListViewItem(static_cast<YMRListViewItem *>(parent), text), m_type(type)
{
    init();
    if (type == RadioButton) {
        if (parent && parent->type() == Controller) {
            m_exclusive = parent;
            parent->d->radios.append(this);
        } else {
            qWarning("YMRCheckListItem::YMRCheckListItem(), radio button must be child of a "
                     "controller");
        }
    }
}

YMRCheckListItem::YMRCheckListItem(YMRListViewItem *parent, const QString &text, Type type)
    : YMRListViewItem(parent, text), m_type(type)
{
    init();
    warnRadioWithoutCheckListParent(type);
}

YMRCheckListItem::YMRCheckListItem(YMRListView *parent, const QString &text, Type type)
    : YMRListViewItem(parent, text), m_type(type)
{
    init();
    warnRadioWithoutCheckListParent(type);
}

YMRCheckListItem::YMRCheckListItem(YMRListViewItem *parent, const QString &text,
                                   const QPixmap &pixmap)
    : YMRListViewItem(parent, text), m_type(Controller)
{
    setPixmap(0, pixmap);
    init();
}

YMRCheckListItem::YMRCheckListItem(YMRListView *parent, const QString &text,
                                   const QPixmap &pixmap)
    : YMRListViewItem(parent, text), m_type(Controller)
{
    setPixmap(0, pixmap);
    init();
}

void YMRCheckListItem::init()
{
    m_on = false;
    d = new YMRCheckListItemPrivate;
    const QPixmap &picture = controllerPixmap();
    if (m_type == Controller && !pixmap(0))
        setPixmap(0, picture);
    m_exclusive = nullptr;
}

YMRCheckListItem::~YMRCheckListItem()
{
    if (m_type == RadioButton && m_exclusive) {
        if (m_exclusive->m_exclusive == this)
            m_exclusive->turnOffChild();
        m_exclusive->d->radios.removeAll(this);
    } else if (m_type == Controller) {
        // The radio children are deleted after this, or may live on
        // elsewhere: none switches anything here any more.
        m_exclusive = nullptr;
        for (YMRCheckListItem *radio : qAsConst(d->radios))
            radio->m_exclusive = nullptr;
        d->radios.clear();
    }
    m_exclusive = nullptr;
    delete d;
    d = nullptr;
}

// ---- state ------------------------------------------------------------------------

void YMRCheckListItem::setOn(bool on)
{
    if (on == m_on)
        return;
    if (m_type == CheckBox) {
        m_on = on;
        stateChange(on);
    } else if (m_type == RadioButton) {
        if (on) {
            if (m_exclusive && m_exclusive->m_exclusive && m_exclusive->m_exclusive != this)
                m_exclusive->turnOffChild();
            m_on = true;
            if (m_exclusive)
                m_exclusive->m_exclusive = this;
        } else {
            if (m_exclusive && m_exclusive->m_exclusive == this)
                m_exclusive->m_exclusive = nullptr;
            m_on = false;
        }
        stateChange(on);
    }
    repaint();
}

void YMRCheckListItem::stateChange(bool)
{
}

void YMRCheckListItem::turnOffChild()
{
    if (m_type == Controller && m_exclusive)
        m_exclusive->setOn(false);
}

void YMRCheckListItem::activate()
{
    YMRListView *lv = listView();
    if ((lv && !lv->isEnabled()) || !isEnabled())
        return;
    QPoint pos;
    if (activatedPos(pos) && (pos.x() < 0 || pos.x() >= BoxSize))
        return;
    if (m_type == CheckBox)
        setOn(!m_on);
    else if (m_type == RadioButton)
        setOn(true);
}

void YMRCheckListItem::setEnabled(bool on)
{
    if (d->enabled == on)
        return;
    d->enabled = on;
    repaint();
}

bool YMRCheckListItem::isEnabled() const
{
    return d->enabled;
}

// ---- geometry -----------------------------------------------------------------------

QString YMRCheckListItem::text(int column) const
{
    return YMRListViewItem::text(column);
}

void YMRCheckListItem::setup()
{
    YMRListViewItem::setup();
    setHeight(qMax(height(), BoxSize));
}

int YMRCheckListItem::width(const QFontMetrics &fm, const YMRListView *lv, int column) const
{
    int w = YMRListViewItem::width(fm, lv, column);
    if (column == 0) {
        w += lv ? lv->itemMargin() : 0;
        if (m_type != Controller || !pixmap(0))
            w += 20;
    }
    return w;
}

// ---- painting -----------------------------------------------------------------------

void YMRCheckListItem::paintCell(QPainter *p, const QPalette &cg, int column, int width,
                                 int alignment)
{
    if (!p)
        return;
    p->fillRect(0, 0, width, height(), cg.brush(QPalette::Base));
    if (column != 0) {
        YMRListViewItem::paintCell(p, cg, column, width, alignment);
        return;
    }
    YMRListView *lv = listView();
    if (!lv)
        return;

    const int m = lv->itemMargin();
    int r = m;
    const int y = (height() - BoxSize) / 2;
    const QColor ink = isEnabled() ? cg.color(QPalette::Text)
                                   : lv->palette().color(QPalette::Disabled, QPalette::Text);

    p->save();
    if (m_type == Controller) {
        if (!pixmap(0))
            r += 20;
    } else if (m_type == CheckBox) {
        // A 12 x 12 box whose 2-pixel frame lies inside it.
        p->setPen(QPen(ink, 2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        p->setBrush(Qt::NoBrush);
        p->drawRect(QRectF(m + 1, y + 3, 10, 10));
        if (m_on) {
            static const int tops[7] = { 6, 7, 8, 7, 6, 5, 4 };
            p->setPen(Qt::NoPen);
            p->setBrush(ink);
            for (int i = 0; i < 7; ++i)
                p->drawRect(m + 2 + i, y + tops[i], 2, 3);
        }
        r += 20;
    } else if (lv->style()->inherits("QWindowsStyle")) {
        p->setPen(QPen(ink, 0));
        p->setBrush(Qt::NoBrush);
        static const int outline[4][24] = {
            { 1, 9, 1, 8, 0, 7, 0, 4, 1, 3, 1, 2, 2, 1, 3, 1, 4, 0, 7, 0, 8, 1, 9, 1 },
            { 2, 8, 1, 7, 1, 4, 2, 3, 2, 2, 3, 2, 4, 1, 7, 1, 8, 2, 9, 2 },
            { 2, 9, 3, 9, 4, 10, 7, 10, 8, 9, 9, 9, 9, 8, 10, 7, 10, 4, 9, 3 },
            { 2, 10, 3, 10, 4, 11, 7, 11, 8, 10, 9, 10, 10, 9, 10, 8, 11, 7, 11, 4, 10, 3,
              10, 2 },
        };
        static const int points[4] = { 12, 10, 10, 12 };
        for (int l = 0; l < 4; ++l) {
            QPolygon line(points[l]);
            for (int k = 0; k < points[l]; ++k)
                line.setPoint(k, outline[l][2 * k], outline[l][2 * k + 1] + y);
            p->drawPolyline(line);
        }
        if (m_on) {
            p->setPen(Qt::NoPen);
            p->setBrush(cg.color(QPalette::Text));
            p->drawRect(5, y + 4, 2, 4);
            p->drawRect(4, y + 5, 4, 2);
        }
        r += 20;
    } else {
        p->setPen(QPen(ink, 0));
        p->setBrush(Qt::NoBrush);
        const int cx = 7;
        const int cy = height() / 2;
        for (int e = 7; e >= 5; --e)
            p->drawPolygon(diamond(cx, cy, e));
        if (m_on) {
            p->setBrush(cg.color(QPalette::Text));
            p->drawPolygon(diamond(cx, cy, 2));
            p->setBrush(Qt::NoBrush);
        }
        r += 20;
    }
    p->restore();

    p->translate(r, 0);
    p->setPen(cg.color(QPalette::Text));
    YMRListViewItem::paintCell(p, cg, 0, width - r, alignment);
}

void YMRCheckListItem::paintBranches(QPainter *p, const QPalette &cg, int w, int y, int h)
{
    YMRListViewItem::paintBranches(p, cg, w, y, h);
}

void YMRCheckListItem::paintFocus(QPainter *p, const QPalette &cg, const QRect &r)
{
    YMRListView *lv = listView();
    if (m_type == Controller || !lv) {
        YMRListViewItem::paintFocus(p, cg, r);
        return;
    }
    YMRHeader *h = lv->header();
    if (h->mapToActual(0) != 0) {
        // Column 0 is not the first shown: a rectangle away from its
        // indentation strip has no box to leave out.
        const int x0 = h->cellPos(h->mapToActual(0)) - lv->contentsX();
        const int indent = lv->treeStepSize() * (depth() + (lv->rootIsDecorated() ? 1 : 0))
                           + lv->itemMargin();
        const QRect strip(x0, r.y(), indent, r.height());
        if (!r.intersects(strip)) {
            YMRListViewItem::paintFocus(p, cg, r);
            return;
        }
    }
    YMRListViewItem::paintFocus(p, cg,
                                QRect(r.x() + BoxSize + 5, r.y(), r.width() - BoxSize - 5,
                                      r.height()));
}
