#ifndef YMRLOCALE_H
#define YMRLOCALE_H

// Runs the rest of a test function under another locale, the C library's
// (printf, strtod) and Qt's default alike, and restores both at its end. A
// locale the system lacks skips the test (scripts/deps.sh generates them).

#include <QLocale>
#include <QtTest>

#include <clocale>

namespace ymrtest {

struct ScopedLocale {
    explicit ScopedLocale(const char *name)
        : saved(std::setlocale(LC_ALL, nullptr)), ok(std::setlocale(LC_ALL, name) != nullptr)
    {
        if (ok)
            QLocale::setDefault(QLocale(QString::fromLatin1(name)));
    }
    ~ScopedLocale()
    {
        std::setlocale(LC_ALL, saved.constData());
        QLocale::setDefault(qt);
    }
    QByteArray saved;
    QLocale qt;
    bool ok;
};

} // namespace ymrtest

#define YMR_USE_LOCALE(name)                                                                 \
    ymrtest::ScopedLocale ymrLocale(name);                                                  \
    if (!ymrLocale.ok)                                                                      \
        QSKIP(qPrintable(QStringLiteral("locale %1 is not installed (scripts/deps.sh)").arg(name)))

#endif
