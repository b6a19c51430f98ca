// A book store (header keys, saved filters, reminders, the filtered and
// sorted view) reads arbitrary bytes; what it saves must read back and save
// to the same bytes again.
#include "booksettles.h"

#include "pim/pimtextreader.h"

FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = fuzz::root().filePath(QStringLiteral("book.exp"));
    fuzz::writeFile(path, fuzz::bytesOf(data, size));
    {
        // lines and a book size near the limits; what is saved is read with
        // the usual ones (a saved line may join several read)
        PIMTextReader::setMaxLineLength(fuzz::LineLimit);
        TaskManager::setMaxBookSize(fuzz::FileLimit);
        TaskManager book(path);
        const bool loaded = book.load();
        PIMTextReader::setMaxLineLength(0);
        TaskManager::setMaxBookSize(0);
        // an unreadable book is never opened, so never saved
        if (!loaded) {
            if (fuzz::readFile(path) != fuzz::bytesOf(data, size))
                fuzz::finding("an unreadable book was written");
            return 0;
        }
        // every column's keys, both ways, and unsorted (a column the book
        // does not know reads back as unsorted); the book is written in its
        // own form whatever changed
        const int column = size > 0 ? data[0] % 12 - 1 : 0;
        book.setSort(column, size > 1 && (data[1] & 1));
        book.forceSave();
    }
    fuzz::bookSettles(path);
    return 0;
}
