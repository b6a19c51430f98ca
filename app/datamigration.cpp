#include "datamigration.h"

#include "pim/bookfile.h"
#include "pim/categoriesmanager.h"
#include "pim/categorymanager.h"
#include "pim/categoryrecord.h"
#include "pim/pimtextreader.h"
#include "pim/taskmanager.h"
#include "pim/ymrpim.h"
#include "qpe/boundedfile.h"
#include "qpe/config.h"
#include "qpe/filereplacer.h"
#include "qpe/global.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTextStream>


namespace {

const QLatin1String categoriesKey("CATEGORIES=");
// How far the names of the converted book and of the old file's kept copy
// are counted.
const int MaxBookNumber = 1000;

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

QString DataMigration::bookFileName(int number)
{
    return Global::applicationFileName(YMRPIM::applicationName(),
                                       QStringLiteral("Book%1.exp").arg(number));
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

std::unique_ptr<BookFile> DataMigration::freeBook()
{
    for (int n = 1; n <= MaxBookNumber; ++n) {
        const QFileInfo info(bookFileName(n));
        if (info.exists() || info.isSymLink())
            continue;
        std::unique_ptr<BookFile> book(new BookFile(info.filePath()));
        // another copy has a book of that name open (one moved or deleted
        // while open, one it is making)
        if (book->lock() == BookFile::HeldElsewhere)
            continue;
        // the stamp of nothing: a file there by the time of the save is not
        // written over
        QFile none;
        if (book->open(none, TaskManager::maxBookSize()) == BoundedFile::Missing)
            return book;
    }
    return nullptr;
}

bool DataMigration::moveAside(const QString &oldPath)
{
    for (int n = 0; n <= MaxBookNumber; ++n) {
        const QString aside = oldPath + QStringLiteral(".old") + (n ? QLatin1Char('.') + QString::number(n) : QString());
        if (FileReplacer::renameNoReplace(oldPath, aside))
            return true;
        if (FileReplacer::lastFailure() != FileReplacer::InUse)
            return false;
    }
    return false;
}

DataMigration::Result DataMigration::run(QString *error, QString *converted)
{
    const QString oldPath = oldFileName();
    if (!QFileInfo::exists(oldPath))
        return NothingToDo;
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return Failed;
    };

    // a regular file of a book's size only; a FIFO there would hang the start
    QFile in;
    if (BoundedFile::open(in, oldPath, TaskManager::maxBookSize()) != BoundedFile::Ok)
        return fail(tr("Cannot read file:\n%1").arg(oldPath));
    const std::unique_ptr<BookFile> book = freeBook();
    if (!book)
        return fail(tr("Cannot write to file:\n%1").arg(bookFileName()));

    CategoryManager categories;
    categories.loadOrDefault();
    const FileBackup categoryBackup(categories.fileName());
    QString why;
    bool categoriesSaved = false;
    const auto convert = [&](QIODevice *out) {
        QTextStream src(&in);
        QTextStream dst(out);
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
        if (dst.status() != QTextStream::Ok)
            return false;
        if (in.error() != QFileDevice::NoError || tooLong) {
            why = tr("Cannot read file:\n%1").arg(oldPath);
            return false;
        }
        // the categories the book names are on disk before the book is
        categoriesSaved = categories.save();
        if (!categoriesSaved)
            why = tr("Cannot write to file:\n%1").arg(categories.fileName());
        return categoriesSaved;
    };
    const auto undoCategories = [&] {
        if (categoriesSaved)
            categoryBackup.restore();
        categories.load();
    };
    if (!book->save(convert, TaskManager::maxBookSize(), PIMTextReader::maxLineLength())) {
        undoCategories();
        return fail(!why.isEmpty() ? why
                                   : tr("Cannot write to file:\n%1").arg(book->path()) + QLatin1Char('\n')
                                         + book->failure());
    }
    in.close();

    // only once the book is on disk: until then the next start converts again
    if (!moveAside(oldPath)) {
        const QString moveFailure = FileReplacer::lastFailureText();
        book->remove();
        undoCategories();
        return fail(tr("Cannot rename file:\n%1").arg(oldPath) + QLatin1Char('\n') + moveFailure);
    }

    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(QStringLiteral("Options"));
    cfg.writeEntry(QStringLiteral("book"), book->path());
    if (converted)
        *converted = book->path();
    return Converted;
}
