#ifndef ALARMSERVER_H
#define ALARMSERVER_H

#include "filestamp.h"
#include "keyedmerge.h"
#include "wallclock.h"

#include <QByteArray>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QVector>

#include <functional>
#include <memory>
#include <vector>

#include <sys/types.h>

// Timed messages: a registered alarm sends its message on its channel at its
// time (never earlier), with (QDateTime when, qint32 data) as the message
// data. Registrations are kept in <root>/Settings/alarms and survive a
// restart; an alarm that fell due while no copy of the program ran is sent
// shortly after start. Only one running copy per user root sends.
//
// A sent alarm whose channel has a receiver stays in the list until that
// receiver deletes it (the user dismissed or snoozed the reminder): one that
// was still showing when the program ended is sent again at the next start.
// Within one run it is sent once.
//
// Every copy of the program on a root writes the one list, a shared file
// (SharedFile): each change is merged under the folder's lock onto the list
// as it is on disk then, so no copy drops another's registrations or brings
// back one another deleted. A write refused (another copy holds the folder)
// or failed (a full disk) is kept, named in UnsavedFiles and retried.
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
    static bool deleteAlarms(const QVector<Alarm> &alarms);
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
    // which would never come and is not kept. Deleting an alarm already
    // sent is written once the current event is done (many go at once when
    // many were sent). A removal names a stored entry by its wall time (also
    // an invalid local time, one this zone skips) or by the moment it was
    // sent at.
    bool add(const QDateTime &when, const QByteArray &channel, const QByteArray &message, int data);
    // Those of many alarms the list lacks added at once, in one read and
    // one sort of the list: an opening listing thousands of reminders. One
    // the list holds at that wall time, in either showing of a repeated
    // hour (registered()), is left as it is.
    bool addAll(const QVector<Alarm> &alarms);
    // The alarms on channel whose data is key (one book's, see the data
    // below) made exactly these, in one write: every one of toCome, and
    // each of due (a moment past) whose message the list holds already
    // for key or for data 0, at its moment here: a reminder not yet dealt
    // with, which rings now. With dropOthers, an entry of key whose
    // message is none of them leaves; an entry of data 0 (an earlier
    // version's, which names no book) with the message of one of them
    // gives way to it. One already listed at that moment stays as it is.
    // About n log n however many share a moment.
    bool setAlarmsOf(const QByteArray &channel, int key, const QVector<Alarm> &toCome,
                     const QVector<Alarm> &due, bool dropOthers = true);
    bool remove(const QDateTime &when, const QByteArray &channel, const QByteArray &message,
                int data);
    // Many removals at once, each as remove() takes it: the list read
    // once and its entries erased in one pass, not moved up for each.
    bool remove(const QVector<Alarm> &alarms);
    // Changes made while a hold is on are written once, as the last hold
    // ends: a stroke of many registrations takes one write of the list, not
    // one each (the changes count at once in this process). Holds nest. A
    // hold lasts as long as its guard, so that no path out of a stroke
    // leaves the list unwritten for the rest of the session.
    class WriteHold
    {
    public:
        explicit WriteHold(AlarmServer *server = AlarmServer::instance());
        ~WriteHold();
        WriteHold(const WriteHold &) = delete;
        WriteHold &operator=(const WriteHold &) = delete;
        // Ends the hold now; false when the list could not be written
        // (then kept and retried). Once only: later calls do nothing.
        bool release();

    private:
        QPointer<AlarmServer> m_server;
    };
    // How many times this server wrote the list (a test hook).
    int writeCount() const { return m_writes; }
    // The moment the list holds an alarm at, named by its wall time (either
    // showing of a repeated one); null when the list holds none there.
    QDateTime registered(const QDateTime &when, const QByteArray &channel, const QByteArray &message,
                         int data);

    // Takes the delivery lock and arms the timer; alarms already due are sent
    // after startDelay milliseconds.
    void start(int startDelay = 1000);
    bool isStarted() const { return m_started; }
    // Whether this server holds the lock, so sends.
    bool isDelivering() const { return m_lockFd >= 0; }

    // Test hooks: the clock compared with the alarm times (null = system
    // clock), send what is due now, the alarms of the list in time order
    // (those sent and not yet deleted included), the armed timer's interval
    // (-1 when idle).
    void setClock(Clock clock);
    QDateTime now() const;
    void deliverDue();
    QList<Alarm> pending();
    int timerInterval() const;
    QString fileName() const { return m_file; }
    // Writes what this server changed and has not written yet.
    bool flush();

    static QDateTime wholeSeconds(const QDateTime &t);

    // Longest wait before the clock is read again (catches clock changes and
    // suspend).
    static constexpr int MaxInterval = 60000;

    // An alarm as kept here: its local time as a number (WallClock's count
    // of wall time, which orders the list), for a list of hundreds of
    // thousands read without a date-time object per alarm. A wall time the
    // clocks show twice (the hour repeated as they go back) keeps the
    // offset from UTC it was meant in, and is written with it.
    struct Entry
    {
        static constexpr int NoOffset = WallClock::NoOffset;
        qint64 at = 0;
        QByteArray channel;
        QByteArray message;
        int data = 0;
        int offset = NoOffset;
        bool operator==(const Entry &o) const
        {
            return at == o.at && channel == o.channel && message == o.message && data == o.data
                   && offset == o.offset;
        }
        // The entry of an alarm at a moment: the wall time here, with its
        // offset where the clocks show that wall time twice. False for a
        // time that names no moment.
        static bool of(const QDateTime &moment, const QByteArray &channel, const QByteArray &message, int data,
                       Entry &e);
        static Entry of(const QDate &date, const QTime &time, const QByteArray &channel,
                        const QByteArray &message, int data);
        // The moment it rings in the zone in force: always a valid one.
        QDateTime when() const;
        Alarm alarm() const;
    };

private:
    // The list as on disk now when another copy changed it since it was
    // last read or written here, with this server's unwritten changes on it.
    void refresh();
    QString lockFileName() const;
    // The stored entry a removal names: the one at that wall time, or the
    // one whose skipped wall time reads as that moment here. The list as
    // read last (the caller refreshes it).
    Entry storedEntry(const QDateTime &when, const QByteArray &channel,
                      const QByteArray &message, int data);
    // The entry before from of e's alarm stored at a wall time the zone in
    // force skips, which reads as moment (after the gap); -1 for none.
    int skippedBefore(int from, const Entry &e, const QDateTime &moment) const;
    void insert(const Entry &e);
    // Entries sorted in among the list's, behind those of the same time.
    void mergeIn(QVector<Entry> &fresh);
    // The list without the entries marked.
    void eraseMarked(const std::vector<char> &gone);
    bool take(const Entry &e);
    // The list's entries for the merge (KeyedMerge: an alarm by its line),
    // and the alarms of merged ones.
    KeyedMerge::Entries entries() const;
    void takeEntries(const KeyedMerge::Entries &entries);
    // A save's merged list, written: the new base and content.
    void takeWritten(const KeyedMerge::Entries &merged);
    // Writes the changes and arms the timer, unless a hold is on.
    bool written();
    void holdWrites();
    bool releaseWrites();
    void arm();
    // The unsent alarms due at t, then the first one that is not, each with
    // its moment (see nextAlarms in the source).
    QVector<QPair<int, QDateTime>> nextAlarms(const QDateTime &t) const;
    void onTimeout();
    void tryLock();
    int firstUnsent() const;

    QString m_dir;
    QString m_file;
    // the lock of the copy that rings (LockFile), -1 while another holds it
    int m_lockFd = -1;
    bool m_started = false;
    // sorted by time; equal times in the order they came
    QVector<Entry> m_alarms;
    // the list as last read or written here: what the merge compares with
    KeyedMerge::Entries m_base;
    // changes not yet written, merged onto a list read anew
    bool m_listChanged = false;
    // holds not yet released
    int m_holds = 0;
    int m_writes = 0;
    // sent in this run and not yet deleted
    QSet<Entry> m_sent;
    FileStamp m_stamp;
    QTimer m_timer;
    QTimer m_flushTimer;
    QDeadlineTimer m_startHold;
    Clock m_clock;
};

uint qHash(const AlarmServer::Entry &e, uint seed = 0);

#endif
