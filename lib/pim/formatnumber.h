#ifndef FORMATNUMBER_H
#define FORMATNUMBER_H

#include <QString>

// Display text of a value by a number-format code such as "@#,#" or
// "#,#.00": a literal prefix, the digit pattern and a literal suffix; the
// first "@" of the result becomes the currency text.
QString formatNumber(double value, const QString &code, const QString &currency);
// Whether formatNumber() puts the currency text into what it makes of that
// code: the code has a digit pattern and an "@".
bool formatShowsCurrency(const QString &code);

#endif
