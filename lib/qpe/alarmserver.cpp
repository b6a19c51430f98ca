#include "alarmserver.h"
#include "boundedfile.h"
#include "filereplacer.h"
#include "qcopchannel.h"
#include "qpeglobal.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileSystemWatcher>
#include <QPointer>
#include <QBuffer>

#include <algorithm>

namespace {

QPointer<AlarmServer> s_instance;

// A line of some 60 bytes per alarm.
const qint64 MaxAlarmListSize = 16 * 1024 * 1024;
qint64 s_maxFileSize = MaxAlarmListSize;

// Control characters, "%" and tabs would break the line format.
QByteArray encodeField(const QByteArray &in)
{
    QByteArray out;
    out.reserve(in.size());
    for (char ch : in) {
        const uchar c = uchar(ch);
        if (c < 0x20 || c == '%' || c >= 0x7f) {
            out.append('%');
            out.append(QByteArray::number(c, 16).rightJustified(2, '0').toUpper());
        } else {
            out.append(ch);
        }
    }
    return out;
}

bool earlier(const AlarmServer::Alarm &a, const AlarmServer::Alarm &b)
{
    return a.when < b.when;
}

// The list's time text has four digits of year: a local time outside them
// (possible from a time with an offset) would be written as nothing and
// lost at the next read, so it is never kept.
bool hasTimeText(const QDateTime &local)
{
    const int year = local.date().year();
    return year >= 1 && year <= 9999;
}

} // namespace

bool AlarmServer::addAlarm(const QDateTime &when, const QByteArray &channel,
                           const QByteArray &message, int data)
{
    return instance()->add(when, channel, message, data);
}

bool AlarmServer::deleteAlarm(const QDateTime &when, const QByteArray &channel,
                              const QByteArray &message, int data)
{
    return instance()->remove(when, channel, message, data);
}

AlarmServer *AlarmServer::instance()
{
    if (!s_instance)
        s_instance = new AlarmServer(QString(), QCoreApplication::instance());
    return s_instance;
}

AlarmServer::AlarmServer(const QString &dir, QObject *parent)
    : QObject(parent), m_dir(dir.isEmpty() ? Qpe::settingsDir() : dir)
{
    QDir().mkpath(m_dir);
    m_file = m_dir + QStringLiteral("/alarms");
    m_lock.reset(new QLockFile(m_dir + QStringLiteral("/alarms.lock")));
    // a live holder keeps the lock however long it runs
    m_lock->setStaleLockTime(0);
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);   // coarse timers may fire early
    connect(&m_timer, &QTimer::timeout, this, &AlarmServer::onTimeout);
    load();
}

AlarmServer::~AlarmServer()
{
    if (m_locked)
        m_lock->unlock();
}

QDateTime AlarmServer::wholeSeconds(const QDateTime &t)
{
    const QDateTime local = t.toLocalTime();
    return local.addMSecs(-local.time().msec());
}

bool AlarmServer::add(const QDateTime &when, const QByteArray &channel, const QByteArray &message,
                      int data)
{
    // a time that never comes (a null one, or one the clocks skip at a
    // change to summer time) would be kept and never sent: refused
    if (!when.isValid())
        return false;
    const Alarm a{wholeSeconds(when), channel, message, data};
    if (!hasTimeText(a.when))
        return true;
    load();   // another copy on this root may have changed the file
    if (m_alarms.contains(a))
        return true;
    m_alarms.insert(std::upper_bound(m_alarms.begin(), m_alarms.end(), a, earlier), a);
    const bool saved = save();
    arm();
    return saved;
}

bool AlarmServer::remove(const QDateTime &when, const QByteArray &channel,
                         const QByteArray &message, int data)
{
    if (!when.isValid())
        return true;
    load();
    if (m_alarms.removeAll(Alarm{wholeSeconds(when), channel, message, data}) == 0)
        return true;
    const bool saved = save();
    arm();
    return saved;
}

void AlarmServer::start(int startDelay)
{
    m_started = true;
    m_startHold.setRemainingTime(startDelay);
    tryLock();
    load();
    arm();
}

void AlarmServer::tryLock()
{
    if (m_locked)
        return;
    m_locked = m_lock->tryLock(0);
    if (!m_locked)
        return;
    // other copies on this root register into the same file: follow their
    // writes, or an idle holder would never see their alarms
    auto *watcher = new QFileSystemWatcher(QStringList{m_dir}, this);
    connect(watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        load();
        arm();
    });
}

void AlarmServer::setClock(Clock clock)
{
    m_clock = std::move(clock);
    arm();
}

QDateTime AlarmServer::now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

QList<AlarmServer::Alarm> AlarmServer::pending()
{
    load();
    return m_alarms;
}

int AlarmServer::timerInterval() const
{
    return m_timer.isActive() ? m_timer.interval() : -1;
}

void AlarmServer::arm()
{
    if (!m_started)
        return;
    if (!m_locked) {
        // another copy sends; look again later in case it ends
        m_timer.start(MaxInterval);
        return;
    }
    if (m_alarms.isEmpty()) {
        m_timer.stop();
        return;
    }
    const qint64 wait = now().msecsTo(m_alarms.first().when);
    qint64 interval = qBound<qint64>(0, wait, MaxInterval);
    // alarms that fell due before the start wait for the program to come up
    interval = qMax<qint64>(interval, m_startHold.remainingTime());
    m_timer.start(int(interval));
}

void AlarmServer::onTimeout()
{
    deliverDue();
    if (!m_locked)
        arm();
}

void AlarmServer::deliverDue()
{
    tryLock();
    if (!m_locked)
        return;
    load();
    const QDateTime t = now();
    QList<Alarm> due;
    while (!m_alarms.isEmpty() && m_alarms.first().when <= t)
        due.append(m_alarms.takeFirst());
    // a list that cannot be written still lets the due alarms ring: they may
    // ring again at the next start, which beats never
    if (!due.isEmpty())
        save();
    for (const Alarm &a : due) {
        QByteArray data;
        QDataStream ds(&data, QIODevice::WriteOnly);
        ds.setVersion(Qpe::StreamVersion);
        ds << a.when << qint32(a.data);
        QCopChannel::send(a.channel, a.message, data);
    }
    arm();
}

void AlarmServer::setMaxFileSize(qint64 size)
{
    s_maxFileSize = size > 0 ? size : MaxAlarmListSize;
}

void AlarmServer::load()
{
    QByteArray bytes;
    const BoundedFile::Result r = BoundedFile::readAll(m_file, s_maxFileSize, bytes);
    if (r == BoundedFile::NotRegular || r == BoundedFile::TooLarge) {
        // out of the way: the next save writes the alarms this process holds
        BoundedFile::setAside(m_file);
        return;
    }
    if (r != BoundedFile::Ok)
        return;   // nothing written yet (or not readable): keep what we have
    QBuffer f(&bytes);
    f.open(QIODevice::ReadOnly);
    QList<Alarm> list;
    while (!f.atEnd()) {
        const QByteArray line = f.readLine().trimmed();
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() != 4)
            continue;
        Alarm a;
        a.when = QDateTime::fromString(QString::fromLatin1(fields.at(0)), Qt::ISODate);
        bool ok = false;
        a.data = fields.at(3).toInt(&ok);
        if (!a.when.isValid() || !ok || fields.at(1).isEmpty())
            continue;
        a.when = wholeSeconds(a.when);
        if (!hasTimeText(a.when))
            continue;
        a.channel = QByteArray::fromPercentEncoding(fields.at(1));
        a.message = QByteArray::fromPercentEncoding(fields.at(2));
        if (!list.contains(a))
            list.append(a);
    }
    std::stable_sort(list.begin(), list.end(), earlier);
    m_alarms = list;
}

bool AlarmServer::save() const
{
    QByteArray text;
    for (const Alarm &a : m_alarms) {
        text += a.when.toString(Qt::ISODate).toLatin1();
        text += '\t' + encodeField(a.channel) + '\t' + encodeField(a.message) + '\t'
              + QByteArray::number(a.data) + '\n';
    }
    if (FileReplacer::write(m_file, text))
        return true;
    qWarning("AlarmServer: cannot write %s: %s", qPrintable(m_file),
             qPrintable(FileReplacer::lastFailureText()));
    return false;
}
