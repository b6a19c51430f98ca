#ifndef TASKEDITOR_H
#define TASKEDITOR_H

#include "forms/taskeditorbase.h"

#include <functional>
#include <utility>

class Task;

// The "Expense" page of the record dialog: amount and currency, type, date,
// city and account. The boxes offer the value lists and take free text.
class TaskEditor : public TaskEditorBase
{
    Q_OBJECT
public:
    explicit TaskEditor(QWidget *parent = nullptr, const char *name = nullptr);
    ~TaskEditor() override;

    void load(Task *task);
    void store(Task *task);

    // Amounts as stored (and as the calculator writes them) are empty, or
    // plain decimal numbers in the C locale from 0 to 999999999 with at most
    // two decimals.
    static bool isValidAmount(const QString &text);
    // Whether the amount field holds an amount as the user types it (see
    // YMRAmountValidator); otherwise tells the user with a hint and gives
    // the field the focus.
    bool checkAmount();

    static void selectText(YMRComboBox *box, const QString &text);
    static void fillList(YMRComboBox *box, const QString &listName);
    void fillCurrencies();
    // What the page's buttons ask before they act: whether the dates typed
    // in the window are taken. A refusal stops the button. Without one,
    // the window's date fields are asked.
    void setDatesCheck(std::function<bool()> check) { m_datesCheck = std::move(check); }

public slots:
    void amountActivated() override;
    void editList() override;

private:
    void fitSmallScreen();
    QString noneText() const;
    QString boxValue(YMRComboBox *box) const;
    bool datesTaken();

    std::function<bool()> m_datesCheck;
};

#endif
