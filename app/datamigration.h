#ifndef DATAMIGRATION_H
#define DATAMIGRATION_H

#include <QObject>
#include <QString>

class CategoryManager;

// The one-time conversion of the earlier program's data file into the first
// Expense Book "Book1.exp". The book is written beside its place first and
// put there only after the old file was moved aside and the categories were
// saved, so that any failure leaves every file and setting as it was and a
// later start converts nothing twice.
class DataMigration : public QObject
{
    Q_OBJECT
public:
    enum Result { NothingToDo, Converted, Failed };

    // On failure, error tells why (for the user).
    static Result run(QString *error = nullptr);

    // The earlier program's data file and the book it becomes.
    static QString oldFileName();
    static QString bookFileName();

    // A "CATEGORIES=" line as the book's "CATS=" line, the categories found
    // or created in the store; every other line unchanged.
    static QString convertLine(const QString &line, CategoryManager *categories);

private:
    // The first of "<old>.old", "<old>.old.1", ... that no file uses.
    static QString freeAsidePath(const QString &oldPath);
};

#endif
