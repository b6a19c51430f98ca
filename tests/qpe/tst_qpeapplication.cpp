// ymr-test-screens: 240x320 480x640 640x480 800x600
#include "ymrtest.h"

#include "qpe/qpeapplication.h"
#include "qpe/qpedialogok.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

class TestQpeApplication : public QObject
{
    Q_OBJECT
private slots:
    void screenSizeParsing();
    void emulatedScreen();
    void popupGeometry_data();
    void popupGeometry();
    void rotationSwapsAndResizes();
    void ctrlReturnAcceptsTheModalDialog();
    void dialogOkStrip();
    void dialogOkIsIdempotentAndOnlyForDialogs();
    void escapeRejects();
    void keyboardLeftAtShow_data();
    void keyboardLeftAtShow();
};

void TestQpeApplication::screenSizeParsing()
{
    QCOMPARE(QPEApplication::parseScreenSize(QStringLiteral("240x320")), QSize(240, 320));
    QCOMPARE(QPEApplication::parseScreenSize(QStringLiteral(" 640X480 ")), QSize(640, 480));
    QVERIFY(!QPEApplication::parseScreenSize(QStringLiteral("native")).isValid());
    for (const char *bad : {"", "640", "x480", "640x", "0x480", "-1x5", "axb", "640x480x2", "99999x1"})
        QCOMPARE(QPEApplication::parseScreenSize(QLatin1String(bad)), QSize(480, 640));
}

void TestQpeApplication::emulatedScreen()
{
    const QSize size =
        QPEApplication::parseScreenSize(QString::fromLocal8Bit(qgetenv("QPE_SCREEN")));
    const QPoint corner = QGuiApplication::primaryScreen()->availableGeometry().topLeft();
    QVERIFY(QPEApplication::isScreenEmulated());
    // no main window yet: at the corner of the desktop
    QCOMPARE(QPEApplication::screenRect(), QRect(corner, size));

    auto *app = qobject_cast<QPEApplication *>(qApp);
    QWidget main;
    app->showMainDocumentWidget(&main, false);
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QCOMPARE(main.size(), size);
    QCOMPARE(QPEApplication::mainDocumentWidget(), &main);
    // the frame, title bar included, at the corner
    QCOMPARE(main.frameGeometry().topLeft(), corner);

    // the screen is wherever the user moved the main window, frame and all
    // on the desktop: moved up and left as far as it would leave it (a
    // tiling manager puts the main window in the screen's lower half), its
    // top-left corner shown where it is larger
    const QRect desktop = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect inside = main.geometry(), outside = main.frameGeometry();
    const QMargins frame(inside.left() - outside.left(), inside.top() - outside.top(),
                         outside.right() - inside.right(), outside.bottom() - inside.bottom());
    const auto within = [](int at, int length, int first, int last) {
        return qMax(first, qMin(at, last + 1 - length));
    };
    for (const QPoint at : {QPoint(40, 30), QPoint(40, desktop.bottom() - 100), QPoint(desktop.right() - 50, 0)}) {
        main.move(at);
        QTRY_COMPARE(main.frameGeometry().topLeft(), at);
        const QRect r = QPEApplication::screenRect();
        QCOMPARE(r.size(), size);
        QCOMPARE(r.left(), within(main.geometry().left(), size.width(), desktop.left() + frame.left(),
                                  desktop.right() - frame.right()));
        QCOMPARE(r.top(), within(main.geometry().top(), size.height(), desktop.top() + frame.top(),
                                 desktop.bottom() - frame.bottom()));
        if (r.marginsAdded(frame).height() <= desktop.height())
            QVERIFY(desktop.contains(r.marginsAdded(frame)));
        // a dialog shown maximised takes its place
        QDialog dlg;
        QPEApplication::showWidgetMaximized(&dlg);
        QCOMPARE(dlg.geometry(), r);
    }

    // the main window raised for an alarm: the screen's size in its place,
    // back from a minimised state
    main.move(40, 30);
    QTRY_COMPARE(main.frameGeometry().topLeft(), QPoint(40, 30));
    const QRect place = QPEApplication::screenRect();
    main.resize(size + QSize(50, 50));
    main.setWindowState(Qt::WindowMinimized);
    QPEApplication::showWidgetMaximized(&main);
    QVERIFY(!main.isMinimized());
    QCOMPARE(main.geometry(), place);
}

void TestQpeApplication::popupGeometry_data()
{
    // Positions and sizes count from the top-left of what the desktop shows
    // of the emulated screen; a negative one from its far edge.
    QTest::addColumn<bool>("overBottom");   // the main window hangs over the desktop's bottom
    QTest::addColumn<QRect>("anchor");      // 0 by 0: a point
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("gap");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("below") << false << QRect(10, 10, 100, 20) << QSize(80, 50) << 1
                           << QPoint(10, 31);
    QTest::newRow("above when only there it fits")
        << false << QRect(10, -30, 100, 20) << QSize(80, 50) << 1 << QPoint(10, -81);
    QTest::newRow("shifted left at the right edge")
        << false << QRect(-50, 10, 100, 20) << QSize(100, 50) << 0 << QPoint(-100, 30);
    QTest::newRow("a point")
        << false << QRect(QPoint(20, 20), QSize(0, 0)) << QSize(50, 40) << 0 << QPoint(20, 20);
    QTest::newRow("a point at the bottom-right corner")
        << false << QRect(QPoint(-10, -10), QSize(0, 0)) << QSize(50, 40) << 0 << QPoint(-50, -50);
    QTest::newRow("above what the desktop shows")
        << true << QRect(10, -30, 100, 20) << QSize(80, 50) << 1 << QPoint(10, -81);
    QTest::newRow("room neither below nor above: over the anchor, up from the screen's edge")
        << false << QRect(10, 100, 100, 20) << QSize(80, -60) << 1 << QPoint(10, 60);
    QTest::newRow("room neither below nor above: up from the desktop's edge")
        << true << QRect(10, 20, 100, 20) << QSize(80, -30) << 1 << QPoint(10, 30);
}

void TestQpeApplication::popupGeometry()
{
    QFETCH(bool, overBottom);
    QFETCH(QRect, anchor);
    QFETCH(QSize, size);
    QFETCH(int, gap);
    QFETCH(QPoint, expected);
    const QRect desktop = QGuiApplication::primaryScreen()->availableGeometry();
    auto *app = qobject_cast<QPEApplication *>(qApp);
    QWidget main;
    app->showMainDocumentWidget(&main, false);
    const QPoint at(40, overBottom ? desktop.bottom() - main.height() / 2 : 30);
    main.move(at);
    QTRY_COMPARE(main.frameGeometry().topLeft(), at);
    const QRect shown = QPEApplication::screenRect().intersected(desktop);
    const auto from = [&shown](QPoint p) {
        return shown.topLeft() + QPoint(p.x() < 0 ? shown.width() + p.x() : p.x(),
                                        p.y() < 0 ? shown.height() + p.y() : p.y());
    };
    anchor.moveTopLeft(from(anchor.topLeft()));
    if (size.height() < 0)
        size.setHeight(shown.height() + size.height());
    const QRect r = QPEApplication::popupGeometry(anchor, size, gap);
    QCOMPARE(r.topLeft(), from(expected));
    QCOMPARE(r.size(), size);
}

void TestQpeApplication::rotationSwapsAndResizes()
{
    const QRect before = QPEApplication::screenRect();
    auto *app = qobject_cast<QPEApplication *>(qApp);
    QWidget main;
    app->showMainDocumentWidget(&main, false);
    QDialog maximised;
    QPEApplication::showWidgetMaximized(&maximised);
    QDialog plain;
    plain.resize(100, 50);
    plain.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));

    QTest::keyClick(&main, Qt::Key_R, Qt::ControlModifier | Qt::AltModifier);
    const QSize turned = before.size().transposed();
    QCOMPARE(QPEApplication::screenRect().size(), turned);
    QCOMPARE(main.size(), turned);
    QCOMPARE(maximised.size(), turned);
    QCOMPARE(plain.size(), QSize(100, 50));

    QTest::keyClick(&maximised, Qt::Key_R, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(QPEApplication::screenRect().size(), before.size());
    QCOMPARE(main.size(), before.size());
}

void TestQpeApplication::ctrlReturnAcceptsTheModalDialog()
{
    QDialog dlg;
    auto *edit = new QLineEdit(&dlg);
    dlg.setModal(true);
    QPEApplication::showWidgetMaximized(&dlg);
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QCOMPARE(QApplication::activeModalWidget(), &dlg);
    edit->setFocus();

    // a plain Return stays with the dialog's own widgets
    QTest::keyClick(edit, Qt::Key_Return);
    QVERIFY(dlg.isVisible());
    QTest::keyClick(edit, Qt::Key_Return, Qt::ControlModifier);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Accepted));

    // no modal dialog: the key goes on unchanged
    QWidget w;
    auto *other = new QLineEdit(&w);
    w.show();
    other->setFocus();
    QTest::keyClick(other, Qt::Key_Return, Qt::ControlModifier);
    QVERIFY(w.isVisible());
}

void TestQpeApplication::dialogOkStrip()
{
    QDialog dlg;
    auto *layout = new QVBoxLayout(&dlg);
    auto *label = new QLabel(QStringLiteral("text"), &dlg);
    auto *edit = new QLineEdit(&dlg);
    layout->addWidget(label);
    layout->addWidget(edit);
    QPEApplication::showWidgetMaximized(&dlg);
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));

    QpeDialogOk *strip = QpeDialogOk::find(&dlg);
    QVERIFY(strip);
    QToolButton *ok = strip->okButton();
    QVERIFY(ok->isVisible());
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QCOMPARE(strip->width(), dlg.width());
    // the dialog's own widgets sit below the strip, not under it
    QVERIFY(label->geometry().top() >= strip->geometry().bottom());
    QVERIFY(edit->geometry().top() >= strip->geometry().bottom());
    QVERIFY(dlg.minimumSizeHint().height() >= strip->height() + edit->minimumSizeHint().height());
    // follows the dialog's width
    dlg.resize(dlg.width() - 30, dlg.height());
    QCOMPARE(strip->width(), dlg.width());

    // not the dialog's default button: Return in a field does not accept
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    QVERIFY(dlg.isVisible());

    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
}

void TestQpeApplication::dialogOkIsIdempotentAndOnlyForDialogs()
{
    QDialog dlg;
    auto *layout = new QVBoxLayout(&dlg);
    layout->addWidget(new QLineEdit(&dlg));
    dlg.setContentsMargins(1, 2, 3, 4);
    QPEApplication::showWidgetMaximized(&dlg);
    const QMargins once = dlg.contentsMargins();
    QVERIFY(once.top() > 2);
    QCOMPARE(once.left(), 1);
    QCOMPARE(once.bottom(), 4);
    dlg.hide();
    QPEApplication::showWidgetMaximized(&dlg);
    QPEApplication::showWidgetMaximized(&dlg);
    QCOMPARE(dlg.contentsMargins(), once);
    QCOMPARE(dlg.findChildren<QpeDialogOk *>().size(), 1);

    // a dialog shown by itself through exec(), and plain widgets, get none
    QDialog own;
    QVERIFY(!QpeDialogOk::find(&own));
    QWidget w;
    QPEApplication::showWidgetMaximized(&w);
    QVERIFY(w.findChildren<QpeDialogOk *>().isEmpty());
}

void TestQpeApplication::escapeRejects()
{
    QDialog dlg;
    auto *edit = new QLineEdit(&dlg);
    (new QVBoxLayout(&dlg))->addWidget(edit);
    QPEApplication::showWidgetMaximized(&dlg);
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Escape);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
}

namespace {
// Notes the modal window in front once a window's show has mapped it.
class FrontWhenMapped : public QObject
{
public:
    QWindow *front = nullptr;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::ShowToParent)
            front = QGuiApplication::modalWindow();
        return false;
    }
};
} // namespace

// A window that comes up on its own refuses the keyboard until the window
// system has put it on the screen, then takes it as any other; one on the
// screen already is left alone, as no map comes to give it back. A modal
// one is not the modal window in front as it is mapped (Qt would ask for the
// keyboard for it), and is once shown; nothing modal stands in front of
// the program when it is only restored from its minimised state.
void TestQpeApplication::keyboardLeftAtShow_data()
{
    QTest::addColumn<bool>("onScreen");
    QTest::addColumn<bool>("modal");
    QTest::addColumn<bool>("restored");
    QTest::newRow("shown after") << false << false << false;
    QTest::newRow("on the screen already") << true << false << false;
    QTest::newRow("modal, shown after") << false << true << false;
    QTest::newRow("modal, restored before shown") << false << true << true;
}

void TestQpeApplication::keyboardLeftAtShow()
{
    QFETCH(bool, onScreen);
    QFETCH(bool, modal);
    QFETCH(bool, restored);
    QDialog dlg;
    dlg.setModal(modal);
    if (restored)
        dlg.setWindowState(Qt::WindowMinimized);
    if (onScreen) {
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    }
    QPEApplication::leaveKeyboardAtShow(&dlg);
    const auto refuses = [&dlg] {
        return dlg.windowHandle()->flags().testFlag(Qt::WindowDoesNotAcceptFocus)
               || dlg.testAttribute(Qt::WA_ShowWithoutActivating);
    };
    QCOMPARE(refuses(), !onScreen);
    if (restored) {
        dlg.setWindowState(Qt::WindowNoState);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
    }
    FrontWhenMapped front;
    dlg.installEventFilter(&front);
    const int windows = QApplication::topLevelWidgets().size();
    QPEApplication::showWidgetMaximized(&dlg);
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QTRY_VERIFY(!refuses());
    if (modal) {
        QVERIFY(front.front && front.front != dlg.windowHandle());
        QCOMPARE(QApplication::activeModalWidget(), &dlg);
        QCOMPARE(QApplication::topLevelWidgets().size(), windows);
    }
}

QPE_TEST_MAIN(TestQpeApplication)
#include "tst_qpeapplication.moc"
