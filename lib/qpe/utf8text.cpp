#include "utf8text.h"

#include <QTextCodec>

namespace {

bool startsWithMark(const char *p, int size)
{
    return size >= 3 && uchar(p[0]) == 0xef && uchar(p[1]) == 0xbb && uchar(p[2]) == 0xbf;
}

}

QString Utf8Text::decodeMarked(const char *bytes, int size)
{
    if (size <= 0)
        return QString(bytes ? QLatin1String("") : QLatin1String());
    // fromUtf8 with a size keeps zero bytes; only a leading mark needs help,
    // and fromUtf8 would drop the next one as well once the first is cut.
    int marks = 0;
    while (startsWithMark(bytes + 3 * marks, size - 3 * marks))
        ++marks;
    if (marks == 0)
        return QString::fromUtf8(bytes, size);
    QString text(marks, QChar(0xfeff));
    text += QString::fromUtf8(bytes + 3 * marks, size - 3 * marks);
    return text;
}

bool Utf8Text::valid(const char *bytes, int size)
{
    static QTextCodec *const utf8 = QTextCodec::codecForName("UTF-8");
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    utf8->toUnicode(bytes, size, &state);
    return state.invalidChars == 0 && state.remainingChars == 0;
}
