// The book index and the export index read arbitrary bytes; the saved index
// reads back and saves to the same bytes.
#include "fuzzcommon.h"

#include "pim/dbmanager.h"

FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const bool ext = size > 0 && (data[0] & 1);
    QString path;
    QByteArray first;
    {
        DBManager index(ext);
        path = index.fileName();
        fuzz::writeFile(path, fuzz::bytesOf(data, size));
        index.load();
        index.setSort(size > 1 ? data[1] % 4 : 0);
        index.forceSave();
        first = fuzz::readFile(path);
    }
    {
        DBManager index(ext);
        if (!index.load())
            fuzz::finding("a saved index does not load", first);
        index.forceSave();
    }
    const QByteArray second = fuzz::readFile(path);
    if (second != first)
        fuzz::finding("save -> load -> save changed the index", first, second);
    return 0;
}
