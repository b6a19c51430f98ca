#include "datetimeformateditorbase.h"

#include "qt/ymrlistbox.h"
#include "qt/ymrpushbutton.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpacerItem>

DateTimeFormatEditorBase::DateTimeFormatEditorBase(QWidget *parent, const char *name,
                                                   bool modal, Qt::WindowFlags fl)
    : QDialog(parent, fl)
{
    setObjectName(QString::fromLatin1(name ? name : "DateTimeFormatEditorBase"));
    setModal(modal);
    resize(565, 453);
    setWindowTitle(tr("DateTime Format Editor"));

    DateTimeFormatEditorBaseLayout = new QGridLayout(this);
    DateTimeFormatEditorBaseLayout->setContentsMargins(3, 3, 3, 3);
    DateTimeFormatEditorBaseLayout->setSpacing(3);

    edit = new QLineEdit(this);
    edit->setObjectName(QStringLiteral("edit"));
    DateTimeFormatEditorBaseLayout->addWidget(edit, 0, 0, 1, 6);

    GroupBox1 = new QGroupBox(tr("Example"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto *box = new QHBoxLayout(GroupBox1);
    box->setContentsMargins(6, 6, 6, 6);
    box->setSpacing(3);
    example = new QLabel(GroupBox1);
    example->setObjectName(QStringLiteral("example"));
    box->addWidget(example);
    DateTimeFormatEditorBaseLayout->addWidget(GroupBox1, 1, 0, 1, 6);

    list = new YMRListBox(this, "list");
    DateTimeFormatEditorBaseLayout->addWidget(list, 2, 0, 1, 6);

    btnAdd = new YMRPushButton(tr("Add"), this, "btnAdd");
    DateTimeFormatEditorBaseLayout->addWidget(btnAdd, 3, 0);
    btnUpdate = new YMRPushButton(tr("Update"), this, "btnUpdate");
    DateTimeFormatEditorBaseLayout->addWidget(btnUpdate, 3, 1);
    btnRemove = new YMRPushButton(tr("Remove"), this, "btnRemove");
    DateTimeFormatEditorBaseLayout->addWidget(btnRemove, 3, 2);
    DateTimeFormatEditorBaseLayout->addItem(
        new QSpacerItem(20, 20, QSizePolicy::Expanding, QSizePolicy::Minimum), 3, 3);
    btnOk = new YMRPushButton(tr("Ok"), this, "btnOk");
    DateTimeFormatEditorBaseLayout->addWidget(btnOk, 3, 4);
    btnCancel = new YMRPushButton(tr("Cancel"), this, "btnCancel");
    DateTimeFormatEditorBaseLayout->addWidget(btnCancel, 3, 5);

    connect(btnAdd, &QPushButton::clicked, this, &DateTimeFormatEditorBase::addItem);
    connect(btnRemove, &QPushButton::clicked, this, &DateTimeFormatEditorBase::removeItem);
    connect(btnUpdate, &QPushButton::clicked, this, &DateTimeFormatEditorBase::update);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(list, qOverload<const QString &>(&YMRListBox::highlighted), this,
            &DateTimeFormatEditorBase::itemSelected);
    connect(edit, &QLineEdit::textChanged, this, &DateTimeFormatEditorBase::formatChanged);
}

DateTimeFormatEditorBase::~DateTimeFormatEditorBase() = default;

void DateTimeFormatEditorBase::addItem()
{
    qWarning("DateTimeFormatEditorBase::addItem(): Not implemented yet!");
}

void DateTimeFormatEditorBase::formatChanged()
{
    qWarning("DateTimeFormatEditorBase::formatChanged(): Not implemented yet!");
}

void DateTimeFormatEditorBase::itemSelected(const QString &)
{
    qWarning("DateTimeFormatEditorBase::itemSelected(const QString &): Not implemented yet!");
}

void DateTimeFormatEditorBase::update()
{
    qWarning("DateTimeFormatEditorBase::update(): Not implemented yet!");
}

void DateTimeFormatEditorBase::removeItem()
{
    qWarning("DateTimeFormatEditorBase::removeItem(): Not implemented yet!");
}
