#include "ymrpim.h"

#include "pimtextreader.h"
#include "qpe/boundedfile.h"
#include "qpe/filereplacer.h"
#include "qpe/global.h"
#include "qpe/keyedmerge.h"
#include "qpe/loadbudget.h"
#include "qpe/sharedfile.h"
#include "qpe/qpeapplication.h"
#include "qpe/utf8text.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrlistbox.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <charconv>
#include <memory>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QDate &dateOrigin()
{
    static const QDate origin(1980, 1, 1);
    return origin;
}

// "%08lld" without the printf machinery: a large book makes one per record
QString printKey(qint64 value)
{
    char digits[24];
    int n = 0;
    quint64 v = value < 0 ? quint64(0) - quint64(value) : quint64(value);
    do {
        digits[n++] = char('0' + v % 10);
        v /= 10;
    } while (v);
    const int sign = value < 0 ? 1 : 0;
    const int width = qMax(8, n + sign);
    QString key(width, QLatin1Char('0'));
    QChar *out = key.data();
    if (sign)
        out[0] = QLatin1Char('-');
    for (int i = 0; i < n; ++i)
        out[width - 1 - i] = QLatin1Char(digits[i]);
    return key;
}

void numbersOf(const QString &text, int *numbers, int count)
{
    const QByteArray latin = text.toLatin1();
    PIMTextReader::parseNumbers(latin.constData(), latin.size(), numbers, count);
}

// A decimal number: optional "-", digits, optional "." and digits, at least
// one digit in all.
struct Number
{
    bool negative = false;
    const QChar *intPart = nullptr;
    int intLen = 0;
    const QChar *fracPart = nullptr;
    int fracLen = 0;
};

bool parseNumber(const QString &text, Number &n)
{
    const QChar *p = text.constData();
    const QChar *end = p + text.size();
    if (p < end && *p == QLatin1Char('-')) {
        n.negative = true;
        ++p;
    }
    const QChar *digits = p;
    while (p < end && p->unicode() >= '0' && p->unicode() <= '9')
        ++p;
    n.intPart = digits;
    n.intLen = int(p - digits);
    if (p < end && *p == QLatin1Char('.')) {
        ++p;
        n.fracPart = p;
        while (p < end && p->unicode() >= '0' && p->unicode() <= '9')
            ++p;
        n.fracLen = int(p - n.fracPart);
    }
    if (p != end || n.intLen + n.fracLen == 0)
        return false;
    // leading zeros carry no value
    while (n.intLen > 0 && n.intPart->unicode() == '0') {
        ++n.intPart;
        --n.intLen;
    }
    bool zero = n.intLen == 0;
    for (int i = 0; zero && i < n.fracLen; ++i)
        zero = n.fracPart[i].unicode() == '0';
    if (zero)
        n.negative = false;
    return true;
}

int compareMagnitude(const Number &a, const Number &b)
{
    if (a.intLen != b.intLen)
        return a.intLen < b.intLen ? -1 : 1;
    for (int i = 0; i < a.intLen; ++i) {
        if (a.intPart[i] != b.intPart[i])
            return a.intPart[i] < b.intPart[i] ? -1 : 1;
    }
    const int len = qMax(a.fracLen, b.fracLen);
    for (int i = 0; i < len; ++i) {
        const ushort ca = i < a.fracLen ? a.fracPart[i].unicode() : '0';
        const ushort cb = i < b.fracLen ? b.fracPart[i].unicode() : '0';
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return 0;
}

inline bool isDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

} // namespace

QString YMRPIM::encodeValue(const QString &value)
{
    if (!value.contains(QLatin1Char('\n')))
        return value;
    QString s = value;
    s.replace(QLatin1Char('\n'), QLatin1Char('|'));
    return s;
}

QString YMRPIM::decodeValue(QStringList &pieces)
{
    if (!pieces.isEmpty())
        pieces.removeFirst();
    QString value = pieces.join(QLatin1Char('='));
    value.replace(QLatin1Char('|'), QLatin1Char('\n'));
    return value;
}

QString YMRPIM::dateToText(const QDate &date)
{
    if (!date.isValid())
        return QString();
    return QStringLiteral("%1 %2 %3").arg(date.day()).arg(date.month()).arg(date.year());
}

QString YMRPIM::dateTimeToText(const QDateTime &dateTime)
{
    const QDate d = dateTime.date();
    const QTime t = dateTime.time();
    if (!d.isValid() || !t.isValid())
        return QString();
    return QStringLiteral("%1 %2 %3 %4 %5 %6")
        .arg(d.day()).arg(d.month()).arg(d.year())
        .arg(t.hour()).arg(t.minute()).arg(t.second());
}

QString YMRPIM::timeToText(const QTime &time)
{
    if (!time.isValid())
        return QString();
    return QStringLiteral("%1 %2 %3").arg(time.hour()).arg(time.minute()).arg(time.second());
}

QDate YMRPIM::textToDate(const QString &text)
{
    if (text.isEmpty())
        return QDate();
    int v[3];
    numbersOf(text, v, 3);
    return PIMTextReader::calendarDate(v[0], v[1], v[2]);
}

QDateTime YMRPIM::textToDateTime(const QString &text)
{
    QDate date;
    QTime time;
    return textToWallTime(text, date, time) ? QDateTime(date, time) : QDateTime();
}

bool YMRPIM::textToWallTime(const QString &text, QDate &date, QTime &time)
{
    date = QDate();
    time = QTime();
    if (text.isEmpty())
        return false;
    int v[6];
    numbersOf(text, v, 6);
    date = PIMTextReader::calendarDate(v[0], v[1], v[2]);
    if (!date.isValid())
        return false;
    time = QTime(v[3], v[4], v[5]);
    if (!time.isValid())
        time = QTime(0, 0);
    return true;
}

QTime YMRPIM::textToTime(const QString &text)
{
    if (text.isEmpty())
        return QTime();
    int v[3];
    numbersOf(text, v, 3);
    return QTime(v[0], v[1], v[2]);
}

QString YMRPIM::sortKey(const QDate &date)
{
    if (!date.isValid())
        return QString();
    return printKey(dateOrigin().daysTo(date));
}

QString YMRPIM::sortKey(const QDateTime &dateTime)
{
    if (!dateTime.date().isValid() || !dateTime.time().isValid())
        return QString();
    // counted on the wall clock, as the file stores it: no time-zone
    // conversion per key (microseconds each, felt when a large book sorts)
    const qint64 days = dateOrigin().daysTo(dateTime.date());
    return printKey(days * 86400 + QTime(0, 0).secsTo(dateTime.time()));
}

QString YMRPIM::sortKey(const QTime &time)
{
    if (!time.isValid())
        return QString();
    return printKey(QTime(0, 0).secsTo(time));
}

QString YMRPIM::sortKey(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

QString YMRPIM::sortKey(int value)
{
    return printKey(value);
}

QString YMRPIM::sortKey(double value)
{
    // "%012.05f" of the C locale whatever LC_NUMERIC says: a decimal comma
    // would make the key fail the numeric comparison
    char buf[400];
    const std::to_chars_result r =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 5);
    const QByteArray text(buf, r.ec == std::errc() ? int(r.ptr - buf) : 0);
    const int pad = qMax(0, 12 - text.size());
    if (!std::isfinite(value))
        return QString(pad, QLatin1Char(' ')) + QString::fromLatin1(text);
    const int sign = text.startsWith('-') ? 1 : 0;
    return QString::fromLatin1(text.left(sign)) + QString(pad, QLatin1Char('0'))
           + QString::fromLatin1(text.mid(sign));
}

namespace {

// A plain decimal text: an optional minus, 1 to 10 digits, optionally a
// point and 1 to 5 digits. Such a value is an integer of at most 15 digits
// over a power of ten, both exact doubles, so one division gives the nearest
// double as any correct reader does, and printing it with five decimals
// gives back its own digits.
struct PlainAmount {
    bool minus = false;
    const QChar *intPart = nullptr;
    int intLen = 0;
    const QChar *fracPart = nullptr;
    int fracLen = 0;
};

bool readPlainAmount(const QString &text, PlainAmount &a)
{
    const QChar *p = text.constData();
    const QChar *end = p + text.size();
    if (p < end && *p == QLatin1Char('-')) {
        a.minus = true;
        ++p;
    }
    a.intPart = p;
    while (p < end && p->unicode() >= '0' && p->unicode() <= '9')
        ++p;
    a.intLen = int(p - a.intPart);
    if (a.intLen < 1 || a.intLen > 10)
        return false;
    if (p == end)
        return true;
    if (*p != QLatin1Char('.'))
        return false;
    a.fracPart = ++p;
    while (p < end && p->unicode() >= '0' && p->unicode() <= '9')
        ++p;
    a.fracLen = int(p - a.fracPart);
    return p == end && a.fracLen >= 1 && a.fracLen <= 5;
}

} // namespace

double YMRPIM::amountValue(const QString &text)
{
    PlainAmount a;
    if (!readPlainAmount(text, a))
        return text.toDouble();
    static const double powers[] = {1.0, 10.0, 100.0, 1000.0, 10000.0, 100000.0};
    qint64 m = 0;
    for (int i = 0; i < a.intLen; ++i)
        m = m * 10 + (a.intPart[i].unicode() - '0');
    for (int i = 0; i < a.fracLen; ++i)
        m = m * 10 + (a.fracPart[i].unicode() - '0');
    const double v = double(m) / powers[a.fracLen];
    return a.minus ? -v : v;
}

QString YMRPIM::amountSortKey(const QString &text)
{
    PlainAmount a;
    if (!readPlainAmount(text, a))
        return sortKey(text.toDouble());
    // "%012.05f": the sign, the integer digits without leading zeros padded
    // with zeros to a width of twelve in all, five decimals
    const QChar *digits = a.intPart;
    int intLen = a.intLen;
    while (intLen > 1 && digits->unicode() == '0') {
        ++digits;
        --intLen;
    }
    const int width = (a.minus ? 1 : 0) + intLen + 6;
    QString key(qMax(width, 12), QLatin1Char('0'));
    QChar *out = key.data();
    if (a.minus)
        *out++ = QLatin1Char('-');
    out += qMax(0, 12 - width);
    for (int i = 0; i < intLen; ++i)
        *out++ = digits[i];
    *out++ = QLatin1Char('.');
    for (int i = 0; i < a.fracLen; ++i)
        *out++ = a.fracPart[i];
    return key;
}

int YMRPIM::compareKeys(const QString &a, const QString &b)
{
    const int la = a.size();
    const int lb = b.size();
    if (la == 0 || lb == 0)
        return la == lb ? 0 : (la == 0 ? -1 : 1);
    // Fast path: keys of one fixed-width numeric form (same length, digits
    // at the same places, no sign) order as text.
    const QChar *pa = a.constData();
    const QChar *pb = b.constData();
    if (la == lb && isDigit(pa[0]) && isDigit(pb[0])) {
        int i = 0;
        for (; i < la; ++i) {
            const bool da = isDigit(pa[i]);
            if (da != isDigit(pb[i]) || (!da && (pa[i] != QLatin1Char('.') || pb[i] != QLatin1Char('.'))))
                break;
        }
        if (i == la) {
            const int c = QString::compare(a, b);
            return c < 0 ? -1 : (c > 0 ? 1 : 0);
        }
    }
    Number na, nb;
    const bool numA = parseNumber(a, na);
    const bool numB = parseNumber(b, nb);
    if (numA != numB)
        return numA ? -1 : 1;
    if (numA) {
        int c = 0;
        if (na.negative != nb.negative)
            c = na.negative ? -1 : 1;
        else
            c = na.negative ? -compareMagnitude(na, nb) : compareMagnitude(na, nb);
        if (c != 0)
            return c;
    }
    const int c = QString::compare(a, b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

QString YMRPIM::applicationName()
{
    QString name;
    if (QCoreApplication::instance())
        name = QCoreApplication::instance()->objectName();
    return name.isEmpty() ? QStringLiteral("ymrOutlays") : name;
}

QString YMRPIM::userListPath(const QString &name)
{
    return Global::applicationFileName(applicationName() + QStringLiteral("Data"), name);
}

QString YMRPIM::defaultListPath(const QString &name)
{
    return QPEApplication::qpeDir() + QStringLiteral("/etc/") + applicationName()
           + QLatin1Char('/') + name;
}

namespace {
// A list of a few hundred short entries takes some KB.
const qint64 MaxListSize = 1024 * 1024;
qint64 s_maxListSize = MaxListSize;
}

namespace {
// A list file: one entry per line, keyed by its text.
class ListKind : public SharedFile::Kind
{
public:
    explicit ListKind(const QString &name, const QString &what = QString())
        : m_what(what.isEmpty() ? YMRPIM::listWhat(name) : what)
    {
    }
    QString what() const override { return m_what; }
    qint64 maxSize() const override { return s_maxListSize; }
    bool read(const QByteArray &bytes, KeyedMerge::Entries &entries, LoadBudget &budget) const override
    {
        // a list is text: a NUL byte says it is something else, and bytes
        // that are no UTF-8 would be written back as other ones
        if (bytes.contains('\0') || !Utf8Text::valid(bytes))
            return false;
        const char *text = bytes.constData();
        for (int from = 0; from < bytes.size();) {
            int end = bytes.indexOf('\n', from);
            if (end < 0)
                end = bytes.size();
            if (end > from) {
                const qint64 n = end - from;
                // the entry here and its text as the list a reader takes
                if (!budget.charge(LoadBudget::heapBytes(qint64(sizeof(QArrayData)) + n + 1) + 16
                                       + LoadBudget::heapBytes(qint64(sizeof(QArrayData)) + 2 * (n + 1)) + 8,
                                   1))
                    return false;
                entries.append({QByteArray(text + from, int(n)), QByteArray()});
            }
            from = end + 1;
        }
        return true;
    }
    QByteArray write(const KeyedMerge::Entries &entries) const override
    {
        QByteArray bytes;
        for (const KeyedMerge::Entry &e : entries) {
            if (!bytes.isEmpty())
                bytes += '\n';
            bytes += e.key;
        }
        // an empty file reads as a torn one
        return bytes.isEmpty() ? QByteArray("\n") : bytes;
    }

private:
    QString m_what;
};

QStringList listOf(const KeyedMerge::Entries &entries)
{
    QStringList list;
    list.reserve(entries.size());
    for (const KeyedMerge::Entry &e : entries)
        list.append(Utf8Text::decode(e.key));
    return list;
}
} // namespace

QString YMRPIM::listWhat(const QString &label)
{
    return tr("the list \"%1\"").arg(label);
}

bool YMRPIM::saveList(const QString &name, const QStringList &list, const QStringList &base,
                      QStringList *saved, const QString &what)
{
    const SharedFile::KindPtr kind(new ListKind(name, what));
    // a retry comes after the caller may be gone: it tells only this
    const auto written = std::make_shared<QStringList>();
    const SharedFile::Taken taken = [written](const KeyedMerge::Entries &merged, const QVector<bool> &) {
        *written = listOf(merged);
    };
    if (SharedFile::at(userListPath(name))->save(kind, KeyedMerge::keysOnly(base), KeyedMerge::keysOnly(list), taken)
        != SharedFile::Done)
        return false;
    if (saved)
        *saved = *written;
    return true;
}

bool YMRPIM::saveList(const QString &name, const QStringList &list)
{
    const SharedFile::KindPtr kind(new ListKind(name));
    return SharedFile::at(userListPath(name))->replace(kind, KeyedMerge::keysOnly(list)) == SharedFile::Done;
}

QString YMRPIM::replacedFile(const QString &path)
{
    return FileReplacer::replacedFile(path);
}

bool YMRPIM::openNewFile(QFile &file, const QString &path)
{
    return FileReplacer::open(file, path);
}

bool YMRPIM::commitNewFile(QFile &file, bool written)
{
    return FileReplacer::commit(file, written);
}

QString YMRPIM::listPath(const QString &name)
{
    const QString path = userListPath(name);
    return QFile::exists(path) ? path : defaultListPath(name);
}

qint64 YMRPIM::maxListSize()
{
    return s_maxListSize;
}

void YMRPIM::setMaxListSize(qint64 size)
{
    s_maxListSize = size > 0 ? size : MaxListSize;
}

SharedFile::KindPtr YMRPIM::listKind(const QString &name)
{
    return SharedFile::KindPtr(new ListKind(name));
}

bool YMRPIM::readListFile(const QString &path, QStringList &list)
{
    QByteArray bytes;
    list.clear();
    if (BoundedFile::readAll(path, s_maxListSize, bytes) != BoundedFile::Ok)
        return false;
    KeyedMerge::Entries entries;
    LoadBudget budget(bytes.size());
    budget.charge(bytes.size());
    if (!ListKind(QString()).read(bytes, entries, budget))
        return false;
    bytes.clear();
    list = listOf(entries);
    return true;
}

QStringList YMRPIM::loadList(const QString &name, QStringList *base)
{
    const QString own = userListPath(name);
    const QFileInfo info(own);
    SharedFile *file = SharedFile::at(own);
    if (info.exists() || info.isSymLink() || file->pendingChange(nullptr, nullptr)) {
        KeyedMerge::Entries entries;
        KeyedMerge::Entries read;
        // one that is no list is set aside, and the installed one read
        if (file->view(ListKind(name), entries, &read) == SharedFile::Done) {
            if (base)
                *base = listOf(read);
            return listOf(entries);
        }
    }
    QStringList list;
    readListFile(defaultListPath(name), list);
    if (base)
        *base = list;
    return list;
}

QString YMRPIM::csvQuote(const QString &text, const QString &qualifier, const QString &separator)
{
    QString field;
    csvQuote(field, text, qualifier, separator);
    return field;
}

void YMRPIM::csvQuote(QString &out, const QString &text, const QString &qualifier,
                      const QString &separator)
{
    QString q = qualifier;
    // without a qualifier a field holding a line break, a quote or the
    // separator would read back as other fields: it is quoted all the same
    if (q.isEmpty()
        && (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))
            || text.contains(QLatin1Char('"'))
            || (!separator.isEmpty() && text.contains(separator))))
        q = QStringLiteral("\"");
    out += q;
    if (!q.isEmpty() && text.contains(q))
        out += QString(text).replace(q, q + q);
    else
        out += text;
    out += q;
    out += separator;
}

bool YMRPIM::csvSplit(QStringList &fields, const QString &line, QChar qualifier, QChar separator,
                      bool &continued)
{
    const int n = line.size();
    int pos = 0;
    const QString single(qualifier);
    const QString doubled = single + single;
    while (pos < n) {
        if (!continued && line.at(pos) != qualifier) {
            const int end = line.indexOf(separator, pos);
            continued = false;
            if (end < 0) {
                fields << line.mid(pos);
                return true;
            }
            fields << line.mid(pos, end - pos);
            pos = end + 1;
            continue;
        }
        const bool wasContinued = continued;
        if (!continued) {
            ++pos;
            if (pos >= n) {
                continued = false;
                return false;
            }
        }
        const int start = pos;
        int search = pos;
        int close = -1;
        for (;;) {
            const int k = line.indexOf(qualifier, search);
            if (k < 0)
                break;
            if (k + 1 < n && line.at(k + 1) == qualifier) {
                search = k + 2;
                if (search >= n) {
                    continued = false;
                    return false;
                }
                continue;
            }
            close = k;
            break;
        }
        QString content = close < 0 ? line.mid(start) + QLatin1Char('\n') : line.mid(start, close - start);
        content.replace(doubled, single);
        if (wasContinued && !fields.isEmpty())
            fields.last() += content;
        else
            fields << content;
        if (close < 0) {
            continued = true;
            return true;
        }
        continued = false;
        pos = close + 1;
        if (pos < n && line.at(pos) == separator)
            ++pos;
    }
    return true;
}

bool YMRPIM::copyFile(const QString &source, const QString &destination, bool move, qint64 maxSize)
{
    QFile in;
    if (BoundedFile::open(in, source, maxSize) != BoundedFile::Ok)
        return false;
    struct stat ss, ds;
    // the same file under another name (a link, a second mount path)
    if (::fstat(in.handle(), &ss) != 0
        || (::stat(QFile::encodeName(destination).constData(), &ds) == 0 && ds.st_dev == ss.st_dev
            && ds.st_ino == ss.st_ino))
        return false;
    QFile out;
    if (!openNewFile(out, destination))
        return false;
    bool ok = true;
    qint64 copied = 0;
    char block[16384];
    for (;;) {
        const qint64 got = in.read(block, sizeof block);
        if (got < 0) {
            ok = false;
            break;
        }
        copied += got;
        // one that grows meanwhile is copied no further than the limit
        if (copied > maxSize || (got > 0 && out.write(block, got) != got)) {
            ok = false;
            break;
        }
        if (got < qint64(sizeof block))
            break;
    }
    in.close();
    ok = ok && out.flush() && out.size() == copied;
    if (!commitNewFile(out, ok))
        return false;
    if (move)
        QFile::remove(source);
    return true;
}

QString &YMRPIM::replaceAll(const QString &pattern, const QString &replacement, QString &text)
{
    if (pattern.isEmpty())
        return text;
    int pos = text.indexOf(pattern, 0, Qt::CaseSensitive);
    while (pos >= 0) {
        text.replace(pos, pattern.size(), replacement);
        const int next = pos + 1 + replacement.size() - pattern.size();
        pos = text.indexOf(pattern, qMax(0, next), Qt::CaseSensitive);
    }
    return text;
}

namespace {
// Makes the entry of that text current; false when no entry matched.
template <typename Box>
bool selectText(Box *box, const QString &text, bool keepEmpty)
{
    const int n = int(box->count());
    if (text.isEmpty() && !keepEmpty) {
        if (n > 0)
            box->setCurrentItem(0);
        return true;
    }
    for (int i = 0; i < n; ++i) {
        if (box->text(i) == text) {
            box->setCurrentItem(i);
            return true;
        }
    }
    return false;
}
}

void YMRPIM::selectItem(YMRComboBox *box, const QString &text, bool keepEmpty)
{
    if (!selectText(box, text, keepEmpty))
        box->setEditText(text);
}

void YMRPIM::selectItem(YMRListBox *box, const QString &text, bool keepEmpty)
{
    if (!selectText(box, text, keepEmpty) && box->count() > 0)
        box->setCurrentItem(0);
}
