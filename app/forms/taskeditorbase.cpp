#include "taskeditorbase.h"

#include "pim/categoriesselector.h"
#include "qt/ymdatetimeeditor.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrpushbutton.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpacerItem>

TaskEditorBase::TaskEditorBase(QWidget *parent, const char *name, Qt::WindowFlags fl)
    : QWidget(parent, fl)
{
    setObjectName(QString::fromLatin1(name ? name : "TaskEditorBase"));
    resize(365, 531);
    setWindowTitle(tr("Expense"));

    TaskEditorBaseLayout = new QGridLayout(this);
    TaskEditorBaseLayout->setContentsMargins(3, 3, 3, 3);
    TaskEditorBaseLayout->setSpacing(3);

    auto makeBox = [this](const char *objectName) {
        auto *box = new YMRComboBox(this, objectName);
        box->setEditable(true);
        box->setAutoCompletion(true);
        return box;
    };

    TextLabel3_2_2 = new QLabel(tr("Amount:"), this);
    TextLabel3_2_2->setObjectName(QStringLiteral("TextLabel3_2_2"));
    TaskEditorBaseLayout->addWidget(TextLabel3_2_2, 0, 0);
    auto *amountRow = new QHBoxLayout;
    amountRow->setContentsMargins(0, 0, 0, 0);
    amountRow->setSpacing(3);
    amount = new QLineEdit(this);
    amount->setObjectName(QStringLiteral("amount"));
    amount->setAlignment(Qt::AlignRight);
    amountRow->addWidget(amount);
    samount = new YMRPushButton(this, "samount");
    amountRow->addWidget(samount);
    cur = makeBox("cur");
    cur->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    amountRow->addWidget(cur);
    TaskEditorBaseLayout->addLayout(amountRow, 0, 1);
    scur = new YMRPushButton(this, "scur");
    TaskEditorBaseLayout->addWidget(scur, 0, 2);

    TextLabel3 = new QLabel(tr("Type:"), this);
    TextLabel3->setObjectName(QStringLiteral("TextLabel3"));
    TaskEditorBaseLayout->addWidget(TextLabel3, 1, 0);
    type = makeBox("type");
    TaskEditorBaseLayout->addWidget(type, 1, 1);
    stype = new YMRPushButton(this, "stype");
    TaskEditorBaseLayout->addWidget(stype, 1, 2);

    TextLabel3_2 = new QLabel(tr("Date:"), this);
    TextLabel3_2->setObjectName(QStringLiteral("TextLabel3_2"));
    TaskEditorBaseLayout->addWidget(TextLabel3_2, 2, 0);
    date = new YMDateTimeEditor(this, "date");
    date->setFocusPolicy(Qt::StrongFocus);
    TaskEditorBaseLayout->addWidget(date, 2, 1, 1, 2);

    TextLabel3_3 = new QLabel(tr("City:"), this);
    TextLabel3_3->setObjectName(QStringLiteral("TextLabel3_3"));
    TaskEditorBaseLayout->addWidget(TextLabel3_3, 3, 0);
    city = makeBox("city");
    TaskEditorBaseLayout->addWidget(city, 3, 1);
    scity = new YMRPushButton(this, "scity");
    TaskEditorBaseLayout->addWidget(scity, 3, 2);

    TextLabel3_4 = new QLabel(tr("Account:"), this);
    TextLabel3_4->setObjectName(QStringLiteral("TextLabel3_4"));
    TaskEditorBaseLayout->addWidget(TextLabel3_4, 4, 0);
    account = makeBox("account");
    TaskEditorBaseLayout->addWidget(account, 4, 1);
    saccount = new YMRPushButton(this, "saccount");
    TaskEditorBaseLayout->addWidget(saccount, 4, 2);

    TextLabel1 = new QLabel(tr("Category:"), this);
    TextLabel1->setObjectName(QStringLiteral("TextLabel1"));
    TaskEditorBaseLayout->addWidget(TextLabel1, 5, 0);
    cats = new CategoriesSelector(this, "cats");
    TaskEditorBaseLayout->addWidget(cats, 5, 1, 1, 2);

    TaskEditorBaseLayout->addItem(
        new QSpacerItem(20, 20, QSizePolicy::Minimum, QSizePolicy::Expanding), 6, 1);

    connect(samount, &QPushButton::clicked, this, &TaskEditorBase::amountActivated);
    for (YMRPushButton *b : {scur, stype, scity, saccount})
        connect(b, &QPushButton::clicked, this, &TaskEditorBase::editList);

    setTabOrder(type, amount);
    setTabOrder(amount, cur);
    setTabOrder(cur, date);
    setTabOrder(date, city);
    setTabOrder(city, account);
}

TaskEditorBase::~TaskEditorBase() = default;

void TaskEditorBase::amountActivated()
{
    qWarning("TaskEditorBase::amountActivated(): Not implemented yet!");
}

void TaskEditorBase::editList()
{
    qWarning("TaskEditorBase::editList(): Not implemented yet!");
}
