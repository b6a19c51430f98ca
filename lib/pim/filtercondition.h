#ifndef FILTERCONDITION_H
#define FILTERCONDITION_H

#include <QDate>
#include <QString>
#include <QTime>

class Task;

// One condition of a saved filter: a field of the expense, a condition code
// whose meaning depends on the field, and the one value member the field
// uses. The other value members stay empty.
class FilterCondition
{
public:
    // Expense fields; -1 tests every text field. The book store's sort
    // columns are the same numbers.
    enum Field {
        AllText = -1,
        Type = 0, Amount, Currency, City, Description, Account,
        Date, Reminder, Category, Created, Updated
    };
    // Condition codes of the text fields (and of every text field), of the
    // amount, and of the dates and times.
    enum TextCondition { Contains = 0, Is, DoesNotContain, IsEmpty, IsNotEmpty, StartsWith, EndsWith };
    enum AmountCondition { Equal = 0, NotEqual, AtMost, AtLeast, Above, Below };
    enum DateCondition { On = 0, OnOrAfter, OnOrBefore };

    FilterCondition() = default;

    // The value as it stands in the filter text (empty for unknown fields).
    QString valueText() const;
    // Stores a value text read from the filter text into the member the
    // field uses.
    void setValueText(const QString &value);

    // Whether the expense satisfies the condition.
    bool holds(const Task *task) const;

    bool operator==(const FilterCondition &o) const;
    bool operator!=(const FilterCondition &o) const { return !(*this == o); }

    qint32 field = AllText;
    qint32 condition = 0;
    QString text;
    qint32 number = 0;
    double amount = 0.0;
    QDate date;
    QTime time = QTime(0, 0);
};

#endif
