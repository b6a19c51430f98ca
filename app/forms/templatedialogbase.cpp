#include "templatedialogbase.h"

#include "qt/ymrlistview.h"
#include "qt/ymrpushbutton.h"

#include <QGridLayout>
#include <QSpacerItem>

TemplateDialogBase::TemplateDialogBase(QWidget *parent, const char *name, bool modal,
                                       Qt::WindowFlags fl)
    : QDialog(parent, fl)
{
    setObjectName(QString::fromLatin1(name ? name : "TemplateDialogBase"));
    setModal(modal);
    resize(612, 284);
    setWindowTitle(tr("Templates..."));

    TemplateDialogBaseLayout = new QGridLayout(this);
    TemplateDialogBaseLayout->setContentsMargins(3, 3, 3, 3);
    TemplateDialogBaseLayout->setSpacing(3);

    list = new YMRListView(this, "list");
    list->addColumn(tr("Column 1"));
    list->setColumnWidthMode(0, YMRListView::Maximum);
    list->setHScrollBarMode(YMRListView::AlwaysOff);
    TemplateDialogBaseLayout->addWidget(list, 0, 0, 1, 8);

    btnUp = new YMRPushButton(this, "btnUp");
    TemplateDialogBaseLayout->addWidget(btnUp, 1, 0);
    btnDown = new YMRPushButton(this, "btnDown");
    TemplateDialogBaseLayout->addWidget(btnDown, 1, 1);
    TemplateDialogBaseLayout->addItem(
        new QSpacerItem(20, 20, QSizePolicy::Expanding, QSizePolicy::Minimum), 1, 2);
    btnNew = new YMRPushButton(this, "btnNew");
    TemplateDialogBaseLayout->addWidget(btnNew, 1, 3);
    btnSep = new YMRPushButton(this, "btnSep");
    TemplateDialogBaseLayout->addWidget(btnSep, 1, 4);
    btnEdit = new YMRPushButton(this, "btnEdit");
    TemplateDialogBaseLayout->addWidget(btnEdit, 1, 5);
    btnRename = new YMRPushButton(this, "btnRename");
    TemplateDialogBaseLayout->addWidget(btnRename, 1, 6);
    btnRemove = new YMRPushButton(this, "btnRemove");
    TemplateDialogBaseLayout->addWidget(btnRemove, 1, 7);

    connect(btnNew, &QPushButton::clicked, this, &TemplateDialogBase::doNew);
    connect(btnRemove, &QPushButton::clicked, this, &TemplateDialogBase::doRemove);
    connect(btnUp, &QPushButton::clicked, this, &TemplateDialogBase::doUp);
    connect(btnEdit, &QPushButton::clicked, this, &TemplateDialogBase::doEdit);
    connect(btnSep, &QPushButton::clicked, this, &TemplateDialogBase::doSeparator);
    connect(btnRename, &QPushButton::clicked, this, &TemplateDialogBase::doRename);
    connect(btnDown, &QPushButton::clicked, this, &TemplateDialogBase::doDown);

    setTabOrder(btnNew, btnEdit);
    setTabOrder(btnEdit, btnRename);
    setTabOrder(btnRename, btnRemove);
    setTabOrder(btnRemove, btnUp);
    setTabOrder(btnUp, btnDown);
    setTabOrder(btnDown, btnSep);
}

TemplateDialogBase::~TemplateDialogBase() = default;

void TemplateDialogBase::doDown()
{
    qWarning("TemplateDialogBase::doDown(): Not implemented yet!");
}

void TemplateDialogBase::doEdit()
{
    qWarning("TemplateDialogBase::doEdit(): Not implemented yet!");
}

void TemplateDialogBase::doNew()
{
    qWarning("TemplateDialogBase::doNew(): Not implemented yet!");
}

void TemplateDialogBase::doRemove()
{
    qWarning("TemplateDialogBase::doRemove(): Not implemented yet!");
}

void TemplateDialogBase::doRename()
{
    qWarning("TemplateDialogBase::doRename(): Not implemented yet!");
}

void TemplateDialogBase::doSeparator()
{
    qWarning("TemplateDialogBase::doSeparator(): Not implemented yet!");
}

void TemplateDialogBase::doUp()
{
    qWarning("TemplateDialogBase::doUp(): Not implemented yet!");
}

void TemplateDialogBase::doUpdate()
{
    qWarning("TemplateDialogBase::doUpdate(): Not implemented yet!");
}
