#include "ymdatebutton.h"

#include "qpe/popupmenu.h"
#include "ymcalendar.h"
#include "ymrresource.h"

YMDateButton::YMDateButton(QWidget *parent, const char *name)
    : YMRPushButton(parent, name), m_date(QDate::currentDate())
{
    setClockIcon(false);
    m_menu = new PopupMenu(this);
    connect(this, &QPushButton::clicked, this, &YMDateButton::popup);
}

YMDateButton::~YMDateButton() = default;

void YMDateButton::setClockIcon(bool on)
{
    setIconSet(YMRResource::loadIconSet(on ? QStringLiteral("clock")
                                           : QStringLiteral("dateselector")));
}

QDate YMDateButton::date() const
{
    return m_calendar ? m_calendar->date() : m_date;
}

void YMDateButton::setDate(const QDate &d)
{
    if (!d.isValid())
        return;
    if (m_calendar)
        m_calendar->setDate(d);
    else
        m_date = d;
}

void YMDateButton::popup()
{
    if (!m_calendar) {
        m_calendar = new YMCalendar(true, m_menu);
        m_calendar->setDate(m_date);
        m_menu->insertItem(m_calendar);
        m_menu->setFocusProxy(m_calendar);
        connect(m_calendar, &YMCalendar::dateChanged, this, &YMDateButton::dateClicked);
    }
    QDate d = m_calendar->date();
    emit aboutToShow(d);
    setDate(d);
    // keys typed into the popup go to the calendar
    m_calendar->setFocus(Qt::PopupFocusReason);
    m_menu->popupUnder(this);
}
