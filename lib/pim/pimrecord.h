#ifndef PIMRECORD_H
#define PIMRECORD_H

#include <QDateTime>
#include <QLatin1String>
#include <QMap>
#include <QMetaType>
#include <QString>
#include <QStringList>

#include <uuid/uuid.h>

class CategoryRecord;
class PIMManager;
class PIMTextReader;
class PIMTextWriter;
class QDataStream;

// Base of every stored record: a UUID, creation and update times, named
// string properties and the UIDs of its categories. A record belongs to one
// store and changes it only through the store's operations. Fields that a
// subclass makes public reach the file when the record is stored
// (store(), which updates it in its store), as the edit cycle does anyway.
class PIMRecord
{
public:
    explicit PIMRecord(PIMManager *manager);
    PIMRecord(const PIMRecord &other);
    virtual ~PIMRecord();

    PIMRecord &operator=(const PIMRecord &) = delete;

    // A class's own keys of one file line. The reader stands on the line
    // (key() is the text before the first "=") and may read further lines
    // of a nested block. Keys no class handles are ignored.
    virtual void readField(QLatin1String key, PIMTextReader &in);
    // The record's block: a subclass writes its own lines, then calls this,
    // which writes the common lines and "END". A store saving changed
    // records writes several at once on Qt's thread pool: write() only
    // reads the record.
    virtual void write(PIMTextWriter &out) const;
    virtual void write(QDataStream &stream) const;
    virtual void read(QDataStream &stream);

    // Reads one block up to "END" or the end of the input; true when the
    // block ended at its "END". A record made while its store loads (see
    // LoadScope) and whose block names no UID gets one made of its block
    // once the file is taken (RecordFileReader): a file refused is refused
    // at once.
    bool read(PIMTextReader &in);

    // The heap the record takes, an estimate of what its allocations cost:
    // what a store charges while it loads (LoadBudget). A subclass adds its
    // own fields (see baseMemorySize()).
    virtual qint64 memorySize() const;
    // The most categories one record may name; a file with more is refused.
    static const int MaxCategories = 1000;

    void newUid();
    QString uidString() const;
    // The UID's text as uidString() gives it, with its terminating zero:
    // what the many callers of a book's load and save write.
    void uidText(char (&text)[37]) const;
    const uuid_t &uid() const { return m_uid; }
    bool hasUid(const uuid_t uid) const { return uuid_compare(m_uid, uid) == 0; }

    QDateTime created() const { return dateTimeOf(m_created); }
    QDateTime updated() const { return dateTimeOf(m_updated); }
    // The stamps' dates and times of day without making a local date-time,
    // which asks the time zone files on every call; invalid when unset.
    void createdParts(QDate &date, QTime &time) const;
    void updatedParts(QDate &date, QTime &time) const;
    void setCreated(const QDateTime &dt) { m_created = stampOf(dt); m_rawStart = -1; }
    void setUpdated(const QDateTime &dt) { m_updated = stampOf(dt); m_rawStart = -1; }

    void setProperty(const QString &name, const QString &value);
    QString property(const QString &name) const;
    bool hasProperty(const QString &name) const;
    void removeProperty(const QString &name);
    const QMap<QString, QString> &properties() const { return m_properties; }

    // The record's key in its store's sort column; empty where the store
    // knows no such column.
    QStringList sortKey() const;

    void setCategories(const QStringList &uids) { m_categoryList = uids; m_rawStart = -1; }
    QStringList categories() const { return m_categoryList; }
    // Lookups against the store's category store; a record without a known
    // category stands for the category store's first record.
    QString categoryTitle(bool withMore) const;
    QStringList categoryTitles() const;
    CategoryRecord *firstCategory() const;

    // Adds the record to its store, or updates it there. Either way old (a
    // copy of the record before the change, or null) is handed over and
    // deleted; on an add the store takes this record as well.
    bool store(PIMRecord *old);
    bool remove();
    void select();
    bool isFirst() const;

    PIMManager *manager() const { return m_owner; }
    void setManager(PIMManager *manager)
    {
        if (manager != m_owner)
            m_rawStart = -1;
        m_owner = manager;
    }

    // While a store loads its file, records made for reading take the load
    // time as their creation and update times and get a UID only when
    // their block names none: a file of many records loads without a clock
    // read and a UUID generation per record. A reading of the file that
    // must give its records what the store's load gave them (the read
    // before a merge) passes the load's time (time()).
    class LoadScope
    {
    public:
        explicit LoadScope(const QDateTime &at = QDateTime());
        // The time records made now take.
        static QDateTime time();
        ~LoadScope();
        LoadScope(const LoadScope &) = delete;
        LoadScope &operator=(const LoadScope &) = delete;
    };
    // Today's date; while loading, the date at the start of the load.
    static QDate today();

protected:
    // The record object of objectSize bytes with its properties and categories.
    qint64 baseMemorySize(size_t objectSize) const;
    // What a text's own characters take; nothing for one it shares.
    static qint64 textMemory(const QString &text);

private:
    friend class PIMManager;
    friend class RecordFileReader;

    // Date-times are kept as wall-clock milliseconds (days and time of day
    // as the file writes them); a local QDateTime is made only when asked.
    static qint64 stampOf(const QDateTime &dt);
    static QDateTime dateTimeOf(qint64 stamp);
    static qint64 stampOf(const int *dayMonthYearHourMinuteSecond);
    static void writeStamp(PIMTextWriter &out, const char *key, qint64 stamp);
    bool readBlock(PIMTextReader &in);
    bool uidPending() const { return m_uidPending; }

    uuid_t m_uid;
    bool m_uidPending = false;
    qint64 m_created;
    qint64 m_updated;
    // Where the record's block stands, byte for byte as write() would put
    // it, in the file text its store loaded; -1 once the record changed.
    // A store saves an unchanged record by copying those bytes.
    int m_rawStart = -1;
    int m_rawLength = 0;
    PIMManager *m_owner;
    QMap<QString, QString> m_properties;
    QStringList m_categoryList;
};

Q_DECLARE_METATYPE(PIMRecord *)

#endif
