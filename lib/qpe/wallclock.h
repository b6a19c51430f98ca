#ifndef WALLCLOCK_H
#define WALLCLOCK_H

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <climits>

class LocalZone;

// The one rule by which a wall time of the zone in force is a moment (an
// alarm's, a reminder's, what a page shows), and back: a wall time the
// clocks show twice (the hour repeated as they go back) is its first
// showing, unless an offset (from UTC) names the other, a moment the
// program chose there; one they skip is the first whole minute after the
// gap. Worked out from the zone's changes of offset (LocalZone), for every
// year, never from the C library's reading of a wall time, which follows
// the conversions the process made before. An offset the wall time does
// not have here (the zone changed since) counts for nothing.
//
// A wall time as a number is seconds since 1970-01-01T00:00 on the wall
// clock, as LocalZone counts it; a moment is seconds since
// 1970-01-01T00:00Z.
class WallClock
{
public:
    // No offset named: the first showing.
    static constexpr int NoOffset = INT_MIN;

    // The Julian day of 1970-01-01, the wall numbers' day 0.
    static constexpr qint64 EpochJulianDay = 2440588;
    // The wall time's number, its date and its time of day.
    static qint64 wallOf(const QDate &date, const QTime &time);
    static QDate dateOf(qint64 wall);
    static QTime timeOf(qint64 wall);
    // The year (astronomical: 0 is 1 BC), month, day and second of the day
    // of a wall time's number, worked out without QDate: a long alarm list
    // is written so.
    static void fieldsOf(qint64 wall, int &year, int &month, int &day, int &secs);
    // The wall time the clocks here show at a moment; with repeated set
    // to repeatedOffset(moment), from one look at the zone.
    static qint64 wallAt(qint64 moment);
    static qint64 wallAt(qint64 moment, int &repeated);
    // The moments the clocks here show a wall time at, earliest first:
    // none in a gap they skip, two in an hour they repeat.
    static int showingsOf(qint64 wall, qint64 (&moments)[2]);
    // The offset of a moment whose wall time the clocks show twice, which
    // tells the two showings apart; NoOffset for any other.
    static int repeatedOffset(qint64 moment);
    // offset where it names one of the two showings of a wall time the
    // clocks show twice; NoOffset otherwise (a list or book written under
    // another zone, or no offset at all).
    static int showingOffset(qint64 wall, int offset);
    // The same of the offset a date-time with one (not local) carries,
    // beside its own wall time.
    static int showingOffset(const QDateTime &dateTime);
    // Whether the clocks here skip a wall time.
    static bool skipped(const QDate &date, const QTime &time);
    // The moment (whole seconds) a date-time names: a local one as Qt reads
    // it where that is the zone's reading, else its wall time by the rule;
    // false for one that names none.
    static bool secondsOf(const QDateTime &dateTime, qint64 &moment);

    // The moment of a wall time by the rule, with its offset from UTC (its
    // date and time the wall time's, or the first after a gap), made from
    // the zone's table alone: no call into the C library (a reader of many
    // takes it). Null for an invalid date or time.
    static QDateTime moment(const QDate &date, const QTime &time, int offset = NoOffset);
    // The moment of a date-time's wall time (its date and time), in the
    // showing its own offset names: a reminder's moment, which after a
    // change of zone is its wall time there. A local date-time's offset is
    // Qt's reading of it (1970 to 2037; outside, the wall time alone
    // counts).
    static QDateTime moment(const QDateTime &dateTime);
    // moment(date, time, offset), but a wall time the clocks skip keeps its
    // date and time, with the offset that makes it the moment it rings at
    // after the gap: how a book holds it.
    static QDateTime keptMoment(const QDate &date, const QTime &time, int offset = NoOffset);
    // A moment as a local date-time, as every other date-time of the
    // program, where Qt reads its wall time as that moment (1970 to 2037);
    // else as it is, with its offset.
    static QDateTime local(const QDateTime &moment);
    // The moment (seconds since 1970 UTC) as local() gives it.
    static QDateTime localAt(qint64 moment);
    // The moment seconds after a date-time's, as local() gives it; with
    // seconds 0, its whole second.
    static QDateTime after(const QDateTime &dateTime, qint64 seconds);
    // The same wall time a day after a date-time's, by the rule.
    static QDateTime dayAfter(const QDateTime &dateTime);
    // A date-time's moment with the offset the clocks here have at it (not
    // local: Qt's reading of a repeated wall time may be the other).
    static QDateTime withOffset(const QDateTime &dateTime);
    // The same of a date-time's moment.
    static int repeatedOffset(const QDateTime &moment);
    // The offset a date-time's wall time needs beside it to name the moment
    // moment(dateTime) gives, where that is the second showing of a
    // repeated wall time: what a book keeps beside the wall time; NoOffset
    // for any other.
    static int chosenOffset(const QDateTime &dateTime);

private:
    // moment() of a wall time whose n showings are known, from one look at
    // the zone.
    static QDateTime momentOf(const LocalZone &zone, const QDate &date, const QTime &time, qint64 wall,
                              const qint64 (&moments)[2], int n, int offset);
    static int showingOffset(const LocalZone &zone, qint64 wall, int offset);
};

#endif
