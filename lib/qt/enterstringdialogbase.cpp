#include "enterstringdialogbase.h"

#include "ymrpushbutton.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QSpacerItem>
#include <QVBoxLayout>

EnterStringDialogBase::EnterStringDialogBase(QWidget *parent, const char *name, bool modal,
                                             Qt::WindowFlags fl)
    : QDialog(parent, fl)
{
    setObjectName(QLatin1String(name ? name : "EnterStringDialogBase"));
    setModal(modal);
    resize(396, 139);

    EnterStringDialogBaseLayout = new QVBoxLayout(this);
    EnterStringDialogBaseLayout->setSpacing(3);
    EnterStringDialogBaseLayout->setContentsMargins(3, 3, 3, 3);

    fname = new QLineEdit(this);
    fname->setObjectName(QStringLiteral("fname"));
    EnterStringDialogBaseLayout->addWidget(fname);

    Line9 = new QFrame(this);
    Line9->setObjectName(QStringLiteral("Line9"));
    Line9->setFrameShape(QFrame::HLine);
    Line9->setFrameShadow(QFrame::Sunken);
    EnterStringDialogBaseLayout->addWidget(Line9);

    buttonLayout = new QHBoxLayout;
    buttonLayout->setSpacing(3);
    buttonLayout->setContentsMargins(0, 0, 0, 0);
    buttonLayout->addItem(new QSpacerItem(20, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    btnCancel = new YMRPushButton(tr("Cancel"), this, "btnCancel");
    buttonLayout->addWidget(btnCancel);
    btnOk = new YMRPushButton(tr("Ok"), this, "btnOk");
    btnOk->setDefault(true);
    buttonLayout->addWidget(btnOk);
    EnterStringDialogBaseLayout->addLayout(buttonLayout);

    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(fname, &QLineEdit::returnPressed, this, &QDialog::accept);
}

EnterStringDialogBase::~EnterStringDialogBase() = default;
