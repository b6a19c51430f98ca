#ifndef REMINDEREDITOR_H
#define REMINDEREDITOR_H

#include "forms/remindereditorbase.h"

#include <QDateTime>

class PIMReminder;

// The "Reminder" page of the record dialog: the alarm switch, its date and
// time, sound and LED with its pattern, and a test of the notification.
class ReminderEditor : public ReminderEditorBase
{
    Q_OBJECT
public:
    explicit ReminderEditor(QWidget *parent = nullptr, const char *name = nullptr);
    ~ReminderEditor() override;

    // Shows a reminder; null shows the alarm switched off.
    void load(const PIMReminder *reminder);
    // A new reminder for the caller to own, null when the alarm is off.
    PIMReminder *reminder() const;

public slots:
    void alarmOnOff(bool on) override;
    void test() override;
    void typeChanged() override;

private:
    // the time loaded, kept to the second while the page shows it unchanged
    QDateTime m_loaded;
};

#endif
