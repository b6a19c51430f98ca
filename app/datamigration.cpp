#include "datamigration.h"

#include "pim/categoriesmanager.h"
#include "pim/categorymanager.h"
#include "pim/categoryrecord.h"
#include "pim/pimtextreader.h"
#include "pim/taskmanager.h"
#include "pim/ymrpim.h"
#include "qpe/boundedfile.h"
#include "qpe/config.h"
#include "qpe/global.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

namespace {

const QLatin1String categoriesKey("CATEGORIES=");

// The category file's bytes before the migration saved it, to put back when
// a later step fails.
struct FileBackup
{
    QString path;
    bool existed = false;
    QByteArray bytes;

    explicit FileBackup(const QString &p) : path(p)
    {
        QFile f(path);
        existed = f.open(QIODevice::ReadOnly);
        if (existed)
            bytes = f.readAll();
    }

    void restore() const
    {
        if (!existed) {
            QFile::remove(path);
            return;
        }
        QFile f;
        if (YMRPIM::openNewFile(f, path)) {
            const bool written = f.write(bytes) == bytes.size();
            YMRPIM::commitNewFile(f, written);
        }
    }
};

} // namespace

QString DataMigration::oldFileName()
{
    return Global::applicationFileName(QStringLiteral("expense"), QStringLiteral("expense"));
}

QString DataMigration::bookFileName()
{
    return Global::applicationFileName(YMRPIM::applicationName(), QStringLiteral("Book1.exp"));
}

QString DataMigration::convertLine(const QString &line, CategoryManager *categories)
{
    if (!line.startsWith(categoriesKey))
        return line;
    QStringList ids = line.mid(categoriesKey.size()).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (ids.isEmpty())
        ids.append(QStringLiteral("0"));
    QStringList uids;
    for (const QString &text : qAsConst(ids)) {
        const QString label = CategoriesManager::label(text.toInt());
        const QString colorName = label.isEmpty() ? CategoryManager::unfiledName(false) : label;
        const QString title = label.isEmpty() ? CategoryManager::unfiledName(true) : label;
        const QColor fg = CategoriesManager::foregroundColor(colorName);
        const QColor bg = CategoriesManager::backgroundColor(colorName);
        CategoryRecord *record = categories->findByTitle(title);
        if (record) {
            auto *old = new CategoryRecord(*record);
            record->textColor = fg;
            record->backgroundColor = bg;
            record->store(old);
        } else {
            record = new CategoryRecord(categories);
            record->title = title;
            record->textColor = fg;
            record->backgroundColor = bg;
            record->store(nullptr);
        }
        uids.append(record->uidString());
    }
    return QStringLiteral("CATS=") + uids.join(QLatin1Char('|'));
}

QString DataMigration::freeAsidePath(const QString &oldPath)
{
    QString aside = oldPath + QStringLiteral(".old");
    for (int n = 1; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++n)
        aside = oldPath + QStringLiteral(".old.") + QString::number(n);
    return aside;
}

DataMigration::Result DataMigration::run(QString *error)
{
    const QString oldPath = oldFileName();
    if (!QFileInfo::exists(oldPath))
        return NothingToDo;
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return Failed;
    };

    const QString bookPath = bookFileName();
    // a regular file of a book's size only; a FIFO there would hang the start
    QFile in;
    if (BoundedFile::open(in, oldPath, TaskManager::maxBookSize()) != BoundedFile::Ok)
        return fail(tr("Cannot read file:\n%1").arg(oldPath));
    QFile out;
    if (!YMRPIM::openNewFile(out, bookPath))
        return fail(tr("Cannot write to file:\n%1").arg(bookPath));

    CategoryManager categories;
    categories.loadOrDefault();
    const FileBackup categoryBackup(categories.fileName());
    {
        QTextStream src(&in);
        QTextStream dst(&out);
        src.setCodec("UTF-8");
        dst.setCodec("UTF-8");
        // a line longer than any record line makes the file unreadable
        const int maxLine = PIMTextReader::maxLineLength();
        bool tooLong = false;
        while (!src.atEnd() && !tooLong) {
            const QString line = src.readLine(maxLine + 1);
            tooLong = line.size() > maxLine;
            dst << convertLine(line, &categories) << '\n';
        }
        dst.flush();
        const bool written = dst.status() == QTextStream::Ok && out.error() == QFileDevice::NoError
                             && out.flush();
        const bool read = in.error() == QFileDevice::NoError && !tooLong;
        if (!written || !read) {
            YMRPIM::commitNewFile(out, false);
            categories.load();
            return fail(read ? tr("Cannot write to file:\n%1").arg(bookPath)
                             : tr("Cannot read file:\n%1").arg(oldPath));
        }
    }
    in.close();

    if (!categories.save()) {
        YMRPIM::commitNewFile(out, false);
        categories.load();
        return fail(tr("Cannot write to file:\n%1").arg(categories.fileName()));
    }

    // the old file goes aside first, so a failure below can put it back
    const QString aside = freeAsidePath(oldPath);
    if (::rename(QFile::encodeName(oldPath).constData(), QFile::encodeName(aside).constData()) != 0) {
        YMRPIM::commitNewFile(out, false);
        categoryBackup.restore();
        return fail(tr("Cannot rename file:\n%1").arg(oldPath));
    }
    if (!YMRPIM::commitNewFile(out, true)) {
        ::rename(QFile::encodeName(aside).constData(), QFile::encodeName(oldPath).constData());
        categoryBackup.restore();
        return fail(tr("Cannot write to file:\n%1").arg(bookPath));
    }

    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(QStringLiteral("Options"));
    cfg.writeEntry(QStringLiteral("book"), bookPath);
    return Converted;
}
