#ifndef PCLINK_H
#define PCLINK_H

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include <functional>

class BookFile;
class QTcpSocket;

// One end of a PC-link connection: the message protocol and the file
// transfer over a TCP socket that the link owns. The side that accepted the
// connection (setSocket) answers: it serves and accepts only the category
// file, the data lists, its index export and its books. The side that
// connected (connectToHost) drives the transfers and accepts a file only in
// answer to its own request. One file moves at a time, and a transfer whose
// peer falls silent or nearly so ends the connection as a lost one would; so
// does a peer of the answering side that sends no whole message in time.
class PCLink : public QObject
{
    Q_OBJECT
public:
    enum State { Idle = 0, Sending = 1, Receiving = 2, Waiting = 3 };

    // A transfer must move stallBytes (or the rest of the file, when less
    // remains) in any stallTime() milliseconds; an answer, and on the
    // answering side every next message, must come within stallTime(). A
    // real link, even a slow wireless one, is far above that.
    static const int defaultStallTime = 30000;
    static constexpr qint64 stallBytes = 64 * 1024;
    static int stallTime();
    // For tests: a shorter watch; 0 brings back the default.
    static void setStallTime(int ms);
    // Room a received file leaves free on its file system.
    static const qint64 freeSpaceMargin = 8 * 1024 * 1024;

    // The machine as every link sees it: a steady clock in milliseconds and
    // the bytes free to the user in a folder. Tests put in their own; an
    // empty function brings back the real one.
    static void setClock(const std::function<qint64()> &clock);
    static void setFreeSpace(const std::function<qint64(const QString &folder)> &freeSpace);

    explicit PCLink(QObject *parent = nullptr, const char *name = nullptr);
    ~PCLink() override;

    void connectToHost(const QString &host, quint16 port);
    // Takes over an accepted connection; this end then answers only.
    bool setSocket(qintptr descriptor);
    void close();
    // Ends the connection at once: a file on its way is dropped, and
    // nothing that comes after it is read.
    void abort();
    bool isConnected() const;
    QTcpSocket *socket() const { return m_socket; }

    // One file at a time: either called while a file is announced, asked
    // for or moving ends the connection (the answers to come could not be
    // told apart); unconnected, the file fails at once.
    void sendFile(const QString &path, const QString &remotePath);
    void requestFile(const QString &remotePath, const QString &localPath);
    int transferState() const { return m_state; }
    // Why the last file received could not be stored, where more can be
    // said than that: a file that is no book (another copy holds its
    // folder, a full disk), a new book whose name the disk did not confirm.
    QString receiveFailure() const { return m_receiveFailure; }
    // Bytes read from the current connection so far.
    qint64 receivedBytes() const { return m_received; }

    // "[D]name" lies in the data directory, any other three-character
    // prefix ("[A]") in the application directory; absolute paths stay.
    QString resolvePath(const QString &path) const;
    // All three default to the program's own folders.
    void setDirectories(const QString &appDir, const QString &dataDir, const QString &documentsDir = QString());
    // Books the answering side serves on request, besides its fixed files.
    void setBookPaths(const QStringList &paths);

    // Whether the answering side serves or accepts a path as sent. A book,
    // absolute or "[A]", is accepted when the index holds it, or as a new
    // book (nothing at that name, not even a link) in a folder (its links
    // resolved) that holds an indexed book or is the program's or the
    // documents folder; a name the file system cannot hold is refused.
    bool mayServe(const QString &path) const;
    bool mayAccept(const QString &path) const;
    // A book's file name: ".exp" after at least one character, no folder,
    // a plain name (PCLinkProtocol::isPlainName).
    static bool isBookName(const QString &name);

signals:
    void progress(int done, int total);
    void sendingFile(const QString &path);
    void sendingFileFinished();
    void sendingFileFailed();
    void receiveFile(const QString &path);
    void receiveFileFinished(const QString &path);
    void receiveFileFailed();
    void connected();
    void connectionClosed();
    void error(int code);

public slots:
    void readyRead();
    void bytesWritten(qint64 written);
    // Ends a connection whose transfer moved too little in the last
    // stallTime(), or whose answer or (answering side) next message did not
    // come within it: runs every second while the answering side is
    // connected and while the other side waits or moves a file (tests call
    // it after moving the clock on).
    void checkProgress();

private slots:
    void socketDisconnected();
    void socketError();

private:
    enum Pending { NoPending, PendingAnnounce, PendingRequest };
    struct Sample
    {
        qint64 time;
        qint64 done;
    };

    void setState(int state);
    void attachSocket(bool answering);
    void sendAtOnce();
    void processInput();
    bool takeData();
    bool handleMessage(const QByteArray &payload);
    void handleAnnounce(const QString &destination, const QString &sizeText);
    void handleAnswer(bool ok);
    void serveRequest(const QString &path, const QString &remotePath);
    void finishReceive();
    qint64 receiveLimit(const QString &destination) const;
    bool readsBack(const QString &destination) const;
    bool storeReceived();
    bool openSent(const QString &path);
    void startWriteBack(bool all);
    void discardReceive();
    void releaseReceiveLock();
    bool writeBlock();
    void fillSendQueue();
    void abortSending();
    bool writeFrame(const QByteArray &frame);
    void protocolError();
    bool mayAcceptBook(const QString &path) const;
    bool takeBook(const QString &destination);
    bool placeBook();
    QString servedPath(const QString &path) const;
    QString categoryFilePath() const;
    void saveSharedCategories(const QString &path) const;

    QTcpSocket *m_socket = nullptr;
    bool m_answering = false;
    bool m_ended = false;
    int m_state = Idle;
    Pending m_pending = NoPending;
    QByteArray m_buffer;
    int m_bufferPos = 0;
    qint64 m_received = 0;

    // sending
    QFile m_file;
    QString m_sendPath;
    qint64 m_size = 0;
    qint64 m_queued = 0;
    qint64 m_done = 0;
    qint64 m_frameBacklog = 0;

    // receiving
    QFile m_temp;
    QString m_destination;
    // a book received holds its lock (and the stamp of the old one) from
    // the announce to its replacement
    BookFile *m_receiveLock = nullptr;
    bool m_newBook = false;
    QString m_requestedLocal;
    QString m_announcedSource;
    bool m_writeFailed = false;
    qint64 m_writtenBack = 0;
    QString m_receiveFailure;

    // the transfer's progress, sampled once a second
    QTimer m_watch;
    QVector<Sample> m_samples;

    QString m_appDir;
    QString m_dataDir;
    QString m_documentsDir;
    QSet<QString> m_books;
};

#endif
