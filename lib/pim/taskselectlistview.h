#ifndef TASKSELECTLISTVIEW_H
#define TASKSELECTLISTVIEW_H

#include "tasklistview.h"

// The expense list with a check column (id 11): the mark is the record's
// property "select". A tap, Return or Enter on a row toggles it; a click on
// the check column's header marks every row of the page, or unmarks them
// when all are marked.
class TaskSelectListView : public TaskListView
{
    Q_OBJECT
public:
    enum { CheckColumn = 11 };

    explicit TaskSelectListView(QWidget *parent = nullptr, const char *name = nullptr);

    static QString markProperty() { return QStringLiteral("select"); }

public slots:
    void activateRecord();
    void sectionClicked(int section) override;

protected:
    void setupColumns(int id, Config *settings) override;
    PIMListViewItem *createItem(PIMRecord *record) override;
    PIMListViewItem *createItem(PIMRecord *record, YMRListViewItem *after) override;
};

#endif
