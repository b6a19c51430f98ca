#include "pimreminder.h"

#include "pimtextreader.h"
#include "pimtextwriter.h"
#include "ymrpim.h"

#include <QDataStream>

void PIMReminder::write(PIMTextWriter &out) const
{
    out.writeDateTime("DATETIME=", dateTime);
    out.writeNumber("SOUND=", sound ? 1 : 0);
    out.writeNumber("LED=", led ? 1 : 0);
    out.writeNumber("TYPE=", type);
    out.writeLine("REMINDER_END");
}

void PIMReminder::read(PIMTextReader &in)
{
    while (in.readLine()) {
        if (in.is("REMINDER_END"))
            return;
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
        else if (key == QLatin1String("DATETIME"))
            dateTime = YMRPIM::textToDateTime(value);
    }
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
