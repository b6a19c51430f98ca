#ifndef PCLINKTESTUTIL_H
#define PCLINKTESTUTIL_H

// Files, books and ports shared by the PC-link tests.
#include "pim/dbmanager.h"
#include "pim/dbrecord.h"
#include "pim/pimrecordarray.h"
#include "pim/task.h"
#include "pim/taskmanager.h"
#include "qpe/global.h"

#include <QFile>
#include <QFileInfo>
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
