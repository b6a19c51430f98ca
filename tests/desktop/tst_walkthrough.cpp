// ymr-test-screens: 240x320 480x640
#include "xdesktop.h"

#include "walkthrough.h"

#include "colorswidget.h"
#include "qt/ymdatebutton.h"
#include "qt/ymrcombobox.h"
#include "qt/ymtimebutton.h"

#include <QScopeGuard>
#include <QScrollArea>
#include <QToolButton>

using namespace xdesktop;

// The walk through every dialog on a desktop, the main window moved away
// from the screen's corner: as the window manager placed them, each dialog
// lies on the emulated screen and its frame on the main window's, and every
// pop-up it opens lies at its box, inside the screen.
class TestWalkthroughOnDesktop : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void everyDialogAndPopupOnTheScreen_data();
    void everyDialogAndPopupOnTheScreen();

private:
    void look(QWidget *dialog, const QString &name);
    void lookAtPopup(QWidget *opener, const std::function<void()> &open, const QString &name);
    // The emulated screen and the main window's frame around it.
    QRect m_screen;
    QRect m_device;
};

void TestWalkthroughOnDesktop::initTestCase()
{
    walkthrough::prepare();
}

void TestWalkthroughOnDesktop::everyDialogAndPopupOnTheScreen_data()
{
    walkthrough::addRows();
}

void TestWalkthroughOnDesktop::everyDialogAndPopupOnTheScreen()
{
    const QString row = QString::fromLatin1(QTest::currentDataTag());
    ToDoWindow w;
    QVERIFY(fixtures::openInWindow(w, fixtures::bookPath(QStringLiteral("Household"))));
    QVERIFY(placed(&w));
    w.move(600, 100);
    QVERIFY(waitFor([&w] {
        const QRect at = placeOf(&w).client;
        return at.x() >= 600 && at == QPEApplication::screenRect();
    }));
    m_screen = QPEApplication::screenRect();
    m_device = frameOf(&w);
    QVERIFY(m_device.contains(m_screen));

    ModalDriver driver;
    QStringList captions;
    walkthrough::open(w, driver, row, [this](QWidget *d, const QString &name) { look(d, name); },
                      captions);
    QVERIFY2(driver.unexpected.isEmpty(), qPrintable(driver.unexpected.join(' ')));
    QVERIFY(!captions.isEmpty());
}

void TestWalkthroughOnDesktop::look(QWidget *dialog, const QString &name)
{
    QVERIFY2(placed(dialog), qPrintable(name));
    // a page just shown has laid itself out
    ymrtest::flushEvents();
    const QRect client = placeOf(dialog).client;
    const QRect frame = frameOf(dialog);
    walkthrough::keepGrab(dialog->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(),
                                                       frame.height()),
                          name);
    const auto where = [&](const QRect &r) {
        return qPrintable(QStringLiteral("%1 at %2,%3 %4x%5").arg(name).arg(r.x()).arg(r.y())
                              .arg(r.width()).arg(r.height()));
    };
    QVERIFY2(m_screen.contains(client), where(client));
    // on the desktop it covers no more than the main window
    QVERIFY2(m_device.contains(frame), where(frame));

    // every pop-up a click opens, as the user reaches it
    int n = 0;
    for (QWidget *c : dialog->findChildren<QWidget *>()) {
        if (!c->isVisible() || !c->isEnabled())
            continue;
        const QString popupName = name + QStringLiteral("-popup") + QString::number(++n);
        if (auto *box = qobject_cast<YMRComboBox *>(c)) {
            lookAtPopup(c, [box] { box->popup(); }, popupName);
        } else if (auto *button = qobject_cast<YMDateButton *>(c)) {
            lookAtPopup(c, [button] { button->popup(); }, popupName);
        } else if (auto *button = qobject_cast<YMTimeButton *>(c)) {
            lookAtPopup(c, [button] { button->popup(); }, popupName);
        } else if (auto *button = qobject_cast<QToolButton *>(c); button && button->menu()) {
            lookAtPopup(c, [button] { button->showMenu(); }, popupName);
        } else if (auto *colors = qobject_cast<ColorsWidget *>(c)) {
            // its buttons open the colour panel when released
            for (QPushButton *b : {colors->b1, colors->b2, colors->b3, colors->b4})
                lookAtPopup(b, [b] { emit b->released(); }, popupName + b->objectName());
        } else {
            --n;
        }
        if (QTest::currentTestFailed())
            return;
    }
}

void TestWalkthroughOnDesktop::lookAtPopup(QWidget *opener, const std::function<void()> &open,
                                           const QString &name)
{
    // scrolled into view first, as a user does
    for (QWidget *p = opener->parentWidget(); p; p = p->parentWidget()) {
        if (auto *scroll = qobject_cast<QScrollArea *>(p))
            scroll->ensureWidgetVisible(opener);
    }
    QRect shown;
    bool looked = false;
    // Some pop-ups run their own event loop until closed: they are looked
    // at and closed from a timer.
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, this, [&] {
        QWidget *popup = QApplication::activePopupWidget();
        if (!popup)
            return;
        poll.stop();
        if (placed(popup)) {
            shown = placeOf(popup).client;
            walkthrough::keepGrab(popup->screen()->grabWindow(0, m_device.x(), m_device.y(),
                                                              m_device.width(), m_device.height()),
                                  name);
        }
        looked = true;
        popup->close();
    });
    poll.start();
    QTimer::singleShot(0, opener, open);
    QVERIFY2(waitFor([&] { return looked && !QApplication::activePopupWidget(); }),
             qPrintable(name));
    const QRect box(opener->mapToGlobal(QPoint()), opener->size());
    const auto text = [](const QRect &r) {
        return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    };
    const QString where = QStringLiteral("%1: box at %2, its pop-up at %3, the screen at %4")
                              .arg(name, text(box), text(shown), text(m_screen));
    QVERIFY2(m_screen.contains(shown), qPrintable(where));
    QVERIFY2(screenOf(opener).contains(shown), qPrintable(where));
    // beside its box, or over it where the screen has no room beside it
    QVERIFY2(shown.adjusted(-2, -2, 2, 2).intersects(box), qPrintable(where));
}

YMR_DESKTOP_TEST_MAIN(TestWalkthroughOnDesktop)
#include "tst_walkthrough.moc"
