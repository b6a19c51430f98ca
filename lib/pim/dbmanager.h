#ifndef DBMANAGER_H
#define DBMANAGER_H

#include "pimmanager.h"

#include <QStringList>

class DBRecord;

// The book index. The main index ("ymrOutlaysIDX") keeps only the book
// paths, one "I=" header line each, and rebuilds its records from them at
// every load; titles, icons, descriptions and passwords are read from and
// written to each book's own header. The export index ("ymrOutlaysIDX_EXT")
// is a full record file of plain book records for the PC link.
class DBManager : public PIMManager
{
    Q_OBJECT
public:
    explicit DBManager(bool ext = false);
    ~DBManager() override;

    bool isExt() const { return m_ext; }
    QStringList paths() const { return m_paths; }

    PIMRecord *createRecord() override;

    DBRecord *findByTitle(const QString &title);
    DBRecord *findByPath(const QString &path);

    // Title from the file name; icon (when set), description and password
    // from the book's header; availability from whether it could be read.
    // Does nothing in the export index.
    void refreshRecord(DBRecord *record);
    void refreshAll();

    static QString iconPrefix();
    static QString iconDirectory();

    // Password checks with the application's password dialogs (defined by
    // the application, which owns the dialogs). checkPassword: true when
    // the book has no password or the right one was typed, else tells the
    // user. askPassword: the book to open (the one the user ended with),
    // null when refused or left; managerRequested when the user asked for
    // the books dialog instead.
    static bool checkPassword(DBRecord *record);
    DBRecord *askPassword(DBRecord *record, bool *managerRequested);

protected:
    void clearHeader() override;
    void readHeader(QStringList &parts) override;
    void writeHeader(PIMTextWriter &out) override;
    void recordAdded(PIMRecord *record) override;
    void recordUpdated(PIMRecord *old, PIMRecord *record) override;
    // Deletes the book file of a record marked so; a file that cannot be
    // deleted keeps the record in the index (removeRecord() is false).
    bool canRemove(PIMRecord *record) override;
    void recordRemoved(PIMRecord *record) override;
    void loaded() override;
    bool sortKeyText(const PIMRecord *record, int column, QString &text) const override;
    bool needsResort(PIMRecord *old, PIMRecord *record) override;

private:
    DBRecord *findBy(QString (DBRecord::*field)() const, const QString &text);
    bool writeBookHeader(DBRecord *record, const QString &path, bool create);
    void revertPath(DBRecord *record, const QString &oldPath);

    bool m_ext;
    QStringList m_paths;
};

#endif
