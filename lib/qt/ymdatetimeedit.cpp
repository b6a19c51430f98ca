#include "ymdatetimeedit.h"

#include "ymcalendar.h"
#include "ymdatetimesection.h"
#include "ymrapplication.h"
#include "ymrfieldhint.h"
#include "ymrnextinput.h"
#include "ymrspinwidget.h"
#include "ymrutil.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScopedValueRollback>

namespace {

// A frameless Qt 5 line edit still keeps this much room at each side of
// its text.
const int LineEditMargin = 2;

// The edited value is a date and a time of day as the user reads them, held
// without a time zone: a day whose clocks skip the hour of the current time
// (a change to summer time) is still a day, and stepping never meets a
// local time that does not exist.
QDateTime wallClock(const QDateTime &dt)
{
    if (!dt.date().isValid() || !dt.time().isValid())
        return QDateTime();
    return QDateTime(dt.date(), dt.time(), Qt::UTC);
}

} // namespace

YMDateTimeEdit::YMDateTimeEdit(int mode, QWidget *parent, const char *name)
    : QWidget(parent), m_mode(mode)
{
    setObjectName(QString::fromLatin1(name));
    // Inside a popup menu the widget is final at once: no rebuild on show.
    for (QWidget *p = parent; p; p = p->parentWidget()) {
        if (p->inherits("QMenu")) {
            m_layoutFinal = true;
            break;
        }
    }
    m_dateTime = wallClock(QDateTime::currentDateTime());
    m_wishedDay = m_dateTime.date().day();

    m_spin = new YMRSpinWidget(this);
    connect(m_spin, &YMRSpinWidget::stepUpPressed, this, &YMDateTimeEdit::stepUp);
    connect(m_spin, &YMRSpinWidget::stepDownPressed, this, &YMDateTimeEdit::stepDown);

    m_edit = new QLineEdit(this);
    m_spin->setEditWidget(m_edit);
    m_edit->installEventFilter(this);
    m_edit->setReadOnly(true);
    m_edit->setFrame(false);
    m_edit->setAlignment(Qt::AlignRight);

    setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(m_edit);
    if (ymrApp)
        connect(ymrApp, &YMRApplication::dateTimeSettingChanged, this,
                &YMDateTimeEdit::dateTimeSettingChanged);
    dateTimeSettingChanged();
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

YMDateTimeEdit::~YMDateTimeEdit() = default;

const YMDateTimeSection *YMDateTimeEdit::section(int index) const
{
    if (index < 0 || index >= sectionCount())
        return nullptr;
    return m_sections[size_t(index)].get();
}

QDateTime YMDateTimeEdit::dateTime() const
{
    if (!m_dateTime.isValid())
        return QDateTime();
    const QDateTime dt = m_durationAllDay ? m_dateTime.addDays(-1) : m_dateTime;
    return QDateTime(dt.date(), QTime(dt.time().hour(), dt.time().minute()));
}

QDate YMDateTimeEdit::date() const
{
    if (!m_dateTime.isValid())
        return QDate();
    return (m_durationAllDay ? m_dateTime.addDays(-1) : m_dateTime).date();
}

QTime YMDateTimeEdit::time() const
{
    if (!m_dateTime.isValid())
        return QTime();
    const QTime t = m_dateTime.time();
    return QTime(t.hour(), t.minute());
}

QString YMDateTimeEdit::text() const
{
    if (!m_dateTime.isValid())
        return tr("None");
    QString t;
    for (int i = 0; i < sectionCount(); ++i)
        t += m_sections[size_t(i)]->text() + m_separators.value(i);
    return t;
}

QString YMDateTimeEdit::textFor(const QDateTime &value) const
{
    QString t;
    for (int i = 0; i < sectionCount(); ++i) {
        YMDateTimeSection s = *m_sections[size_t(i)];
        s.setDateTime(value, m_wishedDay);
        t += s.text() + m_separators.value(i);
    }
    return t;
}

void YMDateTimeEdit::setDateTime(const QDateTime &dt)
{
    const QDateTime value = wallClock(dt);
    // a value from outside replaces what was being typed, and what was
    // refused
    m_typing = false;
    forgetRefusal();
    m_refused = false;
    m_dateTime = (m_durationAllDay && value.isValid()) ? value.addDays(1) : value;
    // A value from outside sets the day to return to, whatever section is
    // current.
    if (m_dateTime.isValid())
        m_wishedDay = m_dateTime.date().day();
    updateSections();
    updateDisplay();
}

void YMDateTimeEdit::setDurationAllDay(bool on)
{
    if (m_durationAllDay)
        m_dateTime = m_dateTime.addDays(-1);
    m_durationAllDay = on;
    m_typing = false;
    if (on && m_dateTime.isValid())
        m_dateTime = QDateTime(m_dateTime.date().addDays(1), QTime(0, 0), Qt::UTC);
    m_current = 0;
    updateSections();
    updateDisplay();
}

void YMDateTimeEdit::setMonthLong(bool on)
{
    m_monthLong = on;
    dateTimeSettingChanged();
}

void YMDateTimeEdit::stepUp()
{
    // a step goes from a date that exists: what was typed is taken first
    if (!m_dateTime.isValid() || m_sections.empty() || (m_typing && !endEntry()))
        return;
    forgetRefusal();
    m_refused = false;
    YMDateTimeSection *s = m_sections[size_t(m_current)].get();
    s->stepUp();
    m_dateTime = s->dateTime();
    updateSections();
    updateDisplay();
}

void YMDateTimeEdit::stepDown()
{
    if (!m_dateTime.isValid() || m_sections.empty() || (m_typing && !endEntry()))
        return;
    forgetRefusal();
    m_refused = false;
    YMDateTimeSection *s = m_sections[size_t(m_current)].get();
    s->stepDown();
    m_dateTime = s->dateTime();
    updateSections();
    updateDisplay();
}

void YMDateTimeEdit::dateTimeSettingChanged()
{
    m_sections.clear();
    m_separators.clear();
    m_current = 0;
    m_typing = false;
    forgetRefusal();
    m_refused = false;
    buildLayout();
    updateGeometry();
    updateSections();
    updateDisplay();
}

void YMDateTimeEdit::buildLayout()
{
    QList<int> types;
    if (m_mode == Date) {
        QChar sep = ymrApp ? ymrApp->dateSeparator() : QLatin1Char('/');
        if (sep.isNull())
            sep = QLatin1Char('/');
        const int order = ymrApp ? ymrApp->shortDateOrder() : 273;
        if (order == 266)
            types = {YMDateTimeSection::Month, YMDateTimeSection::Day, YMDateTimeSection::Year};
        else if (order == 84)
            types = {YMDateTimeSection::Year, YMDateTimeSection::Month, YMDateTimeSection::Day};
        else // 273, and any code we do not know
            types = {YMDateTimeSection::Day, YMDateTimeSection::Month, YMDateTimeSection::Year};
        m_separators << QString(sep) << QString(sep) << QString();
    } else if (m_mode == Time) {
        if (m_layoutFinal && ymrApp && ymrApp->ampm()) {
            types = {YMDateTimeSection::Hour12, YMDateTimeSection::Minute, YMDateTimeSection::AmPm};
            m_separators << QStringLiteral(":") << QStringLiteral(" ") << QString();
        } else {
            types = {YMDateTimeSection::Hour24, YMDateTimeSection::Minute};
            m_separators << QStringLiteral(":") << QString();
        }
    } else {
        types = {YMDateTimeSection::DurationDays, YMDateTimeSection::Hour24,
                 YMDateTimeSection::Minute};
        m_separators << QLatin1Char(' ') + tr("day(s)") + QLatin1Char(' ')
                     << QLatin1Char(' ') + tr("hour(s)") + QLatin1Char(' ')
                     << QLatin1Char(' ') + tr("minute(s)");
    }
    for (int t : types)
        m_sections.push_back(std::make_unique<YMDateTimeSection>(t, this));
}

void YMDateTimeEdit::updateSections()
{
    if (!m_dateTime.isValid() || m_sections.empty())
        return;
    if (m_sections[size_t(m_current)]->type() == YMDateTimeSection::Day)
        m_wishedDay = m_dateTime.date().day();
    for (auto &s : m_sections)
        s->setDateTime(m_dateTime, m_wishedDay);
    emitChanged();
}

void YMDateTimeEdit::emitChanged()
{
    // who reads the value as it changes does not end the entry
    const QScopedValueRollback<bool> telling(m_telling, true);
    emit changed();
    emit changed(m_dateTime.date());
    emit changed(m_dateTime.time());
}

QDate YMDateTimeEdit::shownDate() const
{
    int year = 0, month = 0, day = 0;
    for (const auto &s : m_sections) {
        if (s->type() == YMDateTimeSection::Year)
            year = s->value();
        else if (s->type() == YMDateTimeSection::Month)
            month = s->value();
        else if (s->type() == YMDateTimeSection::Day)
            day = s->value();
    }
    return QDate(year, month, day);
}

void YMDateTimeEdit::takeTyped(YMDateTimeSection *s)
{
    if (s->isDatePart()) {
        // The day is checked against the month and year the field shows
        // with it, typed or not yet: one that does not exist yet leaves the
        // value where it was before the entry.
        const QDate d = shownDate();
        if (!d.isValid()) {
            if (m_dateTime != m_typedFrom) {
                m_dateTime = m_typedFrom;
                emitChanged();
            }
            return;
        }
        m_dateTime = QDateTime(d, m_dateTime.time(), Qt::UTC);
        // the day typed is the one steps come back to
        m_wishedDay = d.day();
    } else {
        m_dateTime = s->dateTime();
    }
    updateSections();
}

bool YMDateTimeEdit::finishTyping()
{
    if (m_typing)
        return endEntry();
    if (!m_refusalHeld)
        return true;
    // refused as the field was left or asked: the action that did it stops
    forgetRefusal();
    YMRFieldHint::show(m_edit, m_hint, hintName());
    return false;
}

QDateTime YMDateTimeEdit::askedDateTime()
{
    if (m_typing && !m_telling && !endEntry())
        holdRefusal(false);
    return dateTime();
}

bool YMDateTimeEdit::endEntry()
{
    m_typing = false;
    YMDateTimeSection *s = m_sections[size_t(m_current)].get();
    // "0" of a day or "000" of a year ended there is no number of the field
    if (s->awaitsDigit()) {
        refuse(numberName(s, 0));
        return false;
    }
    s->resetTyped();
    if (m_mode == Date && !shownDate().isValid()) {
        refuse(text());
        return false;
    }
    updateDisplay();
    return true;
}

void YMDateTimeEdit::holdRefusal(bool click)
{
    forgetRefusal();
    m_refusalHeld = true;
    m_nextInput = new YMRNextInput(click, this);
    connect(m_nextInput, &YMRNextInput::began, this, &YMDateTimeEdit::forgetRefusal);
}

void YMDateTimeEdit::forgetRefusal()
{
    m_refusalHeld = false;
    // it may be telling right now
    if (m_nextInput)
        m_nextInput->deleteLater();
    m_nextInput = nullptr;
}

QString YMDateTimeEdit::hintName()
{
    return QStringLiteral("YMDateTimeEdit hint");
}

void YMDateTimeEdit::refuse(const QString &what, bool half)
{
    m_typing = false;
    m_refused = true;
    // the next digits type a new entry from its start
    m_sections[size_t(m_current)]->resetTyped();
    setCurrent(0);
    m_dateTime = m_typedFrom;
    updateSections();
    updateDisplay();
    if (half) {
        QString am, pm;
        YMDateTimeSection::amPmKeys(&am, &pm);
        m_hint = tr("\"%1\" is neither AM nor PM (%2 types AM, %3 PM): the field keeps %4.")
                     .arg(what, am, pm, text());
    } else {
        m_hint = tr("%1 does not exist: the field keeps %2.").arg(what, text());
    }
    YMRFieldHint::show(m_edit, m_hint, hintName());
}

QString YMDateTimeEdit::numberName(const YMDateTimeSection *s, int number) const
{
    switch (s->type()) {
    case YMDateTimeSection::Year:
        return tr("Year %1").arg(number);
    case YMDateTimeSection::Month:
        return tr("Month %1").arg(number);
    case YMDateTimeSection::Day:
    case YMDateTimeSection::DurationDays:
        return tr("Day %1").arg(number);
    case YMDateTimeSection::Hour24:
    case YMDateTimeSection::Hour12:
        return tr("Hour %1").arg(number);
    case YMDateTimeSection::Minute:
        return tr("Minute %1").arg(number);
    case YMDateTimeSection::Second:
        return tr("Second %1").arg(number);
    default:
        return QString::number(number);
    }
}

void YMDateTimeEdit::updateDisplay()
{
    m_edit->setText(text());
    if (!m_edit->hasFocus() || !m_dateTime.isValid() || m_sections.empty())
        return;
    int start = 0;
    for (int i = 0; i < m_current; ++i)
        start += m_sections[size_t(i)]->text().length() + m_separators.value(i).length();
    m_edit->setSelection(start, m_sections[size_t(m_current)]->text().length());
}

void YMDateTimeEdit::setCurrent(int index)
{
    if (index == m_current)
        return;
    // a leading zero left waiting goes, the value it would have led stays
    m_sections[size_t(m_current)]->resetTyped();
    m_current = index;
    m_sections[size_t(m_current)]->resetTyped();
}

int YMDateTimeEdit::sectionAt(int x) const
{
    if (m_mode != Date && m_mode != Time && m_durationAllDay)
        return 0;
    const QFontMetrics fm(m_edit->font());
    // The text is right-aligned.
    int left = m_edit->width() - 1 - LineEditMargin - fm.horizontalAdvance(text());
    for (int i = 0; i < sectionCount(); ++i) {
        const int w =
            fm.horizontalAdvance(m_sections[size_t(i)]->text() + m_separators.value(i));
        if (x >= left && x < left + w)
            return i;
        left += w;
    }
    return 0;
}

int YMDateTimeEdit::lastDigitSection() const
{
    // AM or PM is rather stepped than typed
    int i = sectionCount() - 1;
    while (i > 0 && m_sections[size_t(i)]->type() == YMDateTimeSection::AmPm)
        --i;
    return i;
}

bool YMDateTimeEdit::isSeparator(const QKeyEvent *k) const
{
    const QString t = k->text();
    if (t.size() != 1)
        return false;
    if (m_mode == Time)
        return t == QLatin1String(":") || t == QLatin1String(" ");
    return m_mode == Date && (QStringLiteral("/.-").contains(t) || t == m_separators.value(0));
}

void YMDateTimeEdit::endSection()
{
    YMDateTimeSection *s = m_sections[size_t(m_current)].get();
    // a zero alone is no day or month
    if (s->awaitsDigit()) {
        refuse(numberName(s, 0));
        return;
    }
    if (m_current < sectionCount() - 1) {
        setCurrent(m_current + 1);
        updateDisplay();
    } else {
        s->resetTyped();
        if (m_typing)
            endEntry();
        emit next();
    }
}

bool YMDateTimeEdit::handleKey(QKeyEvent *k)
{
    // Shift before ":" or a digit (AZERTY), AltGr, a dead key: the entry
    // goes on as if it had not come
    if (YMRUtil::writesNothing(k))
        return false;
    const int key = k->key();
    const bool filledBefore = m_sectionFilled;
    m_sectionFilled = false;
    const int oneDigitHour = m_oneDigitHour, splitHour = m_splitHour;
    m_oneDigitHour = m_splitHour = -1;
    YMDateTimeSection *s = m_sections.empty() ? nullptr : m_sections[size_t(m_current)].get();
    const bool digit = key >= Qt::Key_0 && key <= Qt::Key_9;
    // any key that writes a character is typed into AM or PM
    const bool half = s && s->type() == YMDateTimeSection::AmPm && !isSeparator(k)
                      && !k->text().isEmpty() && k->text().at(0).isPrint();
    // "12.13.34": after month 13 ".34" is the rest of the refused entry
    if (m_refused && (isSeparator(k) || digit || half))
        return true;
    if (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down)
        m_refused = false;
    if (isSeparator(k)) {
        if (!s)
            return true;
        // "23:" on a clock whose hour "2" took alone: the hour typed is 23
        if (splitHour >= 0) {
            refuse(numberName(m_sections.front().get(), splitHour));
            return true;
        }
        // "1/5/2026": the separator after a section that its digits filled
        // only confirms it
        if (!(filledBefore && s->typed() == 0))
            endSection();
        return true;
    }
    if (!digit && !half)
        return handleOtherKey(key);
    if (!s)
        return true;
    if (!m_typing) {
        m_typing = true;
        m_typedFrom = m_dateTime;
        forgetRefusal();
    }
    if (half) {
        if (s->typeLetter(k->text().at(0)) == YMDateTimeSection::Refused) {
            refuse(k->text().left(1), true);
            return true;
        }
        m_dateTime = s->dateTime();
        updateSections();
        sectionFilled();
        updateDisplay();
        return true;
    }
    int number = 0;
    const bool sectionStarts = s->typed() == 0;
    switch (s->typeDigit(QChar('0' + (key - Qt::Key_0)), &number, m_current == lastDigitSection())) {
    case YMDateTimeSection::Refused:
        if (s->type() == YMDateTimeSection::AmPm)
            refuse(k->text().left(1), true);
        else
            refuse(numberName(s, number));
        return true;
    case YMDateTimeSection::Waits:
        break;
    case YMDateTimeSection::Taken:
        takeTyped(s);
        if (oneDigitHour >= 0 && m_current == 1)
            m_splitHour = oneDigitHour * 10 + number;
        break;
    case YMDateTimeSection::Filled:
        takeTyped(s);
        if (m_mode == Time && m_current == 0 && sectionStarts)
            m_oneDigitHour = number;
        sectionFilled();
        break;
    }
    updateDisplay();
    return true;
}

void YMDateTimeEdit::sectionFilled()
{
    m_sectionFilled = true;
    if (m_current < sectionCount() - 1) {
        m_current++;
        m_sections[size_t(m_current)]->resetTyped();
    } else {
        // the whole date is typed: taken or refused now
        endEntry();
        emit next();
    }
}

bool YMDateTimeEdit::handleOtherKey(int key)
{
    const int last = sectionCount() - 1;
    switch (key) {
    case Qt::Key_Left:
        if (m_current > 0)
            setCurrent(m_current - 1);
        else
            emit prev();
        updateDisplay();
        return true;
    case Qt::Key_Right:
        if (m_current < last)
            setCurrent(m_current + 1);
        else
            emit next();
        updateDisplay();
        return true;
    case Qt::Key_Up:
        stepUp();
        return true;
    case Qt::Key_Down:
        stepDown();
        return true;
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return false;
    default:
        return true;
    }
}

bool YMDateTimeEdit::eventFilter(QObject *o, QEvent *e)
{
    if (o != m_edit)
        return QWidget::eventFilter(o, e);
    const bool valid = m_dateTime.isValid();
    switch (e->type()) {
    case QEvent::MouseButtonPress:
        if (!valid)
            return false;
        m_refused = false;
        if (!m_sections.empty()) {
            const int tapped = sectionAt(static_cast<QMouseEvent *>(e)->pos().x());
            // a tap on the section being typed starts it again
            if (tapped == m_current)
                m_sections[size_t(m_current)]->resetTyped();
            setCurrent(tapped);
        }
        updateDisplay();
        return true;
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        return true;
    case QEvent::FocusIn: {
        // Back from a popup or another window, the entry goes on; back from
        // elsewhere in the window, the field shows what a refusal left.
        const Qt::FocusReason why = static_cast<QFocusEvent *>(e)->reason();
        if (why != Qt::ActiveWindowFocusReason && why != Qt::PopupFocusReason) {
            forgetRefusal();
            m_refused = false;
        }
        if (!m_typing && !m_sections.empty())
            m_sections[size_t(m_current)]->resetTyped();
        m_sectionFilled = false;
        updateDisplay();
        return true;
    }
    case QEvent::FocusOut: {
        // A popup or another window has the keys for a while: the field is
        // not left, and the entry goes on when the keys come back. Left, it
        // ends the entry; a refusal waits for the action that left it.
        const Qt::FocusReason why = static_cast<QFocusEvent *>(e)->reason();
        if (why != Qt::ActiveWindowFocusReason && why != Qt::PopupFocusReason && m_typing
            && !endEntry())
            holdRefusal(why == Qt::MouseFocusReason);
        if (!m_typing && !m_sections.empty())
            m_sections[size_t(m_current)]->resetTyped();
        updateDisplay();
        return true;
    }
    case QEvent::KeyPress:
        return valid && handleKey(static_cast<QKeyEvent *>(e));
    default:
        return false;
    }
}

bool YMDateTimeEdit::event(QEvent *e)
{
    if (e->type() == QEvent::Type(RebuildEvent)) {
        m_layoutFinal = true;
        dateTimeSettingChanged();
        return true;
    }
    return QWidget::event(e);
}

void YMDateTimeEdit::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    if (!m_layoutFinal)
        QCoreApplication::postEvent(this, new QEvent(QEvent::Type(RebuildEvent)));
}

QSize YMDateTimeEdit::sizeHint() const
{
    ensurePolished();
    // Measured on a copy: an invalid value is measured as the current time.
    const QDateTime value =
        m_dateTime.isValid() ? m_dateTime : wallClock(QDateTime::currentDateTime());
    const QFontMetrics fm(font());
    int w = fm.horizontalAdvance(textFor(value)) + 8;
    if (m_monthLong) {
        for (const auto &s : m_sections) {
            if (s->type() != YMDateTimeSection::Month)
                continue;
            const QFontMetrics efm(m_edit->font());
            int widest = 0;
            for (int m = 0; m < 12; ++m)
                widest = qMax(widest, efm.horizontalAdvance(YMCalendar::monthName(m, true)));
            w += widest - fm.horizontalAdvance(YMCalendar::monthName(value.date().month() - 1, true));
        }
    }
    w += m_spin->downRect().width();
    return QSize(w, m_edit->sizeHint().height() + 6);
}

QSize YMDateTimeEdit::minimumSizeHint() const
{
    return sizeHint();
}

void YMDateTimeEdit::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    m_spin->resize(size());
}
