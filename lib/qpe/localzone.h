#ifndef LOCALZONE_H
#define LOCALZONE_H

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

// The clocks of the zone this process is in, as the C library takes it (TZ:
// a zone's file under TZDIR, a file's path, or a POSIX rule; unset, the
// system's /etc/localtime): a table of its changes of offset, made once as
// the zone is read. A file or rule read here alike (its leap seconds too)
// is checked against the C library at every change and between them; one
// read otherwise, or that this reader cannot read, is the C library's
// reading tabulated, every change of it found to the second. Asking the
// table takes no lock and calls nothing of the C library's time, so
// threads that convert times of their own never wait for it.
//
// Times are seconds: a moment since 1970-01-01T00:00Z, a wall time since
// 1970-01-01T00:00 on the wall clock (so wall = moment + offset). The
// offset is the wall clock's as the C library shows it: with leap seconds,
// the zone's offset less those passed.
class LocalZone
{
public:
    // The zone in force: read again when TZ changed, and, with TZ unset,
    // when the system's zone file changed (looked at once a second at
    // most), as the C library reads it again. One zone is held at a time; a
    // reader still holding the one before keeps it until done.
    static std::shared_ptr<const LocalZone> current();
    // Zones alive: the one in force and those readers still hold.
    static int alive();

    // The offset from UTC in force at a moment, seconds east.
    int offsetAt(qint64 moment) const;
    qint64 wallAt(qint64 moment) const { return moment + offsetAt(moment); }
    // The moments the clocks show a wall time at, earliest first: none in a
    // gap they skip, the two earliest where they repeat it.
    int showingsOf(qint64 wall, qint64 (&moments)[2]) const;
    // Of a wall time the clocks skip, the first wall time after its gap;
    // the wall time itself for any other.
    qint64 gapEnd(qint64 wall) const;
    // The moments in [from, to] the offset changes at, ascending.
    void changesIn(qint64 from, qint64 to, std::vector<qint64> &out) const;
    // Whether the table is this reader's own reading of the zone's file or
    // rule, the C library agreeing; else it is the C library's answers.
    bool ownReading() const { return !m_library; }
    // Whether this reader read the zone as one every reader takes alike and
    // the C library said otherwise (its reading then holds).
    bool ownReadingContradicted() const { return m_contradicted; }

    ~LocalZone();
    LocalZone(const LocalZone &) = delete;
    LocalZone &operator=(const LocalZone &) = delete;

private:
    // A change of a POSIX rule within a year: day (Jn counts no 29
    // February, n counts from 0 with it, Mm.w.d is the w-th d-day of month
    // m, 5 its last) and the local time of day of the change.
    struct Change
    {
        enum Kind { Julian1, Julian0, Month } kind = Julian0;
        int month = 0, week = 0, day = 0;
        int secs = 0;
        qint64 momentIn(qint64 year, int offset) const;
    };
    // A POSIX rule as the C library reads it.
    struct Rule
    {
        int standard = 0;
        int summer = 0;
        bool hasSummer = false;
        Change start, end;   // of summer time
        bool read(const char *text);
        int offsetAt(qint64 moment) const;
    };

    LocalZone();
    // The zone a TZ value names (null: unset), as the C library takes it.
    static std::shared_ptr<const LocalZone> read(const QByteArray &tz);
    // This reader's reading of a zone file; false when it reads none. hints
    // gets every moment the file names, read or not.
    bool readFile(const QString &path, std::vector<qint64> &hints);
    void readRule(const Rule &rule);
    // Every moment a rule may change its offset at up to a year, as the C
    // library works it out (or, out of form, may): its changes, the turns
    // of the year, and a change at a year's start by either offset.
    static void ruleHints(const Rule &rule, qint64 toYear, std::vector<qint64> &hints);
    // The table of a reading: the offset at every moment of points
    // (ascending), from the first on.
    template<typename OffsetAt>
    void tabulate(const std::vector<qint64> &points, OffsetAt offsetAt);
    // Whether the C library says what the table says at its every change,
    // between them and at every turn of a year.
    bool agreesWithTheLibrary() const;
    // The table of the C library's reading: its changes found between the
    // hints (moments where changes may lie) and daily samples.
    void readLibrary(std::vector<qint64> hints);
    static bool libraryOffsetAt(qint64 moment, int &offset);
    void collectOffsets();
    // from the first moment that repeats every 400 years
    void setPeriodic(qint64 lastFixed);
    qint64 inTable(qint64 moment) const;

    // moments the offset changes at, and the offset from each on
    std::vector<qint64> m_changes;
    std::vector<int> m_offsets;
    int m_first = 0;   // before the first change
    // past m_periodEnd the table repeats itself every 400 years, from
    // m_periodFrom on (a rule's changes); else the last offset holds
    bool m_periodic = false;
    qint64 m_periodFrom = 0;
    qint64 m_periodEnd = 0;
    // every offset the zone has, each once
    std::vector<int> m_offsetSet;
    bool m_library = false;
    bool m_contradicted = false;

    // what it was read for: TZ (and whether set), TZDIR, and the system's
    // file it came from when TZ was unset
    QByteArray m_tz;
    bool m_tzSet = false;
    QByteArray m_tzDir;
    QString m_systemFile;
    QByteArray m_systemStamp;
};

#endif
