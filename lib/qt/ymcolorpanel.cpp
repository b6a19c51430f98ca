#include "ymcolorpanel.h"

#include "ymrapplication.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

namespace {

struct NamedColor {
    quint32 bgr;   // 0x00BBGGRR
    const char *name;
};

// Cell k of the panel (1 to 99) shows entry k - 1; an empty name ends it.
const NamedColor Colors[] = {
    {0x00000000, "Black"}, {0x00FFFFFF, "White"}, {0x00FF0000, "Blue"},
    {0x00FFFF00, "Cyan"}, {0x0000FF00, "Green"}, {0x0000FFFF, "Yellow"},
    {0x000000FF, "Red"}, {0x00191919, "90% Black"}, {0x00333333, "80% Black"},
    {0x004C4C4C, "70% Black"}, {0x00666666, "60% Black"}, {0x007F7F7F, "50% Black"},
    {0x00999999, "40% Black"}, {0x00B2B2B2, "30% Black"}, {0x00CCCCCC, "20% Black"},
    {0x00E5E5E5, "10% Black"}, {0x00FF00FF, "Magenta"}, {0x00CC0099, "Purple"},
    {0x000066FF, "Orange"}, {0x00CC99FF, "Pink"}, {0x00333366, "Dark Brown"},
    {0x00FFCCCC, "Powder Blue"}, {0x00FF9999, "Pastel Blue"}, {0x00FF9966, "Baby Blue"},
    {0x00FF6666, "Electric Blue"}, {0x00CC6666, "Twilight Blue"}, {0x00993300, "Navy Blue"},
    {0x00660000, "Deep Navy Blue"}, {0x00996633, "Desert Blue"}, {0x00FFCC00, "Sky Blue"},
    {0x00FFFF99, "Ice Blue"}, {0x00CCCC99, "Light BlueGreen"}, {0x00999966, "Ocean Green"},
    {0x00666633, "Moss Green"}, {0x00333300, "Dark Green"}, {0x00336600, "Forest Green"},
    {0x00339900, "Grass Green"}, {0x00669933, "Kentucky Green"}, {0x0066CC33, "Light Green"},
    {0x0033CC33, "Spring Green"}, {0x00CCFF66, "Turquoise"}, {0x0099CC33, "Sea Green"},
    {0x0099CC99, "Faded Green"}, {0x00CCFFCC, "Ghost Green"}, {0x0099FF99, "Mint Green"},
    {0x00669966, "Army Green"}, {0x00339966, "Avocado Green"}, {0x0033CC99, "Martian Green"},
    {0x0066CC99, "Dull Green"}, {0x0000FF99, "Chartreuse"}, {0x0066FFCC, "Moon Green"},
    {0x00003333, "Murky Green"}, {0x00336666, "Olive Drab"}, {0x00669999, "Khaki"},
    {0x00339999, "Olive"}, {0x0033CCCC, "Banana Yellow"}, {0x0066FFFF, "Light Yellow"},
    {0x0099FFFF, "Chalk"}, {0x00CCFFFF, "Pale Yellow"}, {0x00336699, "Brown"},
    {0x003366CC, "Red Brown"}, {0x003399CC, "Gold"}, {0x003366FF, "Autumn Orange"},
    {0x003399FF, "Light Orange"}, {0x006699FF, "Peach"}, {0x0000CCFF, "Deep Yellow"},
    {0x0099CCFF, "Sand"}, {0x00003366, "Walnut"}, {0x00000099, "Ruby Red"},
    {0x000033CC, "Brick Red"}, {0x006666FF, "Tropical Pink"}, {0x009999FF, "Soft Pink"},
    {0x00CCCCFF, "Faded Pink"}, {0x00663399, "Crimson"}, {0x006633CC, "Regal Red"},
    {0x009933CC, "Deep Rose"}, {0x006600FF, "Neon Red"}, {0x009966FF, "Deep Pink"},
    {0x009933FF, "Hot Pink"}, {0x009966CC, "Dusty Rose"}, {0x00660066, "Plum"},
    {0x00990099, "Deep Violet"}, {0x00FF99FF, "Light Violet"}, {0x00CC66CC, "Violet"},
    {0x00996699, "Dusty Plum"}, {0x00CC99CC, "Pale Purple"}, {0x00CC3399, "Majestic Purple"},
    {0x00FF33CC, "Neon Purple"}, {0x00FF66CC, "Light Purple"}, {0x00CC6699, "Twilight Violet"},
    {0x00FF99CC, "Easter Purple"}, {0x00660033, "Deep Purple"}, {0x00993366, "Grape"},
    {0x00FF6699, "Blue Violet"}, {0x00FF0099, "Blue Purple"}, {0x00CC0066, "Deep River"},
    {0x00FF3366, "Deep Azure"}, {0x00990033, "Storm Blue"}, {0x00CC0033, "Deep Blue"},
    {0, ""},
};

const int CellsPerRow = 10;
const int CellCount = 100;

QColor colorOf(const NamedColor &entry)
{
    return QColor(entry.bgr & 0xff, (entry.bgr >> 8) & 0xff, (entry.bgr >> 16) & 0xff);
}

} // namespace

YMColorPanel::YMColorPanel(QWidget *parent, const char *name)
    : QWidget(parent)
    , m_scale(YMRApplication::isVGAScreen() ? 2 : 1)
    , m_cellSize(17 * m_scale)
    , m_swatchSpan(18 * m_scale)
{
    setObjectName(QLatin1String(name));
    setFixedSize(CellsPerRow * m_cellSize, CellsPerRow * m_cellSize);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

YMColorPanel::~YMColorPanel() = default;

QSize YMColorPanel::sizeHint() const
{
    return QSize(CellsPerRow * m_cellSize, CellsPerRow * m_cellSize);
}

void YMColorPanel::setCurrentColor(const QColor &color)
{
    m_current = indexOf(color);
    update();
}

int YMColorPanel::colorCount()
{
    int n = 0;
    while (Colors[n].name[0] != '\0')
        ++n;
    return n;
}

QColor YMColorPanel::color(int index)
{
    if (index < 0 || index >= colorCount())
        return QColor();
    return colorOf(Colors[index]);
}

int YMColorPanel::indexOf(const QColor &color)
{
    if (!color.isValid())
        return -1;
    for (int i = 0; Colors[i].name[0] != '\0'; ++i) {
        const QColor c = colorOf(Colors[i]);
        if (c.red() == color.red() && c.green() == color.green() && c.blue() == color.blue())
            return i + 1;
    }
    return -1;
}

QString YMColorPanel::colorName(const QColor &color)
{
    if (!color.isValid())
        return QStringLiteral("Empty");
    const int cell = indexOf(color);
    if (cell > 0)
        return QLatin1String(Colors[cell - 1].name);
    return QStringLiteral("R:%1 G:%2 B:%3").arg(color.red()).arg(color.green()).arg(color.blue());
}

QString YMColorPanel::colorName(int index)
{
    if (index < 0 || index >= colorCount())
        return QString();
    return QLatin1String(Colors[index].name);
}

void YMColorPanel::mouseReleaseEvent(QMouseEvent *e)
{
    const QPoint p = e->pos();
    if (rect().contains(p)) {
        const int cell = p.x() / m_cellSize + CellsPerRow * (p.y() / m_cellSize);
        if (cell == 0)
            emit selected(QColor());
        else if (cell < CellCount)
            emit selected(color(cell - 1));
    }
    emit reject();
}

void YMColorPanel::paintEvent(QPaintEvent *)
{
    const int s = m_scale;
    const int c = m_cellSize;
    const int side = m_swatchSpan - 8 * s;
    QPixmap buffer(size());
    buffer.fill(Qt::white);
    {
        QPainter p(&buffer);
        for (int i = 0; i < CellCount; ++i) {
            const int x = c * (i % CellsPerRow);
            const int y = c * (i / CellsPerRow);
            p.setPen(QColor(165, 182, 222));
            p.drawLine(x + c, y, x + c, y + c);
            p.setPen(QColor(222, 222, 222));
            p.drawLine(x + 3 * s, y + c, x + c - 3 * s, y + c);
            const QRect swatch(x + 4 * s, y + 4 * s, side, side);
            if (i == 0) {
                p.fillRect(swatch, Qt::white);
                p.setPen(Qt::black);
                p.setBrush(Qt::NoBrush);
                p.drawRect(swatch.adjusted(0, 0, -1, -1));
                p.drawLine(swatch.topLeft(), swatch.bottomRight());
                p.drawLine(swatch.topRight(), swatch.bottomLeft());
                continue;
            }
            p.fillRect(swatch, color(i - 1));
            if (i == m_current) {
                const QRect mark(x + 12 * s, y + 12 * s, 5 * s, 5 * s);
                p.fillRect(mark, Qt::black);
                p.setPen(Qt::white);
                p.setBrush(Qt::NoBrush);
                p.drawRect(mark.adjusted(0, 0, -1, -1));
            }
        }
    }
    QPainter(this).drawPixmap(0, 0, buffer);
}
