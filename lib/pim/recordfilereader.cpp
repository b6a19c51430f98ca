#include "recordfilereader.h"

#include "pimrecord.h"
#include "pimtextreader.h"

#include "qpe/loadbudget.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFuture>
#include <QThread>
#include <QtConcurrentRun>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>

namespace {

// A text of at least this many bytes is read in parts at once, parts of at
// least a quarter of it.
const qint64 PartBytes = 4 * 1024 * 1024;
qint64 s_partBytes = PartBytes;

// What a header line keeps besides its value: a map node, a list entry.
const qint64 HeaderLineBytes = 64;

// Where the block after the first "END" line that starts at or after at
// begins; -1 when no such line ends before size.
qint64 blockStartAfter(const char *text, qint64 at, qint64 size)
{
    static const char endLine[] = "\nEND";
    qint64 from = at - 1;
    while (from + 4 < size) {
        const void *hit = memmem(text + from, size_t(size - from), endLine, 4);
        if (!hit)
            return -1;
        const qint64 p = static_cast<const char *>(hit) - text + 4;
        if (p < size && text[p] == '\n')
            return p + 1;
        if (p + 1 < size && text[p] == '\r' && text[p + 1] == '\n')
            return p + 2;
        from = p;
    }
    return -1;
}

// What the lists of the records of bytes of text are charged.
qint64 listCost(qint64 bytes)
{
    return qint64(size_t(bytes / 64 + 16) * sizeof(PIMRecord *));
}

// A TOTAL is a count, or -1 for none (what a header-only store that never
// read a file writes); anything else is no TOTAL this program wrote.
bool readTotal(const char *p, int len, int *total)
{
    if (len == 2 && p[0] == '-' && p[1] == '1') {
        *total = -1;
        return true;
    }
    if (len < 1 || len > 10)
        return false;
    qint64 v = 0;
    for (int i = 0; i < len; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return false;
        v = v * 10 + (p[i] - '0');
    }
    if (v > INT_MAX)
        return false;
    *total = int(v);
    return true;
}

} // namespace

// UIDs a program made in a row may differ in a few bytes only: all of them
// count.
quint64 RecordFileReader::uidHash(const PIMRecord *record)
{
    if (record->uidPending())
        return 0;
    quint64 a, b;
    memcpy(&a, record->uid(), 8);
    memcpy(&b, record->uid() + 8, 8);
    quint64 h = a ^ (b * 0x9e3779b97f4a7c15ULL);
    h ^= h >> 31;
    h *= 0xbf58476d1ce4e5b9ULL;
    return (h ^ (h >> 29)) | 1;
}

namespace {

// Which of tables the UID of hash h goes in.
size_t tableOf(quint64 h, size_t tables)
{
    return size_t(((h >> 32) * tables) >> 32);
}

} // namespace

// The records read from a stretch of the text (all of it when it is read
// in one go).
struct RecordFileReader::Part
{
    qint64 from = 0;
    qint64 to = 0;
    std::vector<PIMRecord *> records;
    std::vector<quint64> hashes; // of the records' UIDs (uidHash())
    // where the part's records begin among the file's, once they are put
    // together; which of them (indexes in the part, in file order) each UID
    // table takes in, and those holding no UID
    size_t first = 0;
    std::vector<std::vector<quint32>> byTable;
    std::vector<quint32> uidless;
    bool ended = true;   // the last block ended at its "END" line
    bool failed = false; // a line too long
    bool zero = false;   // its text holds a zero byte

    // Shares the records with a UID out among tables.
    void share(size_t tables)
    {
        byTable.assign(tables, {});
        for (std::vector<quint32> &some : byTable)
            some.reserve(hashes.size() / tables + hashes.size() / tables / 4 + 16);
        for (quint32 i = 0; i < quint32(hashes.size()); ++i) {
            if (hashes[i])
                byTable[tableOf(hashes[i], tables)].push_back(i);
            else
                uidless.push_back(i);
        }
    }
};

// The UIDs of a file's records in tables by their hash, filled on Qt's
// thread pool at once: a slot holds a record's index plus one (0: free)
// and the upper half of its UID's hash, so that a look reads no other
// record unless the two agree. The threads that read the records hashed
// their UIDs and shared them out among the tables.
class RecordFileReader::UidSet
{
public:
    UidSet(const std::vector<PIMRecord *> &records, const std::vector<Part> &parts)
        : m_records(records), m_parts(parts), m_tables(parts.front().byTable.size())
    {
    }

    // Takes in the UIDs the records hold; the indexes of those that hold
    // none or one a record before them holds, in file order.
    std::vector<quint32> takeAll()
    {
        std::vector<std::vector<quint32>> needing(m_tables.size());
        std::vector<QFuture<void>> jobs;
        for (size_t t = 1; t < m_tables.size(); ++t)
            jobs.push_back(QtConcurrent::run([this, t, &needing] { fill(t, needing[t]); }));
        fill(0, needing[0]);
        for (QFuture<void> &job : jobs)
            job.waitForFinished();
        std::vector<quint32> all;
        for (const Part &part : m_parts) {
            for (const quint32 i : part.uidless) {
                if (part.first + i < m_records.size())
                    all.push_back(quint32(part.first + i));
            }
        }
        for (const std::vector<quint32> &some : needing)
            all.insert(all.end(), some.begin(), some.end());
        std::sort(all.begin(), all.end());
        size_t size = 16;
        while (size < 2 * all.size())
            size *= 2;
        m_made.assign(size, 0);
        return all;
    }

    // Takes a UID made for a record takeAll() found, of hash h, in; false
    // when another record holds it.
    bool takeMade(quint32 index, quint64 h)
    {
        const unsigned char *uid = m_records[index]->uid();
        return !holds(m_tables[tableOf(h, m_tables.size())], h, uid, index, false)
               && !holds(m_made, h, uid, index, true);
    }

private:
    // Fills table t with the UIDs shared out to it; needing: the records
    // holding a UID a record before them holds.
    void fill(size_t t, std::vector<quint32> &needing)
    {
        size_t count = 0;
        for (const Part &part : m_parts)
            count += part.byTable[t].size();
        size_t size = 16;
        while (size < 2 * count)
            size *= 2;
        std::vector<quint64> &table = m_tables[t];
        table.assign(size, 0);
        for (const Part &part : m_parts) {
            for (const quint32 i : part.byTable[t]) {
                const size_t at = part.first + i;
                // beyond the records taken, as all after it
                if (at >= m_records.size())
                    return;
                if (holds(table, part.hashes[i], m_records[at]->uid(), quint32(at), true))
                    needing.push_back(quint32(at));
            }
        }
    }

    // Whether a record of table holds uid (of hash h); when none does and
    // take says so, takes it in for the record of index.
    bool holds(std::vector<quint64> &table, quint64 h, const unsigned char *uid, quint32 index, bool take) const
    {
        const quint64 tag = h & ~quint64(0xffffffff);
        const size_t mask = table.size() - 1;
        for (size_t at = size_t(h >> 1) & mask;; at = (at + 1) & mask) {
            const quint64 there = table[at];
            if (!there) {
                if (take)
                    table[at] = tag | (index + 1);
                return false;
            }
            if ((there & ~quint64(0xffffffff)) == tag
                && memcmp(m_records[quint32(there) - 1]->uid(), uid, sizeof(uuid_t)) == 0)
                return true;
        }
    }

    const std::vector<PIMRecord *> &m_records;
    const std::vector<Part> &m_parts;
    std::vector<std::vector<quint64>> m_tables;
    // the UIDs made for the records takeAll() found
    std::vector<quint64> m_made;
};

RecordFileReader::RecordFileReader(const Factory &create, bool headerOnly)
    : m_create(create), m_headerOnly(headerOnly)
{
}

void RecordFileReader::setPartBytes(qint64 bytes)
{
    s_partBytes = bytes > 0 ? bytes : PartBytes;
}

void RecordFileReader::readHeader(PIMTextReader &in, const HeaderLine &line, Result &result) const
{
    // a header is short: each of its lines is looked at
    in.setSkipZeroLines(true);
    result.offset = 0;
    readHeaderLines(in, line, result);
    if (in.skippedZeroLine())
        result.mark(ZeroByte);
}

void RecordFileReader::readHeaderLines(PIMTextReader &in, const HeaderLine &line, Result &result) const
{
    if (!in.readLine()) {
        if (!in.hasError() && !in.stopped() && in.pos() == 0)
            result.mark(Empty);
        return;
    }
    if (!in.is("FOLDER")) {
        // records from the first line: what a book without its header holds
        in.unreadLine();
        result.mark(NoHeader);
        return;
    }
    bool ended = false;
    while (in.readLine()) {
        if (in.is("END")) {
            ended = true;
            break;
        }
        if (in.isEmpty())
            continue;
        if (in.hasValue() && in.key() == QLatin1String("TOTAL")) {
            const int at = int(in.key().size()) + 1;
            if (!readTotal(in.data() + at, in.size() - at, &result.total)) {
                result.total = -1;
                result.mark(BadTotal);
            }
            continue;
        }
        // no header line: an "END" line damaged, the header running on
        // into the first record (which starts with its UID); read all the
        // same, as far as a header takes it
        if (!in.hasValue() || in.key() == QLatin1String("UID"))
            result.mark(StrayLine);
        // what a line keeps, its value as text; a line that makes more of
        // its text charges that itself
        in.charge(HeaderLineBytes + 2 * qint64(in.size()));
        if (line) {
            QStringList parts = in.pieces();
            line(parts);
        }
    }
    in.settle();
    result.offset = in.pos();
    // a header cut short: whatever the file held after it is lost
    if (!ended && !in.hasError() && !in.stopped())
        result.mark(HeaderCut);
}

// The next block of in, whose bytes stand from base on in the file's text,
// read into a new record; null when only blank lines are left. ended tells
// whether the block ended at its "END".
PIMRecord *RecordFileReader::readRecord(PIMTextReader &in, qint64 base, const Cost &cost,
                                        QSet<const QChar *> &heldKeys, bool *ended) const
{
    // blank lines between blocks hold no record
    bool more = false;
    while (in.readLine()) {
        if (!in.isEmpty()) {
            in.unreadLine();
            more = true;
            break;
        }
    }
    if (!more)
        return nullptr;
    PIMRecord *r = m_create();
    const qint64 start = base + in.pos();
    in.beginEntry();
    *ended = r->read(in);
    // where the block stands in the text (what a cost may count by)
    if (base + in.pos() <= INT_MAX) {
        r->m_rawStart = int(start);
        r->m_rawLength = int(base + in.pos() - start);
    }
    in.endEntry(cost ? cost(r, heldKeys) : r->memorySize());
    return r;
}

void RecordFileReader::read(const QByteArray &text, LoadBudget *budget, const HeaderLine &line, const Cost &cost,
                            bool inParts, std::vector<PIMRecord *> &taken, Result &result) const
{
    PIMTextReader in(text);
    in.setBudget(budget);
    readHeader(in, line, result);
    result.failed = in.hasError();
    if (m_headerOnly || result.failed || in.stopped())
        return;
    // the lines of the records are looked at for a zero byte only in a
    // text that holds one; parts each look at their own bytes
    int zero = -1;
    std::vector<Part> parts;
    std::vector<PIMRecord *> records;
    if (!inParts || !readInParts(text, budget, cost, parts, records, result, &zero)) {
        if (zero < 0)
            zero = memchr(text.constData() + result.offset, '\0', size_t(text.size() - result.offset)) != nullptr;
        in.setSkipZeroLines(zero);
        in.charge(listCost(text.size() - result.offset));
        parts.assign(1, Part());
        Part &whole = parts.front();
        if (result.total > 0) {
            whole.records.reserve(size_t(qMin(result.total, 1 << 20)));
            whole.hashes.reserve(whole.records.capacity());
        }
        QSet<const QChar *> heldKeys;
        bool ended = true;
        while (result.total < 0 || int(whole.records.size()) < result.total) {
            PIMRecord *r = readRecord(in, 0, cost, heldKeys, &ended);
            if (!r)
                break;
            whole.records.push_back(r);
            whole.hashes.push_back(uidHash(r));
        }
        records.swap(whole.records);
        whole.share(1);
        // a block that does not end runs to the end of the text: the last
        if (!ended)
            result.mark(RecordCut);
        if (result.total >= 0 && int(records.size()) < result.total)
            result.mark(FewerRecords);
        // records beyond the total are read and charged as a reading in
        // parts reads them, which cannot know where the total ends: the
        // verdict on a file is the same whichever way it is read
        bool endedBeyond = true;
        std::vector<std::unique_ptr<PIMRecord>> beyond;
        while (result.total >= 0 && int(records.size()) == result.total && !in.stopped()) {
            PIMRecord *r = readRecord(in, 0, cost, heldKeys, &endedBeyond);
            if (!r)
                break;
            result.mark(MoreRecords);
            beyond.emplace_back(r);
        }
        if (!endedBeyond)
            result.mark(RecordCut);
        in.settle();
        result.failed = in.hasError();
    }
    if (zero)
        result.mark(ZeroByte);
    // over a limit, or stopped: nothing of it is taken (a failed read
    // keeps what it read, and says so)
    if (in.stopped() || (budget && budget->isSpent())) {
        for (PIMRecord *r : records)
            delete r;
        return;
    }
    giveUids(text, records, parts, result);
    if (taken.empty())
        taken.swap(records);
    else
        taken.insert(taken.end(), records.begin(), records.end());
}

// Reads a large text's blocks in parts on Qt's thread pool at once, parts
// that start after an "END" line. A part is read as the whole text would
// be when its last block ends at the "END" line before the next part: a
// block that runs on (an "END" inside a reminder, say) or a read that fails
// makes this give up, false, with nothing read, and the text is read in one
// go.
bool RecordFileReader::readInParts(const QByteArray &text, LoadBudget *budget, const Cost &cost,
                                   std::vector<Part> &parts, std::vector<PIMRecord *> &records, Result &result,
                                   int *zero) const
{
    const char *data = text.constData();
    const qint64 size = text.size();
    const qint64 bytes = size - result.offset;
    const int threads = qBound(1, QThread::idealThreadCount(), 16);
    if (!budget || threads < 2 || bytes < s_partBytes)
        return false;
    // one part a thread: more, smaller parts scatter the records over more
    // places in memory, which a view in another order than the file's feels
    const int wanted = int(qMin<qint64>(threads, bytes / qMax<qint64>(1, s_partBytes / 4)));
    std::vector<qint64> starts{result.offset};
    for (int k = 1; k < wanted; ++k) {
        const qint64 at = result.offset + bytes * k / wanted;
        if (at <= starts.back())
            continue;
        const qint64 start = blockStartAfter(data, at, size);
        if (start < 0 || start >= size)
            break;
        starts.push_back(start);
    }
    starts.push_back(size);
    const size_t count = starts.size() - 1;
    parts.resize(count);
    for (size_t i = 0; i < count; ++i) {
        parts[i].from = starts[i];
        parts[i].to = starts[i + 1];
    }
    const qint64 charged = budget->charged(), counted = budget->count();
    // the lists of records, charged once for the text as the reading in one
    // go charges them
    budget->charge(listCost(bytes));
    std::vector<QFuture<void>> jobs;
    for (size_t i = 1; i < count; ++i)
        jobs.push_back(QtConcurrent::run([this, &text, &parts, i, budget, &cost, count] {
            readPart(text, parts[i], budget, cost, count);
        }));
    readPart(text, parts[0], budget, cost, count);
    for (QFuture<void> &job : jobs)
        job.waitForFinished();
    size_t read = 0;
    bool whole = true;
    *zero = 0;
    for (size_t i = 0; i < count; ++i) {
        read += parts[i].records.size();
        whole = whole && !parts[i].failed && (i + 1 == count || parts[i].ended);
        *zero = *zero || parts[i].zero;
    }
    // over a limit, or stopped: the load ends with nothing read
    if (budget->isSpent()) {
        for (Part &part : parts)
            qDeleteAll(part.records);
        return true;
    }
    if (!whole) {
        for (Part &part : parts)
            qDeleteAll(part.records);
        parts.clear();
        // the reading in one go counts them again
        budget->charge(charged - budget->charged(), counted - budget->count());
        return false;
    }
    // a block that does not end is the text's last
    if (!parts.back().ended)
        result.mark(RecordCut);
    // records beyond the total, or fewer than it
    const size_t keep = result.total >= 0 ? qMin(read, size_t(result.total)) : read;
    if (result.total >= 0 && read < size_t(result.total))
        result.mark(FewerRecords);
    if (result.total >= 0 && read > size_t(result.total))
        result.mark(MoreRecords);
    records.reserve(keep);
    for (Part &part : parts) {
        part.first = records.size();
        const size_t n = qMin(part.records.size(), keep - records.size());
        records.insert(records.end(), part.records.begin(), part.records.begin() + n);
        for (size_t i = n; i < part.records.size(); ++i)
            delete part.records[i];
        part.records = std::vector<PIMRecord *>();
    }
    return true;
}

void RecordFileReader::readPart(const QByteArray &text, Part &part, LoadBudget *budget, const Cost &cost,
                                size_t tables) const
{
    const char *bytes = text.constData() + part.from;
    const int size = int(part.to - part.from);
    part.zero = memchr(bytes, '\0', size_t(size));
    PIMTextReader in(QByteArray::fromRawData(bytes, size));
    in.setBudget(budget);
    in.setSkipZeroLines(part.zero);
    // room for blocks of 64 bytes and more: a list grown among the records
    // would leave gaps between them
    const size_t room = size_t(size / 64 + 16);
    part.records.reserve(room);
    part.hashes.reserve(room);
    QSet<const QChar *> heldKeys;
    bool ended = true;
    while (PIMRecord *r = readRecord(in, part.from, cost, heldKeys, &ended)) {
        part.records.push_back(r);
        part.hashes.push_back(uidHash(r));
    }
    part.ended = ended;
    in.settle();
    part.failed = in.hasError();
    part.share(tables);
}

bool RecordFileReader::readsWhole(const QByteArray &bytes, LoadBudget &budget) const
{
    Result result;
    std::vector<PIMRecord *> records;
    read(bytes, &budget, HeaderLine(), Cost(), false, records, result);
    qDeleteAll(records);
    return !result.failed && result.damage == Whole && budget.outcome() == LoadBudget::Within;
}

void RecordFileReader::giveUids(const QByteArray &text, const std::vector<PIMRecord *> &records,
                                const std::vector<Part> &parts, Result &result)
{
    // the UIDs the file holds first, so that none made is one of them
    UidSet present(records, parts);
    const std::vector<quint32> needing = present.takeAll();
    UidMaker uids;
    for (const quint32 i : needing) {
        PIMRecord *r = records[i];
        const bool twin = !r->uidPending();
        const QByteArray was = twin ? QByteArray(reinterpret_cast<const char *>(r->m_uid), sizeof(uuid_t))
                                    : QByteArray();
        do
            uids.give(r, text.constData() + r->m_rawStart, r->m_rawLength);
        while (!present.takeMade(i, uidHash(r)));
        if (twin)
            result.renamed.push_back({r, was});
    }
}

void RecordFileReader::UidMaker::give(PIMRecord *record, const char *block, int length)
{
    const QByteArray text = QByteArray::fromRawData(block, length);
    int &seen = m_seen[QCryptographicHash::hash(text, QCryptographicHash::Sha1)];
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(text);
    hash.addData(QByteArray::number(seen++));
    QByteArray uid = hash.result().left(int(sizeof(uuid_t)));
    // a name-based UUID (version 5, RFC 4122 variant)
    uid[6] = char((uid.at(6) & 0x0f) | 0x50);
    uid[8] = char((uid.at(8) & 0x3f) | 0x80);
    giveUid(record, uid);
}

void RecordFileReader::giveUid(PIMRecord *record, const QByteArray &uid)
{
    memcpy(record->m_uid, uid.constData(), sizeof(uuid_t));
    record->m_uidPending = false;
}

QString RecordFileReader::damageText(Damage damage)
{
    switch (damage) {
    case Whole:
        break;
    case MoreRecords:
        return QCoreApplication::translate("RecordFileReader", "it holds more records than its header counts");
    case FewerRecords:
        return QCoreApplication::translate("RecordFileReader", "it holds fewer records than its header counts");
    case RecordCut:
        return QCoreApplication::translate("RecordFileReader", "its last record ends before its END line");
    case BadTotal:
        return QCoreApplication::translate("RecordFileReader", "the count of its header is no number");
    case StrayLine:
        return QCoreApplication::translate("RecordFileReader", "its header runs on past its END line");
    case HeaderCut:
        return QCoreApplication::translate("RecordFileReader", "it ends before its header does");
    case NoHeader:
        return QCoreApplication::translate("RecordFileReader", "it does not begin with its header");
    case ZeroByte:
        return QCoreApplication::translate("RecordFileReader", "it holds a zero byte where text belongs");
    case Empty:
        return QCoreApplication::translate("RecordFileReader", "it is empty");
    }
    return QString();
}
