#ifndef CATEGORYMANAGER_H
#define CATEGORYMANAGER_H

#include "pimmanager.h"

class CategoryRecord;

// The program's own categories, file "ymrCategory" in the application's
// data folder; a missing file starts as a copy of the installed default of
// the language. Sorted by title whatever the sort column.
class CategoryManager : public PIMManager
{
    Q_OBJECT
public:
    CategoryManager();
    ~CategoryManager() override;

    CategoryRecord *findByTitle(const QString &title) const;
    // load(); a file that cannot be read is set aside and the installed
    // default read in its place.
    bool loadOrDefault();
    // The largest category file read (and a peer may send); for tests, 0
    // brings back the default.
    static qint64 maxFileSize();
    static void setMaxFileSize(qint64 size);
    static QString unfiledName(bool translate);
    // The check of a category file's bytes (the PC link's of what it
    // receives or serves): they read as the store reads its file, within
    // the same budget (SharedRecords::check()).
    static std::shared_ptr<const SharedFile::Reader> fileCheck();
    static bool readsWhole(const QByteArray &bytes, LoadBudget &budget);

protected:
    PIMRecord *createRecord() override;
    qint64 fileSizeLimit() const override;
    bool sortKeyText(const PIMRecord *record, int column, QString &text) const override;
    QString sharedName() const override { return tr("the categories"); }
    bool needsResort(PIMRecord *old, PIMRecord *record) override;
    bool mergesRecords() const override { return true; }
    // Installed categories that could not be copied when the store began
    // come in before its save: the merge keeps them.
    std::shared_ptr<const SharedFile::Reader> sharedReader() override;

private:
    // A store that only reads (fileCheck()): nothing installed.
    struct ReadOnly {};
    explicit CategoryManager(ReadOnly);
    // The installed categories of the language copied where no file is;
    // false when they could not be.
    bool installDefault();

    bool m_defaultPending = false;
};

#endif
