#include "wallclock.h"
#include "localzone.h"

namespace {

// The Julian day of 1970-01-01, the wall clock's day 0.
const qint64 EpochDay = WallClock::EpochJulianDay;

qint64 dayOf(qint64 wall)
{
    return wall >= 0 ? wall / 86400 : -((-wall + 86399) / 86400);
}

// The wall times Qt reads a local time of through the C library: from 1970
// to the end of 2037. Outside it has a reading of its own, which may be
// another near a change of time.
bool qtReadsAsTheZone(qint64 wall)
{
    return wall >= 2 * 86400 && wall <= 2145916799 - 2 * 86400;
}

// The offset a date-time gives its wall time: a local one's as Qt reads it,
// where that is the zone's reading.
int ownOffset(const QDateTime &dateTime, qint64 wall)
{
    if (dateTime.timeSpec() != Qt::LocalTime || (dateTime.isValid() && qtReadsAsTheZone(wall)))
        return dateTime.offsetFromUtc();
    return WallClock::NoOffset;
}

} // namespace

qint64 WallClock::wallOf(const QDate &date, const QTime &time)
{
    return (date.toJulianDay() - EpochDay) * 86400 + time.msecsSinceStartOfDay() / 1000;
}

void WallClock::fieldsOf(qint64 wall, int &year, int &month, int &day, int &secs)
{
    // days to a date of the Gregorian calendar, counted in 400-year eras
    // from 0000-03-01
    const qint64 days = dayOf(wall);
    const qint64 z = days + 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 ofEra = z - era * 146097;
    const qint64 yearOfEra = (ofEra - ofEra / 1460 + ofEra / 36524 - ofEra / 146096) / 365;
    const qint64 ofYear = ofEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const qint64 m = (5 * ofYear + 2) / 153;
    day = int(ofYear - (153 * m + 2) / 5 + 1);
    month = int(m < 10 ? m + 3 : m - 9);
    year = int(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    secs = int(wall - days * 86400);
}

QDate WallClock::dateOf(qint64 wall)
{
    int year = 0, month = 0, day = 0, secs = 0;
    fieldsOf(wall, year, month, day, secs);
    // QDate has no year 0
    return QDate(year > 0 ? year : year - 1, month, day);
}

QTime WallClock::timeOf(qint64 wall)
{
    return QTime::fromMSecsSinceStartOfDay(int(wall - dayOf(wall) * 86400) * 1000);
}

// The zone's clocks, read once from its file (LocalZone): no conversion of
// the C library's, which would wait for its lock and read a repeated wall
// time as the showing of the last conversion the process made. Each answer
// takes one look at the zone: a change of zone meanwhile mixes none.
qint64 WallClock::wallAt(qint64 moment)
{
    return LocalZone::current()->wallAt(moment);
}

int WallClock::showingsOf(qint64 wall, qint64 (&moments)[2])
{
    return LocalZone::current()->showingsOf(wall, moments);
}

qint64 WallClock::wallAt(qint64 moment, int &repeated)
{
    const auto zone = LocalZone::current();
    const qint64 wall = zone->wallAt(moment);
    qint64 moments[2];
    repeated = zone->showingsOf(wall, moments) == 2 ? int(wall - moment) : NoOffset;
    return wall;
}

int WallClock::repeatedOffset(qint64 moment)
{
    int repeated = NoOffset;
    wallAt(moment, repeated);
    return repeated;
}

int WallClock::showingOffset(const LocalZone &zone, qint64 wall, int offset)
{
    qint64 moments[2];
    if (offset == NoOffset || zone.showingsOf(wall, moments) != 2)
        return NoOffset;
    for (const qint64 m : moments) {
        if (wall - m == offset)
            return offset;
    }
    return NoOffset;
}

int WallClock::showingOffset(qint64 wall, int offset)
{
    return showingOffset(*LocalZone::current(), wall, offset);
}

int WallClock::showingOffset(const QDateTime &dateTime)
{
    if (dateTime.timeSpec() == Qt::LocalTime || !dateTime.isValid())
        return NoOffset;
    return showingOffset(wallOf(dateTime.date(), dateTime.time()), dateTime.offsetFromUtc());
}

bool WallClock::skipped(const QDate &date, const QTime &time)
{
    qint64 moments[2];
    return date.isValid() && time.isValid() && showingsOf(wallOf(date, time), moments) == 0;
}

bool WallClock::secondsOf(const QDateTime &t, qint64 &secs)
{
    if (t.timeSpec() == Qt::LocalTime) {
        if (!t.date().isValid() || !t.time().isValid())
            return false;
        if (!t.isValid() || !qtReadsAsTheZone(wallOf(t.date(), t.time()))) {
            const QDateTime m = moment(t.date(), t.time());
            if (!m.isValid())
                return false;
            secs = m.toSecsSinceEpoch();
            return true;
        }
    } else if (!t.isValid()) {
        return false;
    }
    const qint64 ms = t.toMSecsSinceEpoch();
    secs = ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
    return true;
}

QDateTime WallClock::moment(const QDate &date, const QTime &time, int offset)
{
    if (!date.isValid() || !time.isValid())
        return QDateTime();
    const auto zone = LocalZone::current();
    qint64 moments[2];
    const qint64 wall = wallOf(date, time);
    return momentOf(*zone, date, time, wall, moments, zone->showingsOf(wall, moments), offset);
}

QDateTime WallClock::keptMoment(const QDate &date, const QTime &time, int offset)
{
    const QDateTime m = moment(date, time, offset);
    if (!m.isValid() || (m.date() == date && m.time() == time))
        return m;
    // skipped: shown as it is, naming the moment after the gap
    return QDateTime(date, time, Qt::OffsetFromUTC, int(wallOf(date, time) - m.toSecsSinceEpoch()));
}

QDateTime WallClock::momentOf(const LocalZone &zone, const QDate &date, const QTime &time, qint64 wall,
                              const qint64 (&moments)[2], int n, int offset)
{
    if (n > 0) {
        const qint64 at = n == 2 && wall - moments[1] == offset ? moments[1] : moments[0];
        return QDateTime(date, time, Qt::OffsetFromUTC, int(wall - at));
    }
    // skipped: the first whole minute after the gap (or gaps, one after
    // another)
    qint64 end = wall;
    for (int i = 0; i < 64; ++i) {
        end = zone.gapEnd(end);
        const qint64 past = (end % 60 + 60) % 60;
        const qint64 minute = past == 0 ? end : end - past + 60;
        qint64 after[2];
        if (zone.showingsOf(minute, after) > 0)
            return QDateTime::fromSecsSinceEpoch(after[0], Qt::OffsetFromUTC, int(minute - after[0]));
        if (minute == wall)
            break;
        end = minute;
    }
    return QDateTime();
}

QDateTime WallClock::moment(const QDateTime &dateTime)
{
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    if (!date.isValid() || !time.isValid())
        return QDateTime();
    const auto zone = LocalZone::current();
    const qint64 wall = wallOf(date, time);
    qint64 moments[2];
    const int n = zone->showingsOf(wall, moments);
    // the date-time's own offset tells the two showings of a repeated wall
    // time apart, and counts nowhere else: a local one's is a conversion
    // of the C library's, which a book opened would make for every reminder
    return momentOf(*zone, date, time, wall, moments, n, n == 2 ? ownOffset(dateTime, wall) : NoOffset);
}

QDateTime WallClock::local(const QDateTime &moment)
{
    if (!moment.isValid())
        return moment;
    const qint64 ms = moment.toMSecsSinceEpoch();
    const qint64 secs = ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
    const auto zone = LocalZone::current();
    const qint64 wall = zone->wallAt(secs);
    qint64 moments[2];
    // Qt keeps a local time as its wall time and whether summer time, and
    // reads it back through mktime, whose pick of a repeated wall time
    // (standard time on both sides) follows the conversion made before: a
    // repeated one stays as it is, with its offset
    if (!qtReadsAsTheZone(wall) || zone->showingsOf(wall, moments) == 2)
        return moment;
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(ms, Qt::LocalTime);
    return local.toMSecsSinceEpoch() == ms ? local : moment;
}

QDateTime WallClock::localAt(qint64 moment)
{
    const qint64 wall = wallAt(moment);
    return local(QDateTime::fromSecsSinceEpoch(moment, Qt::OffsetFromUTC, int(wall - moment)));
}

QDateTime WallClock::after(const QDateTime &dateTime, qint64 seconds)
{
    qint64 secs = 0;
    return secondsOf(dateTime, secs) ? localAt(secs + seconds) : QDateTime();
}

QDateTime WallClock::dayAfter(const QDateTime &dateTime)
{
    qint64 secs = 0;
    if (!secondsOf(dateTime, secs))
        return QDateTime();
    const qint64 wall = wallAt(secs) + 86400;
    return local(moment(dateOf(wall), timeOf(wall)));
}

QDateTime WallClock::withOffset(const QDateTime &dateTime)
{
    qint64 secs = 0;
    if (!secondsOf(dateTime, secs))
        return dateTime;
    return QDateTime::fromSecsSinceEpoch(secs, Qt::OffsetFromUTC, int(wallAt(secs) - secs));
}

int WallClock::repeatedOffset(const QDateTime &moment)
{
    qint64 secs = 0;
    return secondsOf(moment, secs) ? repeatedOffset(secs) : NoOffset;
}

int WallClock::chosenOffset(const QDateTime &dateTime)
{
    // the offset of moment(dateTime) where that is a second showing, told
    // without making it: every reminder of a book saved asks
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    if (!date.isValid() || !time.isValid())
        return NoOffset;
    const qint64 wall = wallOf(date, time);
    qint64 moments[2];
    if (showingsOf(wall, moments) != 2)
        return NoOffset;
    const int second = int(wall - moments[1]);
    return ownOffset(dateTime, wall) == second ? second : NoOffset;
}
