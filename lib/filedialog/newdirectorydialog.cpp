#include "newdirectorydialog.h"

#include <ymrpushbutton.h>

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpacerItem>

NewDirectoryDialog::NewDirectoryDialog(QWidget *parent, const char *name, bool modal,
                                       Qt::WindowFlags f)
    : QDialog(parent, f)
{
    setObjectName(name ? QString::fromLatin1(name) : QStringLiteral("NewDirectoryDialog"));
    setModal(modal);
    resize(400, 79);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setWindowTitle(tr("Directory Name"));

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(3, 3, 3, 3);
    grid->setSpacing(3);

    icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    grid->addWidget(icon, 0, 0, 3, 1);

    fname = new QLineEdit(this);
    fname->setObjectName(QStringLiteral("fname"));
    grid->addWidget(fname, 0, 1);

    Line9 = new QFrame(this);
    Line9->setObjectName(QStringLiteral("Line9"));
    Line9->setFrameShape(QFrame::HLine);
    Line9->setFrameShadow(QFrame::Sunken);
    grid->addWidget(Line9, 1, 1);

    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(3);
    row->addItem(new QSpacerItem(20, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    btnCancel = new YMRPushButton(tr("Cancel"), this, "btnCancel");
    row->addWidget(btnCancel);
    btnOk = new YMRPushButton(tr("OK"), this, "btnOk");
    btnOk->setDefault(true);
    row->addWidget(btnOk);
    grid->addLayout(row, 2, 1);

    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(fname, &QLineEdit::returnPressed, this, &QDialog::accept);
}

NewDirectoryDialog::~NewDirectoryDialog() = default;
