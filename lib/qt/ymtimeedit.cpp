#include "ymtimeedit.h"

#include "ymrapplication.h"
#include "ymrcombobox.h"
#include "ymrutil.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

YMTimeEdit::YMTimeEdit(QWidget *parent, const char *name) : QWidget(parent)
{
    setObjectName(QString::fromLatin1(name));
    auto *box = new QHBoxLayout(this);
    box->setContentsMargins(1, 1, 1, 1);
    box->setSpacing(2);
    // The hour is only chosen: a typed hour could only make an invalid time.
    m_hour = new YMRComboBox(false, this);
    box->addWidget(m_hour);
    box->addWidget(new QLabel(QStringLiteral(" : "), this));
    // A minute may be typed, but only 0 to 59, and it joins no list.
    m_minute = new YMRComboBox(true, this);
    m_minute->setInsertionPolicy(YMRComboBox::NoInsertion);
    m_minute->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral(" ?[0-5]?[0-9]")), m_minute));
    box->addWidget(m_minute);
    setFocusProxy(m_hour);

    connect(m_hour, QOverload<int>::of(&YMRComboBox::activated), this, &YMTimeEdit::finish);
    // Picked and typed minutes both come as text; a pick also sends its index.
    connect(m_minute, QOverload<const QString &>::of(&YMRComboBox::activated), this,
            &YMTimeEdit::minuteActivated);
    if (ymrApp)
        connect(ymrApp, &YMRApplication::dateTimeSettingChanged, this,
                &YMTimeEdit::dateTimeSettingChanged);
    dateTimeSettingChanged();
}

YMTimeEdit::~YMTimeEdit() = default;

void YMTimeEdit::setTime(const QTime &t)
{
    if (!t.isValid())
        return;
    m_time = t;
    m_hour->setCurrentItem(t.hour());
    m_minute->setCurrentItem(t.minute() / 5);
    m_minute->setEditText(QStringLiteral("%1").arg(t.minute(), 2));
}

void YMTimeEdit::finish()
{
    pick(sender() == m_minute);
}

void YMTimeEdit::minuteActivated()
{
    pick(true);
}

void YMTimeEdit::pick(bool closeParent)
{
    bool ok = false;
    const int hour = m_hour->currentItem();
    const int minute = m_minute->currentText().trimmed().toInt(&ok);
    if (!ok || hour < 0 || hour > 23 || minute < 0 || minute > 59) {
        // Not a time: show the one held and leave the popup open.
        setTime(m_time);
        return;
    }
    m_time = QTime(hour, minute);
    emit timeClicked(m_time);
    if (closeParent && parentWidget())
        parentWidget()->close();
}

void YMTimeEdit::dateTimeSettingChanged()
{
    m_hour->clear();
    m_minute->clear();
    for (int h = 0; h < 24; ++h)
        m_hour->insertItem(YMRUtil::timeToString(QTime(h, 0)).remove(2, 3));
    for (int m = 0; m < 60; m += 5)
        m_minute->insertItem(QStringLiteral("%1").arg(m, 2));
    m_hour->updateGeometry();
    setTime(QTime(0, 0));
}
