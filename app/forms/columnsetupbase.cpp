#include "columnsetupbase.h"

#include "qt/ymrcombobox.h"
#include "qt/ymrlistview.h"
#include "qt/ymrpushbutton.h"

#include <QFrame>
#include <QGridLayout>
#include <QSpacerItem>

ColumnSetupBase::ColumnSetupBase(QWidget *parent, const char *name, Qt::WindowFlags fl)
    : QWidget(parent, fl)
{
    setObjectName(QString::fromLatin1(name ? name : "ColumnSetupBase"));
    resize(362, 464);
    setWindowTitle(tr("Form1"));

    ColumnSetupBaseLayout = new QGridLayout(this);
    ColumnSetupBaseLayout->setContentsMargins(0, 0, 0, 0);
    ColumnSetupBaseLayout->setSpacing(3);

    where = new YMRComboBox(false, this, "where");
    ColumnSetupBaseLayout->addWidget(where, 0, 0, 1, 3);

    allcolumns = new YMRListView(this, "allcolumns");
    allcolumns->addColumn(QString());
    ColumnSetupBaseLayout->addWidget(allcolumns, 2, 0, 8, 1);

    ColumnSetupBaseLayout->addItem(
        new QSpacerItem(20, 20, QSizePolicy::Minimum, QSizePolicy::Expanding), 2, 1);
    btnUp = new YMRPushButton(this, "btnUp");
    ColumnSetupBaseLayout->addWidget(btnUp, 4, 1);
    btnGet = new YMRPushButton(this, "btnGet");
    ColumnSetupBaseLayout->addWidget(btnGet, 5, 1);
    btnDown = new YMRPushButton(this, "btnDown");
    ColumnSetupBaseLayout->addWidget(btnDown, 6, 1);
    Line1 = new QFrame(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    ColumnSetupBaseLayout->addWidget(Line1, 7, 1);
    btnRemove = new YMRPushButton(this, "btnRemove");
    ColumnSetupBaseLayout->addWidget(btnRemove, 8, 1);
    ColumnSetupBaseLayout->addItem(
        new QSpacerItem(20, 20, QSizePolicy::Minimum, QSizePolicy::Expanding), 9, 1);

    list = new YMRListView(this, "list");
    list->addColumn(QString());
    ColumnSetupBaseLayout->addWidget(list, 2, 2, 8, 1);

    connect(btnUp, &QPushButton::clicked, this, &ColumnSetupBase::doUp);
    connect(btnGet, &QPushButton::clicked, this, &ColumnSetupBase::doGet);
    connect(btnDown, &QPushButton::clicked, this, &ColumnSetupBase::doDown);
    connect(btnRemove, &QPushButton::clicked, this, &ColumnSetupBase::doRemove);
    connect(where, qOverload<int>(&YMRComboBox::activated), this, &ColumnSetupBase::whereChanged);
    connect(list, &YMRListView::currentChanged, this, &ColumnSetupBase::currentChanged);
}

ColumnSetupBase::~ColumnSetupBase() = default;

void ColumnSetupBase::currentChanged(YMRListViewItem *)
{
    qWarning("ColumnSetupBase::currentChanged(YMRListViewItem*): Not implemented yet!");
}

void ColumnSetupBase::doDown()
{
    qWarning("ColumnSetupBase::doDown(): Not implemented yet!");
}

void ColumnSetupBase::doGet()
{
    qWarning("ColumnSetupBase::doGet(): Not implemented yet!");
}

void ColumnSetupBase::doRemove()
{
    qWarning("ColumnSetupBase::doRemove(): Not implemented yet!");
}

void ColumnSetupBase::doUp()
{
    qWarning("ColumnSetupBase::doUp(): Not implemented yet!");
}

void ColumnSetupBase::whereChanged(int)
{
    qWarning("ColumnSetupBase::whereChanged(int): Not implemented yet!");
}
