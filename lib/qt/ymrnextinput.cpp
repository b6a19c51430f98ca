#include "ymrnextinput.h"

#include <QCoreApplication>
#include <QEvent>

YMRNextInput::YMRNextInput(bool afterRelease, QObject *parent)
    : QObject(parent), m_afterRelease(afterRelease)
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(this);
}

YMRNextInput::~YMRNextInput()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

bool YMRNextInput::eventFilter(QObject *o, QEvent *e)
{
    if (m_told)
        return QObject::eventFilter(o, e);
    switch (e->type()) {
    case QEvent::MouseButtonRelease:
    case QEvent::TouchEnd:
        m_afterRelease = false;
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::TouchBegin:
    case QEvent::KeyPress:
        // a press while the click's release is awaited is that click's,
        // seen again on its way from the window to the widget
        if (!m_afterRelease) {
            m_told = true;
            emit began();
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(o, e);
}
