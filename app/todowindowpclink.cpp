// The PC-link commands of the main window: this copy as the waiting device,
// and the send and get sides of the Transfer Data dialog.

#include "todowindow.h"

#include "pclink/senddatadialogserver.h"
#include "pclink/transferdata.h"
#include "pim/categorymanager.h"
#include "pim/dbmanager.h"
#include "pim/dbrecord.h"
#include "pim/pimrecordarray.h"
#include "pim/taskmanager.h"
#include "qpe/sharedfile.h"

#include <QFile>

namespace {

// The category file must hold what the shared store shows before a peer
// reads or replaces it.
void saveCategories()
{
    TaskManager::sharedCategoryManager()->save();
}

void reloadCategories()
{
    TaskManager::sharedCategoryManager()->loadOrDefault();
}

} // namespace

void ToDoWindow::pcLink()
{
    m_index->save();
    m_index->refreshAll();
    if (!saveOpenBook())
        return;
    saveCategories();
    const QString path = m_manager ? m_manager->fileName() : QString();
    // the reopen below sets the caption again
    const QString caption = windowTitle();
    closeBook();
    setWindowTitle(caption);

    // a copy of every book record, so that the peer can list this device's books
    QString exportPath;
    {
        DBManager exported(true);
        exportPath = exported.fileName();
        // a link planted there is none of ours: set aside, never written through
        SharedFile::setAsideIfForeign(exportPath);
        exported.setSort(m_index->sortColumn(), m_index->sortOrder());
        PIMRecordArray *records = m_index->records();
        for (int i = 0; i < records->count(); ++i) {
            auto *copy = new DBRecord(*static_cast<DBRecord *>(records->at(i)));
            // no more than the peer's list takes
            if (!exported.addRecord(copy)) {
                delete copy;
                break;
            }
        }
        // written even when there are no books, so no stale copy is served
        exported.forceSave();
    }
    {
        SendDataDialogServer dialog(m_index, this);
        dialog.exec();
    }
    QFile::remove(exportPath);
    reloadCategories();
    openBookFile(path);
}

void ToDoWindow::sendData()
{
    m_index->save();
    m_index->refreshAll();
    if (!saveOpenBook())
        return;
    saveCategories();
    TransferData dialog(true, m_index, m_manager ? m_manager->fileName() : QString(), this);
    dialog.exec();
}

void ToDoWindow::receiveData(DBManager *index)
{
    index->save();
    index->refreshAll();
    saveCategories();
    {
        TransferData dialog(false, index, QString(), nullptr);
        dialog.exec();
    }
    reloadCategories();
}

void ToDoWindow::getData()
{
    if (!saveOpenBook())
        return;
    const QString path = m_manager ? m_manager->fileName() : QString();
    closeBook();
    receiveData(m_index);
    openBookFile(path);
}
