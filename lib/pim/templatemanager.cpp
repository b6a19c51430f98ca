#include "templatemanager.h"

#include "pimrecord.h"
#include "taskmanager.h"
#include "ymrpim.h"

#include "qpe/boundedfile.h"

#include <QFile>
#include <QTextStream>

namespace {
// A name and a UID per template.
const qint64 MaxIndexSize = 16 * 1024 * 1024;
qint64 s_maxIndexSize = MaxIndexSize;
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
    readIndex();
}

TemplateManager::~TemplateManager()
{
    // The book store saves itself when it goes; the index is not written.
    delete m_store;
}

QString TemplateManager::indexFileName() const
{
    return m_store->fileName() + QStringLiteral(".idx");
}

void TemplateManager::readIndex()
{
    QByteArray bytes;
    const BoundedFile::Result r = BoundedFile::readAll(indexFileName(), s_maxIndexSize, bytes);
    if (r == BoundedFile::NotRegular || r == BoundedFile::TooLarge) {
        BoundedFile::setAside(indexFileName());
        return;
    }
    QTextStream in(&bytes, QIODevice::ReadOnly);
    in.setCodec("UTF-8");
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.isEmpty()) {
            m_nameList.append(QString());
            continue;
        }
        // UIDs hold no "=", so the last one separates even a name that
        // holds one.
        const int sep = line.lastIndexOf(QLatin1Char('='));
        if (sep <= 0)
            continue;
        const QString templateName = line.left(sep);
        PIMRecord *record = m_store->findRecord(line.mid(sep + 1));
        if (!record)
            continue;
        m_recordsByName.insert(templateName, record);
        m_nameList.append(templateName);
    }
}

PIMRecord *TemplateManager::find(const QString &name) const
{
    if (name.isEmpty() || !m_nameList.contains(name))
        return nullptr;
    return m_recordsByName.value(name, nullptr);
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
    m_recordsByName.insert(name, record);
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
    PIMRecord *record = m_recordsByName.take(oldName);
    if (record)
        m_recordsByName.insert(newName, record);
    return true;
}

bool TemplateManager::save(const QStringList &names)
{
    m_nameList = names;
    // Written aside and then put in place, so a failed write keeps the old
    // index.
    QFile file;
    if (!YMRPIM::openNewFile(file, indexFileName()))
        return false;
    {
        QTextStream out(&file);
        out.setCodec("UTF-8");
        for (const QString &entry : qAsConst(m_nameList)) {
            if (entry.isEmpty()) {
                out << '\n';
                continue;
            }
            PIMRecord *record = m_recordsByName.value(entry, nullptr);
            if (record)
                out << entry << '=' << record->uidString() << '\n';
        }
        out.flush();
        if (out.status() != QTextStream::Ok) {
            YMRPIM::commitNewFile(file, false);
            return false;
        }
    }
    return YMRPIM::commitNewFile(file, true) && m_store->save();
}
