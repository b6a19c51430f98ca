#ifndef TEMPLATEMANAGER_H
#define TEMPLATEMANAGER_H

#include <QHash>
#include <QString>
#include <QStringList>

class PIMRecord;
class TaskManager;

// The expense templates: records of a template book (a book store in
// templates mode) named and ordered by an index file beside the book, one
// "name=UID" line per template and an empty line per separator.
class TemplateManager
{
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
    // name is taken, empty or holds a line break (rename() likewise).
    bool add(PIMRecord *record, const QString &name);
    // Removes the template and its record; unknown names change nothing.
    void remove(const QString &name);
    bool rename(const QString &oldName, const QString &newName);
    // Takes the new menu order, writes the index, then saves the book;
    // false when either could not be written.
    bool save(const QStringList &names);

private:
    void readIndex();

    QString m_name;
    TaskManager *m_store = nullptr;
    QHash<QString, PIMRecord *> m_recordsByName;
    QStringList m_nameList;
};

#endif
