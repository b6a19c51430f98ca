#include "task.h"

#include "pimreminder.h"
#include "pimtextreader.h"
#include "pimtextwriter.h"
#include "qpe/loadbudget.h"

Task::Task(PIMManager *manager)
    : PIMRecord(manager), date(PIMRecord::today())
{
}

Task::Task(const Task &other)
    : PIMRecord(other),
      type(other.type),
      amount(other.amount),
      currency(other.currency),
      city(other.city),
      description(other.description),
      account(other.account),
      date(other.date),
      reminder(other.reminder ? new PIMReminder(*other.reminder) : nullptr)
{
}

Task::~Task()
{
    delete reminder;
}

qint64 Task::memorySize() const
{
    qint64 bytes = baseMemorySize(sizeof(Task)) + textMemory(type) + textMemory(amount) + textMemory(currency)
                   + textMemory(city) + textMemory(description) + textMemory(account);
    if (reminder)
        bytes += LoadBudget::heapBytes(sizeof(PIMReminder));
    return bytes;
}

void Task::write(PIMTextWriter &out) const
{
    if (reminder) {
        out.writeLine("REMINDER");
        reminder->write(out);
    }
    out.writeValueIfAny("TYPE=", type);
    out.writeValueIfAny("AMOUNT=", amount);
    out.writeValueIfAny("CUR=", currency);
    out.writeValueIfAny("CITY=", city);
    out.writeValueIfAny("DESC=", description);
    out.writeValueIfAny("ACCOUNT=", account);
    out.writeDateAsDateTime("DATE=", date);
    PIMRecord::write(out);
}

void Task::readField(QLatin1String key, PIMTextReader &in)
{
    switch (key.size()) {
    case 3:
        if (key == QLatin1String("CUR"))
            currency = in.sharedValue();
        break;
    case 4:
        if (key == QLatin1String("TYPE"))
            type = in.sharedValue();
        else if (key == QLatin1String("CITY"))
            city = in.sharedValue();
        else if (key == QLatin1String("DESC"))
            description = in.value();
        else if (key == QLatin1String("DATE"))
            date = in.dateValue(1);
        break;
    case 6:
        if (key == QLatin1String("AMOUNT"))
            amount = in.value();
        break;
    case 7:
        if (key == QLatin1String("ACCOUNT"))
            account = in.sharedValue();
        break;
    case 8:
        if (key == QLatin1String("REMINDER")) {
            delete reminder;
            reminder = new PIMReminder;
            reminder->read(in);
        }
        break;
    default:
        break;
    }
}
