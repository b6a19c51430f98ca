#include "ymrcalculator.h"

#include "ymramountvalidator.h"
#include "ymrpushbutton.h"
#include "qpe/qpeapplication.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <cmath>

namespace {

// Text that is no number reads as 0; a number too large to hold reads as
// infinite, so working with it fails visibly.
double numberOf(const QString &text)
{
    bool ok = false;
    const double v = QString(text).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    if (ok || std::isinf(v))
        return v;
    return 0;
}

// A field's text: an amount as the amount fields take it ("1,234.56",
// "1.234,56"), else a number.
double fieldNumberOf(const QString &text)
{
    double amount = 0;
    if (YMRAmountValidator::read(text, nullptr, &amount))
        return amount;
    return numberOf(text);
}

QString decimalText(double value)
{
    return QString::number(value, 'f', 6);
}

QString startText(double value)
{
    return decimalText(std::isfinite(value) ? value : 0.0);
}

const char *const NegativeSign = "-";

} // namespace

YMRCalculator::YMRCalculator(double value, QWidget *parent, const char *name)
    : YMRCalculatorBase(parent, name, true)
    , m_result(startText(value))
{
    init();
}

YMRCalculator::YMRCalculator(long value, QWidget *parent, const char *name)
    : YMRCalculatorBase(parent, name, true)
    , m_result(QString::number(value))
{
    init();
}

YMRCalculator::YMRCalculator(const QString &value, QWidget *parent, const char *name)
    : YMRCalculatorBase(parent, name, true)
    , m_result(startText(numberOf(value)))
{
    init();
}

YMRCalculator::YMRCalculator(QLineEdit *target, QWidget *parent, const char *name)
    : YMRCalculatorBase(parent, name, true)
    , m_target(target)
    , m_result(startText(fieldNumberOf(target ? target->text() : QString())))
{
    init();
}

YMRCalculator::~YMRCalculator() = default;

void YMRCalculator::init()
{
    QFont bold = font();
    bold.setWeight(75);
    d->setFont(bold);

    QList<YMRPushButton *> narrowKeys;
    int narrowest = 0;
    const QList<YMRPushButton *> keys = findChildren<YMRPushButton *>();
    for (YMRPushButton *b : keys) {
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QAbstractButton::clicked, this, &YMRCalculator::clicked);
        const int code = b->objectName().mid(1).toInt();
        if (code >= 1 && code <= 17) {
            narrowKeys.append(b);
            narrowest = qMax(narrowest, b->sizeHint().width());
        }
    }
    int keyWidth = 2 * fontMetrics().maxWidth() + 8;
    for (YMRPushButton *b : qAsConst(narrowKeys))
        b->setFixedWidth(keyWidth);
    // Fonts with a few very wide glyphs would push the keys off a small
    // screen: narrow the four key columns until the dialog fits.
    const int excess = sizeHint().width() - QPEApplication::screenRect().width();
    if (excess > 0) {
        keyWidth = qMax(narrowest, keyWidth - (excess + 3) / 4);
        for (YMRPushButton *b : qAsConst(narrowKeys))
            b->setFixedWidth(keyWidth);
    }
    setFixedSize(sizeHint());

    m_operatorPressed = false;
    m_operator = NoOperator;
    m_memorySet = false;
    m_memory = 0;
    trimDisplay(m_result, true);
}

QString YMRCalculator::result() const
{
    return d->text();
}

void YMRCalculator::trimDisplay(const QString &text, bool trim)
{
    QString shown = text;
    if (trim && shown.contains(QLatin1Char('.'))) {
        while (shown.endsWith(QLatin1Char('0')))
            shown.chop(1);
        if (shown.endsWith(QLatin1Char('.')))
            shown.chop(1);
    }
    d->setText(shown.isEmpty() ? QStringLiteral("0") : shown);
}

void YMRCalculator::accept()
{
    // an error text or an overflowing number is no amount
    bool ok = false;
    const double shown = d->text().toDouble(&ok);
    if (!ok || !std::isfinite(shown)) {
        QApplication::beep();
        return;
    }
    if (m_target) {
        m_target->setText(d->text());
        m_target->setFocus();
    }
    QDialog::accept();
}

void YMRCalculator::clicked()
{
    const QObject *s = sender();
    if (!s)
        return;
    bool ok = false;
    const int code = s->objectName().mid(1).toInt(&ok);
    if (ok)
        press(code);
}

void YMRCalculator::press(int code)
{
    switch (code) {
    case 0:
        digit(0);
        break;
    case 1: case 2: case 3: case 4: case 5: case 6: case 7: case 8: case 9:
        digit(code);
        break;
    case 10:
        point();
        break;
    case 11:
        changeSign();
        break;
    case 13:
        operatorKey(Multiply);
        break;
    case 14:
        operatorKey(Divide);
        break;
    case 15:
        operatorKey(Add);
        break;
    case 16:
        operatorKey(Subtract);
        break;
    case 17:
        percent();
        break;
    case 18:
        calculate();
        m_operand.clear();
        break;
    case 19:
        m_entry.clear();
        m_operand.clear();
        m_result.clear();
        m_operator = NoOperator;
        m_entryDone = false;
        d->setText(QStringLiteral("0"));
        break;
    case 20:
        clearLast();
        break;
    case 21:
        m_memorySet = false;
        m_memory = 0;
        break;
    case 22:
        memoryRecall();
        break;
    case 23:
        memoryAdd();
        break;
    default:
        break;
    }
}

void YMRCalculator::startNewEntry()
{
    if (m_entryDone) {
        m_entry.clear();
        m_entryDone = false;
    }
}

void YMRCalculator::digit(int n)
{
    m_operatorPressed = false;
    startNewEntry();
    if (n == 0) {
        if (m_entry == QLatin1String("0"))
            return;
    } else if (m_entry == QLatin1String("0")) {
        m_entry.clear();
    }
    m_entry += QString::number(n);
    trimDisplay(m_entry, false);
}

void YMRCalculator::point()
{
    startNewEntry();
    if (m_entry.isEmpty())
        m_entry = QStringLiteral("0.");
    else if (m_entry.contains(QLatin1Char('.')))
        return;
    else
        m_entry += QLatin1Char('.');
    trimDisplay(m_entry, false);
}

void YMRCalculator::changeSign()
{
    QString *number = nullptr;
    if (!m_entry.isEmpty())
        number = &m_entry;
    else if (!m_result.isEmpty())
        number = &m_result;
    else
        return;
    if (number->startsWith(QLatin1String(NegativeSign)))
        number->remove(0, 1);
    else
        number->prepend(QLatin1String(NegativeSign));
    trimDisplay(*number, false);
}

void YMRCalculator::operatorKey(Operator op)
{
    if (!m_operatorPressed) {
        if (!m_operand.isEmpty())
            calculate();
        if (m_entry.isEmpty() && !m_result.isEmpty()) {
            m_entry = m_result;
            m_result.clear();
        }
        m_operand = m_entry;
        m_entry.clear();
        m_entryDone = false;
    }
    m_operatorPressed = true;
    m_operator = op;
}

void YMRCalculator::percent()
{
    if (m_entry.isEmpty())
        return;
    double value;
    switch (m_operator) {
    case Add:
    case Subtract:
        value = numberOf(m_operand) * numberOf(m_entry) / 100;
        break;
    case Divide:
    case Multiply:
        value = numberOf(m_entry) / 100;
        break;
    default:
        // nothing to take a percentage of
        return;
    }
    if (!std::isfinite(value)) {
        fail();
        return;
    }
    m_entry = decimalText(value);
    m_entryDone = false;
    calculate();
    m_operand.clear();
}

void YMRCalculator::calculate()
{
    if (m_entry.isEmpty() || m_operand.isEmpty())
        return;
    const double a = numberOf(m_operand);
    const double b = numberOf(m_entry);
    double value = 0;
    switch (m_operator) {
    case Add:
        value = a + b;
        break;
    case Subtract:
        value = a - b;
        break;
    case Divide:
        value = a / b;
        break;
    case Multiply:
        value = a * b;
        break;
    case NoOperator:
        break;
    }
    m_operator = NoOperator;
    m_entry.clear();
    m_entryDone = false;
    if (!std::isfinite(value)) {
        fail();
        return;
    }
    m_result = decimalText(value);
    m_operand = m_result;
    trimDisplay(m_result, true);
}

void YMRCalculator::clearLast()
{
    if (m_entry.isEmpty())
        return;
    m_entry.chop(1);
    if (m_entry == QLatin1String(NegativeSign))
        m_entry.clear();
    trimDisplay(m_entry, false);
}

void YMRCalculator::memoryRecall()
{
    if (!m_memorySet)
        return;
    m_entry = decimalText(m_memory);
    m_entryDone = false;
    trimDisplay(m_entry, true);
}

void YMRCalculator::memoryAdd()
{
    QString number;
    if (!m_entry.isEmpty())
        number = m_entry;
    else if (!m_result.isEmpty())
        number = m_result;
    else
        return;
    const double sum = m_memory + numberOf(number);
    if (!std::isfinite(sum)) {
        fail();
        return;
    }
    m_memory = sum;
    m_memorySet = true;
    // the number stays shown and is what the next key works with
    if (!m_entry.isEmpty())
        m_entryDone = true;
}

void YMRCalculator::fail()
{
    m_entry.clear();
    m_operand.clear();
    m_result.clear();
    m_operator = NoOperator;
    m_operatorPressed = false;
    m_entryDone = false;
    d->setText(tr("Error"));
}

void YMRCalculator::keyPressEvent(QKeyEvent *e)
{
    e->accept();
    const int key = e->key();
    QString name;
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        name = QStringLiteral("b%1").arg(key - Qt::Key_0);
    } else {
        switch (key) {
        case Qt::Key_Plus: name = QStringLiteral("b15"); break;
        case Qt::Key_Minus: name = QStringLiteral("b16"); break;
        case Qt::Key_Asterisk: name = QStringLiteral("b13"); break;
        case Qt::Key_Slash: name = QStringLiteral("b14"); break;
        case Qt::Key_Percent: name = QStringLiteral("b17"); break;
        case Qt::Key_Period:
        case Qt::Key_Comma: name = QStringLiteral("b10"); break;
        case Qt::Key_Equal:
        case Qt::Key_Return:
        case Qt::Key_Enter: name = QStringLiteral("b18"); break;
        case Qt::Key_Backspace:
        case Qt::Key_Delete: name = QStringLiteral("b20"); break;
        case Qt::Key_Escape: reject(); return;
        case Qt::Key_Space: accept(); return;
        default: return;
        }
    }
    YMRPushButton *b = findChild<YMRPushButton *>(name);
    if (!b)
        return;
    // run the key at once (Qt merges quick repeated animated clicks into
    // one), then let the button flash
    b->click();
    b->setDown(true);
    QTimer::singleShot(100, b, [b] { b->setDown(false); });
}
