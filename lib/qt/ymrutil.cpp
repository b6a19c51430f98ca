#include "ymrutil.h"

#include "ymcalendar.h"
#include "ymrapplication.h"

#include "qpe/wallclock.h"

#include <QCheckBox>
#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QScrollArea>

namespace {

// Breaks a check box's text anew whenever the box is resized.
class CheckBoxWrap : public QObject
{
public:
    CheckBoxWrap(QCheckBox *box, const QString &text) : QObject(box), m_text(text)
    {
        setObjectName(QStringLiteral("ymr_wrap"));
        box->installEventFilter(this);
        fit(box);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize)
            fit(static_cast<QCheckBox *>(watched));
        return false;
    }

private:
    void fit(QCheckBox *box) const
    {
        // the indicator and the style's margins: what the box needs beside its text
        const QFontMetrics fm = box->fontMetrics();
        const int chrome = box->sizeHint().width()
                           - fm.size(Qt::TextShowMnemonic, box->text()).width();
        box->setText(YMRUtil::wrapText(m_text, fm, box->width() - chrome));
    }

    QString m_text;
};

QString twoDigits(int n)
{
    return QString::number(n).rightJustified(2, QLatin1Char('0'));
}

// n in decimal, written into digits from their end: no number text for
// each of the many dates of an export.
QLatin1String decimal(char (&digits)[12], int n)
{
    char *const end = digits + sizeof digits;
    char *p = end;
    unsigned v = n < 0 ? 0u - unsigned(n) : unsigned(n);
    do {
        *--p = char('0' + v % 10);
        v /= 10;
    } while (v != 0);
    if (n < 0)
        *--p = '-';
    return QLatin1String(p, int(end - p));
}

// A "0" before a one-digit number when asked for.
void appendNumber(QString &out, int n, bool leadingZero)
{
    if (n >= 0 && n < 100) {
        if (n >= 10 || leadingZero)
            out += QLatin1Char(char('0' + n / 10));
        out += QLatin1Char(char('0' + n % 10));
        return;
    }
    char digits[12];
    out += decimal(digits, n);
}

// The text of one token: the character c, n times; year, month and day
// those of d.
void appendToken(QString &out, const QDate &d, int year, int month, int day, const QTime &t,
                 QChar c, int n, bool twelveHour)
{
    switch (c.unicode()) {
    case 'D':
        if (n <= 2)
            appendNumber(out, day, n == 2);
        else
            out += n == 3 ? YMCalendar::shortDayName(d.dayOfWeek() - 1, true)
                          : YMCalendar::dayName(d.dayOfWeek() - 1, true);
        break;
    case 'M':
        if (n <= 2)
            appendNumber(out, month, n == 2);
        else
            out += n == 3 ? YMCalendar::shortMonthName(month - 1, true)
                          : YMCalendar::monthName(month - 1, true);
        break;
    case 'Y': {
        char digits[12];
        const QLatin1String text = decimal(digits, year);
        out += n <= 2 ? text.right(2) : text;
        break;
    }
    case 'h': {
        int h = t.hour();
        if (twelveHour) {
            if (h == 0)
                h = 12;
            else if (h > 12)
                h -= 12;
        }
        appendNumber(out, h, n > 1);
        break;
    }
    case 'm':
        appendNumber(out, t.minute(), n > 1);
        break;
    case 's':
        appendNumber(out, t.second(), n > 1);
        break;
    case '^':
        out += t.hour() < 12 ? QLatin1String("AM") : QLatin1String("PM");
        break;
    default:
        break;
    }
}

} // namespace

QDateTime YMRUtil::firstValidLocalTime(const QDate &date, const QTime &time)
{
    // the alarms' rule: a repeated wall time is its first showing, whatever
    // the conversions made before would have the C library pick
    return WallClock::local(WallClock::moment(date, time));
}

QString YMRUtil::timeToString(const QTime &t)
{
    if (!t.isValid())
        return QString();
    if (ymrApp && ymrApp->ampm()) {
        int h = t.hour();
        if (h == 0)
            h = 12;
        else if (h > 12)
            h -= 12;
        const QString half = t.hour() < 12
                                 ? QCoreApplication::translate("YMDateTimeEdit", "AM")
                                 : QCoreApplication::translate("YMDateTimeEdit", "PM");
        return QStringLiteral("%1:%2 %3").arg(h, 2).arg(twoDigits(t.minute()), half);
    }
    return twoDigits(t.hour()) + QLatin1Char(':') + twoDigits(t.minute());
}

QString YMRUtil::dateToString(const QDate &d)
{
    if (!d.isValid() || !ymrApp)
        return QString();
    QChar sep = ymrApp->dateSeparator();
    if (sep.isNull())
        sep = QLatin1Char('/');   // never put a NUL character into a text
    const QString day = twoDigits(d.day());
    const QString month = twoDigits(d.month());
    const QString year = QString::number(d.year());
    switch (ymrApp->shortDateOrder()) {
    case 273:
        return day + sep + month + sep + year;
    case 266:
        return month + sep + day + sep + year;
    case 84:
        return year + sep + month + sep + day;
    default:
        return QString();
    }
}

QString YMRUtil::dateTimeToString(const QDateTime &dt)
{
    if (!dt.date().isValid() || !dt.time().isValid())
        return QString();
    return dateToString(dt.date()) + QLatin1Char(' ') + timeToString(dt.time());
}

bool YMRUtil::isTokenChar(QChar c)
{
    switch (c.unicode()) {
    case 'D': case 'M': case 'Y': case 'h': case 'm': case 's': case '^':
        return true;
    default:
        return false;
    }
}

bool YMRUtil::takeTwelveHourMarker(QString &pattern)
{
    const int at = pattern.indexOf(QLatin1String("AM/PM"));
    if (at < 0)
        return false;
    pattern.replace(at, 5, QLatin1Char('^'));
    return true;
}

QString YMRUtil::expandDateToken(const QDateTime &dt, const QString &token, bool twelveHour)
{
    QString text;
    if (!token.isEmpty()) {
        const QDate d = dt.date();
        appendToken(text, d, d.year(), d.month(), d.day(), dt.time(), token.at(0), token.size(),
                    twelveHour);
    }
    return text;
}

YMRUtil::DatePattern::DatePattern(const QString &pattern)
{
    QString pat = pattern;
    m_twelveHour = takeTwelveHourMarker(pat);
    for (const QChar c : qAsConst(pat)) {
        Piece *last = m_pieces.empty() ? nullptr : &m_pieces.back();
        if (isTokenChar(c)) {
            if (last && last->token == c)
                ++last->n;
            else
                m_pieces.push_back({c, 1, QString()});
        } else if (last && last->token.isNull()) {
            last->literal += c;
        } else {
            m_pieces.push_back({QChar(), 0, QString(c)});
        }
    }
}

void YMRUtil::DatePattern::append(QString &out, const QDate &date, const QTime &time) const
{
    if (!date.isValid() || !time.isValid())
        return;
    int year, month, day;
    date.getDate(&year, &month, &day);
    for (const Piece &p : m_pieces) {
        if (p.token.isNull())
            out += p.literal;
        else
            appendToken(out, date, year, month, day, time, p.token, p.n, m_twelveHour);
    }
}

QString YMRUtil::formatDateTime(const QDateTime &dt, const QString &pattern)
{
    QString text;
    DatePattern(pattern).append(text, dt.date(), dt.time());
    return text;
}

void YMRUtil::parseDateToken(DateFields &f, const QString &text, int &pos, const QString &token,
                             bool &am, bool &pm)
{
    if (pos >= text.size() || token.isEmpty())
        return;
    const QChar first = text.at(pos);
    const bool letters = first.isLetter();
    if (!letters && !first.isNumber())
        return;
    const int start = pos;
    while (pos < text.size() && (letters ? text.at(pos).isLetter() : text.at(pos).isNumber()))
        ++pos;
    const QString word = text.mid(start, pos - start).toLower();
    const int value = word.toInt();   // no number reads as 0
    const int n = token.size();

    switch (token.at(0).unicode()) {
    case 'D':
        if (n <= 2)
            f.day = value;
        break;
    case 'M':
        if (n <= 2) {
            f.month = value;
        } else {
            for (int i = 0; i < 12; ++i) {
                const QString name = n == 3 ? YMCalendar::shortMonthName(i, false)
                                            : YMCalendar::monthName(i, false);
                if (name.toLower() == word) {
                    f.month = i + 1;
                    break;
                }
            }
        }
        break;
    case 'Y':
        if (word.size() == 2) {
            // a two-digit year is in the current century
            const QString now = QString::number(QDate::currentDate().year());
            f.year = (now.left(now.size() - 2) + word).toInt();
        } else {
            f.year = value;
        }
        break;
    case 'h':
        f.hour = value;
        break;
    case 'm':
        f.minute = value;
        break;
    case 's':
        f.second = value;
        break;
    case '^':
        am = word == QLatin1String("am");
        pm = word == QLatin1String("pm");
        break;
    default:
        break;
    }
}

QDateTime YMRUtil::parseDateTime(const QString &text, const QString &pattern)
{
    DateFields f;
    int pos = 0;
    bool am = false;
    bool pm = false;
    QString pat = pattern;
    takeTwelveHourMarker(pat);
    QString token;
    for (const QChar c : qAsConst(pat)) {
        if (isTokenChar(c)) {
            if (!token.isEmpty() && token.at(0) != c) {
                parseDateToken(f, text, pos, token, am, pm);
                token.clear();
            }
            token += c;
            continue;
        }
        if (!token.isEmpty()) {
            parseDateToken(f, text, pos, token, am, pm);
            token.clear();
        }
        if (pos < text.size() && text.at(pos) == c)
            ++pos;
        if (c == QLatin1Char(' ')) {
            while (pos < text.size() && text.at(pos) == QLatin1Char(' '))
                ++pos;
        }
    }
    if (!token.isEmpty())
        parseDateToken(f, text, pos, token, am, pm);

    if (am || pm) {
        int h = f.hour;
        if (h > 12)
            h -= 12;
        if (h == 0)
            h = 12;
        if (h == 12 && am)
            h = 0;
        else if (h != 12 && pm)
            h += 12;
        f.hour = h;
    }
    // built once from every field read: the intermediate combinations of
    // a field-by-field build would all be impossible dates
    return QDateTime(QDate(f.year, f.month, f.day), QTime(f.hour, f.minute, f.second));
}

void YMRUtil::wrapCheckBoxText(QCheckBox *box, const QString &text)
{
    delete box->findChild<QObject *>(QStringLiteral("ymr_wrap"), Qt::FindDirectChildrenOnly);
    new CheckBoxWrap(box, text);
}

bool YMRUtil::writesNothing(const QKeyEvent *e)
{
    const int key = e->key();
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_Mode_switch:
    case Qt::Key_Multi_key:
        return true;
    default:
        break;
    }
    if (key >= Qt::Key_Dead_Grave && key <= Qt::Key_Dead_Longsolidusoverlay)
        return true;
    // a key the platform has no name for (a layout's level key) and no text
    return (key == 0 || key == Qt::Key_unknown) && e->text().isEmpty();
}

QScrollArea *YMRUtil::scrollRows(QWidget *content, QWidget *parent)
{
    auto *scroll = new QScrollArea(parent);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->viewport()->setBackgroundRole(QPalette::Window);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(content);
    return scroll;
}

QString YMRUtil::wrapText(const QString &text, const QFontMetrics &fm, int width)
{
    QStringList lines;
    QString line;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (!line.isEmpty() && fm.horizontalAdvance(longer) > width) {
            lines << line;
            line = word;
        } else {
            line = longer;
        }
    }
    if (!line.isEmpty())
        lines << line;
    return lines.join(QLatin1Char('\n'));
}
