#ifndef ALARMSERVER_H
#define ALARMSERVER_H

#include <QByteArray>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QList>
#include <QLockFile>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

// Timed messages: a registered alarm sends its message on its channel at its
// time (never earlier), with (QDateTime when, qint32 data) as the message
// data. Registrations are kept in <root>/Settings/alarms and survive a
// restart; an alarm that fell due while no copy of the program ran is sent
// shortly after start. Only one running copy per user root sends.
class AlarmServer : public QObject
{
    Q_OBJECT
public:
    struct Alarm
    {
        QDateTime when;   // whole seconds, local time
        QByteArray channel;
        QByteArray message;
        int data = 0;
        bool operator==(const Alarm &o) const
        {
            return when == o.when && channel == o.channel && message == o.message && data == o.data;
        }
    };
    using Clock = std::function<QDateTime()>;

    // The platform's calls; they act on the process's server.
    // False when the alarm list could not be written (the change then holds
    // only in this process) or the time is invalid (see add).
    static bool addAlarm(const QDateTime &when, const QByteArray &channel,
                         const QByteArray &message, int data = 0);
    static bool deleteAlarm(const QDateTime &when, const QByteArray &channel,
                            const QByteArray &message, int data = 0);
    // The process's server over <root>/Settings, made on first use.
    static AlarmServer *instance();

    // The largest alarm list read; a larger one, or one that is no regular
    // file, is set aside. For tests, 0 brings back the default.
    static void setMaxFileSize(qint64 size);

    // A server keeping its alarms in dir (default <root>/Settings).
    explicit AlarmServer(const QString &dir = QString(), QObject *parent = nullptr);
    ~AlarmServer() override;

    // Adding an alarm already present, or deleting one that is not, does
    // nothing. Times are cut to whole seconds. False when the list could not
    // be written, and for an invalid time (a local time the clocks skip),
    // which would never come and is not kept.
    bool add(const QDateTime &when, const QByteArray &channel, const QByteArray &message, int data);
    bool remove(const QDateTime &when, const QByteArray &channel, const QByteArray &message,
                int data);

    // Takes the delivery lock and arms the timer; alarms already due are sent
    // after startDelay milliseconds.
    void start(int startDelay = 1000);
    bool isStarted() const { return m_started; }
    // Whether this server holds the lock, so sends.
    bool isDelivering() const { return m_locked; }

    // Test hooks: the clock compared with the alarm times (null = system
    // clock), send what is due now, the pending alarms in time order, the
    // armed timer's interval (-1 when idle).
    void setClock(Clock clock);
    QDateTime now() const;
    void deliverDue();
    QList<Alarm> pending();
    int timerInterval() const;
    QString fileName() const { return m_file; }

    static QDateTime wholeSeconds(const QDateTime &t);
    // Longest wait before the clock is read again (catches clock changes and
    // suspend).
    static constexpr int MaxInterval = 60000;

private:
    void load();
    bool save() const;
    void arm();
    void onTimeout();
    void tryLock();

    QString m_dir;
    QString m_file;
    std::unique_ptr<QLockFile> m_lock;
    bool m_locked = false;
    bool m_started = false;
    QList<Alarm> m_alarms;
    QTimer m_timer;
    QDeadlineTimer m_startHold;
    Clock m_clock;
};

#endif
