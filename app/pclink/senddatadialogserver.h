#ifndef SENDDATADIALOGSERVER_H
#define SENDDATADIALOGSERVER_H

#include <QDialog>
#include <QPointer>

class DBManager;
class PCLink;
class PCLinkServer;
class QLabel;
class QProgressBar;
class YMRPushButton;

// The device side of the PC link: listens, serves one connection at a time
// and shows which file moves. Books it receives join the book index.
class SendDataDialogServer : public QDialog
{
    Q_OBJECT
public:
    SendDataDialogServer(DBManager *bookIndex, QWidget *parent = nullptr, const char *name = nullptr);
    ~SendDataDialogServer() override;

    PCLinkServer *server() const { return m_server; }
    PCLink *link() const;
    QString upperText() const;
    QString lowerText() const;
    QProgressBar *progressBar() const { return m_progress; }

public slots:
    void connected(int descriptor);
    // disconnect() of the old toolkit; QObject::disconnect keeps its name
    void linkClosed();
    void progress(int done, int total);
    void sendingFile(const QString &path);
    void sendingFileFinished();
    void receiveFile(const QString &path);
    void receiveFileFinished(const QString &path);
    void receiveFileFailed();

private:
    void registerBook(const QString &path);
    QStringList bookPaths() const;

    DBManager *m_bookIndex;
    PCLinkServer *m_server;
    QPointer<PCLink> m_link;
    QLabel *m_upper;
    QLabel *m_lower;
    QProgressBar *m_progress;
    QLabel *m_picture;
    YMRPushButton *m_close;
    // shown until the next connection: the link may end right after it
    QString m_failure;
    QString m_receiving;
};

#endif
