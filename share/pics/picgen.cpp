// Build-time generator of the installed pictures and the alarm sound.
//
//   ymrpicgen <name map> <icon theme folder> <output folder>
//   ymrpicgen --verify <name map> <output folder>
//
// Writes every picture the name map lists (taken from the icon theme or drawn
// here), the application icon, the about picture and the alarm sound. A
// missing theme or theme icon is never an error: the own drawing, or a
// lettered tile, stands in, so the build always gets every file.

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>

namespace {

struct Entry
{
    QString path;    // relative, without ".png"
    QString theme;   // "<context>/<icon>" or empty
    QString drawing; // own drawing (alone or over the theme icon)
    bool mime = false;
};

const int kMimeSizes[] = {16, 24, 32};
const double kPi = 3.14159265358979323846;

void fail(const QString &msg)
{
    std::fprintf(stderr, "ymrpicgen: %s\n", qPrintable(msg));
}

bool readMap(const QString &file, QList<Entry> &entries)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        fail(QStringLiteral("cannot read %1").arg(file));
        return false;
    }
    QTextStream in(&f);
    in.setCodec("UTF-8");
    bool mime = false;
    bool inSection = false;
    int lineNo = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        ++lineNo;
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line == QLatin1String("[icons]") || line == QLatin1String("[mime]")) {
            mime = line == QLatin1String("[mime]");
            inSection = true;
            continue;
        }
        const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        Entry e;
        e.path = parts.value(0);
        e.mime = mime;
        for (int i = 1; i < parts.size(); ++i) {
            const QString &p = parts.at(i);
            if (p.startsWith(QLatin1String("theme:")) && e.theme.isEmpty() && e.drawing.isEmpty())
                e.theme = p.mid(6);
            else if (p.startsWith(QLatin1String("draw:")) && e.drawing.isEmpty())
                e.drawing = p.mid(5);
            else
                e.path.clear();
        }
        if (!inSection || e.path.isEmpty() || (e.theme.isEmpty() && e.drawing.isEmpty())
            || e.path.contains(QLatin1String(".."))) {
            fail(QStringLiteral("%1:%2: bad line \"%3\"").arg(file).arg(lineNo).arg(line));
            return false;
        }
        entries.append(e);
    }
    return true;
}

// ---- drawing helpers: every own drawing is laid out on a 16 x 16 grid ----

QPen pen(const QColor &c, qreal w)
{
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void drawPage(QPainter &p, const QColor &fill)
{
    QPainterPath page;
    page.moveTo(3.5, 1.5);
    page.lineTo(10, 1.5);
    page.lineTo(12.5, 4);
    page.lineTo(12.5, 14.5);
    page.lineTo(3.5, 14.5);
    page.closeSubpath();
    p.setPen(pen(QColor(0x55, 0x57, 0x53), 1));
    p.setBrush(fill);
    p.drawPath(page);
}

void drawClockFace(QPainter &p, const QPointF &c, qreal r)
{
    QRadialGradient g(c, r);
    g.setColorAt(0, Qt::white);
    g.setColorAt(1, QColor(0xd3, 0xd7, 0xcf));
    p.setPen(pen(QColor(0x2e, 0x34, 0x36), 1));
    p.setBrush(g);
    p.drawEllipse(c, r, r);
    p.setPen(pen(QColor(0x2e, 0x34, 0x36), 1.2));
    p.drawLine(c, c + QPointF(0, -r * 0.65));
    p.drawLine(c, c + QPointF(r * 0.5, r * 0.1));
    p.setPen(pen(QColor(0xcc, 0x00, 0x00), 0.6));
    p.drawLine(c, c + QPointF(-r * 0.35, r * 0.55));
}

void drawPadlock(QPainter &p, const QRectF &body, const QColor &metal)
{
    const qreal w = body.width();
    QRectF shackle(body.left() + w * 0.2, body.top() - w * 0.55, w * 0.6, w * 1.0);
    p.setPen(pen(QColor(0x55, 0x57, 0x53), w * 0.16));
    p.setBrush(Qt::NoBrush);
    p.drawArc(shackle, 0, 180 * 16);
    p.drawLine(QPointF(shackle.left(), shackle.center().y()),
               QPointF(shackle.left(), body.top()));
    p.drawLine(QPointF(shackle.right(), shackle.center().y()),
               QPointF(shackle.right(), body.top()));
    QLinearGradient g(body.topLeft(), body.bottomRight());
    g.setColorAt(0, metal.lighter(140));
    g.setColorAt(1, metal.darker(130));
    p.setPen(pen(metal.darker(200), 0.8));
    p.setBrush(g);
    p.drawRoundedRect(body, 1, 1);
    p.setPen(pen(QColor(0x2e, 0x34, 0x36), w * 0.12));
    p.drawLine(body.center() + QPointF(0, -w * 0.1), body.center() + QPointF(0, w * 0.15));
}

void drawCheck(QPainter &p, const QColor &c, qreal scale, const QPointF &at)
{
    QPainterPath tick;
    tick.moveTo(at + QPointF(0, 4.5) * scale);
    tick.lineTo(at + QPointF(3.5, 8) * scale);
    tick.lineTo(at + QPointF(10, 0.5) * scale);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(c.darker(160), 3.4 * scale));
    p.drawPath(tick);
    p.setPen(pen(c, 2.2 * scale));
    p.drawPath(tick);
}

void drawBadge(QPainter &p, bool plus)
{
    p.setPen(pen(Qt::white, 1));
    p.setBrush(QColor(0x34, 0x65, 0xa4));
    p.drawEllipse(QPointF(11.5, 11.5), 4, 4);
    p.setPen(pen(Qt::white, 1.6));
    p.drawLine(QPointF(9.5, 11.5), QPointF(13.5, 11.5));
    if (plus)
        p.drawLine(QPointF(11.5, 9.5), QPointF(11.5, 13.5));
}

void drawLetterA(QPainter &p, const QRectF &r)
{
    p.drawLine(QPointF(r.left(), r.bottom()), QPointF(r.center().x(), r.top()));
    p.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.right(), r.bottom()));
    p.drawLine(QPointF(r.left() + r.width() * 0.25, r.top() + r.height() * 0.62),
               QPointF(r.right() - r.width() * 0.25, r.top() + r.height() * 0.62));
}

void drawLetterZ(QPainter &p, const QRectF &r)
{
    QPolygonF z;
    z << r.topLeft() << r.topRight() << r.bottomLeft() << r.bottomRight();
    p.drawPolyline(z);
}

void drawDownArrow(QPainter &p, qreal x)
{
    p.setPen(pen(QColor(0x34, 0x65, 0xa4), 1.4));
    p.drawLine(QPointF(x, 2), QPointF(x, 13.5));
    p.drawLine(QPointF(x - 2.2, 11), QPointF(x, 13.5));
    p.drawLine(QPointF(x + 2.2, 11), QPointF(x, 13.5));
}

void drawCoin(QPainter &p, const QPointF &c, qreal rx, qreal ry)
{
    p.setPen(pen(QColor(0x8f, 0x59, 0x02), 0.8));
    p.setBrush(QColor(0xed, 0xd4, 0x00));
    p.drawEllipse(c, rx, ry);
    p.setPen(pen(QColor(0xc4, 0xa0, 0x00), 0.7));
    p.drawEllipse(c, rx * 0.6, ry * 0.6);
}

void drawBook(QPainter &p, const QColor &cover)
{
    // pages
    p.setPen(pen(QColor(0x88, 0x8a, 0x85), 0.8));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 2.5, 9.5, 12));
    // cover with spine
    QLinearGradient g(2, 0, 13, 0);
    g.setColorAt(0, cover.darker(140));
    g.setColorAt(0.2, cover);
    g.setColorAt(1, cover.lighter(120));
    p.setPen(pen(cover.darker(200), 0.8));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(2, 1.5, 10.5, 12.5), 1, 1);
    p.setPen(pen(cover.darker(170), 0.8));
    p.drawLine(QPointF(4, 1.8), QPointF(4, 13.7));
    // label with a coin
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 210));
    p.drawRect(QRectF(5.5, 4, 5.5, 3));
    drawCoin(p, QPointF(8.5, 10.5), 2, 2);
}

using Painter = std::function<void(QPainter &)>;

const std::map<QString, Painter> &drawings()
{
    static const std::map<QString, Painter> table = {
        {QStringLiteral("empty"), [](QPainter &) {}},
        {QStringLiteral("check"), [](QPainter &p) {
             drawCheck(p, QColor(0x4e, 0x9a, 0x06), 1.0, QPointF(2.5, 3.5));
         }},
        {QStringLiteral("plus"), [](QPainter &p) { drawBadge(p, true); }},
        {QStringLiteral("minus"), [](QPainter &p) { drawBadge(p, false); }},
        {QStringLiteral("rename"), [](QPainter &p) {
             p.setPen(pen(QColor(0x55, 0x57, 0x53), 1));
             p.setBrush(Qt::white);
             p.drawRect(QRectF(0.5, 4.5, 15, 7));
             p.setPen(pen(QColor(0x2e, 0x34, 0x36), 1.2));
             p.drawLine(QPointF(2.5, 8), QPointF(5, 8));
             p.drawLine(QPointF(6.5, 8), QPointF(9, 8));
             p.setPen(pen(QColor(0x34, 0x65, 0xa4), 1));
             p.drawLine(QPointF(11.5, 2.5), QPointF(11.5, 13.5));
             p.drawLine(QPointF(10, 2.5), QPointF(13, 2.5));
             p.drawLine(QPointF(10, 13.5), QPointF(13, 13.5));
         }},
        {QStringLiteral("logo"), [](QPainter &p) { drawBook(p, QColor(0x4e, 0x9a, 0x06)); }},
        {QStringLiteral("book"), [](QPainter &p) { drawBook(p, QColor(0x34, 0x65, 0xa4)); }},
        {QStringLiteral("clock"), [](QPainter &p) { drawClockFace(p, QPointF(8, 8), 6.8); }},
        {QStringLiteral("alarmclock"), [](QPainter &p) {
             p.setPen(pen(QColor(0x2e, 0x34, 0x36), 1));
             p.setBrush(QColor(0xcc, 0x00, 0x00));
             p.drawChord(QRectF(0.5, 0.5, 6, 6), 30 * 16, 180 * 16);
             p.drawChord(QRectF(9.5, 0.5, 6, 6), -30 * 16, 180 * 16);
             p.drawLine(QPointF(4, 13), QPointF(2.5, 15));
             p.drawLine(QPointF(12, 13), QPointF(13.5, 15));
             drawClockFace(p, QPointF(8, 8.5), 6);
         }},
        {QStringLiteral("bell"), [](QPainter &p) {
             QPainterPath bell;
             bell.moveTo(2, 12.5);
             bell.cubicTo(4, 11, 3.5, 3, 8, 3);
             bell.cubicTo(12.5, 3, 12, 11, 14, 12.5);
             bell.closeSubpath();
             QLinearGradient g(3, 0, 13, 0);
             g.setColorAt(0, QColor(0xfc, 0xe9, 0x4f));
             g.setColorAt(1, QColor(0xc4, 0xa0, 0x00));
             p.setPen(pen(QColor(0x8f, 0x59, 0x02), 1));
             p.setBrush(g);
             p.drawPath(bell);
             p.drawEllipse(QPointF(8, 14), 1.5, 1.3);
             p.drawEllipse(QPointF(8, 2.2), 1, 1);
         }},
        {QStringLiteral("colortext"), [](QPainter &p) {
             p.setPen(pen(QColor(0x2e, 0x34, 0x36), 1.8));
             drawLetterA(p, QRectF(3, 1.5, 10, 9.5));
             p.setPen(Qt::NoPen);
             p.setBrush(QColor(0xcc, 0x00, 0x00));
             p.drawRect(QRectF(1, 12.5, 14, 3));
         }},
        {QStringLiteral("colorline"), [](QPainter &p) {
             p.setPen(pen(QColor(0x2e, 0x34, 0x36), 1.2));
             p.drawLine(QPointF(2, 10), QPointF(11, 2));
             p.setPen(pen(QColor(0x34, 0x65, 0xa4), 1.6));
             p.drawLine(QPointF(5, 10), QPointF(14, 3));
             p.setPen(Qt::NoPen);
             p.setBrush(QColor(0x34, 0x65, 0xa4));
             p.drawRect(QRectF(1, 12.5, 14, 3));
         }},
        {QStringLiteral("colorfill"), [](QPainter &p) {
             QPolygonF bucket;
             bucket << QPointF(2, 5) << QPointF(8, 1.5) << QPointF(12.5, 7) << QPointF(6.5, 10.5);
             p.setPen(pen(QColor(0x2e, 0x34, 0x36), 1));
             p.setBrush(QColor(0xee, 0xee, 0xec));
             p.drawPolygon(bucket);
             p.setBrush(QColor(0x73, 0xd2, 0x16));
             p.drawEllipse(QPointF(13.5, 9.5), 1.3, 1.8);
             p.setPen(Qt::NoPen);
             p.drawRect(QRectF(1, 12.5, 14, 3));
         }},
        {QStringLiteral("palette"), [](QPainter &p) {
             const QColor cs[4] = {QColor(0xcc, 0x00, 0x00), QColor(0x73, 0xd2, 0x16),
                                   QColor(0x34, 0x65, 0xa4), QColor(0xed, 0xd4, 0x00)};
             p.setPen(pen(QColor(0x2e, 0x34, 0x36), 0.8));
             for (int i = 0; i < 4; ++i) {
                 p.setBrush(cs[i]);
                 p.drawRect(QRectF(1.5 + (i % 2) * 7, 1.5 + (i / 2) * 7, 6, 6));
             }
         }},
        {QStringLiteral("category"), [](QPainter &p) {
             const QColor cs[3] = {QColor(0xcc, 0x00, 0x00), QColor(0x4e, 0x9a, 0x06),
                                   QColor(0x34, 0x65, 0xa4)};
             p.setPen(pen(QColor(0x2e, 0x34, 0x36), 0.8));
             for (int i = 0; i < 3; ++i) {
                 QPolygonF tag;
                 const qreal y = 1.5 + i * 4.5;
                 tag << QPointF(1.5, y) << QPointF(11, y) << QPointF(14.5, y + 1.75)
                     << QPointF(11, y + 3.5) << QPointF(1.5, y + 3.5);
                 p.setBrush(cs[i]);
                 p.drawPolygon(tag);
             }
         }},
        {QStringLiteral("on"), [](QPainter &p) {
             p.setPen(pen(QColor(0x4e, 0x9a, 0x06).darker(150), 1));
             p.setBrush(QColor(0x73, 0xd2, 0x16));
             p.drawEllipse(QPointF(8, 8), 5.5, 5.5);
         }},
        {QStringLiteral("off"), [](QPainter &p) {
             p.setPen(pen(QColor(0x88, 0x8a, 0x85), 1));
             p.setBrush(QColor(0xee, 0xee, 0xec));
             p.drawEllipse(QPointF(8, 8), 5.5, 5.5);
         }},
        {QStringLiteral("onoff"), [](QPainter &p) {
             p.setPen(pen(QColor(0x55, 0x57, 0x53), 1));
             p.setBrush(QColor(0xee, 0xee, 0xec));
             p.drawEllipse(QPointF(8, 8), 5.5, 5.5);
             p.setBrush(QColor(0x73, 0xd2, 0x16));
             p.drawPie(QRectF(2.5, 2.5, 11, 11), 90 * 16, 180 * 16);
         }},
        {QStringLiteral("books"), [](QPainter &p) {
             const QColor cs[3] = {QColor(0xcc, 0x00, 0x00), QColor(0x34, 0x65, 0xa4),
                                   QColor(0x4e, 0x9a, 0x06)};
             const qreal h[3] = {11, 12.5, 10};
             for (int i = 0; i < 3; ++i) {
                 p.setPen(pen(cs[i].darker(170), 0.8));
                 p.setBrush(cs[i]);
                 p.drawRect(QRectF(1.5 + i * 4.5, 14.5 - h[i], 4, h[i]));
                 p.setPen(pen(QColor(255, 255, 255, 200), 0.8));
                 p.drawLine(QPointF(2.5 + i * 4.5, 16 - h[i]), QPointF(4.5 + i * 4.5, 16 - h[i]));
             }
         }},
        {QStringLiteral("lock"), [](QPainter &p) {
             drawPadlock(p, QRectF(3, 7, 10, 7.5), QColor(0xc4, 0xa0, 0x00));
         }},
        {QStringLiteral("lock2"), [](QPainter &p) {
             drawPadlock(p, QRectF(1.5, 6.5, 9, 7), QColor(0x88, 0x8a, 0x85));
             drawCheck(p, QColor(0x4e, 0x9a, 0x06), 0.55, QPointF(9, 9.5));
         }},
        {QStringLiteral("lockoverlay"), [](QPainter &p) {
             drawPadlock(p, QRectF(0.5, 10.5, 6, 5), QColor(0xc4, 0xa0, 0x00));
         }},
        {QStringLiteral("linkoverlay"), [](QPainter &p) {
             p.setPen(pen(QColor(0x55, 0x57, 0x53), 0.8));
             p.setBrush(Qt::white);
             p.drawRect(QRectF(0.5, 9.5, 6, 6));
             QPainterPath arrow;
             arrow.moveTo(2, 14);
             arrow.quadTo(2, 11, 5, 11);
             p.setPen(pen(QColor(0x2e, 0x34, 0x36), 1));
             p.setBrush(Qt::NoBrush);
             p.drawPath(arrow);
             p.drawLine(QPointF(5, 11), QPointF(3.8, 10));
             p.drawLine(QPointF(5, 11), QPointF(3.8, 12));
         }},
        {QStringLiteral("broken"), [](QPainter &p) {
             drawPage(p, Qt::white);
             p.setPen(pen(QColor(0xcc, 0x00, 0x00), 1.2));
             QPolygonF zig;
             zig << QPointF(2.5, 9) << QPointF(5, 7) << QPointF(7, 9.5) << QPointF(9.5, 7)
                 << QPointF(11.5, 9.5) << QPointF(13.5, 8);
             p.drawPolyline(zig);
         }},
        {QStringLiteral("lists"), [](QPainter &p) {
             for (int i = 0; i < 3; ++i) {
                 const qreal y = 3 + i * 5;
                 p.setPen(Qt::NoPen);
                 p.setBrush(QColor(0x34, 0x65, 0xa4));
                 p.drawEllipse(QPointF(2.5, y), 1.5, 1.5);
                 p.setPen(pen(QColor(0x2e, 0x34, 0x36), 1.4));
                 p.drawLine(QPointF(6, y), QPointF(14.5, y));
             }
         }},
        {QStringLiteral("sortname"), [](QPainter &p) {
             p.setPen(pen(QColor(0x2e, 0x34, 0x36), 1.2));
             drawLetterA(p, QRectF(1, 1, 6.5, 6));
             drawLetterZ(p, QRectF(1.5, 9, 5.5, 6));
             drawDownArrow(p, 12);
         }},
        {QStringLiteral("sortsize"), [](QPainter &p) {
             p.setPen(Qt::NoPen);
             p.setBrush(QColor(0x55, 0x57, 0x53));
             for (int i = 0; i < 3; ++i)
                 p.drawRect(QRectF(1, 2 + i * 4.5, 2.5 + i * 2.5, 3));
             drawDownArrow(p, 12.5);
         }},
        {QStringLiteral("sortdate"), [](QPainter &p) {
             p.setPen(pen(QColor(0x55, 0x57, 0x53), 0.8));
             p.setBrush(Qt::white);
             p.drawRect(QRectF(0.5, 3.5, 8, 8));
             p.setPen(Qt::NoPen);
             p.setBrush(QColor(0xcc, 0x00, 0x00));
             p.drawRect(QRectF(0.9, 3.9, 7.2, 2.2));
             p.setBrush(QColor(0x55, 0x57, 0x53));
             for (int i = 0; i < 4; ++i)
                 p.drawRect(QRectF(2 + (i % 2) * 3, 7 + (i / 2) * 2.2, 1.5, 1.3));
             drawDownArrow(p, 12.5);
         }},
        {QStringLiteral("detailed"), [](QPainter &p) {
             for (int i = 0; i < 4; ++i) {
                 const qreal y = 1.5 + i * 3.6;
                 p.setPen(pen(QColor(0x34, 0x65, 0xa4), 0.8));
                 p.setBrush(QColor(0x72, 0x9f, 0xcf));
                 p.drawRect(QRectF(1, y, 2.5, 2.5));
                 p.setPen(pen(QColor(0x2e, 0x34, 0x36), 1));
                 p.drawLine(QPointF(5, y + 1.25), QPointF(9.5, y + 1.25));
                 p.setPen(pen(QColor(0x88, 0x8a, 0x85), 1));
                 p.drawLine(QPointF(11, y + 1.25), QPointF(15, y + 1.25));
             }
         }},
        {QStringLiteral("multicolumn"), [](QPainter &p) {
             for (int i = 0; i < 6; ++i) {
                 const qreal x = 1 + (i % 2) * 7.5;
                 const qreal y = 1.5 + (i / 2) * 5;
                 p.setPen(pen(QColor(0x34, 0x65, 0xa4), 0.8));
                 p.setBrush(QColor(0x72, 0x9f, 0xcf));
                 p.drawRect(QRectF(x, y, 2.5, 2.5));
                 p.setPen(pen(QColor(0x2e, 0x34, 0x36), 1));
                 p.drawLine(QPointF(x + 3.8, y + 1.25), QPointF(x + 6.3, y + 1.25));
             }
         }},
        {QStringLiteral("bookmark"), [](QPainter &p) {
             QPolygonF ribbon;
             ribbon << QPointF(4, 1) << QPointF(12, 1) << QPointF(12, 15) << QPointF(8, 11)
                    << QPointF(4, 15);
             p.setPen(pen(QColor(0xa4, 0x00, 0x00), 1));
             p.setBrush(QColor(0xef, 0x29, 0x29));
             p.drawPolygon(ribbon);
         }},
        {QStringLiteral("completed"), [](QPainter &p) {
             drawPage(p, Qt::white);
             p.setPen(pen(QColor(0x88, 0x8a, 0x85), 0.9));
             for (int i = 0; i < 3; ++i)
                 p.drawLine(QPointF(5.5, 6 + i * 2.8), QPointF(10.5, 6 + i * 2.8));
             drawCheck(p, QColor(0x4e, 0x9a, 0x06), 0.7, QPointF(6, 8));
         }},
        {QStringLiteral("coins"), [](QPainter &p) {
             for (int i = 0; i < 4; ++i)
                 drawCoin(p, QPointF(5.5, 13 - i * 2), 4.5, 1.8);
             drawCoin(p, QPointF(11, 9.5), 4, 4);
         }},
        {QStringLiteral("syncing"), [](QPainter &p) {
             p.setPen(pen(QColor(0x34, 0x65, 0xa4), 1.8));
             p.setBrush(Qt::NoBrush);
             p.drawArc(QRectF(2.5, 2.5, 11, 11), 20 * 16, 140 * 16);
             p.drawArc(QRectF(2.5, 2.5, 11, 11), 200 * 16, 140 * 16);
             p.setPen(Qt::NoPen);
             p.setBrush(QColor(0x34, 0x65, 0xa4));
             p.drawPolygon(QPolygonF() << QPointF(11.5, 5.5) << QPointF(15.5, 6) << QPointF(13, 9.5));
             p.drawPolygon(QPolygonF() << QPointF(4.5, 10.5) << QPointF(0.5, 10) << QPointF(3, 6.5));
         }},
    };
    return table;
}

// Stand-in for a theme icon that is not installed: a tile with the name's
// initial, its colour derived from the name.
void drawTile(QPainter &p, const QString &name)
{
    const QString base = name.section(QLatin1Char('/'), -1);
    const QColor c = QColor::fromHsv(int(qHash(base) % 360), 150, 190);
    p.setPen(pen(c.darker(160), 1));
    p.setBrush(c);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 2.5, 2.5);
    QFont f;
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(1.5, 1.5, 13, 13), Qt::AlignCenter, base.left(1).toUpper());
}

QImage canvas(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

QImage paintOwn(const QString &drawing, const QString &name, int size)
{
    QImage img = canvas(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 16.0, size / 16.0);
    const auto it = drawings().find(drawing);
    if (it != drawings().end())
        it->second(p);
    else
        drawTile(p, name);
    return img;
}

QImage themeIcon(const QString &themeDir, const QString &icon, int size)
{
    if (themeDir.isEmpty() || icon.isEmpty())
        return QImage();
    const QString exact = QStringLiteral("%1/%2x%2/%3.png").arg(themeDir).arg(size).arg(icon);
    QImage img(exact);
    if (!img.isNull() && img.width() == size && img.height() == size)
        return img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // another size of the same icon, scaled
    for (int s : {48, 32, 24, 22, 16}) {
        QImage other(QStringLiteral("%1/%2x%2/%3.png").arg(themeDir).arg(s).arg(icon));
        if (!other.isNull())
            return other.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    return QImage();
}

QImage makePicture(const Entry &e, const QString &themeDir, int size)
{
    if (e.theme.isEmpty())
        return paintOwn(e.drawing, e.path, size);
    QImage img = themeIcon(themeDir, e.theme, size);
    if (img.isNull())
        img = paintOwn(QString(), e.path, size);
    if (!e.drawing.isEmpty()) {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 16.0, size / 16.0);
        const auto it = drawings().find(e.drawing);
        if (it != drawings().end())
            it->second(p);
    }
    return img;
}

bool save(const QImage &img, const QString &file)
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    if (!img.convertToFormat(QImage::Format_ARGB32).save(file, "PNG")) {
        fail(QStringLiteral("cannot write %1").arg(file));
        return false;
    }
    return true;
}

// The application icon: width 32 in pics/, 64 in pics144/.
QImage appIcon(int size)
{
    QImage img = canvas(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    drawBook(p, QColor(0x4e, 0x9a, 0x06));
    drawCoin(p, QPointF(12.5, 12.5), 3, 3);
    return img;
}

// The about picture, small enough for the narrowest screen.
QImage splash()
{
    const int w = 200, h = 100;
    QImage img = canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient bg(0, 0, 0, h);
    bg.setColorAt(0, QColor(0xf5, 0xfa, 0xee));
    bg.setColorAt(1, QColor(0xc8, 0xe6, 0xa8));
    p.setPen(pen(QColor(0x4e, 0x9a, 0x06), 1.5));
    p.setBrush(bg);
    p.drawRoundedRect(QRectF(1, 1, w - 2, h - 2), 8, 8);
    p.save();
    p.translate(10, 18);
    p.scale(4, 4);
    drawBook(p, QColor(0x4e, 0x9a, 0x06));
    drawCoin(p, QPointF(12.5, 12.5), 3, 3);
    p.restore();
    for (int i = 0; i < 3; ++i) {
        p.save();
        p.translate(150 + i * 14, 70 - i * 10);
        drawCoin(p, QPointF(0, 0), 9, 9);
        p.restore();
    }
    QFont f;
    f.setPixelSize(17);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(0x2e, 0x34, 0x36));
    p.drawText(QRectF(78, 14, 120, 28), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("ymrOutlays"));
    f.setPixelSize(11);
    f.setBold(false);
    p.setFont(f);
    p.setPen(QColor(0x55, 0x57, 0x53));
    p.drawText(QRectF(78, 40, 120, 16), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Expense book"));
    return img;
}

void put16(QByteArray &b, quint16 v)
{
    char x[2];
    qToLittleEndian(v, x);
    b.append(x, 2);
}

void put32(QByteArray &b, quint32 v)
{
    char x[4];
    qToLittleEndian(v, x);
    b.append(x, 4);
}

// A short two-tone alarm: 16-bit mono PCM, 22050 Hz, 300 ms.
bool writeAlarm(const QString &file)
{
    const int rate = 22050;
    const double tones[][2] = {{0.0, 1760.0}, {0.15, 1320.0}};
    const int total = rate * 3 / 10;
    QByteArray pcm;
    for (int i = 0; i < total; ++i) {
        const double t = double(i) / rate;
        const int part = t < 0.15 ? 0 : 1;
        const double local = t - tones[part][0];
        // 10 ms ramps keep the tone edges from clicking
        const double env = std::min({1.0, local / 0.01, (0.14 - local) / 0.01});
        const double v = env > 0 ? 0.6 * env * std::sin(2 * kPi * tones[part][1] * local) : 0.0;
        put16(pcm, quint16(qint16(std::lround(v * 32767))));
    }
    QByteArray wav("RIFF");
    put32(wav, quint32(36 + pcm.size()));
    wav.append("WAVEfmt ");
    put32(wav, 16);
    put16(wav, 1);            // PCM
    put16(wav, 1);            // mono
    put32(wav, rate);
    put32(wav, rate * 2);     // bytes per second
    put16(wav, 2);            // block align
    put16(wav, 16);           // bits per sample
    wav.append("data");
    put32(wav, quint32(pcm.size()));
    wav.append(pcm);
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly) || f.write(wav) != wav.size()) {
        fail(QStringLiteral("cannot write %1").arg(file));
        return false;
    }
    return true;
}

// Every file the generator writes, with its expected picture size (0 for
// the sound).
QList<QPair<QString, QSize>> expectedFiles(const QList<Entry> &entries)
{
    QList<QPair<QString, QSize>> out;
    for (const Entry &e : entries) {
        if (e.mime) {
            for (int s : kMimeSizes)
                out.append({QStringLiteral("pics/ymr/mime/%1/%2.png").arg(s).arg(e.path), QSize(s, s)});
        } else {
            out.append({QStringLiteral("pics/%1.png").arg(e.path), QSize(16, 16)});
            out.append({QStringLiteral("pics144/%1.png").arg(e.path), QSize(32, 32)});
        }
    }
    out.append({QStringLiteral("pics/ymrOutlays.png"), QSize(32, 32)});
    out.append({QStringLiteral("pics144/ymrOutlays.png"), QSize(64, 64)});
    out.append({QStringLiteral("pics/ymroutlayssplash.png"), splash().size()});
    out.append({QStringLiteral("sounds/alarma300.wav"), QSize()});
    return out;
}

int verify(const QList<Entry> &entries, const QString &outDir)
{
    int bad = 0;
    for (const auto &f : expectedFiles(entries)) {
        const QString path = outDir + QLatin1Char('/') + f.first;
        if (!f.second.isValid()) {
            QFile wav(path);
            if (!wav.open(QIODevice::ReadOnly) || !wav.read(12).startsWith("RIFF")) {
                fail(QStringLiteral("missing or bad %1").arg(path));
                ++bad;
            }
            continue;
        }
        const QImage img(path);
        if (img.size() != f.second) {
            fail(QStringLiteral("missing or wrong size %1").arg(path));
            ++bad;
        }
    }
    return bad ? 1 : 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);

    if (args.size() == 3 && args.at(0) == QLatin1String("--verify")) {
        QList<Entry> entries;
        if (!readMap(args.at(1), entries))
            return 2;
        return verify(entries, args.at(2));
    }
    if (args.size() != 3) {
        fail(QStringLiteral("usage: ymrpicgen <map> <theme folder> <output folder> | --verify <map> <output folder>"));
        return 2;
    }
    QList<Entry> entries;
    if (!readMap(args.at(0), entries))
        return 2;
    for (const Entry &e : entries) {
        if (!e.drawing.isEmpty() && drawings().find(e.drawing) == drawings().end()) {
            fail(QStringLiteral("unknown drawing \"%1\" for %2").arg(e.drawing, e.path));
            return 2;
        }
    }
    QString themeDir = args.at(1);
    if (!QFileInfo(themeDir).isDir()) {
        std::fprintf(stderr, "ymrpicgen: no icon theme at %s; using own drawings\n", qPrintable(themeDir));
        themeDir.clear();
    }
    const QString out = args.at(2);

    bool ok = true;
    for (const Entry &e : entries) {
        if (e.mime) {
            for (int s : kMimeSizes)
                ok &= save(makePicture(e, themeDir, s),
                           QStringLiteral("%1/pics/ymr/mime/%2/%3.png").arg(out).arg(s).arg(e.path));
        } else {
            ok &= save(makePicture(e, themeDir, 16), QStringLiteral("%1/pics/%2.png").arg(out, e.path));
            ok &= save(makePicture(e, themeDir, 32), QStringLiteral("%1/pics144/%2.png").arg(out, e.path));
        }
    }
    ok &= save(appIcon(32), out + QStringLiteral("/pics/ymrOutlays.png"));
    ok &= save(appIcon(64), out + QStringLiteral("/pics144/ymrOutlays.png"));
    ok &= save(splash(), out + QStringLiteral("/pics/ymroutlayssplash.png"));
    ok &= writeAlarm(out + QStringLiteral("/sounds/alarma300.wav"));
    return ok ? 0 : 1;
}
