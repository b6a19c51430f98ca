#ifndef TASK_H
#define TASK_H

#include "pimrecord.h"

#include <QDate>
#include <QString>

class PIMReminder;

// The expense record. Fields change in memory only; storing the record
// through its store (store()) writes them and sets the update time. A
// record loaded from a file and changed without being stored is saved as
// it was loaded.
class Task : public PIMRecord
{
public:
    explicit Task(PIMManager *manager);
    Task(const Task &other);
    ~Task() override;

    Task &operator=(const Task &) = delete;

    void readField(QLatin1String key, PIMTextReader &in) override;
    void write(PIMTextWriter &out) const override;
    using PIMRecord::write;
    qint64 memorySize() const override;

    QString type;
    QString amount;
    QString currency;
    QString city;
    QString description;
    QString account;
    QDate date;
    PIMReminder *reminder = nullptr; // owned; null when there is none
};

#endif
