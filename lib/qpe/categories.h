#ifndef CATEGORIES_H
#define CATEGORIES_H

#include "keyedmerge.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

// The platform's categories: labels with ids, either global (every
// application sees them) or belonging to one application. Ids are unique
// across all applications; 0 means none.
class Categories
{
public:
    Categories() = default;
    Categories(const Categories &o);
    Categories &operator=(const Categories &o);

    // Replaces the contents with the file's (and this process's change of
    // it still to be written); false (and empty) when it cannot be read.
    // It is a shared file of the home (SharedFile): one that is no regular
    // file, larger than the limit, empty, a link, of more than MaxEntries
    // labels or that would take more memory than its size allows
    // (LoadBudget) is set aside, and so is one of any line that is no label
    // as the save writes it (an id from 1 up, a scope and a label; text in
    // UTF-8 without a zero byte) or that gives a label a second id: what a
    // save would not write back is kept, never written over.
    bool load(const QString &fileName);
    static const int MaxEntries = 10000;
    // For tests; 0 brings back the default.
    static void setMaxFileSize(qint64 size);
    // Merged with what other copies of the program changed in the file
    // since this one read it (labels by scope and text); the contents
    // become the merged ones. False when refused or failed: the file is
    // then named in UnsavedFiles and written by its retry.
    bool save(const QString &fileName);

    // The application's labels, global ones included unless told otherwise,
    // sorted.
    QStringList labels(const QString &app, bool includeGlobal = true) const;
    // The label of an id the application sees; empty when there is none.
    QString label(const QString &app, int id) const;
    // The id of a label the application sees (its own first); 0 when none.
    int id(const QString &app, const QString &label) const;

    // Adds a label for the application and gives its id; a label the
    // application sees already keeps its id.
    int addCategory(const QString &app, const QString &label);
    int addGlobalCategory(const QString &label);

    bool isGlobal(const QString &label) const;
    int count() const { return m_entries.size(); }
    void clear() { m_entries.clear(); }

private:
    struct Entry
    {
        int id;
        QString scope;   // empty: global
        QString label;
    };
    int nextId() const;
    // entries as the labels, base as the file they were read from
    void take(const KeyedMerge::Entries &entries, const KeyedMerge::Entries &base);
    KeyedMerge::Entries entries() const;
    QList<Entry> m_entries;
    // the file as last read or written here
    KeyedMerge::Entries m_base;
    // a retry's merge reaches this object while it lives
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

// The file the platform keeps its categories in: <root>/Settings/categories.
QString categoryFileName();

#endif
