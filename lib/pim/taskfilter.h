#ifndef TASKFILTER_H
#define TASKFILTER_H

#include "filtercondition.h"

#include <QList>
#include <QString>

class Task;

// A named list of conditions; an expense passes when every condition holds.
class TaskFilter
{
public:
    TaskFilter() = default;
    explicit TaskFilter(const QString &n) : name(n) {}

    // A filter without conditions passes every expense; evaluation stops at
    // the first condition that fails.
    bool accepts(const Task *task) const;

    bool operator==(const TaskFilter &o) const
    { return name == o.name && conditions == o.conditions; }
    bool operator!=(const TaskFilter &o) const { return !(*this == o); }

    // The text form kept in a book header: counts, lengths and codes each
    // followed by one blank; names and values prefixed by their length.
    static QString toText(const QList<TaskFilter> &filters);
    // Appends the filters of a text form to the list. Malformed text ends the
    // reading at the first missing blank; the filter being read is dropped,
    // the ones before it are kept.
    static void parseText(const QString &text, QList<TaskFilter> &filters);

    QString name;
    QList<FilterCondition> conditions;
};

#endif
