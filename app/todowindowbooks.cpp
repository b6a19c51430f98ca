// Book commands: create, add, edit, delete and duplicate Expense Books.

#include "todowindow.h"

#include "dbeditor.h"

#include "filedialog/ymfiledialog.h"
#include "pim/bookfile.h"
#include "pim/dbmanager.h"
#include "pim/dbrecord.h"
#include "pim/taskmanager.h"
#include "pim/ymrpim.h"
#include "qpe/config.h"
#include "qpe/qpeglobal.h"
#include "qt/ymrdialog.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

DBRecord *ToDoWindow::createBookRecord(DBManager *index)
{
    DBEditor editor;
    auto *record = new DBRecord(index);
    if (editor.edit(record) != QDialog::Accepted) {
        delete record;
        return nullptr;
    }
    editor.store(record);
    if (!index->addRecord(record)) {
        YMRDialog::critical(YMRPIM::applicationName(), index->addRefusal());
        delete record;
        return nullptr;
    }
    if (record->isAvailable()) {
        index->save();
        return record;
    }
    record->setDeleteFile(false);
    index->removeRecord(record);
    index->save();
    YMRDialog::critical(YMRPIM::applicationName(),
                        tr("Cannot create Expense Book.\nDestination location not available."));
    return nullptr;
}

DBRecord *ToDoWindow::addBookFiles(DBManager *index)
{
    // the platform's home: the program may run with a home of its own
    static QString kept = Qpe::userRoot();
    QString start;
    {
        Config cfg(YMRPIM::applicationName());
        cfg.setGroup(QStringLiteral("Options"));
        start = cfg.readEntry(QStringLiteral("openbookpath"), kept);
    }
    const QString filter = tr("Expense Book") + QStringLiteral("(*.exp);;") + tr("All Files")
                           + QStringLiteral("(*);;");
    const QStringList files = YMFileDialog::getOpenFileNames(start, filter, nullptr, nullptr,
                                                             QString());
    if (files.isEmpty()) {
        index->save();
        return nullptr;
    }
    kept = QFileInfo(files.first()).path();
    {
        Config cfg(YMRPIM::applicationName());
        cfg.setGroup(QStringLiteral("Options"));
        cfg.writeEntry(QStringLiteral("openbookpath"), kept);
    }
    DBRecord *last = nullptr;
    for (const QString &file : files) {
        const QString name = QFileInfo(file).baseName();
        if (index->findByPath(file)) {
            YMRDialog::critical(YMRPIM::applicationName(),
                                tr("Expense Book [%1]\nalready in list!").arg(name));
            continue;
        }
        // someone else's file never gets a book header in front of it
        const BookFileCheck check = checkBookFile(file);
        if (check != BookFile && check != NewBookFile) {
            const QString refusal = nameRefusal(check, file);
            YMRDialog::critical(YMRPIM::applicationName(),
                                refusal.isEmpty() ? tr("[%1]\nis not an Expense Book!").arg(name)
                                                  : refusal);
            continue;
        }
        auto *record = new DBRecord(index);
        record->setPath(file);
        index->refreshRecord(record);
        if (!index->addRecord(record)) {
            YMRDialog::critical(YMRPIM::applicationName(), index->addRefusal());
            delete record;
            break;
        }
        last = record;
    }
    index->save();
    return last;
}

namespace {

// Another copy of the program has the book open: it is neither edited,
// moved nor deleted behind that copy's back, and the user is told so.
bool openElsewhere(const DBRecord *record, const QString &what)
{
    QString holder;
    if (!::BookFile::heldElsewhere(record->path(), &holder))
        return false;
    YMRDialog::critical(YMRPIM::applicationName(),
                        ToDoWindow::tr("Expense Book [%1] is open in another program:\n%2\n"
                                       "Close it there first, then %3 it.")
                            .arg(record->title(), holder, what));
    return true;
}

} // namespace

void ToDoWindow::editBookRecord(DBRecord *record, DBManager *index)
{
    if (!DBManager::checkPassword(record) || openElsewhere(record, tr("edit")))
        return;
    auto *before = new DBRecord(*record);
    DBEditor editor;
    if (editor.edit(record) == QDialog::Accepted) {
        editor.store(record);
        const QString wanted = record->path();
        record->store(before);   // takes the copy
        if (!record->isAvailable() || record->path() != wanted) {
            // the index names why the book stayed as it was
            const QString why = index->bookFailure();
            YMRDialog::critical(YMRPIM::applicationName(),
                                tr("Cannot update Expense Book.\nDestination location not available!")
                                    + (why.isEmpty() ? QString() : QLatin1Char('\n') + why));
        }
    } else {
        delete before;
    }
    index->save();
}

bool ToDoWindow::deleteBookRecord(DBRecord *record, DBManager *index)
{
    if (!DBManager::checkPassword(record) || openElsewhere(record, tr("delete")))
        return false;
    const QString title = record->title();
    if (!YMRDialog::confirmDelete(
            tr("Are you sure you want to delete\nExpense Book [%1] ?").arg(title)))
        return false;
    record->setDeleteFile(true);
    if (!index->removeRecord(record)) {
        record->setDeleteFile(false);
        const QString why = index->bookFailure();
        YMRDialog::critical(YMRPIM::applicationName(),
                            tr("Cannot delete Expense Book [%1].").arg(title)
                                + (why.isEmpty() ? QString() : QLatin1Char('\n') + why));
        return false;
    }
    index->save();
    return true;
}

DBRecord *ToDoWindow::duplicateBookRecord(DBRecord *record, DBManager *index)
{
    const QString folder = QFileInfo(record->path()).path();
    QString target;
    // made anew under the first free name, never over what appeared there meanwhile
    bool copied = false;
    for (int n = 1;; ++n) {
        target = folder + QLatin1Char('/') + record->title() + QStringLiteral("_Copy_")
                 + QString::number(n) + QStringLiteral(".exp");
        if (QFileInfo(target).exists() || QFileInfo(target).isSymLink())
            continue;
        bool taken = false;
        copied = BookFile::copyNew(record->path(), target, nullptr, &taken);
        if (copied || !taken)
            break;
    }
    if (!copied) {
        YMRDialog::critical(YMRPIM::applicationName(), tr("Duplicate failed!"));
        return nullptr;
    }
    auto *copy = new DBRecord(*record);
    copy->newUid();
    const QDateTime now = QDateTime::currentDateTime();
    copy->setCreated(now);
    copy->setUpdated(now);
    copy->setPath(target);
    index->refreshRecord(copy);
    if (!index->addRecord(copy)) {
        YMRDialog::critical(YMRPIM::applicationName(), index->addRefusal());
        delete copy;
        // a copy no list names would only be found by chance
        QFile::remove(target);
        return nullptr;
    }
    index->save();

    // the copy's expenses get UIDs of their own: two books never share one
    bool renewed = false;
    {
        TaskManager book(target, false, false);
        book.lockFile();
        if (book.load()) {
            PIMRecordArray *all = book.records();
            for (int i = 0; i < all->count(); ++i)
                all->at(i)->newUid();
            book.setLastCurrent(QString());
            book.forceSave();
            renewed = !book.isDirty();
        }
    }
    if (!renewed) {
        copy->setDeleteFile(true);
        index->removeRecord(copy);
        index->save();
        YMRDialog::critical(YMRPIM::applicationName(), tr("Duplicate failed!"));
        return nullptr;
    }
    YMRDialog::information(YMRPIM::applicationName(), tr("Duplicate done!"));
    return copy;
}

void ToDoWindow::newBook()
{
    if (DBRecord *record = createBookRecord(m_index))
        openBookFile(record->path());
}

void ToDoWindow::openBook()
{
    if (DBRecord *record = addBookFiles(m_index))
        openBookFile(record->path());
}

// Edit, delete and duplicate save the open book first and, where the book
// file changes under it, close it: the store then never writes a deleted
// book back nor an old header over the edited one.

void ToDoWindow::editBook()
{
    DBRecord *record = openBookRecord();
    if (!record || !saveOpenBook())
        return;
    closeBook();
    editBookRecord(record, m_index);
    openBookFile(record->path());
}

void ToDoWindow::deleteBook()
{
    DBRecord *record = openBookRecord();
    if (!record || !saveOpenBook())
        return;
    const QString path = record->path();
    closeBook();
    if (deleteBookRecord(record, m_index))
        books();
    else
        openBookFile(path);
}

void ToDoWindow::duplicateBook()
{
    DBRecord *record = openBookRecord();
    if (!record || !saveOpenBook())
        return;
    if (DBRecord *copy = duplicateBookRecord(record, m_index))
        openBookFile(copy->path());
}
