#ifndef FILTERLISTDIALOG_H
#define FILTERLISTDIALOG_H

#include "forms/filterlistdialogbase.h"

class OrderedListViewItem;
class TaskManager;

// The "Filters Editor" of the open book: its saved filters by name, to
// create, edit, remove, reorder, sort and select. Moves, removals and
// sorting change only the rows; the rows are written back into the book at
// destruction (however the dialog was closed) and before a new filter is made.
class FilterListDialog : public FilterListDialogBase
{
    Q_OBJECT
public:
    FilterListDialog(TaskManager *manager, QWidget *parent = nullptr, const char *name = nullptr);
    ~FilterListDialog() override;

    OrderedListViewItem *fill();
    void storeFilters();

public slots:
    void doNew() override;
    void doEdit() override;
    void doRemove() override;
    void doUp() override;
    void doDown() override;
    void sort() override;
    void doSelect() override;
    void currentChanged();

private:
    TaskManager *m_manager;
    bool m_changed = false;
    int m_select = 0;
    // The book's current filter when the dialog opened (-2 the find
    // filter), followed through write-backs; -1 once its row is gone.
    int m_kept;
};

#endif
