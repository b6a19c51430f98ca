#ifndef ZONESCOPE_H
#define ZONESCOPE_H

// The time zone of this process (TZ: a zone name or a POSIX rule) for one
// scope; the one before comes back at its end.

#include <QByteArray>
#include <ctime>

namespace ymrtest {

struct ZoneScope {
    explicit ZoneScope(const QByteArray &zone) { set(zone); }
    ~ZoneScope() { set(saved); }
    static void set(const QByteArray &zone)
    {
        zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone);
        tzset();
    }
    const QByteArray saved = qgetenv("TZ");
};

} // namespace ymrtest

#endif
