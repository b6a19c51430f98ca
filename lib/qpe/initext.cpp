#include "initext.h"

#include "loadbudget.h"
#include "utf8text.h"

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

// Where the character a "\" escapes ends, at i: a line break takes the
// other break character after it along ("\r\n", "\n\r").
int escapedEnd(const char *t, int n, int i)
{
    if (i + 1 < n && isBreak(t[i]) && isBreak(t[i + 1]) && t[i + 1] != t[i])
        return i + 2;
    return i + 1;
}

QByteArray trimmedBlanks(const char *text, int size)
{
    int from = 0;
    while (from < size && isBlank(text[from]))
        ++from;
    while (size > from && isBlank(text[size - 1]))
        --size;
    return QByteArray(text + from, size - from);
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
// byte the character of that number. The digits of an escape read as
// QSettings read them, as a number in the C way (blanks, a sign, "0x"
// allowed).
QString unescapedName(const QByteArray &name)
{
    const char *text = name.constData();
    const int size = name.size();
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
        bool escaped = c == '%' && from + digits <= size;
        const int code = escaped ? QByteArray(text + from, digits).toInt(&escaped, 16) : 0;
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

// The group a "[...]" line opens, with "/" after it ("" for the top level).
QString groupOf(const QByteArray &text)
{
    // a group's name loses every white space around it, a key's blanks only
    const QByteArray name = text.trimmed();
    if (name.compare("general", Qt::CaseInsensitive) == 0)
        return QString();
    // how a group of that name is written
    if (name.startsWith('%') && name.mid(1).compare("general", Qt::CaseInsensitive) == 0)
        return QString::fromLatin1(name.mid(1)) + QLatin1Char('/');
    return unescapedName(name) + QLatin1Char('/');
}

// ---- values

// Written as a "\x" escape: what UTF-8 would not give back (a half of a
// pair, a byte-order mark read as none) and what no reader may take for
// something else.
bool escapedAlways(ushort c, bool asUtf8)
{
    if (c < 0x20 || c == 0x7f)
        return true;
    if (c < 0x80)
        return false;
    return !asUtf8 || QChar::isSurrogate(c) || c == 0xfeff || c >= 0xfffe;
}

// A text (a value, or an element of a list) as it stands after "=":
// escaped, quoted where blanks at an end or a separator would not read
// back. Bytes ("@ByteArray(...)") are kept as escapes, as QSettings wrote
// them.
QByteArray escapedText(const QString &text)
{
    const bool asUtf8 = !text.startsWith(QLatin1String("@ByteArray("));
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
            if (escapedAlways(c, asUtf8)) {
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

// The text of parts as this writer writes it: one, or a list.
QByteArray partsText(const QStringList &parts)
{
    if (parts.size() == 1)
        return escapedText(parts.first());
    QByteArray out;
    for (const QString &part : parts) {
        if (!out.isEmpty())
            out += ", ";
        out += part.isEmpty() ? QByteArray("\"\"") : escapedText(part);
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

// The texts of the value between from and end: one, or several where it
// held a "," outside quotes (a list).
QStringList valueParts(const char *t, int from, int end)
{
    QStringList parts;
    QString cur = QLatin1String("");
    int i = from;
    bool inQuotes = false, quoted = false;
    // what escapes put in is no blank to chop
    int kept = 0;
    const auto skipBlanks = [&] {
        while (i < end && isBlank(t[i]))
            ++i;
        kept = cur.size();
    };
    skipBlanks();
    while (i < end) {
        const char c = t[i];
        if (c == '\\') {
            if (++i >= end)
                break;
            const char e = t[i];
            static const char simple[] = "a\ab\bf\fn\nr\rt\tv\v\"\"?\?''\\\\";
            const char *s = simple;
            while (*s && *s != e)
                s += 2;
            if (*s) {
                cur += QLatin1Char(s[1]);
                ++i;
            } else if (e == 'x' || (e >= '0' && e <= '7')) {
                const int base = e == 'x' ? 16 : 8;
                int code = e == 'x' ? 0 : e - '0';
                bool any = e != 'x';
                for (int v; ++i < end && (v = hexValue(t[i])) >= 0 && v < base;) {
                    code = (code * base + v) & 0xffff;
                    any = true;
                }
                if (any)
                    cur += QChar(ushort(code));
            } else {
                // a line break goes on with the next line; any other
                // character escaped is dropped
                i = escapedEnd(t, end, i);
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
            cur = QLatin1String("");
            quoted = false;
            ++i;
            skipBlanks();
        } else {
            int j = i + 1;
            while (j < end && t[j] != '\\' && t[j] != '"' && t[j] != ',')
                ++j;
            cur += Utf8Text::decode(t + i, j - i);
            i = j;
        }
    }
    if (!quoted)
        chopBlanks(cur, kept);
    parts << cur;
    return parts;
}

// What a typed element holds.
enum Held { Text, NoText, Nothing };

// The text a typed element stands for; held says whether it is one.
QString textOf(const QString &s, Held &held)
{
    held = Text;
    if (s.startsWith(QLatin1String("@@")))
        return s.mid(1);
    if (!s.startsWith(QLatin1Char('@')) || !s.endsWith(QLatin1Char(')')))
        return s.isNull() ? QLatin1String("") : s;
    if (s.startsWith(QLatin1String("@ByteArray("))) {
        const QByteArray bytes = s.midRef(11, s.size() - 12).toLatin1();
        return Utf8Text::decode(bytes);
    }
    if (s.startsWith(QLatin1String("@String(")))
        return s.mid(8, s.size() - 9);
    if (s == QLatin1String("@Invalid()")) {
        held = Nothing;
        return QString();
    }
    // other types are no text: a serialised value or time, and a
    // rectangle, size or point of as many numbers as it has (each ended by
    // a blank or a ")"; otherwise QSettings took the text as it stands)
    const struct {
        const char *type;
        int numbers;
    } types[] = {{"@Variant(", 0}, {"@DateTime(", 0}, {"@Rect(", 4}, {"@Size(", 2}, {"@Point(", 2}};
    for (const auto &t : types) {
        const int open = int(qstrlen(t.type));
        if (!s.startsWith(QLatin1String(t.type)))
            continue;
        const QStringRef numbers = s.midRef(open, s.size() - open - 1);
        if (t.numbers == 0
            || numbers.count(QLatin1Char(' ')) + numbers.count(QLatin1Char(')')) == t.numbers - 1) {
            held = NoText;
            return QString();
        }
    }
    return s;
}

// ---- lines

struct Line
{
    int from;   // first byte that is no blank
    int end;    // where its break or its comment is (or the text ends)
    int equals; // first "=" outside quotes, -1 when none
    bool cut;   // the text ends inside quotes, or after a "\"
};

// The next line from at, a break escaped or inside quotes included; false
// at the end of the text.
bool nextLine(const char *t, int n, int &at, Line &line)
{
    while (at < n && (isBlank(t[at]) || isBreak(t[at])))
        ++at;
    if (at >= n)
        return false;
    line.from = at;
    line.equals = -1;
    line.cut = false;
    bool inQuotes = false;
    int i = at;
    int comment = -1;
    while (i < n) {
        const char c = t[i];
        if (c == '\\') {
            if (i + 1 >= n) {
                line.cut = true;
                i = n;
                break;
            }
            i = escapedEnd(t, n, i + 1);
            continue;
        }
        if (c == '"') {
            inQuotes = !inQuotes;
        } else if (!inQuotes) {
            if (c == ';') {
                // a comment ends at its break, whatever it holds
                comment = i;
                while (i < n && !isBreak(t[i]))
                    ++i;
                break;
            }
            if (isBreak(c))
                break;
            if (c == '=' && line.equals < 0)
                line.equals = i;
        }
        ++i;
    }
    line.cut = line.cut || inQuotes;
    line.end = comment >= 0 ? comment : i;
    at = i;
    return true;
}

qint64 entryCost(const QByteArray &key, const QByteArray &value)
{
    return LoadBudget::heapBytes(qint64(sizeof(QArrayData)) + key.size() + 1)
           + LoadBudget::heapBytes(qint64(sizeof(QArrayData)) + value.size() + 1) + 32;
}

} // namespace

QString IniText::normalizedPath(const QString &path)
{
    if (!path.contains(QLatin1Char('/')))
        return path;
    return path.split(QLatin1Char('/'), Qt::SkipEmptyParts).join(QLatin1Char('/'));
}

QByteArray IniText::keyOf(const QString &path)
{
    QByteArray key;
    key.reserve(path.size());
    // "/" parts the levels, as every other character is escaped
    for (const QString &level : path.split(QLatin1Char('/'))) {
        if (!key.isEmpty())
            key += '/';
        appendEscapedName(key, level);
    }
    return key;
}

QString IniText::pathOf(const QByteArray &key)
{
    return unescapedName(QByteArray(key).replace('/', '\\'));
}

bool IniText::read(const QByteArray &text, KeyedMerge::Entries &entries, LoadBudget &budget)
{
    // settings are text: a zero byte says it is something else
    if (text.contains('\0'))
        return false;
    const char *t = text.constData();
    const int n = text.size();
    // a byte-order mark is passed over where a line's kind is told, but
    // a key on the first line starts before it, as QSettings read it
    const bool marked = text.startsWith("\xef\xbb\xbf");
    int at = marked ? 3 : 0;
    QString group;
    QHash<QByteArray, int> places;
    bool anyLine = false, anySetting = false;
    Line line;
    while (nextLine(t, n, at, line)) {
        // a value cut short: where it was meant to end is not known
        if (line.cut)
            return false;
        if (line.end == line.from)
            continue;
        anyLine = true;
        if (t[line.from] == '[') {
            const char *close = static_cast<const char *>(memchr(t + line.from, ']', size_t(line.end - line.from)));
            const int nameEnd = close ? int(close - t) : line.end;
            group = groupOf(QByteArray::fromRawData(t + line.from + 1, nameEnd - line.from - 1));
            anySetting = true;
            continue;
        }
        if (line.equals < 0)
            continue;
        anySetting = true;
        const int nameFrom = marked && std::none_of(t + 3, t + line.from, isBreak) ? 0 : line.from;
        const QByteArray name = trimmedBlanks(t + nameFrom, line.equals - nameFrom);
        const QString path = group + unescapedName(name);
        // QSettings finds no value under an empty level either
        if (name.isEmpty() || path != normalizedPath(path))
            continue;
        KeyedMerge::Entry e{keyOf(path), partsText(valueParts(t, line.equals + 1, line.end))};
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
    QVector<QByteArray> groups;
    QHash<QByteArray, QVector<int>> members;
    for (int i = 0; i < entries.size(); ++i) {
        const QByteArray &key = entries.at(i).key;
        const int slash = key.indexOf('/');
        const QByteArray group = slash < 0 ? QByteArray() : key.left(slash);
        auto it = members.find(group);
        if (it == members.end()) {
            groups << group;
            it = members.insert(group, {});
        }
        it->append(i);
    }
    QByteArray out;
    for (const QByteArray &group : qAsConst(groups)) {
        if (!out.isEmpty())
            out += '\n';
        out += '[';
        if (group.isEmpty())
            out += "General";
        else if (group.compare("general", Qt::CaseInsensitive) == 0)
            out += '%' + group; // the name alone would read as the top level
        else
            out += group;
        out += "]\n";
        for (int i : members.value(group)) {
            const QByteArray &key = entries.at(i).key;
            out += group.isEmpty() ? key : key.mid(group.size() + 1).replace('/', '\\');
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
    if (value.contains(QChar(0)))
        return escapedText(QStringLiteral("@String(") + value + QLatin1Char(')'));
    if (value.startsWith(QLatin1Char('@')))
        return escapedText(QLatin1Char('@') + value);
    return escapedText(value);
}

QString IniText::value(const QByteArray &text)
{
    const QStringList parts = valueParts(text.constData(), 0, text.size());
    Held held = Text;
    if (parts.size() == 1) {
        const QString s = textOf(parts.first(), held);
        if (held == Nothing)
            return QString();
        return held == Text && !s.isNull() ? s : QLatin1String("");
    }
    // a list: an element of another type makes it none of texts
    QStringList texts;
    for (const QString &p : parts) {
        texts << textOf(p, held);
        if (held != Text)
            return QLatin1String("");
    }
    return texts.join(QLatin1Char(','));
}
