#include "ymramountvalidator.h"

#include <QVarLengthArray>

namespace {

bool isDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// Blanks of every width are one kind of group separator, the straight and
// the typographic apostrophe another; "," and "." are each their own.
QChar kindOf(QChar c)
{
    switch (c.unicode()) {
    case ' ':
    case 0x00a0:   // no-break space
    case 0x2009:   // thin space
    case 0x202f:   // narrow no-break space
        return QLatin1Char(' ');
    case '\'':
    case 0x2019:   // right single quotation mark
        return QLatin1Char('\'');
    case ',':
    case '.':
        return c;
    default:
        return QChar();
    }
}

enum class Reading { Amount, NoAmount, TooLarge };

Reading readAmount(const QString &typed, QString *plain, double *value)
{
    const QString text = typed.trimmed();
    if (text.isEmpty()) {
        if (plain)
            *plain = QLatin1String("");
        if (value)
            *value = 0.0;
        return Reading::Amount;
    }
    for (QChar c : text) {
        if (!isDigit(c) && kindOf(c).isNull())
            return Reading::NoAmount;
    }
    // the decimal point: the last mark when at most two digits follow it
    int point = -1;
    const int lastMark =
        qMax(text.lastIndexOf(QLatin1Char(',')), text.lastIndexOf(QLatin1Char('.')));
    if (lastMark >= 0 && text.size() - lastMark - 1 <= 2) {
        bool digitsOnly = true;
        for (int i = lastMark + 1; i < text.size(); ++i)
            digitsOnly = digitsOnly && isDigit(text.at(i));
        if (digitsOnly)
            point = lastMark;
    }
    const int integerEnd = point >= 0 ? point : text.size();
    QString digits;
    QVarLengthArray<int, 8> groups;
    QChar kind;
    int run = 0;
    for (int i = 0; i < integerEnd; ++i) {
        const QChar c = text.at(i);
        if (isDigit(c)) {
            digits += c;
            ++run;
            continue;
        }
        // a separator stands between digits, one kind of them in an amount
        if (run == 0 || (!kind.isNull() && kindOf(c) != kind))
            return Reading::NoAmount;
        kind = kindOf(c);
        groups.append(run);
        run = 0;
    }
    if (!groups.isEmpty()) {
        if (run != 3 || groups.first() > 3)
            return Reading::NoAmount;
        // the point's own character cannot group its digits as well
        if (point >= 0 && text.at(point) == kind)
            return Reading::NoAmount;
        for (int i = 1; i < groups.size(); ++i) {
            if ((groups.at(i) != 2 && groups.at(i) != 3) || groups.at(i) != groups.at(1))
                return Reading::NoAmount;
        }
        if (groups.size() > 1 && groups.at(1) == 2 && groups.first() > 2)
            return Reading::NoAmount;
        // "0.001" is no grouping of 1: a number never starts with a group of
        // zeros
        bool zeros = true;
        for (int i = 0; i < groups.first(); ++i)
            zeros = zeros && digits.at(i) == QLatin1Char('0');
        if (zeros)
            return Reading::NoAmount;
    }
    const QString decimals = point >= 0 ? text.mid(point + 1) : QString();
    if (digits.isEmpty() && decimals.isEmpty())
        return Reading::NoAmount;
    int first = 0;
    while (first < digits.size() - 1 && digits.at(first) == QLatin1Char('0'))
        ++first;
    if (digits.size() - first > 9)
        return Reading::TooLarge;
    // leading zeros typed are no part of the number stored
    QString result = digits.isEmpty() ? QStringLiteral("0") : digits.mid(first);
    if (!decimals.isEmpty())
        result += QLatin1Char('.') + decimals;
    const double number = result.toDouble();
    if (number > YMRAmountValidator::Largest)
        return Reading::TooLarge;
    if (plain)
        *plain = result;
    if (value)
        *value = number;
    return Reading::Amount;
}

} // namespace

YMRAmountValidator::YMRAmountValidator(QObject *parent)
    : QValidator(parent)
{
}

bool YMRAmountValidator::isAmountCharacter(QChar c)
{
    return isDigit(c) || !kindOf(c).isNull();
}

QValidator::State YMRAmountValidator::validate(QString &input, int &) const
{
    m_refusal = NoRefusal;
    for (QChar c : qAsConst(input)) {
        if (!isAmountCharacter(c)) {
            m_refusal = Character;
            return Invalid;
        }
    }
    switch (readAmount(input, nullptr, nullptr)) {
    case Reading::Amount:
        return Acceptable;
    case Reading::TooLarge:
        m_refusal = TooLarge;
        return Invalid;
    default:
        // a text on its way to an amount ("1,2" before "1,234")
        return Intermediate;
    }
}

bool YMRAmountValidator::read(const QString &text, QString *plain, double *value)
{
    return readAmount(text, plain, value) == Reading::Amount;
}
