#include "passworddialogbase.h"

#include "qt/ymrpushbutton.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpacerItem>

PasswordDialogBase::PasswordDialogBase(QWidget *parent, const char *name, bool modal,
                                       Qt::WindowFlags fl)
    : QDialog(parent, fl)
{
    setObjectName(QString::fromLatin1(name ? name : "PasswordDialogBase"));
    setModal(modal);
    resize(280, 92);
    setWindowTitle(tr("Enter password"));

    PasswordDialogBaseLayout = new QGridLayout(this);
    PasswordDialogBaseLayout->setContentsMargins(3, 3, 3, 3);
    PasswordDialogBaseLayout->setSpacing(3);

    icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    PasswordDialogBaseLayout->addWidget(icon, 0, 0, 2, 1);

    p1 = new QLineEdit(this);
    p1->setObjectName(QStringLiteral("p1"));
    PasswordDialogBaseLayout->addWidget(p1, 0, 1);

    p2 = new QLineEdit(this);
    p2->setObjectName(QStringLiteral("p2"));
    PasswordDialogBaseLayout->addWidget(p2, 1, 1);

    Line9 = new QFrame(this);
    Line9->setObjectName(QStringLiteral("Line9"));
    Line9->setFrameShape(QFrame::HLine);
    Line9->setFrameShadow(QFrame::Sunken);
    PasswordDialogBaseLayout->addWidget(Line9, 2, 0, 1, 2);

    Layout1 = new QHBoxLayout();
    Layout1->setContentsMargins(0, 0, 0, 0);
    Layout1->setSpacing(3);
    btnMask = new YMRPushButton(tr("Mask"), this, "btnMask");
    btnMask->setToggleButton(true);
    Layout1->addWidget(btnMask);
    Layout1->addItem(new QSpacerItem(20, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    btnCancel = new YMRPushButton(tr("Cancel"), this, "btnCancel");
    Layout1->addWidget(btnCancel);
    btnOk = new YMRPushButton(tr("Ok"), this, "btnOk");
    btnOk->setDefault(true);
    Layout1->addWidget(btnOk);
    PasswordDialogBaseLayout->addLayout(Layout1, 3, 0, 1, 2);

    connect(btnMask, &QPushButton::clicked, this, &PasswordDialogBase::maskChanged);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(p2, &QLineEdit::returnPressed, this, &QDialog::accept);
}

PasswordDialogBase::~PasswordDialogBase() = default;

void PasswordDialogBase::maskChanged()
{
    qWarning("PasswordDialogBase::maskChanged(): Not implemented yet!");
}
