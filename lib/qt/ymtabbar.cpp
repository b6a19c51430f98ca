#include "ymtabbar.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QTimer>
#include <qdrawutil.h>

namespace {

const int EdgePoints[12][2] = {{1, 0}, {0, 1}, {0, 2}, {1, 3}, {1, 4}, {2, 5},
                               {2, 6}, {1, 7}, {1, 8}, {0, 9}, {0, 10}, {1, 11}};

// Bounding width and height as the old point arrays measured them (right
// minus left, bottom minus top).
int spanX(const QPolygon &a)
{
    const QRect r = a.boundingRect();
    return r.right() - r.left();
}

int spanY(const QPolygon &a)
{
    const QRect r = a.boundingRect();
    return r.bottom() - r.top();
}

QPolygon crossPoints(const QVector<QLine> &lines)
{
    QPolygon pts;
    for (const QLine &l : lines)
        pts << l.p1() << l.p2();
    return pts;
}

} // namespace

YMTabBar::YMTabBar(QWidget *parent, const char *name)
    : QWidget(parent)
{
    setObjectName(QLatin1String(name));
    // every pixel comes from our own painting
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::TabFocus);
    m_repeat = new QTimer(this);
    connect(m_repeat, &QTimer::timeout, this, &YMTabBar::breakTimeout);
    m_buffer = QImage(1, 1, QImage::Format_ARGB32_Premultiplied);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setTabFlags(Icons);
}

YMTabBar::~YMTabBar() = default;

// ---- tab records -----------------------------------------------------------

int YMTabBar::indexOf(int id) const
{
    for (int i = 0; i < m_tabs.size(); ++i) {
        if (m_tabs.at(i).id == id)
            return i;
    }
    return -1;
}

YMTabBar::Tab *YMTabBar::tab(int id)
{
    const int i = indexOf(id);
    return i < 0 ? nullptr : &m_tabs[i];
}

const YMTabBar::Tab *YMTabBar::tab(int id) const
{
    const int i = indexOf(id);
    return i < 0 ? nullptr : &m_tabs.at(i);
}

QList<int> YMTabBar::tabIds() const
{
    QList<int> ids;
    for (const Tab &t : m_tabs)
        ids << t.id;
    return ids;
}

int YMTabBar::freeId(int requested) const
{
    // -1 asks for any id; other negative requests would collide with "none"
    int id = requested < 0 ? 0 : requested;
    while (indexOf(id) != -1)
        ++id;
    return id;
}

int YMTabBar::addTab(const QString &label, const QIcon &icon, int id)
{
    return insertAt(m_tabs.size(), label, icon, id);
}

int YMTabBar::addTab(const QString &label, int id)
{
    return insertAt(m_tabs.size(), label, QIcon(), id);
}

int YMTabBar::insertTab(const QString &label, const QIcon &icon, int after, int id)
{
    const int i = indexOf(after);
    return insertAt(i < 0 ? 0 : i + 1, label, icon, id);
}

int YMTabBar::insertTab(const QString &label, int after, int id)
{
    return insertTab(label, QIcon(), after, id);
}

int YMTabBar::insertAt(int index, const QString &label, const QIcon &icon, int id)
{
    Tab t;
    t.id = freeId(id);
    t.label = label;
    t.shownLabel = m_currentLabelOnly ? QString() : label;
    t.icon = icon;
    t.width = tabWidth(t);
    widenBuffer(t.width + 4);
    m_tabs.insert(index, t);
    // a bar that lost all its tabs gets a first shown tab again
    if (m_firstShown == -1)
        m_firstShown = t.id;
    updateArrows();
    return t.id;
}

void YMTabBar::setFirstShownAfterRemoval(int index)
{
    if (m_tabs.at(index).id != m_firstShown)
        return;
    if (index + 1 < m_tabs.size())
        m_firstShown = m_tabs.at(index + 1).id;
    else if (index > 0)
        m_firstShown = m_tabs.at(index - 1).id;
    else
        m_firstShown = -1;
}

void YMTabBar::removeTab(int id)
{
    const int index = indexOf(id);
    if (index < 0)
        return;
    const bool wasCurrent = id == m_current;
    int successor = -1;
    if (wasCurrent) {
        for (int i = index - 1; i >= 0 && successor == -1; --i) {
            if (m_tabs.at(i).enabled)
                successor = m_tabs.at(i).id;
        }
        for (int i = index + 1; i < m_tabs.size() && successor == -1; ++i) {
            if (m_tabs.at(i).enabled)
                successor = m_tabs.at(i).id;
        }
    }
    // the first shown tab must always name a tab, or nothing is drawn or hit
    setFirstShownAfterRemoval(index);
    m_tabs.remove(index);
    if (wasCurrent) {
        if (successor == -1) {
            m_current = -1;
            if (m_tabs.isEmpty())
                m_firstShown = -1;
            updateArrows();
            emit currentChanged(-1);
        } else {
            setCurrentTab(successor);
        }
    } else {
        updateArrows();
    }
    update();
}

void YMTabBar::removeAllTabs()
{
    m_tabs.clear();
    m_current = -1;
    m_firstShown = -1;
    m_pressed = -1;
    updateArrows();
    emit currentChanged(-1);
    update();
}

void YMTabBar::setTabLabel(int id, const QString &label)
{
    Tab *t = tab(id);
    if (!t)
        return;
    t->label = label;
    t->shownLabel = (m_currentLabelOnly && id != m_current) ? QString() : label;
    updateWidth(*t);
    updateArrows();
}

void YMTabBar::setTabIconSet(int id, const QIcon &icon)
{
    Tab *t = tab(id);
    if (!t)
        return;
    t->icon = icon;
    updateWidth(*t);
    updateArrows();
}

void YMTabBar::setTabEnabled(int id, bool enabled)
{
    if (Tab *t = tab(id)) {
        t->enabled = enabled;
        update();
    }
}

QString YMTabBar::tabLabel(int id) const
{
    const Tab *t = tab(id);
    return t ? t->label : QString();
}

QIcon YMTabBar::tabIconSet(int id) const
{
    const Tab *t = tab(id);
    return t ? t->icon : QIcon();
}

bool YMTabBar::isTabEnabled(int id) const
{
    const Tab *t = tab(id);
    return t && t->enabled;
}

// ---- options and measures ----------------------------------------------------

void YMTabBar::setTabFlags(int flags)
{
    m_flags = flags;
    m_icons = flags & Icons;
    m_close = flags & CloseButton;
    m_bold = flags & BoldCurrent;
    m_flat = flags & Flat;
    m_grips = flags & Grips;
    m_currentLabelOnly = flags & CurrentLabelOnly;
    for (Tab &t : m_tabs) {
        if (t.id != m_current)
            t.shownLabel = m_currentLabelOnly ? QString() : t.label;
    }
    makeButtonShapes();
    updateAllWidths();
    updateArrows();
    updateGeometry();
}

void YMTabBar::setOrientation(int orientation)
{
    m_orientation = qBound(0, orientation, 3);
    if (m_orientation <= Below)
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    else
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    updateGeometry();
    update();
}

void YMTabBar::makeButtonShapes()
{
    const int h = fontMetrics().height();
    const int s = h / 3 - 1;
    const int half = s - s / 2;
    m_back = QPolygon();
    m_back << QPoint(3 * s - 2, s) << QPoint(2 * s - 1, s) << QPoint(2 * s - 1, 0)
           << QPoint(s - half, s + half - 1) << QPoint(s - half, 2 * s - half)
           << QPoint(2 * s - 1, 3 * s - 1) << QPoint(2 * s - 1, 2 * s - 1)
           << QPoint(3 * s - 2, 2 * s - 1);
    m_forward = QPolygon();
    m_forward << QPoint(1, s) << QPoint(s, s) << QPoint(s, 0)
              << QPoint(2 * s + half - 1, s + half - 1) << QPoint(2 * s + half - 1, 2 * s - half)
              << QPoint(s, 3 * s - 1) << QPoint(s, 2 * s - 1) << QPoint(1, 2 * s - 1);
    m_cross.clear();
    m_cross << QLine(0, 0, 2 * s - 2, 2 * s - 2) << QLine(1, 0, 2 * s - 1, 2 * s - 2)
            << QLine(2 * s - 2, 0, 0, 2 * s - 2) << QLine(2 * s - 1, 0, 1, 2 * s - 2);
    m_edge = QPolygon();
    for (const auto &pt : EdgePoints)
        m_edge << QPoint(pt[0], pt[1]);

    m_buttonWidth = spanX(m_back) + spanX(m_forward) + 22;
    if (m_close)
        m_buttonWidth += spanX(crossPoints(m_cross)) + 6;
    widenBuffer(m_buttonWidth);
}

QString YMTabBar::stripAmpersands(const QString &text)
{
    QString s = text;
    int i = 0;
    while ((i = s.indexOf(QLatin1Char('&'), i)) != -1) {
        if (i == s.size() - 1)
            break;
        s.remove(i, 1);
        ++i;
    }
    return s;
}

bool YMTabBar::hasIcon(const Tab &t) const
{
    return !t.icon.isNull();
}

QPixmap YMTabBar::smallPixmap(const Tab &t, QIcon::Mode mode) const
{
    if (t.icon.isNull())
        return QPixmap();
    // the smallest picture the icon holds; 16 pixels for a scalable one
    QList<QSize> sizes = t.icon.availableSizes(mode);
    if (sizes.isEmpty())
        sizes = t.icon.availableSizes();
    QSize size(16, 16);
    for (int i = 0; i < sizes.size(); ++i) {
        if (i == 0 || sizes.at(i).width() < size.width())
            size = sizes.at(i);
    }
    return t.icon.pixmap(size, mode);
}

int YMTabBar::tabWidth(const Tab &t) const
{
    const bool current = t.id == m_current;
    QFont f = font();
    if (current && m_bold)
        f.setWeight(QFont::Bold);
    int margin;
    if (current)
        margin = m_grips ? 12 : 4;
    else
        margin = m_flat ? 4 : 12;
    int w = margin + QFontMetrics(f).horizontalAdvance(stripAmpersands(t.shownLabel));
    if (m_icons && hasIcon(t))
        w += 3 + smallPixmap(t, QIcon::Normal).width();
    return w + 8;
}

void YMTabBar::updateWidth(Tab &t)
{
    t.width = tabWidth(t);
    widenBuffer(t.width + 4);
}

void YMTabBar::updateAllWidths()
{
    for (Tab &t : m_tabs)
        updateWidth(t);
}

void YMTabBar::widenBuffer(int width)
{
    const int h = qMax(1, thickness());
    if (width > m_buffer.width() || m_buffer.height() != h)
        m_buffer = QImage(qMax(width, m_buffer.width()), h, QImage::Format_ARGB32_Premultiplied);
}

int YMTabBar::length() const
{
    return m_orientation <= Below ? width() : height();
}

int YMTabBar::thickness() const
{
    return m_orientation <= Below ? height() : width();
}

int YMTabBar::buttonAreaWidth() const
{
    // The arrows only take room when the tabs need them: every tab shown
    // from the first, and the end piece, within the bar (a current last
    // tab reaches 2 pixels further).
    if (m_close || m_tabs.isEmpty() || m_tabs.first().id != m_firstShown)
        return m_buttonWidth;
    int end = leadingOffset() + 5 + (m_tabs.last().id == m_current ? 2 : 0);
    for (const Tab &t : m_tabs)
        end += t.width;
    return end <= length() ? 0 : m_buttonWidth;
}

int YMTabBar::tabAreaEnd() const
{
    return length() - buttonAreaWidth() - 5;
}

int YMTabBar::leadingOffset() const
{
    if (m_tabs.isEmpty())
        return 0;
    int offset = 2;
    if (m_tabs.first().id != m_firstShown || m_flat)
        offset += 5;
    return offset;
}

QPoint YMTabBar::toStrip(const QPoint &pos) const
{
    // the inverse of the transform the strip is drawn with, so buttons are
    // hit where they are drawn on every side
    const int t = thickness();
    switch (m_orientation) {
    case Below:
        return QPoint(pos.x(), t - 1 - pos.y());
    case Left:
        return QPoint(pos.y(), pos.x());
    case Right:
        return QPoint(pos.y(), t - 1 - pos.x());
    default:
        return pos;
    }
}

QRect YMTabBar::tabRect(int id) const
{
    const int first = indexOf(m_firstShown);
    if (first < 0)
        return QRect();
    int x = leadingOffset();
    const int t = thickness();
    for (int i = first; i < m_tabs.size(); ++i) {
        const Tab &tb = m_tabs.at(i);
        if (tb.id == id) {
            if (id == m_current)
                return QRect(x - 2, 0, tb.width + 4, t);
            return QRect(x, 0, tb.width, t);
        }
        x += tb.width;
    }
    return QRect();
}

int YMTabBar::tabAtStrip(const QPoint &p) const
{
    if (p.x() < leadingOffset()) {
        const int first = indexOf(m_firstShown);
        return first > 0 ? m_tabs.at(first - 1).id : -1;
    }
    if (p.x() >= length() - buttonAreaWidth())
        return -1;
    for (const Tab &tb : m_tabs) {
        if (tabRect(tb.id).contains(p))
            return tb.id;
    }
    return -1;
}

int YMTabBar::tabAt(const QPoint &widgetPos) const
{
    return tabAtStrip(toStrip(widgetPos));
}

QRect YMTabBar::buttonRect(int which) const
{
    const int wB = spanX(m_back);
    const int wF = spanX(m_forward);
    const int y0 = (thickness() - 11) / 2 + 2;
    int x = length() - buttonAreaWidth() + 10;
    if (which > 0)
        x += wB + 6;
    if (which > 1)
        x += wF + 6;
    return QRect(QPoint(x, y0), QPoint(x + wB + 5, y0 + spanY(m_back)));
}

static QRect stripToWidget(const QRect &r, int orientation, int thickness)
{
    switch (orientation) {
    case YMTabBar::Below:
        return QRect(r.x(), thickness - 1 - r.bottom(), r.width(), r.height());
    case YMTabBar::Left:
        return QRect(r.y(), r.x(), r.height(), r.width());
    case YMTabBar::Right:
        return QRect(thickness - 1 - r.bottom(), r.x(), r.height(), r.width());
    default:
        return r;
    }
}

QRect YMTabBar::backArrowRect() const
{
    return stripToWidget(buttonRect(0), m_orientation, thickness());
}

QRect YMTabBar::forwardArrowRect() const
{
    return stripToWidget(buttonRect(1), m_orientation, thickness());
}

QRect YMTabBar::closeButtonRect() const
{
    return stripToWidget(buttonRect(2), m_orientation, thickness());
}

void YMTabBar::hitButtons(const QPoint &p)
{
    m_backPressed = m_backEnabled && buttonRect(0).contains(p);
    m_forwardPressed = m_forwardEnabled && buttonRect(1).contains(p);
    m_closePressed = m_close && buttonRect(2).contains(p);
}

// ---- scrolling and selection -------------------------------------------------

void YMTabBar::updateArrows()
{
    if (m_tabs.isEmpty()) {
        m_backEnabled = m_forwardEnabled = false;
    } else {
        m_backEnabled = m_tabs.first().id != m_firstShown;
        const int last = m_tabs.last().id;
        const QRect r = tabRect(last);
        m_forwardEnabled = !r.isNull() && r.right() >= tabAreaEnd() && last != m_firstShown;
    }
    update();
}

void YMTabBar::scrollBack()
{
    if (!m_backEnabled)
        return;
    const int i = indexOf(m_firstShown);
    if (i > 0)
        m_firstShown = m_tabs.at(i - 1).id;
    updateArrows();
}

void YMTabBar::scrollForward()
{
    if (!m_forwardEnabled)
        return;
    const int i = indexOf(m_firstShown);
    if (i >= 0 && i + 1 < m_tabs.size())
        m_firstShown = m_tabs.at(i + 1).id;
    updateArrows();
}

void YMTabBar::resetScrolling()
{
    if (m_tabs.isEmpty() || m_tabs.first().id == m_firstShown)
        return;
    int sum = 0;
    for (const Tab &t : m_tabs)
        sum += t.width;
    if (sum < tabAreaEnd())
        m_firstShown = m_tabs.first().id;
}

bool YMTabBar::selectTab(int id)
{
    if (indexOf(id) < 0)
        return false;
    if (m_currentLabelOnly) {
        for (Tab &t : m_tabs)
            t.shownLabel = t.id == id ? t.label : QString();
    }
    m_current = id;
    // bold face, margins and (with labels on the current tab only) texts
    // depend on which tab is current
    updateAllWidths();
    resetScrolling();
    updateArrows();
    return true;
}

void YMTabBar::setCurrentTab(int id)
{
    if (!selectTab(id))
        return;
    ensureTabVisible(id);
    emit currentChanged(id);
}

void YMTabBar::ensureTabVisible(int id)
{
    const int index = indexOf(id);
    if (index < 0)
        return;
    int first = indexOf(m_firstShown);
    if (index < first || first < 0) {
        m_firstShown = id;
    } else {
        while (id != m_firstShown && tabRect(id).right() > tabAreaEnd()
               && first + 1 < m_tabs.size()) {
            m_firstShown = m_tabs.at(++first).id;
        }
    }
    updateArrows();
}

// ---- events ------------------------------------------------------------------

void YMTabBar::showEvent(QShowEvent *e)
{
    // the old toolkit polished a widget when it first really showed; Qt 5
    // polishes at show() even under a hidden parent
    QWidget::showEvent(e);
    if (m_polished)
        return;
    m_polished = true;
    if (m_firstShown == -1 && !m_tabs.isEmpty())
        m_firstShown = m_tabs.first().id;
    if (m_current == -1) {
        for (const Tab &t : m_tabs) {
            if (t.enabled) {
                setCurrentTab(t.id);
                break;
            }
        }
    }
}

void YMTabBar::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::FontChange) {
        makeButtonShapes();
        updateAllWidths();
        updateArrows();
    } else if (e->type() == QEvent::EnabledChange || e->type() == QEvent::PaletteChange) {
        update();
    }
    QWidget::changeEvent(e);
}

void YMTabBar::resizeEvent(QResizeEvent *e)
{
    widenBuffer(m_buffer.width());
    resetScrolling();
    updateArrows();
    QWidget::resizeEvent(e);
}

QSize YMTabBar::sizeHint() const
{
    const QFontMetrics fm = fontMetrics();
    int t = fm.height() + 12;
    if (m_icons) {
        int tallest = 0;
        for (const Tab &tb : m_tabs) {
            if (hasIcon(tb))
                tallest = qMax(tallest, smallPixmap(tb, QIcon::Normal).height());
        }
        if (tallest > fm.height())
            t = tallest + 12;
    }
    const int len = m_buttonWidth + 28;
    QSize s = m_orientation <= Below ? QSize(len, t) : QSize(t, len);
    return s.expandedTo(QApplication::globalStrut());
}

void YMTabBar::keyPressEvent(QKeyEvent *e)
{
    const int index = indexOf(m_current);
    int next = -1;
    switch (e->key()) {
    case Qt::Key_Home:
        for (int i = 0; i < m_tabs.size() && next == -1; ++i) {
            if (m_tabs.at(i).enabled)
                next = m_tabs.at(i).id;
        }
        break;
    case Qt::Key_End:
        for (int i = m_tabs.size() - 1; i >= 0 && next == -1; --i) {
            if (m_tabs.at(i).enabled)
                next = m_tabs.at(i).id;
        }
        break;
    case Qt::Key_Left:
    case Qt::Key_Up:
        for (int i = index - 1; i >= 0 && next == -1; --i) {
            if (m_tabs.at(i).enabled)
                next = m_tabs.at(i).id;
        }
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        for (int i = index + 1; i < m_tabs.size() && next == -1; ++i) {
            if (m_tabs.at(i).enabled)
                next = m_tabs.at(i).id;
        }
        break;
    default:
        e->ignore();
        return;
    }
    if (next != -1 && next != m_current)
        setCurrentTab(next);
}

void YMTabBar::mousePressEvent(QMouseEvent *e)
{
    const QPoint p = toStrip(e->pos());
    m_pressed = tabAtStrip(p);
    if (m_pressed != -1 && !isTabEnabled(m_pressed))
        m_pressed = -1;
    if (e->button() == Qt::RightButton) {
        if (m_pressed != -1)
            setCurrentTab(m_pressed);
        return;
    }
    m_dragging = false;
    hitButtons(p);
    if (m_backPressed || m_forwardPressed) {
        update();
        m_repeat->start(250);
    }
    if (m_closePressed)
        update();
    // the tab shows as current at once; the signal follows on release
    selectTab(m_pressed);
}

void YMTabBar::breakTimeout()
{
    if (m_backPressed) {
        update();
        scrollBack();
    }
    if (m_forwardPressed) {
        update();
        scrollForward();
    }
}

void YMTabBar::mouseMoveEvent(QMouseEvent *e)
{
    if (e->buttons() == Qt::RightButton)
        return;
    if (!rect().contains(e->pos())) {
        if (!m_dragging) {
            m_dragging = true;
            emit startTabDrag(m_pressed, e);
        } else {
            emit continueTabDrag(e);
        }
        return;
    }
    if (m_dragging) {
        m_dragging = false;
        emit cancelTabDrag(e);
    }
    const QPoint p = toStrip(e->pos());
    const bool back = m_backPressed;
    const bool forward = m_forwardPressed;
    const bool close = m_closePressed;
    hitButtons(p);
    if (m_backPressed || m_forwardPressed)
        m_repeat->start(500);
    else
        m_repeat->stop();
    if (back != m_backPressed || forward != m_forwardPressed || close != m_closePressed)
        update();
    if (m_pressed == -1)
        return;

    // reordering: the pressed tab takes the place of the tab under the
    // pointer when it then lies under the pointer itself
    const int t = tabAtStrip(p);
    if (t == -1 || t == m_pressed)
        return;
    const int oldFirst = m_firstShown;
    const int from = indexOf(m_pressed);
    const int to = indexOf(t);
    if (m_pressed == m_firstShown) {
        if (from + 1 < m_tabs.size())
            m_firstShown = m_tabs.at(from + 1).id;
    } else if (t == m_firstShown) {
        m_firstShown = m_pressed;
    }
    m_tabs.move(from, to);
    if (tabAtStrip(p) == m_pressed) {
        updateArrows();
        emit changeTabsOrder(from, to);
    } else {
        m_tabs.move(to, from);
        m_firstShown = oldFirst;
    }
}

void YMTabBar::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() == Qt::RightButton) {
        emit tabRightButtonPressed(m_pressed, e->globalPos());
        m_pressed = -1;
        return;
    }
    m_repeat->stop();
    if (m_dragging) {
        // the gesture ends here: nothing stays pressed
        m_backPressed = m_forwardPressed = m_closePressed = false;
        m_pressed = -1;
        update();
        emit finishTabDrag(e);
        return;
    }
    if (m_backPressed) {
        m_backPressed = false;
        update();
        scrollBack();
    } else if (m_forwardPressed) {
        m_forwardPressed = false;
        update();
        scrollForward();
    } else if (m_closePressed) {
        m_closePressed = false;
        m_pressed = -1;
        update();
        emit closeTab(m_current);
        return;
    } else if (m_pressed != -1) {
        setCurrentTab(m_pressed);
    }
    m_pressed = -1;
}

// ---- painting ----------------------------------------------------------------

QColor YMTabBar::background() const
{
    const QColor bg = palette().color(QPalette::Window);
    return m_flat ? bg.lighter(150) : bg;
}

void YMTabBar::drawEdgePattern(QPainter &p, int x, int y, const QColor &colour) const
{
    const int t = thickness();
    p.setPen(colour);
    for (int top = y; top < t; top += 12) {
        for (const QPoint &pt : m_edge) {
            if (top + pt.y() < t)
                p.drawPoint(x + pt.x(), top + pt.y());
        }
    }
}

void YMTabBar::paintEvent(QPaintEvent *)
{
    if (length() <= 0 || thickness() <= 0)
        return;
    const QImage strip = paintStrip();
    // the strip is laid out with its tabs hanging from the top edge; turn
    // it so that they hang towards the pages
    QImage shown;
    switch (m_orientation) {
    case Below:
        shown = strip.mirrored(false, true);
        break;
    case Left:
        shown = strip.transformed(QTransform().rotate(90)).mirrored(true, false);
        break;
    case Right:
        shown = strip.transformed(QTransform().rotate(90));
        break;
    default:
        shown = strip;
        break;
    }
    QPainter p(this);
    p.drawImage(0, 0, shown);
}

QImage YMTabBar::paintStrip()
{
    const int len = length();
    const int t = thickness();
    const QPalette pal = palette();
    const QColor bg = background();
    const QColor light = pal.color(QPalette::Light);
    const QColor dark = pal.color(QPalette::Dark);
    const bool upper = m_orientation == Above || m_orientation == Left;
    const QColor c1 = light;
    const QColor c2 = dark;
    const QColor c3 = upper ? light : dark;
    const QColor c4 = upper ? light : dark;
    const int tabEnd = tabAreaEnd();

    QImage strip(len, t, QImage::Format_ARGB32_Premultiplied);
    strip.fill(bg);
    QPainter p(&strip);

    // leading piece
    const int lead = leadingOffset();
    if (!m_backEnabled) {
        p.setPen(c4);
        if (lead > 0)
            p.drawLine(0, t - 1, lead - 1, t - 1);
    } else {
        const int w = m_current == m_firstShown ? 5 : 7;
        drawEdgePattern(p, 0, 6, light);
        if (!m_flat) {
            p.setPen(c3);
            p.drawLine(0, 5, w - 1, 5);
            p.setPen(c2);
            p.drawLine(w - 1, 5, w - 1, t - 1);
        }
        p.setPen(c4);
        p.drawLine(0, t - 1, w - 1, t - 1);
    }

    // tabs
    int x = lead;
    int drawnEnd = lead;
    bool cut = false;
    bool cutCurrent = false;
    const int first = indexOf(m_firstShown);
    for (int i = qMax(first, 0); first >= 0 && i < m_tabs.size(); ++i) {
        const Tab &tb = m_tabs.at(i);
        const bool current = tb.id == m_current;
        const int start = current ? x - 2 : x;
        const int full = current ? tb.width + 4 : tb.width;
        int drawX = start;
        int drawW = full;
        if (!current && i + 1 < m_tabs.size() && m_tabs.at(i + 1).id == m_current)
            drawW -= 2;
        if (!current && i > first && m_tabs.at(i - 1).id == m_current) {
            drawX += 2;
            drawW -= 2;
        }
        if (drawX + drawW > tabEnd)
            drawW = tabEnd - drawX;
        if (drawW > 0) {
            widenBuffer(full);
            m_buffer.fill(bg);
            {
                QPainter bp(&m_buffer);
                paintTab(&bp, tb, current);
            }
            QImage drawing = m_buffer.copy(0, 0, full, t);
            // turned back by the strip's own transform, so that the tab ends
            // up upright below the pages, and turned the other way on the
            // left
            if (m_orientation == Below)
                drawing = drawing.mirrored(false, true);
            else if (m_orientation == Left)
                drawing = drawing.mirrored(true, false);
            p.drawImage(drawX, 0, drawing, drawX - start, 0, drawW, t);
        }
        x += tb.width;
        drawnEnd = current ? x + 2 : x;
        if (drawnEnd > tabEnd) {
            cut = true;
            cutCurrent = current;
            break;
        }
    }

    // empty stretch up to the end of the tab area
    if (drawnEnd < tabEnd) {
        p.setPen(c4);
        p.drawLine(drawnEnd, t - 1, tabEnd - 1, t - 1);
    }

    // end piece: plain when every tab fits, a torn edge when one is cut off
    const QRect lastRect = m_tabs.isEmpty() ? QRect() : tabRect(m_tabs.last().id);
    if (!cut && (m_tabs.isEmpty() || (!lastRect.isNull() && lastRect.right() < tabEnd))) {
        p.setPen(c4);
        p.drawLine(tabEnd, t - 1, tabEnd + 4, t - 1);
    } else if (cutCurrent) {
        p.fillRect(tabEnd, 3, 5, t - 3, pal.color(QPalette::Window));
        if (!m_flat) {
            p.setPen(c4);
            p.drawLine(tabEnd + 2, t - 1, tabEnd + 4, t - 1);
        }
        drawEdgePattern(p, tabEnd + 2, 3, dark);
        if (!m_flat) {
            p.setPen(c3);
            p.drawLine(tabEnd, 3, tabEnd + 2, 3);
        }
    } else {
        drawEdgePattern(p, tabEnd + 2, 5, dark);
        if (!m_flat) {
            p.setPen(c3);
            p.drawLine(tabEnd, 5, tabEnd + 2, 5);
            p.setPen(c4);
            p.drawLine(tabEnd, t - 1, tabEnd + 4, t - 1);
        }
    }

    // button area
    const int bx = len - buttonAreaWidth();
    p.fillRect(bx, 0, len - bx, t, bg);
    if (!m_backEnabled && !m_forwardEnabled && !m_close) {
        p.setPen(c4);
        p.drawLine(bx, t - 1, len - 1, t - 1);
    } else {
        if (!m_flat) {
            const int right = len - 1;
            p.setPen(c2);
            p.drawLine(right, 3, right, t - 1);
            p.setPen(c3);
            p.drawLine(right, 3, bx + 5, 3);
            p.drawLine(bx + 5, 3, bx + 3, 5);
            p.setPen(c1);
            p.drawLine(bx + 3, 5, bx + 3, t - 1);
            p.setPen(c4);
            p.drawLine(bx + 3, t - 1, bx, t - 1);
        } else {
            p.setPen(c4);
            p.drawLine(bx, t - 1, len - 1, t - 1);
        }
        const int y0 = (t - 11) / 2 + 2;
        const int wB = spanX(m_back);
        const int wF = spanX(m_forward);
        const QColor fg = pal.color(QPalette::WindowText);
        const QColor mid = pal.color(QPalette::Mid);
        auto arrow = [&](const QPolygon &shape, int ax, bool enabled, bool pressed) {
            const QColor c = enabled && isEnabled() ? fg : mid;
            p.setPen(c);
            p.setBrush(c);
            const int d = pressed ? 1 : 0;
            p.drawPolygon(shape.translated(ax + d, y0 + d));
        };
        arrow(m_back, bx + 10, m_backEnabled, m_backPressed);
        arrow(m_forward, bx + wB + 16, m_forwardEnabled, m_forwardPressed);
        if (m_close) {
            const QPolygon cross = crossPoints(m_cross);
            const int d = m_closePressed ? 1 : 0;
            const int cx = bx + wB + 16 + wF + 6 + d;
            const int cy = y0 + ((spanY(m_forward) + 1) - (spanY(cross) + 1)) / 2 + d;
            p.setPen(!m_tabs.isEmpty() && isEnabled() ? fg : mid);
            for (const QLine &l : m_cross)
                p.drawLine(l.translated(cx, cy));
        }
    }
    p.end();
    return strip;
}

void YMTabBar::paintTab(QPainter *p, const Tab &tb, bool current) const
{
    const int t = thickness();
    const int w = current ? tb.width + 4 : tb.width;
    const int top = current ? 3 : 5;
    // below the pages the frame opens upwards; the contents stay upright
    const bool mirror = m_orientation == Below;
    auto Y = [&](int y) { return mirror ? t - 1 - y : y; };
    const int dy = mirror ? -3 : 0;

    QPalette pal = palette();
    if (!tb.enabled)
        pal.setCurrentColorGroup(QPalette::Disabled);
    const QColor light = pal.color(QPalette::Light);
    const QColor dark = pal.color(QPalette::Dark);
    QColor t1 = light, t2 = dark, t3 = dark, t4 = dark;
    if (m_orientation == Above) {
        t3 = t4 = light;
    } else if (m_orientation == Left) {
        t1 = dark;
        t2 = t3 = t4 = light;
    }

    int x = 3;
    if (m_flat && !current) {
        p->fillRect(0, 0, w, t, pal.color(QPalette::Window).lighter(150));
        p->setPen(pal.color(QPalette::Midlight).darker(120));
        const int sx = m_orientation == Left ? 0 : w - 1;
        p->drawLine(sx, Y(top), sx, Y(t - 2));
    } else {
        const int y1 = qMin(Y(top), Y(t - 1));
        p->fillRect(0, y1, w, t - top, pal.color(QPalette::Window));
        p->setPen(t3);
        p->drawLine(1, Y(top), w - 2, Y(top));
        p->setPen(t1);
        p->drawLine(0, Y(top + 1), 0, Y(t - 1));
        p->setPen(t2);
        p->drawLine(w - 1, Y(t - 1), w - 1, Y(top + 1));
        if (m_grips) {
            qDrawShadeLine(p, 6, Y(top + 3), 6, Y(t - 3), pal, false, 1, 0);
            qDrawShadeLine(p, 9, Y(top + 3), 9, Y(t - 3), pal, false, 1, 0);
            x = 12;
        }
    }
    if (!current) {
        p->setPen(t4);
        p->drawLine(0, Y(t - 1), w - 1, Y(t - 1));
    }

    const bool enabled = tb.enabled && isEnabled();
    if (m_icons && hasIcon(tb)) {
        const QIcon::Mode mode = !enabled ? QIcon::Disabled
                                 : current ? QIcon::Active : QIcon::Normal;
        const QPixmap pm = smallPixmap(tb, mode);
        p->drawPixmap(x + 2, (t - pm.height() + 4) / 2 + dy, pm);
        x += 2 + pm.width();
    }

    QFont f = font();
    if (current && m_bold)
        f.setWeight(QFont::Bold);
    p->setFont(f);
    if (!current)
        pal.setColor(QPalette::WindowText, dark.darker(200));
    const QRect box(x + 3, top + dy, w - x - 3, t - 6 - top);
    if (!tb.shownLabel.isEmpty()) {
        style()->drawItemText(p, box, Qt::AlignLeft | Qt::AlignBottom | Qt::TextShowMnemonic,
                              pal, enabled, tb.shownLabel, QPalette::WindowText);
    }
    if (tb.enabled && current && hasFocus()) {
        const int lw = QFontMetrics(f).horizontalAdvance(stripAmpersands(tb.shownLabel));
        p->setPen(pal.color(QPalette::Mid));
        p->setBrush(Qt::NoBrush);
        p->drawRect(x + 1, top + 3 + dy, lw + 5 - 1, t - top - 5 - 1);
    }
}
