#include "filtercondition.h"

#include "task.h"
#include "taskmanager.h"
#include "ymrpim.h"

#include <QDateTime>
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
        return TaskManager::matchesAnyText(text, task->categoryTitles(), condition);
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
        return TaskManager::matchesAnyText(text, task->categoryTitles(), condition);
    case Amount:
        return compareAmount(condition, task->amount.toDouble(), amount);
    case Date:
        return compareDate(condition, task->date, date);
    case Reminder:
        return (number == 0) == (task->reminder != nullptr);
    case Created: case Updated: {
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
