#ifndef ALERT_H
#define ALERT_H

#include <QDialog>

class PIMReminder;
class QLabel;
class QTimer;

// The full-screen notice of a due reminder: a clock, "Expense Alarm" with
// the time and an OK button. While shown it repeats the alarm sound every
// minute and keeps the LED blinking. Its two static routines drive the
// sound, the buzzer and the LED.
class Alert : public QDialog
{
    Q_OBJECT
public:
    explicit Alert(QWidget *parent = nullptr, const char *name = nullptr);
    ~Alert() override;

    // Rings for a reminder (not owned); called again for each further due
    // reminder while the window is shown.
    void start(PIMReminder *reminder);
    PIMReminder *reminder() const { return m_reminder; }
    // A reminder of a locked book: the window says only that one is due.
    void setLockedBook(bool locked);
    QString text() const;

    static void soundAlarm();
    static void setLed(bool on, int pattern);

public slots:
    void updateTime();
    void repeatSound();

private:
    PIMReminder *m_reminder = nullptr;
    // some started reminder switched the LED on
    bool m_ledOn = false;
    bool m_lockedBook = false;
    QLabel *m_text;
    QTimer *m_clockTimer;
};

#endif
