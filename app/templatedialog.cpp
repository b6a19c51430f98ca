#include "templatedialog.h"

#include "sharedwrite.h"
#include "taskdialog.h"
#include "pim/task.h"
#include "pim/taskmanager.h"
#include "pim/templatemanager.h"
#include "pim/ymrpim.h"
#include "qpe/qpeapplication.h"
#include "qt/enterstringdialog.h"
#include "qt/orderedlistviewitem.h"
#include "qt/renamedialog.h"
#include "qt/ymrapplication.h"
#include "qt/ymrdialog.h"
#include "qt/ymrheader.h"
#include "qt/ymrlistview.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"

namespace {
const QString separatorText()
{
    return QStringLiteral("-------");
}
}

TemplateDialog::TemplateDialog(TemplateManager *templates, QWidget *parent, const char *name)
    : TemplateDialogBase(parent, name, true)
    , m_templates(templates)
{
    connect(list, &YMRListView::currentChanged, this, &TemplateDialog::currentChanged);
    list->header()->hide();
    const QRect screen = QPEApplication::screenRect();
    list->setColumnWidth(0, qMax(screen.width(), screen.height()));
    list->setSorting(0, true);

    btnUp->setIconSet(YMRResource::loadIconSet(QStringLiteral("up")));
    btnDown->setIconSet(YMRResource::loadIconSet(QStringLiteral("down")));
    btnRemove->setIconSet(YMRResource::loadIconSet(QStringLiteral("remove")));
    btnNew->setIconSet(YMRResource::loadIconSet(QStringLiteral("filenew")));
    btnEdit->setIconSet(YMRResource::loadIconSet(QStringLiteral("edit")));
    btnRename->setIconSet(YMRResource::loadIconSet(QStringLiteral("rename")));
    btnSep->setIconSet(YMRResource::loadIconSet(QStringLiteral("file_broken")));

    if (m_templates) {
        for (const QString &n : m_templates->names())
            appendRow(n);
    }
    if (list->firstChild())
        list->setCurrentItem(list->firstChild());
    currentChanged();
    YMRApplication::showMaximized(this, true);
    list->triggerUpdate();
}

TemplateDialog::~TemplateDialog()
{
    save();
}

YMRListViewItem *TemplateDialog::appendRow(const QString &name)
{
    const bool separator = name.isEmpty();
    auto *item = new OrderedListViewItem(list, separator ? separatorText() : name);
    item->setPixmap(0, YMRResource::loadPixmap(separator ? QStringLiteral("file_broken")
                                                          : QStringLiteral("template")));
    return item;
}

QStringList TemplateDialog::names() const
{
    QStringList result;
    for (YMRListViewItem *i = list->firstChild(); i; i = i->itemBelow())
        result.append(i->text(0) == separatorText() ? QString() : i->text(0));
    return result;
}

bool TemplateDialog::save()
{
    if (!m_templates)
        return false;
    // the manager keeps the names and retries the save itself
    if (m_templates->save(names()))
        return true;
    SharedWrite::tellUnsaved(m_templates->indexFileName());
    return false;
}

void TemplateDialog::currentChanged()
{
    list->triggerUpdate();
    list->setFocus();
    YMRListViewItem *item = list->currentItem();
    OrderedListViewItem::showCurrent(list, item, btnUp, btnDown);
    btnRemove->setEnabled(item != nullptr);
    const bool named = item && item->text(0) != separatorText();
    btnRename->setEnabled(named);
    btnEdit->setEnabled(named);
}

void TemplateDialog::doUp()
{
    auto *item = dynamic_cast<OrderedListViewItem *>(list->currentItem());
    if (!item)
        return;
    item->moveUp();
    list->setCurrentItem(item);
    currentChanged();
}

void TemplateDialog::doDown()
{
    auto *item = dynamic_cast<OrderedListViewItem *>(list->currentItem());
    if (!item)
        return;
    item->moveDown();
    list->setCurrentItem(item);
    currentChanged();
}

void TemplateDialog::doSeparator()
{
    list->setCurrentItem(appendRow(QString()));
    currentChanged();
}

void TemplateDialog::doRemove()
{
    auto *item = dynamic_cast<OrderedListViewItem *>(list->currentItem());
    if (!item)
        return;
    const QString name = item->text(0);
    if (name != separatorText()) {
        if (!YMRDialog::confirmDelete(
                tr("Are you sure you want to delete\nTemplate [%1] ?").arg(name)))
            return;
        if (m_templates)
            m_templates->remove(name);
    }
    item->closeGap();
    currentChanged();
}

void TemplateDialog::doEdit()
{
    YMRListViewItem *item = list->currentItem();
    if (!item || !m_templates)
        return;
    auto *task = static_cast<Task *>(m_templates->find(item->text(0)));
    if (!task)
        return;
    TaskDialog dialog(this);
    dialog.exec(task, 0, false);
}

void TemplateDialog::doRename()
{
    YMRListViewItem *item = list->currentItem();
    if (!item || !m_templates)
        return;
    const QString oldName = item->text(0);
    if (oldName == separatorText())
        return;
    QString newName;
    {
        RenameDialog prompt(this);
        YMRPIM::refuseBar(prompt.fname);
        newName = prompt.getText(oldName);
    }
    if (newName.isEmpty() || newName == oldName)
        return;
    if (newName == separatorText() || !m_templates->rename(oldName, newName)) {
        YMRDialog::critical(tr("Rename"), tr("Invalid name!"));
        return;
    }
    item->setText(0, newName);
}

void TemplateDialog::doNew()
{
    if (!m_templates)
        return;
    auto *task = new Task(m_templates->store());
    {
        TaskDialog dialog(this);
        if (dialog.exec(task, 0, false) != QDialog::Accepted)
            return;
    }
    QString name = task->type;
    for (;;) {
        bool rejected = false;
        {
            EnterStringDialog prompt(tr("Template name"), this);
            YMRPIM::refuseBar(prompt.fname);
            name = prompt.getText(name, &rejected);
        }
        if (rejected || name.trimmed().isEmpty()) {
            m_templates->store()->removeRecord(task);
            return;
        }
        // "-------" would read back as a separator and lose the template
        if (name != separatorText() && m_templates->add(task, name))
            break;
        YMRDialog::critical(tr("Template"), tr("Invalid name!"));
    }
    list->setCurrentItem(appendRow(name));
    currentChanged();
}
