#ifndef PCLINKPROTOCOL_H
#define PCLINKPROTOCOL_H

#include <QByteArray>
#include <QString>

// The PC link's messages on the wire. A frame is the payload's byte length
// in decimal, one blank, then the payload; a field inside a payload is the
// UTF-8 byte length of its text, one blank, then the text. File data travels
// unframed between an accepted announce and its last byte.
class PCLinkProtocol
{
public:
    enum Kind { Announce, Answer, Request, CannotSend };

    struct Message
    {
        Kind kind = CannotSend;
        QString first;      // announce: source; request: path on the peer
        QString second;     // announce: destination; request: path on the requester
        QString sizeText;   // announce: the size field as sent
        bool ok = false;    // answer: "OK" rather than "CANCEL"
        // Every field is well-formed UTF-8 and a plain name (isPlainName):
        // a field is checked as the bytes that came and as the text they
        // read as, so a name cannot mean one thing to the checks and
        // another to the file system.
        bool plain = true;
    };

    enum FrameResult { NeedMore, Frame, Malformed };

    static const int maxPayload = 65536;
    static const int blockSize = 51200;

    static QByteArray frame(const QByteArray &payload);
    static QByteArray field(const QString &text);
    static QByteArray announce(const QString &source, qint64 size, const QString &destination);
    static QByteArray answer(bool ok);
    static QByteArray request(const QString &remotePath, const QString &localPath);
    static QByteArray cannotSend();

    // Takes the next frame of buffer from pos on. Frame: payload holds it
    // and pos has moved past it. Malformed: the length is not 1 to 10
    // digits, or is 0 or above maxPayload.
    static FrameResult takeFrame(const QByteArray &buffer, int &pos, QByteArray &payload);

    // A whole payload as one message; false when it is not exactly one of
    // the four messages with well-formed fields.
    static bool parse(const QByteArray &payload, Message &message);

    // Text that may name a file: no NUL or other control character, and
    // no "|", which the record files give back as a line break.
    static bool isPlainName(const QString &text);

    // A size field: 1 to 10 decimal digits, at most INT_MAX.
    static bool parseSize(const QString &text, int &size);

private:
    static bool readLength(const QByteArray &bytes, int from, int to, qint64 &value);
    static bool readField(const QByteArray &payload, int &pos, QString &text, bool &plain);
};

#endif
