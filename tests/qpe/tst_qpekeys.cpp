#include "ymrtest.h"

#include "qpe/qpeapplication.h"
#include "qpe/qpekeys.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace {

// Records the device codes of the key presses that reach it.
class KeyRecorder : public QWidget
{
public:
    using QWidget::QWidget;
    QList<int> codes;
    QList<int> states;
    bool acceptKeys = true;

protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        // QTest presses the modifier keys themselves first
        if (QpeKeys::isUnbindableKey(QpeKeys::key(e))) {
            e->ignore();
            return;
        }
        codes.append(QpeKeys::key(e));
        states.append(QpeKeys::state(e));
        if (acceptKeys)
            e->accept();
        else
            e->ignore();
    }
};

} // namespace

class TestQpeKeys : public QObject
{
    Q_OBJECT
private slots:
    void keyTable_data();
    void keyTable();
    void roundTripOfSpecialKeys();
    void keyState();
    void mouseState();
    void bindingCodes();
    void bindingCodeOfEvents_data();
    void bindingCodeOfEvents();
    void keyNames();
    void zoomStandInsReachTheWindowOnce();
};

void TestQpeKeys::keyTable_data()
{
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<int>("code");
    QTest::newRow("Escape") << int(Qt::Key_Escape) << 0x1000;
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << 0x1003;
    QTest::newRow("Return") << int(Qt::Key_Return) << 0x1004;
    QTest::newRow("Enter") << int(Qt::Key_Enter) << 0x1005;
    QTest::newRow("Shift") << int(Qt::Key_Shift) << 0x1020;
    QTest::newRow("Control") << int(Qt::Key_Control) << 0x1021;
    QTest::newRow("Meta") << int(Qt::Key_Meta) << 0x1022;
    QTest::newRow("Alt") << int(Qt::Key_Alt) << 0x1023;
    QTest::newRow("F1") << int(Qt::Key_F1) << 0x1030;
    QTest::newRow("F11") << int(Qt::Key_F11) << 0x103a;
    QTest::newRow("F22") << int(Qt::Key_F22) << 0x1045;
    QTest::newRow("PageDown") << int(Qt::Key_PageDown) << 0x1017;
    QTest::newRow("Space") << int(Qt::Key_Space) << 0x20;
    QTest::newRow("A") << int(Qt::Key_A) << 0x41;
    QTest::newRow("Z") << int(Qt::Key_Z) << 0x5a;
    QTest::newRow("0") << int(Qt::Key_0) << 0x30;
    QTest::newRow("9") << int(Qt::Key_9) << 0x39;
    QTest::newRow("Latin-1") << int(Qt::Key_Adiaeresis) << 0xc4;
    QTest::newRow("ZoomIn") << int(Qt::Key_ZoomIn) << 0x2010;
    QTest::newRow("ZoomOut") << int(Qt::Key_ZoomOut) << 0x200f;
    QTest::newRow("unknown") << int(Qt::Key_unknown) << 0;
    QTest::newRow("none") << 0 << 0;
    QTest::newRow("beyond Latin-1") << 0x0416 << 0;
    QTest::newRow("dead key") << int(Qt::Key_Dead_Grave) << 0;
}

void TestQpeKeys::keyTable()
{
    QFETCH(int, qtKey);
    QFETCH(int, code);
    QCOMPARE(QpeKeys::fromQtKey(qtKey), code);
    QKeyEvent e(QEvent::KeyPress, qtKey, Qt::NoModifier);
    QCOMPARE(QpeKeys::key(&e), code);
    QVERIFY(QpeKeys::key(&e) <= 0xffff);
}

void TestQpeKeys::roundTripOfSpecialKeys()
{
    for (int qt : {int(Qt::Key_Escape), int(Qt::Key_F11), int(Qt::Key_Left), int(Qt::Key_ZoomIn),
                   int(Qt::Key_ZoomOut), int(Qt::Key_A), int(Qt::Key_Space)})
        QCOMPARE(QpeKeys::toQtKey(QpeKeys::fromQtKey(qt)), qt);
    QCOMPARE(QpeKeys::toQtKey(0), 0);
    QCOMPARE(QpeKeys::toQtKey(0x1234), 0);
    // modifier bits do not disturb the key
    QCOMPARE(QpeKeys::toQtKey(0x41 | QpeKeys::CTRL), int(Qt::Key_A));
}

void TestQpeKeys::keyState()
{
    QKeyEvent shiftA(QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier, QStringLiteral("A"));
    QCOMPARE(QpeKeys::state(&shiftA), 8);
    QKeyEvent ctrl(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(QpeKeys::state(&ctrl), 16);
    QKeyEvent alt(QEvent::KeyPress, Qt::Key_A, Qt::AltModifier);
    QCOMPARE(QpeKeys::state(&alt), 32);
    QKeyEvent all(QEvent::KeyPress, Qt::Key_A,
                  Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(QpeKeys::state(&all), 8 | 16 | 32);
    // keypad and meta have no bit of their own
    QKeyEvent keypad(QEvent::KeyPress, Qt::Key_5, Qt::KeypadModifier | Qt::MetaModifier);
    QCOMPARE(QpeKeys::state(&keypad), 0);
    QKeyEvent keypadShift(QEvent::KeyPress, Qt::Key_5, Qt::KeypadModifier | Qt::ShiftModifier);
    QCOMPARE(QpeKeys::state(&keypadShift), 8);
}

void TestQpeKeys::mouseState()
{
    // the state before the event: a press does not include its own button
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCOMPARE(QpeKeys::state(&press), 0);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(1, 1), Qt::LeftButton, Qt::NoButton,
                        Qt::ShiftModifier);
    QCOMPARE(QpeKeys::state(&release), 1 | 8);
    QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), Qt::NoButton,
                     Qt::RightButton | Qt::MiddleButton, Qt::ControlModifier);
    QCOMPARE(QpeKeys::state(&move), 2 | 4 | 16);
    QMouseEvent second(QEvent::MouseButtonPress, QPointF(1, 1), Qt::RightButton,
                       Qt::LeftButton | Qt::RightButton, Qt::NoModifier);
    QCOMPARE(QpeKeys::state(&second), 1);
}

void TestQpeKeys::bindingCodes()
{
    QCOMPARE(QpeKeys::bindingCode(0x41, 0), 0x41);
    QCOMPARE(QpeKeys::bindingCode(0x41, 8), 0x200041);
    QCOMPARE(QpeKeys::bindingCode(0x41, 16), 0x400041);
    QCOMPARE(QpeKeys::bindingCode(0x41, 32), 0x800041);
    // two modifiers, or a modifier with a mouse button held: no bit
    QCOMPARE(QpeKeys::bindingCode(0x41, 8 | 16), 0x41);
    QCOMPARE(QpeKeys::bindingCode(0x41, 8 | 1), 0x41);
    QCOMPARE(QpeKeys::bindingCode(0x1004, 16), 0x401004);
    // the same modifiers in the later numbering
    QCOMPARE(QpeKeys::bindingCode(0x41, 0x100), 0x200041);
    QCOMPARE(QpeKeys::bindingCode(0x41, 0x200), 0x400041);
    QCOMPARE(QpeKeys::bindingCode(0x41, 0x400), 0x800041);
    QCOMPARE(QpeKeys::bindingCode(0x41, 0x100 | 0x200), 0x41);

    QVERIFY(QpeKeys::isUnbindableKey(0x1020));
    QVERIFY(QpeKeys::isUnbindableKey(0x1021));
    QVERIFY(QpeKeys::isUnbindableKey(0x1023));
    QVERIFY(QpeKeys::isUnbindableKey(0x1045));
    QVERIFY(!QpeKeys::isUnbindableKey(0x1022));
    QVERIFY(!QpeKeys::isUnbindableKey(0x41));
}

void TestQpeKeys::bindingCodeOfEvents_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("code");
    QTest::newRow("plain") << int(Qt::Key_A) << 0 << 0x41;
    QTest::newRow("shift") << int(Qt::Key_A) << int(Qt::ShiftModifier) << 0x200041;
    QTest::newRow("control") << int(Qt::Key_A) << int(Qt::ControlModifier) << 0x400041;
    QTest::newRow("alt") << int(Qt::Key_A) << int(Qt::AltModifier) << 0x800041;
    QTest::newRow("two modifiers") << int(Qt::Key_A)
                                   << int(Qt::ShiftModifier | Qt::ControlModifier) << 0x41;
    QTest::newRow("keypad") << int(Qt::Key_1) << int(Qt::KeypadModifier) << 0x31;
    QTest::newRow("menu key") << int(Qt::Key_F11) << 0 << 0x103a;
    QTest::newRow("shift alone") << int(Qt::Key_Shift) << int(Qt::ShiftModifier) << 0;
    QTest::newRow("control alone") << int(Qt::Key_Control) << 0 << 0;
    QTest::newRow("alt alone") << int(Qt::Key_Alt) << 0 << 0;
    QTest::newRow("F22") << int(Qt::Key_F22) << 0 << 0;
    QTest::newRow("meta is a key") << int(Qt::Key_Meta) << 0 << 0x1022;
    // without a code of its own a key binds nothing, with or without a modifier
    QTest::newRow("no code") << int(Qt::Key_unknown) << 0 << 0;
    QTest::newRow("no code, shift") << 0x20ac << int(Qt::ShiftModifier) << 0;
}

void TestQpeKeys::bindingCodeOfEvents()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, code);
    const QKeyEvent e(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(QpeKeys::bindingCode(&e), code);
}

void TestQpeKeys::keyNames()
{
    QCOMPARE(QpeKeys::keyName(0), QString());
    QCOMPARE(QpeKeys::keyName(0x41), QStringLiteral("A"));
    QCOMPARE(QpeKeys::keyName(0x41 | QpeKeys::CTRL), QStringLiteral("Ctrl+A"));
    QCOMPARE(QpeKeys::keyName(0x1030 | QpeKeys::SHIFT), QStringLiteral("Shift+F1"));
    QCOMPARE(QpeKeys::keyName(0x1000), QKeySequence(Qt::Key_Escape).toString(QKeySequence::NativeText));
    QVERIFY(!QpeKeys::keyName(0x2010).isEmpty());
    QCOMPARE(QpeKeys::keyName(0x1234), QString());
}

void TestQpeKeys::zoomStandInsReachTheWindowOnce()
{
    KeyRecorder window;
    auto *child = new KeyRecorder(&window);
    child->acceptKeys = false;   // keys travel on to the window
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    child->setFocusPolicy(Qt::StrongFocus);
    child->setFocus();

    QTest::keyClick(child, Qt::Key_Plus, Qt::ControlModifier | Qt::AltModifier);
    QTest::keyClick(child, Qt::Key_Equal, Qt::ControlModifier | Qt::AltModifier);
    QTest::keyClick(child, Qt::Key_Minus, Qt::ControlModifier | Qt::AltModifier | Qt::KeypadModifier);
    QCOMPARE(window.codes, (QList<int>{0x2010, 0x2010, 0x200f}));
    QCOMPARE(window.states, (QList<int>{0, 0, 0}));
    QCOMPARE(child->codes, window.codes);

    // Ctrl+Plus alone is an ordinary key
    window.codes.clear();
    QTest::keyClick(child, Qt::Key_Plus, Qt::ControlModifier);
    QCOMPARE(window.codes, (QList<int>{int(Qt::Key_Plus)}));
    QCOMPARE(window.states, (QList<int>{0, 0, 0, 16}));
}

QPE_TEST_MAIN(TestQpeKeys)
#include "tst_qpekeys.moc"
