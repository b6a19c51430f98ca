#include "ymrheader.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QVector>
#include <optional>
#include <vector>

namespace {
const int GripMargin = 4;
const int MinSectionSize = 8;
const int MarkerHalfWidth = 16;

QPixmap smallPixmap(const QIcon &icon, QIcon::Mode mode)
{
    const QList<QSize> sizes = icon.availableSizes(mode);
    QSize s = sizes.isEmpty() ? icon.availableSizes().value(0, QSize(16, 16)) : sizes.first();
    return icon.pixmap(s, mode);
}
} // namespace

class YMRHeaderPrivate
{
public:
    QVector<int> sizes;                     // by section
    QVector<int> heights;                   // by section
    mutable QVector<int> positions;         // by index
    std::vector<std::optional<QString>> labels;   // by section
    std::vector<std::optional<QIcon>> iconSets;   // by section
    QVector<int> i2s;                       // index to section
    QVector<int> s2i;                       // section to index
    QVector<bool> clickable;
    QVector<bool> resizable;
    bool movable = true;
    bool clickDefault = true;
    bool resizeDefault = true;
    bool sortDirection = true;
    int sortSection = -1;
    int count = 0;
    mutable bool positionsDirty = true;
};

YMRHeader::YMRHeader(QWidget *parent, const char *name)
    : QWidget(parent)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    init(0);
}

YMRHeader::YMRHeader(int n, QWidget *parent, const char *name)
    : QWidget(parent)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    init(n);
}

YMRHeader::~YMRHeader() = default;

void YMRHeader::init(int n)
{
    m_state = Idle;
    m_offset = 0;
    m_orient = Qt::Horizontal;
    d.reset(new YMRHeaderPrivate);
    n = qMax(0, n);
    d->count = n;
    const int h = fontMetrics().lineSpacing() + 6;
    d->sizes.fill(88, n);
    d->heights.fill(h, n);
    d->positions.fill(0, n);
    d->labels.resize(n);
    d->iconSets.resize(n);
    d->i2s.resize(n);
    d->s2i.resize(n);
    for (int i = 0; i < n; ++i) {
        d->i2s[i] = i;
        d->s2i[i] = i;
    }
    d->clickable.fill(true, n);
    d->resizable.fill(true, n);
    d->positionsDirty = true;
    calculatePositions();

    m_handleIdx = 0;
    setMouseTracking(true);
    m_tracking = false;
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setSizePolicy(QSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed));
}

// ---- positions ------------------------------------------------------------

void YMRHeader::calculatePositions() const
{
    d->positionsDirty = false;
    int p = 0;
    for (int i = 0; i < d->count; ++i) {
        d->positions[i] = p;
        p += d->sizes[d->i2s[i]];
    }
}

int YMRHeader::pos(int index) const
{
    if (d->positionsDirty)
        calculatePositions();
    if (index >= 0 && index < d->count)
        return d->positions[index];
    if (index == d->count && d->count > 0)
        return d->positions[d->count - 1] + d->sizes[d->i2s[d->count - 1]];
    return 0;
}

int YMRHeader::pSize(int index) const
{
    return cellSize(index);
}

int YMRHeader::pPos(int index) const
{
    return pos(index) - m_offset;
}

int YMRHeader::count() const
{
    return d->count;
}

int YMRHeader::mapToSection(int index) const
{
    return (index >= 0 && index < d->count) ? d->i2s[index] : -1;
}

int YMRHeader::mapToIndex(int section) const
{
    return (section >= 0 && section < d->count) ? d->s2i[section] : -1;
}

int YMRHeader::sectionSize(int section) const
{
    return (section >= 0 && section < d->count) ? d->sizes[section] : 0;
}

int YMRHeader::sectionPos(int section) const
{
    if (section < 0 || section >= d->count)
        return 0;
    return pos(d->s2i[section]);
}

int YMRHeader::cellSize(int index) const
{
    return sectionSize(mapToSection(index));
}

int YMRHeader::cellPos(int index) const
{
    if (index == d->count && index >= 1)
        return pos(index);
    return sectionPos(mapToSection(index));
}

int YMRHeader::cellHeight(int index) const
{
    const int s = mapToSection(index);
    return s < 0 ? 0 : d->heights[s];
}

void YMRHeader::setCellHeight(int index, int h)
{
    const int s = mapToSection(index);
    if (s >= 0)
        d->heights[s] = h;
}

int YMRHeader::sectionAtPos(int p) const
{
    if (d->count <= 0)
        return -1;
    if (d->positionsDirty)
        calculatePositions();
    int l = 0;
    int r = d->count - 1;
    int i = (l + r + 1) / 2;
    while (l != r) {
        if (d->positions[i] > p)
            r = i - 1;
        else
            l = i;
        i = (l + r + 1) / 2;
    }
    const int s = d->i2s[i];
    if (d->positions[i] <= p && p <= d->positions[i] + d->sizes[s])
        return s;
    return -1;
}

int YMRHeader::sectionAt(int x) const
{
    return mapToIndex(sectionAtPos(x + m_offset));
}

void YMRHeader::setCellSize(int section, int size)
{
    if (section < 0 || section >= d->count)
        return;
    d->sizes[section] = size;
    d->positionsDirty = true;
    if (updatesEnabled())
        calculatePositions();
}

void YMRHeader::resizeSection(int section, int size)
{
    if (section < 0 || section >= d->count)
        return;
    setCellSize(section, size);
    if (updatesEnabled())
        update();
}

// ---- labels ---------------------------------------------------------------

QSize YMRHeader::labelExtent(int section) const
{
    int iw = 0;
    int ih = 0;
    if (section < int(d->iconSets.size()) && d->iconSets[section]) {
        const QPixmap pm = smallPixmap(*d->iconSets[section], QIcon::Normal);
        iw = pm.width() + 2;
        ih = pm.height() + 6;
    }
    const QFontMetrics fm = fontMetrics();
    ih = qMax(ih, fm.lineSpacing() + 6);
    const QString text = d->labels[section] ? *d->labels[section] : QString();
    if (text.isEmpty())
        iw += 8;
    else
        iw = fm.horizontalAdvance(text) + iw + 12;
    return QSize(iw, ih);
}

void YMRHeader::changeEvent(QEvent *e)
{
    // the section heights were measured in the old font
    if (e->type() == QEvent::FontChange || e->type() == QEvent::StyleChange) {
        for (int i = 0; i < d->count; ++i) {
            const QSize extent = labelExtent(i);
            d->heights[i] = m_orient == Qt::Horizontal ? extent.height() : extent.width();
        }
        updateGeometry();
        update();
    }
    QWidget::changeEvent(e);
}

int YMRHeader::addLabel(const QString &text, int size)
{
    const int n = d->count;
    const int start = pos(n);
    d->count = n + 1;
    d->labels.resize(d->count);
    if (int(d->iconSets.size()) < d->count)
        d->iconSets.resize(d->count);
    d->sizes.resize(d->count);
    d->positions.resize(d->count);
    d->heights.resize(d->count);
    d->labels[n] = text;

    const QSize extent = labelExtent(n);
    if (size < 0)
        size = m_orient == Qt::Horizontal ? extent.width() : extent.height();

    d->sizes[n] = size;
    d->positions[n] = start;
    d->heights[n] = m_orient == Qt::Horizontal ? extent.height() : extent.width();
    d->i2s.append(n);
    d->s2i.append(n);
    d->clickable.append(d->clickDefault);
    d->resizable.append(d->resizeDefault);
    if (updatesEnabled())
        update();
    return n;
}

int YMRHeader::addLabel(const QIcon &iconSet, const QString &text, int size)
{
    if (int(d->iconSets.size()) < d->count + 1)
        d->iconSets.resize(d->count + 1);
    d->iconSets[d->count] = iconSet;
    return addLabel(text, size);
}

void YMRHeader::removeLabel(int section)
{
    if (section < 0 || section >= d->count)
        return;
    const int index = d->s2i[section];
    const int n = d->count - 1;
    d->count = n;
    d->sizes.remove(section);
    d->heights.remove(section);
    d->labels.erase(d->labels.begin() + section);
    if (section < int(d->iconSets.size()))
        d->iconSets.erase(d->iconSets.begin() + section);
    d->iconSets.resize(n);
    d->clickable.remove(section);
    d->resizable.remove(section);
    d->positions.resize(n);

    d->s2i.remove(section);
    for (int &i : d->s2i)
        if (i > index)
            --i;
    d->i2s.remove(index);
    for (int &s : d->i2s)
        if (s > section)
            --s;
    d->positionsDirty = true;
    if (updatesEnabled()) {
        calculatePositions();
        update();
    }
}

void YMRHeader::setLabel(int section, const QString &text, int size)
{
    if (section < 0 || section >= d->count)
        return;
    d->labels[section] = text;
    if (size >= 0) {
        d->sizes[section] = size;
        d->positionsDirty = true;
    }
    if (updatesEnabled()) {
        calculatePositions();
        update();
    }
}

void YMRHeader::setLabel(int section, const QIcon &iconSet, const QString &text, int size)
{
    if (section < 0 || section >= d->count)
        return;
    d->iconSets[section] = iconSet;
    setLabel(section, text, size);
}

QString YMRHeader::label(int section) const
{
    if (section < 0 || section >= d->count || !d->labels[section])
        return QString();
    return *d->labels[section];
}

const QIcon *YMRHeader::iconSet(int section) const
{
    if (section < 0 || section >= d->count || section >= int(d->iconSets.size())
        || !d->iconSets[section])
        return nullptr;
    return &*d->iconSets[section];
}

// ---- switches -------------------------------------------------------------

void YMRHeader::setOrientation(Qt::Orientation o)
{
    if (o == m_orient)
        return;
    m_orient = o;
    if (o == Qt::Horizontal)
        setSizePolicy(QSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed));
    else
        setSizePolicy(QSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred));
    update();
    updateGeometry();
}

void YMRHeader::setTracking(bool enable)
{
    m_tracking = enable;
}

namespace {
// A section's bit, or every bit and the default for new sections.
void setSectionBit(QVector<bool> &bits, bool &newDefault, bool enable, int section)
{
    if (section < 0) {
        bits.fill(enable);
        newDefault = enable;
    } else if (section < bits.size()) {
        bits[section] = enable;
    }
}

bool sectionBit(const QVector<bool> &bits, int section)
{
    if (section >= 0 && section < bits.size())
        return bits[section];
    return !bits.contains(false);
}
} // namespace

void YMRHeader::setClickEnabled(bool enable, int section)
{
    setSectionBit(d->clickable, d->clickDefault, enable, section);
}

void YMRHeader::setResizeEnabled(bool enable, int section)
{
    setSectionBit(d->resizable, d->resizeDefault, enable, section);
}

void YMRHeader::setMovingEnabled(bool enable)
{
    d->movable = enable;
}

bool YMRHeader::isClickEnabled(int section) const
{
    return sectionBit(d->clickable, section);
}

bool YMRHeader::isResizeEnabled(int section) const
{
    return sectionBit(d->resizable, section);
}

bool YMRHeader::isMovingEnabled() const
{
    return d->movable;
}

void YMRHeader::setSortIndicator(int section, bool increasing)
{
    d->sortSection = section;
    d->sortDirection = increasing;
    update();
    updateGeometry();
}

int YMRHeader::sortIndicatorSection() const
{
    return d->sortSection;
}

bool YMRHeader::sortIndicatorIncreasing() const
{
    return d->sortDirection;
}

void YMRHeader::setUpdatesEnabled(bool enable)
{
    if (enable)
        calculatePositions();
    QWidget::setUpdatesEnabled(enable);
}

void YMRHeader::setOffset(int x)
{
    const int old = m_offset;
    m_offset = x;
    if (m_orient == Qt::Horizontal)
        scroll(old - x, 0);
    else
        scroll(0, old - x);
}

// ---- moving ---------------------------------------------------------------

void YMRHeader::moveSection(int section, int toIndex)
{
    const int from = mapToIndex(section);
    if (from == toIndex || from < 0 || from > d->count || toIndex < 0 || toIndex > d->count)
        return;
    if (from < toIndex) {
        for (int i = from + 1; i < toIndex; ++i) {
            const int s = d->i2s[i];
            d->i2s[i - 1] = s;
            d->s2i[s] = i - 1;
        }
        d->i2s[toIndex - 1] = section;
        d->s2i[section] = toIndex - 1;
    } else {
        for (int i = from - 1; i >= toIndex; --i) {
            const int s = d->i2s[i];
            d->i2s[i + 1] = s;
            d->s2i[s] = i + 1;
        }
        d->i2s[toIndex] = section;
        d->s2i[section] = toIndex;
    }
    calculatePositions();
}

void YMRHeader::moveCell(int fromIndex, int toIndex)
{
    moveSection(mapToSection(fromIndex), toIndex);
}

// ---- mouse ----------------------------------------------------------------

int YMRHeader::coordOf(const QPoint &pt) const
{
    return (m_orient == Qt::Horizontal ? pt.x() : pt.y()) + m_offset;
}

bool YMRHeader::onGrip(int c, int index) const
{
    const int p = pos(index);
    return (index > 0 && c < p + GripMargin) || c > p + pSize(index) - GripMargin;
}

// The index whose right edge a grip at c belongs to. The first index has no
// left neighbour: a section narrower than both grips is gripped itself.
int YMRHeader::gripIndex(int c, int index) const
{
    return (index > 0 && c < pos(index) + GripMargin) ? index - 1 : index;
}

void YMRHeader::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton || m_state != Idle)
        return;
    m_handleIdx = 0;
    const int c = coordOf(e->pos());
    const int section = sectionAtPos(c);
    if (section < 0)
        return;
    const int index = d->s2i[section];
    if (onGrip(c, index)) {
        m_handleIdx = gripIndex(c, index);
        const int hs = mapToSection(m_handleIdx);
        m_oldHIdxSize = d->sizes[hs];
        m_state = d->resizable[hs] ? Sliding : Blocked;
    } else {
        m_handleIdx = index;
        m_moveToIdx = -1;
        m_state = d->clickable[section] ? Pressed : Blocked;
        m_clickPos = c;
        update(sRect(index));
        emit pressed(section);
    }
}

void YMRHeader::mouseMoveEvent(QMouseEvent *e)
{
    const int c = coordOf(e->pos());
    switch (m_state) {
    case Idle: {
        const int section = sectionAtPos(c);
        const int index = mapToIndex(section);
        if (index >= 0 && onGrip(c, index)) {
            if (d->resizable[mapToSection(gripIndex(c, index))]) {
                setCursor(m_orient == Qt::Horizontal ? Qt::SplitHCursor : Qt::SplitVCursor);
                return;
            }
        }
        unsetCursor();
        break;
    }
    case Sliding:
        handleColumnResize(m_handleIdx, c, false);
        break;
    case Pressed:
        if (qAbs(c - m_clickPos) > GripMargin && d->movable) {
            m_state = Moving;
            m_moveToIdx = -1;
            setCursor(m_orient == Qt::Horizontal ? Qt::SizeHorCursor : Qt::SizeVerCursor);
        }
        break;
    case Moving: {
        const int t = findLine(c);
        if (t != m_moveToIdx) {
            const int old = m_moveToIdx;
            m_moveToIdx = t;
            updateMarker(old, t);
        }
        break;
    }
    case Blocked:
        break;
    default:
        qWarning("YMRHeader::mouseMoveEvent: (%s) unknown state",
                 objectName().toLocal8Bit().constData());
        break;
    }
}

void YMRHeader::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    const State oldState = m_state;
    m_state = Idle;
    const int c = coordOf(e->pos());
    switch (oldState) {
    case Sliding:
        handleColumnResize(m_handleIdx, c, true);
        break;
    case Pressed: {
        const int section = mapToSection(m_handleIdx);
        const QRect r = sRect(m_handleIdx);
        update(r);
        emit released(section);
        if (r.contains(e->pos())) {
            emit sectionClicked(m_handleIdx);
            emit clicked(section);
        }
        break;
    }
    case Moving: {
        unsetCursor();
        const int section = mapToSection(m_handleIdx);
        if (m_moveToIdx == -1 || m_moveToIdx == m_handleIdx) {
            const QRect r = sRect(m_handleIdx);
            update(r);
            if (r.contains(e->pos())) {
                emit released(section);
                emit sectionClicked(m_handleIdx);
                emit clicked(section);
            }
        } else {
            const int target = m_moveToIdx;
            moveSection(section, target);
            m_moveToIdx = -1;
            update();
            emit moved(m_handleIdx, target);
            emit indexChange(section, m_handleIdx, target);
            emit released(section);
        }
        m_moveToIdx = -1;
        break;
    }
    default:
        break;
    }
}

void YMRHeader::handleColumnResize(int index, int p, bool final)
{
    const int section = mapToSection(index);
    if (section < 0)
        return;
    const int limit = pos(index) + MinSectionSize;
    // A drag that ends exactly at the limit must still report its final size.
    if (p == limit && !final)
        return;
    if (p < limit)
        p = limit;
    const int oldSize = d->sizes[section];
    const int newSize = p - pos(index);
    d->sizes[section] = newSize;
    calculatePositions();

    const int start = pos(index) - m_offset;
    if (m_orient == Qt::Horizontal)
        update(QRect(start, 0, width() - start, height()));
    else
        update(QRect(0, start, width(), height() - start));

    if (m_tracking && oldSize != newSize)
        emit sizeChange(section, oldSize, newSize);
    else if (!m_tracking && final && m_oldHIdxSize != newSize)
        emit sizeChange(section, m_oldHIdxSize, newSize);
}

int YMRHeader::findLine(int c) const
{
    if (c > pos(d->count))
        return d->count;
    const int section = sectionAtPos(c);
    const int i = section < 0 ? m_handleIdx : d->s2i[section];
    if (i == m_handleIdx)
        return i;
    if (i == m_handleIdx - 1 && pos(m_handleIdx) - c > 16)
        return i;
    if (i == m_handleIdx + 1 && c - pos(i) > 16)
        return i + 1;
    if (c - pos(i) > pSize(i) / 2)
        return i + 1;
    return i;
}

// The move markers are drawn in paintEvent; these schedule their areas.
void YMRHeader::markLine(int index)
{
    const int p = pPos(index);
    if (m_orient == Qt::Horizontal)
        update(QRect(QPoint(p - MarkerHalfWidth, 2), QPoint(p + MarkerHalfWidth, height() - 3)));
    else
        update(QRect(QPoint(2, p - MarkerHalfWidth), QPoint(width() - 3, p + MarkerHalfWidth)));
}

void YMRHeader::unMarkLine(int index)
{
    if (index < 0)
        return;
    markLine(index);
}

void YMRHeader::paintRect(int p, int s)
{
    if (m_orient == Qt::Horizontal)
        update(QRect(p, 3, s, height() - 5));
    else
        update(QRect(3, p, width() - 5, s));
}

void YMRHeader::updateMarker(int oldTarget, int newTarget)
{
    if (oldTarget == m_handleIdx || oldTarget == m_handleIdx + 1)
        update(sRect(m_handleIdx));
    else
        unMarkLine(oldTarget);
    if (newTarget == m_handleIdx || newTarget == m_handleIdx + 1)
        paintRect(pPos(m_handleIdx), pSize(m_handleIdx));
    else
        markLine(newTarget);
}

void YMRHeader::drawMarker(QPainter *p) const
{
    if (m_state != Moving || m_moveToIdx < 0)
        return;
    p->save();
    QPen pen(Qt::black, 1, Qt::DotLine);
    p->setPen(pen);
    p->setBrush(Qt::NoBrush);
    const bool hor = m_orient == Qt::Horizontal;
    if (m_moveToIdx == m_handleIdx || m_moveToIdx == m_handleIdx + 1) {
        const int ps = pPos(m_handleIdx);
        const int s = pSize(m_handleIdx);
        if (hor)
            p->drawRect(QRect(ps, 3, s, height() - 5).adjusted(0, 0, -1, -1));
        else
            p->drawRect(QRect(3, ps, width() - 5, s).adjusted(0, 0, -1, -1));
    } else {
        const int ps = pPos(m_moveToIdx);
        const int a = ps - MarkerHalfWidth;
        const int b = ps + MarkerHalfWidth;
        if (hor) {
            const int bottom = height() - 3;
            p->drawLine(a, 2, b, 2);
            p->drawLine(a, 3, b, 3);
            p->drawLine(a, bottom, b, bottom);
            p->drawLine(a, bottom - 1, b, bottom - 1);
            p->drawLine(a, 2, a, bottom);
            p->drawLine(a + 1, 2, a + 1, bottom);
            p->drawLine(b, 2, b, bottom);
            p->drawLine(b - 1, 2, b - 1, bottom);
        } else {
            const int right = width() - 3;
            p->drawLine(2, a, 2, b);
            p->drawLine(3, a, 3, b);
            p->drawLine(right, a, right, b);
            p->drawLine(right - 1, a, right - 1, b);
            p->drawLine(2, a, right, a);
            p->drawLine(2, a + 1, right, a + 1);
            p->drawLine(2, b, right, b);
            p->drawLine(2, b - 1, right, b - 1);
        }
    }
    p->restore();
}

// ---- painting -------------------------------------------------------------

QRect YMRHeader::sRect(int index) const
{
    const int section = mapToSection(index);
    if (section < 0)
        return rect();
    if (m_orient == Qt::Horizontal)
        return QRect(pos(index) - m_offset, 0, d->sizes[section], height());
    return QRect(0, pos(index) - m_offset, width(), d->sizes[section]);
}

void YMRHeader::paintEvent(QPaintEvent *e)
{
    QPainter p(this);
    p.setPen(palette().color(QPalette::ButtonText));
    const QRect er = e->rect();
    const bool hor = m_orient == Qt::Horizontal;
    const int from = hor ? er.left() : er.top();
    const int edge = hor ? er.right() : er.bottom();
    int id = mapToIndex(sectionAtPos(from + m_offset));
    if (id < 0) {
        if (from > 0)
            id = -1;
        else
            id = 0;
    }
    if (id >= 0) {
        for (int i = id; i < d->count; ++i) {
            const QRect r = sRect(i);
            paintSection(&p, i, r);
            if ((hor ? r.right() : r.bottom()) >= edge)
                break;
        }
    }
    drawMarker(&p);
}

void YMRHeader::paintSection(QPainter *p, int index, const QRect &fr)
{
    const int section = mapToSection(index);
    if (section < 0)
        return;
    const bool down = index == m_handleIdx && (m_state == Pressed || m_state == Moving);
    p->setBrushOrigin(fr.topLeft());

    QStyleOptionHeader opt;
    opt.initFrom(this);
    opt.section = section;
    opt.orientation = m_orient;
    opt.state |= down ? QStyle::State_Sunken : QStyle::State_Raised;
    if (isEnabled())
        opt.state |= QStyle::State_Enabled;
    if (d->clickable[section]) {
        opt.rect = fr;
        style()->drawControl(QStyle::CE_HeaderSection, &opt, p, this);
    } else if (m_orient == Qt::Horizontal) {
        p->save();
        p->setClipRect(fr);
        opt.rect = fr.adjusted(-2, -2, 2, 2);
        style()->drawControl(QStyle::CE_HeaderSection, &opt, p, this);
        const QPalette &pal = palette();
        p->setPen(pal.color(QPalette::Mid));
        p->drawLine(fr.left(), fr.bottom(), fr.right(), fr.bottom());
        p->drawLine(fr.right(), fr.top(), fr.right(), fr.bottom());
        p->setPen(pal.color(QPalette::Light));
        if (index > 0)
            p->drawLine(fr.left(), fr.top(), fr.left(), fr.bottom());
        if (index == d->count - 1) {
            p->drawLine(fr.right(), fr.top(), fr.right(), fr.bottom());
            p->setPen(pal.color(QPalette::Mid));
            p->drawLine(fr.right() - 1, fr.top(), fr.right() - 1, fr.bottom());
        }
        p->restore();
    } else {
        opt.rect = fr;
        style()->drawControl(QStyle::CE_HeaderSection, &opt, p, this);
    }
    p->setPen(palette().color(QPalette::ButtonText));
    paintSectionLabel(p, index, fr);
}

void YMRHeader::paintSectionLabel(QPainter *p, int index, const QRect &fr)
{
    const int section = mapToSection(index);
    if (section < 0)
        return;
    QString s;
    if (d->labels[section])
        s = *d->labels[section];
    else if (m_orient == Qt::Horizontal)
        s = tr("Col %1").arg(section);
    else
        s = tr("Row %1").arg(section);

    QRect r(fr.x() + 4, fr.y() + 2, fr.width() - 6, fr.height() - 4);
    if (const QIcon *icon = iconSet(section)) {
        const QPixmap pm = smallPixmap(*icon, isEnabled() ? QIcon::Normal : QIcon::Disabled);
        if (pm.width() < r.width()) {
            const int pw = pm.width();
            p->drawPixmap(r.left(), r.top() + (r.height() - pm.height()) / 2, pm);
            r.setLeft(r.left() + pw + 2);
        }
    }
    if (r.width() >= 1)
        p->drawText(r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, s);
}

void YMRHeader::showEvent(QShowEvent *e)
{
    calculatePositions();
    QWidget::showEvent(e);
}

QSize YMRHeader::sizeHint() const
{
    ensurePolished();
    const QFontMetrics fm = fontMetrics();
    if (m_orient == Qt::Horizontal) {
        int w = 0;
        int h = fm.lineSpacing() + 6;
        for (int i = 0; i < d->count; ++i) {
            w += d->sizes[i];
            h = qMax(h, d->heights[i]);
        }
        return QSize(w, h);
    }
    int h = 0;
    int w = fm.horizontalAdvance(QLatin1Char(' '));
    for (int i = 0; i < d->count; ++i) {
        h += d->sizes[i];
        w = qMax(w, d->heights[i]);
    }
    return QSize(w, h);
}
