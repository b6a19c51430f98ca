#ifndef TEXTCODECSELECTOR_H
#define TEXTCODECSELECTOR_H

#include "qt/ymrcombobox.h"

#include <QByteArray>
#include <QList>
#include <QString>

class QTextCodec;
class QTextStream;

// Chooses the text encoding of an exported file: "Plain Text" (entry 0) or
// one of the platform's codecs, sorted by name.
class TextCodecSelector : public YMRComboBox
{
    Q_OBJECT
public:
    explicit TextCodecSelector(QWidget *parent = nullptr, const char *name = nullptr);
    ~TextCodecSelector() override;

    // The codec of entry n (n >= 1); null for entry 0 and unknown entries.
    QTextCodec *codec(int entry) const;
    QTextCodec *currentCodec() const { return codec(currentItem()); }

    // Entry 0 leaves the stream's encoding alone.
    void setCodec(QTextStream *stream) const;
    // Entry 0 reads and writes Latin-1.
    QString toUnicode(const QByteArray &bytes) const;
    QByteArray fromUnicode(const QString &text) const;

    // The platform's codecs in the order the entries show them.
    static QList<QTextCodec *> codecs();

private:
    QList<QTextCodec *> m_codecs;
};

#endif
