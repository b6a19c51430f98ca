#include "pimcsvwriter.h"

#include "categorymanager.h"
#include "categoryrecord.h"
#include "pimrecordarray.h"
#include "task.h"
#include "ymrpim.h"

#include <QHash>
#include <QIODevice>
#include <QTextCodec>
#include <QTextStream>
#include <QThreadPool>
#include <QtConcurrentRun>
#include <QtEndian>

#include <cstring>
#include <deque>

namespace {

// Rows are handed on in blocks of about this many UTF-16 units.
const int BlockSize = 131072;
// Rows made as one piece of work on Qt's thread pool.
const int RowsPerPiece = 2048;

// Whole rows, written through a pointer: room is made once per field.
struct RowBuffer
{
    QString text;   // its size is the room
    QChar *base = nullptr;
    int size = 0;
    int used = 0;

    QChar *room(int n)
    {
        if (used + n > size) {
            text.resize(qMax(2 * size, used + n + 4096));
            base = text.data();
            size = text.size();
        }
        return base + used;
    }
};

// Every field ends with the delimiter; the row's last has none.
void endRow(RowBuffer &out, const QString &delimiter)
{
    out.used -= delimiter.size();
    *out.room(1) = QLatin1Char('\n');
    ++out.used;
}

inline QChar *copy(QChar *to, const QChar *from, int n)
{
    for (int i = 0; i < n; ++i)
        to[i] = from[i];
    return to + n;
}

// Copies n units and tells whether one of them was c; four units at a time
// (a unit equal to c is a zero unit after the exclusive or).
inline bool copyFinding(QChar *to, const QChar *from, int n, QChar c)
{
    const quint64 ones = 0x0001000100010001ULL;
    const quint64 pattern = ones * c.unicode();
    quint64 found = 0;
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        quint64 v;
        memcpy(&v, from + i, sizeof v);
        memcpy(static_cast<void *>(to + i), &v, sizeof v);
        const quint64 x = v ^ pattern;
        found |= (x - ones) & ~x & (ones << 15);
    }
    for (; i < n; ++i) {
        to[i] = from[i];
        found |= from[i] == c;
    }
    return found != 0;
}

// The field quoted, then the delimiter. The text is copied while it is
// searched for the qualifier; a text holding one is copied again, each
// qualifier doubled on the way.
void appendField(RowBuffer &out, const QString &text, const QString &qualifier,
                 const QString &delimiter)
{
    const QChar *from = text.constData();
    const int n = text.size();
    const int qn = qualifier.size();
    const int dn = delimiter.size();
    QChar *to = out.room(2 * n + 2 * qMax(qn, 1) + dn + 1);
    QChar q = qn == 1 ? qualifier.at(0) : QChar();
    // without a qualifier a field holding a line break, a quote or the
    // delimiter would read back as other fields: it is quoted all the same
    if (qn == 0) {
        const ushort d = dn == 1 ? delimiter.at(0).unicode() : ushort('\n');
        for (int i = 0; i < n; ++i) {
            const ushort c = from[i].unicode();
            if (c == '\n' || c == '\r' || c == '"' || c == d) {
                q = QLatin1Char('"');
                break;
            }
        }
        if (q.isNull() && dn > 1 && text.contains(delimiter))
            q = QLatin1Char('"');
        if (q.isNull()) {
            to = copy(to, from, n);
            out.used = int(copy(to, delimiter.constData(), dn) - out.base);
            return;
        }
    }
    if (qn > 1) {
        to = copy(to, qualifier.constData(), qn);
        int start = 0;
        for (int at; (at = text.indexOf(qualifier, start)) >= 0; start = at + qn) {
            to = copy(to, from + start, at + qn - start);
            to = copy(to, qualifier.constData(), qn);
        }
        to = copy(to, from + start, n - start);
        to = copy(to, qualifier.constData(), qn);
    } else {
        *to++ = q;
        if (copyFinding(to, from, n, q)) {
            // copied again, each qualifier doubled
            for (int i = 0; i < n; ++i) {
                const QChar c = from[i];
                *to++ = c;
                if (c == q)
                    *to++ = q;
            }
        } else {
            to += n;
        }
        *to++ = q;
    }
    out.used = int(copy(to, delimiter.constData(), dn) - out.base);
}

// Qt's UTF-32 encoders garble every character beyond the basic plane (four
// junk bytes follow it): UTF-32 is encoded here.
QByteArray toUtf32(const QString &text, bool bigEndian, bool byteOrderMark)
{
    QVector<uint> points = text.toUcs4();
    if (byteOrderMark)
        points.prepend(0xfeff);
    for (uint &p : points)
        p = bigEndian ? qToBigEndian(p) : qToLittleEndian(p);
    return QByteArray(reinterpret_cast<const char *>(points.constData()), points.size() * 4);
}

// What codec writes for a character it cannot hold: the number of stand-ins
// (codecs write "?", in some a pair of surrogates as two; another stand-in
// counts once), 0 when it leaves the character out.
int standInsFor(QTextCodec *codec, const QChar *character, int width)
{
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    const QByteArray bytes = codec->fromUnicode(character, width, &state);
    return bytes.isEmpty() ? 0 : qMax(1, int(bytes.count('?')));
}

// Counts the characters of text that codec cannot hold and what it writes
// for them; known remembers each character's answer (-1: it can be held).
void countLost(QTextCodec *codec, const QString &text, QHash<uint, int> &known,
               PIMCsvWriter::Lost &lost)
{
    const int n = text.size();
    for (int i = 0; i < n; ++i) {
        const int width = text.at(i).isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate() ? 2 : 1;
        const uint point = width == 2 ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1))
                                      : text.at(i).unicode();
        auto it = known.constFind(point);
        if (it == known.constEnd()) {
            const bool held = codec->canEncode(text.mid(i, width));
            it = known.insert(point, held ? -1 : standInsFor(codec, text.constData() + i, width));
        }
        if (*it >= 0) {
            ++lost.count;
            lost.standIns += *it;
            if (*it == 0)
                ++lost.dropped;
            const QString character = text.mid(i, width);
            if (lost.first.size() < 3 && !lost.first.contains(character))
                lost.first << character;
        }
        i += width - 1;
    }
}

} // namespace

PIMCsvWriter::PIMCsvWriter(const QString &dateFormat, const QString &dateTimeFormat,
                           const QString &qualifier, const QString &delimiter,
                           const QString &multiline)
    : m_dateFormat(dateFormat),
      m_dateTimeFormat(dateTimeFormat),
      m_qualifier(qualifier),
      m_delimiter(delimiter),
      m_multiline(multiline)
{
}

void PIMCsvWriter::write(QTextStream &out, const PIMRecordArray &records) const
{
    writeBlocks(records, [&out](const QString &block) { out << block; });
}

void PIMCsvWriter::writeBlocks(const PIMRecordArray &records,
                               const std::function<void(const QString &)> &sink) const
{
    RowBuffer header;
    for (const QString &title :
         {tr("Date"), tr("Type"), tr("Amount"), tr("Currency"), tr("City"), tr("Account"),
          tr("Description"), tr("Created Date"), tr("Updated Date"), tr("Categories")})
        appendField(header, title, m_qualifier, m_delimiter);
    endRow(header, m_delimiter);
    sink(QString::fromRawData(header.base, header.used));

    // Pieces of rows are made on Qt's thread pool (making them only reads
    // the records) and handed on here in their order; a few are ahead at
    // most, so that a large book is never held as text whole.
    const int n = records.count();
    const int ahead = qMax(2, 2 * QThreadPool::globalInstance()->maxThreadCount());
    std::deque<QFuture<QString>> pieces;
    int next = 0;
    const auto start = [&] {
        const int from = next;
        next = qMin(n, from + RowsPerPiece);
        pieces.push_back(QtConcurrent::run([this, &records, from, to = next] {
            return rows(records, from, to);
        }));
    };
    while (next < n && int(pieces.size()) < ahead)
        start();
    while (!pieces.empty()) {
        const QString text = pieces.front().result();
        pieces.pop_front();
        if (next < n)
            start();
        // handed on in blocks, as the encoders work best
        for (int at = 0; at < text.size();) {
            int end = qMin(text.size(), at + BlockSize);
            // a pair of surrogates stays in one block
            if (end < text.size() && text.at(end).isLowSurrogate())
                ++end;
            sink(QString::fromRawData(text.constData() + at, end - at));
            at = end;
        }
    }
}

QString PIMCsvWriter::rows(const PIMRecordArray &records, int from, int to) const
{
    RowBuffer block;
    block.room((to - from) * 160);
    // many expenses share a day: its text is made once
    QHash<qint64, QString> days;
    // stamps in the reused buffers, each kept until the next differs
    QString created, updated;
    QDate createdDate, updatedDate, lastCreatedDate, lastUpdatedDate;
    QTime createdTime, updatedTime, lastCreatedTime, lastUpdatedTime;
    bool haveCreated = false, haveUpdated = false;
    QString description, categories;
    // category titles by the UID texts the expenses name, each looked up once
    const CategoryManager *titlesOf = nullptr;
    QHash<QString, const CategoryRecord *> titles;
    for (int i = from; i < to; ++i) {
        const auto *t = dynamic_cast<const Task *>(records.at(i));
        if (!t)
            continue;
        const qint64 day = t->date.toJulianDay();
        auto date = days.constFind(day);
        if (date == days.constEnd()) {
            QString text;
            m_dateFormat.append(text, t->date, QTime(0, 0));
            date = days.insert(day, text);
        }
        t->createdParts(createdDate, createdTime);
        t->updatedParts(updatedDate, updatedTime);
        if (!haveCreated || createdDate != lastCreatedDate || createdTime != lastCreatedTime) {
            created.resize(0);
            m_dateTimeFormat.append(created, createdDate, createdTime);
            lastCreatedDate = createdDate;
            lastCreatedTime = createdTime;
            haveCreated = true;
        }
        // a record never changed was updated when it was created
        const bool sameStamps = updatedDate == createdDate && updatedTime == createdTime;
        if (!sameStamps
            && (!haveUpdated || updatedDate != lastUpdatedDate || updatedTime != lastUpdatedTime)) {
            updated.resize(0);
            m_dateTimeFormat.append(updated, updatedDate, updatedTime);
            lastUpdatedDate = updatedDate;
            lastUpdatedTime = updatedTime;
            haveUpdated = true;
        }
        const QString *text = &t->description;
        if (text->contains(QLatin1Char('\n'))) {
            description.resize(0);
            int from = 0;
            for (int at; (at = text->indexOf(QLatin1Char('\n'), from)) >= 0; from = at + 1) {
                description.append(text->constData() + from, at - from);
                description += m_multiline;
            }
            description.append(text->constData() + from, text->size() - from);
            text = &description;
        }
        categories.resize(0);
        const CategoryManager *cats = t->manager() ? t->manager()->categoryManager() : nullptr;
        if (cats) {
            if (cats != titlesOf) {
                titles.clear();
                titlesOf = cats;
            }
            bool first = true;
            const QStringList uids = t->categories();
            for (const QString &uid : uids) {
                auto it = titles.constFind(uid);
                if (it == titles.constEnd())
                    it = titles.insert(uid, static_cast<const CategoryRecord *>(cats->findRecord(uid)));
                if (!*it)
                    continue;
                if (!first)
                    categories += QLatin1String(", ");
                categories += (*it)->title;
                first = false;
            }
        }
        appendField(block, *date, m_qualifier, m_delimiter);
        appendField(block, t->type, m_qualifier, m_delimiter);
        appendField(block, t->amount, m_qualifier, m_delimiter);
        appendField(block, t->currency, m_qualifier, m_delimiter);
        appendField(block, t->city, m_qualifier, m_delimiter);
        appendField(block, t->account, m_qualifier, m_delimiter);
        appendField(block, *text, m_qualifier, m_delimiter);
        appendField(block, created, m_qualifier, m_delimiter);
        appendField(block, sameStamps ? created : updated, m_qualifier, m_delimiter);
        appendField(block, categories, m_qualifier, m_delimiter);
        endRow(block, m_delimiter);
    }
    block.text.resize(block.used);
    return block.text;
}

bool PIMCsvWriter::write(QIODevice *device, QTextCodec *codec, const PIMRecordArray &records,
                         Lost *lost) const
{
    if (!codec)
        codec = QTextCodec::codecForLocale();
    const int mib = codec->mibEnum();
    // UTF-16 and UTF-32 without a byte order mark leave readers guessing
    const bool byteOrderMark = mib == 1015 || mib == 1017;
    bool ok = true;
    // UTF-32, UTF-32BE, UTF-32LE
    if (mib >= 1017 && mib <= 1019) {
        // "UTF-32" (always with its mark) takes this machine's byte order, as Qt's does
        const bool bigEndian =
            mib == 1018 || (mib == 1017 && QSysInfo::ByteOrder == QSysInfo::BigEndian);
        bool mark = byteOrderMark;
        writeBlocks(records, [&](const QString &block) {
            const QByteArray bytes = toUtf32(block, bigEndian, mark);
            mark = false;
            ok = ok && device->write(bytes) == bytes.size();
        });
        return ok;
    }
    QTextCodec::ConverterState state(byteOrderMark ? QTextCodec::DefaultConversion
                                                   : QTextCodec::IgnoreHeader);
    QHash<uint, int> known;
    Lost found;
    writeBlocks(records, [&](const QString &block) {
        const int invalid = state.invalidChars;
        const QByteArray bytes = codec->fromUnicode(block.constData(), block.size(), &state);
        if (state.invalidChars != invalid)
            countLost(codec, block, known, found);
        ok = ok && device->write(bytes) == bytes.size();
    });
    if (lost)
        *lost = found;
    return ok;
}

QString PIMCsvWriter::lostText(const Lost &lost, const QString &codecName)
{
    const auto characters = [](int n) {
        return n == 1 ? tr("1 character") : tr("%1 characters").arg(n);
    };
    const auto standIns = [](int n) {
        return n == 1 ? tr("1 stand-in") : tr("%1 stand-ins").arg(n);
    };
    QString held;
    if (lost.dropped == 0 && lost.standIns == lost.count)
        held = tr("the file holds a stand-in for each.");
    else if (lost.dropped == 0)
        held = tr("the file holds %1 for them.").arg(standIns(lost.standIns));
    else if (lost.dropped == lost.count)
        held = tr("the file leaves them out.");
    else
        held = tr("the file holds %1 for %2 of them and leaves %3 out.")
                   .arg(standIns(lost.standIns))
                   .arg(lost.count - lost.dropped)
                   .arg(lost.dropped);
    QStringList first;
    for (const QString &c : lost.first)
        first << QStringLiteral("%1 (U+%2)").arg(
            c, QString::number(c.toUcs4().value(0), 16).toUpper().rightJustified(4, QLatin1Char('0')));
    return tr("%1 could not be written in %2: %3").arg(characters(lost.count), codecName, held)
           + QLatin1Char('\n') + tr("First: %1").arg(first.join(QStringLiteral(", ")));
}
