#include "dbdialogbase.h"

#include "pim/dblistview.h"
#include "qt/ymrpushbutton.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QSpacerItem>
#include <QVBoxLayout>

namespace {

QFrame *verticalLine(QWidget *parent, const char *name)
{
    auto *line = new QFrame(parent);
    line->setObjectName(QLatin1String(name));
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

DBDialogBase::DBDialogBase(QWidget *parent, const char *name, bool modal, Qt::WindowFlags fl)
    : QDialog(parent, fl)
{
    setObjectName(QString::fromLatin1(name ? name : "DBDialogBase"));
    setModal(modal);
    resize(691, 471);
    setWindowTitle(tr("Expense Books"));

    DBDialogBaseLayout = new QVBoxLayout(this);
    DBDialogBaseLayout->setContentsMargins(3, 3, 3, 3);
    DBDialogBaseLayout->setSpacing(3);

    list = new DBListView(this, "list");
    DBDialogBaseLayout->addWidget(list);

    memo = new QPlainTextEdit(this);
    memo->setObjectName(QStringLiteral("memo"));
    memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memo->setWordWrapMode(QTextOption::WrapAnywhere);
    DBDialogBaseLayout->addWidget(memo);

    Layout1 = new QHBoxLayout();
    Layout1->setContentsMargins(0, 0, 0, 0);
    Layout1->setSpacing(3);
    btnGet = new YMRPushButton(this, "btnGet");
    Layout1->addWidget(btnGet);
    Line3 = verticalLine(this, "Line3");
    Layout1->addWidget(Line3);
    btnOpen = new YMRPushButton(this, "btnOpen");
    Layout1->addWidget(btnOpen);
    Line1 = verticalLine(this, "Line1");
    Layout1->addWidget(Line1);
    btnNew = new YMRPushButton(this, "btnNew");
    Layout1->addWidget(btnNew);
    btnEdit = new YMRPushButton(this, "btnEdit");
    Layout1->addWidget(btnEdit);
    btnDup = new YMRPushButton(this, "btnDup");
    Layout1->addWidget(btnDup);
    line2 = verticalLine(this, "line2");
    Layout1->addWidget(line2);
    btnRemove = new YMRPushButton(this, "btnRemove");
    Layout1->addWidget(btnRemove);
    Layout1->addItem(new QSpacerItem(20, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    btnSelect = new YMRPushButton(tr("Open"), this, "btnSelect");
    Layout1->addWidget(btnSelect);
    btnOk = new YMRPushButton(tr("Close"), this, "btnOk");
    Layout1->addWidget(btnOk);
    DBDialogBaseLayout->addLayout(Layout1);

    connect(btnNew, &QPushButton::clicked, this, &DBDialogBase::doNew);
    connect(btnEdit, &QPushButton::clicked, this, &DBDialogBase::doEdit);
    connect(btnOpen, &QPushButton::clicked, this, &DBDialogBase::doOpen);
    connect(btnSelect, &QPushButton::clicked, this, &DBDialogBase::doSelect);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnDup, &QPushButton::clicked, this, &DBDialogBase::doDuplicate);
    connect(btnGet, &QPushButton::clicked, this, &DBDialogBase::getData);
    setTabOrder(btnNew, btnEdit);
    setTabOrder(btnEdit, btnRemove);
}

DBDialogBase::~DBDialogBase() = default;

void DBDialogBase::doDuplicate()
{
    qWarning("DBDialogBase::doDuplicate(): Not implemented yet!");
}

void DBDialogBase::doEdit()
{
    qWarning("DBDialogBase::doEdit(): Not implemented yet!");
}

void DBDialogBase::doNew()
{
    qWarning("DBDialogBase::doNew(): Not implemented yet!");
}

void DBDialogBase::doOpen()
{
    qWarning("DBDialogBase::doOpen(): Not implemented yet!");
}

void DBDialogBase::doSelect()
{
    qWarning("DBDialogBase::doSelect(): Not implemented yet!");
}

void DBDialogBase::getData()
{
    qWarning("DBDialogBase::getData(): Not implemented yet!");
}
