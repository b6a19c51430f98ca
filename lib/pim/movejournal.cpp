#include "movejournal.h"

#include "dbmanager.h"
#include "dbrecord.h"
#include "pimreminder.h"
#include "task.h"
#include "taskmanager.h"
#include "ymrpim.h"

#include "qpe/alarmserver.h"
#include "qpe/config.h"
#include "qpe/filereplacer.h"
#include "qpe/global.h"
#include "qpe/wallclock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QVector>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char Magic[] = "YMRMOVE";
const char Suffix[] = ".move";

QByteArray encodePath(const QString &path)
{
    return QFile::encodeName(path).toPercentEncoding();
}

QString decodePath(const QByteArray &text)
{
    return QFile::decodeName(QByteArray::fromPercentEncoding(text));
}

QString samePath(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// The largest record read: twice the largest book, whose expenses it names.
qint64 maxRecordSize()
{
    return 2 * TaskManager::maxBookSize();
}

// The record at path, opened and locked here; -1 when it is held (its
// action runs), gone, or no record of ours.
int takeRecord(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat mine, there;
    if (::fstat(fd, &mine) != 0 || !S_ISREG(mine.st_mode) || mine.st_size > maxRecordSize()
        || ::flock(fd, LOCK_EX | LOCK_NB) != 0
        // the action ended and took it away meanwhile
        || ::lstat(name.constData(), &there) != 0 || there.st_dev != mine.st_dev || there.st_ino != mine.st_ino) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool readRecord(int fd, QByteArray &bytes)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.append(buffer, int(n));
        if (bytes.size() > maxRecordSize())
            return false;
    }
}

// A record of the book at path added to the index; false when the index
// refuses it.
bool listIn(DBManager &index, const QString &path)
{
    auto *book = new DBRecord(&index);
    book->setPath(path);
    index.refreshRecord(book);
    if (index.addRecord(book))
        return true;
    delete book;
    return false;
}

} // namespace

MoveJournal::~MoveJournal()
{
    keep();
}

QString MoveJournal::folder()
{
    return Global::applicationFileName(YMRPIM::applicationName(), QStringLiteral("moves"));
}

QByteArray MoveJournal::text(const Record &record)
{
    QByteArray out;
    out.reserve(64 + record.pairs.size() * 74);
    out += Magic;
    out += "\nKIND=";
    static const char *const kinds[] = {"COPY", "MOVE", "RENAME", "ARRIVAL"};
    out += kinds[record.kind];
    out += "\nSOURCE=" + encodePath(record.source);
    out += "\nDESTINATION=" + encodePath(record.destination);
    out += '\n';
    for (const Pair &pair : record.pairs)
        out += pair.first.toLatin1() + ' ' + pair.second.toLatin1() + '\n';
    out += "END\n";
    return out;
}

bool MoveJournal::parse(const QByteArray &bytes, Record &record)
{
    if (!bytes.endsWith("\nEND\n"))
        return false;
    const QList<QByteArray> lines = bytes.left(bytes.size() - 5).split('\n');
    if (lines.size() < 4 || lines.at(0) != Magic || !lines.at(2).startsWith("SOURCE=")
        || !lines.at(3).startsWith("DESTINATION="))
        return false;
    if (lines.at(1) == "KIND=MOVE")
        record.kind = Move;
    else if (lines.at(1) == "KIND=COPY")
        record.kind = Copy;
    else if (lines.at(1) == "KIND=RENAME")
        record.kind = Rename;
    else if (lines.at(1) == "KIND=ARRIVAL")
        record.kind = Arrival;
    else
        return false;
    record.source = decodePath(lines.at(2).mid(7));
    record.destination = decodePath(lines.at(3).mid(12));
    if (record.source.isEmpty() || record.destination.isEmpty())
        return false;
    for (int i = 4; i < lines.size(); ++i) {
        const QList<QByteArray> uids = lines.at(i).split(' ');
        if (uids.size() != 2)
            return false;
        record.pairs.append(qMakePair(QString::fromLatin1(uids.at(0)), QString::fromLatin1(uids.at(1))));
    }
    return true;
}

bool MoveJournal::begin(Kind kind, const QString &source, const QString &destination, const QList<Pair> &pairs)
{
    end();
    m_failure.clear();
    const QString dir = folder();
    QDir().mkpath(dir);
    QString fresh;
    const int fd = FileReplacer::createUnique(dir, &fresh);
    if (fd < 0) {
        m_failure = FileReplacer::lastFailureText();
        return false;
    }
    Record record;
    record.kind = kind;
    record.source = samePath(source);
    record.destination = samePath(destination);
    record.pairs = pairs;
    const QByteArray bytes = text(record);
    // the hidden name of a save's temporary file, made a record's own
    const QString leaf = QFileInfo(fresh).fileName();
    const QString path = dir + QLatin1Char('/') + leaf.mid(1, leaf.size() - 5) + QLatin1String(Suffix);
    bool ok = FileReplacer::fitsSpaceLeft(bytes.size());
    if (!ok)
        errno = ENOSPC;
    ok = ok && FileReplacer::writeWhole(fd, bytes.constData(), bytes.size()) && ::fdatasync(fd) == 0;
    const int error = errno;
    if (ok)
        ok = FileReplacer::renameNoReplace(fresh, path);
    else
        m_failure = FileReplacer::failureText(
            error == ENOSPC || error == EDQUOT ? FileReplacer::NoSpace : FileReplacer::OtherFailure, error);
    if (ok && !FileReplacer::keepNewName(path, fd)) {
        m_failure = FileReplacer::failureText(FileReplacer::NotDurable, FileReplacer::lastError());
        ok = false;
    }
    if (!ok) {
        if (m_failure.isEmpty())
            m_failure = FileReplacer::lastFailureText();
        ::unlink(QFile::encodeName(fresh).constData());
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_path = path;
    return true;
}

void MoveJournal::end()
{
    if (m_fd < 0)
        return;
    // still held here: no other copy finishes it meanwhile
    ::unlink(QFile::encodeName(m_path).constData());
    keep();
}

void MoveJournal::keep()
{
    if (m_fd < 0)
        return;
    ::close(m_fd);
    m_fd = -1;
    m_path.clear();
}

bool MoveJournal::finishRename(const Record &record)
{
    const QFileInfo from(record.source);
    const QFileInfo to(record.destination);
    // not moved: nothing to follow
    if (from.exists() || from.isSymLink() || !to.exists())
        return true;
    // a missing index is an empty one; its save merges onto what is there
    DBManager index(false);
    index.load();
    if (DBRecord *was = index.findByPath(record.source)) {
        if (!index.findByPath(record.destination) && !listIn(index, record.destination))
            return false;
        was->setDeleteFile(false);
        index.removeRecord(was);
        if (!index.save())
            return false;
    }
    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(QStringLiteral("Options"));
    if (samePath(cfg.readEntry(QStringLiteral("book"))) == record.source)
        cfg.writeEntry(QStringLiteral("book"), record.destination);
    return true;
}

bool MoveJournal::finishArrival(const Record &record)
{
    // nothing arrived, or nothing the program would open
    if (!QFileInfo(record.destination).isFile() || !TaskManager::readsWhole(record.destination))
        return true;
    // a missing index is an empty one; its save merges onto what is there
    DBManager index(false);
    index.load();
    if (!index.findByPath(record.destination)) {
        // refused (the list is full): as when it was received
        if (!listIn(index, record.destination))
            return true;
        if (!index.save())
            return false;
    }
    TaskManager::listRemindersOf(record.destination);
    return true;
}

bool MoveJournal::finish(const Record &record)
{
    if (record.kind == Rename)
        return finishRename(record);
    if (record.kind == Arrival)
        return finishArrival(record);
    // a book gone since holds nothing that arrived
    if (!QFileInfo::exists(record.destination))
        return true;
    // a book another program has open is not written behind its back
    TaskManager destination(record.destination, false, false);
    if (!destination.lockFile() || !destination.load())
        return false;
    // its opening listed its reminders to come; nothing of it is written
    destination.forgetChanges();
    QVector<AlarmServer::Alarm> leaving;
    const int sourceKey = TaskManager::bookKey(record.source);
    bool arrived = false;
    for (const Pair &pair : record.pairs) {
        const auto *copy = dynamic_cast<const Task *>(destination.findRecord(pair.second));
        if (!copy)
            continue;
        arrived = true;
        // the alarm the source's expense left in the list, if its book was
        // written and the list not
        if (copy->reminder)
            leaving.append({WallClock::moment(copy->reminder->dateTime), TaskManager::alarmChannel(),
                            TaskManager::alarmMessage(nullptr) + pair.first.toLatin1(), sourceKey});
    }
    if (record.kind == Copy || !arrived)
        return true;

    TaskManager source(record.source, false, false);
    const bool there = QFileInfo::exists(record.source);
    if (!source.lockFile() || (there && !source.load()))
        return false;
    QList<PIMRecord *> moved;
    for (const Pair &pair : record.pairs) {
        if (PIMRecord *r = source.findRecord(pair.first))
            moved.append(r);
    }
    bool saved = true;
    {
        const TaskManager::Stroke stroke(&source);
        if (!moved.isEmpty()) {
            source.removeRecords(moved);
            saved = source.save();
        }
        if (saved && !leaving.isEmpty())
            AlarmServer::deleteAlarms(leaving);
    }
    if (!saved)
        source.forgetChanges();
    return saved;
}

int MoveJournal::finishPending(const QString &book)
{
    const QString dir = folder();
    const QString only = book.isEmpty() ? QString() : samePath(book);
    const QStringList names =
        QDir(dir).entryList({QStringLiteral("*") + QLatin1String(Suffix)}, QDir::Files | QDir::Hidden | QDir::System,
                            QDir::Name);
    // one a killed copy was writing, its action never begun
    FileReplacer::removeLeftovers(dir);
    int finished = 0;
    for (const QString &name : names) {
        const QString path = dir + QLatin1Char('/') + name;
        const int fd = takeRecord(path);
        if (fd < 0)
            continue;
        QByteArray bytes;
        Record record;
        bool done = false;
        // a record takes its name only once whole on disk: one that does
        // not read is damaged, and stays as it is
        if (readRecord(fd, bytes) && parse(bytes, record)
            && (only.isEmpty() || only == record.source || only == record.destination))
            done = finish(record);
        if (done) {
            ::unlink(QFile::encodeName(path).constData());
            ++finished;
        }
        ::close(fd);
    }
    return finished;
}
