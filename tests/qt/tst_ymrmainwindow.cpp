// ymr-test-screens: 240x320 480x640 640x480
#include "ymrtest.h"

#include "qt/ymabout.h"
#include "qt/ymraction.h"
#include "qt/ymrapplication.h"
#include "qt/ymrmainwindow.h"
#include "qt/ymrpushbutton.h"

#include <QLabel>
#include <QRegularExpression>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

class CountingWindow : public YMRMainWindow
{
    Q_OBJECT
public:
    int ins = 0;
    int outs = 0;
    int rotations = 0;
public slots:
    void zoomin() override { ++ins; }
    void zoomout() override { ++outs; }
    void rotate() override { ++rotations; }
};

class TestYMRMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void standardActions();
    void zoomTable_data();
    void zoomTable();
    void zoomActionsAtTheEnds();
    void zoomKeys();
    void rotationHook();
    void aboutLabel();
    void aboutBoxThroughPostedEvent();
    void toolBarsAndSpacers();
    void exitQuits();
};

void TestYMRMainWindow::standardActions()
{
    YMRMainWindow w(nullptr, "main");
    QCOMPARE(w.windowTitle(), QStringLiteral("ymrOutlays"));
    const char *const names[] = {"Velmora", "zoomin", "zoomout", "exit"};
    const char *const texts[] = {"About ...", "Zoom In", "Zoom Out", "Exit"};
    for (int i = 0; i < 4; ++i) {
        YMRAction *a = w.action(names[i]);
        QVERIFY2(a, names[i]);
        QCOMPARE(a->text(), QString::fromLatin1(texts[i]));
        QVERIFY(!a->isToggleAction());
        QVERIFY(a->iconSet());
    }
    QVERIFY(!w.action("nothing"));
}

// Last: once the application quit, no further event loop runs.
void TestYMRMainWindow::exitQuits()
{
    YMRMainWindow w;
    QEventLoop loop;
    QTimer::singleShot(0, &w, [&w] { emit w.action("exit")->activated(); });
    QTimer::singleShot(5000, &loop, [&loop] { loop.exit(7); });
    QCOMPARE(loop.exec(), 0);
}

void TestYMRMainWindow::zoomTable_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("down");
    QTest::addColumn<int>("result");
    QTest::newRow("between, up") << 11 << false << 12;
    QTest::newRow("between, down") << 11 << true << 10;
    QTest::newRow("entry, up") << 12 << false << 12;
    QTest::newRow("entry, down") << 12 << true << 12;
    QTest::newRow("gap 24-36 up") << 25 << false << 36;
    QTest::newRow("gap 24-36 down") << 35 << true << 24;
    QTest::newRow("below the table, down") << 7 << true << 8;
    QTest::newRow("below the table, up") << 3 << false << 8;
    QTest::newRow("above the table, down") << 100 << true << 36;
    // zooming in at the largest size stays there
    QTest::newRow("above the table, up") << 37 << false << 36;
}

void TestYMRMainWindow::zoomTable()
{
    QFETCH(int, size);
    QFETCH(bool, down);
    QFETCH(int, result);
    YMRMainWindow w;
    QCOMPARE(w.snapZoomSize(size, down), result);
}

void TestYMRMainWindow::zoomActionsAtTheEnds()
{
    YMRMainWindow w;
    YMRAction *in = w.action("zoomin");
    YMRAction *out = w.action("zoomout");

    // the application zooms in with its size plus one
    int size = 20;
    for (int i = 0; i < 4; ++i)
        size = w.snapZoomSize(size + 1, false);
    QCOMPARE(size, 36);
    QVERIFY(!in->isEnabled());
    QVERIFY(out->isEnabled());

    for (int i = 0; i < 12; ++i)
        size = w.snapZoomSize(size - 1, true);
    QCOMPARE(size, 8);
    QVERIFY(in->isEnabled());
    QVERIFY(!out->isEnabled());

    QCOMPARE(w.snapZoomSize(14, false), 14);
    QVERIFY(in->isEnabled());
    QVERIFY(out->isEnabled());
}

// QTest knows no text for the zoom keys: send the events as they come.
static void pressKey(QWidget *w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods);
    QApplication::sendEvent(w, &release);
}

void TestYMRMainWindow::zoomKeys()
{
    CountingWindow w;
    pressKey(&w, Qt::Key_ZoomIn);
    QCOMPARE(w.ins, 1);
    pressKey(&w, Qt::Key_ZoomOut);
    QCOMPARE(w.outs, 1);
    // the desktop's stand-ins for the device's zoom keys
    pressKey(&w, Qt::Key_Plus, Qt::ControlModifier | Qt::AltModifier);
    pressKey(&w, Qt::Key_Minus, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(w.ins, 2);
    QCOMPARE(w.outs, 2);
    pressKey(&w, Qt::Key_A);
    pressKey(&w, Qt::Key_Plus);
    pressKey(&w, Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(w.ins, 2);
    QCOMPARE(w.outs, 2);
}

void TestYMRMainWindow::rotationHook()
{
    CountingWindow w;
    QCOMPARE(w.rotations, 0);
    const bool portrait = YMRMainWindow::isPortrait();
    const QRect screen = QPEApplication::screenRect();
    QCOMPARE(portrait, screen.width() <= screen.height());

    // the same orientation as the screen: nothing
    w.resize(portrait ? QSize(240, 320) : QSize(320, 240));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.rotations, 0);

    QTest::ignoreMessage(QtDebugMsg, portrait ? "Rotate, now Horizontal" : "Rotate, now Vertical");
    w.resize(portrait ? QSize(320, 240) : QSize(240, 320));
    QTRY_COMPARE(w.rotations, 1);
    w.resize(portrait ? QSize(330, 250) : QSize(250, 330));
    // once the window has its new size, its resize event has run
    QTRY_COMPARE(w.size(), portrait ? QSize(330, 250) : QSize(250, 330));
    QCOMPARE(w.rotations, 1);

    QTest::ignoreMessage(QtDebugMsg, portrait ? "Rotate, now Vertical" : "Rotate, now Horizontal");
    w.resize(portrait ? QSize(240, 240) : QSize(320, 240));
    QTRY_COMPARE(w.rotations, 2);
}

void TestYMRMainWindow::aboutLabel()
{
    QCOMPARE(YMAbout::versionText(QStringLiteral("3.0"), QStringLiteral("Jan 18 2005")),
             QStringLiteral("Version: 3.0-050118"));
    // the compiler pads days below 10 with a blank
    QCOMPARE(YMAbout::versionText(QStringLiteral("3.0"), QStringLiteral("Sep  3 2026")),
             QStringLiteral("Version: 3.0-260903"));
    QCOMPARE(YMAbout::versionText(QStringLiteral("3.0"), QStringLiteral("Dec 31 1999")),
             QStringLiteral("Version: 3.0-991231"));
}

void TestYMRMainWindow::aboutBoxThroughPostedEvent()
{
    YMAbout::setAppVersion(QStringLiteral("3.0"));
    YMRMainWindow w;
    QString caption;
    QString version;
    bool hasPicture = false;
    bool modal = false;
    bool ownSize = false;
    QTimer watcher;
    watcher.setInterval(10);
    connect(&watcher, &QTimer::timeout, &w, [&] {
        QWidget *box = QApplication::activeModalWidget();
        if (!box)
            return;
        watcher.stop();
        modal = box->isModal();
        // shown at its own size, not spread over the main window
        ownSize = box->size() == box->sizeHint();
        caption = box->windowTitle();
        version = box->findChild<QLabel *>(QStringLiteral("version"))->text();
        hasPicture = !box->findChild<QLabel *>(QStringLiteral("picture"))->pixmap(Qt::ReturnByValue).isNull();
        auto *close = box->findChild<YMRPushButton *>(QStringLiteral("close"));
        QVERIFY(close);
        QCOMPARE(close->text(), QStringLiteral("Close"));
        QTest::mouseClick(close, Qt::LeftButton);
    });
    watcher.start();
    w.about();
    // the box opens from the event loop, not from inside about()
    QVERIFY(!QApplication::activeModalWidget());
    QTRY_VERIFY(!caption.isEmpty());
    QVERIFY(modal);
    QVERIFY(ownSize);
    QCOMPARE(caption, QStringLiteral("About ymrOutlays ..."));
    QVERIFY2(QRegularExpression(QStringLiteral("^Version: 3\\.0-\\d{6}$")).match(version).hasMatch(),
             qPrintable(version));
    QCOMPARE(version,
             YMAbout::versionText(QStringLiteral("3.0"), QStringLiteral(__DATE__)));
    QVERIFY(hasPicture);
    QVERIFY(!QApplication::activeModalWidget());
}

void TestYMRMainWindow::toolBarsAndSpacers()
{
    YMRMainWindow w;
    QToolBar *bar = w.createToolBar(Qt::TopToolBarArea, false, "bar");
    QToolBar *second = w.createToolBar(Qt::TopToolBarArea, true, "second");
    QCOMPARE(bar->objectName(), QStringLiteral("bar"));
    QVERIFY(!bar->isMovable());
    QCOMPARE(w.toolBarArea(second), Qt::TopToolBarArea);
    QVERIFY(w.toolBarBreak(second));
    auto *own = new QToolBar(&w);
    w.addToolBar(own);
    own->ensurePolished();
    QCoreApplication::sendPostedEvents(&w, QEvent::ChildPolished);
    QVERIFY(!own->isMovable());

    w.action("Velmora")->addTo(bar);
    w.createSpacer(bar, 20);
    w.action("zoomin")->addTo(bar);
    w.createSpacer(bar, 0);
    w.action("exit")->addTo(bar);
    w.resize(400, 300);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    QList<QWidget *> items;
    for (QAction *a : bar->actions())
        items.append(bar->widgetForAction(a));
    QCOMPARE(items.size(), 5);
    QCOMPARE(items.at(1)->width(), 20);
    QCOMPARE(items.at(1)->backgroundRole(), QPalette::Button);
    // the stretching spacer pushes "exit" to the far end
    QVERIFY(items.at(4)->geometry().right() > bar->width() - 20);
    QVERIFY(items.at(3)->width() > 100);
}

YMR_TEST_MAIN(TestYMRMainWindow)
#include "tst_ymrmainwindow.moc"
