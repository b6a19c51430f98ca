#include "alarmserver.h"
#include "boundedfile.h"
#include "filereplacer.h"
#include "folderlock.h"
#include "lockfile.h"
#include "qcopchannel.h"
#include "qpeglobal.h"
#include "sharedfile.h"
#include "loadbudget.h"
#include "wallclock.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileSystemWatcher>
#include <QPointer>

#include <algorithm>
#include <cstring>
#include <iterator>

#include <sys/stat.h>

namespace {

QPointer<AlarmServer> s_instance;

// A line of some 60 bytes per alarm.
const qint64 MaxAlarmListSize = 16 * 1024 * 1024;
qint64 s_maxFileSize = MaxAlarmListSize;

// Control characters, "%" and tabs would break the line format.
void appendField(QByteArray &out, const QByteArray &in)
{
    static const char hex[] = "0123456789ABCDEF";
    const auto plain = [](char ch) {
        const uchar c = uchar(ch);
        return c >= 0x20 && c != '%' && c < 0x7f;
    };
    if (std::all_of(in.begin(), in.end(), plain)) {
        out.append(in);
        return;
    }
    for (char ch : in) {
        const uchar c = uchar(ch);
        if (c < 0x20 || c == '%' || c >= 0x7f) {
            out.append('%');
            out.append(hex[c >> 4]);
            out.append(hex[c & 15]);
        } else {
            out.append(ch);
        }
    }
}

bool earlier(const AlarmServer::Entry &a, const AlarmServer::Entry &b)
{
    return a.at < b.at;
}

// The list's time text has four digits of year: a wall time outside them
// (possible from a time with an offset) would be written as nothing and
// lost at the next read, so it is never kept.
bool hasTimeText(qint64 wall)
{
    return wall >= WallClock::wallOf(QDate(1, 1, 1), QTime(0, 0))
           && wall <= WallClock::wallOf(QDate(9999, 12, 31), QTime(23, 59, 59));
}

// The digits of text[from, from + n), or -1.
int digits(const char *text, int from, int n)
{
    int v = 0;
    for (int i = from; i < from + n; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        v = v * 10 + (text[i] - '0');
    }
    return v;
}

// The wall time of a line: the list's own form "YYYY-MM-DDTHH:MM:SS" is
// read without the general date parser and without asking the time zone
// (a long list has hundreds of thousands); any other form (an offset, a
// fraction) goes through the parser. A time with an offset is the wall
// time it shows, the offset kept where it tells one of the two showings of
// that wall time here: the list of a zone left behind rings each alarm at
// its wall time in the zone in force, as its expense shows it. False when
// it is no time the list can hold.
bool timeOfText(const QByteArray &text, qint64 &at, int &offset)
{
    const char *t = text.constData();
    QDate date;
    QTime time;
    offset = WallClock::NoOffset;
    if (text.size() == 19 && t[4] == '-' && t[7] == '-' && t[10] == 'T' && t[13] == ':'
        && t[16] == ':') {
        date = QDate(digits(t, 0, 4), digits(t, 5, 2), digits(t, 8, 2));
        time = QTime(digits(t, 11, 2), digits(t, 14, 2), digits(t, 17, 2));
    } else {
        const QDateTime parsed = QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate);
        if (!parsed.isValid())
            return false;
        date = parsed.date();
        time = parsed.time();
        offset = WallClock::showingOffset(parsed);
    }
    if (!date.isValid() || !time.isValid() || date.year() < 1 || date.year() > 9999)
        return false;
    at = WallClock::wallOf(date, time);
    return true;
}

void appendDigits(char *to, int value, int n)
{
    for (int i = n - 1; i >= 0; --i, value /= 10)
        to[i] = char('0' + value % 10);
}

// "YYYY-MM-DDTHH:MM:SS" of a wall-clock number: a long list is written at
// every change.
void appendTimeText(QByteArray &out, qint64 at)
{
    int year = 0, month = 0, day = 0, secs = 0;
    WallClock::fieldsOf(at, year, month, day, secs);
    char text[19];
    appendDigits(text, year, 4);
    text[4] = '-';
    appendDigits(text + 5, month, 2);
    text[7] = '-';
    appendDigits(text + 8, day, 2);
    text[10] = 'T';
    appendDigits(text + 11, secs / 3600, 2);
    text[13] = ':';
    appendDigits(text + 14, secs / 60 % 60, 2);
    text[16] = ':';
    appendDigits(text + 17, secs % 60, 2);
    out.append(text, 19);
}

// "+HH:MM" or "-HH:MM" of an offset from UTC.
void appendOffsetText(QByteArray &out, int offset)
{
    char text[6];
    text[0] = offset < 0 ? '-' : '+';
    const int minutes = qAbs(offset) / 60;
    appendDigits(text + 1, minutes / 60 % 100, 2);
    text[3] = ':';
    appendDigits(text + 4, minutes % 60, 2);
    out.append(text, 6);
}

// The list's line of an alarm, its key in the merge: one alarm, one text.
QByteArray lineOf(const AlarmServer::Entry &e)
{
    QByteArray text;
    text.reserve(24 + e.channel.size() + e.message.size());
    appendTimeText(text, e.at);
    if (e.offset != WallClock::NoOffset)
        appendOffsetText(text, e.offset);
    text += '\t';
    appendField(text, e.channel);
    text += '\t';
    appendField(text, e.message);
    text += '\t';
    if (e.data >= 0 && e.data < 10)
        text += char('0' + e.data);
    else
        text += QByteArray::number(e.data);
    return text;
}

// The alarm of a line; false when it is none (no line the list holds has a
// control character but its tabs).
bool entryOfLine(const QByteArray &text, AlarmServer::Entry &e)
{
    const QByteArray line = text.trimmed();
    if (std::any_of(line.begin(), line.end(), [](char c) { return uchar(c) < 0x20 && c != '\t'; }))
        return false;
    const QList<QByteArray> fields = line.split('\t');
    if (fields.size() != 4)
        return false;
    bool ok = false;
    e.data = fields.at(3).toInt(&ok);
    if (!ok || fields.at(1).isEmpty() || !timeOfText(fields.at(0), e.at, e.offset))
        return false;
    e.channel = QByteArray::fromPercentEncoding(fields.at(1));
    e.message = QByteArray::fromPercentEncoding(fields.at(2));
    return true;
}

qint64 keyCost(const QByteArray &key)
{
    return LoadBudget::heapBytes(qint64(sizeof(QArrayData)) + key.size() + 1) + 16;
}

// The alarm list as a shared file: its alarms keyed by their lines, in
// time order.
class AlarmListKind : public SharedFile::Kind
{
public:
    QString what() const override { return QCoreApplication::translate("AlarmServer", "the alarm list"); }
    qint64 maxSize() const override { return s_maxFileSize; }
    // a line that is no alarm leaves the others ringing
    bool keepsWhatReads() const override { return true; }
    bool read(const QByteArray &bytes, KeyedMerge::Entries &entries, LoadBudget &budget) const override
    {
        const char *text = bytes.constData();
        const int size = bytes.size();
        bool whole = true;
        qint64 alarmsCost = 0;
        for (int from = 0; from < size;) {
            const char *nl = static_cast<const char *>(memchr(text + from, '\n', size_t(size - from)));
            const int end = nl ? int(nl - text) : size;
            const QByteArray line = QByteArray::fromRawData(text + from, end - from);
            from = end + 1;
            AlarmServer::Entry e;
            if (line.trimmed().isEmpty())
                continue;
            if (!entryOfLine(line, e)) {
                whole = false;
                continue;
            }
            const QByteArray key = lineOf(e);
            // the entry now; the alarm the server makes of it once the
            // repeated ones are gone
            const qint64 alarmCost = qint64(sizeof(AlarmServer::Entry))
                                     + LoadBudget::heapBytes(qint64(sizeof(QArrayData)) + e.channel.size() + 1)
                                     + LoadBudget::heapBytes(qint64(sizeof(QArrayData)) + e.message.size() + 1);
            if (!budget.charge(keyCost(key) + alarmCost, 1))
                return false;
            alarmsCost += alarmCost;
            entries.append({key, QByteArray()});
        }
        // in time order (the line starts with it), equal times in the
        // order they came; an alarm once
        std::stable_sort(entries.begin(), entries.end(), [](const KeyedMerge::Entry &a, const KeyedMerge::Entry &b) {
            return memcmp(a.key.constData(), b.key.constData(), 19) < 0;
        });
        int kept = 0;
        qint64 freed = 0;
        // the alarms of one time seen so far (the keys shared, not copied)
        QSet<QByteArray> ofTime;
        for (int i = 0; i < entries.size(); ++i) {
            if (i > 0 && memcmp(entries.at(i - 1).key.constData(), entries.at(i).key.constData(), 19) != 0)
                ofTime.clear();
            const bool seen = ofTime.contains(entries.at(i).key);
            if (!seen)
                ofTime.insert(entries.at(i).key);
            if (!seen)
                entries[kept++] = entries.at(i);
            else
                freed += keyCost(entries.at(i).key);
        }
        const int read = entries.size();
        entries.resize(kept);
        // the repeated lines are gone, and make no alarms
        budget.charge(-(alarmsCost * (read - kept) / qMax(read, 1) + freed));
        return whole;
    }
    QByteArray write(const KeyedMerge::Entries &entries) const override
    {
        QByteArray text;
        qint64 size = 0;
        for (const KeyedMerge::Entry &e : entries)
            size += e.key.size() + 1;
        text.reserve(int(qMin<qint64>(size, s_maxFileSize + 1)));
        for (const KeyedMerge::Entry &e : entries) {
            text += e.key;
            text += '\n';
        }
        // an empty file reads as a torn one
        return text.isEmpty() ? QByteArray("\n") : text;
    }
};

} // namespace

uint qHash(const AlarmServer::Entry &e, uint seed)
{
    return qHash(e.at, seed) ^ qHash(e.message, seed) ^ qHash(e.channel, seed) ^ uint(e.data) ^ uint(e.offset);
}

bool AlarmServer::Entry::of(const QDateTime &moment, const QByteArray &channel, const QByteArray &message,
                            int data, Entry &e)
{
    qint64 secs = 0;
    if (!WallClock::secondsOf(moment, secs))
        return false;
    // the wall time looked up once: a book opened asks this of thousands
    int offset = WallClock::NoOffset;
    const qint64 wall = WallClock::wallAt(secs, offset);
    e = Entry{wall, channel, message, data, offset};
    return true;
}

AlarmServer::Entry AlarmServer::Entry::of(const QDate &date, const QTime &time,
                                          const QByteArray &channel, const QByteArray &message,
                                          int data)
{
    return Entry{WallClock::wallOf(date, time), channel, message, data};
}

QDateTime AlarmServer::Entry::when() const
{
    return WallClock::local(WallClock::moment(WallClock::dateOf(at), WallClock::timeOf(at), offset));
}

QDateTime AlarmServer::registered(const QDateTime &when, const QByteArray &channel, const QByteArray &message,
                                  int data)
{
    Entry e;
    if (!when.isValid() || !Entry::of(when, channel, message, data, e))
        return QDateTime();
    refresh();
    const auto it = std::lower_bound(m_alarms.begin(), m_alarms.end(), e, earlier);
    for (auto i = it; i != m_alarms.end() && i->at == e.at; ++i) {
        if (i->channel == channel && i->message == message && i->data == data)
            return i->when();
    }
    // a wall time the zone in force skips rings, and is sent, after the gap
    const int skipped = skippedBefore(int(it - m_alarms.begin()), e, e.when());
    return skipped >= 0 ? m_alarms.at(skipped).when() : QDateTime();
}

int AlarmServer::skippedBefore(int from, const Entry &e, const QDateTime &moment) const
{
    // only the first whole minute after a gap is what a skipped wall time
    // reads as: elsewhere no look back (a purge of thousands within days
    // would look through them all for each)
    qint64 secs = 0;
    if (from == 0 || !WallClock::secondsOf(moment, secs) || WallClock::wallAt(secs - 60) == e.at - 60)
        return -1;
    for (int i = from; i > 0;) {
        const Entry &s = m_alarms.at(--i);
        if (e.at - s.at > 4 * 24 * 3600)
            break;
        if (s.channel == e.channel && s.message == e.message && s.data == e.data && s.when() == moment)
            return i;
    }
    return -1;
}

AlarmServer::Entry AlarmServer::storedEntry(const QDateTime &when, const QByteArray &channel,
                                            const QByteArray &message, int data)
{
    // an invalid local time (one this zone skips) still names its wall time
    Entry e;
    if (!when.isValid() || !Entry::of(when, channel, message, data, e))
        e = Entry::of(when.date(), QTime(when.time().hour(), when.time().minute(), when.time().second()),
                      channel, message, data);
    auto it = std::lower_bound(m_alarms.begin(), m_alarms.end(), e, earlier);
    for (auto i = it; i != m_alarms.end() && i->at == e.at; ++i) {
        if (*i == e)
            return e;
    }
    // a repeated wall time told in its other showing (a book keeps a
    // reminder's wall time alone)
    for (auto i = it; i != m_alarms.end() && i->at == e.at; ++i) {
        if (i->channel == channel && i->message == message && i->data == data)
            return *i;
    }
    // the moment a stored wall time this zone skips reads as lies after it:
    // the entry is matched by what is stored, not by that moment
    if (!when.isValid())
        return e;
    const int skipped = skippedBefore(int(it - m_alarms.begin()), e, e.when());
    return skipped >= 0 ? m_alarms.at(skipped) : e;
}

AlarmServer::Alarm AlarmServer::Entry::alarm() const
{
    return Alarm{when(), channel, message, data};
}

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

bool AlarmServer::deleteAlarms(const QVector<Alarm> &alarms)
{
    return instance()->remove(alarms);
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
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);   // coarse timers may fire early
    connect(&m_timer, &QTimer::timeout, this, &AlarmServer::onTimeout);
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(0);
    connect(&m_flushTimer, &QTimer::timeout, this, [this] { flush(); });
    refresh();
}

AlarmServer::~AlarmServer()
{
    // an ending server writes what it holds and arms nothing: its clock
    // may be gone before it
    m_started = false;
    m_clock = nullptr;
    if (m_listChanged)
        flush();
    LockFile::release(m_lockFd, lockFileName());
}

QString AlarmServer::lockFileName() const
{
    return m_dir + QStringLiteral("/alarms.lock");
}

QDateTime AlarmServer::wholeSeconds(const QDateTime &t)
{
    return WallClock::after(t, 0);
}

void AlarmServer::insert(const Entry &e)
{
    m_alarms.insert(std::upper_bound(m_alarms.begin(), m_alarms.end(), e, earlier), e);
}

bool AlarmServer::take(const Entry &e)
{
    auto it = std::lower_bound(m_alarms.begin(), m_alarms.end(), e, earlier);
    for (; it != m_alarms.end() && it->at == e.at; ++it) {
        if (*it == e) {
            m_alarms.erase(it);
            return true;
        }
    }
    return false;
}

bool AlarmServer::add(const QDateTime &when, const QByteArray &channel, const QByteArray &message,
                      int data)
{
    // a time that never comes (a null one, or one the clocks skip at a
    // change to summer time) would be kept and never sent: refused
    Entry e;
    if (!when.isValid() || !Entry::of(when, channel, message, data, e))
        return false;
    if (!hasTimeText(e.at))
        return true;
    // registered anew: it rings again
    m_sent.remove(e);
    refresh();
    auto it = std::lower_bound(m_alarms.begin(), m_alarms.end(), e, earlier);
    bool present = false;
    // the same alarm stored with or without the offset of its moment (a
    // wall time alone of the list's earlier form) is the same
    for (; it != m_alarms.end() && it->at == e.at && !present; ++it)
        present = *it == e
                  || (it->channel == channel && it->message == message && it->data == data
                      && (it->offset == e.offset || it->when() == e.when()));
    if (!present) {
        insert(e);
        m_listChanged = true;
    }
    return written();
}

namespace {

// An alarm by its wall time, in either showing: what addAll looks one up
// by. It points into entries that stay where they are meanwhile.
struct WallKey
{
    qint64 at;
    const QByteArray *channel;
    const QByteArray *message;
    int data;
    explicit WallKey(const AlarmServer::Entry &e) : at(e.at), channel(&e.channel), message(&e.message), data(e.data) {}
    bool operator==(const WallKey &o) const
    {
        return at == o.at && data == o.data && *message == *o.message && *channel == *o.channel;
    }
};

uint qHash(const WallKey &k, uint seed)
{
    return ::qHash(k.at, seed) ^ ::qHash(*k.message, seed) ^ uint(k.data);
}

} // namespace

void AlarmServer::mergeIn(QVector<Entry> &fresh)
{
    if (fresh.isEmpty())
        return;
    std::stable_sort(fresh.begin(), fresh.end(), earlier);
    QVector<Entry> merged;
    merged.reserve(m_alarms.size() + fresh.size());
    std::merge(std::make_move_iterator(m_alarms.begin()), std::make_move_iterator(m_alarms.end()),
               std::make_move_iterator(fresh.begin()), std::make_move_iterator(fresh.end()),
               std::back_inserter(merged), earlier);
    m_alarms = std::move(merged);
}

void AlarmServer::eraseMarked(const std::vector<char> &gone)
{
    int kept = 0;
    for (int i = 0; i < m_alarms.size(); ++i) {
        if (gone[size_t(i)])
            continue;
        if (kept != i)
            m_alarms[kept] = std::move(m_alarms[i]);
        ++kept;
    }
    m_alarms.resize(kept);
}

bool AlarmServer::addAll(const QVector<Alarm> &alarms)
{
    refresh();
    // looked up by hash, not by a walk through the entries of one time:
    // a book's reminders may all share one
    QVector<Entry> fresh;
    fresh.reserve(alarms.size());
    QSet<WallKey> held;
    held.reserve(m_alarms.size() + alarms.size());
    for (const Entry &e : qAsConst(m_alarms))
        held.insert(WallKey(e));
    for (const Alarm &a : alarms) {
        Entry e;
        if (!a.when.isValid() || !Entry::of(a.when, a.channel, a.message, a.data, e) || !hasTimeText(e.at)
            || held.contains(WallKey(e)))
            continue;
        // reserved: the entries the set points to stay where they are
        fresh.append(std::move(e));
        held.insert(WallKey(fresh.last()));
        m_sent.remove(fresh.last());
    }
    held.clear();
    if (fresh.isEmpty())
        return written();
    mergeIn(fresh);
    m_listChanged = true;
    return written();
}

bool AlarmServer::setAlarmsOf(const QByteArray &channel, int key, const QVector<Alarm> &toCome,
                              const QVector<Alarm> &due, bool dropOthers)
{
    refresh();
    const int toComeCount = toCome.size();
    const int n = toComeCount + due.size();
    const auto alarmAt = [&](int i) -> const Alarm & {
        return i < toComeCount ? toCome.at(i) : due.at(i - toComeCount);
    };
    // each by its message, the first of one counting (a book names an
    // expense once)
    QHash<QByteArray, int> byMessage;
    byMessage.reserve(n);
    for (int i = n - 1; i >= 0; --i)
        byMessage.insert(alarmAt(i).message, i);
    enum : char { Made = 1, NoTime = 2, Held = 4, Placed = 8 };
    std::vector<char> state(static_cast<size_t>(n), 0);
    std::vector<Entry> wanted(static_cast<size_t>(n));
    // the entry an alarm makes here, worked out only where needed: a past
    // reminder the list does not hold costs no look at the zone
    const auto entryOf = [&](int i) -> const Entry * {
        char &s = state[size_t(i)];
        if (!(s & Made)) {
            s |= Made;
            const Alarm &a = alarmAt(i);
            Entry &e = wanted[size_t(i)];
            if (!a.when.isValid() || !Entry::of(a.when, channel, a.message, key, e) || !hasTimeText(e.at))
                s |= NoTime;
        }
        return (s & NoTime) ? nullptr : &wanted[size_t(i)];
    };
    std::vector<char> gone(size_t(m_alarms.size()), 0);
    bool erased = false;
    for (int i = 0; i < m_alarms.size(); ++i) {
        const Entry &e = m_alarms.at(i);
        if ((e.data != key && e.data != 0) || e.channel != channel)
            continue;
        const auto it = byMessage.constFind(e.message);
        if (it == byMessage.cend()) {
            // the book names it no more: its expense is gone, or its
            // reminder was cleared
            if (e.data == key && dropOthers) {
                gone[size_t(i)] = 1;
                erased = true;
            }
            continue;
        }
        const int w = it.value();
        state[size_t(w)] |= Held;
        const Entry *want = entryOf(w);
        // at the same wall time in the later showing of a repeated hour: a
        // moment an earlier version chose and kept in the list alone, its
        // book holding the wall time (which reads as the first)
        if (e.data == key && want && !(state[size_t(w)] & Placed)
            && (e == *want || (e.at == want->at && e.when() >= want->when()))) {
            state[size_t(w)] |= Placed;
            continue;
        }
        // listed at another moment (in another zone, by a change cut
        // short), twice, or by an earlier version under no book
        if (dropOthers) {
            gone[size_t(i)] = 1;
            erased = true;
        }
    }
    QVector<Entry> fresh;
    for (int w = 0; w < n; ++w) {
        const char s = state[size_t(w)];
        if ((s & Placed) || (w >= toComeCount && !(s & Held)))
            continue;
        if (const Entry *e = entryOf(w))
            fresh.append(*e);
    }
    if (!erased && fresh.isEmpty())
        return written();
    if (erased) {
        for (int i = 0; i < m_alarms.size(); ++i) {
            if (gone[size_t(i)])
                m_sent.remove(m_alarms.at(i));
        }
        eraseMarked(gone);
    }
    for (const Entry &e : qAsConst(fresh))
        m_sent.remove(e);
    mergeIn(fresh);
    m_listChanged = true;
    return written();
}

bool AlarmServer::remove(const QDateTime &when, const QByteArray &channel,
                         const QByteArray &message, int data)
{
    return remove(QVector<Alarm>{Alarm{when, channel, message, data}});
}

bool AlarmServer::remove(const QVector<Alarm> &alarms)
{
    refresh();
    // the entries named, marked first and erased together: one erased at a
    // time moves every entry behind it each time
    std::vector<char> gone(size_t(m_alarms.size()), 0);
    bool erased = false;
    bool unsent = false;
    bool sent = false;
    // many at once (a purge): each found by hash, not by a walk through the
    // entries of its time, which may be all of them
    const bool hashed = alarms.size() > 16;
    QMultiHash<WallKey, int> byWall;
    if (hashed) {
        byWall.reserve(m_alarms.size());
        for (int i = 0; i < m_alarms.size(); ++i)
            byWall.insert(WallKey(m_alarms.at(i)), i);
    }
    for (const Alarm &a : alarms) {
        if (!a.when.date().isValid() || !a.when.time().isValid())
            continue;
        if (hashed) {
            // as storedEntry() names it
            Entry named;
            if (!a.when.isValid() || !Entry::of(a.when, a.channel, a.message, a.data, named))
                named = Entry::of(a.when.date(),
                                  QTime(a.when.time().hour(), a.when.time().minute(), a.when.time().second()),
                                  a.channel, a.message, a.data);
            const WallKey key(named);
            int found = -1;
            for (auto it = byWall.constFind(key); it != byWall.cend() && it.key() == key; ++it) {
                if (gone[size_t(it.value())])
                    continue;
                found = it.value();
                if (m_alarms.at(found) == named)
                    break;
            }
            if (found < 0 && a.when.isValid()) {
                const auto from = std::lower_bound(m_alarms.cbegin(), m_alarms.cend(), named, earlier);
                const int skipped = skippedBefore(int(from - m_alarms.cbegin()), named, named.when());
                if (skipped >= 0 && !gone[size_t(skipped)])
                    found = skipped;
            }
            const bool wasSent = m_sent.remove(found >= 0 ? m_alarms.at(found) : named);
            sent = sent || wasSent;
            if (found >= 0) {
                gone[size_t(found)] = 1;
                erased = true;
                unsent = unsent || !wasSent;
            }
            continue;
        }
        const Entry e = storedEntry(a.when, a.channel, a.message, a.data);
        // a sent alarm the user has dealt with: written with the others the
        // same moment dealt with, so that hundreds take one write
        const bool wasSent = m_sent.remove(e);
        sent = sent || wasSent;
        for (auto i = std::lower_bound(m_alarms.cbegin(), m_alarms.cend(), e, earlier);
             i != m_alarms.cend() && i->at == e.at; ++i) {
            char &mark = gone[size_t(i - m_alarms.cbegin())];
            if (!mark && *i == e) {
                mark = 1;
                erased = true;
                // one named and not there asks for no write now
                unsent = unsent || !wasSent;
                break;
            }
        }
    }
    if (erased) {
        eraseMarked(gone);
        m_listChanged = true;
    }
    if (unsent || !sent)
        return written();
    m_flushTimer.start();
    return true;
}

bool AlarmServer::written()
{
    // a stroke of many is written at its end
    if (m_holds > 0)
        return true;
    const bool saved = flush();
    arm();
    return saved;
}

void AlarmServer::holdWrites()
{
    ++m_holds;
}

bool AlarmServer::releaseWrites()
{
    if (m_holds == 0 || --m_holds > 0)
        return true;
    return written();
}

AlarmServer::WriteHold::WriteHold(AlarmServer *server)
    : m_server(server)
{
    if (m_server)
        m_server->holdWrites();
}

AlarmServer::WriteHold::~WriteHold()
{
    release();
}

bool AlarmServer::WriteHold::release()
{
    AlarmServer *server = m_server;
    m_server = nullptr;
    return !server || server->releaseWrites();
}

bool AlarmServer::flush()
{
    m_flushTimer.stop();
    if (!m_listChanged)
        return true;
    // another copy's changes since the last read stay, this one's go on
    // them; one refused or failed is kept with its retry (UnsavedFiles)
    QPointer<AlarmServer> self(this);
    const SharedFile::Taken taken = [self](const KeyedMerge::Entries &merged, const QVector<bool> &) {
        if (self)
            self->takeWritten(merged);
    };
    return SharedFile::at(m_file)->save(SharedFile::KindPtr(new AlarmListKind), m_base, entries(), taken)
           == SharedFile::Done;
}

KeyedMerge::Entries AlarmServer::entries() const
{
    KeyedMerge::Entries list;
    list.reserve(m_alarms.size());
    for (const Entry &e : m_alarms)
        list.append({lineOf(e), QByteArray()});
    return list;
}

void AlarmServer::takeEntries(const KeyedMerge::Entries &entries)
{
    QVector<Entry> list;
    list.reserve(entries.size());
    for (const KeyedMerge::Entry &k : entries) {
        Entry e;
        if (entryOfLine(k.key, e))
            list.append(e);
    }
    // another copy's alarms came in behind this one's: in time order again
    std::stable_sort(list.begin(), list.end(), earlier);
    m_alarms = list;
}

void AlarmServer::takeWritten(const KeyedMerge::Entries &merged)
{
    ++m_writes;
    m_base = merged;
    takeEntries(merged);
    m_stamp = FileStamp::of(m_file);
    m_listChanged = false;
    arm();
}

void AlarmServer::start(int startDelay)
{
    m_started = true;
    m_startHold.setRemainingTime(startDelay);
    tryLock();
    refresh();
    arm();
}

void AlarmServer::tryLock()
{
    if (m_lockFd >= 0)
        return;
    const QString path = lockFileName();
    {
        // no other copy takes or replaces it meanwhile; one that holds the
        // folder now is looked at again at the next try
        FolderLock guard(m_dir);
        if (!guard.isLocked())
            return;
        // a lock another copy holds is never waited for; a FIFO or link
        // there is replaced, a folder (which would keep every copy from
        // ringing) is set aside
        const LockFile::Found there = LockFile::look(path).found;
        if (there == LockFile::Held || there == LockFile::Denied || there == LockFile::Failed
            || (there == LockFile::Folder && !BoundedFile::setAside(path, true)))
            return;
        int error = 0;
        m_lockFd = LockFile::create(path, &error);
        if (m_lockFd < 0) {
            qWarning("No lock for the alarms at %s: %s", qPrintable(path),
                     qPrintable(FileReplacer::failureText(FileReplacer::failureOf(error), error)));
            return;
        }
    }
    // other copies on this root register into the same file: follow their
    // writes, or an idle holder would never see their alarms
    auto *watcher = new QFileSystemWatcher(QStringList{m_dir}, this);
    connect(watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        refresh();
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
    refresh();
    QList<Alarm> list;
    list.reserve(m_alarms.size());
    for (const Entry &e : qAsConst(m_alarms))
        list.append(e.alarm());
    // the list's wall-clock order puts a repeated hour's second showing
    // before the first's later wall times
    const auto sooner = [](const Alarm &a, const Alarm &b) { return a.when < b.when; };
    if (!std::is_sorted(list.begin(), list.end(), sooner))
        std::stable_sort(list.begin(), list.end(), sooner);
    return list;
}

int AlarmServer::timerInterval() const
{
    return m_timer.isActive() ? m_timer.interval() : -1;
}

int AlarmServer::firstUnsent() const
{
    // the sent ones are due, so at the front
    int i = 0;
    while (i < m_alarms.size() && !m_sent.isEmpty() && m_sent.contains(m_alarms.at(i)))
        ++i;
    return i;
}

void AlarmServer::arm()
{
    if (!m_started)
        return;
    if (m_lockFd < 0) {
        // another copy sends; look again later in case it ends
        m_timer.start(MaxInterval);
        return;
    }
    const QDateTime t = now();
    QDateTime next;
    for (const auto &a : nextAlarms(t)) {
        if (!next.isValid() || a.second < next)
            next = a.second;
    }
    if (!next.isValid()) {
        m_timer.stop();
        return;
    }
    const qint64 wait = t.msecsTo(next);
    qint64 interval = qBound<qint64>(0, wait, MaxInterval);
    // alarms that fell due before the start wait for the program to come up
    interval = qMax<qint64>(interval, m_startHold.remainingTime());
    m_timer.start(int(interval));
}

// The list is in wall-clock order, which is the order of the moments but in
// an hour the clocks repeat: there an alarm of the second showing stands
// before later wall times of the first. So past the first alarm not due, a
// stretch of that hour is looked at too when that alarm is in one.
QVector<QPair<int, QDateTime>> AlarmServer::nextAlarms(const QDateTime &t) const
{
    const qint64 RepeatStretch = 3 * 3600;
    QVector<QPair<int, QDateTime>> out;
    bool notDue = false;
    // once one is not due: the last wall time looked at
    qint64 lookTo = 0;
    for (int i = firstUnsent(); i < m_alarms.size(); ++i) {
        const Entry &e = m_alarms.at(i);
        if (notDue && e.at > lookTo)
            break;
        if (m_sent.contains(e))
            continue;
        const QDateTime when = e.when();
        out.append({i, when});
        if (when <= t || notDue)
            continue;
        notDue = true;
        const bool repeated = e.offset != Entry::NoOffset || WallClock::repeatedOffset(when) != Entry::NoOffset;
        lookTo = repeated ? e.at + RepeatStretch : e.at - 1;
    }
    return out;
}

void AlarmServer::onTimeout()
{
    deliverDue();
    if (m_lockFd < 0)
        arm();
}

void AlarmServer::deliverDue()
{
    tryLock();
    if (m_lockFd < 0)
        return;
    refresh();
    const QDateTime t = now();
    QVector<Entry> due;
    for (const auto &a : nextAlarms(t)) {
        if (a.second > t)
            continue;
        due.append(m_alarms.at(a.first));
        m_sent.insert(due.last());
    }
    // with nobody to deal with it, an alarm is done once sent
    bool unheard = false;
    for (const Entry &e : qAsConst(due)) {
        if (QCopChannel::isRegistered(e.channel))
            continue;
        m_sent.remove(e);
        unheard = take(e) || unheard;
    }
    if (unheard) {
        m_listChanged = true;
        // a list that cannot be written still lets the due alarms ring:
        // they may ring again at the next start, which beats never
        flush();
    }
    for (const Entry &e : qAsConst(due)) {
        QByteArray data;
        QDataStream ds(&data, QIODevice::WriteOnly);
        ds.setVersion(Qpe::StreamVersion);
        // the wall time of a repeated hour goes with its offset: alone it
        // reads back as either showing
        const QDateTime when = e.when();
        const bool repeated = e.offset != Entry::NoOffset || WallClock::repeatedOffset(when) != Entry::NoOffset;
        ds << (repeated ? WallClock::withOffset(when) : when) << qint32(e.data);
        QCopChannel::send(e.channel, e.message, data);
    }
    arm();
}

void AlarmServer::setMaxFileSize(qint64 size)
{
    s_maxFileSize = size > 0 ? size : MaxAlarmListSize;
}

void AlarmServer::refresh()
{
    const FileStamp stamp = FileStamp::of(m_file);
    if (stamp == m_stamp)
        return;
    KeyedMerge::Entries onDisk;
    const SharedFile::Result r = SharedFile::at(m_file)->read(AlarmListKind(), onDisk);
    if (r == SharedFile::Missing || r == SharedFile::SetAside) {
        // nothing written yet, gone, or out of the way: the next save
        // writes the alarms this process holds. Nothing stood at the name
        // as read: a file another program puts there meanwhile is read at
        // the next look, not taken as this one's
        m_stamp = FileStamp();
        if (r == SharedFile::SetAside) {
            // with those that read of the list set aside, written now: they
            // go on ringing, here and in every copy
            takeEntries(KeyedMerge::merge(KeyedMerge::Entries(), entries(), onDisk));
            m_base.clear();
            m_listChanged = true;
            if (!onDisk.isEmpty())
                flush();
        }
        return;
    }
    // the stamp stays the old one until a read succeeds: a failed one is
    // tried again at the next look
    if (r != SharedFile::Done)
        return;
    m_stamp = stamp;
    // what this server changed and has not written stays changed
    KeyedMerge::Entries merged = onDisk;
    if (m_listChanged)
        merged = KeyedMerge::merge(m_base, entries(), onDisk);
    m_base = onDisk;
    takeEntries(merged);
}
