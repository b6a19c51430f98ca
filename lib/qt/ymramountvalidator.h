#ifndef YMRAMOUNTVALIDATOR_H
#define YMRAMOUNTVALIDATOR_H

#include <QString>
#include <QValidator>

// Amounts as users type them, whatever their locale: the digits 0 to 9,
// from 0 to 999999999 (999999999.00, not a cent more) with at most two
// decimals. The last "," or "."
// followed by at most two digits (and nothing else) is the decimal point;
// the other ",", ".", blanks and apostrophes group the digits ("1,234.56",
// "1.234,56", "1 234,56", "1'234.56", "12,34,567.89"): one kind of them in
// an amount, never the decimal point's, each between digits, the groups
// after the first of two or three digits and the last of three, the first
// not all zeros ("0.001" is no amount).
//
// As a validator it refuses a character no amount holds (a sign, a letter,
// digits of other scripts) and a value past the largest; a text on its way
// to an amount ("1,2" before "1,234") is intermediate.
class YMRAmountValidator : public QValidator
{
    Q_OBJECT
public:
    static constexpr double Largest = 999999999.0;
    // Why validate() last refused a text.
    enum Refusal { NoRefusal, Character, TooLarge };

    explicit YMRAmountValidator(QObject *parent = nullptr);

    State validate(QString &input, int &pos) const override;
    Refusal refusal() const { return m_refusal; }

    // Reads a typed amount. plain is the amount as it is stored: its digits
    // without leading zeros, with "." before the decimals ("1234.56"; "12,"
    // gives "12", ",5" gives "0.5", "0012" gives "12"); an empty or blank
    // text is an empty amount. False when the
    // text reads as no amount.
    static bool read(const QString &text, QString *plain = nullptr, double *value = nullptr);
    // Whether a character can be part of an amount.
    static bool isAmountCharacter(QChar c);

private:
    mutable Refusal m_refusal = NoRefusal;
};

#endif
