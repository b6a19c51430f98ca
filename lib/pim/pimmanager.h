#ifndef PIMMANAGER_H
#define PIMMANAGER_H

#include "pimrecordarray.h"
#include "pimsortkeys.h"
#include "recordfilereader.h"
#include "qpe/keyedmerge.h"
#include "qpe/sharedfile.h"

#include <QDateTime>
#include <QHash>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

#include <uuid/uuid.h>

class BookFile;
class CategoryManager;
class LoadBudget;
class PIMRecord;
class PIMTextReader;
class PIMTextWriter;
class QDataStream;
class QIODevice;

// The record store: every record of one record file, a filtered and sorted
// view of them, and change counting with autosave. The file itself (its
// lock, the checks before a save, kept copies of a damaged file) belongs
// to the store's BookFile. Subclasses add header keys and hooks through the virtual
// operations. A subclass writes the base's header lines first, then its
// own, and marks every change of its own header values with markDirty():
// the store keeps those lines then, so that its save at destruction (after
// the subclass part is gone) writes the whole header.
class PIMManager : public QObject
{
    Q_OBJECT
public:
    enum { AutoSaveEvent = 1001 };
    // By a UID that records of the last load's file shared, the UIDs the
    // later ones were given instead, in file order (texts).
    using Twins = QHash<QByteArray, QList<QByteArray>>;

    PIMManager(const QString &directory, const QString &fileName, bool templates = false,
               bool headerOnly = false, CategoryManager *categoryManager = nullptr);
    ~PIMManager() override;

    // What the last load gave UIDs of their own, the one record of it every
    // follower reads: a file naming the records by UID beside it (the
    // templates' index, the alarm list) names such records by the one they
    // shared. Read in loaded() too.
    const Twins &twinsAtLoad() const { return m_twins; }

    // The path of the file: relative names live in the per-application
    // data folder named by the directory.
    QString fileName() const;
    QString file() const { return m_fileName; }
    // Later saves go to another file; the store lets go of this one (its
    // lock and what it knew of it).
    void setFileName(const QString &fileName);
    // Moves the store's file with its lock and kept copies (BookFile::moveTo()).
    bool moveFile(const QString &path);
    // The owner of the store's file on disk.
    BookFile *bookFile();
    QString directory() const { return m_directory; }
    bool isTemplates() const { return m_templates; }
    bool isHeaderOnly() const { return m_headerOnly; }

    void setCategoryManager(CategoryManager *manager);
    CategoryManager *categoryManager() const { return m_categoryManager; }

    PIMRecordArray *records() { return &m_records; }
    PIMRecordArray *view() { return &m_view; }
    int count() const { return m_records.count(); }
    PIMRecord *first() const { return m_records.first(); }
    PIMRecord *last() const { return m_records.last(); }
    bool contains(const PIMRecord *record) const { return m_records.contains(record); }
    PIMRecord *findRecord(const QString &uid) const;
    PIMRecord *findRecord(const uuid_t uid) const;

    // False, and nothing happens (record stays the caller's), when the
    // file with record added would be more than its reader takes:
    // addRefusal() then says why.
    bool addRecord(PIMRecord *record);
    QString addRefusal() const { return m_addRefusal; }
    // Takes and deletes old (the state before the change) in every case;
    // false when the store does not hold record.
    bool updateRecord(PIMRecord *old, PIMRecord *record);
    // False (and nothing happens) when the store does not hold the record
    // or canRemove() refuses it.
    bool removeRecord(PIMRecord *record);
    // Many records removed in one stroke, each as removeRecord() takes it
    // (one the store does not hold or canRemove() refuses stays): the view
    // and the records let go of them in one pass, one tasksRemoved() tells
    // the lists. The number removed.
    int removeRecords(const QList<PIMRecord *> &records);
    // A change of a held record: old is its state before, taken and deleted.
    struct Update
    {
        PIMRecord *old;
        PIMRecord *record;
    };
    // Many records changed in one stroke, each as updateRecord() takes it:
    // the view ordered again once where the changes move records in it, one
    // tasksUpdated() tells the lists. The number updated.
    int updateRecords(const std::vector<Update> &updates);
    virtual bool removeAll();
    bool appendRecord(PIMRecord *record);
    void select(PIMRecord *record);
    // The view made again from the records, their keys included (after
    // changes made to records outside the store's operations).
    void rebuildView(bool refill);

    int sortColumn() const { return m_sort; }
    bool sortOrder() const { return m_sortOrder; }
    void setSort(int column);
    void setSort(int column, bool ascending);
    void setSortOrder(bool ascending);
    void setSortable(bool sortable);
    bool isSortable() const { return m_sortable; }
    // The record's key in the current sort column (see sortKeyText()).
    QStringList sortKey(const PIMRecord *record) const;

    // Records per page; a stored value below 1 reads as the default 15, so
    // that no list divides by it.
    int perPage() const;
    void setPerPage(int perPage);
    QString lastCurrent() const { return m_lastCurrent; }
    void setLastCurrent(const QString &uid);
    QDateTime syncDateTime() const { return m_syncDateTime; }
    void setSyncDateTime(const QDateTime &dateTime);
    // TOTAL as read from the file, -1 when absent
    int total() const { return m_total; }
    // The last load did not read the file whole (RecordFileReader: a
    // header cut short, fewer records than its total, a zero byte...): the
    // file is damaged. A book opens with what could be read, its bytes as
    // they were kept as a copy (BookFile::keepDamaged()) before any save
    // can replace them; a shared store takes nothing of it (its owner sets
    // it aside).
    bool isDamaged() const { return m_damage != RecordFileReader::Whole; }
    RecordFileReader::Damage damage() const { return m_damage; }
    // That copy; empty while none could be made.
    QString damagedCopyName() const;
    // Why the last load read nothing although the file opened: the file
    // would cost more than a file of its size may (memory, records, the
    // categories of one record: LoadBudget), or the program was asked to end
    // while it was read (loadStopped()). A sentence for the user; empty when
    // the load was not cut short. A store so loaded holds nothing of the
    // file, and never saves over it until a load reads it whole.
    QString loadFailure() const;
    bool loadStopped() const;
    // A loaded text of at least this many bytes is read in parts at once;
    // for tests, 0 brings back the default.
    static void setPartReadBytes(qint64 bytes);

    void setProperty(const QString &key, const QString &value);
    QString property(const QString &key) const;
    bool hasProperty(const QString &key) const;
    void removeProperty(const QString &key);
    const QMap<QString, QString> &properties() const { return m_properties; }

    bool save();
    // A file other copies of the program on this home write as well (the
    // categories, the template book, the book index): each save goes
    // through the file's owner (SharedFile::saveStore()), which reads it
    // again under the folder's lock and merges what the others changed
    // since this store read it (sharedReader(), sharedEntries(),
    // takeMerged()); the store's BookFile writes the result.
    void setShared(bool shared);
    bool isShared() const { return m_shared; }
    // Names a shared store's file for the user where a save of it failed.
    virtual QString sharedName() const;
    // Why the last save failed ("no space left on the disk", ...); empty
    // after one that succeeded.
    QString saveFailure() const;
    // The last save found that another program had changed, replaced or
    // removed the file since this store read or wrote it, and left it alone.
    bool changedElsewhere() const;
    // The next save writes over the file whatever changed it.
    void overwriteChanges();
    // The user let the changes go: nothing is saved until the next one.
    void forgetChanges()
    {
        m_dirty = false;
        m_changes = 0;
    }
    // One writer per file (BookFile::lock()). False when another store or
    // program holds the lock; holder then names it, and saves wait for the
    // user's word (BookFile::openAnyway()).
    bool lockFile(QString *holder = nullptr);
    bool hasLock() const;
    virtual bool load();
    // load() for a file read at start-up: one there that cannot be read is
    // set aside (BoundedFile::setAside) and the store starts without it.
    bool loadOrSetAside();
    void forceSave();
    bool isDirty() const { return m_dirty; }
    // Counted changes since the last save; -1 while an autosave is pending.
    int changeCount() const { return m_changes; }
    int format() const { return m_format; }
    // Byte offset of the record part of the file on disk.
    qint64 recordOffset() const { return m_offset; }

    bool event(QEvent *e) override;

public slots:
    void reload();
    void haveChange();

signals:
    void newTask(PIMRecord *record);
    void taskUpdated(PIMRecord *record);
    void taskRemoved(PIMRecord *record);
    // after removeRecords(), as the records leave: deleted once it returns
    void tasksRemoved(const QList<PIMRecord *> &records);
    // after updateRecords()
    void tasksUpdated(const QList<PIMRecord *> &records);
    void taskSelected(PIMRecord *record);
    void updated();
    void changed();
    // after each save of a changed store (not from the destructor)
    void saved(bool ok);

protected:
    // While held, changes ask for no autosave (AutoSaveEvent): a stroke of
    // many changes is saved as it ends, not every few of them; the autosave
    // they call for is asked for as the last hold ends. Holds nest.
    void holdAutoSave(bool hold);
    virtual PIMRecord *createRecord();
    virtual bool accept(PIMRecord *record);
    // False when accept() takes every record now, so that the view is made
    // without asking for each; true unless a store says otherwise.
    virtual bool filtering() const;
    virtual void writeHeader(PIMTextWriter &out);
    virtual void readHeader(QStringList &parts);
    virtual void writeHeader(QDataStream &stream);
    virtual void readHeader(QDataStream &stream);
    virtual void clearHeader();
    // The largest file of this kind the store reads; a larger one is damaged.
    virtual qint64 fileSizeLimit() const;
    // The most records a file of this kind may hold.
    virtual qint64 recordLimit() const;
    // Whether the file still reads within its kind's budget with record
    // added; why, for the user, when not. Every add asks it first.
    virtual bool mayAdd(const PIMRecord *record, QString *why);
    // What a header line keeps in memory beyond its text (a list parsed
    // from it, a record made of it): what every reader of the kind charges
    // for it.
    virtual qint64 headerCost(const QStringList &parts) const;
    // Whether every copy of the program merges the kind's file: its store
    // then keeps each record's text as read besides the record (the merge's
    // base), which every reader of the kind charges.
    virtual bool mergesRecords() const;
    // Sort columns run from -1 (unsorted) to sortColumnCount() - 1; a file
    // naming another reads unsorted.
    virtual int sortColumnCount() const;
    // A number of the header (a text that is no number reads 0), or deflt
    // when it lies outside [min, max].
    static int headerNumber(const QString &text, int min, int max, int deflt);
    virtual void recordAdded(PIMRecord *record);
    virtual void recordUpdated(PIMRecord *old, PIMRecord *record);
    // Whatever must succeed before a record leaves (a file to delete).
    virtual bool canRemove(PIMRecord *record);
    virtual void recordRemoved(PIMRecord *record);
    // The records removeRecords() takes out; recordRemoved() for each
    // unless a store does better at once.
    virtual void recordsRemoved(const QList<PIMRecord *> &records);
    virtual void loaded();
    // In loaded(): whether the load read the file whole, every record of it.
    bool loadingWhole() const { return m_loadingWhole; }
    // The text by which a record sorts in the given column; false when the
    // store knows no such column (the record's key is then empty). The base
    // knows none.
    virtual bool sortKeyText(const PIMRecord *record, int column, QString &text) const;
    // The most characters a key of the column has, when the store knows it
    // without making the key (numbers, dates): what a load counts for each
    // record in place of its key. -1: the keys are made to be counted.
    virtual int sortKeyLength(int column) const;
    virtual bool needsResort(PIMRecord *old, PIMRecord *record);
    // A shared store's file as entries for its merge, which its owner
    // reads and merges: how the file's bytes read (SharedFile::Reader), the
    // store's own entries, and the merged ones taken in before they are
    // written. Records by UID, valued by their text (SharedRecords); a
    // store whose file holds more than records overrides all three. The
    // reader is asked for under the folder's lock, as a save begins.
    virtual std::shared_ptr<const SharedFile::Reader> sharedReader();
    virtual KeyedMerge::Entries sharedEntries() const;
    virtual void takeMerged(const KeyedMerge::Entries &merged, const QVector<bool> &theirs);

    bool saveText(QIODevice *device);
    void loadText(QIODevice *device);
    bool saveStream(QIODevice *device);
    void loadStream(QIODevice *device);

    void insertIntoView(PIMRecord *record);
    // The view made again after a change of what accept() lets pass; the
    // keys are kept.
    void refilter();
    // Marks the store dirty after a change of the subclass's header values.
    void markDirty();
    // Whether the file on disk reads whole, so that a header-only save may
    // write its header in front of the file's record part as it stands; a
    // file that does not is loaded whole and saved as the full store saves
    // it, its bytes kept as a copy first. Every file does unless a
    // subclass says otherwise; a missing one holds no record part to lose.
    virtual bool recordPartReadsWhole();
    void countChange();
    // Posts the autosave many changes call for, unless held or asked for.
    void askAutoSave();
    void setFormat(int format) { m_format = format; }
    // Saves now, once: the base destructor then does not save again. Not
    // needed for the header (see markDirty()); for a subclass whose save
    // needs more of its own state than the header lines.
    void saveOnDestroy();

private:
    friend class SharedRecords;

    bool writeFile();
    // What the merge compares with: the store as read or just written.
    void keepMergeBase();
    bool copyRecordPart(PIMTextWriter &out);
    bool copyRecordPart(QIODevice *device);
    bool writeWhole();
    void readText(QIODevice *device);
    // The reader of the store's kind, its records made by createRecord().
    RecordFileReader storeReader();
    // A file's text read as every reader of the store's kind reads it (the
    // load, the read before a merge, the PC link's check of a peer's file,
    // and so the decision to set a file aside): by the kind's reader, in
    // parts alike, each header line and record charged to budget by the
    // kind's one rule (headerCost(), recordCost()), so that all of them take
    // the same files. line, when given, receives the header lines as well.
    void readKind(const QByteArray &text, LoadBudget *budget, const RecordFileReader::HeaderLine &line,
                  std::vector<PIMRecord *> &records, RecordFileReader::Result &result);
    // The header lines as readKind() charges them, for a read of the header
    // alone; sort receives the sort column the header names.
    RecordFileReader::HeaderLine chargedHeader(LoadBudget *budget, int *sort,
                                               const RecordFileReader::HeaderLine &line) const;
    // What a record of the kind costs: itself, its place in a store, its
    // key in the sort column the file names, and its text as a merge keeps
    // it (mergesRecords()). heldKeys lets records that share a key's text
    // count it once.
    qint64 recordCost(const PIMRecord *record, int sortColumn, QSet<const QChar *> &heldKeys) const;
    void keepUnchangedBlocks(int first);
    void writeRecords(PIMTextWriter &out);
    void keepSubclassHeader();
    void fillView();
    void reverseView();

    QString m_fileName;
    QString m_addRefusal;
    QString m_directory;
    bool m_templates;
    bool m_headerOnly;
    PIMRecordArray m_records;
    PIMRecordArray m_view;
    int m_changes = 0;
    int m_autoSaveHolds = 0;
    bool m_dirty = false;
    QDateTime m_syncDateTime;
    int m_sort = -1;
    bool m_sortOrder = true;
    int m_perPage = 15;
    QString m_lastCurrent;
    int m_total = -1;
    qint64 m_offset = 0;
    qint64 m_writtenOffset = 0;
    CategoryManager *m_categoryManager;
    bool m_sortable = true;
    // The keys of the sort column m_keyColumn in ascending order: of every
    // record (m_keysWhole) or of those the filter let pass when they were
    // made. Made again when the column or the records change.
    PIMSortKeys m_keys;
    int m_keyColumn = -1;
    bool m_keysValid = false;
    bool m_keysWhole = false;
    // category titles are part of the keys
    QMetaObject::Connection m_categoriesChanged;
    int m_format = 0;
    int m_streamHeaderWord = 0;
    int m_streamHeaderWordRead = 0;
    QMap<QString, QString> m_properties;
    bool m_readFailed = false;
    bool m_loadingWhole = false;
    // the load under way counts against this
    LoadBudget *m_budget = nullptr;
    // what records the last load made took as their times (a merge's read
    // of the same file gives its records the same)
    QDateTime m_loadTime;
    // LoadBudget::Outcome of the last load, and the memory it was allowed
    int m_loadOutcome = 0;
    qint64 m_loadLimit = 0;
    RecordFileReader::Damage m_damage = RecordFileReader::Whole;
    Twins m_twins;
    bool m_destroySaved = false;
    bool m_destroying = false;
    BookFile *m_file = nullptr;
    bool m_shared = false;
    // A shared store's entries as last read or written (sharedEntries()).
    KeyedMerge::Entries m_mergeBase;
    // The subclass's own header lines as of its last change or load.
    QByteArray m_subclassHeader;
    // The text of the file as loaded: records that have not changed since
    // are saved by copying their blocks from it.
    QByteArray m_loadedText;
};

#endif
