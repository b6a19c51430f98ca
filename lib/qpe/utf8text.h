#ifndef UTF8TEXT_H
#define UTF8TEXT_H

#include <QByteArray>
#include <QString>

// Text of the program's files and of a peer's, decoded whole. Qt's
// QString::fromUtf8(QByteArray) ends at the first zero byte, and every
// fromUtf8 drops a leading byte-order mark: a key, label or value that held
// either would be read as another text and written back so. Here every byte
// counts: a zero stays U+0000, a leading U+FEFF stays, and bytes that are no
// UTF-8 become U+FFFD (valid() tells them apart).
class Utf8Text
{
public:
    static QString decode(const char *bytes, int size)
    {
        // what nearly every text is: no mark to keep
        if (size > 0 && uchar(bytes[0]) != 0xef)
            return QString::fromUtf8(bytes, size);
        return decodeMarked(bytes, size);
    }
    static QString decode(const QByteArray &bytes) { return decode(bytes.constData(), bytes.size()); }
    // Whether bytes are UTF-8 throughout, so that decode() and
    // QString::toUtf8() give them back as they are.
    static bool valid(const char *bytes, int size);
    static bool valid(const QByteArray &bytes) { return valid(bytes.constData(), bytes.size()); }

private:
    // decode() of an empty text or one that may begin with a mark
    static QString decodeMarked(const char *bytes, int size);
};

#endif
