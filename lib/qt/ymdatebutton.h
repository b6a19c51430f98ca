#ifndef YMDATEBUTTON_H
#define YMDATEBUTTON_H

#include "ymrpushbutton.h"

#include <QDate>

class PopupMenu;
class YMCalendar;

// A button that pops a calendar up below itself. The calendar is made on
// the first popup; every move of its date is reported as dateClicked, and
// a pick closes the popup.
class YMDateButton : public YMRPushButton
{
    Q_OBJECT
public:
    explicit YMDateButton(QWidget *parent = nullptr, const char *name = nullptr);
    ~YMDateButton() override;

    void setClockIcon(bool on);
    // The calendar's date once it exists, else the stored one.
    QDate date() const;
    YMCalendar *calendar() const { return m_calendar; }
    PopupMenu *popupMenu() const { return m_menu; }

public slots:
    void setDate(const QDate &d);
    void popup();

signals:
    void dateClicked(const QDate &date);
    // Sent before every popup; a receiver may change the date shown.
    void aboutToShow(QDate &date);

private:
    PopupMenu *m_menu = nullptr;
    YMCalendar *m_calendar = nullptr;
    QDate m_date;
};

#endif
