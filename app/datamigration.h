#ifndef DATAMIGRATION_H
#define DATAMIGRATION_H

#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class BookFile;
class CategoryManager;
class QFile;

// The one-time conversion of the earlier program's data file into an
// Expense Book, "Book1.exp" or, when that name is taken, the first free one
// of "Book2.exp", "Book3.exp", ... It is written through the book's owner
// as every book is: locked, never over anything at its name nor a book
// another copy has open. The categories it names are saved first and the
// old file goes aside only once the book is on disk, so that any failure
// leaves every file and setting as it was and a later start converts
// nothing twice: a start killed before it put the old file aside left a
// book of the very bytes the conversion makes, which the next start takes
// for its own; the settings name the book before the old file goes aside.
// A field holding a zero byte (no book holds one) is left out, and said;
// the old file keeps it.
class DataMigration : public QObject
{
    Q_OBJECT
public:
    enum Result { NothingToDo, Converted, Failed };

    // On failure, error tells why (for the user); once converted, book
    // receives the book written, and note what was left out of it, if
    // anything.
    static Result run(QString *error = nullptr, QString *book = nullptr, QString *note = nullptr);

    // The earlier program's data file and the names the book it becomes
    // may take ("Book<number>.exp").
    static QString oldFileName();
    static QString bookFileName(int number = 1);

    // A "CATEGORIES=" line as the book's "CATS=" line, the categories found
    // or created in the store; every other line unchanged.
    static QString convertLine(const QString &line, CategoryManager *categories);

    // For tests: called once the book is on disk and the settings name it,
    // before the old file is put aside.
    static void setBeforeRenameHook(void (*hook)());

private:
    // The first book name nothing stands at and no other copy holds,
    // locked; null when there is none.
    static std::unique_ptr<BookFile> freeBook();
    // Moves the old file to the first of "<old>.old", "<old>.old.1", ...
    // that nothing uses; the name it took, empty when it could not.
    static QString moveAside(const QString &oldPath);
    // The book an earlier version's start made of the old file and was
    // killed before naming it in the settings: named there now, so that this
    // start opens it; empty when the settings name a book or none is found.
    static QString unnamedBook(const QString &oldPath);
    // The book an earlier start made of the old file: one that holds
    // converted; empty when there is none.
    static QString ownBook(const QByteArray &converted);
    // The old file's lines as the book's, in out; lines left out (their
    // numbers from 1) in leftOut. false, and why, when it cannot be
    // converted.
    static bool convert(QFile *in, CategoryManager *categories, QByteArray &out, QList<int> &leftOut,
                        QString *why);
};

#endif
