#include "ymselectcoloraction.h"

#include "ymcolorpanel.h"
#include "ymriconset.h"
#include "ymrresource.h"
#include "qpe/popupmenu.h"
#include "qpe/qpeapplication.h"

#include <QImage>
#include <QPushButton>
#include <QToolButton>

YMSelectColorAction::YMSelectColorAction(int kind, QObject *parent, const char *name)
    : YMRAction(parent, name, false)
    , m_kind(kind)
    , m_color(new QColor)
{
    init();
}

YMSelectColorAction::~YMSelectColorAction()
{
    delete m_color;
    m_color = nullptr;
    delete m_popup;   // takes the panel along
}

const char *YMSelectColorAction::pictureName() const
{
    switch (m_kind) {
    case 0: return "color_text";
    case 1: return "color_line";
    case 2: return "color_fill";
    default: return nullptr;
    }
}

void YMSelectColorAction::init()
{
    m_popup = new PopupMenu(nullptr, "colorPopup");
    m_panel = new YMColorPanel(m_popup, "colorPanel");
    connect(m_panel, &YMColorPanel::selected, this, &YMSelectColorAction::panelColorSelected);
    connect(m_panel, &YMColorPanel::reject, this, &YMSelectColorAction::panelReject);

    if (const char *picture = pictureName()) {
        setIconSet(YMRResource::loadIconSet(QLatin1String(picture)));
        static const char *const texts[] = {
            QT_TR_NOOP("Font Color"), QT_TR_NOOP("Line Color"), QT_TR_NOOP("Fill Color")};
        setCurrentColor(m_kind == 2 ? Qt::white : Qt::black);
        setText(tr(texts[m_kind]));
    }
    m_popup->insertItem(m_panel);
}

void YMSelectColorAction::setCurrentColor(const QColor &color)
{
    *m_color = color;
    m_panel->setCurrentColor(color);
    updateIcon();
}

void YMSelectColorAction::panelColorSelected(const QColor &color)
{
    m_popup->hide();
    setCurrentColor(color);
    emit activated(color);
}

void YMSelectColorAction::panelReject()
{
    m_popup->hide();
}

void YMSelectColorAction::popupColors()
{
    auto *button = qobject_cast<QWidget *>(sender());
    if (!button)
        return;
    // right edges lined up, one pixel below the button (or above it)
    const QSize size = m_popup->sizeHint();
    const QPoint corner = button->mapToGlobal(QPoint(button->width(), 0));
    const QRect at(corner.x() - size.width(), corner.y(), size.width(), button->height());
    m_popup->exec(QPEApplication::popupGeometry(at, size, 1).topLeft());
}

void YMSelectColorAction::addedTo(QWidget *actionWidget, QWidget *)
{
    if (auto *b = qobject_cast<QToolButton *>(actionWidget))
        connect(b, &QAbstractButton::released, this, &YMSelectColorAction::popupColors);
    else if (auto *b = qobject_cast<QPushButton *>(actionWidget))
        connect(b, &QAbstractButton::released, this, &YMSelectColorAction::popupColors);
}

void YMSelectColorAction::updateIcon()
{
    const char *picture = pictureName();
    if (!picture)
        return;
    QImage image = YMRResource::loadImage(QLatin1String(picture));
    if (image.isNull())
        return;
    image = image.convertToFormat(QImage::Format_ARGB32);
    // the swatch sits in the bottom-right corner: 6 by 4 pixels on a small
    // icon, 12 by 8 on a large one; clipped to pictures of other sizes
    const bool small = image.width() == 16;
    const int top = small ? 12 : 24;
    const int bottom = qMin(small ? 15 : 31, image.height() - 1);
    const int left = small ? 10 : 20;
    const int right = qMin(small ? 15 : 31, image.width() - 1);
    const QRgb swatch = m_color->isValid() ? (m_color->rgb() | 0xff000000u) : qRgb(0, 0, 0);
    for (int y = top; y <= bottom; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = left; x <= right; ++x)
            line[x] = swatch;
    }
    setIconSet(YMRIconSet(image));
}
