// A book store (header keys, saved filters, reminders, the filtered and
// sorted view) reads arbitrary bytes; what it saves must read back and save
// to the same bytes again.
#include "fuzzcommon.h"

#include "pim/taskmanager.h"

FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = fuzz::root().filePath(QStringLiteral("book.exp"));
    fuzz::writeFile(path, fuzz::bytesOf(data, size));
    QByteArray first;
    {
        TaskManager book(path);
        book.load();
        // every column's keys, both ways
        const int column = size > 0 ? data[0] % 12 : 0;
        book.setSort(column, size > 1 && (data[1] & 1));
        if (!book.save() && book.isDirty())
            book.forceSave();
        first = fuzz::readFile(path);
    }
    {
        TaskManager book(path);
        if (!book.load())
            fuzz::finding("a saved book does not load", first);
        book.forceSave();
    }
    const QByteArray second = fuzz::readFile(path);
    if (second != first)
        fuzz::finding("save -> load -> save changed the bytes", first, second);
    // the header alone, as the book index reads and writes it
    {
        TaskManager header(path, false, true);
        header.load();
        header.forceSave();
    }
    if (fuzz::readFile(path) != first)
        fuzz::finding("a header-only save changed the book", first, fuzz::readFile(path));
    return 0;
}
