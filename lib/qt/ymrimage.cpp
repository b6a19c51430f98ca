#include "ymrimage.h"

#include <QColor>
#include <QPainter>
#include <QRect>
#include <cmath>

namespace {

enum CopyMode { Masked, Behind, Block, Blend };

// A 32-bit image with straight alpha, converted in place when needed.
bool makeArgb(QImage &image)
{
    if (image.isNull())
        return false;
    if (image.format() != QImage::Format_ARGB32)
        image = image.convertToFormat(QImage::Format_ARGB32);
    return !image.isNull();
}

QImage argbOf(const QImage &image)
{
    if (image.format() == QImage::Format_ARGB32)
        return image;
    return image.convertToFormat(QImage::Format_ARGB32);
}

inline int truncated(double v)
{
    return int(v);
}

QRgb blendPixel(QRgb d, QRgb s)
{
    const int a = qAlpha(s);
    if (a == 0)
        return d;
    if (a == 255)
        return qRgba(qRed(s), qGreen(s), qBlue(s), qAlpha(d));
    const int keep = 255 - a;
    auto mix = [keep](int sc, int dc) { return truncated(sc + (dc - sc) * keep / 255.0); };
    return qRgba(mix(qRed(s), qRed(d)), mix(qGreen(s), qGreen(d)), mix(qBlue(s), qBlue(d)),
                 qAlpha(d));
}

// Copies the rectangle, clipped to both images; sizes already resolved.
void copyRect(CopyMode mode, QImage &dst, const QImage &source, int dx, int dy, int sx, int sy,
              int w, int h)
{
    if (w <= 0 || h <= 0 || source.isNull() || !makeArgb(dst))
        return;
    const QImage src = argbOf(source);
    if (sx < 0) { dx -= sx; w += sx; sx = 0; }
    if (sy < 0) { dy -= sy; h += sy; sy = 0; }
    if (dx < 0) { sx -= dx; w += dx; dx = 0; }
    if (dy < 0) { sy -= dy; h += dy; dy = 0; }
    w = qMin(w, qMin(src.width() - sx, dst.width() - dx));
    h = qMin(h, qMin(src.height() - sy, dst.height() - dy));
    if (w <= 0 || h <= 0)
        return;
    // last row first, right to left: a copy within one image towards the
    // bottom right reads each pixel before overwriting it
    for (int row = h - 1; row >= 0; --row) {
        const QRgb *from = reinterpret_cast<const QRgb *>(src.constScanLine(sy + row)) + sx;
        QRgb *to = reinterpret_cast<QRgb *>(dst.scanLine(dy + row)) + dx;
        for (int col = w - 1; col >= 0; --col) {
            const QRgb s = from[col];
            switch (mode) {
            case Masked:
                if (qAlpha(s) != 0)
                    to[col] = s;
                break;
            case Behind:
                if (qAlpha(to[col]) != 255)
                    to[col] = s;
                break;
            case Block:
                to[col] = s;
                break;
            case Blend:
                to[col] = blendPixel(to[col], s);
                break;
            }
        }
    }
}

void copyWhole(CopyMode mode, QImage &dst, const QImage &src, int dx, int dy, int sx, int sy,
               int w, int h)
{
    if (w == -1)
        w = src.width();
    if (h == -1)
        h = src.height();
    copyRect(mode, dst, src, dx, dy, sx, sy, w, h);
}

// A piece of the image, null when it has no area.
QImage piece(const QImage &image, int x, int y, int w, int h)
{
    if (w <= 0 || h <= 0)
        return QImage();
    return image.copy(x, y, w, h);
}

// The size test of the nine-part frames.
bool borderFits(int w, int h, int left, int right, int top, int bottom)
{
    return left >= 0 && right >= 0 && w >= 1 && h >= 1 && top >= 1 && bottom >= 1
           && w - left - right >= 0 && h - top - bottom >= 0;
}

// Nine pieces of one frame of a source and where they go in a target.
struct NinePart {
    QRect from;
    QRect to;
};

// Top, bottom, left and right edge, then the four corners.
void ninePartLayout(NinePart parts[8], int sw, int fy, int fh, int w, int h, int left, int right,
                    int top, int bottom)
{
    const int midW = sw - left - right, midH = fh - top - bottom;
    parts[0] = {QRect(left, fy, midW, top), QRect(left, 0, w - left - right, top)};
    parts[1] = {QRect(left, fy + fh - bottom, midW, bottom),
                QRect(left, h - bottom, w - left - right, bottom)};
    parts[2] = {QRect(0, fy + top, left, midH), QRect(0, top, left, h - top - bottom)};
    parts[3] = {QRect(sw - right, fy + top, right, midH),
                QRect(w - right, top, right, h - top - bottom)};
    parts[4] = {QRect(0, fy, left, top), QRect(0, 0, left, top)};
    parts[5] = {QRect(0, fy + fh - bottom, left, bottom), QRect(0, h - bottom, left, bottom)};
    parts[6] = {QRect(sw - right, fy, right, top), QRect(w - right, 0, right, top)};
    parts[7] = {QRect(sw - right, fy + fh - bottom, right, bottom),
                QRect(w - right, h - bottom, right, bottom)};
}

QImage pieceOf(const QImage &image, const QRect &r)
{
    return piece(image, r.x(), r.y(), r.width(), r.height());
}

void tileOnto(QPainter &p, const QRect &to, const QImage &tileImage)
{
    if (tileImage.isNull() || to.width() <= 0 || to.height() <= 0)
        return;
    p.drawTiledPixmap(to, QPixmap::fromImage(tileImage));
}

void stretchOnto(QPainter &p, const QRect &to, const QImage &pieceImage)
{
    const QImage scaled = YMRImage::scale(pieceImage, to.width(), to.height());
    if (!scaled.isNull())
        p.drawImage(to.topLeft(), scaled);
}

QPixmap ninePartPixmap(bool stretch, const QSize &size, const QImage &source, int index,
                       int count, int left, int right, int top, int bottom, const QColor *fill)
{
    if (source.isNull() || count < 1 || index < 0 || index >= count)
        return QPixmap();
    const int w = size.width(), h = size.height();
    if (!borderFits(w, h, left, right, top, bottom))
        return QPixmap();
    const QImage src = argbOf(source);
    const int sw = src.width();
    const int fh = src.height() / count;
    const int fy = fh * index;

    QPixmap pm(size);
    pm.fill(Qt::transparent);
    if (fill && (stretch || fill->isValid()))
        pm.fill(*fill);
    QPainter p(&pm);
    if (!fill) {
        const QImage centre = piece(src, left, fy + top, sw - left - right, fh - top - bottom);
        const QRect to(left, top, w - left - right, h - top - bottom);
        if (stretch)
            stretchOnto(p, to, centre);
        else
            tileOnto(p, to, centre);
    }
    NinePart parts[8];
    ninePartLayout(parts, sw, fy, fh, w, h, left, right, top, bottom);
    for (int i = 0; i < 4; ++i) {
        if (stretch)
            stretchOnto(p, parts[i].to, pieceOf(src, parts[i].from));
        else
            tileOnto(p, parts[i].to, pieceOf(src, parts[i].from));
    }
    for (int i = 4; i < 8; ++i) {
        const QImage corner = pieceOf(src, parts[i].from);
        if (!corner.isNull())
            p.drawImage(parts[i].to.topLeft(), corner);
    }
    return pm;
}

} // namespace

void YMRImage::fade(QImage &image, int percent)
{
    if (!makeArgb(image))
        return;
    percent = qBound(0, percent, 100);
    for (int y = 0; y < image.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int a = qAlpha(line[x]);
            line[x] = (line[x] & 0x00ffffffu) | (quint32(a - a * percent / 100) << 24);
        }
    }
}

void YMRImage::grayScale(QImage &image)
{
    if (!makeArgb(image))
        return;
    for (int y = 0; y < image.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = line[x];
            const int g = (11 * qRed(c) + 16 * qGreen(c) + 5 * qBlue(c)) >> 5;
            line[x] = qRgba(g, g, g, qAlpha(c));
        }
    }
}

void YMRImage::copyMasked(QImage &dst, const QImage &src, int dx, int dy, int sx, int sy,
                          int width, int height)
{
    copyWhole(Masked, dst, src, dx, dy, sx, sy, width, height);
}

void YMRImage::copyBehind(QImage &dst, const QImage &src, int dx, int dy, int sx, int sy,
                          int width, int height)
{
    copyWhole(Behind, dst, src, dx, dy, sx, sy, width, height);
}

void YMRImage::copyBlock(QImage &dst, const QImage &src, int dx, int dy, int sx, int sy,
                         int width, int height)
{
    copyWhole(Block, dst, src, dx, dy, sx, sy, width, height);
}

void YMRImage::blend(QImage &dst, const QImage &src, int dx, int dy, int sx, int sy, int width,
                     int height)
{
    copyWhole(Blend, dst, src, dx, dy, sx, sy, width, height);
}

QImage YMRImage::scale(const QImage &source, int width, int height)
{
    if (source.isNull() || width <= 0 || height <= 0)
        return QImage();
    const QImage src = source.convertToFormat(source.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                      : QImage::Format_RGB32);
    QImage result(width, height, src.format());
    if (result.isNull())
        return QImage();
    result.fill(0);
    const QTransform matrix = QTransform::fromScale(double(src.width()) / width,
                                                    double(src.height()) / height);
    transformCopy(matrix, result.bits(), result.bytesPerLine(), 0, height, src.constBits(),
                  src.bytesPerLine(), src.width(), src.height());
    return result;
}

bool YMRImage::transformCopy(const QTransform &matrix, uchar *dst, int dstBytesPerLine,
                             int dstExtra, int dstHeight, const uchar *src, int srcBytesPerLine,
                             int srcWidth, int srcHeight)
{
    if (!dst || !src)
        return false;
    // 16.16 fixed point, rounded half away from zero
    auto fixed = [](double v) { return qint64(std::llround(v * 65536.0)); };
    const qint64 m11 = fixed(matrix.m11()), m12 = fixed(matrix.m12());
    const qint64 m21 = fixed(matrix.m21()), m22 = fixed(matrix.m22());
    const qint64 mdx = fixed(matrix.dx()), mdy = fixed(matrix.dy());
    const int pixels = dstBytesPerLine / 4;
    uchar *line = dst;
    for (int row = 0; row < dstHeight; ++row) {
        qint64 x = mdx + m21 * row;
        qint64 y = mdy + m22 * row;
        quint32 *to = reinterpret_cast<quint32 *>(line);
        for (int col = 0; col < pixels; ++col) {
            if (x >= 0 && y >= 0 && (x >> 16) < srcWidth && (y >> 16) < srcHeight) {
                const uchar *from = src + (y >> 16) * srcBytesPerLine + (x >> 16) * 4;
                to[col] = *reinterpret_cast<const quint32 *>(from);
            }
            x += m11;
            y += m12;
        }
        line += dstBytesPerLine + dstExtra;
    }
    return true;
}

QTransform YMRImage::trueMatrix(const QTransform &matrix, int width, int height)
{
    const QPointF corners[4] = {QPointF(0.0001, 0.0001), QPointF(width, 0.0001),
                                QPointF(width, height), QPointF(0.0001, height)};
    qreal minX = 0, minY = 0;
    for (int i = 0; i < 4; ++i) {
        const QPointF p = matrix.map(corners[i]);
        if (i == 0 || p.x() < minX)
            minX = p.x();
        if (i == 0 || p.y() < minY)
            minY = p.y();
    }
    return matrix * QTransform(1, 0, 0, 1, -minX, -minY);
}

QPixmap YMRImage::stretchBorder(const QSize &size, const QImage &src, int frameIndex,
                                int frameCount, int left, int right, int top, int bottom,
                                const QColor *fill)
{
    return ninePartPixmap(true, size, src, frameIndex, frameCount, left, right, top, bottom,
                          fill);
}

QPixmap YMRImage::tileBorderPixmap(const QSize &size, const QImage &src, int frameIndex,
                                   int frameCount, int left, int right, int top, int bottom,
                                   const QColor *fill)
{
    return ninePartPixmap(false, size, src, frameIndex, frameCount, left, right, top, bottom,
                          fill);
}

void YMRImage::drawTiledBorder(const QImage &source, QPixmap &target, int left, int right,
                               int top, int bottom)
{
    if (source.isNull() || target.isNull()
        || !borderFits(target.width(), target.height(), left, right, top, bottom))
        return;
    const QImage src = argbOf(source);
    NinePart parts[8];
    ninePartLayout(parts, src.width(), 0, src.height(), target.width(), target.height(), left,
                   right, top, bottom);
    QPainter p(&target);
    for (int i = 0; i < 4; ++i)
        tileOnto(p, parts[i].to, pieceOf(src, parts[i].from));
    for (int i = 4; i < 8; ++i) {
        const QImage corner = pieceOf(src, parts[i].from);
        if (!corner.isNull())
            p.drawImage(parts[i].to.topLeft(), corner);
    }
}

void YMRImage::tile(QImage &dst, int x, int y, int width, int height, const QImage &src)
{
    // an empty source would never move the loop on
    if (src.isNull() || src.width() < 1 || src.height() < 1 || !makeArgb(dst))
        return;
    const qint64 right = qMin<qint64>(qint64(x) + width, dst.width());
    const qint64 bottom = qMin<qint64>(qint64(y) + height, dst.height());
    const int sw = src.width(), sh = src.height();
    // whole copies above or left of the image are skipped at once
    const qint64 firstY = y < 0 ? y + (qint64(-y) / sh) * sh : y;
    const qint64 firstX = x < 0 ? x + (qint64(-x) / sw) * sw : x;
    for (qint64 ty = firstY; ty < bottom; ty += sh) {
        if (ty + sh <= 0)
            continue;
        for (qint64 tx = firstX; tx < right; tx += sw) {
            if (tx + sw <= 0)
                continue;
            copyRect(Block, dst, src, int(tx), int(ty), 0, 0, int(qMin<qint64>(sw, right - tx)),
                     int(qMin<qint64>(sh, bottom - ty)));
        }
    }
}

void YMRImage::tileBorder(const QImage &source, QImage &dst, int left, int right, int top,
                          int bottom)
{
    if (source.isNull() || dst.isNull()
        || !borderFits(dst.width(), dst.height(), left, right, top, bottom) || !makeArgb(dst))
        return;
    const QImage src = argbOf(source);
    const int sw = src.width(), sh = src.height();
    const int w = dst.width(), h = dst.height();
    const QImage centre = piece(src, left, top, sw - left - right, sh - top - bottom);
    if (!centre.isNull())
        tile(dst, left, top, w - left - right, h - top - bottom, centre);
    NinePart parts[8];
    ninePartLayout(parts, sw, 0, sh, w, h, left, right, top, bottom);
    for (int i = 0; i < 4; ++i) {
        const QImage edge = pieceOf(src, parts[i].from);
        const QRect &to = parts[i].to;
        if (!edge.isNull())
            tile(dst, to.x(), to.y(), to.width(), to.height(), edge);
    }
    for (int i = 4; i < 8; ++i) {
        const QRect &from = parts[i].from;
        copyRect(Block, dst, src, parts[i].to.x(), parts[i].to.y(), from.x(), from.y(),
                 from.width(), from.height());
    }
}
