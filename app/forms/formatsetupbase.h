#ifndef FORMATSETUPBASE_H
#define FORMATSETUPBASE_H

#include <QWidget>

class DateFormatSelector;
class QGridLayout;
class QGroupBox;
class QLabel;
class QVBoxLayout;
class YMRComboBox;
class YMRPushButton;

// Form of the format page: the expense list's colour mode and the formats
// of its dates, date-times and amounts.
class FormatSetupBase : public QWidget
{
    Q_OBJECT
public:
    explicit FormatSetupBase(QWidget *parent = nullptr, const char *name = nullptr,
                             Qt::WindowFlags fl = Qt::WindowFlags());
    ~FormatSetupBase() override;

    QGroupBox *GroupBox2;
    YMRComboBox *colors;
    QGroupBox *GroupBox4;
    QLabel *TextLabel1;
    DateFormatSelector *dateFormat;
    QLabel *TextLabel2;
    DateFormatSelector *dateTimeFormat;
    QLabel *TextLabel3;
    YMRComboBox *formats;
    YMRPushButton *btnEdit;

public slots:
    virtual void editNumberFormat();

protected:
    QVBoxLayout *FormatSetupBaseLayout;
    QGridLayout *GroupBox4Layout;
};

#endif
