#ifndef FILEBYTES_H
#define FILEBYTES_H

// Whole-file reads and writes of the tests.

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>
#include <QTest>

inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), qint64(bytes.size()));
}

// Gives the file a modification time of its own: the settings reader then
// reads it again instead of the copy it keeps in memory.
inline void setNewFileTime(const QString &path)
{
    static QDateTime t(QDate(2001, 1, 1), QTime(0, 0));
    t = t.addSecs(1);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(t, QFileDevice::FileModificationTime));
}

#endif
