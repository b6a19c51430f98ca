#include "pclinkserver.h"

#include <QDebug>
#include <QTcpSocket>

PCLinkServer::PCLinkServer(QObject *parent, quint16 port) : QTcpServer(parent)
{
    // Qt picks the listen backlog itself; each connection is handed on as it is accepted
    if (!listen(QHostAddress::Any, port))
        qDebug("Failed to bind to port %d", int(port));
}

static quint16 s_port = PCLinkServer::defaultPort;

quint16 PCLinkServer::port()
{
    return s_port;
}

void PCLinkServer::setPort(quint16 port)
{
    s_port = port;
}

void PCLinkServer::refuse(qintptr descriptor)
{
    QTcpSocket socket;
    if (socket.setSocketDescriptor(descriptor))
        socket.abort();
}

void PCLinkServer::incomingConnection(qintptr descriptor)
{
    emit connected(int(descriptor));
}
