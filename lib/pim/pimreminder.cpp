#include "pimreminder.h"

#include "pimtextreader.h"
#include "pimtextwriter.h"
#include "ymrpim.h"

#include "qpe/wallclock.h"

#include <QDataStream>

void PIMReminder::write(PIMTextWriter &out) const
{
    out.writeDateTime("DATETIME=", dateTime);
    out.writeNumber("SOUND=", sound ? 1 : 0);
    out.writeNumber("LED=", led ? 1 : 0);
    out.writeNumber("TYPE=", type);
    // the wall time alone reads as the first showing of a repeated hour: a
    // moment the program chose in the second (a snooze) keeps its offset
    const int offset = offsetToWrite();
    if (offset != WallClock::NoOffset)
        out.writeNumber("OFFSET=", offset);
    out.writeLine("REMINDER_END");
}

void PIMReminder::resolve(const QDate &date, const QTime &time, int offset)
{
    // by the zone's changes of offset, read once: no conversion of the C
    // library's, for which threads reading books at once would wait; a
    // wall time the clocks skip stays as stored
    dateTime = WallClock::keptMoment(date, time, offset);
}

int PIMReminder::offsetToWrite() const
{
    const int chosen = WallClock::chosenOffset(dateTime);
    if (chosen != WallClock::NoOffset || m_keptOffset == WallClock::NoOffset
        || WallClock::repeatedOffset(WallClock::moment(dateTime)) != WallClock::NoOffset)
        return chosen;
    // a zone that shows the wall time once has no say over the showing
    // chosen where it shows it twice: it goes only with the wall time
    return dateTime.date() == m_keptDate && dateTime.time() == m_keptTime ? m_keptOffset : WallClock::NoOffset;
}

void PIMReminder::keepMomentOf(const PIMReminder &before)
{
    const QDateTime &was = before.dateTime;
    const QTime time = dateTime.time();
    // the reminder set again to the wall time it had keeps what the book
    // held of it
    if (before.m_keptOffset != WallClock::NoOffset && m_keptOffset == WallClock::NoOffset
        && dateTime.date() == before.m_keptDate && time.hour() == before.m_keptTime.hour()
        && time.minute() == before.m_keptTime.minute()) {
        m_keptOffset = before.m_keptOffset;
        m_keptDate = dateTime.date();
        m_keptTime = time;
    }
    if (WallClock::chosenOffset(was) == WallClock::NoOffset || dateTime.date() != was.date()
        || time.hour() != was.time().hour() || time.minute() != was.time().minute())
        return;
    // a moment chosen anew stays; only what its wall time alone reads as
    // gives way
    if (WallClock::chosenOffset(dateTime) == WallClock::NoOffset)
        dateTime = was;
}

void PIMReminder::read(PIMTextReader &in)
{
    int offset = WallClock::NoOffset;
    bool timeRead = false;
    QDate date;
    QTime time;
    while (in.readLine()) {
        if (in.is("REMINDER_END"))
            break;
        // split dropping empty pieces: the value is the first non-empty
        // piece after the key
        const QStringList parts = in.line().split(QLatin1Char('='), Qt::SkipEmptyParts);
        if (parts.size() < 2)
            continue;
        const QString &key = parts.at(0);
        const QString &value = parts.at(1);
        if (key == QLatin1String("SOUND"))
            sound = value.toInt() != 0;
        else if (key == QLatin1String("LED"))
            led = value.toInt() != 0;
        else if (key == QLatin1String("TYPE"))
            type = value.toInt();
        else if (key == QLatin1String("DATETIME")) {
            YMRPIM::textToWallTime(value, date, time);
            timeRead = true;
        }
        else if (key == QLatin1String("OFFSET"))
            offset = offsetOf(value);
    }
    if (timeRead)
        resolve(date, time, offset);
    m_keptOffset = WallClock::NoOffset;
    if (timeRead && offset != WallClock::NoOffset) {
        m_keptOffset = offset;
        m_keptDate = date;
        m_keptTime = time;
    }
}

int PIMReminder::offsetOf(const QString &text)
{
    bool ok = false;
    const int offset = text.toInt(&ok);
    // no zone is further than 14 hours from UTC
    return ok && qAbs(offset) <= 14 * 3600 ? offset : WallClock::NoOffset;
}

void PIMReminder::write(QDataStream &stream) const
{
    stream << dateTime << qint32(sound) << qint32(led) << qint32(type);
}

void PIMReminder::read(QDataStream &stream)
{
    qint32 s = 0, l = 0, t = 0;
    stream >> dateTime >> s >> l >> t;
    sound = s != 0;
    led = l != 0;
    type = t;
}
