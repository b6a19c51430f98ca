#ifndef YMRCALCULATORBASE_H
#define YMRCALCULATORBASE_H

#include <QDialog>

class QGridLayout;
class QLabel;
class YMRPushButton;

// The calculator's form: the display "d" over a grid of keys named "b0" to
// "b23" (no "b12"); the number in a key's name is its key code.
class YMRCalculatorBase : public QDialog
{
    Q_OBJECT
public:
    explicit YMRCalculatorBase(QWidget *parent = nullptr, const char *name = nullptr,
                               bool modal = false, Qt::WindowFlags flags = Qt::WindowFlags());
    ~YMRCalculatorBase() override;

protected:
    QGridLayout *grid;
    QLabel *d;
    YMRPushButton *b0, *b1, *b2, *b3, *b4, *b5, *b6, *b7, *b8, *b9;
    YMRPushButton *b10, *b11, *b13, *b14, *b15, *b16, *b17, *b18, *b19, *b20;
    YMRPushButton *b21, *b22, *b23;

private:
    YMRPushButton *key(const char *name, const QString &text, int row, int column,
                       int rowSpan = 1, int columnSpan = 1);
};

#endif
