#include "ymrspinbox.h"

#include "ymrspinwidget.h"

#include <QApplication>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>

YMRSpinBox::YMRSpinBox(QWidget *parent, const char *name)
    : QWidget(parent), RangeControl()
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    init();
}

YMRSpinBox::YMRSpinBox(int minValue, int maxValue, int step, QWidget *parent, const char *name)
    : QWidget(parent), RangeControl(minValue, maxValue, step, step, minValue)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    init();
}

YMRSpinBox::~YMRSpinBox() = default;

void YMRSpinBox::init()
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_spin = new YMRSpinWidget(this);
    connect(m_spin, &YMRSpinWidget::stepUpPressed, this, &YMRSpinBox::stepUp);
    connect(m_spin, &YMRSpinWidget::stepDownPressed, this, &YMRSpinBox::stepDown);
    m_wrapping = false;
    m_edited = false;
    m_validator = new QIntValidator(RangeControl::minValue(), RangeControl::maxValue(), this);
    m_edit = new QLineEdit(this);
    m_edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_spin->setEditWidget(m_edit);
    m_edit->setValidator(m_validator);
    m_edit->installEventFilter(this);
    m_edit->setFrame(false);
    setFocusProxy(m_edit);
    setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    updateDisplay();
    connect(m_edit, &QLineEdit::textChanged, this, &YMRSpinBox::textChanged);
}

QString YMRSpinBox::text() const
{
    return m_edit->text();
}

QString YMRSpinBox::prefix() const { return m_prefix; }
QString YMRSpinBox::suffix() const { return m_suffix; }

QString YMRSpinBox::cleanText() const
{
    QString s = m_edit->text().trimmed();
    const QString pre = prefix().trimmed();
    if (!pre.isEmpty() && s.startsWith(pre))
        s.remove(0, pre.length());
    const QString suf = suffix().trimmed();
    if (!suf.isEmpty() && s.endsWith(suf))
        s.chop(suf.length());
    return s.trimmed();
}

void YMRSpinBox::setWrapping(bool on)
{
    m_wrapping = on;
    updateDisplay();
}

void YMRSpinBox::interpretIfEdited() const
{
    if (m_edited) {
        m_edited = false;
        const_cast<YMRSpinBox *>(this)->interpretText();
    }
}

int YMRSpinBox::value() const
{
    interpretIfEdited();
    return RangeControl::value();
}

void YMRSpinBox::setValue(int value)
{
    RangeControl::setValue(value);
}

void YMRSpinBox::setPrefix(const QString &text)
{
    // Kept non-null once set, so that parsing knows a prefix was given.
    m_prefix = text.isNull() ? QString(QLatin1String("")) : text;
    updateDisplay();
}

void YMRSpinBox::setSuffix(const QString &text)
{
    m_suffix = text.isNull() ? QString(QLatin1String("")) : text;
    updateDisplay();
}

void YMRSpinBox::stepUp()
{
    interpretIfEdited();
    // Summed in 64 bits so that no step near the int limits overflows.
    if (m_wrapping
        && qint64(RangeControl::value()) + RangeControl::lineStep() > RangeControl::maxValue())
        setValue(RangeControl::minValue());
    else
        addLine();
}

void YMRSpinBox::stepDown()
{
    interpretIfEdited();
    if (m_wrapping
        && qint64(RangeControl::value()) - RangeControl::lineStep() < RangeControl::minValue())
        setValue(RangeControl::maxValue());
    else
        subtractLine();
}

void YMRSpinBox::setEnabled(bool on)
{
    QWidget::setEnabled(on);
    updateDisplay();
}

void YMRSpinBox::selectAll()
{
    m_edit->selectAll();
}

QRect YMRSpinBox::upRect() const
{
    if (m_spin->size() != size())
        m_spin->resize(size());
    return m_spin->upRect();
}

QRect YMRSpinBox::downRect() const
{
    if (m_spin->size() != size())
        m_spin->resize(size());
    return m_spin->downRect();
}
void YMRSpinBox::arrangeWidgets() { m_spin->arrange(); }

QString YMRSpinBox::mapValueToText(int value)
{
    return QString::number(value);
}

int YMRSpinBox::mapTextToValue(bool *ok)
{
    bool parsed = false;
    int v = m_edit->text().toInt(&parsed, 10);
    if (!parsed && (!m_prefix.isNull() || !m_suffix.isNull()))
        v = cleanText().toInt(&parsed, 10);
    if (ok)
        *ok = parsed;
    return v;
}

QString YMRSpinBox::currentValueText()
{
    return prefix() + mapValueToText(RangeControl::value()) + suffix();
}

void YMRSpinBox::updateDisplay()
{
    m_edit->setText(currentValueText());
    m_edit->update();
    m_edited = false;
    const int v = RangeControl::value();
    const bool on = isEnabled();
    m_spin->setUpEnabled(on && (m_wrapping || v < RangeControl::maxValue()));
    m_spin->setDownEnabled(on && (m_wrapping || v > RangeControl::minValue()));
    m_edit->setEnabled(on);
    update();
}

void YMRSpinBox::interpretText()
{
    bool ok = true;
    const int v = mapTextToValue(&ok);
    if (ok)
        setValue(v);
    updateDisplay();
}

void YMRSpinBox::valueChange()
{
    updateDisplay();
    emit valueChanged(RangeControl::value());
    emit valueChanged(currentValueText());
}

void YMRSpinBox::rangeChange()
{
    m_validator->setRange(RangeControl::minValue(), RangeControl::maxValue());
    updateDisplay();
}

void YMRSpinBox::textChanged()
{
    m_edited = true;
}

bool YMRSpinBox::eventFilter(QObject *, QEvent *e)
{
    switch (e->type()) {
    case QEvent::KeyPress: {
        auto *k = static_cast<QKeyEvent *>(e);
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
            interpretIfEdited();
            // Handed to the spin box so that the focus moves on from it.
            QKeyEvent copy(k->type(), k->key(), k->modifiers(), k->text());
            QApplication::sendEvent(this, &copy);
            return true;
        }
        if (k->key() == Qt::Key_Up) {
            stepUp();
            return true;
        }
        if (k->key() == Qt::Key_Down) {
            stepDown();
            return true;
        }
        if (k->key() == Qt::Key_Return) {
            interpretIfEdited();
            emit returnPressed();
        }
        break;
    }
    case QEvent::FocusOut:
    case QEvent::Leave:
    case QEvent::Hide:
        interpretIfEdited();
        break;
    default:
        break;
    }
    return false;
}

void YMRSpinBox::leaveEvent(QEvent *e)
{
    interpretIfEdited();
    QWidget::leaveEvent(e);
}

void YMRSpinBox::resizeEvent(QResizeEvent *)
{
    m_spin->resize(size());
}

void YMRSpinBox::changeEvent(QEvent *e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::StyleChange)
        m_spin->arrange();
    else if (e->type() == QEvent::EnabledChange)
        updateDisplay(); // also when a parent is enabled or disabled
}

QSize YMRSpinBox::sizeHint() const
{
    ensurePolished();
    const QFontMetrics fm(font());
    const int s = 2 * fm.horizontalAdvance(QLatin1Char(' '));
    auto *self = const_cast<YMRSpinBox *>(this);
    int w = 0;
    w = qMax(w, fm.horizontalAdvance(prefix() + self->mapValueToText(RangeControl::minValue()) + suffix()) + s);
    w = qMax(w, fm.horizontalAdvance(prefix() + self->mapValueToText(RangeControl::maxValue()) + suffix()) + s);
    return QSize(w + downRect().width(), m_edit->sizeHint().height() + 6);
}

QSize YMRSpinBox::minimumSizeHint() const
{
    return QSize(m_edit->minimumSizeHint().width() + downRect().width(),
                 qMax(m_edit->minimumSizeHint().height(), m_spin->minimumSizeHint().height()));
}
