#ifndef LOCALZONE_H
#define LOCALZONE_H

#include <QByteArray>
#include <QString>
#include <QVarLengthArray>

#include <vector>

// The clocks of the zone this process is in, as the C library takes it (TZ:
// a zone's file under TZDIR, a file's path, or a POSIX rule; unset, the
// system's /etc/localtime), read from the zone's file once: its changes of
// offset over every year it holds, and past them the rule it ends with.
// Asking it takes no lock and calls nothing of the C library's time, so
// threads that convert times of their own never wait for it; but for a TZ
// value it cannot read as the C library does (a rule without dates, one
// out of form, a damaged file), whose answers it then takes.
//
// Times are seconds: a moment since 1970-01-01T00:00Z, a wall time since
// 1970-01-01T00:00 on the wall clock (so wall = moment + offset).
class LocalZone
{
public:
    // The zone in force: read again when TZ changed, and, with TZ unset,
    // when the system's zone file changed (looked at once a second at
    // most), as the C library reads it again. The zone read stays valid
    // for the life of the process.
    static const LocalZone &current();

    // The offset from UTC in force at a moment, seconds east.
    int offsetAt(qint64 moment) const;
    qint64 wallAt(qint64 moment) const { return moment + offsetAt(moment); }
    // The moments the clocks show a wall time at, earliest first: none in a
    // gap they skip, two where they repeat it.
    int showingsOf(qint64 wall, qint64 (&moments)[2]) const;
    // Of a wall time the clocks skip, the first wall time after the gap;
    // the wall time itself for any other.
    qint64 gapEnd(qint64 wall) const;

    LocalZone(LocalZone &&) = default;
    LocalZone &operator=(LocalZone &&) = default;

private:
    // A change of a POSIX rule within a year: day (Jn counts no 29
    // February, n counts from 0 with it, Mm.w.d is the w-th d-day of month
    // m, 5 its last) and the local time of day of the change.
    struct Change
    {
        enum Kind { Julian1, Julian0, Month } kind = Julian0;
        int month = 0, week = 0, day = 0;
        int secs = 0;
        qint64 momentIn(int year, int offset) const;
    };
    struct Rule
    {
        int standard = 0;
        int summer = 0;
        bool hasSummer = false;
        Change start, end;   // of summer time
        bool parse(const char *text);
        int offsetAt(qint64 moment) const;

    private:
        bool read(const char *text);
        // The start and the end of summer time in each year from
        // TableFirst on, worked out once: every conversion asks them.
        void tabulate();
        static const int TableFirst = 1900;
        static const int TableYears = 301;
        std::vector<qint64> m_table;
    };

    LocalZone() = default;
    // The zone a TZ value names (null: unset), as the C library takes it.
    static LocalZone read(const QByteArray &tz);
    bool readFile(const QString &path);
    // The window's start and the moments within it where the offset may
    // change, ascending.
    using Points = QVarLengthArray<qint64, 16>;
    void changePoints(qint64 from, qint64 to, Points &points) const;

    // moments the offset changes at, and the offset from each on
    std::vector<qint64> m_changes;
    std::vector<int> m_offsets;
    int m_first = 0;   // before the first change
    // every offset the zone has, each once
    std::vector<int> m_offsetSet;
    void collectOffsets();
    Rule m_rule;
    bool m_hasRule = false;   // past the last change (else its offset holds)

    // the zone is the C library's reading (one this reader does not read
    // alike): its answers are taken
    bool m_library = false;
    // how far from a wall time its moments may lie: further for a damaged
    // file the C library reads
    qint64 m_reach = 26 * 3600;
    static int libraryOffsetAt(qint64 moment);

    // what it was read for: TZ (and whether set), TZDIR, and the system's
    // file it came from when TZ was unset
    QByteArray m_tz;
    bool m_tzSet = false;
    QByteArray m_tzDir;
    QString m_systemFile;
    QByteArray m_systemStamp;
};

#endif
