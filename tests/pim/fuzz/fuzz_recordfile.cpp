// Feeds arbitrary bytes to the record-file reader of a store of expenses,
// full and header-only, and writes the result back out.
#include "fuzzcommon.h"

#include "pim/pimmanager.h"
#include "pim/pimtextreader.h"
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
    const QByteArray input = fuzz::bytesOf(data, size);
    // a line over the limit makes the whole file unreadable, nothing else does
    const bool overLong = fuzz::longestLine(input) > fuzz::LineLimit;
    for (bool headerOnly : {false, true}) {
        fuzz::writeFile(path, input);
        PIMTextReader::setMaxLineLength(fuzz::LineLimit);
        FuzzStore store(path, headerOnly);
        const bool loaded = store.load();
        if (!loaded && !overLong)
            fuzz::finding("a file without an over-long line does not load", input);
        if (loaded && overLong && !headerOnly)
            fuzz::finding("a file with an over-long line loads", input);
        if (!loaded) {
            // nothing read is nothing written
            if (fuzz::readFile(path) != input)
                fuzz::finding("an unreadable file was written", input, fuzz::readFile(path));
            continue;
        }
        store.setSort(0);
        store.forceSave();
        // what was written must read again (saved lines may join what was
        // read as several, categories: the default limit)
        PIMTextReader::setMaxLineLength(0);
        FuzzStore again(path, false);
        if (!again.load())
            abort();
    }
    return 0;
}
