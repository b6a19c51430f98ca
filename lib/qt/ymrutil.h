#ifndef YMRUTIL_H
#define YMRUTIL_H

#include <QDateTime>
#include <QString>

#include <vector>

class QCheckBox;
class QFontMetrics;
class QKeyEvent;
class QScrollArea;
class QWidget;

// Date and time texts: by the platform's settings, and by a user's pattern
// of tokens (D, M, Y, h, m, s, ^ and the marker "AM/PM") read back again;
// a line of text broken to a width.
class YMRUtil
{
public:
    // The words of a one-line text on as many lines as the width needs (a
    // word wider than that on a line of its own).
    static QString wrapText(const QString &text, const QFontMetrics &fm, int width);
    // Shows the text in the check box broken into lines that fit beside its
    // indicator, now and after every change of the box's width.
    static void wrapCheckBoxText(QCheckBox *box, const QString &text);
    // A frameless view in the parent's colours that scrolls the content up
    // and down, the content as wide as the view: rows taller than a small
    // screen.
    static QScrollArea *scrollRows(QWidget *content, QWidget *parent);
    // A key that writes nothing by itself (Shift, Control, Alt, AltGr, Meta,
    // Caps Lock, Num Lock, a dead key): a real keyboard sends it around the
    // characters, so a field keeps every state of its typing across it.
    static bool writesNothing(const QKeyEvent *e);

    // The local date-time of a date and a time of day; when the clocks skip
    // that time (the hour a change to summer time leaves out), the first
    // whole minute after the skipped span; when they show it twice, the
    // first showing (WallClock). Null for an invalid date or time.
    static QDateTime firstValidLocalTime(const QDate &date, const QTime &time);

    static QString timeToString(const QTime &t);
    static QString dateToString(const QDate &d);
    static QString dateTimeToString(const QDateTime &dt);

    // The null string when the date or the time is invalid.
    static QString formatDateTime(const QDateTime &dt, const QString &pattern);
    // A field the text does not give stays 0, and a date that is then
    // impossible comes back null.
    static QDateTime parseDateTime(const QString &text, const QString &pattern);

    // The fields being read; the date is built from them once, at the end.
    struct DateFields {
        int year = 0;
        int month = 0;
        int day = 0;
        int hour = 0;
        int minute = 0;
        int second = 0;
    };

    // A pattern read once, to write many dates and times by it (an
    // export): the texts formatDateTime gives.
    class DatePattern
    {
    public:
        explicit DatePattern(const QString &pattern);
        // Appends nothing when the date or the time is invalid.
        void append(QString &out, const QDate &date, const QTime &time) const;

    private:
        struct Piece {
            QChar token;     // null for a literal
            int n;           // times the token character
            QString literal;
        };
        std::vector<Piece> m_pieces;
        bool m_twelveHour;
    };

    static QString expandDateToken(const QDateTime &dt, const QString &token, bool twelveHour);
    static void parseDateToken(DateFields &fields, const QString &text, int &pos,
                               const QString &token, bool &am, bool &pm);

private:
    static bool isTokenChar(QChar c);
    static bool takeTwelveHourMarker(QString &pattern);
};

#endif
