#ifndef MODALDRIVER_H
#define MODALDRIVER_H

// Answers the modal dialogs a test drives through the program: each expected
// dialog (class name or object name) gets its action once it is the active
// modal widget. Message boxes (YMRDialog) are left to YMRDialog::queueAnswer.
// A dialog nobody expects is noted and rejected after a while, so a test
// never hangs.

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>

class ModalDriver : public QObject
{
public:
    using Action = std::function<void(QWidget *)>;

    explicit ModalDriver(QObject *parent = nullptr) : QObject(parent)
    {
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, &ModalDriver::poll);
        m_timer.start();
    }

    void expect(const char *classOrName, Action action)
    {
        m_steps.append({QString::fromLatin1(classOrName), std::move(action)});
    }
    int pending() const { return m_steps.size(); }
    // Dialogs shown that no step expected (rejected by the driver).
    QStringList unexpected;

    static void accept(QWidget *w) { static_cast<QDialog *>(w)->accept(); }
    static void reject(QWidget *w) { static_cast<QDialog *>(w)->reject(); }

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::Hide && o == m_last) {
            o->removeEventFilter(this);
            m_last = nullptr;
        }
        return false;
    }

private:
    struct Step {
        QString name;
        Action action;
    };

    static QString nameOf(QWidget *w)
    {
        return QString::fromLatin1(w->metaObject()->className()) + QLatin1Char('/')
               + w->objectName();
    }

    void poll()
    {
        QWidget *w = QApplication::activeModalWidget();
        if (m_last && m_last != w) {
            m_last->removeEventFilter(this);
            m_last = nullptr;
        }
        if (!w || w == m_last || w->inherits("YMRDialog") || !w->isVisible()) {
            m_waited = 0;
            return;
        }
        if (!m_steps.isEmpty()) {
            const Step &step = m_steps.first();
            if (w->inherits(step.name.toLatin1().constData()) || w->objectName() == step.name) {
                const Action action = m_steps.takeFirst().action;
                m_last = w;
                // shown again later (a prompt that runs once more) it is a new step
                w->installEventFilter(this);
                m_waited = 0;
                QPointer<QWidget> target(w);
                // run from the event loop, so that the action may open dialogs
                QTimer::singleShot(0, this, [target, action] {
                    if (target)
                        action(target);
                });
                return;
            }
        }
        if (++m_waited > 300) {
            unexpected.append(nameOf(w));
            m_waited = 0;
            if (auto *d = qobject_cast<QDialog *>(w))
                d->reject();
            else
                w->close();
        }
    }

    QTimer m_timer;
    QList<Step> m_steps;
    QPointer<QWidget> m_last;
    int m_waited = 0;
};

#endif
