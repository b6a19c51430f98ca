#ifndef FUZZCOMMON_H
#define FUZZCOMMON_H

// Shared set-up of the fuzz targets: an application object over a private
// per-user root, whole-file writes and reads, and a stop that the fuzzer
// reports as a finding.

#include "qt/ymrapplication.h"

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

inline void start(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QPE_HOME", root().path().toLocal8Bit());
    static YMRApplication app("ymrOutlays", *argc, *argv);
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

#define FUZZ_INIT                                                   \
    extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)    \
    {                                                               \
        fuzz::start(argc, argv);                                    \
        return 0;                                                   \
    }

#endif
