// The program's category file reads arbitrary bytes; the saved file reads
// back and saves to the same bytes.
#include "fuzzcommon.h"

#include "pim/categorymanager.h"

FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString path;
    QByteArray first;
    {
        CategoryManager cats;
        path = cats.fileName();
        fuzz::writeFile(path, fuzz::bytesOf(data, size));
        cats.load();
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
