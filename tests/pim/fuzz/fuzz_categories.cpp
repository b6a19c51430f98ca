// The program's category file reads arbitrary bytes: one its reader does
// not take whole is kept as it was, set aside; the saved file reads back
// and saves to the same bytes.
#include "fuzzcommon.h"
#include "keptcopies.h"

#include "pim/categorymanager.h"
#include "qpe/boundedfile.h"

FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::removeKeptCopies();
    QString path;
    QByteArray first;
    {
        CategoryManager cats;
        path = cats.fileName();
        fuzz::writeFile(path, fuzz::bytesOf(data, size));
        if (!cats.load() && fuzz::readFile(BoundedFile::asideName(path)) != fuzz::bytesOf(data, size))
            fuzz::finding("a category file not taken is not kept", fuzz::bytesOf(data, size));
        cats.forceSave();
        first = fuzz::readFile(path);
    }
    {
        CategoryManager cats;
        if (!cats.load())
            fuzz::finding("a saved category file does not load", first);
        cats.forceSave();
    }
    const QByteArray second = fuzz::readFile(path);
    if (second != first)
        fuzz::finding("save -> load -> save changed the categories", first, second);
    return 0;
}
