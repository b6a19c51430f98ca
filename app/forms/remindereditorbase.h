#ifndef REMINDEREDITORBASE_H
#define REMINDEREDITORBASE_H

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;
class QVBoxLayout;
class YMDateTimeEditor;
class YMRComboBox;
class YMRPushButton;

// Form of the reminder page.
class ReminderEditorBase : public QWidget
{
    Q_OBJECT
public:
    explicit ReminderEditorBase(QWidget *parent = nullptr, const char *name = nullptr,
                                Qt::WindowFlags fl = Qt::WindowFlags());
    ~ReminderEditorBase() override;

    QGroupBox *GroupBox15;
    QLabel *icon;
    QCheckBox *alarm;
    QLabel *TextLabel1;
    YMDateTimeEditor *dt;
    QGroupBox *panel;
    QCheckBox *sound;
    QCheckBox *ledbox;
    YMRComboBox *led;
    YMRPushButton *btnTest;

public slots:
    virtual void alarmOnOff(bool on);
    virtual void test();
    virtual void typeChanged();

protected:
    QVBoxLayout *ReminderEditorBaseLayout;
};

#endif
