#include "unsavedfiles.h"

UnsavedFiles *UnsavedFiles::instance()
{
    // never destroyed: owners may still register while the program ends
    static UnsavedFiles *files = new UnsavedFiles;
    return files;
}

int UnsavedFiles::indexOf(const QString &key) const
{
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).key == key)
            return i;
    }
    return -1;
}

void UnsavedFiles::add(const QString &key, const QString &what, const QString &reason,
                       const std::function<bool()> &retry)
{
    Entry entry{key, what, reason, retry, ++m_serial};
    const int i = indexOf(key);
    // the place in the list stays, so the notice does not reorder
    if (i >= 0)
        m_entries[i] = entry;
    else
        m_entries.append(entry);
    emit changed();
}

void UnsavedFiles::remove(const QString &key)
{
    const int i = indexOf(key);
    if (i < 0)
        return;
    m_entries.remove(i);
    emit changed();
}

bool UnsavedFiles::isEmpty() const
{
    return m_entries.isEmpty();
}

QStringList UnsavedFiles::lines() const
{
    QStringList out;
    for (const Entry &e : m_entries)
        out << e.what + QLatin1String(": ") + e.reason;
    return out;
}

int UnsavedFiles::retryAll()
{
    // a retry that waits in an event loop may let the clock call in again
    if (m_retrying)
        return m_entries.size();
    m_retrying = true;
    // A retry may add or remove entries (its own or others'): walk a copy of
    // the keys and look each up again before calling it.
    QStringList keys;
    for (const Entry &e : m_entries)
        keys << e.key;
    for (const QString &key : keys) {
        const int i = indexOf(key);
        if (i < 0 || !m_entries.at(i).retry)
            continue;
        const quint64 serial = m_entries.at(i).serial;
        const std::function<bool()> retry = m_entries.at(i).retry;
        if (!retry())
            continue;
        // written; unless the retry registered a newer failure meanwhile
        const int j = indexOf(key);
        if (j >= 0 && m_entries.at(j).serial == serial) {
            m_entries.remove(j);
            emit changed();
        }
    }
    m_retrying = false;
    return m_entries.size();
}
