// ymr-test-screens: 240x320 480x640 640x480 800x600
#include "ymrtest.h"
#include "fifoguard.h"

#include "qt/ymrapplication.h"
#include "qt/ymriconset.h"
#include "qt/ymrresource.h"

#include <QDirIterator>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPushButton>

#include <sys/stat.h>

// The picture folders are read once per run, so the whole test works on one
// temporary data tree: a copy of the installed pictures plus probe files.
class TestYMRResource : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void searchOrder();
    void applicationNameReadAtEachLookup();
    void missingAndUndecodable();
    void fifoIsNoPicture_data();
    void fifoIsNoPicture();
    void sizedLookups();
    void iconReadOnUseMatchesIconSet();
    void greyingValues();
    void colourTableKeepsTransparency();
    void opaqueImageStaysOpaque();
    void installedPictures();
    void installedMimeBookAndSound();

private:
    QTemporaryDir m_data;
    bool m_large = false;
};

namespace {

// Candidate folders in search order; 1, 2 and 5 only on the large screens.
const char *const kSteps[6] = {"pics144/ymrOutlays", "pics144/ymr", "pics/ymrOutlays",
                               "pics/ymr", "pics144", "pics"};

void writePng(const QString &path, int w, int h = 1)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(Qt::red);
    QVERIFY(img.save(path, "PNG"));
}

void copyTree(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString src = it.next();
        const QString dst = to + src.mid(from.size());
        QDir().mkpath(QFileInfo(dst).absolutePath());
        QVERIFY(QFile::copy(src, dst));
    }
}

int expectedStep(int first, bool large)
{
    for (int s = first; s <= 6; ++s) {
        if (large || (s != 1 && s != 2 && s != 5))
            return s;
    }
    return 0;
}

// Every picture name the program asks for.
const QStringList &pictureNames()
{
    static const QStringList names = {
        "button_ok", "button_cancel", "dialog_critical", "dialog_warning", "dialog_info",
        "remove2", "rename2", "Velmora", "viewmag+", "viewmag-", "exit", "clock",
        "dateselector", "timeselector", "back", "forward", "reload", "reload2", "color_text",
        "color_line", "color_fill", "color", "empty", "document", "reminder", "date",
        "category", "onoff", "on", "off", "info", "books", "editcopy", "lock", "fileopen",
        "lock2", "lockoverlay", "filenew", "edit", "remove", "delete", "rename", "up", "down",
        "template", "file_broken", "package_utilities", "export", "lists", "editpaste",
        "pclink", "viewmag", "sort-name", "mouse", "sort-size", "sort-date", "view_detailed",
        "view_multicolumn", "newdir", "bookmark", "bookmark_add", "folder2", "key_bindings",
        "editcut", "calc", "completed", "house", "clock2", "background", "currencies",
        "std/c07", "std/c13", "std/exec", "std/a01", "std/a03", "personal", "kuser",
        "syncing", "connect", "icons/12"};
    return names;
}

} // namespace

void TestYMRResource::initTestCase()
{
    const QString staged = QString::fromLocal8Bit(qgetenv("QPE_DATA_DIR"));
    QVERIFY2(QFileInfo(staged + "/pics").isDir(), "QPE_DATA_DIR must name the staged data");
    QVERIFY(m_data.isValid());
    const QString root = m_data.path();
    copyTree(staged + "/pics", root + "/pics");
    copyTree(staged + "/pics144", root + "/pics144");
    copyTree(staged + "/sounds", root + "/sounds");

    // "probe<k>" lies in steps k to 6; its width tells which file was read
    for (int k = 1; k <= 6; ++k)
        for (int s = k; s <= 6; ++s)
            writePng(QStringLiteral("%1/%2/probe%3.png").arg(root, kSteps[s - 1]).arg(k), 10 + s);

    // undecodable files in front of a good one
    for (const char *d : {"pics144/ymrOutlays", "pics/ymrOutlays"}) {
        QFile bad(QStringLiteral("%1/%2/corrupt.png").arg(root, d));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("not a picture");
    }
    writePng(root + "/pics/ymr/corrupt.png", 5);
    writePng(root + "/pics/corrupt.png", 5);

    for (int size : {16, 24, 32})
        writePng(QStringLiteral("%1/pics/ymr/%2/sized.png").arg(root).arg(size), size, size);

    // a palette picture with a transparent entry
    QImage pal(4, 1, QImage::Format_Indexed8);
    pal.setColorTable({qRgba(0, 0, 0, 0), qRgb(255, 255, 255), qRgb(0, 0, 0)});
    pal.setPixel(0, 0, 0);
    pal.setPixel(1, 0, 1);
    pal.setPixel(2, 0, 2);
    pal.setPixel(3, 0, 0);
    QVERIFY(pal.save(root + "/pics/ymr/palette.png", "PNG"));

    // before the first lookup, which fixes the folder for the run
    qputenv("QPE_DATA_DIR", root.toLocal8Bit());
    m_large = YMRApplication::isVGAScreen();
    const int w = QPEApplication::screenRect().width();
    QCOMPARE(m_large, w == 480 || w == 640);
}

void TestYMRResource::searchOrder()
{
    for (int k = 1; k <= 6; ++k) {
        const QString name = QStringLiteral("probe%1").arg(k);
        const int want = 10 + expectedStep(k, m_large);
        QCOMPARE(YMRResource::loadImage(name).width(), want);
        QCOMPARE(YMRResource::loadPixmap(name).width(), want);
        QCOMPARE(YMRResource::loadBitmap(name).width(), want);
        const QIcon icon = YMRResource::loadIconSet(name);
        QVERIFY(!icon.isNull());
        QCOMPARE(icon.pixmap(QSize(64, 64)).width(), want);
    }
    // the application's own folder beats the toolkit's on every screen
    QCOMPARE(YMRResource::loadImage("probe3").width(), 13);
    // on a 640 screen the toolkit's ordinary picture beats the common large one
    QCOMPARE(YMRResource::loadImage("probe4").width(), 14);
}

void TestYMRResource::applicationNameReadAtEachLookup()
{
    const QString name = qApp->objectName();
    qApp->setObjectName(QStringLiteral("otherApp"));
    const int width = YMRResource::loadImage("probe1").width();
    qApp->setObjectName(name);
    QCOMPARE(width, m_large ? 12 : 14);
    QCOMPARE(YMRResource::loadImage("probe1").width(), m_large ? 11 : 13);
}

void TestYMRResource::missingAndUndecodable()
{
    for (const QString &name : {QStringLiteral("no_such_picture"), QStringLiteral("corrupt")}) {
        QVERIFY(YMRResource::loadImage(name).isNull());
        QVERIFY(YMRResource::loadPixmap(name).isNull());
        QVERIFY(YMRResource::loadBitmap(name).isNull());
        QVERIFY(YMRResource::loadIconSet(name).isNull());
    }
    QPushButton button;
    button.setIcon(YMRResource::loadIconSet("no_such_picture"));
    QVERIFY(button.icon().isNull());
    QVERIFY(YMRResource::loadImage("sized").isNull());
}

// A FIFO where a picture is looked for is passed over, and never opened (an
// open would wait for a writer): by name, in front of a picture or alone,
// and read by its path, as when it took the place of the file found.
void TestYMRResource::fifoIsNoPicture_data()
{
    QTest::addColumn<QString>("fifo");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("width"); // of the picture found; 0: none
    QTest::newRow("in front of a picture") << "pics/ymrOutlays/fifo1.png" << "fifo1" << 14;
    QTest::newRow("alone") << "pics/fifo2.png" << "fifo2" << 0;
    QTest::newRow("read by its path") << "pics/ymr/fifo3.png" << QString() << 0;
}

void TestYMRResource::fifoIsNoPicture()
{
    QFETCH(QString, fifo);
    QFETCH(QString, name);
    QFETCH(int, width);
    const QString root = m_data.path();
    if (width)
        writePng(QStringLiteral("%1/pics/ymr/%2.png").arg(root, name), width);
    const QByteArray path = QFile::encodeName(root + "/" + fifo);
    QCOMPARE(::mkfifo(path.constData(), 0644), 0);
    ymrtest::FifoGuard guard(path);
    if (name.isEmpty()) {
        QVERIFY(YMRResource::readPicture(root + "/" + fifo).isNull());
    } else {
        QCOMPARE(YMRResource::loadImage(name).width(), width);
        QCOMPARE(YMRResource::loadPixmap(name).width(), width);
        QCOMPARE(YMRResource::loadBitmap(name).width(), width);
        QCOMPARE(YMRResource::loadIconSet(name).pixmap(QSize(64, 64)).width(), width);
    }
    QVERIFY(!guard.released());
}

// the icon reads its file when first used: it must answer as the icon set
// built from the picture at once would, copies and additions included
void TestYMRResource::iconReadOnUseMatchesIconSet()
{
    for (const char *name : {"probe1", "palette"}) {
        const QIcon eager = YMRIconSet(YMRResource::loadImage(QLatin1String(name)));
        QIcon lazy = YMRResource::loadIconSet(QLatin1String(name));
        const QIcon copy = lazy;
        for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled, QIcon::Active}) {
            QCOMPARE(lazy.availableSizes(mode), eager.availableSizes(mode));
            QCOMPARE(lazy.actualSize(QSize(64, 64), mode), eager.actualSize(QSize(64, 64), mode));
            QCOMPARE(lazy.pixmap(QSize(64, 64), mode).toImage(),
                     eager.pixmap(QSize(64, 64), mode).toImage());
        }
        QImage painted(20, 20, QImage::Format_ARGB32), expected = painted;
        painted.fill(Qt::red);
        expected.fill(Qt::red);
        {
            QPainter p(&painted), q(&expected);
            lazy.paint(&p, painted.rect(), Qt::AlignCenter, QIcon::Disabled);
            eager.paint(&q, expected.rect(), Qt::AlignCenter, QIcon::Disabled);
        }
        QCOMPARE(painted, expected);
        QPixmap selected(5, 5);
        selected.fill(Qt::blue);
        lazy.addPixmap(selected, QIcon::Selected);
        QCOMPARE(lazy.pixmap(QSize(5, 5), QIcon::Selected).toImage(), selected.toImage());
        QCOMPARE(copy.pixmap(QSize(64, 64), QIcon::Selected).toImage(),
                 eager.pixmap(QSize(64, 64), QIcon::Selected).toImage());
    }
}

void TestYMRResource::sizedLookups()
{
    QSet<int> seen;
    for (int px = 6; px <= 40; ++px) {
        QFont font;
        font.setPixelSize(px);
        const QFontMetrics fm(font);
        const int h = fm.height();
        const int want = h < 17 ? 16 : (h < 25 ? 24 : 32);
        seen.insert(want);
        QCOMPARE(YMRResource::loadSizedImage("sized", fm).width(), want);
        QCOMPARE(YMRResource::loadSizedPixmap("sized", fm).width(), want);
        const QIcon icon = YMRResource::loadSizedIconSet("sized", fm);
        QCOMPARE(icon.pixmap(QSize(64, 64), QIcon::Disabled).width(), want);
        QVERIFY(YMRResource::loadSizedImage("button_ok", fm).isNull());
    }
    QCOMPARE(seen.size(), 3);
}

void TestYMRResource::greyingValues()
{
    QImage img(4, 1, QImage::Format_ARGB32);
    img.setPixel(0, 0, qRgba(255, 255, 255, 255));
    img.setPixel(1, 0, qRgba(0, 0, 0, 255));
    img.setPixel(2, 0, qRgba(0, 0, 0, 0));
    img.setPixel(3, 0, qRgba(100, 150, 200, 128));
    const QImage original = img;
    const QRgb want[4] = {qRgba(255, 255, 255, 192), qRgba(63, 63, 63, 192), qRgba(63, 63, 63, 0),
                          qRgba(168, 168, 168, 96)};

    YMRIconSet set{QImage()};
    QVERIFY(set.isNull());
    set.makeDisabled(img);
    for (int x = 0; x < 4; ++x)
        QCOMPARE(img.pixel(x, 0), want[x]);

    // built from the picture: normal unchanged, disabled greyed (the pixmap
    // is premultiplied, so colours may move by one)
    const YMRIconSet icon(original);
    const QImage normal = icon.pixmap(QSize(4, 1)).toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage disabled =
        icon.pixmap(QSize(4, 1), QIcon::Disabled).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(normal.pixel(0, 0), original.pixel(0, 0));
    QCOMPARE(normal.pixel(1, 0), original.pixel(1, 0));
    for (int x = 0; x < 4; ++x) {
        const QRgb got = disabled.pixel(x, 0);
        QCOMPARE(qAlpha(got), qAlpha(want[x]));
        if (qAlpha(got))
            QVERIFY2(qAbs(qRed(got) - qRed(want[x])) <= 1, qPrintable(QString::number(qRed(got))));
    }
    // the source image is left alone
    QCOMPARE(original.pixel(0, 0), qRgba(255, 255, 255, 255));

    // a null pixmap gives a null icon, a real one a greyed disabled picture
    QVERIFY(YMRIconSet(QPixmap()).isNull());
    QPixmap white(2, 2);
    white.fill(Qt::white);
    const QImage fromPixmap = YMRIconSet(white).pixmap(QSize(2, 2), QIcon::Disabled).toImage();
    QCOMPARE(qAlpha(fromPixmap.pixel(0, 0)), 192);
}

void TestYMRResource::colourTableKeepsTransparency()
{
    QImage img(3, 1, QImage::Format_Indexed8);
    img.setColorTable({qRgba(0, 0, 0, 0), qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int x = 0; x < 3; ++x)
        img.setPixel(x, 0, uint(x));
    YMRIconSet set{QImage()};
    set.makeDisabled(img);
    QCOMPARE(img.format(), QImage::Format_Indexed8);
    QCOMPARE(img.colorTable().at(0), qRgba(63, 63, 63, 0));
    QCOMPARE(img.colorTable().at(1), qRgba(255, 255, 255, 192));
    QCOMPARE(img.colorTable().at(2), qRgba(63, 63, 63, 192));
    for (int x = 0; x < 3; ++x)
        QCOMPARE(img.pixelIndex(x, 0), x);

    // a palette file through the loader: its transparent pixels stay so
    const QImage loaded = YMRResource::loadImage("palette");
    QVERIFY(loaded.colorCount() > 0);
    const QImage disabled = YMRResource::loadIconSet("palette")
                                .pixmap(QSize(4, 1), QIcon::Disabled)
                                .toImage()
                                .convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(disabled.size(), QSize(4, 1));
    QCOMPARE(qAlpha(disabled.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(disabled.pixel(3, 0)), 0);
    QCOMPARE(qAlpha(disabled.pixel(1, 0)), 192);
    QCOMPARE(qAlpha(disabled.pixel(2, 0)), 192);
}

void TestYMRResource::opaqueImageStaysOpaque()
{
    QImage img(2, 1, QImage::Format_RGB32);
    img.setPixel(0, 0, qRgb(0, 0, 0));
    img.setPixel(1, 0, qRgb(255, 255, 255));
    const YMRIconSet icon(img);
    const QImage disabled =
        icon.pixmap(QSize(2, 1), QIcon::Disabled).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(disabled.pixel(0, 0), qRgb(63, 63, 63));
    QCOMPARE(disabled.pixel(1, 0), qRgb(255, 255, 255));
}

void TestYMRResource::installedPictures()
{
    // 16 pixels from pics/, 32 from pics144/ on the large screens
    const int size = m_large ? 32 : 16;
    for (const QString &name : pictureNames()) {
        const QPixmap pm = YMRResource::loadPixmap(name);
        QVERIFY2(!pm.isNull(), qPrintable(name));
        QCOMPARE(pm.size(), QSize(size, size));
        QVERIFY2(!YMRResource::loadIconSet(name).pixmap(QSize(size, size), QIcon::Disabled).isNull(),
                 qPrintable(name));
    }
    // the toolkit's pictures are reachable from any application
    const QString name = qApp->objectName();
    qApp->setObjectName(QStringLiteral("otherApp"));
    const bool okFound = !YMRResource::loadPixmap("button_ok").isNull();
    qApp->setObjectName(name);
    QVERIFY(okFound);

    const QString dir = YMRApplication::qpeDir();
    QCOMPARE(QImage(dir + "/pics/ymrOutlays.png").width(), 32);
    QCOMPARE(QImage(dir + "/pics144/ymrOutlays.png").width(), 64);
    const QImage splash(dir + "/pics/ymroutlayssplash.png");
    QVERIFY(!splash.isNull());
    QVERIFY(splash.width() <= 220);
}

void TestYMRResource::installedMimeBookAndSound()
{
    const QString dir = YMRApplication::qpeDir();
    const QStringList mime = {"desktop", "link", "lockoverlay", "folder3_blue", "folder_blue",
                              "empty", "binary", "document", "font", "html", "image", "info",
                              "make", "pdf", "sound", "spreadsheet", "tar", "video",
                              "wordprocessing"};
    for (int size : {16, 24, 32}) {
        for (const QString &name : mime) {
            const QString path = QStringLiteral("%1/pics/ymr/mime/%2/%3.png").arg(dir).arg(size).arg(name);
            QVERIFY2(QImage(path).size() == QSize(size, size), qPrintable(path));
        }
    }

    // the book icon chooser lists this folder and loads each entry by name
    const QString icons = dir + (m_large ? "/pics144/ymrOutlays/icons" : "/pics/ymrOutlays/icons");
    const QStringList entries = QDir(icons).entryList(QDir::Files);
    QVERIFY(entries.contains("12.png"));
    QVERIFY(entries.size() > 1);
    for (const QString &e : entries)
        QVERIFY2(!YMRResource::loadPixmap("icons/" + QFileInfo(e).baseName()).isNull(), qPrintable(e));

    QFile wav(dir + "/sounds/alarma300.wav");
    QVERIFY(wav.open(QIODevice::ReadOnly));
    const QByteArray head = wav.read(44);
    QCOMPARE(head.size(), 44);
    QVERIFY(head.startsWith("RIFF"));
    QCOMPARE(head.mid(8, 8), QByteArray("WAVEfmt "));
    QCOMPARE(qFromLittleEndian<quint16>(head.constData() + 20), quint16(1)); // PCM
    const quint32 dataBytes = qFromLittleEndian<quint32>(head.constData() + 40);
    QCOMPARE(qint64(dataBytes), wav.size() - 44);
    QVERIFY(dataBytes > 1000);
}

YMR_TEST_MAIN(TestYMRResource)
#include "tst_ymrresource.moc"
