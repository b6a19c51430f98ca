#ifndef YMRACTIONGROUP_H
#define YMRACTIONGROUP_H

#include <QList>
#include <QObject>

class YMRAction;

// Makes its toggle actions mutually exclusive: at most one member is on,
// and the member that is on can only be replaced by switching another on.
class YMRActionGroup : public QObject
{
    Q_OBJECT
public:
    explicit YMRActionGroup(QObject *parent = nullptr, const char *name = nullptr);

    void add(YMRAction *action);
    YMRAction *currentAction() const { return m_current; }
    QList<YMRAction *> actions() const { return m_actions; }

private slots:
    void childToggled(bool on);
    void childDestroyed();

private:
    YMRAction *m_current = nullptr;
    QList<YMRAction *> m_actions;
};

#endif
