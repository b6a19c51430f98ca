#ifndef COLUMNSETUP_H
#define COLUMNSETUP_H

#include "forms/columnsetupbase.h"

#include <QString>

// The "Columns" page of the options dialog: which columns the main window's
// expense list ("Main View") and the due-reminders list ("Reminder View")
// show, and in which order. Every change is written at once to
// "<view>_columns"/"column" as ids joined with ";".
class ColumnSetup : public ColumnSetupBase
{
    Q_OBJECT
public:
    explicit ColumnSetup(QWidget *parent = nullptr, const char *name = nullptr);
    ~ColumnSetup() override;

    void save();
    // The settings group being edited; null before the first view is loaded.
    QString group() const { return m_group; }

public slots:
    void currentChanged(YMRListViewItem *item) override;
    void doDown() override;
    void doGet() override;
    void doRemove() override;
    void doUp() override;
    void whereChanged(int index) override;

private:
    static void addColumnItem(YMRListView *view, int id);

    QString m_group;
};

#endif
