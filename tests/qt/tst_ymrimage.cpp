#include "ymrtest.h"

#include "qt/ymrapplication.h"
#include "qt/ymrimage.h"

class TestYMRImage : public QObject
{
    Q_OBJECT
private slots:
    void fade_data();
    void fade();
    void grayScale_data();
    void grayScale();
    void pixelCopies_data();
    void pixelCopies();
    void copiesClipToBothImages();
    void copyWithinOneImage();
    void scale();
    void matrices();
    void ninePartPixmaps();
    void ninePartSizeTest_data();
    void ninePartSizeTest();
    void tiling();
    void tiledFrames();
};

// A w by h ARGB32 image whose pixel (x, y) is given by f.
template<typename F>
static QImage makeImage(int w, int h, F f)
{
    QImage img(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, f(x, y));
    return img;
}

static QImage filled(int w, int h, QRgb c)
{
    return makeImage(w, h, [c](int, int) { return c; });
}

// Encodes a position in a colour, to see where a pixel came from.
static QRgb at(int x, int y)
{
    return qRgba(x, y, 100, 255);
}

void TestYMRImage::fade_data()
{
    QTest::addColumn<int>("alpha");
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("faded");
    QTest::newRow("half of opaque") << 255 << 50 << 128;
    QTest::newRow("half of one") << 1 << 50 << 1;
    QTest::newRow("all") << 200 << 100 << 0;
    QTest::newRow("none") << 200 << 0 << 200;
    QTest::newRow("truncated") << 99 << 30 << 70;
    QTest::newRow("above 100 is all") << 99 << 150 << 0;
}

void TestYMRImage::fade()
{
    QFETCH(int, alpha);
    QFETCH(int, percent);
    QFETCH(int, faded);
    QImage img = filled(2, 2, qRgba(10, 20, 30, alpha));
    YMRImage::fade(img, percent);
    QCOMPARE(img.pixel(1, 1), qRgba(10, 20, 30, faded));
}

void TestYMRImage::grayScale_data()
{
    QTest::addColumn<QRgb>("color");
    QTest::addColumn<int>("grey");
    QTest::newRow("red") << qRgba(255, 0, 0, 255) << 87;
    QTest::newRow("green") << qRgba(0, 255, 0, 7) << 127;
    QTest::newRow("blue") << qRgba(0, 0, 255, 255) << 39;
    QTest::newRow("white") << qRgba(255, 255, 255, 0) << 255;
}

void TestYMRImage::grayScale()
{
    QFETCH(QRgb, color);
    QFETCH(int, grey);
    QImage img = filled(3, 1, color);
    YMRImage::grayScale(img);
    QCOMPARE(img.pixel(2, 0), qRgba(grey, grey, grey, qAlpha(color)));
}

void TestYMRImage::pixelCopies_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QRgb>("dst");
    QTest::addColumn<QRgb>("src");
    QTest::addColumn<QRgb>("result");
    const QRgb d = qRgba(0, 50, 200, 255);
    const QRgb half = qRgba(0, 50, 200, 100);
    QTest::newRow("masked, transparent source") << "masked" << d << qRgba(9, 9, 9, 0) << d;
    QTest::newRow("masked, almost transparent") << "masked" << d << qRgba(9, 9, 9, 1)
                                                << qRgba(9, 9, 9, 1);
    QTest::newRow("behind, opaque destination") << "behind" << d << qRgba(9, 9, 9, 9) << d;
    QTest::newRow("behind, see-through destination") << "behind" << half << qRgba(9, 9, 9, 9)
                                                     << qRgba(9, 9, 9, 9);
    QTest::newRow("block") << "block" << d << qRgba(9, 9, 9, 0) << qRgba(9, 9, 9, 0);
    QTest::newRow("blend half over") << "blend" << qRgba(0, 0, 0, 77) << qRgba(255, 0, 0, 128)
                                     << qRgba(128, 0, 0, 77);
    QTest::newRow("blend truncates") << "blend" << qRgba(0, 255, 10, 255)
                                     << qRgba(200, 0, 10, 100) << qRgba(78, 155, 10, 255);
    QTest::newRow("blend transparent") << "blend" << d << qRgba(9, 9, 9, 0) << d;
    QTest::newRow("blend opaque") << "blend" << half << qRgba(9, 8, 7, 255)
                                  << qRgba(9, 8, 7, 100);
}

void TestYMRImage::pixelCopies()
{
    QFETCH(QString, mode);
    QFETCH(QRgb, dst);
    QFETCH(QRgb, src);
    QFETCH(QRgb, result);
    QImage to = filled(3, 3, dst);
    const QImage from = filled(2, 2, src);
    if (mode == "masked")
        YMRImage::copyMasked(to, from, 1, 1, 0, 0, 1, 1);
    else if (mode == "behind")
        YMRImage::copyBehind(to, from, 1, 1, 0, 0, 1, 1);
    else if (mode == "block")
        YMRImage::copyBlock(to, from, 1, 1, 0, 0, 1, 1);
    else
        YMRImage::blend(to, from, 1, 1, 0, 0, 1, 1);
    QCOMPARE(to.pixel(1, 1), result);
    QCOMPARE(to.pixel(2, 2), dst);   // outside the rectangle
    QCOMPARE(to.pixel(0, 0), dst);
}

void TestYMRImage::copiesClipToBothImages()
{
    const QRgb back = qRgb(1, 1, 1);
    // a whole overlay with -1 sizes at 0, 0
    QImage icon = filled(4, 4, back);
    const QImage overlay = makeImage(3, 3, [](int x, int y) {
        return x == y ? at(x, y) : qRgba(0, 0, 0, 0);
    });
    YMRImage::copyMasked(icon, overlay);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            QCOMPARE(icon.pixel(x, y), x == y && x < 3 ? at(x, y) : back);

    // an overlay larger than the picture is cut to it
    QImage small = filled(2, 3, back);
    YMRImage::copyBlock(small, makeImage(5, 5, at));
    QCOMPARE(small.size(), QSize(2, 3));
    QCOMPARE(small.pixel(1, 2), at(1, 2));

    // negative and far positions on either side
    QImage img = filled(4, 4, back);
    YMRImage::copyBlock(img, makeImage(4, 4, at), -2, 1, 0, 0, -1, -1);
    QCOMPARE(img.pixel(0, 1), at(2, 0));
    QCOMPARE(img.pixel(1, 3), at(3, 2));
    QCOMPARE(img.pixel(2, 1), back);
    QCOMPARE(img.pixel(0, 0), back);
    YMRImage::copyBlock(img, makeImage(4, 4, at), 4, 0, 0, 0, -1, -1);
    YMRImage::copyBlock(img, makeImage(4, 4, at), 0, 0, 0, 9, -1, -1);
    YMRImage::copyBlock(img, makeImage(4, 4, at), 0, 0, 0, 0, -5, 2);
    QCOMPARE(img.pixel(3, 3), back);

    // nothing happens with a null picture on either side
    QImage none;
    YMRImage::copyMasked(none, overlay);
    QVERIFY(none.isNull());
    YMRImage::blend(img, QImage());
    QCOMPARE(img.pixel(3, 3), back);

    // a palette overlay on an opaque picture: both converted
    QImage pal(2, 1, QImage::Format_Indexed8);
    pal.setColorTable({qRgba(0, 0, 0, 0), qRgba(7, 8, 9, 255)});
    pal.setPixel(0, 0, 0);
    pal.setPixel(1, 0, 1);
    QImage rgb(2, 1, QImage::Format_RGB32);
    rgb.fill(qRgb(50, 50, 50));
    YMRImage::copyMasked(rgb, pal);
    QCOMPARE(rgb.format(), QImage::Format_ARGB32);
    QCOMPARE(rgb.pixel(0, 0), qRgb(50, 50, 50));
    QCOMPARE(rgb.pixel(1, 0), qRgb(7, 8, 9));
}

void TestYMRImage::copyWithinOneImage()
{
    // towards the bottom right every pixel is read before it is overwritten
    QImage img = makeImage(4, 3, at);
    YMRImage::copyBlock(img, img, 1, 1, 0, 0, 3, 2);
    QCOMPARE(img.pixel(0, 0), at(0, 0));
    QCOMPARE(img.pixel(1, 1), at(0, 0));
    QCOMPARE(img.pixel(3, 2), at(2, 1));
    QCOMPARE(img.pixel(2, 1), at(1, 0));
}

void TestYMRImage::scale()
{
    const QImage two = makeImage(2, 2, at);
    const QImage four = YMRImage::scale(two, 4, 4);
    QCOMPARE(four.size(), QSize(4, 4));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            QCOMPARE(four.pixel(x, y), at(x / 2, y / 2));
    QCOMPARE(YMRImage::scale(two, 1, 1).pixel(0, 0), at(0, 0));
    QCOMPARE(YMRImage::scale(makeImage(8, 4, at), 2, 8).pixel(1, 7), at(4, 3));
    // the source keeps its alpha; an opaque source gives an opaque result
    QVERIFY(four.hasAlphaChannel());
    QImage rgb(2, 2, QImage::Format_RGB32);
    rgb.fill(qRgb(3, 4, 5));
    const QImage rgbScaled = YMRImage::scale(rgb, 3, 3);
    QVERIFY(!rgbScaled.hasAlphaChannel());
    QCOMPARE(rgbScaled.pixel(2, 2), qRgb(3, 4, 5));
    // nothing to scale, or nothing to scale to
    QVERIFY(YMRImage::scale(QImage(), 3, 3).isNull());
    QVERIFY(YMRImage::scale(two, 0, 3).isNull());
    QVERIFY(YMRImage::scale(two, 3, -1).isNull());
}

void TestYMRImage::matrices()
{
    // a shift of one pixel to the left: the first destination column has no
    // source pixel and keeps its value; the extra step skips one pixel
    QImage src = makeImage(3, 2, at);
    quint32 dst[2][4];
    for (auto &line : dst)
        for (quint32 &p : line)
            p = 7;
    QVERIFY(YMRImage::transformCopy(QTransform(1, 0, 0, 1, -1, 0), reinterpret_cast<uchar *>(&dst[0][0]), 12, 4, 2,
                                    src.constBits(), src.bytesPerLine(), 3, 2));
    QCOMPARE(dst[0][0], 7u);
    QCOMPARE(dst[0][1], at(0, 0));
    QCOMPARE(dst[1][2], at(1, 1));
    QCOMPARE(dst[1][3], 7u);

    QTransform turn;
    turn.rotate(90);
    const QRectF mapped = YMRImage::trueMatrix(turn, 10, 20).mapRect(QRectF(0, 0, 10, 20));
    QVERIFY(qAbs(mapped.left()) < 0.01 && qAbs(mapped.top()) < 0.01);
    QVERIFY(qAbs(mapped.width() - 20) < 0.01);
    const QTransform grow = YMRImage::trueMatrix(QTransform::fromScale(2, 3), 10, 20);
    QVERIFY(qAbs(grow.dx()) < 0.01 && qAbs(grow.dy()) < 0.01);
    QCOMPARE(grow.m22(), 3.0);
}

// 6 wide, 3 frames of 10 rows: frame f's pixel (x, y) is (x, y, 50 f).
static QImage framedSource()
{
    return makeImage(6, 30, [](int x, int y) { return qRgba(x, y % 10, 50 * (y / 10), 255); });
}

void TestYMRImage::ninePartPixmaps()
{
    const QImage src = framedSource();
    // frame 1 (rows 10 to 19), borders of 2; the 2 by 6 middle doubled
    const QImage s = YMRImage::stretchBorder(QSize(8, 16), src, 1, 3, 2, 2, 2, 2).toImage();
    QCOMPARE(s.size(), QSize(8, 16));
    QCOMPARE(s.pixel(0, 0), qRgba(0, 0, 50, 255));
    QCOMPARE(s.pixel(7, 15), qRgba(5, 9, 50, 255));
    QCOMPARE(s.pixel(3, 0), qRgba(2, 0, 50, 255));
    QCOMPARE(s.pixel(4, 1), qRgba(3, 1, 50, 255));
    QCOMPARE(s.pixel(1, 4), qRgba(1, 3, 50, 255));
    QCOMPARE(s.pixel(5, 13), qRgba(3, 7, 50, 255));

    // tiled: the middle repeats
    const QImage t = YMRImage::tileBorderPixmap(QSize(10, 14), src, 2, 3, 2, 2, 2, 2).toImage();
    QCOMPARE(t.pixel(4, 1), qRgba(2, 1, 100, 255));
    QCOMPARE(t.pixel(5, 9), qRgba(3, 3, 100, 255));
    QCOMPARE(t.pixel(9, 13), qRgba(5, 9, 100, 255));

    // a fill colour instead of the centre; an invalid one leaves it clear
    const QColor red(Qt::red);
    const QImage f = YMRImage::stretchBorder(QSize(10, 14), src, 0, 3, 2, 2, 2, 2, &red).toImage();
    QCOMPARE(f.pixel(5, 7), qRgb(255, 0, 0));
    QCOMPARE(f.pixel(0, 0), qRgba(0, 0, 0, 255));
    const QColor invalid;
    const QImage g =
        YMRImage::tileBorderPixmap(QSize(10, 14), src, 0, 3, 2, 2, 2, 2, &invalid).toImage();
    QCOMPARE(qAlpha(g.pixel(5, 7)), 0);
    QCOMPARE(g.pixel(9, 0), qRgba(5, 0, 0, 255));

    // a target exactly as wide and high as its borders has no middle
    const QImage bare = YMRImage::stretchBorder(QSize(4, 4), src, 0, 3, 2, 2, 2, 2).toImage();
    QCOMPARE(bare.pixel(3, 3), qRgba(5, 9, 0, 255));
    // nor does a source with no middle
    const QImage thin = makeImage(4, 4, at);
    const QImage none = YMRImage::tileBorderPixmap(QSize(9, 9), thin, 0, 1, 2, 2, 2, 2).toImage();
    QCOMPARE(qAlpha(none.pixel(4, 4)), 0);
    QCOMPARE(none.pixel(8, 8), at(3, 3));
    QCOMPARE(qAlpha(YMRImage::stretchBorder(QSize(9, 9), thin, 0, 1, 2, 2, 2, 2)
                        .toImage().pixel(4, 0)), 0);
    // frames that are not there
    QVERIFY(YMRImage::stretchBorder(QSize(9, 9), src, 0, 0, 2, 2, 2, 2).isNull());
    QVERIFY(YMRImage::tileBorderPixmap(QSize(9, 9), src, 3, 3, 2, 2, 2, 2).isNull());
}

void TestYMRImage::ninePartSizeTest_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("bottom");
    QTest::addColumn<bool>("made");
    QTest::newRow("fits") << QSize(10, 10) << 2 << 2 << true;
    QTest::newRow("no top border") << QSize(10, 10) << 0 << 2 << false;
    QTest::newRow("no bottom border") << QSize(10, 10) << 2 << 0 << false;
    QTest::newRow("narrower than the sides") << QSize(3, 10) << 2 << 2 << false;
    QTest::newRow("lower than top and bottom") << QSize(10, 3) << 2 << 2 << false;
    QTest::newRow("empty") << QSize(0, 0) << 2 << 2 << false;
}

void TestYMRImage::ninePartSizeTest()
{
    QFETCH(QSize, size);
    QFETCH(int, top);
    QFETCH(int, bottom);
    QFETCH(bool, made);
    const QImage src = framedSource();
    QCOMPARE(!YMRImage::stretchBorder(size, src, 0, 3, 2, 2, top, bottom).isNull(), made);
    QCOMPARE(!YMRImage::tileBorderPixmap(size, src, 0, 3, 2, 2, top, bottom).isNull(), made);
    QImage dst = filled(qMax(size.width(), 1), qMax(size.height(), 1), qRgb(1, 1, 1));
    if (size.isEmpty())
        dst = QImage();
    const QImage before = dst;
    YMRImage::tileBorder(src, dst, 2, 2, top, bottom);
    QCOMPARE(dst != before, made);
}

void TestYMRImage::tiling()
{
    const QRgb back = qRgb(1, 1, 1);
    QImage dst = filled(6, 5, back);
    YMRImage::tile(dst, 1, 1, 5, 3, makeImage(2, 2, at));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 1 && y >= 1 && y <= 3;
            QCOMPARE(dst.pixel(x, y), inside ? at((x - 1) % 2, (y - 1) % 2) : back);
        }
    // copies start at the rectangle's corner even when it lies outside
    dst = filled(3, 3, back);
    YMRImage::tile(dst, -3, -1, 100, 100, makeImage(2, 2, at));
    QCOMPARE(dst.pixel(0, 0), at(1, 1));
    QCOMPARE(dst.pixel(2, 2), at(1, 1));
    QCOMPARE(dst.pixel(1, 1), at(0, 0));
    // an empty source tiles nothing, and ends
    YMRImage::tile(dst, 0, 0, 3, 3, QImage());
    YMRImage::tile(dst, 0, 0, 3, 3, QImage(0, 4, QImage::Format_ARGB32));
    QCOMPARE(dst.pixel(1, 1), at(0, 0));
}

void TestYMRImage::tiledFrames()
{
    // a 3 by 3 source: corners, one-pixel edges and centre
    const QImage src = makeImage(3, 3, at);
    QImage dst = filled(7, 6, qRgb(1, 1, 1));
    YMRImage::tileBorder(src, dst, 1, 1, 1, 1);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 7; ++x) {
            const int sx = x == 0 ? 0 : (x == 6 ? 2 : 1);
            const int sy = y == 0 ? 0 : (y == 5 ? 2 : 1);
            QCOMPARE(dst.pixel(x, y), at(sx, sy));
        }

    // onto a pixmap: edges and corners only
    QPixmap target(5, 5);
    target.fill(Qt::white);
    YMRImage::drawTiledBorder(makeImage(4, 4, at), target, 1, 1, 1, 1);
    const QImage drawn = target.toImage();
    QCOMPARE(drawn.pixel(4, 4), at(3, 3));
    QCOMPARE(drawn.pixel(3, 0), at(1, 0));   // the 2-wide top edge tiled
    QCOMPARE(drawn.pixel(2, 2), qRgb(255, 255, 255));
    QPixmap tooSmall(1, 1);
    tooSmall.fill(Qt::white);
    YMRImage::drawTiledBorder(src, tooSmall, 1, 1, 1, 1);
    QCOMPARE(tooSmall.toImage().pixel(0, 0), qRgb(255, 255, 255));
}

YMR_TEST_MAIN(TestYMRImage)
#include "tst_ymrimage.moc"
