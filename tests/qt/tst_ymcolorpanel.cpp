// ymr-test-screens: 240x320 480x640
#include "ymrtest.h"

#include "qpe/popupmenu.h"
#include "qt/ymcolorpanel.h"
#include "qt/ymrapplication.h"
#include "qt/ymselectcoloraction.h"

#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QSignalSpy>
#include <QToolBar>
#include <QToolButton>

Q_DECLARE_METATYPE(QColor)

class TestYMColorPanel : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void gridFollowsScreenClass();
    void colorTable_data();
    void colorTable();
    void releaseOnCell_data();
    void releaseOnCell();
    void actionStartsWithKindColour_data();
    void actionStartsWithKindColour();
    void settingIsSilentPickingEmits();
    void buttonOpensPopupUnderIt();
    void swatchClippedToOddPicture();

private:
    QTemporaryDir m_data;
};

static QColor iconPixel(const YMRAction &a, int fromRight, int fromBottom)
{
    const QIcon *icon = a.iconSet();
    if (!icon)
        return QColor();
    const QSize size = icon->availableSizes().value(0);
    const QImage image = icon->pixmap(size).toImage();
    return image.pixelColor(image.width() - 1 - fromRight, image.height() - 1 - fromBottom);
}

void TestYMColorPanel::initTestCase()
{
    qRegisterMetaType<QColor>();
    // the staged pictures, but a line-colour picture with a colour table
    // and of an odd size
    const QString staged = QString::fromLocal8Bit(qgetenv("QPE_DATA_DIR"));
    const QString root = m_data.path();
    for (const char *folder : {"/pics/ymr/", "/pics144/ymr/"}) {
        QVERIFY(QDir().mkpath(root + folder));
        for (const char *name : {"color_text.png", "color_fill.png"})
            QVERIFY(QFile::copy(staged + folder + name, root + folder + name));
    }
    QImage odd(24, 26, QImage::Format_Indexed8);
    odd.setColorTable({qRgba(0, 0, 0, 0), qRgb(0, 0, 255)});
    odd.fill(1);
    QVERIFY(odd.save(root + "/pics/ymr/color_line.png", "PNG"));
    // before the first picture is looked up
    qputenv("QPE_DATA_DIR", root.toLocal8Bit());
}

void TestYMColorPanel::gridFollowsScreenClass()
{
    YMColorPanel panel;
    const int cell = YMRApplication::isVGAScreen() ? 34 : 17;
    QCOMPARE(panel.cellSize(), cell);
    QCOMPARE(panel.sizeHint(), QSize(10 * cell, 10 * cell));
    panel.show();
    QCOMPARE(panel.size(), QSize(10 * cell, 10 * cell));
    QCOMPARE(panel.currentCell(), 0);
}

void TestYMColorPanel::colorTable_data()
{
    QTest::addColumn<QColor>("color");
    QTest::addColumn<int>("cell");
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << QColor() << -1 << "Empty";
    QTest::newRow("first") << QColor(0, 0, 0) << 1 << "Black";
    QTest::newRow("blue") << QColor(0, 0, 255) << 3 << "Blue";
    QTest::newRow("orange") << QColor(0xFF, 0x66, 0x00) << 19 << "Orange";
    QTest::newRow("desert blue") << QColor(0x33, 0x66, 0x99) << 29 << "Desert Blue";
    QTest::newRow("last") << QColor(0x33, 0x00, 0xCC) << 99 << "Deep Blue";
    QTest::newRow("alpha ignored") << QColor(0xFF, 0x66, 0x00, 10) << 19 << "Orange";
    QTest::newRow("not listed") << QColor(0x12, 0x3A, 0xBC) << -1 << "R:18 G:58 B:188";
}

void TestYMColorPanel::colorTable()
{
    QFETCH(QColor, color);
    QFETCH(int, cell);
    QFETCH(QString, name);
    QCOMPARE(YMColorPanel::indexOf(color), cell);
    QCOMPARE(YMColorPanel::colorName(color), name);
    if (cell > 0) {
        QCOMPARE(YMColorPanel::color(cell - 1).rgb(), color.rgb());
        QCOMPARE(YMColorPanel::colorName(cell - 1), name);
    }
    // every entry is found at its own cell, so no two share a value
    QCOMPARE(YMColorPanel::colorCount(), 99);
    for (int i = 0; i < YMColorPanel::colorCount(); ++i)
        QCOMPARE(YMColorPanel::indexOf(YMColorPanel::color(i)), i + 1);
    QVERIFY(!YMColorPanel::color(99).isValid());
}

void TestYMColorPanel::releaseOnCell_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("emits");
    QTest::addColumn<QColor>("color");
    QTest::newRow("empty") << 0 << 0 << true << QColor();
    QTest::newRow("black") << 1 << 0 << true << QColor(Qt::black);
    QTest::newRow("orange") << 9 << 1 << true << QColor(0xFF, 0x66, 0x00);
    QTest::newRow("last") << 9 << 9 << true << QColor(0x33, 0x00, 0xCC);
    QTest::newRow("left of the panel") << -1 << 3 << false << QColor();
    QTest::newRow("below the panel") << 2 << 10 << false << QColor();
}

void TestYMColorPanel::releaseOnCell()
{
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(bool, emits);
    QFETCH(QColor, color);
    YMColorPanel panel;
    panel.show();
    QSignalSpy selected(&panel, &YMColorPanel::selected);
    QSignalSpy rejected(&panel, &YMColorPanel::reject);
    const int c = panel.cellSize();
    // the last pixel of the cell, which still belongs to it
    QTest::mouseRelease(&panel, Qt::LeftButton, Qt::NoModifier,
                        QPoint(column * c + c - 1, row * c + c - 1));
    QCOMPARE(rejected.count(), 1);
    QCOMPARE(selected.count(), emits ? 1 : 0);
    if (emits) {
        const QColor got = selected.first().first().value<QColor>();
        QCOMPARE(got.isValid(), color.isValid());
        if (color.isValid())
            QCOMPARE(got.rgb(), color.rgb());
    }
    QCOMPARE(panel.currentCell(), 0);   // the action moves the mark
}

void TestYMColorPanel::actionStartsWithKindColour_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("color");
    QTest::newRow("text") << 0 << "Font Color" << QColor(Qt::black);
    QTest::newRow("fill") << 2 << "Fill Color" << QColor(Qt::white);
    QTest::newRow("other") << 7 << "" << QColor();
}

void TestYMColorPanel::actionStartsWithKindColour()
{
    QFETCH(int, kind);
    QFETCH(QString, text);
    QFETCH(QColor, color);
    YMSelectColorAction action(kind);
    QCOMPARE(action.text(), text);
    QCOMPARE(action.currentColor(), color);
    QCOMPARE(action.iconSet() != nullptr, color.isValid());
    if (color.isValid()) {
        QCOMPARE(iconPixel(action, 0, 0), color);
        const int size = action.iconSet()->availableSizes().value(0).width();
        QCOMPARE(size, YMRApplication::isVGAScreen() ? 32 : 16);
        // the swatch's top-left corner and its neighbours outside
        const int w = size == 16 ? 6 : 12, h = size == 16 ? 4 : 8;
        QCOMPARE(iconPixel(action, w - 1, h - 1), color);
        QCOMPARE(action.panel()->currentCell(), YMColorPanel::indexOf(color));
    }
    QCOMPARE(action.popupMenu()->count(), 1);
    QVERIFY(!action.popupMenu()->parent());
}

void TestYMColorPanel::settingIsSilentPickingEmits()
{
    YMSelectColorAction action(0);
    QSignalSpy picked(&action, SIGNAL(activated(QColor)));
    action.setCurrentColor(QColor(0xFF, 0x66, 0x00));
    QCOMPARE(action.panel()->currentCell(), 19);
    action.setCurrentColor(QColor(0x12, 0x3A, 0xBC));
    QCOMPARE(action.panel()->currentCell(), -1);
    QCOMPARE(iconPixel(action, 2, 1), QColor(0x12, 0x3A, 0xBC));
    // the swatch is opaque whatever the colour's alpha
    action.setCurrentColor(QColor(10, 20, 30, 40));
    QCOMPARE(iconPixel(action, 0, 0), QColor(10, 20, 30));
    QCOMPARE(picked.count(), 0);

    action.panelColorSelected(QColor(0x99, 0x00, 0xCC));
    QCOMPARE(picked.count(), 1);
    QCOMPARE(picked.at(0).at(0).value<QColor>(), QColor(0x99, 0x00, 0xCC));
    QCOMPARE(action.currentColor(), QColor(0x99, 0x00, 0xCC));
    QCOMPARE(action.panel()->currentCell(), 18);
    // "Empty": an invalid colour, no mark, a black swatch
    action.panelColorSelected(QColor());
    QCOMPARE(picked.count(), 2);
    QVERIFY(!picked.at(1).at(0).value<QColor>().isValid());
    QCOMPARE(action.panel()->currentCell(), -1);
    QCOMPARE(iconPixel(action, 0, 0), QColor(Qt::black));
}

void TestYMColorPanel::buttonOpensPopupUnderIt()
{
    YMSelectColorAction action(0);
    QMainWindow window;
    QToolBar *bar = window.addToolBar(QStringLiteral("colours"));
    // the button at the screen's right edge: room for the pop-up on its left
    auto *spacer = new QWidget(bar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(spacer);
    action.addTo(bar);
    ymrApp->showMainDocumentWidget(&window);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QToolButton *button = nullptr;
    for (QToolButton *b : bar->findChildren<QToolButton *>()) {
        if (b->icon().cacheKey() == action.iconSet()->cacheKey())
            button = b;
    }
    QVERIFY(button);
    QSignalSpy picked(&action, SIGNAL(activated(QColor)));
    PopupMenu *popup = action.popupMenu();
    YMColorPanel *panel = action.panel();
    const int c = panel->cellSize();

    // a release outside the panel only closes the pop-up
    QPoint openedAt;
    QTimer::singleShot(0, this, [&] {
        openedAt = popup->pos();
        QTest::mouseRelease(panel, Qt::LeftButton, Qt::NoModifier, QPoint(-3, -3));
    });
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(!popup->isVisible());
    QCOMPARE(picked.count(), 0);
    const QPoint corner = button->mapToGlobal(QPoint(button->width(), button->height()));
    QCOMPARE(openedAt, QPoint(corner.x() - popup->sizeHint().width(), corner.y() + 1));
    QVERIFY(QPEApplication::screenRect().contains(QRect(openedAt, popup->sizeHint())));

    // a release on "Red" picks it
    QTimer::singleShot(0, this, [&] {
        QTest::mouseRelease(panel, Qt::LeftButton, Qt::NoModifier, QPoint(7 * c + 2, 2));
    });
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(!popup->isVisible());
    QCOMPARE(picked.count(), 1);
    QCOMPARE(action.currentColor(), QColor(Qt::red));
    QCOMPARE(button->icon().cacheKey(), action.iconSet()->cacheKey());
}

void TestYMColorPanel::swatchClippedToOddPicture()
{
    // a 24 by 26 palette picture: only the large swatch's top-left corner
    // lies inside it
    YMSelectColorAction action(1);
    action.setCurrentColor(QColor(Qt::green));
    const QImage image = action.iconSet()->pixmap(QSize(24, 26)).toImage();
    QCOMPARE(image.size(), QSize(24, 26));
    QCOMPARE(image.pixelColor(20, 24), QColor(Qt::green));
    QCOMPARE(image.pixelColor(23, 25), QColor(Qt::green));
    QCOMPARE(image.pixelColor(19, 25), QColor(Qt::blue));
    QCOMPARE(image.pixelColor(23, 23), QColor(Qt::blue));
}

YMR_TEST_MAIN(TestYMColorPanel)
#include "tst_ymcolorpanel.moc"
