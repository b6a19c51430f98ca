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
#include <QTcpServer>
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

// A port nobody listens on just now.
inline quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::Any, 0);
    return probe.serverPort();
}

} // namespace pclinktest

#endif
