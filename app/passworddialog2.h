#ifndef PASSWORDDIALOG2_H
#define PASSWORDDIALOG2_H

#include "passworddialog.h"

class DBManager;
class DBRecord;
class YMRComboBox;
class YMRPushButton;

// The password prompt before a book opens: the user may also pick another
// book, ask for the books dialog or leave the program ("Exit").
class PasswordDialog2 : public PasswordDialog
{
    Q_OBJECT
public:
    PasswordDialog2(DBManager *index, DBRecord *record, QWidget *parent = nullptr,
                    const char *name = nullptr);
    ~PasswordDialog2() override;

    // Makes these prompts the book index's (DBManager::setPasswordPrompts).
    static void installPrompts();
    // The book index's prompt before a protected book opens.
    static DBRecord *openBook(DBManager *index, DBRecord *record, bool &managerRequested);

    bool managerRequested() const { return m_managerRequested; }
    // The first book of the index titled as the combo's current text.
    DBRecord *selectedRecord();

    YMRComboBox *booksCombo() const { return m_books; }
    YMRPushButton *booksButton() const { return m_booksButton; }

public slots:
    void dbActivated();
    void callManager();

private:
    DBManager *m_index;
    bool m_managerRequested = false;
    YMRComboBox *m_books;
    YMRPushButton *m_booksButton;
};

#endif
