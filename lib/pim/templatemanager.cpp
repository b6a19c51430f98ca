#include "templatemanager.h"

#include "pimrecord.h"
#include "taskmanager.h"
#include "ymrpim.h"

#include "qpe/boundedfile.h"
#include "qpe/folderlock.h"
#include "qpe/loadbudget.h"
#include "qpe/sharedfile.h"
#include "qpe/utf8text.h"

#include <QFileInfo>
#include <QSet>

#include <uuid/uuid.h>

#include <memory>

namespace {
// A name and a UID per template.
const qint64 MaxIndexSize = 16 * 1024 * 1024;
qint64 s_maxIndexSize = MaxIndexSize;

// A separator's key: the template it follows ("" at the top) and how many
// separators stand between the two. UIDs hold no "/".
QByteArray separatorKey(const QByteArray &after, int n)
{
    return "/" + after + "/" + QByteArray::number(n);
}

bool isSeparator(const KeyedMerge::Entry &e)
{
    return e.key.startsWith('/');
}

std::function<void()> s_betweenReads;

using Twins = PIMManager::Twins;

// The index: "name=UID" per template, an empty line per separator; a
// template keyed by its record's UID, a separator by the template before it.
class IndexKind : public SharedFile::Kind
{
public:
    explicit IndexKind(const Twins &twins = Twins()) : m_twins(twins) {}
    // the user knows the index and the book as one: the templates
    QString what() const override { return TemplateManager::tr("the templates"); }
    qint64 maxSize() const override { return s_maxIndexSize; }
    // a line that is none (a zero byte, no name, no UID: an index cut
    // inside a line) leaves the others' names to their templates
    bool keepsWhatReads() const override { return true; }
    bool read(const QByteArray &bytes, KeyedMerge::Entries &entries, LoadBudget &budget) const override
    {
        QByteArray after;
        int separators = 0;
        bool anyTemplate = false;
        bool whole = true;
        const QList<QByteArray> lines = bytes.split('\n');
        // the text's end is no separator
        const int count = bytes.endsWith('\n') ? lines.size() - 1 : lines.size();
        for (int i = 0; i < count; ++i) {
            const QByteArray &line = lines.at(i);
            if (!budget.charge(2 * LoadBudget::heapBytes(qint64(sizeof(QArrayData)) + 2 * line.size() + 2) + 48, 1))
                return false;
            if (line.isEmpty()) {
                entries.append({separatorKey(after, separators++), QByteArray()});
                continue;
            }
            // UIDs hold no "=", so the last one separates even a name that
            // holds one.
            const int sep = line.lastIndexOf('=');
            const QByteArray uid = line.mid(sep + 1);
            uuid_t parsed;
            if (sep <= 0 || line.contains('\0') || uid.size() != 36 || uuid_parse(uid.constData(), parsed) != 0) {
                whole = false;
                continue;
            }
            after = uid;
            separators = 0;
            anyTemplate = true;
            entries.append({after, line.left(sep)});
        }
        // separators of no template are nothing (an index of none is a line
        // break: an empty file reads as a torn one)
        if (!anyTemplate)
            entries.clear();
        followTwins(entries);
        return whole;
    }
    QByteArray write(const KeyedMerge::Entries &entries) const override
    {
        QByteArray bytes;
        for (const KeyedMerge::Entry &e : entries) {
            if (!isSeparator(e))
                bytes += e.value + '=' + e.key;
            bytes += '\n';
        }
        return bytes.isEmpty() ? QByteArray("\n") : bytes;
    }

private:
    // An index written before the book's twins were told apart names their
    // shared UID once per template: the n-th name of it goes to the n-th
    // template that held it, as every copy reading these files finds.
    void followTwins(KeyedMerge::Entries &entries) const
    {
        if (m_twins.isEmpty())
            return;
        QHash<QByteArray, int> seen;
        QByteArray after;
        int separators = 0;
        for (KeyedMerge::Entry &e : entries) {
            if (isSeparator(e)) {
                e.key = separatorKey(after, separators++);
                continue;
            }
            const auto twins = m_twins.constFind(e.key);
            if (twins != m_twins.constEnd()) {
                const int n = seen[e.key]++;
                if (n > 0 && n <= twins->size())
                    e.key = twins->at(n - 1);
            }
            after = e.key;
            separators = 0;
        }
    }

    Twins m_twins;
};
}

void TemplateManager::setBetweenReadsHook(const std::function<void()> &hook)
{
    s_betweenReads = hook;
}

void TemplateManager::setMaxIndexSize(qint64 size)
{
    s_maxIndexSize = size > 0 ? size : MaxIndexSize;
}

TemplateManager::TemplateManager(const QString &name)
    : m_name(name)
{
    m_store = new TaskManager(name, true, false);
    // the book and its index as one save of another copy left them: read
    // under the folder's lock, which that save holds across both
    FolderLock lock(FolderLock::folderOf(indexFileName()));
    // every copy of the program on this home shares the templates
    m_store->setShared(true);
    const auto bookThere = [this] {
        const QFileInfo book(m_store->fileName());
        return book.exists() || book.isSymLink();
    };
    const bool there = bookThere();
    m_store->loadOrSetAside();
    m_twins = m_store->twinsAtLoad();
    // a book set aside takes its index along: the names of its templates
    // stay with their records, and nothing here drops them
    if (there && !bookThere() && QFileInfo::exists(indexFileName()))
        BoundedFile::setAside(indexFileName());
    if (s_betweenReads)
        s_betweenReads();
    bool read = false;
    const KeyedMerge::Entries index = readIndex(&read);
    takeEntries(index, QVector<bool>(index.size(), false));
    // the base is what this copy took: an entry of a record its book did
    // not hold is not one this copy removes at its next save
    m_base = entries();
    // the names that read of an index set aside are written anew at once:
    // no template loses its name (a write refused is retried)
    if (!read && !index.isEmpty()) {
        const std::weak_ptr<int> alive = m_alive;
        SharedFile::at(indexFileName())
            ->saveStore(IndexKind().what(), SharedFile::unmerged([this, alive](QString *reason) {
                return alive.expired() || saveIndex(reason);
            }));
    }
}

TemplateManager::~TemplateManager()
{
    // merged while the book is whole; the index is not written
    m_store->save();
    delete m_store;
}

QString TemplateManager::indexFileName() const
{
    return m_store->fileName() + QStringLiteral(".idx");
}

KeyedMerge::Entries TemplateManager::readIndex(bool *read)
{
    KeyedMerge::Entries entries;
    // one set aside gives what read of it
    *read = SharedFile::at(indexFileName())->read(IndexKind(m_twins), entries) == SharedFile::Done;
    return entries;
}

KeyedMerge::Entries TemplateManager::entries() const
{
    KeyedMerge::Entries list;
    QByteArray after;
    int separators = 0;
    for (const QString &name : m_nameList) {
        if (name.isEmpty()) {
            list.append({separatorKey(after, separators++), QByteArray()});
            continue;
        }
        const QString uid = m_recordsByName.value(name);
        if (uid.isEmpty())
            continue;
        after = uid.toLatin1();
        separators = 0;
        list.append({after, name.toUtf8()});
    }
    return list;
}

void TemplateManager::takeEntries(const KeyedMerge::Entries &entries, const QVector<bool> &theirs)
{
    m_nameList.clear();
    m_recordsByName.clear();
    // a name both copies gave a template of their own: the other copy's
    // gets a number, so that neither template is lost
    QSet<QString> ours;
    for (int i = 0; i < entries.size(); ++i) {
        if (!isSeparator(entries.at(i)) && !theirs.value(i))
            ours.insert(Utf8Text::decode(entries.at(i).value));
    }
    for (int i = 0; i < entries.size(); ++i) {
        const KeyedMerge::Entry &e = entries.at(i);
        if (isSeparator(e)) {
            // a separator goes with the template it follows
            const QByteArray after = e.key.mid(1, e.key.lastIndexOf('/') - 1);
            if (after.isEmpty() || m_store->findRecord(QString::fromLatin1(after)))
                m_nameList.append(QString());
            continue;
        }
        const QString uid = QString::fromLatin1(e.key);
        if (!m_store->findRecord(uid))
            continue;
        QString name = Utf8Text::decode(e.value);
        if (theirs.value(i)) {
            const QString given = name;
            for (int n = 2; ours.contains(name) || m_recordsByName.contains(name); ++n)
                name = QStringLiteral("%1 (%2)").arg(given).arg(n);
        } else if (m_recordsByName.contains(name)) {
            continue;
        }
        m_recordsByName.insert(name, uid);
        m_nameList.append(name);
    }
    // separators of no template are nothing, as in the index
    if (m_recordsByName.isEmpty())
        m_nameList.clear();
}

PIMRecord *TemplateManager::find(const QString &name) const
{
    if (name.isEmpty() || !m_nameList.contains(name))
        return nullptr;
    const QString uid = m_recordsByName.value(name);
    return uid.isEmpty() ? nullptr : m_store->findRecord(uid);
}

namespace {
// A name is one line of the index: a line break in it would split it, and
// a zero byte makes the index no text the reader takes.
bool fitsTheIndex(const QString &name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('\n')) && !name.contains(QChar(0));
}
}

bool TemplateManager::add(PIMRecord *record, const QString &name)
{
    if (!fitsTheIndex(name) || !record || m_nameList.contains(name))
        return false;
    m_recordsByName.insert(name, record->uidString());
    m_nameList.append(name);
    return true;
}

void TemplateManager::remove(const QString &name)
{
    PIMRecord *record = find(name);
    if (!record)
        return;
    m_recordsByName.remove(name);
    m_nameList.removeAll(name);
    m_store->removeRecord(record);
}

bool TemplateManager::rename(const QString &oldName, const QString &newName)
{
    if (oldName == newName)
        return true;
    if (!fitsTheIndex(newName) || m_nameList.contains(newName))
        return false;
    const int index = m_nameList.indexOf(oldName);
    if (index < 0)
        return false;
    m_nameList[index] = newName;
    const QString uid = m_recordsByName.take(oldName);
    if (!uid.isEmpty())
        m_recordsByName.insert(newName, uid);
    return true;
}

bool TemplateManager::save(const QStringList &names)
{
    m_nameList = names;
    const std::weak_ptr<int> alive = m_alive;
    // the book first, merged: the index names its records, those another
    // copy added included; a save refused or failed is retried whole while
    // this manager lives
    const auto write = SharedFile::unmerged([this, alive](QString *reason) {
        if (alive.expired())
            return true;
        return saveLocked(reason);
    });
    return SharedFile::at(indexFileName())->saveStore(IndexKind().what(), write) == SharedFile::Done;
}

bool TemplateManager::saveLocked(QString *reason)
{
    m_store->haveChange();
    if (!m_store->save()) {
        *reason = m_store->saveFailure();
        return false;
    }
    return saveIndex(reason);
}

bool TemplateManager::saveIndex(QString *reason)
{
    // the names as this copy takes them (one made unique gets a number)
    // are what is written
    const SharedFile::Settle settle = [this](const KeyedMerge::Entries &merged, const QVector<bool> &theirs) {
        takeEntries(merged, theirs);
        return entries();
    };
    const SharedFile::Taken taken = [this](const KeyedMerge::Entries &written, const QVector<bool> &) {
        m_base = written;
    };
    // nested in the lock held here: refused only by a failed write
    SharedFile *index = SharedFile::at(indexFileName());
    if (index->save(SharedFile::KindPtr(new IndexKind(m_twins)), m_base, entries(), taken, settle) != SharedFile::Done) {
        *reason = index->failure();
        return false;
    }
    return true;
}
