#include "templatemanager.h"

#include "pimrecord.h"
#include "taskmanager.h"
#include "ymrpim.h"

#include "qpe/boundedfile.h"
#include "qpe/folderlock.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTextStream>

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
}

void TemplateManager::setMaxIndexSize(qint64 size)
{
    s_maxIndexSize = size > 0 ? size : MaxIndexSize;
}

TemplateManager::TemplateManager(const QString &name)
    : m_name(name)
{
    m_store = new TaskManager(name, true, false);
    m_store->loadOrSetAside();
    // every copy of the program on this home shares the templates
    m_store->setShared(true);
    bool read = false;
    const KeyedMerge::Entries index = readIndex(&read);
    takeEntries(index, QVector<bool>(index.size(), false));
    m_base = index;
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
    *read = false;
    QByteArray bytes;
    const BoundedFile::Result r = BoundedFile::readAll(indexFileName(), s_maxIndexSize, bytes);
    if (r == BoundedFile::NotRegular || r == BoundedFile::TooLarge) {
        BoundedFile::setAside(indexFileName());
        return entries;
    }
    *read = r == BoundedFile::Ok;
    QTextStream in(&bytes, QIODevice::ReadOnly);
    in.setCodec("UTF-8");
    QByteArray after;
    int separators = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.isEmpty()) {
            entries.append({separatorKey(after, separators++), QByteArray()});
            continue;
        }
        // UIDs hold no "=", so the last one separates even a name that
        // holds one.
        const int sep = line.lastIndexOf(QLatin1Char('='));
        if (sep <= 0)
            continue;
        after = line.mid(sep + 1).toLatin1();
        separators = 0;
        entries.append({after, line.left(sep).toUtf8()});
    }
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
            ours.insert(QString::fromUtf8(entries.at(i).value));
    }
    for (int i = 0; i < entries.size(); ++i) {
        const KeyedMerge::Entry &e = entries.at(i);
        if (isSeparator(e)) {
            m_nameList.append(QString());
            continue;
        }
        const QString uid = QString::fromLatin1(e.key);
        if (!m_store->findRecord(uid))
            continue;
        QString name = QString::fromUtf8(e.value);
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
}

PIMRecord *TemplateManager::find(const QString &name) const
{
    if (name.isEmpty() || !m_nameList.contains(name))
        return nullptr;
    const QString uid = m_recordsByName.value(name);
    return uid.isEmpty() ? nullptr : m_store->findRecord(uid);
}

namespace {
// A name is one line of the index: a line break in it would split it.
bool fitsTheIndex(const QString &name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('\n'));
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
    const QString folder = FolderLock::folderOf(YMRPIM::replacedFile(indexFileName()));
    std::unique_ptr<FolderLock> lock;
    if (QFileInfo(folder).isDir()) {
        lock.reset(new FolderLock(folder));
        if (!lock->isLocked())
            return false;
    }
    // the book first, merged: the index names its records, those another
    // copy added included
    m_store->haveChange();
    if (!m_store->save())
        return false;
    bool read = false;
    KeyedMerge::Entries onDisk = readIndex(&read);
    // an index that cannot be read holds nothing to keep
    if (!read)
        onDisk = m_base;
    QVector<bool> theirs;
    const KeyedMerge::Entries merged = KeyedMerge::merge(m_base, entries(), onDisk, &theirs);
    takeEntries(merged, theirs);
    const KeyedMerge::Entries written = entries();

    // Written aside and then put in place, so a failed write keeps the old
    // index.
    QFile file;
    if (!YMRPIM::openNewFile(file, indexFileName()))
        return false;
    {
        QTextStream out(&file);
        out.setCodec("UTF-8");
        for (const KeyedMerge::Entry &e : written) {
            if (!isSeparator(e))
                out << QString::fromUtf8(e.value) << '=' << QString::fromLatin1(e.key);
            out << '\n';
        }
        out.flush();
        if (out.status() != QTextStream::Ok) {
            YMRPIM::commitNewFile(file, false);
            return false;
        }
    }
    if (!YMRPIM::commitNewFile(file, true))
        return false;
    m_base = written;
    return true;
}
