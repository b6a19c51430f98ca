#include "ymrspinwidget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QTimer>
#include <qdrawutil.h>

YMRSpinWidget::YMRSpinWidget(QWidget *parent, const char *name)
    : QWidget(parent)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

YMRSpinWidget::~YMRSpinWidget() = default;

void YMRSpinWidget::setEditWidget(QWidget *widget)
{
    if (widget) {
        widget->setParent(this);
        widget->move(0, 0);
        setFocusProxy(widget);
    }
    m_edit = widget;
    arrange();
    updateDisplay();
}

QWidget *YMRSpinWidget::editWidget() const
{
    return m_edit;
}

void YMRSpinWidget::setUpEnabled(bool on)
{
    if (m_upEnabled == on)
        return;
    m_upEnabled = on;
    updateDisplay();
}

void YMRSpinWidget::setDownEnabled(bool on)
{
    if (m_downEnabled == on)
        return;
    m_downEnabled = on;
    updateDisplay();
}

// A hidden widget gets its resize event only when shown; the arrows follow
// the size at once all the same.
void YMRSpinWidget::arrangeIfResized() const
{
    if (m_arrangedFor != size())
        const_cast<YMRSpinWidget *>(this)->arrange();
}

QRect YMRSpinWidget::upRect() const
{
    arrangeIfResized();
    return m_up;
}

QRect YMRSpinWidget::downRect() const
{
    arrangeIfResized();
    return m_down;
}

void YMRSpinWidget::arrange()
{
    m_arrangedFor = size();
    int a = height() / 2 - 1;
    if (a < 8)
        a = 8;
    const int b = a * 8 / 5;
    const int x = width() - 1 - b;
    m_up = QRect(QPoint(x, 1), QPoint(x + b - 1, a));
    m_down = QRect(QPoint(x, a + 1), QPoint(x + b - 1, 2 * a));
    if (m_edit)
        m_edit->setGeometry(QRect(QPoint(1, 1), QPoint(x - 1, height() - 2)));
}

void YMRSpinWidget::updateDisplay()
{
    if (!isEnabled()) {
        m_upEnabled = false;
        m_downEnabled = false;
    }
    if (!m_upEnabled) {
        m_pressed &= ~Up;
        m_lastPressed &= ~Up;
    }
    if (!m_downEnabled) {
        m_pressed &= ~Down;
        m_lastPressed &= ~Down;
    }
    update();
}

void YMRSpinWidget::updateArrows()
{
    m_upEnabled = isEnabled();
    m_downEnabled = isEnabled();
    updateDisplay();
}

void YMRSpinWidget::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    arrangeIfResized();
    const int old = m_lastPressed;
    if (m_down.contains(e->pos()) && m_downEnabled)
        m_pressed = Down;
    else if (m_up.contains(e->pos()) && m_upEnabled)
        m_pressed = Up;
    else
        m_pressed = None;
    m_lastPressed = m_pressed;
    if (m_pressed == old)
        return;
    if (m_pressed == None) {
        update(m_up.united(m_down));
        return;
    }
    const bool up = m_pressed == Up;
    update(up ? m_up : m_down);
    if (!m_repeat) {
        m_repeat = new QTimer(this);
        if (up)
            connect(m_repeat, &QTimer::timeout, this, &YMRSpinWidget::stepUp);
        else
            connect(m_repeat, &QTimer::timeout, this, &YMRSpinWidget::stepDown);
    }
    m_repeat->start(300);
    if (up)
        stepUp();
    else
        stepDown();
}

void YMRSpinWidget::restartRepeat()
{
    // The first repeat waits 300 ms; later ones come every 100 ms.
    if (m_repeat && sender() == m_repeat) {
        m_repeat->stop();
        m_repeat->start(100);
    }
}

void YMRSpinWidget::stepUp()
{
    restartRepeat();
    emit stepUpPressed();
}

void YMRSpinWidget::stepDown()
{
    restartRepeat();
    emit stepDownPressed();
}

void YMRSpinWidget::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    const int was = m_pressed;
    m_pressed = None;
    if (was == Up)
        update(m_up);
    else if (was == Down)
        update(m_down);
    delete m_repeat;
    m_repeat = nullptr;
    m_lastPressed = None;
}

void YMRSpinWidget::paintEvent(QPaintEvent *)
{
    arrangeIfResized();
    QPainter p(this);
    QPalette pal = palette();
    pal.setCurrentColorGroup(isEnabled() ? QPalette::Active : QPalette::Disabled);
    QStyle *st = style();

    if (st->objectName() == QLatin1String("xp")) {
        QStyleOption frame;
        frame.initFrom(this);
        frame.palette = pal;
        frame.rect = rect();
        frame.state &= ~QStyle::State_Enabled;
        frame.state |= QStyle::State_Sunken;
        st->drawPrimitive(QStyle::PE_Frame, &frame, &p, this);
        auto arrow = [&](bool up) {
            QStyleOption o;
            o.initFrom(this);
            o.palette = pal;
            o.rect = up ? m_up : m_down;
            const bool enabled = isEnabled() && (up ? m_upEnabled : m_downEnabled);
            o.state &= ~(QStyle::State_Enabled | QStyle::State_Sunken);
            if (enabled)
                o.state |= QStyle::State_Enabled;
            if (enabled && m_pressed == (up ? Up : Down))
                o.state |= QStyle::State_Sunken;
            st->drawPrimitive(up ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown,
                              &o, &p, this);
        };
        arrow(true);
        arrow(false);
        return;
    }

    qDrawShadePanel(&p, rect(), pal, true, 1, nullptr);
    auto arrow = [&](bool up) {
        const QRect r = up ? m_up : m_down;
        const bool sunken = m_pressed == (up ? Up : Down);
        QStyleOptionButton b;
        b.initFrom(this);
        b.palette = pal;
        b.rect = r;
        b.state &= ~(QStyle::State_Sunken | QStyle::State_Raised | QStyle::State_HasFocus);
        b.state |= sunken ? QStyle::State_Sunken : QStyle::State_Raised;
        st->drawPrimitive(QStyle::PE_PanelButtonBevel, &b, &p, this);
        QStyleOption a;
        a.initFrom(this);
        a.palette = pal;
        a.rect = r;
        a.state &= ~(QStyle::State_Sunken | QStyle::State_HasFocus);
        if (sunken)
            a.state |= QStyle::State_Sunken;
        st->drawPrimitive(up ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown,
                          &a, &p, this);
    };
    arrow(true);
    arrow(false);
}

void YMRSpinWidget::resizeEvent(QResizeEvent *)
{
    arrange();
}

void YMRSpinWidget::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::StyleChange)
        arrange();
    else if (e->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(e);
}
