#ifndef PCLINKSERVER_H
#define PCLINKSERVER_H

#include <QTcpServer>

// The device side's listening socket (port 4240 on every interface). Each
// accepted connection is handed on by its descriptor.
class PCLinkServer : public QTcpServer
{
    Q_OBJECT
public:
    static const quint16 defaultPort = 4240;

    explicit PCLinkServer(QObject *parent = nullptr, quint16 port = defaultPort);

    // The port both sides use; tests pick another one (0: any free port).
    static quint16 port();
    static void setPort(quint16 port);

    // Closes an accepted connection that will not be served.
    static void refuse(qintptr descriptor);

signals:
    void connected(int descriptor);

protected:
    void incomingConnection(qintptr descriptor) override;
};

#endif
