#ifndef CUSTOMLISTDIALOG_H
#define CUSTOMLISTDIALOG_H

#include "forms/customlistbase.h"

#include <QString>
#include <QStringList>

// Edits one named value list (types, cities, accounts). The list is written
// back when the dialog is destroyed, however it was closed.
class CustomListDialog : public CustomListBase
{
    Q_OBJECT
public:
    // captionAndLabel: the window caption and the field label joined by "|".
    CustomListDialog(const QString &listName, const QString &captionAndLabel,
                     const QString &iconName, QWidget *parent = nullptr,
                     const char *name = nullptr);
    ~CustomListDialog() override;

    QStringList entries() const;
    bool save();

public slots:
    void doDown() override;
    void doNew() override;
    void doRemove() override;
    void doUp() override;
    void doUpdate() override;
    void sort() override;
    void currentChanged();

private:
    void appendEntry(const QString &text);

    QString m_listName;
    QString m_iconName;
    // names the list when a save fails
    QString m_what;
    // the list as read: what another copy changed since is kept at the save
    QStringList m_loaded;
};

#endif
