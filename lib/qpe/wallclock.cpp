#include "wallclock.h"
#include "localzone.h"

namespace {

// The Julian day of 1970-01-01, the wall clock's day 0.
const qint64 EpochDay = 2440588;

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

QDate WallClock::dateOf(qint64 wall)
{
    return QDate::fromJulianDay(dayOf(wall) + EpochDay);
}

QTime WallClock::timeOf(qint64 wall)
{
    return QTime::fromMSecsSinceStartOfDay(int(wall - dayOf(wall) * 86400) * 1000);
}

// The zone's clocks, read once from its file (LocalZone): no conversion of
// the C library's, which would wait for its lock and read a repeated wall
// time as the showing of the last conversion the process made.
qint64 WallClock::wallAt(qint64 moment)
{
    return LocalZone::current().wallAt(moment);
}

int WallClock::showingsOf(qint64 wall, qint64 (&moments)[2])
{
    return LocalZone::current().showingsOf(wall, moments);
}

qint64 WallClock::wallAt(qint64 moment, int &repeated)
{
    const qint64 wall = wallAt(moment);
    qint64 moments[2];
    repeated = showingsOf(wall, moments) == 2 ? int(wall - moment) : NoOffset;
    return wall;
}

int WallClock::repeatedOffset(qint64 moment)
{
    int repeated = NoOffset;
    wallAt(moment, repeated);
    return repeated;
}

int WallClock::showingOffset(qint64 wall, int offset)
{
    qint64 moments[2];
    if (offset == NoOffset || showingsOf(wall, moments) != 2)
        return NoOffset;
    for (const qint64 m : moments) {
        if (wall - m == offset)
            return offset;
    }
    return NoOffset;
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
    qint64 moments[2];
    const qint64 wall = wallOf(date, time);
    return momentOf(date, time, wall, moments, showingsOf(wall, moments), offset);
}

QDateTime WallClock::momentOf(const QDate &date, const QTime &time, qint64 wall, const qint64 (&moments)[2], int n,
                              int offset)
{
    if (n > 0) {
        const qint64 at = n == 2 && wall - moments[1] == offset ? moments[1] : moments[0];
        return QDateTime(date, time, Qt::OffsetFromUTC, int(wall - at));
    }
    // skipped: the first whole minute after the gap
    const qint64 end = LocalZone::current().gapEnd(wall);
    const qint64 past = (end % 60 + 60) % 60;
    const qint64 minute = past == 0 ? end : end - past + 60;
    qint64 after[2];
    if (showingsOf(minute, after) == 0)
        return QDateTime();
    return QDateTime::fromSecsSinceEpoch(after[0], Qt::OffsetFromUTC, int(minute - after[0]));
}

QDateTime WallClock::moment(const QDateTime &dateTime)
{
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    if (!date.isValid() || !time.isValid())
        return QDateTime();
    const qint64 wall = wallOf(date, time);
    qint64 moments[2];
    const int n = showingsOf(wall, moments);
    // the date-time's own offset tells the two showings of a repeated wall
    // time apart, and counts nowhere else: a local one's is a conversion
    // of the C library's, which a book opened would make for every reminder
    return momentOf(date, time, wall, moments, n, n == 2 ? ownOffset(dateTime, wall) : NoOffset);
}

QDateTime WallClock::local(const QDateTime &moment)
{
    if (!moment.isValid() || !qtReadsAsTheZone(wallOf(moment.date(), moment.time())))
        return moment;
    return QDateTime::fromMSecsSinceEpoch(moment.toMSecsSinceEpoch(), Qt::LocalTime);
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
