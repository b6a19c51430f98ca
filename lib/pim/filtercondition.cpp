#include "filtercondition.h"

#include "categorymanager.h"
#include "categoryrecord.h"
#include "task.h"
#include "taskmanager.h"
#include "ymrpim.h"

#include <QDateTime>
#include <QPair>
#include <QLocale>

namespace {

bool compareAmount(int code, double value, double limit)
{
    switch (code) {
    case FilterCondition::Equal: return value == limit;
    case FilterCondition::NotEqual: return value != limit;
    case FilterCondition::AtMost: return value <= limit;
    case FilterCondition::AtLeast: return value >= limit;
    case FilterCondition::Above: return value > limit;
    case FilterCondition::Below: return value < limit;
    default: return false;
    }
}

template <typename T>
bool compareDate(int code, const T &value, const T &limit)
{
    switch (code) {
    case FilterCondition::On: return value == limit;
    case FilterCondition::OnOrAfter: return value >= limit;
    case FilterCondition::OnOrBefore: return value <= limit;
    default: return false;
    }
}

// Whether a title of the expense's categories passes the text test; the
// titles are looked up one by one without making their list.
bool matchesCategory(const Task *task, const QString &value, int condition)
{
    const PIMManager *owner = task->manager();
    CategoryManager *cats = owner ? owner->categoryManager() : nullptr;
    if (!cats)
        return false;
    const QStringList uids = task->categories();
    for (const QString &uid : uids) {
        const auto *c = static_cast<const CategoryRecord *>(cats->findRecord(uid));
        if (c && TaskManager::matchesText(value, c->title, condition))
            return true;
    }
    return false;
}

} // namespace

QString FilterCondition::valueText() const
{
    switch (field) {
    case AllText: case Type: case Currency: case City:
    case Description: case Account: case Category:
        return text;
    case Amount:
        // Shortest text that reads back to the same double: a six-digit
        // form would change the limit of large amounts on every save.
        return QString::number(amount, 'g', QLocale::FloatingPointShortest);
    case Date:
        return YMRPIM::dateToText(date);
    case Reminder:
        return QString::number(number);
    case Created: case Updated:
        return YMRPIM::dateTimeToText(QDateTime(date, time));
    default:
        return QString();
    }
}

void FilterCondition::setValueText(const QString &value)
{
    switch (field) {
    case AllText: case Type: case Currency: case City:
    case Description: case Account: case Category:
        text = value;
        break;
    case Amount:
        amount = value.toDouble();   // 0 when not a number
        break;
    case Date:
        date = YMRPIM::textToDate(value);
        break;
    case Reminder:
        number = value.toInt();
        break;
    case Created: case Updated: {
        const QDateTime dt = YMRPIM::textToDateTime(value);
        date = dt.date();
        time = dt.time();
        break;
    }
    default:
        break;
    }
}

bool FilterCondition::holds(const Task *task) const
{
    if (!task)
        return false;
    switch (field) {
    case AllText:
        if (TaskManager::matchesText(text, task->type, condition)
            || TaskManager::matchesText(text, task->currency, condition)
            || TaskManager::matchesText(text, task->city, condition)
            || TaskManager::matchesText(text, task->description, condition)
            || TaskManager::matchesText(text, task->account, condition))
            return true;
        return matchesCategory(task, text, condition);
    case Type:
        return TaskManager::matchesText(text, task->type, condition);
    case Currency:
        return TaskManager::matchesText(text, task->currency, condition);
    case City:
        return TaskManager::matchesText(text, task->city, condition);
    case Description:
        return TaskManager::matchesText(text, task->description, condition);
    case Account:
        return TaskManager::matchesText(text, task->account, condition);
    case Category:
        return matchesCategory(task, text, condition);
    case Amount:
        return compareAmount(condition, YMRPIM::amountValue(task->amount), amount);
    case Date:
        return compareDate(condition, task->date, date);
    case Reminder:
        return (number == 0) == (task->reminder != nullptr);
    case Created: case Updated: {
        // compared on the wall clock as stored, to the minute, without making
        // a local date-time per expense (each asks the time zone)
        QDate d;
        QTime tm;
        if (field == Created)
            task->createdParts(d, tm);
        else
            task->updatedParts(d, tm);
        if (d.isValid() && tm.isValid() && date.isValid() && time.isValid()) {
            const QTime minute(tm.hour(), tm.minute());
            return compareDate(condition, qMakePair(d, minute), qMakePair(date, time));
        }
        QDateTime stamp = field == Created ? task->created() : task->updated();
        const QTime t = stamp.time();
        stamp.setTime(QTime(t.hour(), t.minute()));
        return compareDate(condition, stamp, QDateTime(date, time));
    }
    default:
        return false;
    }
}

bool FilterCondition::operator==(const FilterCondition &o) const
{
    return field == o.field && condition == o.condition && text == o.text
        && number == o.number && amount == o.amount && date == o.date
        && time == o.time;
}
