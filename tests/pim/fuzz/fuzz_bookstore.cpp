// A book store (header keys, saved filters, reminders, the filtered and
// sorted view) reads arbitrary bytes; what it saves must read back and save
// to the same bytes again.
#include "booksettles.h"

FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = fuzz::root().filePath(QStringLiteral("book.exp"));
    fuzz::writeFile(path, fuzz::bytesOf(data, size));
    {
        TaskManager book(path);
        book.load();
        // every column's keys, both ways
        const int column = size > 0 ? data[0] % 12 : 0;
        book.setSort(column, size > 1 && (data[1] & 1));
        if (!book.save() && book.isDirty())
            book.forceSave();
    }
    fuzz::bookSettles(path);
    return 0;
}
