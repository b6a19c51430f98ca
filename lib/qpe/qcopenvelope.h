#ifndef QCOPENVELOPE_H
#define QCOPENVELOPE_H

#include <QBuffer>
#include <QByteArray>
#include <QDataStream>

// A message under construction: stream the arguments into it; it is sent on
// its channel when it goes out of scope.
//     { QCopEnvelope e("QPE/Application/x", "setDocument(QString)"); e << path; }
class QCopEnvelope : public QDataStream
{
public:
    QCopEnvelope(const QByteArray &channel, const QByteArray &message);
    ~QCopEnvelope();

    QByteArray channel() const { return m_channel; }
    QByteArray message() const { return m_message; }

private:
    Q_DISABLE_COPY(QCopEnvelope)
    QByteArray m_channel;
    QByteArray m_message;
    QByteArray m_data;
    QBuffer m_buffer;
};

#endif
