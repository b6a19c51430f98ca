#include "renamedialogbase.h"

#include "ymrpushbutton.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpacerItem>

RenameDialogBase::RenameDialogBase(QWidget *parent, const char *name, bool modal,
                                   Qt::WindowFlags fl)
    : QDialog(parent, fl)
{
    setObjectName(QLatin1String(name ? name : "RenameDialogBase"));
    setModal(modal);
    resize(396, 110);
    setWindowTitle(tr("Rename"));

    RenameDialogBaseLayout = new QGridLayout(this);
    RenameDialogBaseLayout->setSpacing(3);
    RenameDialogBaseLayout->setContentsMargins(3, 3, 3, 3);

    icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    RenameDialogBaseLayout->addWidget(icon, 0, 0, 2, 1);

    fname1 = new QLineEdit(this);
    fname1->setObjectName(QStringLiteral("fname1"));
    fname1->setEnabled(false);
    RenameDialogBaseLayout->addWidget(fname1, 0, 1);

    fname = new QLineEdit(this);
    fname->setObjectName(QStringLiteral("fname"));
    RenameDialogBaseLayout->addWidget(fname, 1, 1);

    Line9 = new QFrame(this);
    Line9->setObjectName(QStringLiteral("Line9"));
    Line9->setFrameShape(QFrame::HLine);
    Line9->setFrameShadow(QFrame::Sunken);
    RenameDialogBaseLayout->addWidget(Line9, 2, 0, 1, 2);

    buttonLayout = new QHBoxLayout;
    buttonLayout->setSpacing(3);
    buttonLayout->setContentsMargins(0, 0, 0, 0);
    buttonLayout->addItem(new QSpacerItem(20, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    btnCancel = new YMRPushButton(tr("Cancel"), this, "btnCancel");
    buttonLayout->addWidget(btnCancel);
    btnOk = new YMRPushButton(tr("Ok"), this, "btnOk");
    btnOk->setDefault(true);
    buttonLayout->addWidget(btnOk);
    RenameDialogBaseLayout->addLayout(buttonLayout, 3, 0, 1, 2);

    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(fname, &QLineEdit::returnPressed, this, &QDialog::accept);
}

RenameDialogBase::~RenameDialogBase() = default;
