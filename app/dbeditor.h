#ifndef DBEDITOR_H
#define DBEDITOR_H

#include "forms/dbeditorbase.h"

#include <QString>

class DBManager;
class DBRecord;

// The book editor: title, folder, description, icon and password of a new
// or an existing Expense Book. Nothing reaches the record before store().
class DBEditor : public DBEditorBase
{
    Q_OBJECT
public:
    explicit DBEditor(QWidget *parent = nullptr, const char *name = nullptr);
    ~DBEditor() override;

    // Loads the record into the form and runs it; 1 when accepted.
    int edit(DBRecord *record);
    void store(DBRecord *record);

    // The book file the entries name: folder, "/", title, ".exp".
    QString bookFileName() const;
    QString iconName() const { return m_iconName; }
    QString password() const { return m_password; }

public slots:
    void accept() override;
    void selectPwd() override;
    void selectIcon() override;

private:
    void showIcon();

    QString m_iconName;
    QString m_loadedTitle;
    QString m_loadedPath;
    DBManager *m_index = nullptr;
    QString m_password;
};

#endif
