#ifndef RECORDFILEREADER_H
#define RECORDFILEREADER_H

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class LoadBudget;
class PIMRecord;
class PIMTextReader;

// How one kind of record file reads (the categories, a book, the book
// index...): the one reader that the store's load, the read before a merge,
// the PC link's check of a file and the decision to set a file aside all
// use. A file is whole only when this reader takes all of it: the header
// block from its "FOLDER" line to its "END" line, each of its lines a
// header line, a TOTAL that is a count, then every record to its "END"
// line, as many as the TOTAL says and nothing but blank lines after them,
// and no zero byte where text belongs. What a file that is not whole holds
// is still read as far as it goes, lines holding a zero byte left out (a
// damaged book opens with it); Result::damage tells what the damage was.
class RecordFileReader
{
public:
    // A reading that finds several reports the last of these: a count that
    // differs tells the user most of what is missing.
    enum Damage {
        Whole,
        RecordCut,     // the last record ends before its "END" line
        StrayLine,     // a header line that is none (no "=", a record's UID)
        BadTotal,      // a TOTAL that is no count
        ZeroByte,      // a zero byte where text belongs
        NoHeader,      // the file does not begin with its header
        HeaderCut,     // the file ends inside its header
        Empty,         // no bytes at all (what a torn write leaves)
        MoreRecords,   // non-blank text after the records the TOTAL counts
        FewerRecords,  // fewer records than the TOTAL counts
    };

    // Makes an empty record of the kind (owned by the caller).
    using Factory = std::function<PIMRecord *()>;
    // A header line, split at every "=" (the TOTAL line is this reader's).
    using HeaderLine = std::function<void(QStringList &parts)>;
    // What a record read costs in memory where it is kept (charged to the
    // budget); heldKeys lets records that share a text count it once.
    using Cost = std::function<qint64(const PIMRecord *record, QSet<const QChar *> &heldKeys)>;

    // headerOnly: the kind's files are read to the end of their header
    // only (the book index, a book's header alone).
    RecordFileReader(const Factory &create, bool headerOnly);

    // What one reading found.
    struct Result
    {
        Damage damage = Whole;
        // a line too long or a failed read: the file does not read (a
        // load keeps what came before, and says so)
        bool failed = false;
        // where the record part begins: just after the "END" line of the
        // header (0 without a header)
        qint64 offset = 0;
        // the header's TOTAL; -1 when it states none (or none readable)
        int total = -1;
        // Records read with the UID of a record before them in the file,
        // each given one of its own (see giveUids()), with the UID they
        // were read with: what was kept under it (an alarm) is the first
        // one's, or follows its own record.
        struct Renamed
        {
            PIMRecord *record;
            QByteArray uid; // the 16 bytes
        };
        std::vector<Renamed> renamed;
        void mark(Damage d)
        {
            if (d > damage)
                damage = d;
        }
    };

    // The header block from where in stands, each line but TOTAL's handed
    // to line (which may be null). Charges what the lines keep to in's
    // budget.
    void readHeader(PIMTextReader &in, const HeaderLine &line, Result &result) const;

    // The whole text of a file: its header, then (unless header-only) its
    // records, each made by the factory, charged cost (null: its own size)
    // and appended to records (the caller's then) in file order. Records
    // read without a UID, or with one a record before them holds, get one
    // made of their text (giveUids()). Records beyond the TOTAL are not
    // taken, nor any of a text over the budget.
    // inParts: a large text may be read in parts on Qt's thread pool (see
    // setPartBytes()), with the same result.
    void read(const QByteArray &text, LoadBudget *budget, const HeaderLine &line, const Cost &cost,
              bool inParts, std::vector<PIMRecord *> &records, Result &result) const;

    // Whether bytes read whole as a file of this kind, within budget: the
    // check of a file a peer sends or that is about to be taken.
    bool readsWhole(const QByteArray &bytes, LoadBudget &budget) const;

    // A large text is read in parts of at least this many bytes; for
    // tests, 0 brings back the default.
    static void setPartBytes(qint64 bytes);

    // A sentence for the user on what the damage is; empty for Whole.
    static QString damageText(Damage damage);

private:
    // The UID a record read without one, or with the UID of a record
    // before it, is given: made of its block's text (as in the file, from
    // its first line to its "END" line) and of how many blocks of that same
    // text came before it in the file. Every reading of the same file, here
    // or in another copy of the program, gives the record the same UID, so
    // that a merge finds it again.
    class UidMaker
    {
    public:
        void give(PIMRecord *record, const char *block, int length);

    private:
        QHash<QByteArray, int> m_seen;
    };

    struct Part;
    class UidSet;
    // The hash of a record's UID, never 0; 0 for a record without one.
    static quint64 uidHash(const PIMRecord *record);
    // One identity per record of a file, in file order: the first record
    // holding a UID keeps it; a record without one, and a later one
    // holding the same, gets one made of its block (UidMaker) that no
    // record of the file holds.
    // parts: those the records were read in, or the one of a reading in
    // one go.
    static void giveUids(const QByteArray &text, const std::vector<PIMRecord *> &records,
                         const std::vector<Part> &parts, Result &result);
    void readHeaderLines(PIMTextReader &in, const HeaderLine &line, Result &result) const;
    static void giveUid(PIMRecord *record, const QByteArray &uid);
    PIMRecord *readRecord(PIMTextReader &in, qint64 base, const Cost &cost, QSet<const QChar *> &heldKeys,
                          bool *ended) const;
    // zero: set to whether the parts' text holds a zero byte once they
    // are read (left as it is when the text is not read in parts).
    bool readInParts(const QByteArray &text, LoadBudget *budget, const Cost &cost, std::vector<Part> &parts,
                     std::vector<PIMRecord *> &records, Result &result, int *zero) const;
    // tables: how many UID tables the part's records are shared out among.
    void readPart(const QByteArray &text, Part &part, LoadBudget *budget, const Cost &cost, size_t tables) const;

    Factory m_create;
    bool m_headerOnly;
};

#endif
