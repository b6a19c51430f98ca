#ifndef DATETIMEFORMATEDITOR_H
#define DATETIMEFORMATEDITOR_H

#include "forms/datetimeformateditorbase.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// Edits one data list of date or time patterns ("dateFormat", "timeFormat",
// "dateTimeFormat") and lets the user pick a pattern, with an example
// written for the moment the editor opened. The list is written back when
// the editor is destroyed, however it was closed.
class DateTimeFormatEditor : public DateTimeFormatEditorBase
{
    Q_OBJECT
public:
    DateTimeFormatEditor(const QString &listName, const QString &pattern,
                         QWidget *parent = nullptr, const char *name = nullptr);
    ~DateTimeFormatEditor() override;

    // The chosen pattern: the edit field's text.
    QString format() const;
    QDateTime exampleDateTime() const { return m_example; }
    // Tests: the example moment.
    void setExampleDateTime(const QDateTime &dateTime);

public slots:
    void addItem() override;
    void formatChanged() override;
    void itemSelected(const QString &text) override;
    void update() override;
    void removeItem() override;

protected:
    void updateButtons();

private:
    void showExample(const QString &pattern);

    QString m_listName;
    QDateTime m_example;
    // the list as read: what another copy changed since is kept at the save
    QStringList m_loaded;
};

#endif
