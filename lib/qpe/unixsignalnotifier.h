#ifndef UNIXSIGNALNOTIFIER_H
#define UNIXSIGNALNOTIFIER_H

#include <QList>
#include <QObject>

#include <csignal>

class QSocketNotifier;

// Unix signals as a Qt signal on the event loop. A signal handler may only
// do what is async-signal-safe, so it writes the signal's number into one
// end of a socket pair; a notifier on the other end reads it and emits
// received(). Each handler is good for one delivery: a second signal of the
// same kind gets the default action, so a program stuck on its way out
// still ends. One notifier at a time; the destructor puts the earlier
// handlers back.
class UnixSignalNotifier : public QObject
{
    Q_OBJECT
public:
    explicit UnixSignalNotifier(const QList<int> &numbers, QObject *parent = nullptr);
    ~UnixSignalNotifier() override;

    // False when the socket pair or a handler could not be set up.
    bool isValid() const { return m_valid; }

    // A signal has come that the event loop has not yet taken: work that
    // keeps the loop waiting (a long read) ends early for it. Any thread.
    static bool pending();

signals:
    void received(int number);

private:
    void readPending();

    QSocketNotifier *m_notifier = nullptr;
    QList<int> m_numbers;
    QList<struct sigaction> m_previous;
    bool m_valid = false;
};

#endif
