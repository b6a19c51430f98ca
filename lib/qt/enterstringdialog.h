#ifndef ENTERSTRINGDIALOG_H
#define ENTERSTRINGDIALOG_H

#include "enterstringdialogbase.h"

// Asks for one line of text under the caller's caption (shown with " ...").
class EnterStringDialog : public EnterStringDialogBase
{
    Q_OBJECT
public:
    explicit EnterStringDialog(const QString &caption, QWidget *parent = nullptr,
                               const char *name = nullptr);
    ~EnterStringDialog() override;

    // Runs the dialog on initialText; the entered text when accepted (never
    // null, possibly empty), a null string when cancelled. *rejected, when
    // given, becomes true unless accepted.
    QString getText(const QString &initialText, bool *rejected = nullptr);
};

#endif
