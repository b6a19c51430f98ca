#ifndef PIMREMINDER_H
#define PIMREMINDER_H

#include "qpe/wallclock.h"

#include <QDateTime>

class PIMTextReader;
class PIMTextWriter;
class QDataStream;

// The optional alarm of an expense: when it rings, with sound and LED, and
// the LED pattern (0 to 7).
//
// The time is the wall time the expense shows (its date and time) and the
// moment it rings at here (WallClock::moment). A book keeps its wall
// time, which reads by the alarms' rule (WallClock): in the
// hour the clocks repeat, the first showing; one the clocks skip stays as
// stored and rings after the gap. A moment the program chose in the second (a snooze) is
// kept with its offset beside the wall time ("OFFSET=", seconds east of
// UTC), so every store of the expense, a copy, a book received and a start
// ring at that moment while the zone is the one it was chosen in.
class PIMReminder
{
public:
    PIMReminder() = default;
    PIMReminder(const PIMReminder &other) = default;
    PIMReminder &operator=(const PIMReminder &other) = default;

    // The body lines and "REMINDER_END"; the owner writes "REMINDER".
    void write(PIMTextWriter &out) const;
    // Body lines up to and including "REMINDER_END" (or the end of input).
    void read(PIMTextReader &in);
    // Set again to the wall time before had, to the minute (the editors
    // show minutes and read a wall time by the rule), this reminder keeps
    // the moment the program chose there; a wall time changed keeps its own.
    void keepMomentOf(const PIMReminder &before);
    void write(QDataStream &stream) const;
    void read(QDataStream &stream);

    QDateTime dateTime;
    bool sound = false;
    bool led = false;
    int type = 0;

private:
    // The moment of the wall time read, its showing told by offset.
    void resolve(const QDate &date, const QTime &time, int offset);
    static int offsetOf(const QString &text);
    // The offset read where the zone in force does not show that wall time
    // twice, and that wall time: written back with it for as long as the
    // reminder shows it, so that the showing chosen holds again where it
    // was chosen.
    int m_keptOffset = WallClock::NoOffset;
    QDate m_keptDate;
    QTime m_keptTime;
    // The offset to write: the showing chosen, or the one kept.
    int offsetToWrite() const;
};

#endif
