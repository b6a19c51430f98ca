#ifndef INITEXT_H
#define INITEXT_H

#include "keyedmerge.h"

#include <QByteArray>
#include <QString>

class LoadBudget;

// The text of a settings file: INI as the platform's settings have always
// been written (by Qt's QSettings, UTF-8), read and written here so that
// files of earlier versions, and files a user edited, read as QSettings
// read them, and earlier versions read ours.
//
// An entry is keyed by its path, "group/key" (a group of several levels
// and the top level, "[General]", included), each level escaped as in the
// file (keyOf()); its value is the text after "=" as this writer writes
// what the file's text means (valueText()), never the file's own bytes, so
// that nothing read is carried into a new place.
//
// - Groups and keys are escaped: letters, digits, "_", "-" and "." stand as
//   they are, "/" within a key is "\", anything else "%XX" or "%UXXXX"; a
//   group named "general" in any case is "[%General]" (the bare name is the
//   top level).
// - A value may be quoted; outside quotes ";" starts a comment, blanks
//   around it and around an unquoted "," go (such a value is a list, read
//   back joined by ","), and a value or list element starting with "@" is a
//   typed one: "@@" is a plain "@", "@ByteArray(...)" bytes (read as
//   UTF-8), "@String(...)" a text holding a zero.
// - "\" escapes a character (\n, \t, \", \\, \xHH, \0NN, ...) or, before a
//   line break, goes on with the next line; a line break inside quotes is
//   part of the value. Text is UTF-8, but a byte-order mark and each half of
//   a UTF-16 pair are written as "\x" escapes: QSettings lost them raw.
// - A line that is none of a group, an entry, a comment or blank is passed
//   over, as QSettings did, and so is an entry QSettings could not look up
//   (an empty level in its path).
class IniText
{
public:
    // The entries of text, each charged to budget; false when the text is
    // no settings file whole (a zero byte in it, lines none of which is a
    // group or an entry, a quote left open or a "\" at its end: a value cut
    // short) or the budget is spent. A key repeated: its last value, at its
    // first place.
    static bool read(const QByteArray &text, KeyedMerge::Entries &entries, LoadBudget &budget);
    // The text of entries, grouped in the order each group first comes.
    static QByteArray write(const KeyedMerge::Entries &entries);

    // A path as it is looked up: no empty levels, none at either end.
    static QString normalizedPath(const QString &path);
    // The key of the entry at a path so normalized, and back.
    static QByteArray keyOf(const QString &path);
    static QString pathOf(const QByteArray &key);
    // The text after "=" of a value, as QSettings wrote it.
    static QByteArray valueText(const QString &value);
    // The value of such a text; a null text for "@Invalid()", which holds
    // none.
    static QString value(const QByteArray &text);
};

#endif
