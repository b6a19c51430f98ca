#ifndef CATEGORIES_H
#define CATEGORIES_H

#include <QList>
#include <QString>
#include <QStringList>

// The platform's categories: labels with ids, either global (every
// application sees them) or belonging to one application. Ids are unique
// across all applications; 0 means none.
class Categories
{
public:
    // Replaces the contents with the file's; false (and empty) when it
    // cannot be read. A file that is no regular file or larger than the
    // limit is set aside first (BoundedFile::setAside), and so is one of
    // more than MaxEntries labels or that would take more memory than its
    // size allows (LoadBudget).
    bool load(const QString &fileName);
    static const int MaxEntries = 10000;
    // For tests; 0 brings back the default.
    static void setMaxFileSize(qint64 size);
    bool save(const QString &fileName) const;

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
    QList<Entry> m_entries;
};

// The file the platform keeps its categories in: <root>/Settings/categories.
QString categoryFileName();

#endif
