#include "categoiesdialog.h"

#include "categorylistview.h"
#include "categorymanager.h"
#include "categoryrecord.h"
#include "ymrpim.h"

#include "qt/enterstringdialog.h"
#include "qt/renamedialog.h"
#include "qt/ymrapplication.h"
#include "qt/ymrdialog.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QVBoxLayout>

CategoiesDialog::CategoiesDialog(CategoryManager *manager, const QStringList *selection,
                                 QWidget *parent, const char *name)
    : QDialog(parent), m_manager(manager)
{
    setObjectName(QLatin1String(name));
    setModal(true);
    setWindowTitle(selection ? tr("Categories") : tr("Categories Editor"));
    if (selection && manager) {
        for (PIMRecord *r : *manager->view())
            static_cast<CategoryRecord *>(r)->on = selection->contains(r->uidString());
    }
    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(3, 3, 3, 3);
    box->setSpacing(3);
    m_list = new CategoryListView(this);
    box->addWidget(m_list);
    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(3);
    box->addLayout(row);
    auto button = [this, row](const char *icon, const QString &text) {
        auto *b = new YMRPushButton(YMRResource::loadIconSet(QLatin1String(icon)), text, this);
        row->addWidget(b);
        return b;
    };
    m_new = button("filenew", QString());
    m_rename = button("rename", QString());
    auto *line = new QFrame(this);
    line->setFrameStyle(QFrame::VLine | QFrame::Sunken);
    row->addWidget(line);
    m_remove = button("remove", QString());
    row->addStretch(1);
    YMRPushButton *ok = button("button_ok", tr("Ok"));
    m_new->setToolTip(tr("New"));
    m_rename->setToolTip(tr("Rename"));
    m_remove->setToolTip(tr("Remove"));
    connect(m_new, &YMRPushButton::clicked, this, &CategoiesDialog::newCategory);
    connect(m_rename, &YMRPushButton::clicked, this, &CategoiesDialog::renameCategory);
    connect(m_remove, &YMRPushButton::clicked, this, &CategoiesDialog::removeCategory);
    connect(ok, &YMRPushButton::clicked, this, &QDialog::accept);
    connect(m_list, &PIMListView::selectionCleared, this, &CategoiesDialog::selectionCleared);
    connect(m_list, &PIMListView::selected, this, &CategoiesDialog::selected);
    m_list->setColumns(selection ? QList<int>{ 0, 1, 3, 4 } : QList<int>{ 2, 1, 3, 4 });
    selectionCleared();
    if (manager) {
        m_list->setManager(manager, true);
        m_list->init();
    }
    YMRApplication::showMaximized(this, true);
}

CategoiesDialog::~CategoiesDialog() = default;

void CategoiesDialog::editCategories(CategoryManager *manager)
{
    CategoiesDialog dlg(manager, nullptr);
    dlg.exec();
}

QStringList CategoiesDialog::markedCategories() const
{
    QStringList out;
    if (!m_manager)
        return out;
    for (PIMRecord *r : *m_manager->view()) {
        if (static_cast<CategoryRecord *>(r)->on)
            out << r->uidString();
    }
    return out;
}

void CategoiesDialog::newCategory()
{
    if (!m_manager)
        return;
    EnterStringDialog ask(tr("Category Name"), this);
    YMRPIM::refuseBar(ask.fname, "T=");
    bool rejected = false;
    const QString title = ask.getText(tr("New Category"), &rejected);
    if (rejected || title.isEmpty())
        return;
    auto *c = new CategoryRecord(m_manager);
    c->title = title;
    c->on = true;
    m_manager->addRecord(c);
    m_manager->save();
}

void CategoiesDialog::renameCategory()
{
    auto *c = static_cast<CategoryRecord *>(m_list->currentRecord());
    if (!c || !m_manager)
        return;
    RenameDialog ask(this);
    YMRPIM::refuseBar(ask.fname, "T=");
    const QString title = ask.getText(c->title);
    if (title.isEmpty())
        return;
    auto *old = new CategoryRecord(*c);
    c->title = title;
    c->store(old); // takes old in every case
    m_manager->save();
}

void CategoiesDialog::removeCategory()
{
    PIMRecord *c = m_list->currentRecord();
    if (!c || !m_manager || c == m_manager->first())
        return;
    const QString text = tr("Are you sure you want to delete\nCategory [%1] ?")
                             .arg(static_cast<CategoryRecord *>(c)->title);
    if (!YMRDialog::confirmDelete(text))
        return;
    m_manager->removeRecord(c);
    m_manager->save();
}

void CategoiesDialog::selectionCleared()
{
    m_rename->setEnabled(false);
    m_remove->setEnabled(false);
}

void CategoiesDialog::selected(PIMRecord *record)
{
    m_rename->setEnabled(record != nullptr);
    m_remove->setEnabled(record && m_manager && record != m_manager->first());
}
