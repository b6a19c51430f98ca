#include "localzone.h"

#include "boundedfile.h"

#include <QDate>
#include <QFile>
#include <QMutex>
#include <QVarLengthArray>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <sys/stat.h>
#include <time.h>

namespace {

// No zone is further from UTC than this (a zone file's limit).
const qint64 MaxOffset = 26 * 3600;
const qint64 Day = 86400;

// Years count as the C library counts them (year 0 is 1 BC); QDate has
// no year 0.
QDate firstOfMonth(qint64 year, int month)
{
    return QDate(int(year > 0 ? year : year - 1), month, 1);
}

qint64 dayOf(const QDate &date)
{
    return date.toJulianDay() - 2440588;   // 1970-01-01
}

qint64 floorDiv(qint64 a, qint64 b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

qint64 yearOf(qint64 moment)
{
    const int year = QDate::fromJulianDay(floorDiv(moment, Day) + 2440588).year();
    return year > 0 ? year : year + 1;
}

// The first moment of a year of UTC (proleptic Gregorian).
qint64 yearStart(qint64 year)
{
    return dayOf(firstOfMonth(year, 1)) * Day;
}

// 1 January of a year, as the C library counts it for a rule: years up to
// 1970 all count from 1970 (so a rule gives no changes before it).
qint64 ruleYearStart(qint64 year)
{
    return year <= 1970 ? 0 : yearStart(year);
}

bool isAsciiAlpha(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// An unsigned number of at most 5 digits; false when none is there.
bool number(const char *&p, int &value)
{
    if (!isDigit(*p))
        return false;
    value = 0;
    while (isDigit(*p)) {
        value = qMin(value * 10 + (*p - '0'), 65535);
        ++p;
    }
    return true;
}

// "hh[:mm[:ss]]"; false when no hour is there.
bool clockTime(const char *&p, int &hh, int &mm, int &ss)
{
    if (!number(p, hh))
        return false;
    if (*p == ':' && isDigit(p[1])) {
        ++p;
        number(p, mm);
        if (*p == ':' && isDigit(p[1])) {
            ++p;
            number(p, ss);
        }
    }
    return true;
}

// A zone's name: three letters or more, or "<...>" of letters, digits and
// signs.
bool zoneName(const char *&p)
{
    const char *q = p;
    while (isAsciiAlpha(*q))
        ++q;
    if (q - p >= 3) {
        p = q;
        return true;
    }
    if (*p != '<')
        return false;
    q = p + 1;
    while (isAsciiAlpha(*q) || isDigit(*q) || *q == '+' || *q == '-')
        ++q;
    if (*q != '>' || q - p - 1 < 3)
        return false;
    p = q + 1;
    return true;
}

// A rule's offset (hours west, as POSIX writes it) as seconds east, the
// C library's way: each field capped.
bool zoneOffset(const char *&p, int &offset)
{
    int sign = -1;
    if (*p == '+' || *p == '-')
        sign = *p++ == '-' ? 1 : -1;
    int hh = 0, mm = 0, ss = 0;
    if (!clockTime(p, hh, mm, ss))
        return false;
    offset = sign * (qMin(ss, 59) + qMin(mm, 59) * 60 + qMin(hh, 24) * 3600);
    return true;
}

// Exactly n1 to n2 digits, at most max; false when not so.
bool strictNumber(const char *&p, int n1, int n2, int max)
{
    int value = 0, n = 0;
    while (isDigit(p[n]) && n < n2)
        value = value * 10 + (p[n++] - '0');
    if (n < n1 || isDigit(p[n]) || value > max)
        return false;
    p += n;
    return true;
}

// "hh[:mm[:ss]]" with hours up to maxHours, as every reader takes it.
bool strictClock(const char *&p, int maxHours)
{
    if (!strictNumber(p, 1, 3, maxHours))
        return false;
    for (int i = 0; i < 2 && *p == ':'; ++i) {
        ++p;
        if (!strictNumber(p, 2, 2, 59))
            return false;
    }
    return true;
}

bool strictChange(const char *&p)
{
    if (*p++ != ',')
        return false;
    if (*p == 'J') {
        ++p;
        if (*p == '0' || !strictNumber(p, 1, 3, 365))
            return false;
    } else if (*p == 'M') {
        ++p;
        if (*p == '0' || !strictNumber(p, 1, 2, 12) || *p++ != '.' || *p == '0' || !strictNumber(p, 1, 1, 5)
            || *p++ != '.' || !strictNumber(p, 1, 1, 6))
            return false;
    } else if (!strictNumber(p, 1, 3, 365)) {
        return false;
    }
    if (*p != '/')
        return true;
    ++p;
    p += *p == '-';
    return strictClock(p, 167);
}

// Whether a rule is of the form every reader takes alike: names, offsets
// within a day, and a summer time with both its changes given. Past this
// (no dates, which the C library takes from another zone's file; fields out
// of range, stray characters) the C library's own reading has quirks no
// other reader repeats.
bool plainRule(const char *p)
{
    const auto offset = [&p] {
        p += *p == '+' || *p == '-';
        return strictClock(p, 24);
    };
    if (!zoneName(p) || !offset())
        return false;
    if (*p == '\0')
        return true;
    if (!zoneName(p) || (*p != ',' && !offset()))
        return false;
    return strictChange(p) && strictChange(p) && *p == '\0';
}

qint32 be32(const uchar *p)
{
    return qint32(quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]));
}

qint64 be64(const uchar *p)
{
    return qint64(quint64(quint32(be32(p))) << 32 | quint32(be32(p + 4)));
}

struct SystemStamp
{
    dev_t device = 0;
    ino_t inode = 0;
    qint64 modified = 0;
    qint64 size = -1;
};

QByteArray stampOf(const char *path)
{
    struct stat st;
    SystemStamp s;
    if (::stat(path, &st) == 0) {
        s.device = st.st_dev;
        s.inode = st.st_ino;
        s.modified = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        s.size = st.st_size;
    }
    return QByteArray(reinterpret_cast<const char *>(&s), sizeof s);
}

qint64 coarseMillis()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

const char SystemZoneFile[] = "/etc/localtime";

// Every zone read stays: a thread may be reading one as another is read.
struct Zones
{
    QMutex mutex;
    std::vector<std::unique_ptr<LocalZone>> all;
    std::atomic<const LocalZone *> current{nullptr};
    std::atomic<qint64> nextLook{0};
};

Zones &zones()
{
    // never destroyed: a store saved at exit may still ask
    static Zones *z = new Zones;
    return *z;
}

} // namespace

qint64 LocalZone::Change::momentIn(int year, int offset) const
{
    qint64 t = ruleYearStart(year);
    switch (kind) {
    case Julian1:
        // counts no 29 February
        t += qint64(day - 1) * Day;
        if (day >= 60 && QDate::isLeapYear(year > 0 ? year : year - 1))
            t += Day;
        break;
    case Julian0:
        t += qint64(day) * Day;
        break;
    case Month: {
        const QDate first = firstOfMonth(year, month);
        t += qint64(first.dayOfYear() - 1) * Day;
        // the w-th d-day (0 Sunday) of the month, its last for 5
        int d = day - first.dayOfWeek() % 7;
        if (d < 0)
            d += 7;
        for (int i = 1; i < week; ++i) {
            if (d + 7 >= first.daysInMonth())
                break;
            d += 7;
        }
        t += qint64(d) * Day;
        break;
    }
    }
    return t - offset + secs;
}

// The C library's reading of a POSIX rule: a standard time that cannot be
// read makes the zone UTC; a summer time without its rule takes the US one.
bool LocalZone::Rule::parse(const char *text)
{
    const bool ok = read(text);
    tabulate();
    return ok;
}

void LocalZone::Rule::tabulate()
{
    m_table.clear();
    if (!hasSummer)
        return;
    m_table.reserve(2 * TableYears);
    for (int year = TableFirst; year < TableFirst + TableYears; ++year) {
        m_table.push_back(start.momentIn(year, standard));
        m_table.push_back(end.momentIn(year, summer));
    }
}

bool LocalZone::Rule::read(const char *p)
{
    *this = Rule();
    if (!zoneName(p) || !(*p == '+' || *p == '-' || isDigit(*p)) || !zoneOffset(p, standard)) {
        standard = 0;
        return false;
    }
    summer = standard;
    if (*p == '\0')
        return true;
    hasSummer = true;
    summer = 0;
    if (zoneName(p) && !zoneOffset(p, summer))
        summer = standard + 3600;
    const auto change = [&p](Change &c, bool first) {
        p += *p == ',';
        if (*p == 'J' || isDigit(*p)) {
            c.kind = *p == 'J' ? Change::Julian1 : Change::Julian0;
            if (c.kind == Change::Julian1 && !isDigit(*++p))
                return false;
            if (!number(p, c.day) || c.day > 365 || (c.kind == Change::Julian1 && c.day == 0))
                return false;
        } else if (*p == 'M') {
            ++p;
            if (!number(p, c.month) || *p++ != '.' || !number(p, c.week) || *p++ != '.' || !number(p, c.day)
                || c.month < 1 || c.month > 12 || c.week < 1 || c.week > 5 || c.day > 6)
                return false;
            c.kind = Change::Month;
        } else if (*p == '\0') {
            c.kind = Change::Month;
            c.month = first ? 3 : 11;
            c.week = first ? 2 : 1;
            c.day = 0;
        } else {
            return false;
        }
        c.secs = 2 * 3600;
        if (*p == '/') {
            ++p;
            if (*p == '\0')
                return false;
            const bool negative = *p == '-';
            p += negative;
            int hh = 2, mm = 0, ss = 0;
            clockTime(p, hh, mm, ss);
            c.secs = (negative ? -1 : 1) * (hh * 3600 + mm * 60 + ss);
        }
        return true;
    };
    if (change(start, true))
        change(end, false);
    return true;
}

int LocalZone::Rule::offsetAt(qint64 moment) const
{
    if (!hasSummer)
        return standard;
    const int year = int(qBound<qint64>(-100000, yearOf(moment), 100000));
    const size_t row = size_t(year - TableFirst) * 2;
    const bool tabulated = year >= TableFirst && row < m_table.size();
    const qint64 begins = tabulated ? m_table[row] : start.momentIn(year, standard);
    const qint64 ends = tabulated ? m_table[row + 1] : end.momentIn(year, summer);
    // summer time may span the turn of the year (the southern hemisphere)
    const bool inSummer = begins > ends ? (moment < ends || moment >= begins) : (moment >= begins && moment < ends);
    return inSummer ? summer : standard;
}

int LocalZone::libraryOffsetAt(qint64 moment)
{
    const time_t at = time_t(moment);
    struct tm local;
    return localtime_r(&at, &local) ? int(local.tm_gmtoff) : 0;
}

int LocalZone::offsetAt(qint64 moment) const
{
    if (m_library)
        return libraryOffsetAt(moment);
    if (m_changes.empty())
        return m_hasRule ? m_rule.offsetAt(moment) : m_first;
    if (moment < m_changes.front())
        return m_first;
    if (moment >= m_changes.back())
        return m_hasRule ? m_rule.offsetAt(moment) : m_offsets.back();
    const auto after = std::upper_bound(m_changes.begin(), m_changes.end(), moment);
    return m_offsets[size_t(after - m_changes.begin() - 1)];
}

void LocalZone::changePoints(qint64 from, qint64 to, Points &points) const
{
    points.append(from);
    if (m_library) {
        // the C library's changes, found to the second between samples
        // closer than any two changes of a zone's offset
        const qint64 Step = 1800;
        int was = libraryOffsetAt(from);
        for (qint64 at = from; at < to;) {
            const qint64 next = qMin(at + Step, to);
            const int offset = libraryOffsetAt(next);
            if (offset != was) {
                qint64 lo = at, hi = next;
                while (hi - lo > 1) {
                    const qint64 mid = lo + (hi - lo) / 2;
                    (libraryOffsetAt(mid) == was ? lo : hi) = mid;
                }
                points.append(hi);
                was = offset;
            }
            at = next;
        }
        return;
    }
    for (auto it = std::upper_bound(m_changes.begin(), m_changes.end(), from);
         it != m_changes.end() && *it <= to; ++it)
        points.append(*it);
    if (!m_hasRule || !m_rule.hasSummer)
        return;
    const qint64 ruleFrom = m_changes.empty() ? from : qMax(from, m_changes.back());
    if (ruleFrom > to)
        return;
    // the rule is read per year of UTC: its changes, and the turns of the
    // year, are where its offset may change
    const int first = points.size();
    for (qint64 year = yearOf(ruleFrom); year <= yearOf(to); ++year) {
        const int y = int(qBound<qint64>(-100000, year, 100000));
        for (const qint64 at : {m_rule.start.momentIn(y, m_rule.standard), m_rule.end.momentIn(y, m_rule.summer),
                                yearStart(year)}) {
            if (at > ruleFrom && at <= to)
                points.append(at);
        }
    }
    std::sort(points.begin() + first, points.end());
}

int LocalZone::showingsOf(qint64 wall, qint64 (&moments)[2]) const
{
    if (!m_library) {
        // a moment shows the wall time when it has the offset between them:
        // one look-up per offset the zone has, however many changes it holds
        int n = 0;
        for (const int offset : m_offsetSet) {
            const qint64 at = wall - offset;
            if (offsetAt(at) != offset)
                continue;
            // earliest first, the two earliest kept
            if (n == 2 && at >= moments[1])
                continue;
            int i = qMin(n, 1);
            for (; i > 0 && moments[i - 1] > at; --i)
                moments[i] = moments[i - 1];
            moments[i] = at;
            n = qMin(n + 1, 2);
        }
        return n;
    }
    // a moment showing this wall time lies within the largest offset of it
    Points points;
    changePoints(wall - m_reach, wall + m_reach, points);
    int n = 0;
    qint64 found[8];
    QVarLengthArray<int, 16> offsets;
    for (const qint64 point : qAsConst(points)) {
        const int offset = offsetAt(point);
        if (std::find(offsets.begin(), offsets.end(), offset) != offsets.end())
            continue;
        offsets.append(offset);
        const qint64 at = wall - offset;
        if (offsetAt(at) != offset || n == 8)
            continue;
        // in order, earliest first
        int i = n++;
        for (; i > 0 && found[i - 1] > at; --i)
            found[i] = found[i - 1];
        found[i] = at;
    }
    n = qMin(n, 2);
    std::copy(found, found + n, moments);
    return n;
}

qint64 LocalZone::gapEnd(qint64 wall) const
{
    Points points;
    changePoints(wall - m_reach, wall + m_reach, points);
    for (int i = 0; i + 1 < points.size(); ++i) {
        const qint64 at = points[i + 1];
        const int before = offsetAt(points[i]);
        const int after = offsetAt(at);
        if (after > before && wall >= at + before && wall < at + after)
            return at + after;
    }
    return wall;
}

bool LocalZone::readFile(const QString &path)
{
    // a zone's file is a few kilobytes; anything that is no file is none
    QByteArray bytes;
    if (BoundedFile::readAll(path, 4 << 20, bytes) != BoundedFile::Ok)
        return false;
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    const qint64 size = bytes.size();
    const qint64 Header = 44;
    if (size < Header || memcmp(data, "TZif", 4) != 0)
        return false;
    // the counts of a block: UT/local and standard/wall indicators, leap
    // seconds, changes, types, characters of the names
    const auto blockSize = [data](qint64 at, int timeSize) -> qint64 {
        const qint64 isut = be32(data + at + 20), isstd = be32(data + at + 24), leaps = be32(data + at + 28),
                     times = be32(data + at + 32), types = be32(data + at + 36), chars = be32(data + at + 40);
        if (isut < 0 || isstd < 0 || leaps < 0 || times < 0 || types < 1 || chars < 0)
            return -1;
        return times * (timeSize + 1) + types * 6 + chars + leaps * (timeSize + 4) + isstd + isut;
    };
    qint64 at = 0;
    int timeSize = 4;
    const qint64 first = blockSize(0, 4);
    if (first < 0 || Header + first > size)
        return false;
    // the 64-bit block of a file of version 2 on, and its rule after it
    if (data[4] >= '2' && Header + first + Header <= size && memcmp(data + Header + first, "TZif", 4) == 0) {
        at = Header + first;
        timeSize = 8;
    }
    const qint64 block = blockSize(at, timeSize);
    if (block < 0 || at + Header + block > size)
        return false;
    const int times = be32(data + at + 32);
    const int types = be32(data + at + 36);
    const uchar *p = data + at + Header;
    const uchar *typeIndex = p + qint64(times) * timeSize;
    const uchar *typeInfo = typeIndex + times;
    std::vector<int> offsets(size_t(types), 0);
    std::vector<bool> summer(size_t(types), false);
    for (int i = 0; i < types; ++i) {
        offsets[size_t(i)] = be32(typeInfo + 6 * i);
        summer[size_t(i)] = typeInfo[6 * i + 4] != 0;
        // no zone is that far from UTC: a damaged file, whose offsets the
        // C library takes all the same (looked for that far, within reason)
        if (qAbs(qint64(offsets[size_t(i)])) > MaxOffset) {
            m_reach = qMin(qAbs(qint64(offsets[size_t(i)])), 7 * Day);
            return false;
        }
    }
    m_changes.clear();
    m_offsets.clear();
    for (int i = 0; i < times; ++i) {
        const int type = typeIndex[i];
        if (type >= types)
            return false;
        const qint64 at = timeSize == 8 ? be64(p + qint64(i) * 8) : be32(p + qint64(i) * 4);
        // changes out of order would answer each look-up otherwise
        if (!m_changes.empty() && at <= m_changes.back())
            return false;
        m_changes.push_back(at);
        m_offsets.push_back(offsets[size_t(type)]);
    }
    // before the first change: the first type of standard time
    int firstType = 0;
    while (firstType < types && summer[size_t(firstType)])
        ++firstType;
    m_first = offsets[size_t(firstType == types ? 0 : firstType)];
    m_hasRule = false;
    if (timeSize == 8) {
        const qint64 footer = at + Header + block;
        const char *text = bytes.constData() + footer;
        const qint64 left = size - footer;
        const char *end = left > 1 && text[0] == '\n' ? static_cast<const char *>(memchr(text + 1, '\n', size_t(left - 1)))
                                                      : nullptr;
        if (end && end > text + 1) {
            const QByteArray rule(text + 1, int(end - text - 1));
            if (!plainRule(rule.constData()))
                return false;
            m_hasRule = true;
            m_rule.parse(rule.constData());
        }
    }
    return true;
}

void LocalZone::collectOffsets()
{
    // a file's changes name at most 256 types
    m_offsetSet = m_offsets;
    m_offsetSet.push_back(m_first);
    if (m_hasRule) {
        m_offsetSet.push_back(m_rule.standard);
        m_offsetSet.push_back(m_rule.summer);
    }
    std::sort(m_offsetSet.begin(), m_offsetSet.end());
    m_offsetSet.erase(std::unique(m_offsetSet.begin(), m_offsetSet.end()), m_offsetSet.end());
}

LocalZone LocalZone::read(const QByteArray &tz)
{
    LocalZone zone;
    zone.m_tzSet = !tz.isNull();
    zone.m_tz = tz;
    zone.m_tzDir = qgetenv("TZDIR");
    // the C library's reading: empty is UTC, a leading ":" says nothing,
    // a name is a file under TZDIR, and what names no file is a rule
    QByteArray name = tz.isNull() ? QByteArray(SystemZoneFile) : tz.isEmpty() ? QByteArray("Universal") : tz;
    if (name.startsWith(':'))
        name.remove(0, 1);
    if (tz.isNull()) {
        zone.m_systemFile = QString::fromLatin1(SystemZoneFile);
        zone.m_systemStamp = stampOf(SystemZoneFile);
    }
    if (name.isEmpty()) {
        zone.m_library = true;
        ::tzset();
        return zone;
    }
    const QByteArray dir = zone.m_tzDir.isEmpty() ? QByteArray("/usr/share/zoneinfo") : zone.m_tzDir;
    const QByteArray path = name.startsWith('/') ? name : dir + '/' + name;
    if (zone.readFile(QFile::decodeName(path))) {
        zone.collectOffsets();
        return zone;
    }
    zone.m_changes.clear();
    zone.m_offsets.clear();
    if (plainRule(name.constData())) {
        zone.m_hasRule = true;
        zone.m_rule.parse(name.constData());
        zone.collectOffsets();
        return zone;
    }
    // what this reader cannot read as the C library does is its answer
    zone.m_library = true;
    ::tzset();
    return zone;
}

const LocalZone &LocalZone::current()
{
    Zones &all = zones();
    // TZ alone, as the C library looks at it again (TZDIR counts when TZ
    // changed)
    const char *tz = ::getenv("TZ");
    const auto same = [tz](const LocalZone *z) { return z && z->m_tzSet == (tz != nullptr) && (!tz || z->m_tz == tz); };
    const LocalZone *zone = all.current.load(std::memory_order_acquire);
    if (same(zone)) {
        // the system's file, as the C library looks at it with TZ unset
        if (zone->m_systemFile.isEmpty())
            return *zone;
        const qint64 now = coarseMillis();
        qint64 next = all.nextLook.load(std::memory_order_relaxed);
        if (now < next || !all.nextLook.compare_exchange_strong(next, now + 1000)
            || stampOf(SystemZoneFile) == zone->m_systemStamp)
            return *zone;
    }
    QMutexLocker lock(&all.mutex);
    const QByteArray wanted = tz ? QByteArray(tz) : QByteArray();
    // a zone read before for the same setting, its file unchanged
    const QByteArray stamp = tz ? QByteArray() : stampOf(SystemZoneFile);
    const char *dir = ::getenv("TZDIR");
    for (const auto &z : all.all) {
        if (same(z.get()) && z->m_tzDir == (dir ? dir : "") && z->m_systemStamp == stamp) {
            all.current.store(z.get(), std::memory_order_release);
            return *z;
        }
    }
    all.all.push_back(std::unique_ptr<LocalZone>(new LocalZone(read(wanted))));
    all.current.store(all.all.back().get(), std::memory_order_release);
    return *all.all.back();
}
