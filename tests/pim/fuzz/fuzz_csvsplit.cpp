// CSV splitting of any line with any qualifier and separator; fields quoted
// by csvQuote split back into the same fields.
#include "fuzzcommon.h"

#include "pim/ymrpim.h"

FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const QChar qualifier = QLatin1Char(char(data[0]));
    const QChar separator = QLatin1Char(char(data[1]));
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data + 2), int(size - 2));
    // the input as lines of one record, continued while a field is open
    QStringList fields;
    bool continued = false;
    for (const QString &line : text.split(QLatin1Char('\n')))
        YMRPIM::csvSplit(fields, line, qualifier, separator, continued);

    // quoting: fields without line breaks come back as they were
    if (qualifier == separator || qualifier == QLatin1Char('\n') || separator == QLatin1Char('\n'))
        return 0;
    QStringList plain = text.split(QLatin1Char('\n'));
    QString line;
    for (const QString &f : plain)
        line += YMRPIM::csvQuote(f, QString(qualifier), QString(separator));
    line.chop(1);
    QStringList back;
    continued = false;
    YMRPIM::csvSplit(back, line, qualifier, separator, continued);
    if (back != plain)
        fuzz::finding("quoted fields split otherwise", plain.join('\n').toUtf8(), back.join('\n').toUtf8());
    return 0;
}
