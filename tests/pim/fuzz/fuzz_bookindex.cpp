// The book index and the export index read arbitrary bytes (a book index
// its reader does not take whole is kept as it was, set aside); the saved
// index reads back and saves to the same bytes.
#include "fuzzcommon.h"
#include "keptcopies.h"

#include "pim/dbmanager.h"
#include "qpe/boundedfile.h"

FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::removeKeptCopies();
    const bool ext = size > 0 && (data[0] & 1);
    QString path;
    QByteArray first;
    {
        DBManager index(ext);
        path = index.fileName();
        fuzz::writeFile(path, fuzz::bytesOf(data, size));
        if (!index.load() && !ext && fuzz::readFile(BoundedFile::asideName(path)) != fuzz::bytesOf(data, size))
            fuzz::finding("a book index not taken is not kept", fuzz::bytesOf(data, size));
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
