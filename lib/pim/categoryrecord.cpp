#include "categoryrecord.h"

#include "pimtextreader.h"
#include "pimtextwriter.h"

#include <QGuiApplication>
#include <QPalette>

CategoryRecord::CategoryRecord(PIMManager *manager)
    : PIMRecord(manager)
{
    const QPalette pal = QGuiApplication::palette();
    textColor = pal.color(QPalette::Active, QPalette::Text);
    backgroundColor = pal.color(QPalette::Active, QPalette::Base);
}

void CategoryRecord::write(PIMTextWriter &out) const
{
    out.writeValue("T=", title);
    if (textColor.isValid())
        out.writeValue("CT=", textColor.name());
    if (backgroundColor.isValid())
        out.writeValue("CB=", backgroundColor.name());
    PIMRecord::write(out);
}

namespace {
// A colour text that names no colour keeps the default: an unreadable one
// would be left out when saved and come back as the default at the next load.
void readColor(const QString &text, QColor &color)
{
    const QColor read(text);
    if (read.isValid())
        color = read;
}
}

void CategoryRecord::readField(QLatin1String key, PIMTextReader &in)
{
    if (key == QLatin1String("T"))
        title = in.value();
    else if (key == QLatin1String("CT"))
        readColor(in.value(), textColor);
    else if (key == QLatin1String("CB"))
        readColor(in.value(), backgroundColor);
}
