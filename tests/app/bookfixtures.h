#ifndef BOOKFIXTURES_H
#define BOOKFIXTURES_H

// Books on disk and in the book index for the application's tests.

#include "pim/dbmanager.h"
#include "pim/dbrecord.h"
#include "qpe/alarmserver.h"
#include "qpe/config.h"
#include "qt/ymrapplication.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>

namespace fixtures {

inline QString booksDir()
{
    const QString dir = YMRApplication::documentDir() + QStringLiteral("/books");
    QDir().mkpath(dir);
    return dir;
}

inline QString bookPath(const QString &title)
{
    return booksDir() + QLatin1Char('/') + title + QStringLiteral(".exp");
}

// When the alarm server rings message; empty when it is not registered.
inline QList<QDateTime> alarmTimes(const QByteArray &message)
{
    QList<QDateTime> when;
    for (const AlarmServer::Alarm &a : AlarmServer::instance()->pending()) {
        if (a.message == message)
            when << a.when;
    }
    return when;
}

// The same as the list on disk has them: what a start after a kill reads.
inline QList<QDateTime> alarmTimesOnDisk(const QByteArray &message)
{
    QList<QDateTime> when;
    for (const AlarmServer::Alarm &a : AlarmServer(QFileInfo(AlarmServer::instance()->fileName()).path()).pending()) {
        if (a.message == message)
            when << a.when;
    }
    return when;
}

// Every alarm of that message out of the list, whatever book it names.
inline void forgetAlarms(const QByteArray &message)
{
    QVector<AlarmServer::Alarm> listed;
    for (const AlarmServer::Alarm &a : AlarmServer::instance()->pending()) {
        if (a.message == message)
            listed << a;
    }
    AlarmServer::instance()->remove(listed);
}

// A new book file with that password, added to the index (not saved).
inline DBRecord *addBook(DBManager *index, const QString &title,
                         const QString &password = QString(), const QString &path = QString())
{
    auto *r = new DBRecord(index);
    r->setPath(path.isEmpty() ? bookPath(title) : path);
    r->setTitle(title);
    r->setPassword(password);
    index->addRecord(r);
    return r;
}

inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

inline QString setting(const char *group, const char *key, const QString &deflt = QString())
{
    Config cfg(QStringLiteral("ymrOutlays"));
    cfg.setGroup(QLatin1String(group));
    return cfg.readEntry(QLatin1String(key), deflt);
}

inline void setSetting(const char *group, const char *key, const QString &value)
{
    Config cfg(QStringLiteral("ymrOutlays"));
    cfg.setGroup(QLatin1String(group));
    if (value.isNull())
        cfg.removeEntry(QLatin1String(key));
    else
        cfg.writeEntry(QLatin1String(key), value);
}

// Types into the named line edit of a dialog, as a user would.
inline void type(QWidget *dialog, const char *name, const QString &text)
{
    auto *edit = dialog->findChild<QLineEdit *>(QLatin1String(name));
    QVERIFY2(edit, name);
    edit->clear();
    QTest::keyClicks(edit, text);
}

} // namespace fixtures

#endif
