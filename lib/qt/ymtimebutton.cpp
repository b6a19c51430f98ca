#include "ymtimebutton.h"

#include "qpe/popupmenu.h"
#include "ymrresource.h"
#include "ymtimeedit.h"

YMTimeButton::YMTimeButton(QWidget *parent, const char *name)
    : YMRPushButton(parent, name), m_time(QTime::currentTime())
{
    setClockIcon(false);
    m_menu = new PopupMenu(this);
    connect(m_menu, &QMenu::aboutToHide, this, &YMTimeButton::menuHide);
    connect(this, &QPushButton::pressed, this, &YMTimeButton::popup);
}

YMTimeButton::~YMTimeButton() = default;

void YMTimeButton::setClockIcon(bool on)
{
    setIconSet(YMRResource::loadIconSet(on ? QStringLiteral("clock")
                                           : QStringLiteral("timeselector")));
}

QTime YMTimeButton::time() const
{
    return m_timeEdit ? m_timeEdit->time() : m_time;
}

void YMTimeButton::setTime(const QTime &t)
{
    if (m_timeEdit)
        m_timeEdit->setTime(t);
    else
        m_time = t;
}

void YMTimeButton::popup()
{
    if (!m_timeEdit) {
        m_timeEdit = new YMTimeEdit(m_menu);
        m_timeEdit->setTime(m_time);
        m_menu->insertItem(m_timeEdit);
        m_menu->setFocusProxy(m_timeEdit);
        connect(m_timeEdit, &YMTimeEdit::timeClicked, this, &YMTimeButton::timeClicked);
    }
    m_timeEdit->setFocus(Qt::PopupFocusReason);
    m_menu->popupUnder(this);
}

void YMTimeButton::menuHide()
{
    setDown(false);
}
