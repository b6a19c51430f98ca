#ifndef YMRCALCULATOR_H
#define YMRCALCULATOR_H

#include "ymrcalculatorbase.h"

#include <QString>

class QLineEdit;

// A modal pocket calculator for entering an amount: strictly left to right,
// one memory, every number held as text between key presses. A division by
// zero or an overflow shows "Error" and clears the operands; the dialog
// cannot be accepted while the display shows no finite number.
class YMRCalculator : public YMRCalculatorBase
{
    Q_OBJECT
public:
    YMRCalculator(double value, QWidget *parent = nullptr, const char *name = nullptr);
    YMRCalculator(long value, QWidget *parent = nullptr, const char *name = nullptr);
    YMRCalculator(const QString &value, QWidget *parent = nullptr, const char *name = nullptr);
    // The line edit gives the start value and receives the result on accept.
    YMRCalculator(QLineEdit *target, QWidget *parent = nullptr, const char *name = nullptr);
    ~YMRCalculator() override;

    // The text the display shows.
    QString result() const;
    // Shows text; with trim, a decimal text loses its trailing zeros and
    // point. An empty text shows as "0".
    void trimDisplay(const QString &text, bool trim);

public slots:
    void accept() override;
    void clicked();

protected:
    void keyPressEvent(QKeyEvent *e) override;

private:
    enum Operator { Add, Subtract, Divide, Multiply, NoOperator };

    void init();
    void press(int code);
    void digit(int n);
    void point();
    void changeSign();
    void operatorKey(Operator op);
    void percent();
    void calculate();
    void clearLast();
    void memoryRecall();
    void memoryAdd();
    // Clears the operands and shows the error text.
    void fail();
    // Digits typed after M+ start a new number.
    void startNewEntry();

    QLineEdit *m_target = nullptr;
    QString m_operand;
    QString m_entry;
    QString m_result;
    double m_memory = 0;
    bool m_memorySet = false;
    Operator m_operator = NoOperator;
    bool m_operatorPressed = false;
    // the entry was added to the memory and is only shown
    bool m_entryDone = false;
};

#endif
