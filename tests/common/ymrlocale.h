#ifndef YMRLOCALE_H
#define YMRLOCALE_H

// Runs a piece of a test under another locale, as a user's environment
// would set it: the C library's (printf, strtod) and Qt's default. Both
// come back when it ends. Locales the system lacks are skipped with a
// message: scripts/deps.sh generates the ones the tests name.

#include <QByteArray>
#include <QLocale>
#include <QtTest>

#include <clocale>

namespace ymrtest {

class ScopedLocale
{
public:
    explicit ScopedLocale(const char *name)
        : m_saved(std::setlocale(LC_ALL, nullptr)), m_qt(QLocale())
    {
        m_ok = std::setlocale(LC_ALL, name) != nullptr;
        if (m_ok)
            QLocale::setDefault(QLocale(QString::fromLatin1(name)));
    }
    ~ScopedLocale()
    {
        std::setlocale(LC_ALL, m_saved.constData());
        QLocale::setDefault(m_qt);
    }
    bool ok() const { return m_ok; }

private:
    QByteArray m_saved;
    QLocale m_qt;
    bool m_ok = false;
};

} // namespace ymrtest

// Inside a test function: switches to the locale for the rest of it, or
// skips the test where the system does not have it.
#define YMR_USE_LOCALE(name)                                                                  \
    ymrtest::ScopedLocale ymrLocale(name);                                                   \
    if (!ymrLocale.ok())                                                                     \
        QSKIP(qPrintable(QStringLiteral("locale %1 is not installed (scripts/deps.sh makes it)") \
                             .arg(QLatin1String(name))))

#endif
