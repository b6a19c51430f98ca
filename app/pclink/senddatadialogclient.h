#ifndef SENDDATADIALOGCLIENT_H
#define SENDDATADIALOGCLIENT_H

#include <QDialog>
#include <QStringList>

class PCLink;
class QLabel;
class QProgressBar;
class YMRPushButton;

// One run of the connecting side: connects to the device and moves a list
// of (source, destination) pairs one after the other, all sent or all
// requested, one request out at a time. exec() gives 1 when every pair was
// handled. A file sent counts as sent once the device answers again (it
// drops the connection on a file it cannot read): the next file's
// announce, or, after the last one, a request for nothing, which every
// device refuses. A run that ends before (the connection lost or ended for
// a message nobody asked for, the end of a file nobody asked for, Close, a
// receiver's stop) reports every pair not through as failed, and nothing
// the device sends after is taken.
class SendDataDialogClient : public QDialog
{
    Q_OBJECT
public:
    SendDataDialogClient(const QString &host, bool send, const QStringList &files, QWidget *parent = nullptr,
                         const char *name = nullptr);
    ~SendDataDialogClient() override;

    PCLink *link() const { return m_link; }
    QString statusText() const;
    QString fileText() const;

    void done(int result) override;

signals:
    // The source of the pair; a receiver that sets the flag ends the run.
    // The flag comes set for the pairs of a run that has ended already
    // (never tried, or cut short), which the run's end has told of.
    void sendFileFailed(const QString &source, bool &stop);
    void getFileFailed(const QString &source, bool &stop);
    void sendFileSuccess(const QString &source);
    void getFileSuccess(const QString &source);

public slots:
    void socketConnectionClosed();
    void socketError(int code);
    void start();
    void progress(int done, int total);
    void sendingFile(const QString &path);
    void sendingFileFinished();
    void receiveFile(const QString &path);
    void receiveFileFinished(const QString &path);
    void sendingFileFailed();
    void receiveFileFailed();
    void connecting();

private slots:
    void nextFile();

private:
    void fileEnded(bool ok);
    // the run ended before it was through: said once, every pair left failed
    void cutShort();
    void endRun();
    void resetProgress();
    void confirmSent();

    PCLink *m_link;
    bool m_send;
    QStringList m_files;
    QString m_host;
    bool m_finished = false;
    bool m_completed = false;
    // a request (or a file announced) whose answer has not come yet
    bool m_requestOut = false;
    // the file sent last, until the device answers again
    QString m_unconfirmed;
    bool m_probing = false;
    QLabel *m_status;
    QLabel *m_file;
    QProgressBar *m_progress;
    YMRPushButton *m_close;
};

#endif
