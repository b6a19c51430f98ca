#ifndef DBRECORD_H
#define DBRECORD_H

#include "pimrecord.h"

#include <QPixmap>
#include <QString>

class DBManager;

// One Expense Book of the book index: title, icon name, description,
// password and the path of the book file. Availability and the delete-file
// flag live only in memory.
class DBRecord : public PIMRecord
{
public:
    explicit DBRecord(PIMManager *manager);
    DBRecord(const DBRecord &other);

    QString title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }
    QString iconName() const { return m_iconName; }
    void setIconName(const QString &name) { m_iconName = name; }
    QString description() const { return m_description; }
    void setDescription(const QString &description) { m_description = description; }
    QString password() const { return m_password; }
    void setPassword(const QString &password) { m_password = password; }
    QString path() const { return m_path; }
    void setPath(const QString &path) { m_path = path; }

    // When set, removing the record from the main index deletes the file.
    bool deleteFile() const { return m_deleteFile; }
    void setDeleteFile(bool on) { m_deleteFile = on; }

    // Always true in the export index; else whether the book's header could
    // last be read (and, after a change, written).
    bool isAvailable() const;
    void setAvailable(bool on) { m_available = on; }

    // The book icon, with the lock drawn over it for a protected book and
    // greyed when the book is not available.
    QPixmap icon() const;

    void readField(QLatin1String key, PIMTextReader &in) override;
    void write(PIMTextWriter &out) const override;
    qint64 memorySize() const override
    {
        return baseMemorySize(sizeof(DBRecord)) + textMemory(m_title) + textMemory(m_iconName)
               + textMemory(m_description) + textMemory(m_password) + textMemory(m_path);
    }

private:
    QString m_title;
    QString m_iconName;
    QString m_description;
    QString m_password;
    QString m_path;
    bool m_deleteFile = false;
    bool m_available = false;
};

#endif
