#include "localzone.h"

#include "boundedfile.h"

#include <QDate>
#include <QFile>
#include <QMutex>

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

// The years the table is checked over and made of daily samples where it
// is the C library's: what a reminder is set in, and past them a rule's
// 400-year round.
const int CheckedFrom = 1800;
const int PeriodFromYear = 2100;
// 400 Gregorian years: a rule's changes, weekdays and leap days repeat
const qint64 Period = 146097 * Day;
// moments the C library is asked at: about 9,500 years either side of 1970
const qint64 Farthest = 300000000000LL;
// a zone file is a few kilobytes; a far larger one is read as the C library
// reads it, as far as this
const qint64 MaxFileSize = 64 << 20;

std::atomic<int> aliveZones{0};

// The one zone in force.
struct Zones
{
    QMutex mutex;
    std::shared_ptr<const LocalZone> current;
    std::atomic<qint64> nextLook{0};
};

Zones &zones()
{
    // never destroyed: a store saved at exit may still ask
    static Zones *z = new Zones;
    return *z;
}

void sortUnique(std::vector<qint64> &v)
{
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
}

} // namespace

LocalZone::LocalZone()
{
    ++aliveZones;
}

LocalZone::~LocalZone()
{
    --aliveZones;
}

int LocalZone::alive()
{
    return aliveZones.load();
}

qint64 LocalZone::Change::momentIn(qint64 year, int offset) const
{
    qint64 t = ruleYearStart(year);
    switch (kind) {
    case Julian1:
        // counts no 29 February
        t += qint64(day - 1) * Day;
        if (day >= 60 && QDate::isLeapYear(int(year > 0 ? year : year - 1)))
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
    const qint64 year = qBound<qint64>(-100000, yearOf(moment), 100000);
    const qint64 begins = start.momentIn(year, standard);
    const qint64 ends = end.momentIn(year, summer);
    // summer time may span the turn of the year (the southern hemisphere)
    const bool inSummer = begins > ends ? (moment < ends || moment >= begins) : (moment >= begins && moment < ends);
    return inSummer ? summer : standard;
}

void LocalZone::ruleHints(const Rule &rule, qint64 toYear, std::vector<qint64> &hints)
{
    for (qint64 year = CheckedFrom; year <= toYear; ++year) {
        hints.push_back(yearStart(year));
        if (!rule.hasSummer)
            continue;
        hints.push_back(rule.start.momentIn(year, rule.standard));
        hints.push_back(rule.end.momentIn(year, rule.summer));
        for (const int secs : {0, 2 * 3600, rule.start.secs, rule.end.secs}) {
            for (const int offset : {rule.standard, rule.summer})
                hints.push_back(ruleYearStart(year) + secs - offset);
        }
    }
}

bool LocalZone::libraryOffsetAt(qint64 moment, int &offset)
{
    if (moment < -Farthest || moment > Farthest)
        return false;
    const time_t at = time_t(moment);
    struct tm local;
    if (!localtime_r(&at, &local))
        return false;
    // the wall clock's offset: with leap seconds, not tm_gmtoff (a leap
    // second itself, 60, reads as the next minute's first)
    const QDate date = firstOfMonth(qint64(local.tm_year) + 1900, local.tm_mon + 1).addDays(local.tm_mday - 1);
    const qint64 wall = dayOf(date) * Day + local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    offset = int(wall - moment);
    return true;
}

qint64 LocalZone::inTable(qint64 moment) const
{
    if (!m_periodic || moment < m_periodEnd)
        return moment;
    return m_periodFrom + (moment - m_periodFrom) % Period;
}

int LocalZone::offsetAt(qint64 moment) const
{
    const qint64 at = inTable(moment);
    if (m_changes.empty() || at < m_changes.front())
        return m_first;
    const auto after = std::upper_bound(m_changes.begin(), m_changes.end(), at);
    return m_offsets[size_t(after - m_changes.begin() - 1)];
}

void LocalZone::changesIn(qint64 from, qint64 to, std::vector<qint64> &out) const
{
    const auto add = [this, &out](qint64 a, qint64 b, qint64 shift) {
        for (auto it = std::lower_bound(m_changes.begin(), m_changes.end(), a); it != m_changes.end() && *it <= b; ++it)
            out.push_back(*it + shift);
    };
    for (qint64 lo = from; lo <= to;) {
        if (!m_periodic || lo < m_periodEnd) {
            const qint64 hi = m_periodic ? qMin(to, m_periodEnd - 1) : to;
            add(lo, hi, 0);
            lo = hi + 1;
            continue;
        }
        const qint64 rounds = (lo - m_periodFrom) / Period;
        const qint64 shift = rounds * Period;
        const qint64 hi = qMin(to, m_periodFrom + shift + Period - 1);
        add(lo - shift, hi - shift, shift);
        lo = hi + 1;
    }
}

int LocalZone::showingsOf(qint64 wall, qint64 (&moments)[2]) const
{
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

qint64 LocalZone::gapEnd(qint64 wall) const
{
    if (m_offsetSet.empty())
        return wall;
    // a change whose gap holds the wall time lies within the zone's offsets
    // of it
    std::vector<qint64> changes;
    changesIn(wall - m_offsetSet.back(), wall - m_offsetSet.front(), changes);
    for (const qint64 at : changes) {
        const int before = offsetAt(at - 1);
        const int after = offsetAt(at);
        if (after > before && wall >= at + before && wall < at + after)
            return at + after;
    }
    return wall;
}

void LocalZone::setPeriodic(qint64 lastFixed)
{
    m_periodic = true;
    m_periodFrom = yearStart(qMax<qint64>(PeriodFromYear, yearOf(lastFixed) + 1));
    m_periodEnd = m_periodFrom + Period;
}

template<typename OffsetAt>
void LocalZone::tabulate(const std::vector<qint64> &points, OffsetAt offsetAt)
{
    m_changes.clear();
    m_offsets.clear();
    m_first = offsetAt(points.empty() ? 0 : points.front() - 1);
    int was = m_first;
    for (const qint64 at : points) {
        if (m_periodic && at >= m_periodEnd)
            break;
        const int offset = offsetAt(at);
        if (offset == was)
            continue;
        m_changes.push_back(at);
        m_offsets.push_back(offset);
        was = offset;
    }
}

void LocalZone::readRule(const Rule &rule)
{
    std::vector<qint64> points;
    if (rule.hasSummer) {
        setPeriodic(yearStart(CheckedFrom));
        ruleHints(rule, yearOf(m_periodEnd), points);
        sortUnique(points);
    }
    tabulate(points, [&rule](qint64 at) { return rule.offsetAt(at); });
}

bool LocalZone::readFile(const QString &path, std::vector<qint64> &hints)
{
    QByteArray bytes;
    if (BoundedFile::readAll(path, MaxFileSize, bytes) != BoundedFile::Ok)
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
    const auto timeAt = [](const uchar *p, int timeSize) -> qint64 { return timeSize == 8 ? be64(p) : be32(p); };
    // every moment a block names, for a reading of the C library's
    const auto blockHints = [&](qint64 at, int timeSize) {
        const qint64 times = be32(data + at + 32), types = be32(data + at + 36), chars = be32(data + at + 40),
                     leaps = be32(data + at + 28);
        const uchar *p = data + at + Header;
        for (qint64 i = 0; i < times; ++i)
            hints.push_back(timeAt(p + i * timeSize, timeSize));
        p += times * (timeSize + 1) + types * 6 + chars;
        for (qint64 i = 0; i < leaps; ++i) {
            hints.push_back(timeAt(p + i * (timeSize + 4), timeSize));
            hints.push_back(hints.back() + 1);
        }
    };
    const qint64 first = blockSize(0, 4);
    if (first < 0 || Header + first > size)
        return false;
    blockHints(0, 4);
    // a file with a version byte is read by its 64-bit block, which must
    // follow; one without by the 32-bit block alone
    qint64 at = 0;
    int timeSize = 4;
    if (data[4] != 0) {
        at = Header + first;
        timeSize = 8;
        if (at + Header > size || memcmp(data + at, "TZif", 4) != 0)
            return false;
    }
    const qint64 block = blockSize(at, timeSize);
    if (block < 0 || at + Header + block > size)
        return false;
    if (timeSize == 8)
        blockHints(at, 8);
    // the rule after the 64-bit block: read here when it is one line
    // between line breaks, which every reader takes alike (the C library
    // refuses a 64-bit block without the text after it)
    Rule rule;
    bool hasRule = false;
    const qint64 footer = at + Header + block;
    bool readAlike = timeSize == 4 || footer < size;
    if (timeSize == 8 && footer < size) {
        QByteArray text(bytes.constData() + footer + 1, int(size - footer - 1));
        readAlike = data[footer] == '\n' && text.endsWith('\n') && text.count('\n') == 1;
        if (text.endsWith('\n'))
            text.chop(1);
        rule.read(text.constData());
        ruleHints(rule, 2500, hints);
        if (readAlike && !text.isEmpty()) {
            readAlike = plainRule(text.constData());
            hasRule = true;
        }
    }
    const qint64 times = be32(data + at + 32), types = be32(data + at + 36), chars = be32(data + at + 40),
                 leapCount = be32(data + at + 28);
    const uchar *p = data + at + Header;
    const uchar *typeIndex = p + times * timeSize;
    const uchar *typeInfo = typeIndex + times;
    const uchar *leapData = typeInfo + types * 6 + chars;
    std::vector<int> offsets(size_t(types), 0);
    std::vector<bool> summer(size_t(types), false);
    for (qint64 i = 0; i < types; ++i) {
        offsets[size_t(i)] = be32(typeInfo + 6 * i);
        summer[size_t(i)] = typeInfo[6 * i + 4] != 0;
        // no zone is that far from UTC: a damaged file, whose offsets the
        // C library takes all the same
        if (qAbs(qint64(offsets[size_t(i)])) > MaxOffset)
            return false;
    }
    std::vector<qint64> changes;
    std::vector<int> changeOffsets;
    for (qint64 i = 0; i < times; ++i) {
        const int type = typeIndex[i];
        if (type >= types)
            return false;
        const qint64 t = timeAt(p + i * timeSize, timeSize);
        // changes out of order, or two at once, would answer each look-up
        // otherwise
        if (!changes.empty() && t <= changes.back())
            return false;
        changes.push_back(t);
        changeOffsets.push_back(offsets[size_t(type)]);
    }
    // leap seconds: the wall clock falls behind by each from the second
    // after it (the leap second itself shows as 60)
    std::vector<qint64> leapFrom;
    std::vector<int> corrections;
    for (qint64 i = 0; i < leapCount; ++i) {
        const uchar *l = leapData + i * (timeSize + 4);
        const qint64 t = timeAt(l, timeSize);
        const int correction = be32(l + timeSize);
        if (!leapFrom.empty() && t <= leapFrom.back())
            return false;
        const int before = corrections.empty() ? 0 : corrections.back();
        leapFrom.push_back(correction > before ? t + 1 : t);
        corrections.push_back(correction);
    }
    if (!readAlike)
        return false;
    // before the first change: the first type of standard time
    int firstType = 0;
    while (firstType < types && summer[size_t(firstType)])
        ++firstType;
    const int firstOffset = offsets[size_t(firstType == types ? 0 : firstType)];
    // a file without changes keeps its first type, whatever rule follows
    const bool ruleHolds = hasRule && !changes.empty();
    std::vector<qint64> points = changes;
    points.insert(points.end(), leapFrom.begin(), leapFrom.end());
    if (ruleHolds && rule.hasSummer) {
        setPeriodic(qMax(changes.back(), leapFrom.empty() ? changes.back() : leapFrom.back()));
        std::vector<qint64> yearly;
        ruleHints(rule, yearOf(m_periodEnd), yearly);
        for (const qint64 t : yearly) {
            if (t > changes.back())
                points.push_back(t);
        }
    }
    sortUnique(points);
    tabulate(points, [&](qint64 t) {
        int offset = firstOffset;
        if (!changes.empty() && t >= changes.front()) {
            if (ruleHolds && t >= changes.back())
                offset = rule.offsetAt(t);
            else
                offset = changeOffsets[size_t(std::upper_bound(changes.begin(), changes.end(), t) - changes.begin() - 1)];
        }
        const auto leap = std::upper_bound(leapFrom.begin(), leapFrom.end(), t);
        return offset - (leap == leapFrom.begin() ? 0 : corrections[size_t(leap - leapFrom.begin() - 1)]);
    });
    return true;
}

bool LocalZone::agreesWithTheLibrary() const
{
    const auto agrees = [this](qint64 at) {
        int offset = 0;
        return !libraryOffsetAt(at, offset) || offset == offsetAt(at);
    };
    for (size_t i = 0; i < m_changes.size(); ++i) {
        const qint64 at = m_changes[i];
        if (!agrees(at - 1) || !agrees(at))
            return false;
        if (i + 1 < m_changes.size() && !agrees(at + (m_changes[i + 1] - at) / 2))
            return false;
    }
    const qint64 toYear = m_periodic ? yearOf(m_periodEnd) : 2500;
    for (qint64 year = CheckedFrom; year <= toYear; ++year) {
        const qint64 at = yearStart(year);
        if (!agrees(at - 1) || !agrees(at) || !agrees(at + 183 * Day))
            return false;
    }
    return true;
}

void LocalZone::readLibrary(std::vector<qint64> hints)
{
    m_library = true;
    m_periodic = false;
    // past the last moment named, the C library's answers repeat as a
    // rule's do (or hold)
    qint64 lastFixed = yearStart(CheckedFrom);
    std::vector<qint64> points;
    for (const qint64 t : hints) {
        if (t > -Farthest && t < Farthest) {
            lastFixed = qMax(lastFixed, t);
            points.push_back(t - 1);
            points.push_back(t);
        }
    }
    setPeriodic(lastFixed);
    for (qint64 t = yearStart(CheckedFrom); t < m_periodEnd; t += Day)
        points.push_back(t);
    sortUnique(points);
    m_changes.clear();
    m_offsets.clear();
    m_first = 0;
    bool started = false;
    qint64 prev = 0;
    int was = 0;
    for (const qint64 at : points) {
        int now = 0;
        if (at >= m_periodEnd || !libraryOffsetAt(at, now))
            continue;
        if (!started) {
            started = true;
            m_first = was = now;
            prev = at;
            continue;
        }
        // every change between the two, to the second: a search for the
        // first moment off the earlier offset, again from there
        while (now != was) {
            qint64 lo = prev, hi = at;
            while (hi - lo > 1) {
                const qint64 mid = lo + (hi - lo) / 2;
                int offset = 0;
                (libraryOffsetAt(mid, offset) && offset != was ? hi : lo) = mid;
            }
            int offset = now;
            libraryOffsetAt(hi, offset);
            m_changes.push_back(hi);
            m_offsets.push_back(offset);
            was = offset;
            prev = hi;
        }
        prev = at;
    }
}

void LocalZone::collectOffsets()
{
    m_offsetSet = m_offsets;
    m_offsetSet.push_back(m_first);
    std::sort(m_offsetSet.begin(), m_offsetSet.end());
    m_offsetSet.erase(std::unique(m_offsetSet.begin(), m_offsetSet.end()), m_offsetSet.end());
}

std::shared_ptr<const LocalZone> LocalZone::read(const QByteArray &tz)
{
    std::shared_ptr<LocalZone> zone(new LocalZone);
    zone->m_tzSet = !tz.isNull();
    zone->m_tz = tz;
    zone->m_tzDir = qgetenv("TZDIR");
    // the C library reads the zone again, as this reader checks against it
    ::tzset();
    // the C library's reading: empty is UTC, a leading ":" says nothing,
    // a name is a file under TZDIR, and what names no file is a rule
    QByteArray name = tz.isNull() ? QByteArray(SystemZoneFile) : tz.isEmpty() ? QByteArray("Universal") : tz;
    if (name.startsWith(':'))
        name.remove(0, 1);
    if (tz.isNull()) {
        zone->m_systemFile = QString::fromLatin1(SystemZoneFile);
        zone->m_systemStamp = stampOf(SystemZoneFile);
    }
    std::vector<qint64> hints;
    bool own = false;
    if (!name.isEmpty()) {
        const QByteArray dir = zone->m_tzDir.isEmpty() ? QByteArray("/usr/share/zoneinfo") : zone->m_tzDir;
        const QByteArray path = name.startsWith('/') ? name : dir + '/' + name;
        own = zone->readFile(QFile::decodeName(path), hints);
        if (!own) {
            zone->m_periodic = false;
            Rule rule;
            rule.read(name.constData());
            if (plainRule(name.constData())) {
                zone->readRule(rule);
                own = true;
            } else {
                ruleHints(rule, 2500, hints);
                // a rule without dates takes them from this file
                std::shared_ptr<LocalZone> rules(new LocalZone);
                rules->readFile(QFile::decodeName(dir + "/posixrules"), hints);
            }
        }
    }
    // a reading that the C library does not share gives way to its own
    zone->m_contradicted = own && !zone->agreesWithTheLibrary();
    if (!own || zone->m_contradicted)
        zone->readLibrary(std::move(hints));
    zone->collectOffsets();
    return zone;
}

std::shared_ptr<const LocalZone> LocalZone::current()
{
    Zones &all = zones();
    // TZ alone, as the C library looks at it again (TZDIR counts when TZ
    // changed)
    const char *tz = ::getenv("TZ");
    const auto same = [tz](const std::shared_ptr<const LocalZone> &z) {
        return z && z->m_tzSet == (tz != nullptr) && (!tz || z->m_tz == tz);
    };
    std::shared_ptr<const LocalZone> zone = std::atomic_load(&all.current);
    if (same(zone)) {
        // the system's file, as the C library looks at it with TZ unset
        if (zone->m_systemFile.isEmpty())
            return zone;
        const qint64 now = coarseMillis();
        qint64 next = all.nextLook.load(std::memory_order_relaxed);
        if (now < next || !all.nextLook.compare_exchange_strong(next, now + 1000)
            || stampOf(SystemZoneFile) == zone->m_systemStamp)
            return zone;
    }
    QMutexLocker lock(&all.mutex);
    // read meanwhile by another thread
    zone = std::atomic_load(&all.current);
    const char *dir = ::getenv("TZDIR");
    if (same(zone) && (zone->m_systemFile.isEmpty() ? zone->m_tzDir == (dir ? dir : "")
                                                     : zone->m_systemStamp == stampOf(SystemZoneFile)))
        return zone;
    zone = read(tz ? QByteArray(tz) : QByteArray());
    std::atomic_store(&all.current, zone);
    return zone;
}
