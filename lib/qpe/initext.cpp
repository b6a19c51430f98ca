#include "initext.h"

#include "loadbudget.h"

#include <QHash>
#include <QStringList>

#include <algorithm>

namespace {

const char HexDigits[] = "0123456789ABCDEF";

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isBreak(char c)
{
    return c == '\n' || c == '\r';
}

// A hex digit's value, either case; -1 for any other character.
int hexValue(char c)
{
    const char lower = char(c | 0x20);
    if (c >= '0' && c <= '9')
        return c - '0';
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

bool isHexDigit(QChar c)
{
    return c.unicode() < 0x80 && hexValue(char(c.unicode())) >= 0;
}

// ---- names

void appendEscapedName(QByteArray &out, const QString &name)
{
    for (const QChar qc : name) {
        const ushort c = qc.unicode();
        if (c == '/') {
            out += '\\';
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'
                   || c == '-' || c == '.') {
            out += char(c);
        } else if (c <= 0xff) {
            out += '%';
            out += HexDigits[c >> 4];
            out += HexDigits[c & 15];
        } else {
            out += "%U";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += HexDigits[(c >> shift) & 15];
        }
    }
}

// A name of the file: "\" a level, %XX and %UXXXX a character, any other
// byte the character of that number.
QString unescapedName(const char *text, int size)
{
    QString out;
    out.reserve(size);
    for (int i = 0; i < size;) {
        const char c = text[i];
        if (c == '\\') {
            out += QLatin1Char('/');
            ++i;
            continue;
        }
        const int digits = c == '%' && i + 1 < size && text[i + 1] == 'U' ? 4 : 2;
        const int from = i + (digits == 4 ? 2 : 1);
        int code = 0;
        bool escaped = c == '%' && from + digits <= size;
        for (int k = 0; escaped && k < digits; ++k) {
            const int v = hexValue(text[from + k]);
            escaped = v >= 0;
            code = code * 16 + v;
        }
        if (!escaped) {
            out += QLatin1Char(c);
            ++i;
            continue;
        }
        out += QChar(ushort(code));
        i = from + digits;
    }
    return out;
}

// ---- values

// A text as it stands after "=": escaped, quoted where blanks at an end or
// a separator would not read back.
QByteArray escapedText(const QString &text, bool asUtf8)
{
    QByteArray out;
    out.reserve(text.size() + 2);
    bool quote = false;
    // after a number escape a digit would read as part of it
    bool hexFollows = false;
    for (const QChar qc : text) {
        const ushort c = qc.unicode();
        if (c == ';' || c == ',' || c == '=')
            quote = true;
        if (hexFollows && isHexDigit(qc)) {
            out += "\\x" + QByteArray::number(c, 16);
            continue;
        }
        hexFollows = false;
        switch (c) {
        case 0:
            out += "\\0";
            hexFollows = true;
            break;
        case '\a': out += "\\a"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\v': out += "\\v"; break;
        case '"':
        case '\\':
            out += '\\';
            out += char(c);
            break;
        default:
            if (c < 0x20 || (c >= 0x7f && !asUtf8)) {
                out += "\\x" + QByteArray::number(c, 16);
                hexFollows = true;
            } else if (c >= 0x80) {
                out += QString(qc).toUtf8();
            } else {
                out += char(c);
            }
        }
    }
    if (quote || out.startsWith(' ') || out.endsWith(' ')) {
        out.prepend('"');
        out.append('"');
    }
    return out;
}

void chopBlanks(QString &s, int keep)
{
    int n = s.size();
    while (n > keep && (s.at(n - 1) == QLatin1Char(' ') || s.at(n - 1) == QLatin1Char('\t')))
        --n;
    s.truncate(n);
}

// The texts of a value: one, or several where it held a "," outside quotes.
QStringList valueParts(const QByteArray &raw)
{
    QStringList parts;
    QString cur;
    const char *t = raw.constData();
    const int n = raw.size();
    int i = 0;
    bool inQuotes = false, quoted = false, list = false;
    // what escapes put in is no blank to chop
    int kept = 0;
    const auto skipBlanks = [&] {
        while (i < n && isBlank(t[i]))
            ++i;
        kept = cur.size();
    };
    skipBlanks();
    while (i < n) {
        const char c = t[i];
        if (c == '\\') {
            if (++i >= n)
                break;
            const char e = t[i++];
            static const char simple[] = "a\ab\bf\fn\nr\rt\tv\v\"\"??''\\\\";
            const char *s = simple;
            while (*s && *s != e)
                s += 2;
            if (*s) {
                cur += QLatin1Char(s[1]);
            } else if (e == 'x' || (e >= '0' && e <= '7')) {
                const int base = e == 'x' ? 16 : 8;
                int code = e == 'x' ? 0 : e - '0';
                bool any = e != 'x';
                for (int v; i < n && (v = hexValue(t[i])) >= 0 && v < base; ++i) {
                    code = (code * base + v) & 0xffff;
                    any = true;
                }
                if (any)
                    cur += QChar(ushort(code));
            } else if (isBreak(e)) {
                // the value goes on with the next line
                if (i < n && isBreak(t[i]) && t[i] != e)
                    ++i;
            }
            kept = cur.size();
        } else if (c == '"') {
            ++i;
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes)
                skipBlanks();
        } else if (c == ',' && !inQuotes) {
            if (!quoted)
                chopBlanks(cur, kept);
            parts << cur;
            cur.clear();
            quoted = false;
            list = true;
            ++i;
            skipBlanks();
        } else {
            int j = i + 1;
            while (j < n && t[j] != '\\' && t[j] != '"' && t[j] != ',')
                ++j;
            cur += QString::fromUtf8(t + i, j - i);
            i = j;
        }
    }
    if (!quoted)
        chopBlanks(cur, kept);
    if (!list)
        return QStringList{cur};
    parts << cur;
    return parts;
}

// ---- lines

struct Line
{
    int from;   // first byte that is no blank
    int end;    // where its break is (or the text ends)
    int equals; // first "=", -1 when none
};

// The next line from at, a break escaped or inside quotes included; false
// at the end of the text.
bool nextLine(const QByteArray &text, int &at, Line &line)
{
    const char *t = text.constData();
    const int n = text.size();
    while (at < n && (isBlank(t[at]) || isBreak(t[at])))
        ++at;
    if (at >= n)
        return false;
    line.from = at;
    line.equals = -1;
    // a comment ends at its break, whatever it holds
    const bool comment = t[at] == ';';
    bool inQuotes = false;
    int i = at;
    for (; i < n; ++i) {
        const char c = t[i];
        if (comment) {
            if (isBreak(c))
                break;
            continue;
        }
        if (c == '\\' && i + 1 < n) {
            ++i;
            // "\r\n" after the escape: the whole break goes on
            if (t[i] == '\r' && i + 1 < n && t[i + 1] == '\n')
                ++i;
            continue;
        }
        if (c == '"')
            inQuotes = !inQuotes;
        else if (c == '=' && line.equals < 0)
            line.equals = i;
        else if (isBreak(c) && !inQuotes)
            break;
    }
    line.end = i;
    at = i;
    return true;
}

// The group a "[...]" line opens, with "/" after it ("" for the top level).
QString groupOf(const char *text, int size)
{
    const QByteArray name = QByteArray::fromRawData(text, size).trimmed();
    if (name.compare("general", Qt::CaseInsensitive) == 0)
        return QString();
    if (name.compare("%general", Qt::CaseInsensitive) == 0)
        return QStringLiteral("general/");
    return unescapedName(name.constData(), name.size()) + QLatin1Char('/');
}

qint64 entryCost(const QByteArray &key, const QByteArray &value)
{
    return LoadBudget::heapBytes(qint64(sizeof(QArrayData)) + key.size() + 1)
           + LoadBudget::heapBytes(qint64(sizeof(QArrayData)) + value.size() + 1) + 32;
}

// The group an entry stands in ("" for the top level) and its key there.
void splitPath(const QString &path, QString &group, QString &key)
{
    const int slash = path.indexOf(QLatin1Char('/'));
    group = slash < 0 ? QString() : path.left(slash);
    key = slash < 0 ? path : path.mid(slash + 1);
}

} // namespace

QString IniText::normalizedPath(const QString &path)
{
    if (!path.contains(QLatin1Char('/')))
        return path;
    return path.split(QLatin1Char('/'), Qt::SkipEmptyParts).join(QLatin1Char('/'));
}

bool IniText::read(const QByteArray &text, KeyedMerge::Entries &entries, LoadBudget &budget)
{
    // settings are text: a zero byte says it is something else
    if (text.contains('\0'))
        return false;
    const char *t = text.constData();
    int at = text.startsWith("\xef\xbb\xbf") ? 3 : 0;
    QString group;
    QHash<QByteArray, int> places;
    bool anyLine = false, anySetting = false;
    Line line;
    while (nextLine(text, at, line)) {
        const char first = t[line.from];
        if (first == ';')
            continue;
        anyLine = true;
        if (first == '[') {
            const char *close = static_cast<const char *>(memchr(t + line.from, ']', size_t(line.end - line.from)));
            const int nameEnd = close ? int(close - t) : line.end;
            group = groupOf(t + line.from + 1, nameEnd - line.from - 1);
            anySetting = true;
            continue;
        }
        if (line.equals < 0)
            continue;
        anySetting = true;
        const QByteArray name = QByteArray::fromRawData(t + line.from, line.equals - line.from).trimmed();
        const QString path = normalizedPath(group + unescapedName(name.constData(), name.size()));
        if (name.isEmpty() || path.isEmpty())
            continue;
        KeyedMerge::Entry e{path.toUtf8(), QByteArray(t + line.equals + 1, line.end - line.equals - 1)};
        if (!budget.charge(entryCost(e.key, e.value), 1))
            return false;
        const auto known = places.constFind(e.key);
        if (known != places.constEnd()) {
            entries[*known].value = e.value;
            continue;
        }
        places.insert(e.key, entries.size());
        entries.append(e);
    }
    return anySetting || !anyLine;
}

QByteArray IniText::write(const KeyedMerge::Entries &entries)
{
    QStringList groups;
    QHash<QString, QVector<int>> members;
    for (int i = 0; i < entries.size(); ++i) {
        QString group, key;
        splitPath(QString::fromUtf8(entries.at(i).key), group, key);
        auto it = members.find(group);
        if (it == members.end()) {
            groups << group;
            it = members.insert(group, {});
        }
        it->append(i);
    }
    QByteArray out;
    for (const QString &group : qAsConst(groups)) {
        if (!out.isEmpty())
            out += '\n';
        out += '[';
        if (group.isEmpty()) {
            out += "General";
        } else if (group.compare(QLatin1String("general"), Qt::CaseInsensitive) == 0) {
            // the name itself would read as the top level
            out += '%';
            out += HexDigits[group.at(0).unicode() >> 4];
            out += HexDigits[group.at(0).unicode() & 15];
            out += group.mid(1).toLatin1();
        } else {
            appendEscapedName(out, group);
        }
        out += "]\n";
        for (int i : members.value(group)) {
            QString g, key;
            splitPath(QString::fromUtf8(entries.at(i).key), g, key);
            appendEscapedName(out, key);
            out += '=';
            out += entries.at(i).value;
            out += '\n';
        }
    }
    // an empty file reads as a torn one
    return out.isEmpty() ? QByteArray("\n") : out;
}

QByteArray IniText::valueText(const QString &value)
{
    // such a text is written as its UTF-8 bytes: QSettings wrote a
    // character of two UTF-16 units one unit at a time, losing it
    if (std::any_of(value.begin(), value.end(), [](QChar c) { return c.isSurrogate(); })) {
        const QByteArray bytes = value.toUtf8();
        return escapedText(QStringLiteral("@ByteArray(") + QString::fromLatin1(bytes.constData(), bytes.size()) + QLatin1Char(')'), false);
    }
    if (value.contains(QChar(0)))
        return escapedText(QStringLiteral("@String(") + value + QLatin1Char(')'), true);
    if (value.startsWith(QLatin1Char('@')))
        return escapedText(QLatin1Char('@') + value, true);
    return escapedText(value, true);
}

QString IniText::value(const QByteArray &text)
{
    const QStringList parts = valueParts(text);
    if (parts.size() > 1) {
        // a list: an element of another type makes it none of texts
        QStringList texts;
        for (const QString &p : parts) {
            if (p.startsWith(QLatin1String("@@")))
                texts << p.mid(1);
            else if (p.startsWith(QLatin1Char('@')))
                return QLatin1String("");
            else
                texts << p;
        }
        return texts.join(QLatin1Char(','));
    }
    const QString &s = parts.first();
    if (s.startsWith(QLatin1Char('@')) && s.endsWith(QLatin1Char(')'))) {
        if (s.startsWith(QLatin1String("@ByteArray("))) {
            const QByteArray bytes = s.midRef(11, s.size() - 12).toLatin1();
            return QString::fromUtf8(bytes.constData(), bytes.size());
        }
        if (s.startsWith(QLatin1String("@String(")))
            return s.mid(8, s.size() - 9);
        if (s == QLatin1String("@Invalid()"))
            return QString();
        // other types (a rectangle, a serialised value) are no text
        for (const char *type : {"@Variant(", "@Rect(", "@Size(", "@Point("}) {
            if (s.startsWith(QLatin1String(type)))
                return QLatin1String("");
        }
    }
    if (s.startsWith(QLatin1String("@@")))
        return s.mid(1);
    return s.isNull() ? QLatin1String("") : s;
}
