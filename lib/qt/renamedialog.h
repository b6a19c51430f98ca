#ifndef RENAMEDIALOG_H
#define RENAMEDIALOG_H

#include "renamedialogbase.h"

// Asks for a new name in place of an old one.
class RenameDialog : public RenameDialogBase
{
    Q_OBJECT
public:
    explicit RenameDialog(QWidget *parent = nullptr, const char *name = nullptr);
    ~RenameDialog() override;

    // Runs the dialog on oldText; the new text when accepted, else a null
    // string. The text is not checked: empty or unchanged comes back as is.
    QString getText(const QString &oldText);
};

#endif
