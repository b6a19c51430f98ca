#include "pclinkprotocol.h"

#include <climits>

QByteArray PCLinkProtocol::frame(const QByteArray &payload)
{
    return QByteArray::number(payload.size()) + ' ' + payload;
}

QByteArray PCLinkProtocol::field(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    return QByteArray::number(bytes.size()) + ' ' + bytes;
}

QByteArray PCLinkProtocol::announce(const QString &source, qint64 size, const QString &destination)
{
    return frame('I' + field(source) + field(QString::number(size)) + field(destination));
}

QByteArray PCLinkProtocol::answer(bool ok)
{
    return frame(ok ? QByteArrayLiteral("AOK") : QByteArrayLiteral("ACANCEL"));
}

QByteArray PCLinkProtocol::request(const QString &remotePath, const QString &localPath)
{
    return frame('R' + field(remotePath) + field(localPath));
}

QByteArray PCLinkProtocol::cannotSend()
{
    return frame(QByteArrayLiteral("FS"));
}

bool PCLinkProtocol::readLength(const QByteArray &bytes, int from, int to, qint64 &value)
{
    if (to <= from || to - from > 10)
        return false;
    value = 0;
    for (int i = from; i < to; ++i) {
        const char c = bytes.at(i);
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

PCLinkProtocol::FrameResult PCLinkProtocol::takeFrame(const QByteArray &buffer, int &pos,
                                                      QByteArray &payload)
{
    const int blank = buffer.indexOf(' ', pos);
    if (blank < 0) {
        // a length never runs longer than ten digits
        for (int i = pos; i < buffer.size(); ++i) {
            if (buffer.at(i) < '0' || buffer.at(i) > '9')
                return Malformed;
        }
        return buffer.size() - pos > 10 ? Malformed : NeedMore;
    }
    qint64 length = 0;
    if (!readLength(buffer, pos, blank, length) || length == 0 || length > maxPayload)
        return Malformed;
    if (buffer.size() - (blank + 1) < length)
        return NeedMore;
    payload = buffer.mid(blank + 1, int(length));
    pos = blank + 1 + int(length);
    return Frame;
}

bool PCLinkProtocol::readField(const QByteArray &payload, int &pos, QString &text, bool &plain)
{
    const int blank = payload.indexOf(' ', pos);
    qint64 length = 0;
    if (blank < 0 || !readLength(payload, pos, blank, length)
        || length > payload.size() - (blank + 1))
        return false;
    const QByteArray bytes = QByteArray::fromRawData(payload.constData() + blank + 1, int(length));
    text = QString::fromUtf8(bytes);
    // bytes that are not UTF-8 read as other text than they are
    plain = plain && isPlainName(text) && text.toUtf8() == bytes;
    pos = blank + 1 + int(length);
    return true;
}

bool PCLinkProtocol::isPlainName(const QString &text)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control || c == QLatin1Char('|'))
            return false;
    }
    return true;
}

bool PCLinkProtocol::parse(const QByteArray &payload, Message &message)
{
    if (payload.isEmpty())
        return false;
    int pos = 1;
    bool &plain = message.plain;
    plain = true;
    switch (payload.at(0)) {
    case 'I':
        message.kind = Announce;
        return readField(payload, pos, message.first, plain) && readField(payload, pos, message.sizeText, plain)
               && readField(payload, pos, message.second, plain) && pos == payload.size();
    case 'R':
        message.kind = Request;
        return readField(payload, pos, message.first, plain) && readField(payload, pos, message.second, plain)
               && pos == payload.size();
    case 'A':
        message.kind = Answer;
        message.ok = payload == "AOK";
        return message.ok || payload == "ACANCEL";
    case 'F':
        message.kind = CannotSend;
        return payload == "FS";
    default:
        return false;
    }
}

bool PCLinkProtocol::parseSize(const QString &text, int &size)
{
    const QByteArray bytes = text.toLatin1();
    qint64 value = 0;
    if (bytes.size() != text.size() || !readLength(bytes, 0, bytes.size(), value) || value > INT_MAX)
        return false;
    size = int(value);
    return true;
}
