#include "qcopenvelope.h"
#include "qcopchannel.h"
#include "qpeglobal.h"

QCopEnvelope::QCopEnvelope(const QByteArray &channel, const QByteArray &message)
    : m_channel(channel), m_message(message), m_buffer(&m_data)
{
    m_buffer.open(QIODevice::WriteOnly);
    setDevice(&m_buffer);
    setVersion(Qpe::StreamVersion);
}

QCopEnvelope::~QCopEnvelope()
{
    setDevice(nullptr);
    m_buffer.close();
    QCopChannel::send(m_channel, m_message, m_data);
}
