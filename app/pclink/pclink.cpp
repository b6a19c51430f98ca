#include "pclink.h"
#include "pclinkprotocol.h"

#include "pim/bookfile.h"
#include "pim/categorymanager.h"
#include "pim/dbmanager.h"
#include "pim/movejournal.h"
#include "pim/pimtextreader.h"
#include "pim/taskmanager.h"
#include "pim/ymrpim.h"
#include "qpe/boundedfile.h"
#include "qpe/filereplacer.h"
#include "qpe/folderlock.h"
#include "qpe/global.h"
#include "qpe/qpeglobal.h"
#include "qpe/sharedfile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>
#include <QStorageInfo>
#include <QTcpSocket>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QLatin1String dataPrefix("[D]");
const QLatin1String appPrefix("[A]");
const QLatin1String categoryFile("ymrCategory");
const QLatin1String exportIndexFile("ymrOutlaysIDX_EXT");
const QLatin1String bookSuffix(".exp");
// Enough for a few blocks between two reads; the kernel holds the rest.
const qint64 readBufferSize = 1024 * 1024;
const qint64 sendQueueLimit = 4 * PCLinkProtocol::blockSize;
const int watchInterval = 1000;

int s_stallTime = PCLink::defaultStallTime;
std::function<qint64()> s_clock;
std::function<qint64(const QString &)> s_freeSpace;

qint64 now()
{
    if (s_clock)
        return s_clock();
    static QElapsedTimer steady;
    if (!steady.isValid())
        steady.start();
    return steady.elapsed();
}

qint64 freeSpace(const QString &folder)
{
    return s_freeSpace ? s_freeSpace(folder) : QStorageInfo(folder).bytesAvailable();
}

QString canonicalFolder(const QString &path)
{
    return QDir(QFileInfo(path).absolutePath()).canonicalPath();
}

bool isListName(const QString &name)
{
    static const QStringList fixed = {
        QStringLiteral("accounts"),   QStringLiteral("cities"),         QStringLiteral("types"),
        QStringLiteral("dateFormat"), QStringLiteral("timeFormat"),     QStringLiteral("dateTimeFormat"),
        QStringLiteral("numberformat"),
    };
    static const QRegularExpression currencies(QStringLiteral("^currencies_[a-z]{1,8}$"));
    return fixed.contains(name) || currencies.match(name).hasMatch();
}

// An absolute book path without "." or ".." steps and without empty steps.
bool isPlainAbsoluteBook(const QString &path)
{
    if (!path.startsWith(QLatin1Char('/')) || !path.endsWith(bookSuffix))
        return false;
    const QStringList steps = path.mid(1).split(QLatin1Char('/'));
    for (const QString &step : steps) {
        if (step.isEmpty() || step == QLatin1String(".") || step == QLatin1String(".."))
            return false;
    }
    return PCLink::isBookName(steps.last());
}

// Whether the file system can hold a file of that name at all: a longer
// one would be accepted, then fail at its very end.
bool fitsFileSystem(const QString &path)
{
    const QByteArray encoded = QFile::encodeName(path);
    if (encoded.size() >= PATH_MAX)
        return false;
    for (const QByteArray &step : encoded.split('/')) {
        if (step.size() > NAME_MAX)
            return false;
    }
    return true;
}

// Nothing at all at that name, not even a link that leads nowhere.
bool isFreeName(const QString &path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) != 0 && errno == ENOENT;
}

// A record file a peer sends or gets whole (the category file, the book
// list the device exports): its bytes as one entry, when its kind's own
// check takes all of them, within the budget and record limit of the
// store that reads such a file.
class RecordFileKind : public SharedFile::Kind
{
public:
    RecordFileKind(const QString &what, const std::shared_ptr<const SharedFile::Reader> &check)
        : m_what(what), m_check(check)
    {
    }
    QString what() const override { return m_what; }
    qint64 maxSize() const override { return m_check->maxSize(); }
    qint64 maxEntries() const override { return m_check->maxEntries(); }
    bool read(const QByteArray &bytes, KeyedMerge::Entries &entries, LoadBudget &budget) const override
    {
        if (!m_check->read(bytes, entries, budget))
            return false;
        entries = {{QByteArray(), bytes}};
        return true;
    }
    QByteArray write(const KeyedMerge::Entries &entries) const override { return entries.value(0).value; }

private:
    QString m_what;
    std::shared_ptr<const SharedFile::Reader> m_check;
};

// How the owner of a file that is no book reads and writes it, by its name.
SharedFile::KindPtr ownedKind(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    if (name == categoryFile)
        return std::make_shared<RecordFileKind>(PCLink::tr("the category file"), CategoryManager::fileCheck());
    if (name == exportIndexFile)
        return std::make_shared<RecordFileKind>(PCLink::tr("the device's book list"), DBManager::deviceListCheck());
    return YMRPIM::listKind(name);
}

// A file of this process's own in memory, holding bytes, open in file from
// its start: where a file that is no book is kept between its owner and
// the peer, so that nothing at its name is opened meanwhile.
bool openMemoryFile(QFile &file, const QByteArray &bytes = QByteArray())
{
    const int fd = ::memfd_create("ymr-pclink", MFD_CLOEXEC);
    if (fd < 0)
        return false;
    if (!FileReplacer::writeWhole(fd, bytes.constData(), bytes.size()) || ::lseek(fd, 0, SEEK_SET) != 0
        || !file.open(fd, QIODevice::ReadWrite, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

// The first size bytes of file, read without moving it.
bool readStart(const QFile &file, qint64 size, QByteArray &bytes)
{
    bytes.resize(int(size));
    for (qint64 at = 0; at < size;) {
        const ssize_t n = ::pread(file.handle(), bytes.data() + at, size_t(size - at), at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        at += n;
    }
    return true;
}

} // namespace

int PCLink::stallTime()
{
    return s_stallTime;
}

void PCLink::setStallTime(int ms)
{
    s_stallTime = ms > 0 ? ms : defaultStallTime;
}

void PCLink::setClock(const std::function<qint64()> &clock)
{
    s_clock = clock;
}

void PCLink::setFreeSpace(const std::function<qint64(const QString &)> &space)
{
    s_freeSpace = space;
}

bool PCLink::isBookName(const QString &name)
{
    return name.size() > bookSuffix.size() && name.endsWith(bookSuffix) && !name.contains(QLatin1Char('/'))
           && PCLinkProtocol::isPlainName(name);
}

PCLink::PCLink(QObject *parent, const char *name)
    : QObject(parent), m_socket(new QTcpSocket(this))
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    m_socket->setReadBufferSize(readBufferSize);
    connect(m_socket, &QTcpSocket::readyRead, this, &PCLink::readyRead);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &PCLink::bytesWritten);
    connect(m_socket, &QTcpSocket::connected, this, &PCLink::sendAtOnce);
    connect(m_socket, &QTcpSocket::connected, this, &PCLink::connected);
    connect(m_socket, &QTcpSocket::disconnected, this, &PCLink::socketDisconnected);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &PCLink::socketError);
    connect(&m_watch, &QTimer::timeout, this, &PCLink::checkProgress);
}

PCLink::~PCLink()
{
    // closing the socket would report through signals into a half-destroyed link
    m_socket->disconnect(this);
    discardReceive();
    m_file.close();
    if (m_socket->state() == QAbstractSocket::ConnectedState)
        m_socket->flush();
    m_socket->abort();
}

void PCLink::setState(int state)
{
    m_state = state;
    // a new step: its progress, or the peer's next message, counts from here
    m_samples = {{now(), m_done}};
    // the connecting side drives: between two files its peer owes it nothing
    if (state == Idle && !m_answering) {
        m_watch.stop();
        return;
    }
    m_watch.setInterval(qBound(1, stallTime() / 10, watchInterval));
    m_watch.start();
}

void PCLink::checkProgress()
{
    if ((m_state == Idle && !m_answering) || !isConnected())
        return;
    const qint64 t = now();
    m_samples.append({t, m_done});
    // the last sample a whole window old is where the window starts
    while (m_samples.size() > 1 && t - m_samples.at(1).time >= stallTime())
        m_samples.removeFirst();
    const Sample &from = m_samples.first();
    if (t - from.time < stallTime())
        return;
    if ((m_state == Sending || m_state == Receiving)
        && m_done - from.done >= qMin(stallBytes, m_size - from.done))
        return;
    // as if the line had gone: the old file stays and the state tells the dialogs
    m_socket->abort();
}

void PCLink::attachSocket(bool answering)
{
    discardReceive();
    m_file.close();
    m_answering = answering;
    m_watch.stop();
    m_state = Idle;
    m_pending = NoPending;
    m_buffer.clear();
    m_bufferPos = 0;
    m_received = 0;
    m_ended = false;
}

void PCLink::connectToHost(const QString &host, quint16 port)
{
    m_socket->abort();
    attachSocket(false);
    m_socket->connectToHost(host, port);
}

bool PCLink::setSocket(qintptr descriptor)
{
    m_socket->abort();
    attachSocket(true);
    if (!m_socket->setSocketDescriptor(descriptor))
        return false;
    sendAtOnce();
    // a peer that never says a thing does not hold the device either
    setState(Idle);
    return true;
}

void PCLink::sendAtOnce()
{
    // Without this a short last piece of a file, or a short message, waits
    // for the peer's delayed acknowledgement: some 40 ms for every file.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
}

void PCLink::close()
{
    m_socket->disconnectFromHost();
}

bool PCLink::isConnected() const
{
    return m_socket->state() == QAbstractSocket::ConnectedState;
}

void PCLink::setDirectories(const QString &appDir, const QString &dataDir, const QString &documentsDir)
{
    m_appDir = appDir;
    m_dataDir = dataDir;
    m_documentsDir = documentsDir;
}

void PCLink::setBookPaths(const QStringList &paths)
{
    m_books.clear();
    for (const QString &p : paths)
        m_books.insert(QDir::cleanPath(p));
}

QString PCLink::resolvePath(const QString &path) const
{
    if (path.startsWith(QLatin1Char('/')))
        return path;
    const QString rest = path.mid(3);
    const QString app = YMRPIM::applicationName();
    if (path.startsWith(dataPrefix)) {
        return m_dataDir.isEmpty() ? Global::applicationFileName(app + QStringLiteral("Data"), rest)
                                   : m_dataDir + QLatin1Char('/') + rest;
    }
    return m_appDir.isEmpty() ? Global::applicationFileName(app, rest) : m_appDir + QLatin1Char('/') + rest;
}

QString PCLink::servedPath(const QString &path) const
{
    if (!PCLinkProtocol::isPlainName(path))
        return QString();
    if (path == appPrefix + categoryFile || path == appPrefix + exportIndexFile)
        return resolvePath(path);
    if (path.startsWith(dataPrefix)) {
        const QString name = path.mid(3);
        // read through its owner, the installed one when the user has none (openSent())
        return isListName(name) ? resolvePath(path) : QString();
    }
    QString resolved;
    if (path.startsWith(appPrefix) && isBookName(path.mid(3)))
        resolved = resolvePath(path);
    else if (isPlainAbsoluteBook(path))
        resolved = path;
    return m_books.contains(QDir::cleanPath(resolved)) ? resolved : QString();
}

bool PCLink::mayServe(const QString &path) const
{
    return !servedPath(path).isEmpty();
}

bool PCLink::mayAccept(const QString &path) const
{
    if (!PCLinkProtocol::isPlainName(path))
        return false;
    if (path == appPrefix + categoryFile)
        return true;
    if (path.startsWith(dataPrefix))
        return isListName(path.mid(3));
    if (path.startsWith(appPrefix))
        return isBookName(path.mid(3)) && mayAcceptBook(QDir::cleanPath(resolvePath(path)));
    return isPlainAbsoluteBook(path) && mayAcceptBook(path);
}

bool PCLink::mayAcceptBook(const QString &path) const
{
    if (!fitsFileSystem(path))
        return false;
    if (m_books.contains(path))
        return true;
    // a new book only: nothing, not even a dangling link, at that name
    if (!isFreeName(path))
        return false;
    const QString folder = canonicalFolder(path);
    if (folder.isEmpty())
        return false;
    const QString documents =
        m_documentsDir.isEmpty() ? Qpe::userRoot() + QStringLiteral("/Documents") : m_documentsDir;
    if (folder == QDir(documents).canonicalPath() || folder == canonicalFolder(resolvePath(appPrefix + bookSuffix)))
        return true;
    for (const QString &book : m_books) {
        if (canonicalFolder(book) == folder)
            return true;
    }
    return false;
}

QString PCLink::categoryFilePath() const
{
    // only the program's own directories hold the shared category store's file
    if (!m_appDir.isEmpty())
        return QString();
    return Global::applicationFileName(YMRPIM::applicationName(), categoryFile);
}

void PCLink::saveSharedCategories(const QString &path) const
{
    // the file must hold what the shared store shows before it is served or replaced
    if (!path.isEmpty() && path == categoryFilePath())
        TaskManager::sharedCategoryManager()->save();
}

bool PCLink::writeFrame(const QByteArray &frame)
{
    if (m_socket->write(frame) == frame.size())
        return true;
    protocolError();
    return false;
}

void PCLink::protocolError()
{
    abort();
}

void PCLink::abort()
{
    discardReceive();
    m_file.close();
    m_socket->abort();
}

void PCLink::sendFile(const QString &path, const QString &remotePath)
{
    if (!isConnected()) {
        emit sendingFileFailed();
        return;
    }
    if (m_state != Idle) {
        protocolError();
        return;
    }
    const QString resolved = resolvePath(path);
    saveSharedCategories(resolved);
    m_file.close();
    // kept open until the answer, so that nothing can take its place meanwhile
    if (!openSent(resolved)) {
        if (writeFrame(PCLinkProtocol::cannotSend()))
            emit sendingFileFailed();
        return;
    }
    m_sendPath = resolved;
    m_size = m_file.size();
    setState(Waiting);
    m_pending = PendingAnnounce;
    writeFrame(PCLinkProtocol::announce(resolved, m_size, remotePath));
}

bool PCLink::openSent(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    // a book, or a list the user never edited: a regular file only (a FIFO
    // would block the program)
    if (name.endsWith(bookSuffix) || path == YMRPIM::defaultListPath(name))
        return BoundedFile::open(m_file, path, INT_MAX) == BoundedFile::Ok;
    // any other as its owner holds it (a list with the change this copy
    // shows): a link or an empty file at its name is set aside, never sent
    const SharedFile::KindPtr kind = ownedKind(path);
    const bool list = name != categoryFile && name != exportIndexFile;
    SharedFile *file = SharedFile::at(path);
    KeyedMerge::Entries entries;
    const SharedFile::Result r = list ? file->view(*kind, entries) : file->read(*kind, entries);
    if (r == SharedFile::Done)
        return openMemoryFile(m_file, kind->write(entries));
    // no list of the user's (any more): the installed one
    return list && (r == SharedFile::Missing || r == SharedFile::SetAside)
           && BoundedFile::open(m_file, YMRPIM::defaultListPath(name), INT_MAX) == BoundedFile::Ok;
}

void PCLink::requestFile(const QString &remotePath, const QString &localPath)
{
    if (!isConnected()) {
        emit receiveFileFailed();
        return;
    }
    if (m_state != Idle) {
        protocolError();
        return;
    }
    m_requestedLocal = localPath;
    setState(Waiting);
    m_pending = PendingRequest;
    writeFrame(PCLinkProtocol::request(remotePath, localPath));
}

void PCLink::serveRequest(const QString &path, const QString &remotePath)
{
    const QString served = servedPath(path);
    if (served.isEmpty()) {
        if (writeFrame(PCLinkProtocol::cannotSend()))
            emit sendingFileFailed();
        return;
    }
    // served is already resolved: absolute paths go through unchanged
    sendFile(served, remotePath);
}

void PCLink::readyRead()
{
    const QByteArray bytes = m_socket->readAll();
    m_received += bytes.size();
    if (m_bufferPos == m_buffer.size()) {
        m_buffer = bytes;
        m_bufferPos = 0;
    } else {
        m_buffer += bytes;
    }
    processInput();
}

void PCLink::processInput()
{
    QPointer<PCLink> self(this);
    while (self && m_socket->state() == QAbstractSocket::ConnectedState) {
        if (m_state == Receiving) {
            if (m_bufferPos == m_buffer.size() || !takeData())
                break;
            continue;
        }
        QByteArray payload;
        int pos = m_bufferPos;
        const PCLinkProtocol::FrameResult r = PCLinkProtocol::takeFrame(m_buffer, pos, payload);
        if (r == PCLinkProtocol::NeedMore)
            break;
        if (r == PCLinkProtocol::Malformed) {
            protocolError();
            return;
        }
        m_bufferPos = pos;
        if (!handleMessage(payload))
            return;
        // a whole message: the next one has its own time
        if (m_state == Idle && m_answering)
            setState(Idle);
    }
    if (!self)
        return;
    if (m_bufferPos == m_buffer.size()) {
        m_buffer.clear();
        m_bufferPos = 0;
    } else if (m_bufferPos > 0) {
        m_buffer.remove(0, m_bufferPos);
        m_bufferPos = 0;
    }
}

bool PCLink::takeData()
{
    const qint64 take = qMin<qint64>(m_buffer.size() - m_bufferPos, m_size - m_done);
    // a failed write still reads the announced bytes, so the stream stays in
    // step; the answering side ends the connection instead (finishReceive())
    if (!m_writeFailed && m_temp.write(m_buffer.constData() + m_bufferPos, take) != take) {
        m_writeFailed = true;
        if (m_answering) {
            finishReceive();
            return false;
        }
    }
    startWriteBack(false);
    m_bufferPos += int(take);
    m_done += take;
    QPointer<PCLink> self(this);
    emit progress(int(m_done), int(m_size));
    if (!self)
        return false;
    if (m_done == m_size && m_state == Receiving)
        finishReceive();
    return self;
}

bool PCLink::handleMessage(const QByteArray &payload)
{
    PCLinkProtocol::Message m;
    if (!PCLinkProtocol::parse(payload, m)) {
        protocolError();
        return false;
    }
    QPointer<PCLink> self(this);
    switch (m.kind) {
    case PCLinkProtocol::Request:
        if (!m_answering || m_state != Idle) {
            protocolError();
            return false;
        }
        serveRequest(m.plain ? m.first : QString(), m.second);
        break;
    case PCLinkProtocol::Announce:
        m_announcedSource = m.first;
        if (m_answering && m_state == Idle) {
            if (!m.plain || !mayAccept(m.second))
                handleAnnounce(QString(), m.sizeText);
            else
                handleAnnounce(resolvePath(m.second), m.sizeText);
        } else if (!m_answering && m_state == Waiting && m_pending == PendingRequest
                   && m.second == m_requestedLocal) {
            // An answer names the destination of its request back: one that
            // names another answers an earlier request, and is out of step.
            // Stored where this side asked, whatever the source; a request
            // for nothing takes nothing.
            handleAnnounce(m.plain && !m_requestedLocal.isEmpty() ? resolvePath(m_requestedLocal) : QString(),
                           m.sizeText);
        } else {
            protocolError();
            return false;
        }
        break;
    case PCLinkProtocol::Answer:
        if (m_state != Waiting || m_pending != PendingAnnounce) {
            protocolError();
            return false;
        }
        handleAnswer(m.ok);
        break;
    case PCLinkProtocol::CannotSend:
        // The answer to this side's request, or (answering side, between
        // files) a sender's word that its file will not come. The side that
        // asks takes nothing it did not ask for: counted as the answer to
        // the next request, it would shift every later answer onto the
        // wrong file.
        if (m_state == Waiting && m_pending == PendingRequest) {
            setState(Idle);
            m_pending = NoPending;
        } else if (m_state != Idle || !m_answering) {
            protocolError();
            return false;
        }
        emit receiveFileFailed();
        break;
    }
    return self && m_socket->state() == QAbstractSocket::ConnectedState;
}

void PCLink::handleAnnounce(const QString &destination, const QString &sizeText)
{
    int size = 0;
    bool ok = !destination.isEmpty() && PCLinkProtocol::parseSize(sizeText, size)
              && size <= receiveLimit(destination);
    const bool isBook = ok && isBookName(QFileInfo(destination).fileName());
    if (isBook)
        ok = takeBook(destination);
    // a book that replaces one is copied once more by its save
    const qint64 room = isBook && !m_newBook ? 2 * qint64(size) : size;
    // a file that is no book lands at its name, never where a link there leads
    const QString lands = isBook ? YMRPIM::replacedFile(destination) : destination;
    ok = ok && room <= freeSpace(QFileInfo(lands).absolutePath()) - freeSpaceMargin;
    m_receiveFailure.clear();
    if (ok) {
        saveSharedCategories(destination);
        // a book arrives beside itself; any other file in memory, until its
        // owner takes it whole
        ok = isBook ? YMRPIM::openNewFile(m_temp, destination) : openMemoryFile(m_temp);
    }
    if (!ok)
        releaseReceiveLock();
    m_pending = NoPending;
    if (!ok) {
        setState(Idle);
        if (writeFrame(PCLinkProtocol::answer(false)))
            emit receiveFileFailed();
        return;
    }
    m_destination = destination;
    m_size = size;
    m_done = 0;
    m_writtenBack = 0;
    m_writeFailed = false;
    if (!writeFrame(PCLinkProtocol::answer(true)))
        return;
    setState(Receiving);
    QPointer<PCLink> self(this);
    emit receiveFile(destination);
    if (self && m_state == Receiving && m_size == 0)
        finishReceive();
}

bool PCLink::takeBook(const QString &destination)
{
    // a book another copy of the program (or a store here) has open is
    // refused like any refused path; one taken is held until it is replaced
    m_receiveLock = new BookFile(destination, this);
    if (m_receiveLock->lock() == BookFile::HeldElsewhere)
        return false;
    // the old book's stamp: one changed meanwhile is not replaced
    QFile old;
    const int opened = m_receiveLock->open(old, TaskManager::maxBookSize());
    m_newBook = opened == BoundedFile::Missing && isFreeName(destination);
    return opened == BoundedFile::Ok || m_newBook;
}

bool PCLink::placeBook()
{
    const QString received = FileReplacer::newFileName(m_temp);
    if (m_newBook) {
        // a new name never replaces what took it meanwhile, and stays only
        // once the disk has it: a receive told as failed leaves nothing there
        if (!FileReplacer::sync(m_temp))
            return false;
        FolderLock guard(FolderLock::folderOf(m_destination));
        if (!guard.isLocked() || !FileReplacer::renameNoReplace(received, m_destination))
            return false;
        const bool kept = FileReplacer::keepNewName(m_destination, m_temp.handle());
        m_temp.close();
        if (!kept)
            m_receiveFailure = FileReplacer::failureText(FileReplacer::NotDurable, FileReplacer::lastError());
        return kept;
    }
    // what a damaged old book holds is kept before anything replaces it
    if (!TaskManager::readsWhole(m_destination)) {
        QByteArray old;
        if (BoundedFile::readAll(m_destination, TaskManager::maxBookSize(), old) != BoundedFile::Ok)
            return false;
        m_receiveLock->keepDamaged(old);
    }
    QFile in;
    if (BoundedFile::open(in, received, TaskManager::maxBookSize()) != BoundedFile::Ok)
        return false;
    const auto copy = [&in](QIODevice *out) {
        QByteArray block(PCLinkProtocol::blockSize, Qt::Uninitialized);
        for (;;) {
            const qint64 got = in.read(block.data(), block.size());
            if (got <= 0)
                return got == 0;
            if (out->write(block.constData(), got) != got)
                return false;
        }
    };
    return m_receiveLock->save(copy, TaskManager::maxBookSize(), PIMTextReader::maxLineLength());
}

void PCLink::startWriteBack(bool all)
{
#ifdef __linux__
    // the file is synced before it replaces the old one: start writing it
    // out while the rest still arrives, so that the sync has little left
    // (a book that replaces one is copied by its save, and this file goes)
    const qint64 step = 1024 * 1024;
    if (m_writeFailed || (m_receiveLock && !m_newBook) || (!all && m_done - m_writtenBack < step)
        || !m_temp.flush())
        return;
    ::sync_file_range(m_temp.handle(), m_writtenBack, m_done - m_writtenBack, SYNC_FILE_RANGE_WRITE);
    m_writtenBack = m_done;
#else
    Q_UNUSED(all);
#endif
}

qint64 PCLink::receiveLimit(const QString &destination) const
{
    // the limit of the reader of that kind of file
    const QString name = QFileInfo(destination).fileName();
    if (name.endsWith(bookSuffix))
        return TaskManager::maxBookSize();
    if (name == categoryFile)
        return CategoryManager::maxFileSize();
    if (name == exportIndexFile)
        return DBManager::maxFileSize();
    return YMRPIM::maxListSize();
}

bool PCLink::readsBack(const QString &destination) const
{
    const QString name = QFileInfo(destination).fileName();
    // a book as the program itself opens it: whole, with its header, not
    // damaged, within every limit of its reader
    if (name.endsWith(bookSuffix))
        return TaskManager::readsWhole(FileReplacer::newFileName(m_temp));
    // any other as its owner reads it
    QByteArray bytes;
    KeyedMerge::Entries entries;
    return readStart(m_temp, m_size, bytes) && SharedFile::readsAs(*ownedKind(destination), bytes, entries);
}

bool PCLink::storeReceived()
{
    SharedFile *file = SharedFile::at(m_destination);
    QByteArray bytes;
    if (!readStart(m_temp, m_size, bytes)) {
        m_receiveFailure = FileReplacer::failureText(FileReplacer::OtherFailure, errno);
        return false;
    }
    if (file->writeReceived(*ownedKind(m_destination), bytes) == SharedFile::Done)
        return true;
    m_receiveFailure = file->failure();
    return false;
}

void PCLink::finishReceive()
{
    // what this side cannot read never replaces what it has
    const bool written = !m_writeFailed && m_temp.flush();
    const bool readable = written && readsBack(m_destination);
    bool ok;
    // a new book and the book list naming it are one change: a kill
    // between the two is finished by the next start
    MoveJournal arrival;
    if (m_receiveLock) {
        // a book through its owner: its lock, its stamp, its kept copies
        ok = written && readable;
        if (ok && m_newBook && !arrival.begin(MoveJournal::Arrival, m_destination, m_destination, {})) {
            m_receiveFailure = arrival.failure();
            ok = false;
        }
        ok = ok && placeBook();
        if (!ok)
            arrival.end();
        discardReceive();
    } else {
        // through its owner, under its folder's lock: a link at the name is
        // set aside, never written through
        ok = readable && storeReceived();
        m_temp.close();
    }
    releaseReceiveLock();
    setState(Idle);
    m_pending = NoPending;
    if (!ok) {
        QPointer<PCLink> self(this);
        emit receiveFileFailed();
        // The peer learns of it only by the end of the connection: a sender
        // counts its file taken once this side answers again, so a file this
        // side could not write, read back or put in place ends it.
        if (self && (m_answering || (written && !readable)))
            m_socket->abort();
        return;
    }
    if (m_destination == categoryFilePath())
        TaskManager::sharedCategoryManager()->loadOrDefault();
    // a book's reminders ring from now on, as when it is opened
    if (isBookName(QFileInfo(m_destination).fileName()))
        TaskManager::listRemindersOf(m_destination);
    // the book list takes it as this is told
    emit receiveFileFinished(m_destination);
    arrival.end();
}

void PCLink::discardReceive()
{
    if (m_temp.isOpen())
        YMRPIM::commitNewFile(m_temp, false);
    releaseReceiveLock();
}

void PCLink::releaseReceiveLock()
{
    delete m_receiveLock;
    m_receiveLock = nullptr;
    m_newBook = false;
}

void PCLink::handleAnswer(bool ok)
{
    m_pending = NoPending;
    if (!ok) {
        m_file.close();
        setState(Idle);
        emit sendingFileFailed();
        return;
    }
    if (!m_file.isOpen()) {
        abortSending();
        return;
    }
    m_queued = 0;
    m_done = 0;
    // frames still queued ahead of the data are not file bytes
    m_frameBacklog = m_socket->bytesToWrite();
    setState(Sending);
    QPointer<PCLink> self(this);
    emit sendingFile(m_sendPath);
    if (!self || m_state != Sending)
        return;
    if (m_size == 0) {
        m_file.close();
        setState(Idle);
        emit sendingFileFinished();
        return;
    }
    fillSendQueue();
}

void PCLink::fillSendQueue()
{
    // a few blocks queued keep the socket busy between two reports; the
    // queue, not the file, bounds the memory
    while (m_state == Sending && m_queued < m_size && m_socket->bytesToWrite() < sendQueueLimit) {
        if (!writeBlock())
            return;
    }
}

bool PCLink::writeBlock()
{
    const qint64 n = qMin<qint64>(PCLinkProtocol::blockSize, m_size - m_queued);
    const QByteArray block = m_file.read(n);
    // exactly the announced bytes, or the receiver would wait or misread
    if (block.size() != n || m_socket->write(block) != n) {
        abortSending();
        return false;
    }
    m_queued += n;
    return true;
}

void PCLink::abortSending()
{
    m_file.close();
    setState(Idle);
    m_pending = NoPending;
    QPointer<PCLink> self(this);
    emit sendingFileFailed();
    if (self)
        m_socket->abort();
}

void PCLink::bytesWritten(qint64 written)
{
    if (m_state != Sending)
        return;
    const qint64 skip = qMin(written, m_frameBacklog);
    m_frameBacklog -= skip;
    m_done = qMin(m_done + written - skip, m_queued);
    QPointer<PCLink> self(this);
    emit progress(int(m_done), int(m_size));
    if (!self || m_state != Sending)
        return;
    if (m_done >= m_size) {
        m_file.close();
        setState(Idle);
        emit sendingFileFinished();
        return;
    }
    fillSendQueue();
}

void PCLink::socketDisconnected()
{
    // a transfer cut short keeps the old file; the state tells the dialogs
    m_watch.stop();
    discardReceive();
    m_file.close();
    if (m_ended)
        return;
    m_ended = true;
    emit connectionClosed();
}

void PCLink::socketError()
{
    // Qt reports the peer's close as an error just before disconnected()
    if (m_socket->error() == QAbstractSocket::RemoteHostClosedError || m_ended)
        return;
    m_ended = true;
    emit error(int(m_socket->error()));
}
