#ifndef FILEKEYS_H
#define FILEKEYS_H

#include <qpekeys.h>

#include <QKeyEvent>

// The key code the file dialog's views offer through checkKey(bool&,int)
// before they handle a key: the device code plus one modifier bit when
// exactly one of Shift, Control and Alt is held.
class FileKeys
{
public:
    // Shift, Control, Alt and F22 go straight to the view's own handling.
    static bool passesThrough(const QKeyEvent *e)
    {
        return QpeKeys::isUnbindableKey(QpeKeys::key(e));
    }
    static int code(const QKeyEvent *e)
    {
        return QpeKeys::bindingCode(QpeKeys::key(e), QpeKeys::state(e));
    }
    // Offers the key to the view's checkKey handlers; true, with the event
    // ignored, when one of them took it.
    template <class View>
    static bool offer(View *view, QKeyEvent *e)
    {
        if (passesThrough(e))
            return false;
        bool handled = false;
        emit view->checkKey(handled, code(e));
        if (handled)
            e->ignore();
        return handled;
    }
};

#endif
