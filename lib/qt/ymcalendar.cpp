#include "ymcalendar.h"

#include "qpe/hbox.h"
#include "ymcalendarview.h"
#include "ymrapplication.h"
#include "ymrcombobox.h"
#include "ymrfieldhint.h"
#include "ymrresource.h"
#include "ymrspinbox.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

namespace {

const char *const LongMonths[12] = {
    QT_TRANSLATE_NOOP("YMCalendar", "January"),   QT_TRANSLATE_NOOP("YMCalendar", "February"),
    QT_TRANSLATE_NOOP("YMCalendar", "March"),     QT_TRANSLATE_NOOP("YMCalendar", "April"),
    QT_TRANSLATE_NOOP("YMCalendar", "May"),       QT_TRANSLATE_NOOP("YMCalendar", "June"),
    QT_TRANSLATE_NOOP("YMCalendar", "July"),      QT_TRANSLATE_NOOP("YMCalendar", "August"),
    QT_TRANSLATE_NOOP("YMCalendar", "September"), QT_TRANSLATE_NOOP("YMCalendar", "October"),
    QT_TRANSLATE_NOOP("YMCalendar", "November"),  QT_TRANSLATE_NOOP("YMCalendar", "December")};
const char *const ShortMonths[12] = {
    QT_TRANSLATE_NOOP("YMCalendar", "Jan"), QT_TRANSLATE_NOOP("YMCalendar", "Feb"),
    QT_TRANSLATE_NOOP("YMCalendar", "Mar"), QT_TRANSLATE_NOOP("YMCalendar", "Apr"),
    QT_TRANSLATE_NOOP("YMCalendar", "May"), QT_TRANSLATE_NOOP("YMCalendar", "Jun"),
    QT_TRANSLATE_NOOP("YMCalendar", "Jul"), QT_TRANSLATE_NOOP("YMCalendar", "Aug"),
    QT_TRANSLATE_NOOP("YMCalendar", "Sep"), QT_TRANSLATE_NOOP("YMCalendar", "Oct"),
    QT_TRANSLATE_NOOP("YMCalendar", "Nov"), QT_TRANSLATE_NOOP("YMCalendar", "Dec")};
const char *const LongDays[7] = {
    QT_TRANSLATE_NOOP("YMCalendar", "Monday"),   QT_TRANSLATE_NOOP("YMCalendar", "Tuesday"),
    QT_TRANSLATE_NOOP("YMCalendar", "Wednesday"), QT_TRANSLATE_NOOP("YMCalendar", "Thursday"),
    QT_TRANSLATE_NOOP("YMCalendar", "Friday"),   QT_TRANSLATE_NOOP("YMCalendar", "Saturday"),
    QT_TRANSLATE_NOOP("YMCalendar", "Sunday")};
const char *const ShortDays[7] = {
    QT_TRANSLATE_NOOP("YMCalendar", "Mon"), QT_TRANSLATE_NOOP("YMCalendar", "Tue"),
    QT_TRANSLATE_NOOP("YMCalendar", "Wed"), QT_TRANSLATE_NOOP("YMCalendar", "Thu"),
    QT_TRANSLATE_NOOP("YMCalendar", "Fri"), QT_TRANSLATE_NOOP("YMCalendar", "Sat"),
    QT_TRANSLATE_NOOP("YMCalendar", "Sun")};

QString name(const char *const *table, int index, bool translate)
{
    return translate ? YMCalendar::tr(table[index]) : QString::fromLatin1(table[index]);
}

bool weekStartsOnMonday()
{
    return ymrApp && ymrApp->weekStartsOnMonday();
}

QDate clampedDate(int y, int m, int day)
{
    const QDate first(y, m, 1);
    return QDate(y, m, qMin(day, first.daysInMonth()));
}

// Which way digit keys move the date; one direction for all calendars.
bool digitsForward = true;

} // namespace

QString YMCalendar::monthName(int index, bool translate)
{
    return name(LongMonths, index, translate);
}

QString YMCalendar::shortMonthName(int index, bool translate)
{
    return name(ShortMonths, index, translate);
}

QString YMCalendar::dayName(int index, bool translate)
{
    return name(LongDays, index, translate);
}

QString YMCalendar::shortDayName(int index, bool translate)
{
    return name(ShortDays, index, translate);
}

QDate YMCalendar::addYears(const QDate &d, int n)
{
    return clampedDate(d.year() + n, d.month(), d.day());
}

QDate YMCalendar::addMonths(const QDate &d, int n)
{
    int y = d.year();
    int m = d.month();
    while (n >= 12) {
        ++y;
        n -= 12;
    }
    while (n < -11) {
        --y;
        n += 12;
    }
    m += n;
    if (m > 12) {
        m -= 12;
        ++y;
    } else if (m < 1) {
        m += 12;
        --y;
    }
    return clampedDate(y, m, d.day());
}

QDate YMCalendar::firstDayOfWeek(int week, int year)
{
    const QDate jan1(year, 1, 1);
    const int j = jan1.dayOfWeek();   // 1 = Monday .. 7 = Sunday
    int offset;
    if (weekStartsOnMonday()) {
        offset = j <= 4 ? (week - 1) * 7 - j + 1 : week * 7 - j + 1;
    } else {
        const int js = j % 7;         // Sunday 0
        offset = js <= 4 ? (week - 1) * 7 - js : week * 7 - js;
    }
    return jan1.addDays(offset);
}

void YMCalendar::weekNumber(const QDate &d, int &week, int &year)
{
    // find the week-numbering year whose week 1 starts on or before d
    int y = d.year();
    QDate start = firstDayOfWeek(1, y + 1);
    if (d >= start) {
        ++y;
    } else {
        start = firstDayOfWeek(1, y);
        if (d < start) {
            --y;
            start = firstDayOfWeek(1, y);
        }
    }
    year = y;
    week = int(start.daysTo(d) / 7) + 1;
}

YMCalendar::YMCalendar(bool closeParentOnPick, QWidget *parent, const char *name)
    : QFrame(parent), m_closeParentOnPick(closeParentOnPick)
{
    setObjectName(QString::fromLatin1(name));
    setFocusPolicy(Qt::StrongFocus);
    m_view = new YMCalendarView(this);
    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(1, 1, 1, 1);
    box->setSpacing(2);
    m_bar = new HBox(this);
    m_bar->setSpacing(2);
    box->addWidget(m_bar);
    box->addWidget(m_view);
    createDateBar();
    connect(m_view, &YMCalendarView::dateClicked, this, &YMCalendar::updateDate);
    if (ymrApp)
        connect(ymrApp, &YMRApplication::dateTimeSettingChanged, this, &YMCalendar::createDateBar);
    setDateInternal(QDate::currentDate());
}

YMCalendar::~YMCalendar() = default;

QDate YMCalendar::date() const
{
    return m_view->date();
}

void YMCalendar::setDate(const QDate &d)
{
    if (!d.isValid())
        return;
    m_view->setDate(d);
    const bool monthBlocked = m_month->blockSignals(true);
    m_month->setCurrentItem(d.month() - 1);
    m_month->blockSignals(monthBlocked);
    const bool yearBlocked = m_year->blockSignals(true);
    m_year->setValue(d.year());
    m_year->blockSignals(yearBlocked);
}

void YMCalendar::setToday()
{
    setDateInternal(QDate::currentDate());
}

void YMCalendar::setDateInternal(const QDate &d)
{
    if (!d.isValid())
        return;
    setDate(d);
    emit dateChanged(date());
}

void YMCalendar::monthForward()
{
    setDateInternal(addMonths(date(), 1));
}

void YMCalendar::monthBackward()
{
    setDateInternal(addMonths(date(), -1));
}

void YMCalendar::setMonth(int index)
{
    const QDate d = date();
    setDateInternal(clampedDate(d.year(), index + 1, d.day()));
}

void YMCalendar::setYear(int year)
{
    const QDate d = date();
    setDateInternal(clampedDate(year, d.month(), d.day()));
}

void YMCalendar::updateDate(const QDate &d)
{
    emit dateChanged(d);
    emit dateClicked(d);
    emit dateClicked(d.year(), d.month(), d.day());
    if (m_closeParentOnPick && parentWidget())
        parentWidget()->close();
}

void YMCalendar::createDateBar()
{
    delete m_month;
    m_month = nullptr;
    // null first: the year box's last events reach eventFilter()
    delete std::exchange(m_year, nullptr);
    delete m_back;
    m_back = nullptr;
    delete m_forward;
    m_forward = nullptr;

    m_back = new QToolButton(m_bar);
    m_back->setIcon(YMRResource::loadIconSet(QStringLiteral("back")));
    // Month then year, unless the platform puts the year first; an order
    // we do not know gets month then year too.
    if (ymrApp && ymrApp->shortDateOrder() == 84) {
        createYearSpin();
        createMonthCombo();
    } else {
        createMonthCombo();
        createYearSpin();
    }
    m_forward = new QToolButton(m_bar);
    m_forward->setIcon(YMRResource::loadIconSet(QStringLiteral("forward")));
    for (QToolButton *b : {m_back, m_forward}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
    }
    connect(m_back, &QToolButton::clicked, this, &YMCalendar::monthBackward);
    connect(m_forward, &QToolButton::clicked, this, &YMCalendar::monthForward);
    for (QWidget *w : {static_cast<QWidget *>(m_back), static_cast<QWidget *>(m_month),
                       static_cast<QWidget *>(m_year), static_cast<QWidget *>(m_forward)})
        w->show();
    setDate(date());
}

void YMCalendar::createMonthCombo()
{
    m_month = new YMRComboBox(false, m_bar);
    for (int i = 0; i < 12; ++i)
        m_month->insertItem(shortMonthName(i, true));
    m_month->setFocusPolicy(Qt::NoFocus);
    connect(m_month, QOverload<int>::of(&YMRComboBox::activated), this, &YMCalendar::setMonth);
}

void YMCalendar::createYearSpin()
{
    m_year = new YMRSpinBox(1752, 8000, 1, m_bar);
    m_year->setFocusPolicy(Qt::NoFocus);
    // a year is typed after a click in the box; the other keys stay the grid's
    m_year->editor()->setFocusPolicy(Qt::ClickFocus);
    m_year->editor()->installEventFilter(this);
    m_year->installEventFilter(this);
    connect(m_year, QOverload<int>::of(&YMRSpinBox::valueChanged), this, &YMCalendar::setYear);
}

void YMCalendar::takeTypedYear()
{
    QLineEdit *edit = m_year->editor();
    const QString typed = edit->text().trimmed();
    const int year = edit->hasAcceptableInput() ? typed.toInt() : date().year();
    // "7", "99" or "0" is no year the calendar has: it says so, as a date
    // field does
    if (!edit->hasAcceptableInput() && !typed.isEmpty())
        YMRFieldHint::show(edit,
                           tr("Year %1 is not in the calendar (%2 to %3): it keeps %4.")
                               .arg(typed)
                               .arg(m_year->minValue())
                               .arg(m_year->maxValue())
                               .arg(date().year()),
                           hintName());
    edit->setText(QString::number(year));
    if (year != date().year())
        setYear(year);
    setFocus(Qt::OtherFocusReason);
}

bool YMCalendar::eventFilter(QObject *o, QEvent *e)
{
    QLineEdit *edit = m_year ? m_year->editor() : nullptr;
    if (!edit || (o != edit && o != m_year))
        return QFrame::eventFilter(o, e);
    switch (e->type()) {
    case QEvent::FocusIn:
        m_selectYear = static_cast<QFocusEvent *>(e)->reason() == Qt::MouseFocusReason;
        break;
    case QEvent::MouseButtonRelease:
        if (o == edit && m_selectYear) {
            m_selectYear = false;
            edit->selectAll();
        }
        break;
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent *>(e)->key();
        if (o == edit && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            // the year is confirmed, not the date picked
            takeTypedYear();
            return true;
        }
        break;
    }
    case QEvent::Leave:
        // the pointer going by does not end a year half typed
        if (edit->hasFocus() && !edit->hasAcceptableInput())
            return true;
        break;
    case QEvent::FocusOut:
    case QEvent::Hide:
        // a year half typed is no year, which the box would take clamped
        if (!edit->hasAcceptableInput())
            edit->setText(QString::number(date().year()));
        break;
    default:
        break;
    }
    return QFrame::eventFilter(o, e);
}

void YMCalendar::keyPressEvent(QKeyEvent *e)
{
    const QDate d = date();
    const int key = e->key();
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        const int n = key - Qt::Key_0;
        setDateInternal(d.addDays(digitsForward ? n : -n));
        return;
    }
    switch (key) {
    case Qt::Key_Left:
        setDateInternal(d.addDays(-1));
        break;
    case Qt::Key_Right:
        setDateInternal(d.addDays(1));
        break;
    case Qt::Key_Up:
        setDateInternal(d.addDays(-7));
        break;
    case Qt::Key_Down:
        setDateInternal(d.addDays(7));
        break;
    case Qt::Key_Home:
        setToday();
        break;
    case Qt::Key_PageUp:
        monthBackward();
        break;
    case Qt::Key_PageDown:
        monthForward();
        break;
    case Qt::Key_Plus:
        digitsForward = true;
        break;
    case Qt::Key_Minus:
        digitsForward = false;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        updateDate(d);
        break;
    default:
        e->ignore();
        break;
    }
}
