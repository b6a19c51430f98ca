#ifndef PCLINKTESTUTIL_H
#define PCLINKTESTUTIL_H

// Files, books, clocks and ports shared by the PC-link tests.
#include "pclink.h"

#include "pim/dbmanager.h"
#include "pim/dbrecord.h"
#include "pim/pimrecordarray.h"
#include "pim/task.h"
#include "pim/taskmanager.h"
#include "qpe/global.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTcpSocket>
#include <QtTest>

namespace pclinktest {

// A file of the program's own folder in this process's home.
inline QString appFile(const QString &name)
{
    return Global::applicationFileName("ymrOutlays", name);
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(f.write(bytes), qint64(bytes.size()));
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// A book holding one expense per description.
inline void makeBook(const QString &path, const QStringList &descriptions, const QString &bookDescription = {})
{
    TaskManager book(path, false, false);
    book.load();
    book.setDescription(bookDescription);
    for (const QString &d : descriptions) {
        auto *t = new Task(&book);
        t->description = d;
        t->amount = "12.50";
        book.addRecord(t);
    }
    book.forceSave();
    QVERIFY(QFile::exists(path));
}

inline QStringList descriptionsOf(const QString &path)
{
    TaskManager book(path, false, false);
    book.load();
    QStringList out;
    PIMRecordArray *records = book.records();
    for (int i = 0; i < records->count(); ++i)
        out << static_cast<Task *>(records->at(i))->description;
    return out;
}

inline DBRecord *addBook(DBManager *index, const QString &path)
{
    auto *r = new DBRecord(index);
    r->setPath(path);
    r->setTitle(QFileInfo(path).completeBaseName());
    index->addRecord(r);
    return r;
}

// Every entry under a folder with what it holds: a file's bytes, a link's
// target, or nothing for a folder. Two equal listings mean nothing was
// written, removed or left behind.
inline QMap<QString, QByteArray> listTree(const QString &root)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        if (info.isSymLink())
            entries[info.filePath()] = "-> " + QFile::encodeName(info.symLinkTarget());
        else
            entries[info.filePath()] = info.isDir() ? QByteArray("<folder>") : readFile(info.filePath());
    }
    return entries;
}

// The links' clock, moved on by hand; the real one comes back with the end
// of this object.
struct FakeClock
{
    qint64 now = 0;
    FakeClock() { PCLink::setClock([this] { return now; }); }
    ~FakeClock() { PCLink::setClock({}); }
};

// A port nobody can listen on while this lives: a socket bound to it without
// address sharing keeps every other bind off it, so a connection there is
// refused however many tests run alongside.
class ClosedPort
{
public:
    ClosedPort() { QVERIFY(m_socket.bind(QHostAddress::LocalHost, 0, QAbstractSocket::DontShareAddress)); }
    quint16 port() const { return m_socket.localPort(); }

private:
    QTcpSocket m_socket;
};

} // namespace pclinktest

#endif
