#include "categories.h"
#include "loadbudget.h"
#include "qpeglobal.h"
#include "sharedfile.h"
#include "utf8text.h"

#include <QCoreApplication>

#include <QHash>
#include <QSet>

#include <climits>

namespace {

const QString GlobalScope = QStringLiteral("*");

// Labels may hold anything; the line format must not break.
QString escape(const QString &s)
{
    QString out;
    out.reserve(s.size());
    for (QChar c : s) {
        if (c == QLatin1Char('\\'))
            out += QLatin1String("\\\\");
        else if (c == QLatin1Char('\t'))
            out += QLatin1String("\\t");
        else if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else if (c == QLatin1Char('\r'))
            out += QLatin1String("\\r");
        else
            out += c;
    }
    return out;
}

QString unescape(const QString &s)
{
    QString out;
    out.reserve(s.size());
    for (int i = 0; i < s.size(); ++i) {
        if (s.at(i) == QLatin1Char('\\') && i + 1 < s.size()) {
            const QChar n = s.at(++i);
            if (n == QLatin1Char('t'))
                out += QLatin1Char('\t');
            else if (n == QLatin1Char('n'))
                out += QLatin1Char('\n');
            else if (n == QLatin1Char('r'))
                out += QLatin1Char('\r');
            else
                out += n;
        } else {
            out += s.at(i);
        }
    }
    return out;
}

} // namespace

QString categoryFileName()
{
    return Qpe::settingsDir() + QStringLiteral("/categories");
}

namespace {
// A label per line: a few KB.
const qint64 MaxCategoriesSize = 4 * 1024 * 1024;
qint64 s_maxFileSize = MaxCategoriesSize;

// An id as the writer writes it: a number from 1 to INT_MAX.
bool isId(const QByteArray &text)
{
    if (text.isEmpty() || text.size() > 10)
        return false;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    const qint64 id = text.toLongLong();
    return id > 0 && id <= INT_MAX;
}
}

void Categories::setMaxFileSize(qint64 size)
{
    s_maxFileSize = size > 0 ? size : MaxCategoriesSize;
}

namespace {
// The platform's category file: a label per line, keyed by its scope and
// label (as written), its id the value.
class CategoriesKind : public SharedFile::Kind
{
public:
    QString what() const override
    {
        return QCoreApplication::translate("Categories", "the platform's categories");
    }
    qint64 maxSize() const override { return s_maxFileSize; }
    qint64 maxEntries() const override { return Categories::MaxEntries; }
    // Taken only whole: every line a label as the writer writes it, so that
    // a save never writes back less than the file held.
    bool read(const QByteArray &bytes, KeyedMerge::Entries &entries, LoadBudget &budget) const override
    {
        // bytes that are no UTF-8 would be written back as other ones, and
        // a zero byte is damage (a disk that lost a write), no label
        if (bytes.contains('\0') || !Utf8Text::valid(bytes))
            return false;
        QHash<QByteArray, QByteArray> known;
        for (const QByteArray &line : bytes.split('\n')) {
            if (line.isEmpty())
                continue;
            const int tab = line.indexOf('\t');
            const int second = tab < 0 ? -1 : line.indexOf('\t', tab + 1);
            // an id, a scope and a label, each there, and nothing more
            if (tab < 0 || second < 0 || second == tab + 1 || second + 1 == line.size()
                || line.indexOf('\t', second + 1) >= 0 || !isId(line.left(tab)))
                return false;
            const QByteArray key = line.mid(tab + 1);
            // the same label of the same scope again: nothing new when it is
            // the same line, an id lost otherwise
            const auto seen = known.constFind(key);
            if (seen != known.constEnd()) {
                if (*seen != line.left(tab))
                    return false;
                continue;
            }
            known.insert(key, line.left(tab));
            // the entry, its node in the list and in the set of those known,
            // and the label's texts made of it
            if (!budget.charge(2 * (LoadBudget::heapBytes(qint64(sizeof(QArrayData)) + key.size()) + 32)
                                   + 3 * LoadBudget::heapBytes(qint64(sizeof(QArrayData)) + 2 * key.size()),
                               1))
                return false;
            entries.append({key, line.left(tab)});
        }
        return true;
    }
    QByteArray write(const KeyedMerge::Entries &entries) const override
    {
        QByteArray bytes;
        for (const KeyedMerge::Entry &e : entries)
            bytes += e.value + '\t' + e.key + '\n';
        return bytes.isEmpty() ? QByteArray("\n") : bytes;
    }
};
} // namespace

Categories::Categories(const Categories &o) : m_entries(o.m_entries), m_base(o.m_base)
{
}

Categories &Categories::operator=(const Categories &o)
{
    m_entries = o.m_entries;
    m_base = o.m_base;
    return *this;
}

bool Categories::load(const QString &fileName)
{
    m_entries.clear();
    m_base.clear();
    KeyedMerge::Entries entries;
    KeyedMerge::Entries base;
    // with this copy's change still to be written, as it shows everywhere:
    // a save from here takes that change's place
    if (SharedFile::at(fileName)->view(CategoriesKind(), entries, &base) != SharedFile::Done)
        return false;
    take(entries, base);
    return true;
}

void Categories::take(const KeyedMerge::Entries &entries, const KeyedMerge::Entries &base)
{
    m_entries.clear();
    m_base = base;
    QSet<int> ids;
    for (const KeyedMerge::Entry &e : entries) {
        const QString line = Utf8Text::decode(e.key);
        const int tab = line.indexOf(QLatin1Char('\t'));
        const QString scopeText = line.left(tab);
        const QString scope = scopeText == GlobalScope ? QString() : unescape(scopeText);
        const QString label = unescape(line.mid(tab + 1));
        if (label.isEmpty())
            continue;
        bool ok = false;
        int id = e.value.toInt(&ok);
        if (!ok || id <= 0 || ids.contains(id))
            id = 0; // numbered below, once every valid id is known
        else
            ids.insert(id);
        m_entries.append({id, scope, label});
    }
    // a label under a taken or invalid id keeps its place with a free id
    int free = 0;
    for (Entry &e : m_entries) {
        if (e.id != 0)
            continue;
        free = free ? free : nextId();
        while (ids.contains(free))
            free = free < INT_MAX ? free + 1 : 1;
        e.id = free;
        ids.insert(free);
    }
}

KeyedMerge::Entries Categories::entries() const
{
    KeyedMerge::Entries list;
    list.reserve(m_entries.size());
    for (const Entry &e : m_entries) {
        const QString key = (e.scope.isEmpty() ? GlobalScope : escape(e.scope)) + QLatin1Char('\t') + escape(e.label);
        list.append({key.toUtf8(), QByteArray::number(e.id)});
    }
    return list;
}

bool Categories::save(const QString &fileName)
{
    // what another copy changed since this one read the file stays; the
    // merged list is this one's afterwards (a retry's as well, while this
    // object lives)
    const std::weak_ptr<int> alive = m_alive;
    const SharedFile::Taken taken = [this, alive](const KeyedMerge::Entries &merged, const QVector<bool> &) {
        if (!alive.expired())
            take(merged, merged);
    };
    return SharedFile::at(fileName)->save(SharedFile::KindPtr(new CategoriesKind), m_base, entries(), taken)
           == SharedFile::Done;
}

QStringList Categories::labels(const QString &app, bool includeGlobal) const
{
    QStringList l;
    for (const Entry &e : m_entries) {
        if ((e.scope.isEmpty() && includeGlobal) || (!e.scope.isEmpty() && e.scope == app))
            if (!l.contains(e.label))
                l.append(e.label);
    }
    l.sort();
    return l;
}

QString Categories::label(const QString &app, int id) const
{
    for (const Entry &e : m_entries) {
        if (e.id == id && (e.scope.isEmpty() || e.scope == app))
            return e.label;
    }
    return QString();
}

int Categories::id(const QString &app, const QString &label) const
{
    int global = 0;
    for (const Entry &e : m_entries) {
        if (e.label != label)
            continue;
        if (!e.scope.isEmpty() && e.scope == app)
            return e.id;
        if (e.scope.isEmpty() && !global)
            global = e.id;
    }
    return global;
}

bool Categories::isGlobal(const QString &label) const
{
    for (const Entry &e : m_entries) {
        if (e.scope.isEmpty() && e.label == label)
            return true;
    }
    return false;
}

int Categories::nextId() const
{
    int max = 0;
    for (const Entry &e : m_entries)
        max = qMax(max, e.id);
    if (max < INT_MAX)
        return max + 1;
    // at the top of the range: the smallest id not taken
    QSet<int> taken;
    for (const Entry &e : m_entries)
        taken.insert(e.id);
    int id = 1;
    while (taken.contains(id))
        ++id;
    return id;
}

int Categories::addCategory(const QString &app, const QString &label)
{
    if (label.isEmpty())
        return 0;
    if (const int existing = id(app, label))
        return existing;
    const int n = nextId();
    m_entries.append({n, app, label});
    return n;
}

int Categories::addGlobalCategory(const QString &label)
{
    if (label.isEmpty())
        return 0;
    for (const Entry &e : qAsConst(m_entries)) {
        if (e.scope.isEmpty() && e.label == label)
            return e.id;
    }
    const int n = nextId();
    m_entries.append({n, QString(), label});
    return n;
}
