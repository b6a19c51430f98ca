#ifndef SHAREDFILE_H
#define SHAREDFILE_H

#include "keyedmerge.h"

#include <QString>

#include <functional>
#include <memory>

class LoadBudget;

// The owner of a file that every copy of the program on one home reads and
// writes (the book index, the templates and their index, the value and
// format lists, the record categories, the platform's categories, the
// alarm list): the one way such a file is read, merged and written. One
// object per path in the process, made on first use and kept, so that a
// write refused now outlives the dialog that asked for it.
//
// - Reads and writes happen under the folder's lock (FolderLock). A lock
//   not had within its short wait refuses the write: nothing is written
//   without it. A refused or failed write (a full disk) is named in
//   UnsavedFiles with a retry that merges afresh. The change is kept here
//   until it is on disk (pendingChange(), view()); a write that succeeds
//   takes it and the entry out.
// - The write merges (KeyedMerge) what the caller holds with what is on
//   disk now, against the caller's base: what that caller last read or
//   wrote. Each save hands back the merged entries, the new base.
// - A symbolic link at the name, an empty file (0 bytes, a torn write), a
//   file too large or that does not read as its kind (or would take more
//   memory than LoadBudget allows) is set aside under a name of its own
//   (BoundedFile::setAside, which tells the user) and never merged as
//   "everything removed"; what a link names is never read nor written.
//   Only a file not there or set aside holds nothing of the others: a read
//   that failed otherwise (an I/O error, the program ending meanwhile)
//   refuses the write, which is kept and retried as a failed one. A link,
//   or anything but a file, at the name is set aside before any write, and
//   when it cannot be (every aside name taken, a folder the user may not
//   write) the write is refused, kept and retried in the same way.
// - Each write removes what killed copies left in the folder (their
//   temporary files, once a minute old and held by nobody).
//
// Four ways to write: save() merges a change onto the file; replace() puts
// entries in place of it; saveStore() has a store write the file itself
// (merged, or several files as one); writeReceived() puts a peer's bytes in
// place of it, now or not at all.
//
// GUI thread only, like UnsavedFiles.
class SharedFile
{
public:
    // How a kind of shared file reads: how its entries are keyed and read
    // from its bytes.
    class Reader
    {
    public:
        virtual ~Reader() = default;
        // Names the file for the user ("the value list \"types\"").
        virtual QString what() const = 0;
        // The largest file of the kind read or written.
        virtual qint64 maxSize() const = 0;
        // The most entries a file of the kind holds (-1: any number).
        virtual qint64 maxEntries() const { return -1; }
        // The entries of a file's bytes, each charged to budget (the kind
        // stops once it is spent); false when the bytes are no file of the
        // kind.
        virtual bool read(const QByteArray &bytes, KeyedMerge::Entries &entries,
                          LoadBudget &budget) const = 0;
        // Whether what reads of a file that does not read whole stays in
        // use (a list of lines each of which is an entry or none): read()
        // then leaves those entries in entries. Such a file is set aside as
        // any other, and its entries are the set-aside file's (read()),
        // kept by a merge.
        virtual bool keepsWhatReads() const { return false; }
    };
    // What a kind of shared file that this owner writes says of itself.
    class Kind : public Reader
    {
    public:
        // The bytes of a file of entries: never empty, as an empty file
        // reads as damage.
        virtual QByteArray write(const KeyedMerge::Entries &entries) const = 0;
    };
    using KindPtr = std::shared_ptr<const Kind>;

    enum Result {
        Done,
        // nothing there: no entries
        Missing,
        // another copy of the program holds the folder
        Refused,
        // the file was no file of its kind, and is out of the way now
        SetAside,
        // the file could not be read or written
        Failed,
    };

    // Called with the merged entries (and which of them came from the
    // disk) after each write of a save, the retries' included: the saver's
    // new base and content.
    using Taken = std::function<void(const KeyedMerge::Entries &merged, const QVector<bool> &theirs)>;
    // Called with the merged entries before they are written: the saver
    // takes them in and gives what is written (a kind whose entries must
    // be made whole again, such as names made unique).
    using Settle = std::function<KeyedMerge::Entries(const KeyedMerge::Entries &merged, const QVector<bool> &theirs)>;

    static SharedFile *at(const QString &path);
    QString path() const { return m_path; }

    // The entries on disk, read under the lock. Without it (not had in
    // time) the file is read all the same, as a write replaces it in one
    // step, but not set aside: Failed when it does not read. SetAside
    // gives what read of the file for a kind that keeps it.
    Result read(const Reader &kind, KeyedMerge::Entries &entries);
    // ours saved onto the file: merged with what is on disk now against
    // base, written, and taken() told (at once, or after a retry). Done when
    // on disk; otherwise the file is in UnsavedFiles and the change kept.
    // A save takes the place of a change still kept: its caller continued
    // from it (an owner that keeps its base and entries until they are
    // written, an editor that started from view()).
    Result save(const KindPtr &kind, const KeyedMerge::Entries &base,
                const KeyedMerge::Entries &ours, const Taken &taken = Taken(),
                const Settle &settle = Settle());
    // entries in place of what the file holds, whatever that is (written,
    // or kept for the retry, as save()); a file there that does not read as
    // kind is set aside first, as for save().
    Result replace(const KindPtr &kind, const KeyedMerge::Entries &entries);
    // What a store that writes its file itself hands over for one attempt
    // of its save.
    struct StoreChange
    {
        // How the file reads; null: ours are written as they are, unmerged.
        std::shared_ptr<const Reader> reader;
        KeyedMerge::Entries base;
        KeyedMerge::Entries ours;
        // Takes the merged entries in and writes them; false, and why, when
        // they are not on disk. Null: nothing to write (the store is gone,
        // or saved since).
        std::function<bool(const KeyedMerge::Entries &merged, const QVector<bool> &theirs, QString *failure)> write;
    };
    // A save as save() makes it, of a file a writer of its own replaces (a
    // record store's BookFile, with its crash-safe save, stamp and kept
    // copies). Each attempt, the first and every retry while the file is in
    // UnsavedFiles, asks change() for the store as it is then, under the
    // folder's lock; the file is read and merged as for save(), and the
    // change writes the result.
    Result saveStore(const QString &what, const std::function<StoreChange()> &change);
    // The change of a save with nothing to merge (several files written as
    // one under the folder's lock, as the templates' book and index): write
    // says why it failed.
    static std::function<StoreChange()> unmerged(const std::function<bool(QString *reason)> &write);
    // The file as a read of it finds it: a link there, or an empty file,
    // is set aside (true then). Under the folder's lock.
    static bool setAsideIfForeign(const QString &path);
    // The entries as the kept change would make the file as it is now (as
    // read() when none is kept); base, when given, receives what a save of
    // them merges against: the file as read. Done when there are entries.
    Result view(const Reader &kind, KeyedMerge::Entries &entries, KeyedMerge::Entries *base = nullptr);
    // The change of a refused or failed write, kept for its retry: false
    // when none is. replacing says the entries replace the file whatever
    // it holds (base is empty then).
    bool pendingChange(KeyedMerge::Entries *base, KeyedMerge::Entries *ours,
                       bool *replacing = nullptr) const;
    // Whether the last write of this file is still to be done.
    bool isUnsaved() const;
    // Names the file for the user as its last write that was not done did.
    QString what() const { return m_what; }
    // Why the last read or write failed, for the user.
    QString failure() const { return m_failure; }
    // A file whose bytes come whole from outside (a network peer's): they
    // take the place of what the file holds when they read as kind, written
    // now as replace() writes them (under the folder's lock, a link at the
    // name set aside, never written through), or not at all: a refused or
    // failed write is only said (failure()), and a change kept here stays
    // kept for its retry, which merges it onto them.
    Result writeReceived(const Kind &kind, const QByteArray &bytes);
    // Whether bytes read whole as a file of kind, within its size and its
    // memory budget; entries receives what they hold. stopped, when given,
    // says the read ended as the program was asked to end (no verdict).
    static bool readsAs(const Reader &kind, const QByteArray &bytes, KeyedMerge::Entries &entries,
                        bool *stopped = nullptr);

    SharedFile(const SharedFile &) = delete;
    SharedFile &operator=(const SharedFile &) = delete;

private:
    explicit SharedFile(const QString &path);
    Result readLocked(const Reader &kind, KeyedMerge::Entries &entries);
    // what was found at the name (a link, something that is no file, or a
    // file that does not read) out of the way; Failed, and failure() says
    // why, when it cannot be
    Result setAsideLocked(int found);
    // Before a write, under the lock: a link or anything but a file at the
    // name set aside (false when it cannot be: nothing may be written), and
    // the temporary files killed copies left in the folder removed.
    bool clearNameLocked();
    // ours merged with the file as it is now against base; false when the
    // file could not be read (failure() says why) and nothing may be written
    bool mergeLocked(const Reader &kind, const KeyedMerge::Entries &base, const KeyedMerge::Entries &ours,
                     KeyedMerge::Entries &merged, QVector<bool> &theirs);
    Result saveOrReplace(const KindPtr &kind, const KeyedMerge::Entries *base,
                         const KeyedMerge::Entries &ours, const Taken &taken, const Settle &settle);
    // base null: ours replaces the file
    Result write(const Kind &kind, const KeyedMerge::Entries *base, const KeyedMerge::Entries &ours,
                 const Taken &taken, const Settle &settle);
    bool writePending();
    void keepUnsaved(const QString &what, const std::function<bool()> &retry);

    // a change not written yet
    struct Pending
    {
        KindPtr kind;
        bool replacing = false;
        KeyedMerge::Entries base;
        KeyedMerge::Entries ours;
        Taken taken;
        Settle settle;
    };

    QString m_path;
    QString m_failure;
    QString m_what;
    bool m_unsaved = false;
    std::unique_ptr<Pending> m_pending;
};

#endif
