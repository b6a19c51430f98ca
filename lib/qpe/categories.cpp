#include "categories.h"
#include "boundedfile.h"
#include "filereplacer.h"
#include "loadbudget.h"
#include "qpeglobal.h"

#include <QFile>
#include <QSet>

#include <climits>
#include <QTextStream>

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

qint64 textMemory(const QString &text)
{
    return text.isEmpty() ? 0 : LoadBudget::heapBytes(qint64(sizeof(QArrayData)) + 2 * (qint64(text.size()) + 1));
}
}

void Categories::setMaxFileSize(qint64 size)
{
    s_maxFileSize = size > 0 ? size : MaxCategoriesSize;
}

bool Categories::load(const QString &fileName)
{
    m_entries.clear();
    QByteArray bytes;
    const BoundedFile::Result r = BoundedFile::readAll(fileName, s_maxFileSize, bytes);
    if (r == BoundedFile::NotRegular || r == BoundedFile::TooLarge)
        BoundedFile::setAside(fileName);
    if (r != BoundedFile::Ok)
        return false;
    QTextStream in(&bytes, QIODevice::ReadOnly);
    in.setCodec("UTF-8");
    // an entry costs far more than its line: the file may cost four times
    // its size, and hold no more entries than any platform has
    LoadBudget budget(bytes.size(), MaxEntries);
    budget.charge(bytes.size());
    QSet<int> ids;
    QSet<QPair<QString, QString>> known;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() != 3)
            continue;
        bool ok = false;
        int id = fields.at(0).toInt(&ok);
        if (fields.at(1).isEmpty())
            continue;
        const QString scope = fields.at(1) == GlobalScope ? QString() : unescape(fields.at(1));
        const QString label = unescape(fields.at(2));
        if (label.isEmpty())
            continue;
        // the same label of the same scope once
        if (known.contains(qMakePair(scope, label)))
            continue;
        known.insert(qMakePair(scope, label));
        if (!ok || id <= 0 || ids.contains(id))
            id = 0; // numbered below, once every valid id is known
        else
            ids.insert(id);
        m_entries.append({id, scope, label});
        // the entry, its node in the list and in the set of those known
        if (!budget.charge(2 * (LoadBudget::heapBytes(sizeof(Entry)) + 32 + textMemory(scope) + textMemory(label)),
                           1)) {
            m_entries.clear();
            BoundedFile::setAside(fileName);
            return false;
        }
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
    return true;
}

bool Categories::save(const QString &fileName) const
{
    QFile f;
    if (!FileReplacer::open(f, fileName))
        return false;
    QTextStream out(&f);
    out.setCodec("UTF-8");
    for (const Entry &e : m_entries) {
        out << e.id << '\t' << (e.scope.isEmpty() ? GlobalScope : escape(e.scope)) << '\t'
            << escape(e.label) << '\n';
    }
    out.flush();
    return FileReplacer::commit(f, out.status() == QTextStream::Ok);
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
