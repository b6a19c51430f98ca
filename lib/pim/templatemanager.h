#ifndef TEMPLATEMANAGER_H
#define TEMPLATEMANAGER_H

#include "pimmanager.h"
#include "qpe/keyedmerge.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QCoreApplication>

#include <functional>
#include <memory>

class PIMRecord;
class TaskManager;

// The expense templates: records of a template book (a book store in
// templates mode) named and ordered by an index file beside the book, one
// "name=UID" line per template and an empty line per separator.
class TemplateManager
{
    Q_DECLARE_TR_FUNCTIONS(TemplateManager)
public:
    explicit TemplateManager(const QString &name);
    ~TemplateManager();

    TemplateManager(const TemplateManager &) = delete;
    TemplateManager &operator=(const TemplateManager &) = delete;

    QString name() const { return m_name; }
    // The template book; new templates are stored here before add().
    TaskManager *store() const { return m_store; }
    // The path of the name index: the template book's path plus ".idx".
    QString indexFileName() const;
    // The largest name index read; for tests, 0 brings back the default.
    static void setMaxIndexSize(qint64 size);

    // Names in menu order; an empty entry is a separator.
    QStringList names() const { return m_nameList; }
    PIMRecord *find(const QString &name) const;
    // Names a record already stored in the template book; false when the
    // name is taken, empty or holds a line break or a zero byte (rename()
    // likewise).
    bool add(PIMRecord *record, const QString &name);
    // Removes the template and its record; unknown names change nothing.
    void remove(const QString &name);
    bool rename(const QString &oldName, const QString &newName);
    // Takes the new menu order, saves the book, then writes the index;
    // false when either could not be written. Other copies of the program
    // on this home share both files: what they changed since this one read
    // them is kept (KeyedMerge: templates by their record's UID), and the
    // names and menu order become the merged ones.
    // A save refused (another copy holds the folder) or failed is named in
    // UnsavedFiles and retried whole, merged afresh.
    bool save(const QStringList &names);
    // For tests: called at start between the read of the book and of its
    // index.
    static void setBetweenReadsHook(const std::function<void()> &hook);

private:
    // The index file's entries: a template's key is its record's UID, its
    // value its name; a separator is keyed by the template before it.
    KeyedMerge::Entries readIndex(bool *read);
    KeyedMerge::Entries entries() const;
    void takeEntries(const KeyedMerge::Entries &entries, const QVector<bool> &theirs);
    bool saveLocked(QString *reason);
    // The index alone, merged (nested in the folder's lock of the caller).
    bool saveIndex(QString *reason);

    QString m_name;
    TaskManager *m_store = nullptr;
    // The UID of each name's record: a record the book drops (another
    // copy removed it) leaves no pointer behind.
    QHash<QString, QString> m_recordsByName;
    QStringList m_nameList;
    // the book's twins as it was loaded (see IndexKind)
    PIMManager::Twins m_twins;
    // the index as last read or written
    KeyedMerge::Entries m_base;
    // a retry reaches this manager while it lives
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

#endif
