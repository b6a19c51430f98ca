#include "dbeditorbase.h"

#include "directoryselector.h"

#include "pim/pimtextedit.h"
#include "qt/ymrokcancelwidget.h"
#include "qt/ymrpushbutton.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpacerItem>
#include <QVBoxLayout>

DBEditorBase::DBEditorBase(QWidget *parent, const char *name, bool modal, Qt::WindowFlags fl)
    : QDialog(parent, fl)
{
    setObjectName(QString::fromLatin1(name ? name : "DBEditorBase"));
    setModal(modal);
    resize(410, 439);
    setWindowTitle(tr("Expense Book"));

    DBEditorBaseLayout = new QGridLayout(this);
    DBEditorBaseLayout->setContentsMargins(3, 3, 3, 3);
    DBEditorBaseLayout->setSpacing(3);

    TextLabel1 = new QLabel(tr("Name:"), this);
    TextLabel1->setObjectName(QStringLiteral("TextLabel1"));
    DBEditorBaseLayout->addWidget(TextLabel1, 0, 0);
    title = new QLineEdit(this);
    title->setObjectName(QStringLiteral("title"));
    DBEditorBaseLayout->addWidget(title, 0, 1);
    icon = new YMRPushButton(this, "icon");
    DBEditorBaseLayout->addWidget(icon, 0, 2);
    lock = new YMRPushButton(this, "lock");
    DBEditorBaseLayout->addWidget(lock, 0, 3);

    TextLabel2 = new QLabel(tr("Location:"), this);
    TextLabel2->setObjectName(QStringLiteral("TextLabel2"));
    DBEditorBaseLayout->addWidget(TextLabel2, 1, 0);
    path = new DirectorySelector(this, "path");
    DBEditorBaseLayout->addWidget(path, 1, 1, 1, 3);

    Line1 = new QFrame(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    DBEditorBaseLayout->addWidget(Line1, 2, 0, 1, 4);

    GroupBox1 = new QGroupBox(tr("Description"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto *box = new QVBoxLayout(GroupBox1);
    box->setContentsMargins(3, 3, 3, 3);
    memo = new PIMTextEdit(GroupBox1);
    memo->setObjectName(QStringLiteral("memo"));
    memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memo->setWordWrapMode(QTextOption::WrapAnywhere);
    box->addWidget(memo);
    DBEditorBaseLayout->addWidget(GroupBox1, 3, 0, 1, 4);

    DBEditorBaseLayout->addItem(new QSpacerItem(20, 20, QSizePolicy::Minimum,
                                                QSizePolicy::Expanding), 4, 1);

    YMROkCancelWidget1 = new YMROkCancelWidget(this, "YMROkCancelWidget1");
    DBEditorBaseLayout->addWidget(YMROkCancelWidget1, 5, 0, 1, 4);

    connect(icon, &QPushButton::clicked, this, &DBEditorBase::selectIcon);
    connect(lock, &QPushButton::clicked, this, &DBEditorBase::selectPwd);
}

DBEditorBase::~DBEditorBase() = default;

void DBEditorBase::selectPwd()
{
    qWarning("DBEditorBase::selectPwd(): Not implemented yet!");
}

void DBEditorBase::selectIcon()
{
    qWarning("DBEditorBase::selectIcon(): Not implemented yet!");
}
