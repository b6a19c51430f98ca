#ifndef QPEKEYS_H
#define QPEKEYS_H

#include <QString>
#include <Qt>

class QKeyEvent;
class QMouseEvent;

// The device's key codes and button state (the older toolkit's numbering,
// which stored key bindings and event handlers compare against), translated
// from Qt 5 events.
class QpeKeys
{
public:
    // Key codes. Special keys are 0x1000 | the low byte of the Qt 5 code;
    // printable Latin-1 keys keep their code.
    enum Key {
        Key_Escape = 0x1000,
        Key_Tab = 0x1001,
        Key_Backtab = 0x1002,
        Key_Backspace = 0x1003,
        Key_Return = 0x1004,
        Key_Enter = 0x1005,
        Key_Insert = 0x1006,
        Key_Delete = 0x1007,
        Key_Home = 0x1010,
        Key_End = 0x1011,
        Key_Left = 0x1012,
        Key_Up = 0x1013,
        Key_Right = 0x1014,
        Key_Down = 0x1015,
        Key_Prior = 0x1016,
        Key_Next = 0x1017,
        Key_Shift = 0x1020,
        Key_Control = 0x1021,
        Key_Meta = 0x1022,
        Key_Alt = 0x1023,
        Key_F1 = 0x1030,
        Key_F11 = 0x103a,   // the device's menu key
        Key_F22 = 0x1045,
        Key_Space = 0x20,
        Key_ZoomOut = 0x200f,
        Key_ZoomIn = 0x2010
    };

    // Button state bits.
    enum ButtonState {
        NoButton = 0,
        LeftButton = 1,
        RightButton = 2,
        MidButton = 4,
        MouseButtonMask = 7,
        ShiftButton = 8,
        ControlButton = 16,
        AltButton = 32,
        KeyButtonMask = 56
    };

    // Modifier bits of a key binding code.
    enum Modifier {
        SHIFT = 0x200000,
        CTRL = 0x400000,
        ALT = 0x800000,
        MODIFIER_MASK = 0xe00000
    };

    // The device code of a Qt 5 key; 0 for a key the device has no code for.
    static int fromQtKey(int qtKey);
    // The Qt 5 key of a device code; 0 when there is none.
    static int toQtKey(int key);

    // The device code of a key event. Ctrl+Alt+Plus and Ctrl+Alt+Minus stand
    // in for the device's zoom keys.
    static int key(const QKeyEvent *e);
    // The button state of a key event (keyboard modifiers only; the zoom
    // stand-ins report none, like the real keys).
    static int state(const QKeyEvent *e);
    // Keyboard modifiers as state bits (keypad and meta are dropped).
    static int modifierState(Qt::KeyboardModifiers mods);
    // Mouse buttons as state bits.
    static int mouseState(Qt::MouseButtons buttons);
    // The state before a mouse event: for a press without the pressed
    // button, for a release with the released one.
    static int state(const QMouseEvent *e);

    // A binding code: the key plus one modifier bit when the state is
    // exactly Shift, Control or Alt (8 or 0x100, 16 or 0x200, 32 or 0x400);
    // any other state adds nothing.
    static int bindingCode(int key, int state);
    // The binding code of a key event, the way the key bindings, the main
    // window and the lists that pass bound keys on all compose it (a mouse
    // button held counts as part of the state); 0 for a key that is never
    // bound or has no code.
    static int bindingCode(const QKeyEvent *e);
    // The keys never bound: Shift, Control, Alt and F22.
    static bool isUnbindableKey(int key);

    // Display name of a binding code ("A", "Ctrl+F1", "Esc"); empty for 0.
    static QString keyName(int code);
};

#endif
