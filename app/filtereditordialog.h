#ifndef FILTEREDITORDIALOG_H
#define FILTEREDITORDIALOG_H

#include "forms/filtereditordialogbase.h"

#include "pim/taskfilter.h"

class TaskManager;
class QGridLayout;
class QScrollArea;

// Edits one saved filter of the open book (index n), a new one (-1) or the
// book's find filter (-2) on a private copy; the book changes only through
// storeFilter(), which the caller runs after an accepted exec().
class FilterEditorDialog : public FilterEditorDialogBase
{
    Q_OBJECT
public:
    FilterEditorDialog(TaskManager *manager, int filterIndex, QWidget *parent = nullptr,
                       const char *name = nullptr);
    ~FilterEditorDialog() override;

    void storeFilter();
    // The edited filter as it stands (the editing area not included).
    const TaskFilter &filter() const { return m_filter; }
    int filterIndex() const { return m_index; }
    QWidget *valueWidget() const { return m_value; }

    static QString conditionText(int field, int code);
    void addConditionItem(const FilterCondition &c);

    enum ValueType { Text, Amount, Date, Reminder, DateAndTime };
    static ValueType valueType(int field);

public slots:
    void fieldChanged(int position) override;
    void conditionChanged(int code) override;
    void addCondition() override;
    void removeCondition() override;
    void calculateValue();
    void conditionActivated();
    // Refuses an amount that is no number instead of storing it as 0.
    void done(int r) override;

private:
    void init();
    // The condition of the editing area; false (after telling the user)
    // when its amount is no number.
    bool editedCondition(FilterCondition &c);
    // Whether accepting adds the editing area's condition to the filter.
    bool takesEditingArea() const;
    static QString valueText(const FilterCondition &c);
    void placeValueArea(bool ownRow);

    TaskManager *m_manager;
    QWidget *m_value = nullptr;
    int m_index;
    TaskFilter m_filter;
    // The user changed the editing area since it was last filled or added:
    // accepting then adds its condition.
    bool m_edited = false;
    QGridLayout *m_grid = nullptr;
    bool m_narrow = false;
    QScrollArea *m_scroll = nullptr;
};

#endif
