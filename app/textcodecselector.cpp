#include "textcodecselector.h"

#include "qt/ymrresource.h"

#include <QTextCodec>
#include <QTextStream>

#include <algorithm>

TextCodecSelector::TextCodecSelector(QWidget *parent, const char *name)
    : YMRComboBox(parent, name)
    , m_codecs(codecs())
{
    setSizeLimit(7);
    insertItem(YMRResource::loadPixmap(QStringLiteral("personal")), tr("Plain Text"));
    const QPixmap pixmap = YMRResource::loadPixmap(QStringLiteral("kuser"));
    for (QTextCodec *c : qAsConst(m_codecs))
        insertItem(pixmap, QString::fromLatin1(c->name()));
}

TextCodecSelector::~TextCodecSelector() = default;

QList<QTextCodec *> TextCodecSelector::codecs()
{
    // Qt 5 has no codec index; the list is made once from the known MIB
    // numbers, one entry per codec, by name
    static const QList<QTextCodec *> all = [] {
        QList<QTextCodec *> list;
        const QList<int> mibs = QTextCodec::availableMibs();
        for (int mib : mibs) {
            QTextCodec *c = QTextCodec::codecForMib(mib);
            if (c && !list.contains(c))
                list.append(c);
        }
        std::stable_sort(list.begin(), list.end(), [](QTextCodec *a, QTextCodec *b) {
            return QString::fromLatin1(a->name()).compare(QString::fromLatin1(b->name()),
                                                          Qt::CaseInsensitive) < 0;
        });
        return list;
    }();
    return all;
}

QTextCodec *TextCodecSelector::codec(int entry) const
{
    return entry >= 1 && entry <= m_codecs.size() ? m_codecs.at(entry - 1) : nullptr;
}

void TextCodecSelector::setCodec(QTextStream *stream) const
{
    if (QTextCodec *c = currentCodec())
        stream->setCodec(c);
}

QString TextCodecSelector::toUnicode(const QByteArray &bytes) const
{
    QTextCodec *c = currentCodec();
    if (!c)
        return QString::fromLatin1(bytes);
    const int end = bytes.indexOf('\0');
    return c->toUnicode(end < 0 ? bytes : bytes.left(end));
}

QByteArray TextCodecSelector::fromUnicode(const QString &text) const
{
    QTextCodec *c = currentCodec();
    return c ? c->fromUnicode(text) : text.toLatin1();
}
