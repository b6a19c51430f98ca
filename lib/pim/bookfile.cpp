#include "bookfile.h"

#include "qpe/boundedfile.h"
#include "qpe/filereplacer.h"
#include "qpe/folderlock.h"
#include "qpe/lockfile.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QMutex>
#include <QPair>
#include <QSet>
#include <QTimer>

#include <cerrno>
#include <climits>
#include <limits>
#include <cstring>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

// The longest name a folder entry may have on the file systems in use.
const int MaxNameBytes = NAME_MAX;
// Each part of a holder's text shown at most this long.
const int MaxHolderPart = 40;
const int DefaultRetakeMs = 2000;
int s_retakeMs = DefaultRetakeMs;
void (*s_commitHook)(const QString &) = nullptr;

// The lock files this process holds, by device and inode: a lock of this
// process is nobody else's.
QMutex s_heldMutex;
QSet<QPair<quint64, quint64>> &heldHere()
{
    static QSet<QPair<quint64, quint64>> held;
    return held;
}

QPair<quint64, quint64> keyOf(const struct stat &st)
{
    return qMakePair(quint64(st.st_dev), quint64(st.st_ino));
}

QString errorText(int error)
{
    return FileReplacer::failureText(FileReplacer::failureOf(error), error);
}

// The file's lock is held, its name lock is not: a hard link's other name.
QString otherNameHolder()
{
    return BookFile::tr("another copy of the program, under another name of this file");
}

// A size as the user reads it.
QString sizeText(qint64 bytes)
{
    const qint64 MiB = 1024 * 1024;
    if (bytes >= MiB && bytes % MiB == 0)
        return BookFile::tr("%1 MiB").arg(bytes / MiB);
    return BookFile::tr("%1 bytes").arg(bytes);
}

// One part of a stranger's text: printable, on one line, short.
QString printablePart(const QByteArray &bytes)
{
    QString text;
    for (const QChar c : QString::fromUtf8(bytes.left(4 * MaxHolderPart))) {
        if (c.isPrint() && !c.isSurrogate())
            text += c;
    }
    text = text.trimmed();
    if (text.size() > MaxHolderPart)
        text = text.left(MaxHolderPart - 1) + QChar(0x2026);
    return text;
}

// The holder a lock's first bytes name (process id, program, host: as
// LockFile writes them).
QString holderText(const QByteArray &text)
{
    const QList<QByteArray> lines = text.split('\n');
    const QString pid = printablePart(lines.value(0));
    const QString app = printablePart(lines.value(1));
    const QString host = printablePart(lines.value(2));
    bool number = false;
    pid.toLongLong(&number);
    if (!number || app.isEmpty())
        return BookFile::tr("another program (its lock names no holder)");
    return BookFile::tr("%1 (process %2) on %3")
        .arg(app, pid, host.isEmpty() ? BookFile::tr("an unnamed host") : host);
}

// The file at path holds exactly bytes (read at most that many and one).
bool holds(const QString &path, const QByteArray &bytes)
{
    QFile file;
    if (BoundedFile::open(file, path, bytes.size()) != BoundedFile::Ok || file.size() != bytes.size())
        return false;
    const qint64 block = 1 << 20;
    for (qint64 at = 0; at < bytes.size(); at += block) {
        const QByteArray part = file.read(block);
        if (part.isEmpty() || memcmp(part.constData(), bytes.constData() + at, size_t(part.size())) != 0)
            return false;
    }
    return file.atEnd();
}

// The number of a kept copy's name of the file named leaf, 0 for none.
int copyNumber(const QString &entry, const QString &leaf)
{
    const QString first = QFileInfo(BoundedFile::asideName(leaf)).fileName();
    if (entry == first)
        return 1;
    if (!entry.startsWith(first + QLatin1Char('.')))
        return 0;
    bool ok = false;
    const int n = entry.mid(first.size() + 1).toInt(&ok);
    return ok && n >= 2 && BoundedFile::asideName(leaf, n) == leaf + entry.mid(leaf.size()) ? n : 0;
}

// The name path goes (a link, not what it names); one gone already counts.
bool removeName(const QString &path, QString *why)
{
    if (::unlink(QFile::encodeName(path).constData()) == 0 || errno == ENOENT)
        return true;
    *why = errorText(errno);
    return false;
}

} // namespace

// A fingerprint of a file's bytes, the same however they come in pieces:
// a change time of its own with nothing else changed (a chmod there and
// back) is told from an edit in place by it.
class BookFile::Fingerprint
{
public:
    void add(const char *data, qint64 size)
    {
        if (m_used > 0) {
            const int take = int(qMin<qint64>(Block - m_used, size));
            memcpy(m_tail + m_used, data, size_t(take));
            m_used += take;
            data += take;
            size -= take;
            if (m_used < Block)
                return;
            mix(m_tail, 1);
            m_used = 0;
        }
        mix(data, size / Block);
        data += size - size % Block;
        size %= Block;
        memcpy(m_tail, data, size_t(size));
        m_used = int(size);
    }
    quint64 result() const
    {
        quint64 h = m_lane[0] ^ rotate(m_lane[1], 16) ^ rotate(m_lane[2], 32) ^ rotate(m_lane[3], 48);
        h ^= quint64(m_used);
        for (int i = 0; i < m_used; ++i)
            h = (h ^ uchar(m_tail[i])) * 0x100000001b3ULL;
        return h ^ (h >> 31);
    }

private:
    // four words at a time, each into a lane of its own: the lanes'
    // multiplications do not wait for each other
    enum { Lanes = 4, Block = 8 * Lanes };
    static quint64 rotate(quint64 v, int bits) { return (v << bits) | (v >> (64 - bits)); }
    static quint64 step(quint64 h, const char *word)
    {
        quint64 w;
        memcpy(&w, word, 8);
        h = (h ^ w) * 0x9e3779b97f4a7c15ULL;
        return h ^ (h >> 29);
    }
    // the lanes kept in registers while blocks go by
    void mix(const char *data, qint64 blocks)
    {
        quint64 a = m_lane[0], b = m_lane[1], c = m_lane[2], d = m_lane[3];
        for (; blocks > 0; --blocks, data += Block) {
            a = step(a, data);
            b = step(b, data + 8);
            c = step(c, data + 16);
            d = step(d, data + 24);
        }
        m_lane[0] = a;
        m_lane[1] = b;
        m_lane[2] = c;
        m_lane[3] = d;
    }
    quint64 m_lane[Lanes] = {0xcbf29ce484222325ULL, 0x84222325cbf29ce4ULL, 0x9ce484222325cbf2ULL,
                             0x2325cbf29ce48422ULL};
    char m_tail[Block] = {};
    int m_used = 0;
};

namespace {

// What a write would hand the file, checked on the way: never more than
// the reader of the file takes, nor a line longer than it reads, nor a zero
// byte.
class CheckedWriter : public QIODevice
{
public:
    CheckedWriter(QFile *out, qint64 maxSize, int maxLine)
        : m_out(out), m_maxSize(maxSize), m_maxLine(maxLine)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    // Whether what was written reads back (the last line counts too), and
    // all of it handed to the file.
    bool finish()
    {
        if (m_refusal.isEmpty() && m_maxLine > 0 && lineTooLong(m_line))
            m_refusal = BookFile::tr("a line of it would be longer than the %1 this program reads back")
                            .arg(sizeText(m_maxLine));
        return m_refusal.isEmpty() && (m_carried == 0 || m_out->write(m_carry, m_carried) == m_carried);
    }
    QString refusal() const { return m_refusal; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 len) override
    {
        if (!m_refusal.isEmpty())
            return -1;
        if (m_size + len > m_maxSize) {
            m_refusal = BookFile::tr("it would be larger than the %1 this program reads back")
                            .arg(sizeText(m_maxSize));
            return -1;
        }
        qint64 at = 0;
        for (; at < len; at += Piece) {
            const char *piece = data + at;
            const qint64 size = qMin<qint64>(Piece, len - at);
            if (m_maxLine > 0 && !checkLines(piece, size)) {
                m_refusal = BookFile::tr("a line of it would be longer than the %1 this program reads back")
                                .arg(sizeText(m_maxLine));
                break;
            }
            // text (a field typed or pasted) holding a zero byte, which no
            // reader of the file takes
            if (m_maxLine > 0 && memchr(piece, '\0', size_t(size))) {
                m_refusal = BookFile::tr("it would hold a zero byte, which this program does not read back");
                break;
            }
            if (!put(piece, size))
                break;
            m_size += size;
        }
        return at < len ? -1 : len;
    }

private:
    // checked a piece at a time, so that the file takes each piece from the
    // cache the checks just brought it into; handed on in whole pages of
    // the file, which it takes faster than pages filled in two writes
    enum { Piece = 256 * 1024, Page = 4096, Writeback = 2 * 1024 * 1024 };
    bool put(const char *data, qint64 size)
    {
        if (m_carried > 0) {
            const qint64 take = qMin<qint64>(Page - m_carried, size);
            memcpy(m_carry + m_carried, data, size_t(take));
            m_carried += take;
            data += take;
            size -= take;
            if (m_carried < Page)
                return true;
            m_carried = 0;
            if (m_out->write(m_carry, Page) != Page)
                return false;
            m_handed += Page;
        }
        const qint64 whole = size - size % Page;
        if (whole > 0 && m_out->write(data, whole) != whole)
            return false;
        m_handed += whole;
        m_carried = size - whole;
        memcpy(m_carry, data + whole, size_t(m_carried));
        startWriteback();
        return true;
    }
    // what the file has whole goes on its way to the disk while the rest is
    // still written: the sync at the end waits for less
    void startWriteback()
    {
        if (m_handed - m_started < Writeback)
            return;
        FileReplacer::startWriteback(*m_out, m_started, m_handed - m_started);
        m_started = m_handed;
    }
    // a carriage return before the line feed is no part of the line
    bool lineTooLong(qint64 length) const { return length - (m_lastCr ? 1 : 0) > m_maxLine; }
    // A line may be m_maxLine bytes long, and one more when that is the
    // carriage return before its line feed. Rather than looking for every
    // line's end, each step looks for the last line end within reach of the
    // line under way: every line before it is shorter than that reach.
    bool checkLines(const char *data, qint64 len)
    {
        const qint64 limit = qint64(m_maxLine) + 1;
        qint64 at = 0;
        while (at < len) {
            // the line under way began m_line bytes before at; its line
            // feed must stand at most limit - m_line bytes after at
            const qint64 reach = limit - m_line + 1;
            const qint64 window = qMin(len - at, reach);
            const char *nl = window > 0 ? static_cast<const char *>(memrchr(data + at, '\n', size_t(window))) : nullptr;
            if (!nl) {
                if (window == reach)
                    return false;
                // the data ends first: the line goes on
                m_line += len - at;
                m_lastCr = data[len - 1] == '\r';
                return true;
            }
            const qint64 end = nl - data;
            // only a line feed at the very edge ends a line of limit bytes,
            // and only when no other stands before it
            if (m_line + (end - at) == limit && !memchr(data + at, '\n', size_t(end - at))) {
                const bool cr = end > at ? data[end - 1] == '\r' : m_lastCr;
                if (!cr)
                    return false;
            }
            m_line = 0;
            m_lastCr = false;
            at = end + 1;
        }
        return true;
    }

    QFile *m_out;
    qint64 m_maxSize;
    int m_maxLine;
    qint64 m_size = 0;
    qint64 m_line = 0;
    bool m_lastCr = false;
    QString m_refusal;
    char m_carry[Page];
    qint64 m_carried = 0;
    qint64 m_handed = 0;  // bytes given to the file (its buffer included)
    qint64 m_started = 0; // of which on their way to the disk
};

// The fingerprint of what fd reads from its start; false when it cannot be read.
bool fingerprintOf(int fd, quint64 *result)
{
    BookFile::Fingerprint print;
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (qint64 at = 0;;) {
        const ssize_t got = ::pread(fd, block.data(), size_t(block.size()), at);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        print.add(block.constData(), got);
        at += got;
    }
    *result = print.result();
    return true;
}

// The new file an open FileReplacer write makes, opened anew for reading;
// -1 when that is not the very file written.
int openReadBack(const QFile &out)
{
    // O_NONBLOCK: a FIFO put at its name meanwhile does not hold the open
    const int fd = ::open(QFile::encodeName(FileReplacer::newFileName(out)).constData(),
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat written, opened;
    if (fd >= 0 && ::fstat(out.handle(), &written) == 0 && ::fstat(fd, &opened) == 0
        && written.st_dev == opened.st_dev && written.st_ino == opened.st_ino)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

} // namespace

void BookFile::noteRead(const QByteArray &bytes)
{
    // taken beside what the open does next (the view, its sort); only a
    // save that needs it waits for it
    printOfWhatWasRead();
    const auto take = [bytes] {
        Fingerprint print;
        print.add(bytes.constData(), bytes.size());
        return print.result();
    };
    try {
        m_printing = std::async(std::launch::async, take);
    } catch (const std::system_error &) {
        m_print = take();
    }
    m_printKnown = true;
}

quint64 BookFile::printOfWhatWasRead() const
{
    if (m_printing.valid())
        m_print = m_printing.get();
    return m_print;
}

bool BookFile::holdsWhatWasWritten(qint64 maxSize) const
{
    QFile file;
    quint64 print = 0;
    return m_printKnown && BoundedFile::open(file, target(), maxSize) == BoundedFile::Ok
           && fingerprintOf(file.handle(), &print) && print == printOfWhatWasRead();
}


BookFile::BookFile(const QString &path, QObject *parent)
    : QObject(parent), m_path(path)
{
}

BookFile::~BookFile()
{
    unlock();
}

QString BookFile::target() const
{
    return FileReplacer::replacedFile(m_path);
}

bool BookFile::fail(const QString &reason)
{
    m_failure = reason;
    return false;
}

// ---- the lock --------------------------------------------------------------

QString BookFile::lockFileName(const QString &path)
{
    const QFileInfo info(FileReplacer::replacedFile(path));
    const QByteArray leaf = QFile::encodeName(info.fileName());
    QString name = QStringLiteral(".") + info.fileName() + QStringLiteral(".lock");
    // a name too long for that: every copy of the program makes the same
    // short one of it
    if (leaf.size() + 6 > MaxNameBytes)
        name = QStringLiteral(".ymr-")
               + QString::fromLatin1(QCryptographicHash::hash(leaf, QCryptographicHash::Sha256).toHex().left(32))
               + QStringLiteral(".lock");
    return info.absolutePath() + QLatin1Char('/') + name;
}

void BookFile::setRetakeInterval(int ms)
{
    s_retakeMs = ms > 0 ? ms : DefaultRetakeMs;
}

BookFile::LockState BookFile::takeLock(const QString &lockPath, int *lockFd)
{
    *lockFd = -1;
    const QString folder = FolderLock::folderOf(lockPath);
    // no other copy of the program looks at this lock or replaces it meanwhile
    FolderLock guard(folder);
    if (!guard.isLocked()) {
        m_lockFailure = QFileInfo(folder).isDir() ? FileReplacer::failureText(FileReplacer::InUse)
                                                  : errorText(ENOENT);
        return NoLock;
    }
    // anything but a lock there is replaced below; a lock nobody holds is
    // stale, whatever it says
    const LockFile::Look there = LockFile::look(lockPath, LockFile::MaxBytes, true);
    switch (there.found) {
    case LockFile::Folder:
        m_lockFailure = tr("a folder stands where its lock would be");
        return NoLock;
    case LockFile::Denied:
        m_holder = tr("another user");
        return HeldElsewhere;
    case LockFile::Held:
        m_holder = holderText(there.text);
        return HeldElsewhere;
    case LockFile::Failed:
        m_lockFailure = errorText(there.error);
        return NoLock;
    default:
        break;
    }
    if (FileReplacer::writeProtected(folder)) {
        m_lockFailure = FileReplacer::failureText(FileReplacer::ReadOnly);
        return NoLock;
    }
    int error = 0;
    *lockFd = LockFile::create(lockPath, &error);
    if (*lockFd < 0) {
        m_lockFailure = errorText(error);
        return NoLock;
    }
    return Locked;
}

void BookFile::setLockFd(int fd, const QString &lockPath)
{
    m_lockFd = fd;
    m_lockPath = lockPath;
    struct stat st;
    if (::fstat(fd, &st) == 0) {
        QMutexLocker held(&s_heldMutex);
        heldHere().insert(keyOf(st));
    }
}

BookFile::LockState BookFile::takeFileLock()
{
    if (m_fileFd >= 0)
        return Locked;
    // a file not there yet gets its lock with its first save
    const int fd = ::open(QFile::encodeName(target()).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return Locked;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Locked;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return held ? HeldElsewhere : Locked;
    }
    setFileFd(fd);
    return Locked;
}

void BookFile::setFileFd(int fd)
{
    QMutexLocker held(&s_heldMutex);
    struct stat st;
    if (m_fileFd >= 0) {
        if (::fstat(m_fileFd, &st) == 0)
            heldHere().remove(keyOf(st));
        ::close(m_fileFd);
    }
    m_fileFd = fd;
    if (fd >= 0 && ::fstat(fd, &st) == 0)
        heldHere().insert(keyOf(st));
}

BookFile::LockState BookFile::takeLocks()
{
    const QString lockPath = lockFileName(m_path);
    int fd = -1;
    const LockState state = takeLock(lockPath, &fd);
    if (state == HeldElsewhere)
        return state;
    if (fd >= 0)
        setLockFd(fd, lockPath);
    // free under this name, held under another name of the same file
    if (takeFileLock() == HeldElsewhere) {
        releaseLockFile();
        m_holder = otherNameHolder();
        return HeldElsewhere;
    }
    return state;
}

BookFile::LockState BookFile::lock()
{
    if (m_lockFd >= 0)
        return m_state;
    m_holder.clear();
    m_lockFailure.clear();
    m_state = takeLocks();
    // what killed copies left in the folder goes while nobody else saves this book
    if (m_state == Locked)
        FileReplacer::removeLeftovers(FolderLock::folderOf(target()));
    checkWritable();
    // the damaged bytes of a book about to be written are kept now
    if (!m_damaged.isNull() && m_keptCopy.isEmpty())
        makeCopy();
    return m_state;
}

void BookFile::openAnyway()
{
    m_openedAnyway = true;
    if (m_state != HeldElsewhere)
        return;
    if (!m_retake) {
        m_retake = new QTimer(this);
        connect(m_retake, &QTimer::timeout, this, &BookFile::retake);
    }
    m_retake->start(s_retakeMs);
}

void BookFile::retake()
{
    if (m_lockFd >= 0 || m_state != HeldElsewhere || m_removed) {
        if (m_retake)
            m_retake->stop();
        return;
    }
    const LockState state = takeLocks();
    if (state == HeldElsewhere)
        return;
    if (m_retake)
        m_retake->stop();
    m_state = state;
    if (m_lockFd >= 0)
        m_holder.clear();
}

void BookFile::unlock()
{
    if (m_retake)
        m_retake->stop();
    setFileFd(-1);
    if (m_lockFd < 0)
        return;
    releaseLockFile();
    if (m_state == Locked)
        m_state = NotLocked;
}

void BookFile::releaseLockFile()
{
    if (m_lockFd < 0)
        return;
    struct stat mine;
    if (::fstat(m_lockFd, &mine) == 0) {
        QMutexLocker held(&s_heldMutex);
        heldHere().remove(keyOf(mine));
    }
    LockFile::release(m_lockFd, m_lockPath);
    m_lockFd = -1;
    m_lockPath.clear();
}

// Whether the lock at path (a lock file, or the book's file itself) is held
// by another process: never a lock of this one.
static bool heldByAnother(const QString &path, qint64 maxSize, QString *holder, bool *denied = nullptr)
{
    const LockFile::Look there = LockFile::look(path, maxSize, holder != nullptr);
    if (denied)
        *denied = there.found == LockFile::Denied;
    if (there.found != LockFile::Held)
        return false;
    {
        QMutexLocker guard(&s_heldMutex);
        if (heldHere().contains(qMakePair(quint64(there.device), quint64(there.inode))))
            return false;
    }
    if (holder)
        *holder = holderText(there.text);
    return true;
}

bool BookFile::heldElsewhere(const QString &path, QString *holder)
{
    bool denied = false;
    if (heldByAnother(lockFileName(path), LockFile::MaxBytes, holder, &denied))
        return true;
    if (denied) {
        if (holder)
            *holder = tr("another user");
        return true;
    }
    // a holder under another name of the file
    if (!heldByAnother(FileReplacer::replacedFile(path), -1, nullptr))
        return false;
    if (holder)
        *holder = otherNameHolder();
    return true;
}

// ---- reading and the read-only state --------------------------------------

int BookFile::open(QFile &file, qint64 maxSize)
{
    m_damaged.clear();
    m_keptCopy.clear();
    m_copyFailure.clear();
    const BoundedFile::Result result = BoundedFile::open(file, m_path, maxSize, QIODevice::Unbuffered);
    m_stamp = result == BoundedFile::Ok ? FileStamp::of(file.handle()) : FileStamp();
    printOfWhatWasRead();
    m_printKnown = false;
    if (m_state != NotLocked)
        checkWritable();
    return result;
}

int BookFile::openCurrent(QFile &file, qint64 maxSize) const
{
    return BoundedFile::open(file, m_path, maxSize);
}

void BookFile::checkWritable()
{
    const QString file = target();
    const QString folder = FolderLock::folderOf(file);
    struct statvfs fs;
    if (FileReplacer::writeProtected(file))
        m_writeProtected = tr("the file is read-only");
    else if (FileReplacer::writeProtected(folder))
        m_writeProtected = tr("its folder is read-only");
    else if (::statvfs(QFile::encodeName(folder).constData(), &fs) == 0 && (fs.f_flag & ST_RDONLY))
        m_writeProtected = tr("its disk is read-only");
    else
        m_writeProtected.clear();
}

QString BookFile::readOnlyReason() const
{
    return m_copyFailure.isEmpty() ? m_writeProtected : m_copyFailure;
}

// ---- kept copies -------------------------------------------------------------

void BookFile::keepDamaged(const QByteArray &bytes)
{
    // an empty file is damaged too: its copy is empty, not missing
    m_damaged = bytes.isNull() ? QByteArray("") : bytes;
    m_keptCopy.clear();
    m_copyFailure.clear();
    if (m_state != NotLocked)
        makeCopy();
}

bool BookFile::makeCopy()
{
    const QString file = target();
    // the copy holds what the book holds: never readable by more people
    const int mode = int(m_stamp.exists ? m_stamp.mode & 0666 : 0600);
    FileReplacer::Failure failure = FileReplacer::NoFailure;
    QString why;
    for (int n = 1; n <= BoundedFile::MaxAsideNames; ++n) {
        const QString copy = BoundedFile::asideName(file, n);
        struct stat st;
        if (::lstat(QFile::encodeName(copy).constData(), &st) == 0) {
            // the same damage read again: the copy made of it then
            if (S_ISREG(st.st_mode) && st.st_size == m_damaged.size() && holds(copy, m_damaged)) {
                m_keptCopy = copy;
                m_copyFailure.clear();
                return true;
            }
            continue;
        }
        if (FileReplacer::create(copy, m_damaged, mode)) {
            m_keptCopy = copy;
            m_copyFailure.clear();
            return true;
        }
        failure = FileReplacer::lastFailure();
        why = FileReplacer::lastFailureText();
        // taken meanwhile: the next name
        if (failure != FileReplacer::InUse)
            break;
    }
    m_copyFailure = tr("its damaged file could not be kept as a copy (%1); it is not saved over "
                       "until that copy can be made")
                        .arg(why.isEmpty() ? tr("no free name") : why);
    return false;
}

QStringList BookFile::copies() const
{
    const QFileInfo info(target());
    QMap<int, QString> found;
    const QStringList entries =
        QDir(info.absolutePath()).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        if (const int n = copyNumber(entry, info.fileName()))
            found.insert(n, info.absolutePath() + QLatin1Char('/') + entry);
    }
    return found.values();
}

// ---- saving ------------------------------------------------------------------

bool BookFile::mayWrite()
{
    if (m_removed)
        return fail(tr("it was deleted"));
    // the unread part of a damaged book stays somewhere
    if (!m_damaged.isNull() && m_keptCopy.isEmpty() && !makeCopy())
        return fail(m_copyFailure);
    if (m_state == HeldElsewhere) {
        retake();
        if (m_state == HeldElsewhere && !m_openedAnyway)
            return fail(tr("it is open in another program: %1").arg(m_holder));
    }
    return true;
}

bool BookFile::save(const Writer &write, qint64 maxSize, int maxLine)
{
    m_conflict = NoConflict;
    m_failure.clear();
    if (!mayWrite())
        return false;
    const QString file = target();
    QFile out;
    // a book gone is written again as it was, not as a new file
    if (!FileReplacer::open(out, m_path, m_stamp.exists ? int(m_stamp.mode) : -1))
        return fail(FileReplacer::lastFailureText());
    CheckedWriter checked(&out, maxSize, maxLine);
    const bool written = write(&checked) && checked.finish() && out.flush();
    // The fingerprint of what the new file holds is read back from it while
    // it goes to disk, through a descriptor of its own (the new file's lock
    // stays with the book's holder alone). Nobody else knows its name yet.
    std::future<bool> printing;
    quint64 print = 0;
    const int readBack = written ? openReadBack(out) : -1;
    if (readBack >= 0) {
        const auto take = [readBack, &print] {
            const bool ok = fingerprintOf(readBack, &print);
            ::close(readBack);
            return ok;
        };
        try {
            printing = std::async(std::launch::async, take);
        } catch (const std::system_error &) {
            printing = std::async(std::launch::deferred, take);
        }
    }
    // on disk before the short lock below, the lock never waits for that;
    // the commit then syncs only the folder
    const bool synced = written && FileReplacer::sync(out);
    const bool printed = printing.valid() && printing.get();
    if (!synced) {
        const QString refusal = checked.refusal();
        FileReplacer::commit(out, false);
        return fail(refusal.isEmpty() ? FileReplacer::lastFailureText() : refusal);
    }
    // the stamp compared, the new file in place and its stamp taken: no
    // other copy of the program saves in between
    FolderLock guard(FolderLock::folderOf(file));
    if (!guard.isLocked()) {
        FileReplacer::commit(out, false);
        return fail(FileReplacer::failureText(FileReplacer::InUse));
    }
    if (m_state != NotLocked && !m_overwrite) {
        const FileStamp now = FileStamp::of(file);
        if (m_stamp.exists && !now.exists)
            m_conflict = Gone;
        // A change time of its own is an edit in place (even one that put
        // the old modification time back), unless the bytes are still those
        // last read or written here (a chmod there and back).
        else if (now.exists && !(now == m_stamp)
                 && !(now.sameButChangeTime(m_stamp) && holdsWhatWasWritten(maxSize)))
            m_conflict = Changed;
        if (m_conflict != NoConflict) {
            FileReplacer::commit(out, false);
            return fail(m_conflict == Gone ? tr("another program deleted or moved the file")
                                           : tr("another program changed the file"));
        }
    }
    if (s_commitHook)
        s_commitHook(file);
    // The new file is locked since it was made: the holder keeps that lock
    // as the lock of the book's file, with no moment in which it is free.
    const int fileLock = m_lockFd >= 0 || m_fileFd >= 0 ? ::fcntl(out.handle(), F_DUPFD_CLOEXEC, 0) : -1;
    const bool committed = FileReplacer::commit(out, true);
    const QString why = FileReplacer::lastFailureText();
    // A rename the disk did not confirm is in place all the same: the book
    // is this save's (no conflict for the next one), which says it failed.
    if (!committed && FileReplacer::lastFailure() != FileReplacer::NotDurable) {
        if (fileLock >= 0)
            ::close(fileLock);
        return fail(why);
    }
    if (fileLock >= 0)
        setFileFd(fileLock);
    m_stamp = FileStamp::of(file);
    printOfWhatWasRead();
    m_print = print;
    m_printKnown = printed;
    guard.unlock();
    m_overwrite = false;
    m_damaged.clear();
    checkWritable();
    return committed || fail(why);
}

// ---- moving and removing -------------------------------------------------------

namespace {

// Moves a kept copy to the first free name from to on (then the numbered
// names of book): renamed on its disk, across disks copied anew and the old
// name removed. Where the copy is afterwards: copy itself when it could not
// go whole.
QString moveCopy(const QString &copy, const QString &to, const QString &book)
{
    QString name = to;
    for (int n = 2;; ++n) {
        bool taken = false;
        if (FileReplacer::renameNoReplace(copy, name))
            return name;
        if (FileReplacer::lastError() == EXDEV) {
            QString why;
            if (BookFile::copyNew(copy, name, &why, &taken)) {
                if (removeName(copy, &why))
                    return name;
                // the damage is kept once, where it was
                ::unlink(QFile::encodeName(name).constData());
            }
        } else {
            taken = FileReplacer::lastFailure() == FileReplacer::InUse;
        }
        if (!taken || n > BoundedFile::MaxAsideNames)
            return copy;
        name = BoundedFile::asideName(book, n);
    }
}

} // namespace

bool BookFile::moveTo(const QString &newPath)
{
    m_failure.clear();
    if (m_state == NotLocked)
        lock();
    if (!mayWrite())
        return false;
    const QString oldFile = target();
    const QStringList kept = copies();
    // the lock of the new place first: nobody has a book open there
    const QString newLock = lockFileName(newPath);
    int newFd = -1;
    const QString holderBefore = m_holder;
    const LockState newState = takeLock(newLock, &newFd);
    if (newState == HeldElsewhere) {
        const QString holder = m_holder;
        m_holder = holderBefore;
        return fail(tr("its new place is open in another program: %1").arg(holder));
    }
    // this process's own, not another's, while the file is copied there
    struct stat newLockStat;
    const bool newLockKnown = newFd >= 0 && ::fstat(newFd, &newLockStat) == 0;
    if (newLockKnown) {
        QMutexLocker held(&s_heldMutex);
        heldHere().insert(keyOf(newLockStat));
    }
    const auto dropNewLock = [&] {
        if (newLockKnown) {
            QMutexLocker held(&s_heldMutex);
            heldHere().remove(keyOf(newLockStat));
        }
        if (newFd >= 0) {
            ::unlink(QFile::encodeName(newLock).constData());
            ::close(newFd);
        }
    };
    bool renamed = false;
    bool unchanged = false;
    {
        FolderLock guard(FolderLock::folderOf(oldFile));
        if (!guard.isLocked()) {
            dropNewLock();
            return fail(FileReplacer::failureText(FileReplacer::InUse));
        }
        unchanged = FileStamp::of(oldFile) == m_stamp;
        // a link moves as what it names; anything else in one step when it
        // stays on its disk
        const bool link = QFileInfo(m_path).isSymLink();
        renamed = !link && FileReplacer::renameNoReplace(oldFile, newPath);
        QString why;
        bool taken = !link && FileReplacer::lastFailure() == FileReplacer::InUse;
        bool moved = renamed;
        if (!renamed && (link || FileReplacer::lastError() == EXDEV)) {
            // a copy made anew there, under the new folder's lock, then the
            // old name goes; when it cannot, the copy goes and the book stays
            moved = copyNew(m_path, newPath, &why, &taken);
            if (moved && !removeName(m_path, &why)) {
                ::unlink(QFile::encodeName(newPath).constData());
                moved = false;
            }
        } else if (!renamed) {
            why = FileReplacer::lastFailureText();
        }
        if (!moved) {
            dropNewLock();
            if (taken)
                return fail(tr("%1 exists already").arg(newPath));
            return fail(why.isEmpty() ? tr("it could not be moved to %1").arg(newPath)
                                      : tr("it could not be moved to %1: %2").arg(newPath, why));
        }
    }
    // the copies of its damage go with it, each under a name of its own
    // there; one that cannot go stays where it is, and is named there
    for (const QString &copy : kept) {
        const QString now = moveCopy(copy, newPath + copy.mid(oldFile.size()), newPath);
        if (copy == m_keptCopy)
            m_keptCopy = now;
    }
    const LockState oldState = m_state;
    // a file renamed is the same file, its lock stays; a copy is locked anew
    const int fileFd = m_fileFd;
    m_fileFd = -1;
    unlock();
    m_fileFd = fileFd;
    m_path = newPath;
    if (!renamed) {
        setFileFd(-1);
        if (newFd >= 0)
            takeFileLock();
    }
    if (newFd >= 0)
        setLockFd(newFd, newLock);
    m_state = newFd >= 0 ? Locked : (oldState == HeldElsewhere ? HeldElsewhere : newState);
    // a file changed behind this one's back before the move stays a conflict
    if (unchanged)
        m_stamp = FileStamp::of(newPath);
    checkWritable();
    return true;
}

bool BookFile::remove()
{
    m_failure.clear();
    if (m_state == NotLocked)
        lock();
    if (m_state == HeldElsewhere && !m_openedAnyway)
        return fail(tr("it is open in another program: %1").arg(m_holder));
    {
        // the folder whose entry goes
        FolderLock guard(FolderLock::folderOf(m_path));
        if (!guard.isLocked())
            return fail(FileReplacer::failureText(FileReplacer::InUse));
        if (::unlink(QFile::encodeName(m_path).constData()) != 0 && errno != ENOENT)
            return fail(errorText(errno));
    }
    m_removed = true;
    m_damaged.clear();
    unlock();
    return true;
}

bool BookFile::copyNew(const QString &source, const QString &destination, QString *failure, bool *taken)
{
    const auto refuse = [failure](const QString &why) {
        if (failure)
            *failure = why;
        return false;
    };
    if (taken)
        *taken = false;
    // a link copies what it names; a copy is written in blocks, never held
    QFile opened;
    switch (BoundedFile::open(opened, source, std::numeric_limits<qint64>::max())) {
    case BoundedFile::Ok:
        break;
    case BoundedFile::Missing:
        return refuse(errorText(ENOENT));
    case BoundedFile::NotRegular:
        return refuse(FileReplacer::failureText(FileReplacer::NotAFile));
    default:
        return refuse(errorText(errno ? errno : EIO));
    }
    // closed by its own, whatever way this ends
    const int in = ::dup(opened.handle());
    opened.close();
    struct stat st;
    if (in < 0 || ::fstat(in, &st) != 0) {
        if (in >= 0)
            ::close(in);
        return refuse(errorText(EIO));
    }
    const QString folder = FolderLock::folderOf(destination);
    QString temp;
    const int out = FileReplacer::createUnique(folder, &temp);
    if (out < 0) {
        ::close(in);
        return refuse(FileReplacer::lastFailureText());
    }
    const QByteArray tempName = QFile::encodeName(temp);
    int error = 0;
    qint64 copied = 0;
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::read(in, block.data(), size_t(block.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error = errno;
            break;
        }
        if (got == 0)
            break;
        copied += got;
        if (!FileReplacer::fitsSpaceLeft(copied)) {
            error = ENOSPC;
            break;
        }
        if (!FileReplacer::writeWhole(out, block.constData(), got)) {
            error = errno ? errno : EIO;
            break;
        }
    }
    ::close(in);
    // no wider than the file it copies
    if (!error && (::fchmod(out, st.st_mode & 0777) != 0 || ::fdatasync(out) != 0))
        error = errno;
    const auto drop = [&] {
        ::unlink(tempName.constData());
        ::close(out);
    };
    if (error) {
        drop();
        return refuse(errorText(error));
    }
    FolderLock guard(folder);
    if (!guard.isLocked()) {
        drop();
        return refuse(FileReplacer::failureText(FileReplacer::InUse));
    }
    QString holder;
    if (heldElsewhere(destination, &holder)) {
        drop();
        if (taken)
            *taken = true;
        return refuse(tr("it is open in another program: %1").arg(holder));
    }
    if (!FileReplacer::renameNoReplace(temp, destination)) {
        const bool inUse = FileReplacer::lastFailure() == FileReplacer::InUse;
        const QString why = FileReplacer::lastFailureText();
        drop();
        if (taken)
            *taken = inUse;
        return refuse(why);
    }
    // a copy the disk does not confirm is no copy: its name goes again
    const bool kept = FileReplacer::keepNewName(destination, out);
    ::close(out);
    return kept || refuse(FileReplacer::lastFailureText());
}

void BookFile::setCommitHook(void (*hook)(const QString &path))
{
    s_commitHook = hook;
}
