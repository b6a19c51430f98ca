#ifndef YMRPIM_H
#define YMRPIM_H

#include "qpe/sharedfile.h"

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTime>

// Static helpers shared by the record framework and the application: value
// texts of the record files, sort keys, data lists, CSV quoting, file copy.
// A QObject only so that its texts translate under "YMRPIM".
class PIMReminder;
class QFile;
class QLineEdit;
class QPoint;
class QWidget;
class YMDateTimeEditor;
class YMRComboBox;
class YMRListBox;

class YMRPIM : public QObject
{
    Q_OBJECT
public:
    // Record-file values: a line feed is written as "|".
    static QString encodeValue(const QString &value);
    // Takes the key (first piece) off the list and joins the rest with "=".
    static QString decodeValue(QStringList &pieces);
    // A one-line text stored in a record file or a list (a QLineEdit or an
    // editable YMRComboBox; a multi-line field is a PIMTextEdit): a "|"
    // reads back from a record file as a line break, and a line break would
    // split a list's entry in two. A pasted line break becomes a blank; a
    // "|", and a text longer than a line of key (written "KEY=") can hold or
    // than the field's own length (in characters as characterCount counts
    // them), are refused where typed or pasted (a paste whole), with a hint.
    static void refuseBar(QWidget *field, const char *key = "");
    // The same for a text that may hold a "|" (a password, which is
    // compared as written as well as as read back): what the field shows
    // is what is stored.
    static void keepOneLine(QWidget *field, const char *key);
    // The characters of text, an emoji (a pair of UTF-16 surrogates) being
    // one.
    static int characterCount(const QString &text);
    // The hint of a refused input: shown at the field's cursor for a few
    // seconds, it never takes the keyboard from the field. Every refusal a
    // field tells goes through it; the texts of the common ones follow.
    static void tellRefused(QWidget *field, const QString &text);
    static void tellBarRefused(QWidget *field);
    // limit: how long the text may be, in UTF-8 bytes or in characters
    static void tellTooLong(QWidget *field, int limit, bool characters);
    // The UTF-8 bytes a value may take when written after key (with its
    // "=") so that the line stays within what PIMTextReader reads.
    static int maxValueLength(const char *key);
    static int utf8Length(const QChar *text, int size);
    static int utf8Length(const QString &text) { return utf8Length(text.constData(), text.size()); }
    // An amount field (see YMRAmountValidator): a key or paste that no
    // amount holds is refused with a hint.
    static void refuseAmountKeys(QLineEdit *field);
    // The field's amount as it is stored (see YMRAmountValidator::read);
    // false, with a hint at the field, when the text reads as no amount.
    static bool fieldAmount(QLineEdit *field, QString &plain, double *value = nullptr);

    // "d m y", "d m y h m s", "h m s"; null for invalid values.
    static QString dateToText(const QDate &date);
    static QString dateTimeToText(const QDateTime &dateTime);
    static QString timeToText(const QTime &time);
    static QDate textToDate(const QString &text);
    static QDateTime textToDateTime(const QString &text);
    // The date and time of day of a date-time text, without asking the
    // time zone (a time that is none is midnight, as a date-time takes it);
    // false, and a null date, when the text holds no date.
    static bool textToWallTime(const QString &text, QDate &date, QTime &time);
    static QTime textToTime(const QString &text);

    // Fixed-width keys compared as text by the stores.
    static QString sortKey(const QDate &date);
    static QString sortKey(const QDateTime &dateTime);
    static QString sortKey(const QTime &time);
    static QString sortKey(bool value);
    static QString sortKey(int value);
    static QString sortKey(double value);
    // An amount text's value as QString::toDouble reads it (0 when not a
    // number) and its sort key, sortKey(amountValue(text)); plain decimal
    // texts are read without the general number parsing.
    static double amountValue(const QString &text);
    static QString amountSortKey(const QString &text);
    // The order of two sort keys: empty keys first, then keys that are
    // decimal numbers by value (so negative amounts and keys of more digits
    // order right), then all other keys as text. Equal values of different
    // texts are ordered by their texts. Negative, zero or positive.
    static int compareKeys(const QString &a, const QString &b);

    // Data lists: the user's copy in <app>Data, else the installed default.
    // False when the list could not be written (the old list stays), also
    // when it is larger than maxListSize().
    static bool saveList(const QString &name, const QStringList &list);
    // The list as an editor leaves it, given the list it started from: under
    // the folder's lock the file is read again, and entries another copy of
    // the program added or removed since stay so (KeyedMerge, entries by
    // their text); what this editor added, removed or moved holds.
    // saved, when given, receives the list as written: the caller's new base.
    // A list not written is kept and retried (SharedFile), named for the
    // user as what (listWhat(name) when empty).
    static bool saveList(const QString &name, const QStringList &list, const QStringList &base,
                         QStringList *saved = nullptr, const QString &what = QString());
    // A user's copy that cannot be read (not a file, beyond maxListSize(),
    // a zero byte or bytes that are no UTF-8 in it) is set aside and the
    // installed default read instead; an entry's text is taken whole (a
    // leading byte-order mark stays). A list whose
    // last save is not written yet is given as that save would make the
    // file as it is now, so every drop-down and editor shows what is kept;
    // base, when given, receives what a save of the list merges against.
    static QStringList loadList(const QString &name, QStringList *base = nullptr);
    // "the list "Type"" and the like.
    static QString listWhat(const QString &label);
    // The largest list read (and a peer may send); for tests, 0 brings back
    // the default.
    static qint64 maxListSize();
    static void setMaxListSize(qint64 size);
    // The entries of a list file; false when it cannot be read.
    static bool readListFile(const QString &path, QStringList &list);
    // How the owner of a list's file (SharedFile) reads and writes it.
    static SharedFile::KindPtr listKind(const QString &name);
    static QString userListPath(const QString &name);
    static QString defaultListPath(const QString &name);
    // The file a list is read from: the user's copy, else the default.
    static QString listPath(const QString &name);

    // The field between qualifiers, each qualifier in it doubled, then the
    // separator; without a qualifier a field that would not read back whole
    // is quoted all the same. The second form appends it to out.
    static QString csvQuote(const QString &text, const QString &qualifier, const QString &separator);
    static void csvQuote(QString &out, const QString &text, const QString &qualifier,
                         const QString &separator);
    static bool csvSplit(QStringList &fields, const QString &line, QChar qualifier,
                         QChar separator, bool &continued);

    // Block copy (16,384-byte blocks) through a temporary file; false
    // when nothing or not all could be copied, the source is no regular
    // file of at most maxSize bytes, or source and destination are the
    // same file. With move the source is removed after a copy.
    static bool copyFile(const QString &source, const QString &destination, bool move, qint64 maxSize);
    // Every file that replaces another goes through these two. The file a
    // save replaces: path, or the file a symbolic link at path names.
    static QString replacedFile(const QString &path);
    // Creates a temporary file of its own beside the replaced file
    // (FileReplacer::open()), owner-only until it has the permission bits
    // and (where allowed) the owner of the file it is to replace. A file or
    // folder without any write permission is refused as read-only. The
    // QFile has no file name afterwards: end it with commitNewFile(), with
    // written false to discard it.
    static bool openNewFile(QFile &file, const QString &path);
    // Ends that write: when it went well, forces the bytes to disk, puts the
    // file in the old one's place in one step and makes the rename durable;
    // otherwise removes it. True when the new file is in place. Both go
    // through FileReplacer, which tells why the last one failed.
    static bool commitNewFile(QFile &file, bool written);

    static QString &replaceAll(const QString &pattern, const QString &replacement, QString &text);

    // Makes the entry of that text current; an empty text with keepEmpty
    // off picks the first entry. No match: the combo box shows the text in
    // its edit field, the list box makes its first entry current.
    static void selectItem(YMRComboBox *box, const QString &text, bool keepEmpty);
    static void selectItem(YMRListBox *box, const QString &text, bool keepEmpty);

    // Popup editors: each runs modally and gives true when the user made a
    // choice, with the new value in its argument.
    static bool editText(const QString &caption, QString &text);
    static bool popupDate(QDate &date, const QPoint &pos);
    // "Remove Reminder" deletes the reminder and nulls the caller's pointer
    // (removed is then true); "Set" gives it the chosen minute, or the first
    // after it when the clocks skip it.
    static bool popupReminder(PIMReminder *&reminder, bool &removed, const QPoint &pos);
    // A reminder's time that the clocks skip (a change to summer time)
    // rings at the first moment after it: the editor tells so with a hint
    // as such a time is set.
    static void tellSkippedTime(YMDateTimeEditor *editor);
    static bool popupTime(QTime &time, const QPoint &pos);
    static bool popupDateTime(QDateTime &dateTime, const QPoint &pos);
    static bool popupList(QString &value, const QString &listName, const QPoint &pos);
    static bool selectFromList(QString &value, const QString &listName, const QString &caption);

    // The application object's name, "ymrOutlays".
    static QString applicationName();
};

#endif
