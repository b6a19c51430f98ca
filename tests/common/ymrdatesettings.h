#ifndef YMRDATESETTINGS_H
#define YMRDATESETTINGS_H

// Writes the platform's date and time settings into the test's temporary
// home, as the settings application would, and lets the application object
// read them (it tells its widgets when anything changed).

#include "qpe/config.h"
#include "qt/ymrapplication.h"

namespace ymrtest {

inline void setDateSettings(bool ampm, int order, const QString &separator = QStringLiteral("/"),
                            bool monday = false)
{
    {
        Config c(QStringLiteral("qpe"));
        c.setGroup(QStringLiteral("Time"));
        c.writeEntry(QStringLiteral("AMPM"), ampm);
        c.writeEntry(QStringLiteral("MONDAY"), monday);
        c.setGroup(QStringLiteral("Date"));
        c.writeEntry(QStringLiteral("Separator"), separator);
        c.writeEntry(QStringLiteral("ShortOrder"), order);
    }
    ymrApp->updateDateTimeFormats();
}

// The settings found, set again at the end of the scope.
struct DateSettingsKept {
    const bool ampm = ymrApp->ampm();
    const int order = ymrApp->shortDateOrder();
    const QString separator = QString(ymrApp->dateSeparator());
    ~DateSettingsKept() { setDateSettings(ampm, order, separator); }
};

} // namespace ymrtest

#endif
