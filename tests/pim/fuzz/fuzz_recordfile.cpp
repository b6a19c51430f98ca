// Feeds arbitrary bytes to the record-file reader of a store of expenses,
// full and header-only, and writes the result back out.
#include "pim/pimmanager.h"
#include "pim/task.h"

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

class FuzzStore : public PIMManager
{
public:
    FuzzStore(const QString &path, bool headerOnly)
        : PIMManager(QStringLiteral("fuzz"), path, false, headerOnly)
    {
    }

protected:
    PIMRecord *createRecord() override { return new Task(this); }
};

QTemporaryDir *workDir()
{
    static QTemporaryDir *dir = new QTemporaryDir;
    return dir;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = workDir()->filePath(QStringLiteral("input.exp"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            abort();
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    for (bool headerOnly : {false, true}) {
        FuzzStore store(path, headerOnly);
        if (!store.load())
            abort();
        store.setSort(0);
        store.forceSave();
        // what was written must read again
        FuzzStore again(path, false);
        if (!again.load())
            abort();
    }
    return 0;
}
