#ifndef PIMREMINDER_H
#define PIMREMINDER_H

#include <QDateTime>

class PIMTextReader;
class PIMTextWriter;
class QDataStream;

// The optional alarm of an expense: when it rings, with sound and LED, and
// the LED pattern (0 to 7).
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
    void write(QDataStream &stream) const;
    void read(QDataStream &stream);

    QDateTime dateTime;
    bool sound = false;
    bool led = false;
    int type = 0;
};

#endif
