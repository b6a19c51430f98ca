#ifndef EXPORTDIALOGBASE_H
#define EXPORTDIALOGBASE_H

#include <QDialog>

class DateFormatSelector;
class QCheckBox;
class QLabel;
class QLineEdit;
class TextCodecSelector;
class YMRComboBox;
class YMROkCancelWidget;

// Form of the CSV export options: delimiter, text qualifier, codec, date
// formats and the separator of multi-line text. The dialog lays it out.
class ExportDialogBase : public QDialog
{
    Q_OBJECT
public:
    explicit ExportDialogBase(QWidget *parent = nullptr, const char *name = nullptr,
                              bool modal = false, Qt::WindowFlags fl = Qt::WindowFlags());
    ~ExportDialogBase() override;

    QLabel *TextLabel1;
    YMRComboBox *type;
    QLabel *TextLabel2;
    YMRComboBox *delimiter;
    QCheckBox *other;
    QLineEdit *otherDelimiter;
    QLabel *TextLabel3;
    YMRComboBox *qualifier;
    QLabel *TextLabel4;
    TextCodecSelector *unicode;
    QLabel *TextLabel5;
    DateFormatSelector *dateFormat;
    QLabel *TextLabel6;
    DateFormatSelector *timeFormat;
    QLabel *TextLabel7;
    DateFormatSelector *dateTimeFormat;
    QLabel *TextLabel8;
    YMRComboBox *ml;
    YMROkCancelWidget *okCancelWidget;

public slots:
    virtual void delimiterChanged();
};

#endif
