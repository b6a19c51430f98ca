#include "numberformateditorbase.h"

#include "qt/ymrlistbox.h"
#include "qt/ymrpushbutton.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpacerItem>

NumberFormatEditorBase::NumberFormatEditorBase(QWidget *parent, const char *name, bool modal,
                                               Qt::WindowFlags fl)
    : QDialog(parent, fl)
{
    setObjectName(QString::fromLatin1(name ? name : "NumberFormatEditorBase"));
    setModal(modal);
    resize(565, 453);
    setWindowTitle(tr("Number Format Editor"));

    NumberFormatEditorBaseLayout = new QGridLayout(this);
    NumberFormatEditorBaseLayout->setContentsMargins(3, 3, 3, 3);
    NumberFormatEditorBaseLayout->setSpacing(3);

    GroupBox2 = new QGroupBox(tr("Format Code"), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    auto *codeBox = new QHBoxLayout(GroupBox2);
    codeBox->setContentsMargins(6, 6, 6, 6);
    codeBox->setSpacing(6);
    edit = new QLineEdit(GroupBox2);
    edit->setObjectName(QStringLiteral("edit"));
    codeBox->addWidget(edit);
    NumberFormatEditorBaseLayout->addWidget(GroupBox2, 0, 0, 1, 4);

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto *grid = new QGridLayout(GroupBox1);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setSpacing(3);
    TextLabel1 = new QLabel(tr("Example:"), GroupBox1);
    TextLabel1->setObjectName(QStringLiteral("TextLabel1"));
    grid->addWidget(TextLabel1, 0, 0);
    number = new QLineEdit(GroupBox1);
    number->setObjectName(QStringLiteral("number"));
    grid->addWidget(number, 0, 1);
    TextLabel2 = new QLabel(tr("Preview:"), GroupBox1);
    TextLabel2->setObjectName(QStringLiteral("TextLabel2"));
    grid->addWidget(TextLabel2, 1, 0);
    example = new QLabel(GroupBox1);
    example->setObjectName(QStringLiteral("example"));
    example->setFrameStyle(QFrame::Box | QFrame::Sunken);
    grid->addWidget(example, 1, 1);
    NumberFormatEditorBaseLayout->addWidget(GroupBox1, 1, 0, 1, 4);

    list = new YMRListBox(this, "list");
    NumberFormatEditorBaseLayout->addWidget(list, 2, 0, 1, 4);

    Line1 = new QFrame(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    NumberFormatEditorBaseLayout->addWidget(Line1, 3, 0, 1, 4);

    NumberFormatEditorBaseLayout->addItem(
        new QSpacerItem(20, 20, QSizePolicy::Expanding, QSizePolicy::Minimum), 4, 0);
    btnAdd = new YMRPushButton(tr("Add"), this, "btnAdd");
    NumberFormatEditorBaseLayout->addWidget(btnAdd, 4, 1);
    btnUpdate = new YMRPushButton(tr("Update"), this, "btnUpdate");
    NumberFormatEditorBaseLayout->addWidget(btnUpdate, 4, 2);
    btnRemove = new YMRPushButton(tr("Remove"), this, "btnRemove");
    NumberFormatEditorBaseLayout->addWidget(btnRemove, 4, 3);

    // on a small screen the buttons give up some of their width rather than widen the dialog
    for (YMRPushButton *b : {btnAdd, btnUpdate, btnRemove})
        b->setMinimumWidth(1);

    connect(btnAdd, &QPushButton::clicked, this, &NumberFormatEditorBase::addItem);
    connect(btnRemove, &QPushButton::clicked, this, &NumberFormatEditorBase::removeItem);
    connect(btnUpdate, &QPushButton::clicked, this, &NumberFormatEditorBase::update);
    connect(list, qOverload<const QString &>(&YMRListBox::highlighted), this,
            &NumberFormatEditorBase::itemSelected);
    connect(number, &QLineEdit::textChanged, this, &NumberFormatEditorBase::numberChanged);
    connect(edit, &QLineEdit::textChanged, this, &NumberFormatEditorBase::formatChanged);
}

NumberFormatEditorBase::~NumberFormatEditorBase() = default;

void NumberFormatEditorBase::addItem()
{
    qWarning("NumberFormatEditorBase::addItem(): Not implemented yet!");
}

void NumberFormatEditorBase::itemSelected(const QString &)
{
    qWarning("NumberFormatEditorBase::itemSelected(const QString &): Not implemented yet!");
}

void NumberFormatEditorBase::numberChanged()
{
    qWarning("NumberFormatEditorBase::numberChanged(): Not implemented yet!");
}

void NumberFormatEditorBase::removeItem()
{
    qWarning("NumberFormatEditorBase::removeItem(): Not implemented yet!");
}

void NumberFormatEditorBase::formatChanged()
{
    qWarning("NumberFormatEditorBase::formatChanged(): Not implemented yet!");
}

void NumberFormatEditorBase::update()
{
    qWarning("NumberFormatEditorBase::update(): Not implemented yet!");
}
