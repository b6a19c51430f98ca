#ifndef INITEXT_H
#define INITEXT_H

#include "keyedmerge.h"

#include <QByteArray>
#include <QString>

class LoadBudget;

// The text of a settings file: INI as the platform's settings have always
// been written (by Qt's QSettings, UTF-8), read and written here so that
// files of earlier versions read the same and earlier versions read ours.
//
// An entry is keyed by its path, "group/key" (a group of several levels
// and the top level, "[General]", included), as UTF-8; its value is the
// text after "=" as it stands in the file, read only when asked for, so an
// entry nobody changed is written back byte for byte.
//
// - Groups and keys are escaped: letters, digits, "_", "-" and "." stand as
//   they are, "/" within a key is "\", anything else "%XX" or "%UXXXX".
// - A value may be quoted; outside quotes blanks around it and around an
//   unquoted "," go (such a value is a list, read back joined by ","), and
//   a value starting with "@" is a typed one: "@@" is a plain "@",
//   "@ByteArray(...)" bytes (a text beyond UTF-16 pairs is kept as its
//   UTF-8 so), "@String(...)" a text holding a zero.
// - "\" escapes a character (\n, \t, \", \\, \xHH, \0NN, ...) or, before a
//   line break, goes on with the next line; a line break inside quotes is
//   part of the value.
// - A line that is none of a group, an entry, a comment (";") or blank is
//   passed over, as QSettings did.
class IniText
{
public:
    // The entries of text, each charged to budget; false when the text is
    // no settings file (a zero byte in it, or lines none of which is a group
    // or an entry) or the budget is spent. A key repeated: its last value,
    // at its first place.
    static bool read(const QByteArray &text, KeyedMerge::Entries &entries, LoadBudget &budget);
    // The text of entries, grouped in the order each group first comes.
    static QByteArray write(const KeyedMerge::Entries &entries);

    // A path as it is looked up: no empty levels, none at either end.
    static QString normalizedPath(const QString &path);
    // The text after "=" of a value, as QSettings wrote it.
    static QByteArray valueText(const QString &value);
    // The value of such a text; a null text for "@Invalid()", which holds
    // none.
    static QString value(const QByteArray &text);
};

#endif
