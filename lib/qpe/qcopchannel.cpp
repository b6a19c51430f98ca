#include "qcopchannel.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMultiHash>
#include <QPointer>

namespace {

const QEvent::Type QCopEventType = QEvent::Type(QEvent::User + 4000);

struct QCopEvent : QEvent
{
    QCopEvent(const QByteArray &c, const QByteArray &m, const QByteArray &d)
        : QEvent(QCopEventType), channel(c), msg(m), data(d) {}
    QByteArray channel, msg, data;
};

} // namespace

// Hidden dispatcher: each send posts one event to it, so deliveries keep
// send order and happen after the sender's current event.
class QCopBus : public QObject
{
public:
    static QCopBus *instance()
    {
        static QPointer<QCopBus> bus;
        if (!bus)
            bus = new QCopBus;
        return bus;
    }

    QMultiHash<QByteArray, QCopChannel *> channels;

protected:
    bool event(QEvent *e) override
    {
        if (e->type() != QCopEventType)
            return QObject::event(e);
        auto *ev = static_cast<QCopEvent *>(e);
        // copy: a receiver may open or close channels while we deliver
        QList<QPointer<QCopChannel>> targets;
        const auto list = channels.values(ev->channel);
        for (auto it = list.crbegin(); it != list.crend(); ++it)
            targets.append(*it);
        for (const QPointer<QCopChannel> &ch : targets) {
            if (ch)
                emit ch->received(ev->msg, ev->data);
        }
        return true;
    }
};

QCopChannel::QCopChannel(const QByteArray &channel, QObject *parent)
    : QObject(parent), m_channel(channel)
{
    QCopBus::instance()->channels.insert(m_channel, this);
}

QCopChannel::~QCopChannel()
{
    if (QCopBus *bus = QCopBus::instance())
        bus->channels.remove(m_channel, this);
}

bool QCopChannel::isRegistered(const QByteArray &channel)
{
    return QCopBus::instance()->channels.contains(channel);
}

void QCopChannel::send(const QByteArray &channel, const QByteArray &msg, const QByteArray &data)
{
    QCoreApplication::postEvent(QCopBus::instance(), new QCopEvent(channel, msg, data));
}
