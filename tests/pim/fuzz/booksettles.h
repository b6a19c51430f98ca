#ifndef BOOKSETTLES_H
#define BOOKSETTLES_H

// The check of the fuzz targets that write a book: a saved book loads, and
// saving it again, whole or its header alone, gives the same bytes.

#include "fuzzcommon.h"

#include "pim/taskmanager.h"

namespace fuzz {

inline void bookSettles(const QString &path)
{
    const QByteArray first = readFile(path);
    {
        TaskManager book(path);
        if (!book.load())
            finding("a saved book does not load", first);
        book.forceSave();
    }
    const QByteArray second = readFile(path);
    if (second != first)
        finding("save -> load -> save changed the bytes", first, second);
    {
        TaskManager header(path, false, true);
        header.load();
        header.forceSave();
    }
    if (readFile(path) != first)
        finding("a header-only save changed the book", first, readFile(path));
}

} // namespace fuzz

#endif
