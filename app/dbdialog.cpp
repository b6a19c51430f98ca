#include "dbdialog.h"

#include "todowindow.h"

#include "pim/dblistview.h"
#include "pim/dbmanager.h"
#include "pim/dbrecord.h"
#include "pim/pimlistviewitem.h"
#include "pim/ymrpim.h"
#include "qpe/config.h"
#include "qpe/popupmenu.h"
#include "qt/ymrapplication.h"
#include "qt/ymrdialog.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"

#include <QPlainTextEdit>
#include <QSignalBlocker>

namespace {

enum { RemoveItem = 0, DeleteItem = 1 };

void setIcon(YMRPushButton *button, const char *name)
{
    button->setIconSet(YMRResource::loadIconSet(QLatin1String(name)));
}

} // namespace

DBDialog::DBDialog(DBManager *index, const QString &currentPath, QWidget *parent,
                   const char *name)
    : DBDialogBase(parent, name, true)
    , m_index(index)
{
    setWindowTitle(tr("Select Expense Book"));
    m_index->refreshAll();
    m_index->rebuildView(false);

    memo->setEnabled(false);
    memo->setFixedHeight(4 * memo->fontMetrics().lineSpacing() + 2 * memo->frameWidth());

    connect(list, &PIMListView::selectionCleared, this, &DBDialog::selectionCleared);
    connect(list, &PIMListView::selected, this, &DBDialog::selected);

    setIcon(btnRemove, "remove");
    setIcon(btnNew, "filenew");
    setIcon(btnEdit, "edit");
    setIcon(btnOk, "button_cancel");
    setIcon(btnOpen, "fileopen");
    setIcon(btnSelect, "button_ok");
    setIcon(btnDup, "editcopy");
    setIcon(btnGet, "pclink");
    m_removeMenu = new PopupMenu(this, "remove");
    m_removeMenu->insertItem(YMRResource::loadIconSet(QStringLiteral("delete")),
                             tr("Remove from List"), this, SLOT(doRemove()), QKeySequence(),
                             RemoveItem);
    m_removeMenu->insertSeparator();
    m_removeMenu->insertItem(YMRResource::loadIconSet(QStringLiteral("remove")),
                             tr("Delete Expense Book"), this, SLOT(doDelete()), QKeySequence(),
                             DeleteItem);
    btnRemove->setPopup(m_removeMenu);
    // on the narrow screen the icon buttons give up their margins first
    for (YMRPushButton *b : {btnOpen, btnNew, btnEdit, btnDup, btnRemove, btnGet})
        b->setMinimumWidth(b->iconSize().width() + 8);

    btnOk->hide();
    btnGet->hide();

    {
        Config cfg(YMRPIM::applicationName());
        cfg.setGroup(QStringLiteral("db_columns"));
        cfg.writeEntry(QStringLiteral("column"), QStringLiteral("0;1;2;3;4"));
    }
    list->setObjectName(QStringLiteral("db"));
    list->setManager(m_index, true);
    list->restoreColumns();
    list->init();

    for (YMRListViewItem *item = list->firstChild(); item; item = item->nextSibling()) {
        auto *book = dynamic_cast<DBRecord *>(static_cast<PIMListViewItem *>(item)->record());
        if (book && book->path() == currentPath) {
            list->setCurrentItem(item);
            break;
        }
    }
    if (!list->currentRecord())
        selectionCleared();
    YMRApplication::showMaximized(this, true);
}

DBDialog::~DBDialog()
{
    // the excluded book is shown unavailable only while this dialog is up
    if (!m_excludedPath.isEmpty()) {
        if (DBRecord *book = m_index->findByPath(m_excludedPath))
            m_index->refreshRecord(book);
    }
}

DBRecord *DBDialog::currentBook() const
{
    return dynamic_cast<DBRecord *>(list->currentRecord());
}

QString DBDialog::selectedPath() const
{
    DBRecord *book = currentBook();
    return book && book->isAvailable() ? book->path() : QString();
}

void DBDialog::selected(PIMRecord *record)
{
    auto *book = dynamic_cast<DBRecord *>(record);
    if (!book) {
        selectionCleared();
        return;
    }
    const bool available = book->isAvailable();
    btnEdit->setEnabled(available);
    btnSelect->setEnabled(available);
    btnDup->setEnabled(available);
    btnRemove->setEnabled(true);
    m_removeMenu->setItemEnabled(DeleteItem, available);
    const QSignalBlocker block(memo);
    memo->setPlainText(book->description());
}

void DBDialog::selectionCleared()
{
    btnRemove->setEnabled(false);
    btnEdit->setEnabled(false);
    btnSelect->setEnabled(false);
    btnDup->setEnabled(false);
    const QSignalBlocker block(memo);
    memo->clear();
}

void DBDialog::doRemove()
{
    DBRecord *book = currentBook();
    if (!book)
        return;
    if (!YMRDialog::confirmDelete(
            tr("Are you sure you want to remove\nExpense Book [%1] from List?").arg(book->title())))
        return;
    book->setDeleteFile(false);
    m_index->removeRecord(book);
    m_index->save();
}

void DBDialog::doDelete()
{
    DBRecord *book = currentBook();
    if (book && book->isAvailable())
        ToDoWindow::deleteBookRecord(book, m_index);
}

void DBDialog::doNew()
{
    ToDoWindow::createBookRecord(m_index);
}

void DBDialog::doOpen()
{
    ToDoWindow::addBookFiles(m_index);
}

void DBDialog::doEdit()
{
    DBRecord *book = currentBook();
    if (book && book->isAvailable())
        ToDoWindow::editBookRecord(book, m_index);
}

void DBDialog::doDuplicate()
{
    DBRecord *book = currentBook();
    if (book && book->isAvailable())
        ToDoWindow::duplicateBookRecord(book, m_index);
}

void DBDialog::doSelect()
{
    accept();
}

void DBDialog::getData()
{
    ToDoWindow::receiveData(m_index);
}

void DBDialog::setSelectMode(const QString &excludedPath)
{
    btnEdit->hide();
    btnDup->hide();
    line2->hide();
    btnRemove->hide();
    btnSelect->setText(tr("Select"));
    setWindowTitle(tr("Select Expense Book"));
    for (YMRListViewItem *item = list->firstChild(); item; item = item->nextSibling()) {
        auto *pitem = static_cast<PIMListViewItem *>(item);
        auto *book = dynamic_cast<DBRecord *>(pitem->record());
        if (book && book->path() == excludedPath) {
            m_excludedPath = excludedPath;
            book->setAvailable(false);
            pitem->refresh();
            if (PIMRecord *current = list->currentRecord())
                selected(current);
            break;
        }
    }
}
