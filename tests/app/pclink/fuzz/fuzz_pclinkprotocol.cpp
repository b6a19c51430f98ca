// Feeds arbitrary bytes to the PC link's frame and message reader, as one
// stream, and checks that what it accepts is what the writer would send.
#include "pclinkprotocol.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray buffer = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    int pos = 0;
    for (;;) {
        QByteArray payload;
        const int before = pos;
        const PCLinkProtocol::FrameResult r = PCLinkProtocol::takeFrame(buffer, pos, payload);
        if (r != PCLinkProtocol::Frame) {
            if (pos != before)
                abort();
            break;
        }
        if (pos <= before || pos > buffer.size() || payload.isEmpty()
            || payload.size() > PCLinkProtocol::maxPayload)
            abort();
        PCLinkProtocol::Message m;
        if (!PCLinkProtocol::parse(payload, m))
            continue;
        QByteArray again;
        switch (m.kind) {
        case PCLinkProtocol::Answer:
            again = PCLinkProtocol::answer(m.ok);
            break;
        case PCLinkProtocol::CannotSend:
            again = PCLinkProtocol::cannotSend();
            break;
        case PCLinkProtocol::Request:
            again = PCLinkProtocol::request(m.first, m.second);
            break;
        case PCLinkProtocol::Announce:
            again = PCLinkProtocol::frame('I' + PCLinkProtocol::field(m.first) + PCLinkProtocol::field(m.sizeText)
                                          + PCLinkProtocol::field(m.second));
            break;
        }
        int n = 0;
        if (m.kind == PCLinkProtocol::Announce && PCLinkProtocol::parseSize(m.sizeText, n) && n < 0)
            abort();
        // a message read as plain names no file with a NUL, a control
        // character or "|" in it
        if (m.plain
            && !(PCLinkProtocol::isPlainName(m.first) && PCLinkProtocol::isPlainName(m.second)
                 && PCLinkProtocol::isPlainName(m.sizeText)))
            abort();
        // what the writer makes of a message reads back as the same message
        int at = 0;
        QByteArray back;
        PCLinkProtocol::Message m2;
        if (again.size() - again.indexOf(' ') - 1 > PCLinkProtocol::maxPayload)
            continue;
        if (PCLinkProtocol::takeFrame(again, at, back) != PCLinkProtocol::Frame || at != again.size()
            || !PCLinkProtocol::parse(back, m2) || m2.kind != m.kind || m2.first != m.first
            || m2.second != m.second || m2.sizeText != m.sizeText || m2.ok != m.ok || (m.plain && !m2.plain))
            abort();
    }
    return 0;
}
