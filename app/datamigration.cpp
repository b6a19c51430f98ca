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
// How many left-out lines the message names.
const int MaxLinesNamed = 10;

void (*s_beforeRename)() = nullptr;

// The category file's bytes before the migration saved it, to put back when
// a later step fails.
struct FileBackup
{
    QString path;
    bool existed = false;
    // false when something stands there that cannot be put back
    bool taken = false;
    QByteArray bytes;

    FileBackup(const QString &p, qint64 maxSize) : path(p)
    {
        // read as its owner reads it: a FIFO or a device there is no file
        // to put back, and what a link names is none of ours
        const BoundedFile::Result r = BoundedFile::readAll(path, maxSize, bytes, BoundedFile::NoLinks);
        existed = r == BoundedFile::Ok;
        taken = existed || r == BoundedFile::Missing;
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

// The n-th name the old file may go aside under: "<old>.old", "<old>.old.1", ...
QString asideName(const QString &oldPath, int n)
{
    return oldPath + QStringLiteral(".old") + (n ? QLatin1Char('.') + QString::number(n) : QString());
}

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

QString DataMigration::moveAside(const QString &oldPath)
{
    for (int n = 0; n <= MaxBookNumber; ++n) {
        const QString aside = asideName(oldPath, n);
        if (FileReplacer::renameNoReplace(oldPath, aside))
            return aside;
        if (FileReplacer::lastFailure() != FileReplacer::InUse)
            return QString();
    }
    return QString();
}

QString DataMigration::unnamedBook(const QString &oldPath)
{
    // Any start that got past the conversion named a book in the settings.
    const QString bookKey = QStringLiteral("book");
    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(QStringLiteral("Options"));
    if (cfg.hasKey(bookKey))
        return QString();
    for (int n = 0; n <= MaxBookNumber; ++n) {
        const QString aside = asideName(oldPath, n);
        if (!QFileInfo::exists(aside))
            break;
        QFile in;
        if (BoundedFile::open(in, aside, TaskManager::maxBookSize()) != BoundedFile::Ok)
            continue;
        // the categories were saved before the book: converting again only
        // finds them, and nothing of the store is saved here
        CategoryManager categories;
        categories.loadOrDefault();
        QByteArray bytes;
        QList<int> leftOut;
        QString why;
        if (!convert(&in, &categories, bytes, leftOut, &why))
            continue;
        const QString book = ownBook(bytes);
        if (book.isEmpty())
            continue;
        cfg.writeEntry(bookKey, book);
        return cfg.write() ? book : QString();
    }
    return QString();
}

QString DataMigration::ownBook(const QByteArray &converted)
{
    for (int n = 1; n <= MaxBookNumber; ++n) {
        const QString path = bookFileName(n);
        const QFileInfo info(path);
        if (info.isSymLink() || !info.isFile() || info.size() != converted.size())
            continue;
        QByteArray bytes;
        if (BoundedFile::readAll(path, converted.size(), bytes, BoundedFile::NoLinks) == BoundedFile::Ok
            && bytes == converted)
            return path;
    }
    return QString();
}

bool DataMigration::convert(QFile *in, CategoryManager *categories, QByteArray &out,
                            QList<int> &leftOut, QString *why)
{
    const QString oldPath = oldFileName();
    QTextStream src(in);
    src.setCodec("UTF-8");
    // a line longer than any record line makes the file unreadable
    const int maxLine = PIMTextReader::maxLineLength();
    const qint64 maxSize = TaskManager::maxBookSize();
    for (int number = 1; !src.atEnd(); ++number) {
        const QString line = src.readLine(maxLine + 1);
        if (line.size() > maxLine) {
            *why = tr("Cannot read file:\n%1").arg(oldPath);
            return false;
        }
        const int zero = line.indexOf(QChar(0));
        if (zero >= 0) {
            // a field's value goes, its record stays; a line that makes the
            // records (a record's end, its UID) cannot go without them
            const int equals = line.indexOf(QLatin1Char('='));
            if (equals <= 0 || equals > zero || line.startsWith(QLatin1String("UID="))) {
                *why = tr("Line %1 of the earlier data file\n%2\nholds a zero byte, which no book holds.")
                           .arg(number)
                           .arg(oldPath);
                return false;
            }
            leftOut.append(number);
            continue;
        }
        out += convertLine(line, categories).toUtf8();
        out += '\n';
        if (out.size() > maxSize) {
            *why = tr("Cannot write to file:\n%1").arg(bookFileName());
            return false;
        }
    }
    if (in->error() != QFileDevice::NoError) {
        *why = tr("Cannot read file:\n%1").arg(oldPath);
        return false;
    }
    return true;
}

void DataMigration::setBeforeRenameHook(void (*hook)())
{
    s_beforeRename = hook;
}

DataMigration::Result DataMigration::run(QString *error, QString *converted, QString *note)
{
    const QString oldPath = oldFileName();
    if (!QFileInfo::exists(oldPath)) {
        const QString adopted = unnamedBook(oldPath);
        if (adopted.isEmpty())
            return NothingToDo;
        if (converted)
            *converted = adopted;
        return Converted;
    }
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return Failed;
    };

    // a regular file of a book's size only; a FIFO there would hang the start
    QFile in;
    if (BoundedFile::open(in, oldPath, TaskManager::maxBookSize()) != BoundedFile::Ok)
        return fail(tr("Cannot read file:\n%1").arg(oldPath));

    CategoryManager categories;
    categories.loadOrDefault();
    const FileBackup categoryBackup(categories.fileName(), CategoryManager::maxFileSize());
    // nothing is changed that could not be put back
    if (!categoryBackup.taken)
        return fail(tr("Cannot read file:\n%1").arg(categories.fileName()));
    QByteArray bytes;
    QList<int> leftOut;
    QString why;
    if (!convert(&in, &categories, bytes, leftOut, &why)) {
        categories.load();
        return fail(why);
    }
    in.close();

    // Killed after its book was on disk, an earlier start left that book
    // and the old file: the same bytes again are that book, and it only
    // remains to put the old file aside.
    const QString earlier = ownBook(bytes);
    std::unique_ptr<BookFile> book;
    if (earlier.isEmpty()) {
        book = freeBook();
        if (!book) {
            categories.load();
            return fail(tr("Cannot write to file:\n%1").arg(bookFileName()));
        }
    }
    // the categories the book names are on disk before the book is
    if (!categories.save()) {
        categories.load();
        return fail(tr("Cannot write to file:\n%1").arg(categories.fileName()));
    }
    const auto undoCategories = [&] {
        categoryBackup.restore();
        categories.load();
    };
    if (book) {
        const auto write = [&bytes](QIODevice *out) { return out->write(bytes) == bytes.size(); };
        if (!book->save(write, TaskManager::maxBookSize(), PIMTextReader::maxLineLength())) {
            undoCategories();
            return fail(tr("Cannot write to file:\n%1").arg(book->path()) + QLatin1Char('\n') + book->failure());
        }
    }
    const QString bookPath = book ? book->path() : earlier;

    // The settings name the book before the old file goes aside: a start
    // killed in between finds the old file again (and this book as its
    // own), one killed later opens the book they name.
    const QString bookKey = QStringLiteral("book");
    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(QStringLiteral("Options"));
    const bool hadBook = cfg.hasKey(bookKey);
    const QString previousBook = cfg.readEntry(bookKey);
    const auto undoSetting = [&] {
        if (hadBook)
            cfg.writeEntry(bookKey, previousBook);
        else
            cfg.removeEntry(bookKey);
        cfg.write();
    };
    const auto undoBook = [&] {
        // a book of an earlier start stays for the next one to find
        if (book)
            book->remove();
        undoCategories();
    };
    cfg.writeEntry(bookKey, bookPath);
    if (!cfg.write()) {
        undoSetting();
        undoBook();
        return fail(tr("Cannot write to file:\n%1").arg(cfg.fileName()));
    }
    if (s_beforeRename)
        s_beforeRename();

    // only once the book is on disk: until then the next start converts again
    const QString aside = moveAside(oldPath);
    if (aside.isEmpty()) {
        const QString moveFailure = FileReplacer::lastFailureText();
        undoSetting();
        undoBook();
        return fail(tr("Cannot rename file:\n%1").arg(oldPath) + QLatin1Char('\n') + moveFailure);
    }

    if (converted)
        *converted = bookPath;
    if (note && !leftOut.isEmpty()) {
        QStringList numbers;
        for (int n : qAsConst(leftOut).mid(0, MaxLinesNamed))
            numbers << QString::number(n);
        if (leftOut.size() > MaxLinesNamed)
            numbers << QStringLiteral("...");
        *note = (leftOut.size() == 1
                     ? tr("Left out, as it holds a zero byte: line %1 of the earlier data file, kept as\n%2")
                     : tr("Left out, as they hold a zero byte: lines %1 of the earlier data file, kept as\n%2"))
                    .arg(numbers.join(QStringLiteral(", ")), aside);
    }
    return Converted;
}
