#ifndef PASSWORDDIALOG_H
#define PASSWORDDIALOG_H

#include "forms/passworddialogbase.h"

#include <QString>

class DBRecord;

// The password prompt. In confirm mode the password is typed twice and
// both entries must match.
class PasswordDialog : public PasswordDialogBase
{
    Q_OBJECT
public:
    explicit PasswordDialog(bool confirm, QWidget *parent = nullptr, const char *name = nullptr);
    ~PasswordDialog() override;

    bool isConfirm() const { return m_confirm; }
    // Runs the prompt until it ends: the typed text, a null string when
    // cancelled.
    QString getPassword();
    // Whether typed is the stored password. A "|" typed comes back from
    // the book file as a line break, which no prompt can type; a line break
    // pasted into an older copy was shown as a blank and may be typed so.
    static bool matches(const QString &typed, const QString &stored);
    // The book index's prompt before a command on a protected book: asks
    // once, tells the user when refused.
    static bool checkBook(DBRecord *record);

public slots:
    void maskChanged() override;

protected:
    // Buttons side by side wider than the dialog would be squeezed over
    // their icons: the mask button then takes a row of its own.
    void fitButtons(int width);

private:
    bool m_confirm;
};

#endif
