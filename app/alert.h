#ifndef ALERT_H
#define ALERT_H

#include <QDialog>
#include <QElapsedTimer>

class PIMReminder;
class QLabel;
class QScrollArea;
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
    // A line under the time: what is known of a reminder that cannot show
    // its expense (a locked book's, one whose book cannot be found).
    void setNote(const QString &note);
    // The window's text, its note included.
    QString text() const;

    static void soundAlarm();
    static void setLed(bool on, int pattern);

    // How long the keyboard must rest before a key acts on the window (a
    // key pressed meanwhile, here or elsewhere, starts the rest again). For
    // tests; a negative value brings back the default.
    static void setKeyRest(int ms);

public slots:
    void updateTime();
    void repeatSound();

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    PIMReminder *m_reminder = nullptr;
    // some started reminder switched the LED on
    bool m_ledOn = false;
    QLabel *m_note;
    QScrollArea *m_noteArea;
    QLabel *m_text;
    QTimer *m_clockTimer;
    // since the last key typed anywhere, or since the window came up
    QElapsedTimer m_keysRest;
};

#endif
