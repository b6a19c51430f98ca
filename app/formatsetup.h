#ifndef FORMATSETUP_H
#define FORMATSETUP_H

#include "forms/formatsetupbase.h"

// The "Options" page of the options dialog: the expense list's colour mode
// and its date, date-time and amount formats ("Options"/"colormode",
// "defdate", "defdatetime", "defcformat"), written when the page goes.
class FormatSetup : public FormatSetupBase
{
    Q_OBJECT
public:
    explicit FormatSetup(QWidget *parent = nullptr, const char *name = nullptr);
    ~FormatSetup() override;

    void save();

public slots:
    void editNumberFormat() override;

private:
    // Refills the amount formats from the list, showing code.
    void loadNumberFormats(const QString &code);
};

#endif
