#include "ymractiongroup.h"

#include "ymraction.h"

YMRActionGroup::YMRActionGroup(QObject *parent, const char *name)
    : QObject(parent)
{
    setObjectName(QLatin1String(name));
}

void YMRActionGroup::add(YMRAction *action)
{
    if (!action || m_actions.contains(action))
        return;
    m_actions.append(action);
    connect(action, &QObject::destroyed, this, &YMRActionGroup::childDestroyed);
    connect(action, &YMRAction::toggled, this, &YMRActionGroup::childToggled);
}

void YMRActionGroup::childToggled(bool on)
{
    auto *s = qobject_cast<YMRAction *>(sender());
    if (!s)
        return;
    if (on && s != m_current) {
        m_current = s;
        for (YMRAction *a : qAsConst(m_actions)) {
            if (a != s && a->isToggleAction())
                a->setOn(false);
        }
    } else if (!on && s == m_current) {
        s->setOn(true);
    }
}

void YMRActionGroup::childDestroyed()
{
    // only the address is left of the sender
    const QObject *s = sender();
    for (int i = m_actions.size() - 1; i >= 0; --i) {
        if (static_cast<QObject *>(m_actions.at(i)) == s)
            m_actions.removeAt(i);
    }
    if (static_cast<QObject *>(m_current) == s)
        m_current = nullptr;
}
