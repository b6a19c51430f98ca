#ifndef DBMANAGER_H
#define DBMANAGER_H

#include "pimmanager.h"

#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class MoveJournal;

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

    // Where a book icon's name becomes a picture: "icons/" and the name,
    // as YMRResource finds it. A name that is no plain file name (empty,
    // "." or "..", a "/", a NUL or other control character) names no icon
    // and gives the default one's picture, wherever the name came from.
    static QString iconPicture(const QString &iconName);
    static bool isIconName(const QString &iconName);
    static QString defaultIconName();
    static QString iconDirectory();

    // The prompts for a book's password, which the program installs once at
    // its start; they are asked only for a book that has a password. check:
    // true when the right password was typed (a refusal is told to the
    // user). open: the book to open, the one the user ended with, or null;
    // sets managerRequested when the user asked for the books dialog.
    using CheckPrompt = std::function<bool(DBRecord *record)>;
    using OpenPrompt =
        std::function<DBRecord *(DBManager *index, DBRecord *record, bool &managerRequested)>;
    static void setPasswordPrompts(const CheckPrompt &check, const OpenPrompt &open);

    // Before a command on a book: true when it has no password or the
    // prompt accepted it. Without prompts every password is refused.
    static bool checkPassword(DBRecord *record);
    // Before a book opens: the book to open, null when refused or left;
    // managerRequested when the user asked for the books dialog instead.
    DBRecord *askPassword(DBRecord *record, bool *managerRequested);

    // The largest index read (and a peer may send); for tests, 0 brings
    // back the default.
    static qint64 maxFileSize();
    static void setMaxFileSize(qint64 size);
    // The most books an export index may list: its list shows each.
    static const int MaxBooks = 10000;
    // The reader of an index (ext: the export index) and its check of a
    // file's bytes; an export index's bytes read as its store reads its
    // file, within the same budget (deviceListCheck()).
    static RecordFileReader fileReader(bool ext);
    static bool readsWhole(const QByteArray &bytes, bool ext, LoadBudget &budget);
    // The check of a device's book list (the export index) that a peer
    // sends or is sent (SharedRecords::check()).
    static std::shared_ptr<const SharedFile::Reader> deviceListCheck();

    // Why the last header write, move or deletion of a book file failed.
    QString bookFailure() const { return m_bookFailure; }

protected:
    void clearHeader() override;
    qint64 fileSizeLimit() const override;
    qint64 recordLimit() const override;
    bool mayAdd(const PIMRecord *record, QString *why) override;
    int sortColumnCount() const override;
    void readHeader(QStringList &parts) override;
    qint64 headerCost(const QStringList &parts) const override;
    void writeHeader(PIMTextWriter &out) override;
    void recordAdded(PIMRecord *record) override;
    void recordUpdated(PIMRecord *old, PIMRecord *record) override;
    // Deletes the book file of a record marked so; a file that cannot be
    // deleted keeps the record in the index (removeRecord() is false).
    bool canRemove(PIMRecord *record) override;
    void recordRemoved(PIMRecord *record) override;
    void loaded() override;
    // The main index merges its book paths: a book another copy added
    // comes in, one it removed (or moved) goes, without touching its file.
    std::shared_ptr<const SharedFile::Reader> sharedReader() override;
    KeyedMerge::Entries sharedEntries() const override;
    void takeMerged(const KeyedMerge::Entries &merged, const QVector<bool> &theirs) override;
    bool sortKeyText(const PIMRecord *record, int column, QString &text) const override;
    QString sharedName() const override { return tr("the book index"); }
    bool needsResort(PIMRecord *old, PIMRecord *record) override;

private:
    static QString iconPrefix();
    DBRecord *findBy(QString (DBRecord::*field)() const, const QString &text);
    bool writeBookHeader(DBRecord *record, const QString &path, bool create);
    void revertPath(DBRecord *record, const QString &oldPath);

    bool m_ext;
    QStringList m_paths;
    QString m_bookFailure;
    bool m_bookHeld = false;
    // Books moved since the index's last write: each move's record goes
    // once the index names the book at its new place.
    std::vector<std::unique_ptr<MoveJournal>> m_moves;
};

#endif
