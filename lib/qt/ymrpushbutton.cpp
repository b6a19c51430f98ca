#include "ymrpushbutton.h"

#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>

YMRPushButton::YMRPushButton(QWidget *parent, const char *name)
    : QPushButton(parent)
{
    setObjectName(QLatin1String(name));
}

YMRPushButton::YMRPushButton(const QString &text, QWidget *parent, const char *name)
    : QPushButton(text, parent)
{
    setObjectName(QLatin1String(name));
}

YMRPushButton::YMRPushButton(const QIcon &icon, const QString &text, QWidget *parent,
                             const char *name)
    : QPushButton(icon, text, parent)
{
    setObjectName(QLatin1String(name));
}

YMRPushButton::~YMRPushButton() = default;

QPixmap YMRPushButton::iconPixmap(QIcon::Mode mode) const
{
    const QIcon ic = icon();
    if (ic.isNull())
        return QPixmap();
    const QList<QSize> sizes = ic.availableSizes(mode);
    QSize size = sizes.isEmpty() ? ic.availableSizes().value(0) : sizes.first();
    if (!size.isValid())
        size = iconSize();
    return ic.pixmap(size, mode);
}

static int menuIndicatorWidth(const QWidget *w, int height)
{
    QStyleOptionButton opt;
    opt.initFrom(w);
    opt.rect.setHeight(height);
    return w->style()->pixelMetric(QStyle::PM_MenuButtonIndicator, &opt, w);
}

QSize YMRPushButton::sizeHint() const
{
    ensurePolished();
    int w = 0;
    int h = 0;
    if (!text().isEmpty()) {
        const QSize ts = fontMetrics().size(Qt::TextShowMnemonic, text());
        const int e = ts.height() / 8;
        w = ts.width() + 12 + e;
        h = ts.height() + e + 8;
    }
    const QPixmap pm = iconPixmap(QIcon::Normal);
    if (!pm.isNull()) {
        w = (w == 0) ? pm.width() + 8 : w + pm.width() + 4;
        h = qMax(h, pm.height() + 8);
    }
    if (menu())
        w += 3 + menuIndicatorWidth(this, h);
    return QSize(w, h);
}

void YMRPushButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    drawButton(&p);
}

void YMRPushButton::drawButton(QPainter *p)
{
    QStyleOptionButton opt;
    initStyleOption(&opt);
    style()->drawControl(QStyle::CE_PushButtonBevel, &opt, p, this);
    drawButtonLabel(p);
    if (hasFocus()) {
        QStyleOptionFocusRect fr;
        fr.initFrom(this);
        fr.rect = QRect(2, 2, width() - 4, height() - 4);
        fr.backgroundColor = palette().color(QPalette::Button);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &fr, p, this);
    }
}

void YMRPushButton::drawButtonLabel(QPainter *p)
{
    int w = width();
    const int h = height();
    int x = 0;
    if (menu()) {
        const int d = menuIndicatorWidth(this, h);
        w -= d + 3;
        QStyleOption arrow;
        arrow.initFrom(this);
        arrow.rect = QRect(w, 2, d - 1, h - 4);
        arrow.state &= ~QStyle::State_Sunken;
        if (!isEnabled())
            arrow.state &= ~QStyle::State_Enabled;
        style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, p, this);
    }
    const QIcon::Mode mode = !isEnabled() ? QIcon::Disabled
                             : hasFocus()  ? QIcon::Active
                                           : QIcon::Normal;
    const QPixmap pm = iconPixmap(mode);
    if (!pm.isNull()) {
        p->drawPixmap(4, (h - pm.height()) / 2, pm);
        x = pm.width() + 4;
        w -= pm.width() + 4;
    }
    style()->drawItemText(p, QRect(x, 0, w, h), Qt::AlignCenter | Qt::TextShowMnemonic,
                          palette(), isEnabled(), text(), QPalette::ButtonText);
}
