#ifndef YMRIMAGE_H
#define YMRIMAGE_H

#include <QImage>
#include <QPixmap>
#include <QTransform>

class QColor;
class QSize;

// Pixel operations on 32-bit images with straight (not premultiplied)
// alpha. Images of another format are converted to ARGB32 first; the
// rectangle copies clip to both images, and a null image is left alone.
// A width or height of -1 in the copies means the source's whole extent.
class YMRImage
{
public:
    // Lowers every pixel's alpha by the percentage (0 to 100).
    static void fade(QImage &image, int percent);
    // Turns every pixel grey, keeping its alpha.
    static void grayScale(QImage &image);

    // Copies the source pixels whose alpha is not 0.
    static void copyMasked(QImage &dst, const QImage &src, int dx = 0, int dy = 0, int sx = 0,
                           int sy = 0, int width = -1, int height = -1);
    // Replaces the destination pixels that are not fully opaque.
    static void copyBehind(QImage &dst, const QImage &src, int dx = 0, int dy = 0, int sx = 0,
                           int sy = 0, int width = -1, int height = -1);
    // Copies every pixel.
    static void copyBlock(QImage &dst, const QImage &src, int dx = 0, int dy = 0, int sx = 0,
                          int sy = 0, int width = -1, int height = -1);
    // Draws the source over the destination by the source's alpha; the
    // destination keeps its alpha.
    static void blend(QImage &dst, const QImage &src, int dx = 0, int dy = 0, int sx = 0,
                      int sy = 0, int width = -1, int height = -1);

    // Nearest-neighbour scaling; null for a null source or an empty size.
    static QImage scale(const QImage &src, int width, int height);
    // Fills the destination by sampling the source through the matrix,
    // which maps destination positions to source positions.
    static bool transformCopy(const QTransform &matrix, uchar *dst, int dstBytesPerLine,
                              int dstExtra, int dstHeight, const uchar *src, int srcBytesPerLine,
                              int srcWidth, int srcHeight);
    // The matrix followed by the translation that brings the transformed
    // rectangle's top-left corner to the origin.
    static QTransform trueMatrix(const QTransform &matrix, int width, int height);

    // Nine-part frames: src is a column of frameCount frames; the frame
    // frameIndex is drawn with borders left, right, top and bottom, its
    // edges and centre stretched or tiled to the size. With a fill colour
    // the centre is not drawn but the whole pixmap filled first. Null when
    // the borders do not fit the size or the frame.
    static QPixmap stretchBorder(const QSize &size, const QImage &src, int frameIndex,
                                 int frameCount, int left, int right, int top, int bottom,
                                 const QColor *fill = nullptr);
    static QPixmap tileBorderPixmap(const QSize &size, const QImage &src, int frameIndex,
                                    int frameCount, int left, int right, int top, int bottom,
                                    const QColor *fill = nullptr);
    // Tiles the edges and corners of the whole source onto the pixmap,
    // leaving its centre.
    static void drawTiledBorder(const QImage &src, QPixmap &target, int left, int right,
                                int top, int bottom);
    // Repeats the source over the rectangle of the destination.
    static void tile(QImage &dst, int x, int y, int width, int height, const QImage &src);
    // A tiled nine-part frame of the whole source, centre included.
    static void tileBorder(const QImage &src, QImage &dst, int left, int right, int top,
                           int bottom);
};

#endif
