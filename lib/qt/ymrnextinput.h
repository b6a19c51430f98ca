#ifndef YMRNEXTINPUT_H
#define YMRNEXTINPUT_H

#include <QObject>

// Tells once when the user's next action begins: the next key pressed or
// button clicked anywhere in the program, after the release of a click in
// progress (the click that made it is one action with its release). No
// timer: it watches the input events as they come.
class YMRNextInput : public QObject
{
    Q_OBJECT
public:
    // afterRelease: a click is being made; its own press and release are
    // not the next action.
    YMRNextInput(bool afterRelease, QObject *parent);
    ~YMRNextInput() override;

signals:
    void began();

protected:
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    bool m_afterRelease;
    bool m_told = false;
};

#endif
