#ifndef FUZZFILES_H
#define FUZZFILES_H

// Shared helpers of the fuzz targets that need no application object: a
// private per-user root, whole-file writes and reads, a stop that the
// fuzzer reports as a finding, and the leak checker's suppressions.

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

inline QTemporaryDir &root()
{
    static QTemporaryDir dir;
    return dir;
}

// Everything the readers under test find or write lies under root().
inline void useRoot()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QPE_HOME", root().path().toLocal8Bit());
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        abort();
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

[[noreturn]] inline void finding(const char *what, const QByteArray &a = QByteArray(),
                                 const QByteArray &b = QByteArray())
{
    fprintf(stderr, "FINDING: %s\n--- first (escaped)\n%s\n--- second (escaped)\n%s\n", what,
            a.toPercentEncoding(" =\n").constData(), b.toPercentEncoding(" =\n").constData());
    abort();
}

inline QByteArray bytesOf(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), int(size));
}

} // namespace fuzz

// Qt's own leaks (its platform plug-ins) are not findings; the suppressions
// apply however the target is started. LSAN_OPTIONS still overrides them.
#ifdef YMR_LSAN_SUPPRESSIONS
extern "C" const char *__lsan_default_options()
{
    return "suppressions=" YMR_LSAN_SUPPRESSIONS;
}
#endif

#endif
