#ifndef QCOPCHANNEL_H
#define QCOPCHANNEL_H

#include <QByteArray>
#include <QObject>

// A named message channel inside this process. A message sent on a channel
// is delivered after the sender's current event, in send order, to every
// live channel of exactly that name (also inside nested event loops).
class QCopChannel : public QObject
{
    Q_OBJECT
public:
    explicit QCopChannel(const QByteArray &channel, QObject *parent = nullptr);
    ~QCopChannel() override;

    QByteArray channel() const { return m_channel; }

    static bool isRegistered(const QByteArray &channel);
    static void send(const QByteArray &channel, const QByteArray &msg,
                     const QByteArray &data = QByteArray());

signals:
    void received(const QByteArray &msg, const QByteArray &data);

private:
    friend class QCopBus;
    QByteArray m_channel;
};

#endif
