#include "passworddialog2.h"

#include "pim/dbmanager.h"
#include "pim/dbrecord.h"
#include "qpe/qpeapplication.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

PasswordDialog2::PasswordDialog2(DBManager *index, DBRecord *record, QWidget *parent,
                                 const char *name)
    : PasswordDialog(false, parent, name)
    , m_index(index)
{
    m_books = new YMRComboBox(this, "books");
    btnCancel->setText(tr("Exit"));
    m_booksButton = new YMRPushButton(this, "btnBooks");
    m_booksButton->setIconSet(YMRResource::loadIconSet(QStringLiteral("books")));
    connect(m_booksButton, &QPushButton::clicked, this, &PasswordDialog2::callManager);

    // the form's grid makes way for one with the books combo on top
    delete layout();
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(3, 3, 3, 3);
    grid->setSpacing(3);
    grid->addWidget(icon, 0, 0, 3, 1);
    grid->addWidget(m_books, 0, 1);
    grid->addWidget(p1, 1, 1);
    grid->addWidget(p2, 2, 1);
    grid->addWidget(Line9, 3, 0, 1, 2);
    auto *row = new QHBoxLayout();
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(3);
    row->addWidget(btnMask);
    row->addStretch();
    row->addWidget(m_booksButton);
    row->addWidget(btnCancel);
    row->addWidget(btnOk);
    grid->addLayout(row, 4, 0, 1, 2);
    PasswordDialogBaseLayout = grid;
    Layout1 = row;
    fitButtons(width());
    setFixedSize(width(), sizeHint().height());

    if (m_index) {
        PIMRecordArray *view = m_index->view();
        int current = -1;
        for (int i = 0; i < view->count(); ++i) {
            auto *r = dynamic_cast<DBRecord *>(view->at(i));
            if (!r)
                continue;
            if (r == record)
                current = m_books->count();
            m_books->insertItem(r->icon(), r->title());
        }
        if (current >= 0)
            m_books->setCurrentItem(current);
    }
    connect(m_books, qOverload<const QString &>(&YMRComboBox::activated), this,
            &PasswordDialog2::dbActivated);
}

PasswordDialog2::~PasswordDialog2() = default;

DBRecord *PasswordDialog2::selectedRecord()
{
    return m_index ? m_index->findByTitle(m_books->currentText()) : nullptr;
}

void PasswordDialog2::dbActivated()
{
    DBRecord *r = selectedRecord();
    if (r && r->password().isEmpty())
        accept();
    else
        p1->clear();
}

void PasswordDialog2::callManager()
{
    m_managerRequested = true;
    reject();
}

void PasswordDialog2::installPrompts()
{
    DBManager::setPasswordPrompts(&PasswordDialog::checkBook, &PasswordDialog2::openBook);
}

DBRecord *PasswordDialog2::openBook(DBManager *index, DBRecord *record, bool &managerRequested)
{
    PasswordDialog2 dialog(index, record, QPEApplication::dialogParent());
    const QString typed = dialog.getPassword();
    if (dialog.managerRequested()) {
        managerRequested = true;
        return nullptr;
    }
    DBRecord *chosen = dialog.selectedRecord();
    if (!chosen)
        return nullptr;
    if (chosen->password().isEmpty())
        return chosen;
    // a cancelled prompt ("Exit") gives a null text, which no password equals
    if (PasswordDialog::matches(typed, chosen->password()))
        return chosen;
    return nullptr;
}
