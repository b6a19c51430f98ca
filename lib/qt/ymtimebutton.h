#ifndef YMTIMEBUTTON_H
#define YMTIMEBUTTON_H

#include "ymrpushbutton.h"

#include <QTime>

class PopupMenu;
class YMTimeEdit;

// A button that pops a time edit up below itself as soon as it is pressed;
// the time edit is made on the first popup and its picks are passed on.
class YMTimeButton : public YMRPushButton
{
    Q_OBJECT
public:
    explicit YMTimeButton(QWidget *parent = nullptr, const char *name = nullptr);
    ~YMTimeButton() override;

    void setClockIcon(bool on);
    // The time edit's time once it exists, else the stored one.
    QTime time() const;
    YMTimeEdit *timeEdit() const { return m_timeEdit; }
    PopupMenu *popupMenu() const { return m_menu; }

public slots:
    void setTime(const QTime &t);
    void popup();
    void menuHide();

signals:
    void timeClicked(const QTime &time);

private:
    PopupMenu *m_menu = nullptr;
    YMTimeEdit *m_timeEdit = nullptr;
    QTime m_time;
};

#endif
