// The earlier program's data file is converted once into the first book.
// Whatever its bytes, the conversion succeeds, and the book it writes loads
// and saves to the same bytes again.
#include "../../pim/fuzz/booksettles.h"

#include "datamigration.h"
#include "pim/categorymanager.h"
#include "qpe/categories.h"

#include <QDir>
#include <QFileInfo>

namespace {

// A few platform categories, so that ids name several of them.
const char PlatformCategories[] = "1\t*\tBusiness\n2\tymrOutlays\tTravel\n3\t*\tUnfiled\n";

void removeAll(const QString &folder, const QString &pattern)
{
    QDir d(folder);
    const QStringList names = d.entryList(QStringList(pattern), QDir::Files | QDir::Hidden);
    for (const QString &name : names)
        d.remove(name);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzz::start(argc, argv);
    QDir().mkpath(QFileInfo(categoryFileName()).path());
    fuzz::writeFile(categoryFileName(), PlatformCategories);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString oldPath = DataMigration::oldFileName();
    static const QString bookPath = DataMigration::bookFileName();
    static const QString categories = CategoryManager().fileName();
    // each input starts from no book and no categories of the program
    removeAll(QFileInfo(oldPath).path(), QStringLiteral("*"));
    QFile::remove(bookPath);
    QFile::remove(categories);
    QDir().mkpath(QFileInfo(oldPath).path());
    fuzz::writeFile(oldPath, fuzz::bytesOf(data, size));
    QString error;
    if (DataMigration::run(&error) != DataMigration::Converted)
        fuzz::finding("the conversion failed", error.toUtf8());
    {
        TaskManager book(bookPath);
        if (!book.load())
            fuzz::finding("the converted book does not load", fuzz::readFile(bookPath));
        book.forceSave();
    }
    fuzz::bookSettles(bookPath);
    return 0;
}
