#ifndef KEYSWIDGET_H
#define KEYSWIDGET_H

#include "forms/keyswidgetbase.h"

class QKeyEvent;
class QPushButton;

// The "Key" page of the options dialog: the user switches a row's button on
// and presses the key for that command. A key is bound to one row at most;
// Backspace clears a bound row. The ten bindings ("Options"/"key_1" ...
// "key_10") are written when the page goes.
class KeysWidget : public KeysWidgetBase
{
    Q_OBJECT
public:
    explicit KeysWidget(QWidget *parent = nullptr, const char *name = nullptr);
    ~KeysWidget() override;

    // The row button that waits for a key, or null.
    QPushButton *waitingButton() const;
    // Shows code on the button's row (0: none); initial is set while the
    // stored bindings are loaded.
    void setKey(QPushButton *button, int code, bool initial);
    // The code a row holds.
    static int keyCode(const QPushButton *button);
    QPushButton *keyButton(int row) const;

protected:
    bool event(QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    void switchOff(QPushButton *button);
};

#endif
