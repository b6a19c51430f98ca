// A book store (header keys, saved filters, reminders, the filtered and
// sorted view) reads arbitrary bytes; what it saves must read back and save
// to the same bytes again. A header-only save of them keeps what it does not
// write: the record part of a book that reads whole, else the bytes as a
// kept copy.
#include "booksettles.h"

#include "pim/pimtextreader.h"
#include "qpe/boundedfile.h"

#include <QDir>

FUZZ_INIT

namespace {

// Each input starts without the copies an earlier one's damage left: they
// would take every free name after a few thousand inputs.
void removeKeptCopies()
{
    QDir root(fuzz::root().path());
    for (const QString &copy : root.entryList({QStringLiteral("*.exp.damaged*")}, QDir::Files | QDir::Hidden))
        root.remove(copy);
}

void headerOnlySaveKeeps(const QByteArray &input)
{
    const QString path = fuzz::root().filePath(QStringLiteral("header.exp"));
    fuzz::writeFile(path, input);
    const bool whole = TaskManager::readsWhole(path);
    TaskManager header(path, false, true);
    if (!header.load())
        return;
    const qint64 offset = header.recordOffset();
    header.setDescription(QStringLiteral("fuzz"));
    const bool saved = header.save();
    const QByteArray after = fuzz::readFile(path);
    if (!saved) {
        if (after != input)
            fuzz::finding("a refused header-only save changed the book", input, after);
    } else if (whole) {
        if (after.mid(int(header.recordOffset())) != input.mid(int(offset)))
            fuzz::finding("a header-only save changed the record part", input, after);
    } else if (fuzz::readFile(BoundedFile::asideName(path)) != input) {
        fuzz::finding("a header-only save wrote over a book not read whole without a copy", input, after);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    removeKeptCopies();
    const QString path = fuzz::root().filePath(QStringLiteral("book.exp"));
    fuzz::writeFile(path, fuzz::bytesOf(data, size));
    {
        // lines and a book size near the limits; what is saved is read with
        // the usual ones (a saved line may join several read)
        PIMTextReader::setMaxLineLength(fuzz::LineLimit);
        TaskManager::setMaxBookSize(fuzz::FileLimit);
        headerOnlySaveKeeps(fuzz::bytesOf(data, size));
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
