#ifndef DBDIALOG_H
#define DBDIALOG_H

#include "forms/dbdialogbase.h"

#include <QString>

class DBManager;
class DBRecord;
class PIMRecord;
class PopupMenu;

// The books dialog: the book index, in which the user chooses the book to
// open (or, in select mode, a destination book) and creates, adds, edits,
// duplicates, removes and deletes books.
class DBDialog : public DBDialogBase
{
    Q_OBJECT
public:
    DBDialog(DBManager *index, const QString &currentPath, QWidget *parent = nullptr,
             const char *name = nullptr);
    ~DBDialog() override;

    // A destination chooser: the excluded book (the open one) can't be chosen.
    void setSelectMode(const QString &excludedPath);
    // The current book's path when it is available, else null.
    QString selectedPath() const;
    PopupMenu *removeMenu() const { return m_removeMenu; }
    DBRecord *currentBook() const;

public slots:
    void selectionCleared();
    void selected(PIMRecord *record);
    void doRemove();
    void doDelete();
    void doDuplicate() override;
    void doEdit() override;
    void doNew() override;
    void doOpen() override;
    void doSelect() override;
    void getData() override;

private:
    DBManager *m_index;
    PopupMenu *m_removeMenu;
    QString m_excludedPath;
};

#endif
