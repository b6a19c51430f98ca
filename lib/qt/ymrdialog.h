#ifndef YMRDIALOG_H
#define YMRDIALOG_H

#include <QDialog>
#include <QList>

class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QSpacerItem;
class YMRPushButton;

// The program's message box: an icon, a text and one to three buttons
// under a line. exec() returns the number (1 to 3) of the chosen button.
class YMRDialog : public QDialog
{
    Q_OBJECT
public:
    // Button flags of setButton1..3.
    enum ButtonFlag { Escape = 1, Default = 2 };

    explicit YMRDialog(QWidget *parent = nullptr, const char *name = nullptr, bool modal = false);
    ~YMRDialog() override;

    void setText(const QString &text);
    void setIcon(const char *name);
    YMRPushButton *setButton1(const QString &text, const char *iconName, int flags);
    YMRPushButton *setButton2(const QString &text, const char *iconName, int flags);
    YMRPushButton *setButton3(const QString &text, const char *iconName, int flags);

    int exec() override;

    static void critical(const QString &caption, const QString &text);
    static void warning(const QString &caption, const QString &text);
    static void information(const QString &caption, const QString &text);
    // An empty caption becomes "Delete". Enter and Escape both cancel.
    static bool confirmDelete(const QString &text, const QString &caption = QString());
    // newName receives the edited name whatever the answer.
    static bool rename(const QString &oldName, QString &newName,
                       const QString &caption = QString());
    static int message1(const QString &caption, const QString &text, const char *icon,
                        const QString &buttonText, const char *buttonIcon);
    static int message2(const QString &caption, const QString &text, const char *icon,
                        const QString &text1, const char *icon1, const QString &text2,
                        const char *icon2, int defaultButton, int escapeButton);
    static int message3(const QString &caption, const QString &text, const char *icon,
                        const QString &text1, const char *icon1, const QString &text2,
                        const char *icon2, const QString &text3, const char *icon3,
                        int defaultButton, int escapeButton);

    // While one lives, the boxes put up come up on their own (a file found
    // damaged by a read on a clock), not at the user's key or click: they
    // leave the keyboard where the user types until the user comes to them.
    class Unasked
    {
    public:
        Unasked();
        ~Unasked();
        Unasked(const Unasked &) = delete;
        Unasked &operator=(const Unasked &) = delete;
    };

    // Test hook. Once an answer is queued, every box answers by itself from
    // the queue instead of waiting for a person: button 1 to 3 is tapped, 0
    // closes the box as Escape does; a rename prompt first gets newName
    // typed in when it is not null. A box finding the queue empty warns and
    // closes as Escape does. stopScript() ends this mode.
    struct ScriptedBox {
        QString caption;
        QString text;
        int result;
    };
    static void queueAnswer(int button, const QString &newName = QString());
    static int queuedAnswers();
    // The boxes answered from the queue since the last call, oldest first.
    static QList<ScriptedBox> takeScriptedBoxes();
    static void stopScript();

public slots:
    void buttonClicked();

protected:
    void showEvent(QShowEvent *e) override;

private:
    YMRPushButton *setButton(int number, const QString &text, const char *iconName, int flags);
    void fitWidth();
    void answerFromScript();
    static int runMessage(const QString &caption, const QString &text, const char *icon,
                          const QString *texts, const char *const *icons, int count,
                          int defaultButton, int escapeButton);
    // One "Ok" button, no flags.
    static void runOkBox(const QString &caption, const QString &text, const char *icon);

    YMRPushButton *m_button1;
    YMRPushButton *m_button2;
    YMRPushButton *m_button3;
    QLabel *m_iconLabel;
    QLabel *m_textLabel;
    QSpacerItem *m_leftSpacer;
    QSpacerItem *m_rightSpacer;
    QGridLayout *m_grid;
    QHBoxLayout *m_buttonRow;
    int m_result;
    int m_escapeButton;
    QLineEdit *m_renameEdit = nullptr;
};

#endif
