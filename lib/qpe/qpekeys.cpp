#include "qpekeys.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>

namespace {

// Qt 5 numbers its special keys 0x01000000 + n; the device numbers the same
// keys 0x1000 + n for every n below 0x100.
const int QtSpecialBase = 0x01000000;
const int SpecialBase = 0x1000;

enum ZoomStandIn { NoZoom, ZoomIn, ZoomOut };

ZoomStandIn zoomStandIn(const QKeyEvent *e)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    if (mods != (Qt::ControlModifier | Qt::AltModifier))
        return NoZoom;
    switch (e->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:   // Plus without Shift on most layouts
        return ZoomIn;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        return ZoomOut;
    default:
        return NoZoom;
    }
}

} // namespace

int QpeKeys::fromQtKey(int qtKey)
{
    if (qtKey == Qt::Key_ZoomIn)
        return Key_ZoomIn;
    if (qtKey == Qt::Key_ZoomOut)
        return Key_ZoomOut;
    if (qtKey >= QtSpecialBase && qtKey <= QtSpecialBase + 0xff)
        return SpecialBase | (qtKey & 0xff);
    // Latin-1 keys share their codes; nothing else has one on the device
    if (qtKey > 0 && qtKey <= 0xff)
        return qtKey;
    return 0;
}

int QpeKeys::toQtKey(int key)
{
    key &= 0xffff;
    if (key == Key_ZoomIn)
        return Qt::Key_ZoomIn;
    if (key == Key_ZoomOut)
        return Qt::Key_ZoomOut;
    if (key >= SpecialBase && key <= SpecialBase + 0xff)
        return QtSpecialBase | (key & 0xff);
    if (key > 0 && key <= 0xff)
        return key;
    return 0;
}

int QpeKeys::key(const QKeyEvent *e)
{
    switch (zoomStandIn(e)) {
    case ZoomIn:
        return Key_ZoomIn;
    case ZoomOut:
        return Key_ZoomOut;
    case NoZoom:
        break;
    }
    return fromQtKey(e->key());
}

int QpeKeys::state(const QKeyEvent *e)
{
    if (zoomStandIn(e) != NoZoom)
        return NoButton;
    return modifierState(e->modifiers());
}

int QpeKeys::modifierState(Qt::KeyboardModifiers mods)
{
    int s = 0;
    if (mods & Qt::ShiftModifier)
        s |= ShiftButton;
    if (mods & Qt::ControlModifier)
        s |= ControlButton;
    if (mods & Qt::AltModifier)
        s |= AltButton;
    return s;
}

int QpeKeys::mouseState(Qt::MouseButtons buttons)
{
    int s = 0;
    if (buttons & Qt::LeftButton)
        s |= LeftButton;
    if (buttons & Qt::RightButton)
        s |= RightButton;
    if (buttons & Qt::MiddleButton)
        s |= MidButton;
    return s;
}

int QpeKeys::state(const QMouseEvent *e)
{
    Qt::MouseButtons before = e->buttons();
    if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick)
        before &= ~e->button();
    else if (e->type() == QEvent::MouseButtonRelease)
        before |= e->button();
    return mouseState(before) | modifierState(e->modifiers());
}

int QpeKeys::bindingCode(int key, int state)
{
    // the later toolkit's modifier values (0x100, 0x200, 0x400) count too
    int code = key & 0xffff;
    if (state == ShiftButton || state == 0x100)
        code |= SHIFT;
    else if (state == ControlButton || state == 0x200)
        code |= CTRL;
    else if (state == AltButton || state == 0x400)
        code |= ALT;
    return code;
}

int QpeKeys::bindingCode(const QKeyEvent *e)
{
    const int k = key(e);
    if (k == 0 || isUnbindableKey(k))
        return 0;
    return bindingCode(k, state(e) | mouseState(QGuiApplication::mouseButtons()));
}

bool QpeKeys::isUnbindableKey(int key)
{
    return key == Key_Shift || key == Key_Control || key == Key_Alt || key == Key_F22;
}

QString QpeKeys::keyName(int code)
{
    const int qtKey = toQtKey(code & 0xffff);
    if (!qtKey)
        return QString();
    int mods = 0;
    if (code & SHIFT)
        mods |= Qt::SHIFT;
    if (code & CTRL)
        mods |= Qt::CTRL;
    if (code & ALT)
        mods |= Qt::ALT;
    return QKeySequence(qtKey | mods).toString(QKeySequence::NativeText);
}
