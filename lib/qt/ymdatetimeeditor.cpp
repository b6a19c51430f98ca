#include "ymdatetimeeditor.h"

#include "ymdatebutton.h"
#include "ymdatetimeedit.h"
#include "ymtimebutton.h"

#include <QGridLayout>
#include <QHBoxLayout>

namespace {

// Qt 5 would make a date with an invalid time midnight; here either half
// being "None" makes the whole value "None". The halves meet without a time
// zone, so a date never depends on the time of day (a day whose clocks
// skip the current hour).
QDateTime combined(const QDate &d, const QTime &t)
{
    return d.isValid() && t.isValid() ? QDateTime(d, t, Qt::UTC) : QDateTime();
}

} // namespace

YMDateTimeEditor::YMDateTimeEditor(QWidget *parent, const char *name, bool twoRows)
    : QWidget(parent), m_twoRows(twoRows)
{
    setObjectName(QString::fromLatin1(name));
    m_dateEdit = new YMDateTimeEdit(YMDateTimeEdit::Date, this);
    m_timeEdit = new YMDateTimeEdit(YMDateTimeEdit::Time, this);
    m_dateButton = new YMDateButton(this);
    m_timeButton = new YMTimeButton(this);
    // a click on a button leaves the keys in the field: its popup does not
    // end what is being typed there
    m_dateButton->setFocusPolicy(Qt::TabFocus);
    m_timeButton->setFocusPolicy(Qt::TabFocus);
    hideTime(false);

    using Plain = void (YMDateTimeEdit::*)();
    using OfDate = void (YMDateTimeEdit::*)(const QDate &);
    using OfTime = void (YMDateTimeEdit::*)(const QTime &);
    connect(m_dateEdit, &YMDateTimeEdit::next, this, &YMDateTimeEditor::next);
    connect(m_timeEdit, &YMDateTimeEdit::prev, this, &YMDateTimeEditor::prev);
    connect(m_dateEdit, Plain(&YMDateTimeEdit::changed), this,
            QOverload<>::of(&YMDateTimeEditor::changed));
    connect(m_timeEdit, Plain(&YMDateTimeEdit::changed), this,
            QOverload<>::of(&YMDateTimeEditor::changed));
    connect(m_dateEdit, OfDate(&YMDateTimeEdit::changed), this,
            QOverload<const QDate &>::of(&YMDateTimeEditor::changed));
    connect(m_timeEdit, OfTime(&YMDateTimeEdit::changed), this,
            QOverload<const QTime &>::of(&YMDateTimeEditor::changed));
    connect(m_dateButton, &YMDateButton::dateClicked, this, &YMDateTimeEditor::setDate);
    connect(this, QOverload<const QDate &>::of(&YMDateTimeEditor::changed), m_dateButton,
            &YMDateButton::setDate);
    connect(m_timeButton, &YMTimeButton::timeClicked, this, &YMDateTimeEditor::setTime);
    connect(this, QOverload<const QTime &>::of(&YMDateTimeEditor::changed), m_timeButton,
            &YMTimeButton::setTime);
}

YMDateTimeEditor::~YMDateTimeEditor() = default;

QDateTime YMDateTimeEditor::dateTime() const
{
    const QDate d = date();
    const QTime t = time();
    return d.isValid() && t.isValid() ? QDateTime(d, t) : QDateTime();
}

// The window asks for the value: what is still typed is taken or refused
// first, in whatever way the window came to ask.
QDate YMDateTimeEditor::date() const
{
    return m_dateEdit->askedDateTime().date();
}

QTime YMDateTimeEditor::time() const
{
    return m_timeEdit->askedDateTime().time();
}

bool YMDateTimeEditor::finishTyping()
{
    const bool date = m_dateEdit->finishTyping();
    const bool time = m_timeEdit->finishTyping();
    return date && time;
}

bool YMDateTimeEditor::finishTypingIn(QWidget *window, YMDateTimeEditor **refused)
{
    bool taken = true;
    for (YMDateTimeEditor *editor : window->findChildren<YMDateTimeEditor *>()) {
        if (!editor->finishTyping() && taken) {
            taken = false;
            if (refused)
                *refused = editor;
        }
    }
    return taken;
}

void YMDateTimeEditor::setDateTime(const QDateTime &dt)
{
    m_dateEdit->setDateTime(dt);
    m_timeEdit->setDateTime(dt);
    m_timeButton->setTime(dt.time());
    m_dateButton->setDate(dt.date());
}

void YMDateTimeEditor::setTime(const QTime &t)
{
    m_timeEdit->setDateTime(combined(m_dateEdit->date(), t));
    m_timeButton->setTime(t);
}

void YMDateTimeEditor::setDate(const QDate &d)
{
    m_dateEdit->setDateTime(combined(d, m_timeEdit->time()));
    m_dateButton->setDate(d);
}

void YMDateTimeEditor::setOnlyDate(bool on)
{
    if (on) {
        const QDateTime dt = combined(m_dateEdit->date(), QTime(0, 0));
        m_dateEdit->setDateTime(dt);
        m_timeEdit->setDateTime(dt);
    }
    m_timeEdit->setEnabled(!on);
    m_timeButton->setEnabled(!on);
    setFocusProxy(m_dateEdit);
}

void YMDateTimeEditor::setOnlyTime(bool on)
{
    if (on) {
        // the time edit holds the edited time: setTime() leaves the date edit alone
        const QDateTime dt = combined(QDate(1974, 7, 3), m_timeEdit->time());
        m_dateEdit->setDateTime(dt);
        m_timeEdit->setDateTime(dt);
    } else {
        setFocusProxy(m_dateEdit);
    }
    m_dateEdit->setEnabled(!on);
    m_dateButton->setEnabled(!on);
}

void YMDateTimeEditor::setMonthLong(bool on)
{
    m_dateEdit->setMonthLong(on);
}

// A hidden half never takes the focus: the keys would go nowhere.
void YMDateTimeEditor::next()
{
    if (m_timeEdit->isEnabled() && !m_timeEdit->isHidden())
        m_timeEdit->setFocus();
}

void YMDateTimeEditor::prev()
{
    if (m_dateEdit->isEnabled() && !m_dateEdit->isHidden())
        m_dateEdit->setFocus();
}

void YMDateTimeEditor::setClockIcons(bool on)
{
    m_dateButton->setClockIcon(on);
    m_timeButton->setClockIcon(on);
}

void YMDateTimeEditor::hideTime(bool hide)
{
    setFocusProxy(m_dateEdit);
    delete m_layout;
    if (!m_twoRows) {
        auto *row = new QHBoxLayout(this);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(3);
        // in a form the row keeps the form's spacing
        if (parentWidget() && parentWidget()->layout()
            && parentWidget()->layout()->spacing() >= 0)
            row->setSpacing(parentWidget()->layout()->spacing());
        row->addWidget(m_dateEdit);
        row->addWidget(m_dateButton);
        if (!hide) {
            row->addWidget(m_timeEdit);
            row->addWidget(m_timeButton);
        }
        m_layout = row;
    } else {
        auto *grid = new QGridLayout(this);
        grid->setContentsMargins(1, 1, 1, 1);
        grid->setSpacing(2);
        grid->addWidget(m_dateEdit, 0, 0);
        grid->addWidget(m_dateButton, 0, 1);
        if (!hide) {
            grid->addWidget(m_timeEdit, 1, 0);
            grid->addWidget(m_timeButton, 1, 1);
        }
        m_layout = grid;
    }
    m_timeEdit->setVisible(!hide);
    m_timeButton->setVisible(!hide);
    m_dateEdit->show();
    m_dateButton->show();
    updateGeometry();
}

void YMDateTimeEditor::hideDate(bool hide)
{
    delete m_layout;
    QGridLayout *grid = nullptr;
    QHBoxLayout *row = nullptr;
    if (!m_twoRows) {
        row = new QHBoxLayout(this);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(2);
        m_layout = row;
    } else {
        grid = new QGridLayout(this);
        grid->setContentsMargins(1, 1, 1, 1);
        grid->setSpacing(2);
        m_layout = grid;
    }
    m_dateEdit->setVisible(!hide);
    m_dateButton->setVisible(!hide);
    setFocusProxy(hide ? m_timeEdit : m_dateEdit);
    if (!hide) {
        if (row) {
            row->addWidget(m_dateEdit);
            row->addWidget(m_dateButton);
        } else {
            grid->addWidget(m_dateEdit, 0, 0);
            grid->addWidget(m_dateButton, 0, 1);
        }
    }
    if (row) {
        row->addWidget(m_timeEdit);
        row->addWidget(m_timeButton);
    } else {
        grid->addWidget(m_timeEdit, 1, 0);
        grid->addWidget(m_timeButton, 1, 1);
    }
    m_timeEdit->show();
    m_timeButton->show();
    updateGeometry();
}
