#include "formatnumber.h"

#include <algorithm>
#include <cmath>

namespace {

inline bool isPlaceholder(QChar c)
{
    return c == QLatin1Char('0') || c == QLatin1Char('#') || c == QLatin1Char('?')
           || c == QLatin1Char('.');
}

inline bool isDigitPlaceholder(QChar c)
{
    return c == QLatin1Char('0') || c == QLatin1Char('#') || c == QLatin1Char('?');
}

} // namespace

bool formatShowsCurrency(const QString &code)
{
    return code.contains(QLatin1Char('@')) && std::any_of(code.begin(), code.end(), isPlaceholder);
}

QString formatNumber(double value, const QString &code, const QString &currency)
{
    if (code.isEmpty())
        return QString::number(value, 'g', 6);

    int first = 0;
    while (first < code.size() && !isPlaceholder(code.at(first)))
        ++first;
    QString prefix = code.left(first);
    if (first == code.size())
        return prefix + QString::number(value, 'g', 6);
    int last = code.size() - 1;
    while (last > first && !isPlaceholder(code.at(last)))
        --last;
    const QString suffix = code.mid(last + 1);
    const QString body = code.mid(first, last - first + 1);

    const int plusPos = prefix.lastIndexOf(QLatin1Char('+'));
    const int minusPos = prefix.lastIndexOf(QLatin1Char('-'));
    const bool signInPrefix = plusPos >= 0 || minusPos >= 0;

    const int point = body.indexOf(QLatin1Char('.'));
    const bool hasPoint = point >= 0;
    const QString intPattern = hasPoint ? body.left(point) : body;
    const QString decPattern = hasPoint ? body.mid(point + 1) : QString();

    const QChar intKind = intPattern.isEmpty() ? QLatin1Char('#') : intPattern.at(0);
    // Characters that are no digit placeholder group the digits (the last
    // one found counts). A "0" among "#" or "?" placeholders asks for that
    // many digits at least, as in "#,##0".
    QChar grouping;
    int intWidth = 0;
    int zeros = 0;
    for (const QChar c : intPattern) {
        if (isDigitPlaceholder(c)) {
            ++intWidth;
            if (c == QLatin1Char('0'))
                ++zeros;
        } else {
            grouping = c;
        }
    }
    const int decimals = decPattern.size();
    const QChar decKind = decPattern.isEmpty() ? QChar() : decPattern.at(0);

    const bool negative = value < 0;
    const QString converted = QString::number(std::fabs(value), 'f', decimals);
    const int dot = converted.indexOf(QLatin1Char('.'));
    QString digits = dot >= 0 ? converted.left(dot) : converted;
    QString decDigits = dot >= 0 ? converted.mid(dot + 1) : QString();

    const int minDigits = intKind == QLatin1Char('0') ? intWidth : zeros;
    if (digits.size() < minDigits)
        digits.prepend(QString(minDigits - digits.size(), QLatin1Char('0')));

    QString intText;
    if (!grouping.isNull()) {
        const int n = digits.size();
        for (int i = 0; i < n; ++i) {
            if (i > 0 && (n - i) % 3 == 0)
                intText += grouping;
            intText += digits.at(i);
        }
    } else {
        intText = digits;
    }

    if (negative && !signInPrefix)
        intText.prepend(QLatin1Char('-'));

    if (intKind == QLatin1Char('?')) {
        const int target = intWidth + (grouping.isNull() ? 0 : intWidth / 3);
        if (intText.size() < target)
            intText.prepend(QString(target - intText.size(), QLatin1Char(' ')));
        if (!negative && !signInPrefix)
            intText.prepend(QLatin1Char(' '));
    }

    if (minusPos >= 0) {
        if (!negative) {
            if (intKind == QLatin1Char('?'))
                prefix[minusPos] = QLatin1Char(' ');
            else
                prefix.remove(minusPos, 1);
        }
    } else if (plusPos >= 0 && negative) {
        prefix[plusPos] = QLatin1Char('-');
    }

    if (decPattern.isEmpty()) {
        if (hasPoint)
            intText += QLatin1Char('.');
    } else {
        if (decKind == QLatin1Char('#') || decKind == QLatin1Char('?')) {
            int end = decDigits.size();
            while (end > 0 && decDigits.at(end - 1) == QLatin1Char('0'))
                --end;
            decDigits.truncate(end);
            if (decKind == QLatin1Char('?') && decDigits.size() < decimals)
                decDigits += QString(decimals - decDigits.size(), QLatin1Char(' '));
        }
        intText += QLatin1Char('.') + decDigits;
    }

    QString text = prefix + intText + suffix;
    const int at = text.indexOf(QLatin1Char('@'));
    if (at >= 0)
        text.replace(at, 1, currency);
    return text;
}
