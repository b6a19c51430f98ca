// Feeds arbitrary bytes to the record-file reader of a store of expenses,
// full and header-only, and writes the result back out.
#include "fuzzcommon.h"

#include "pim/pimmanager.h"
#include "pim/task.h"

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

} // namespace

FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = fuzz::root().filePath(QStringLiteral("input.exp"));
    fuzz::writeFile(path, fuzz::bytesOf(data, size));
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
