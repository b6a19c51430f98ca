#include "currencieslistbase.h"

#include "qt/ymrcombobox.h"
#include "qt/ymrlistview.h"
#include "qt/ymrpushbutton.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpacerItem>

CurrenciesListBase::CurrenciesListBase(QWidget *parent, const char *name, bool modal,
                                       Qt::WindowFlags fl)
    : QDialog(parent, fl)
{
    setObjectName(QString::fromLatin1(name ? name : "CurrenciesListBase"));
    setModal(modal);
    resize(339, 393);

    CurrenciesListBaseLayout = new QGridLayout(this);
    CurrenciesListBaseLayout->setContentsMargins(3, 3, 3, 3);
    CurrenciesListBaseLayout->setSpacing(3);

    list = new YMRListView(this, "list");
    list->addColumn(QString());
    list->setColumnWidthMode(0, YMRListView::Maximum);
    list->setFocusPolicy(Qt::NoFocus);
    list->setHScrollBarMode(YMRListView::AlwaysOff);
    CurrenciesListBaseLayout->addWidget(list, 0, 0, 1, 5);

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto *grid = new QGridLayout(GroupBox1);
    grid->setContentsMargins(3, 3, 3, 3);
    grid->setSpacing(3);
    label = new QLabel(tr("Symbol:"), GroupBox1);
    label->setObjectName(QStringLiteral("label"));
    grid->addWidget(label, 0, 0);
    text = new QLineEdit(GroupBox1);
    text->setObjectName(QStringLiteral("text"));
    grid->addWidget(text, 0, 1, 1, 2);
    TextLabel1 = new QLabel(tr("Format:"), GroupBox1);
    TextLabel1->setObjectName(QStringLiteral("TextLabel1"));
    grid->addWidget(TextLabel1, 1, 0);
    formats = new YMRComboBox(true, GroupBox1, "formats");
    formats->setInsertionPolicy(YMRComboBox::NoInsertion);
    formats->setDuplicatesEnabled(false);
    formats->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    grid->addWidget(formats, 1, 1);
    btnFormat = new YMRPushButton(GroupBox1, "btnFormat");
    grid->addWidget(btnFormat, 1, 2);
    CurrenciesListBaseLayout->addWidget(GroupBox1, 1, 0, 1, 5);

    btnUp = new YMRPushButton(this, "btnUp");
    CurrenciesListBaseLayout->addWidget(btnUp, 2, 0);
    btnDown = new YMRPushButton(this, "btnDown");
    CurrenciesListBaseLayout->addWidget(btnDown, 2, 1);
    CurrenciesListBaseLayout->addItem(
        new QSpacerItem(20, 20, QSizePolicy::Expanding, QSizePolicy::Minimum), 2, 2);
    btnNew = new YMRPushButton(this, "btnNew");
    CurrenciesListBaseLayout->addWidget(btnNew, 2, 3);
    btnRemove = new YMRPushButton(this, "btnRemove");
    CurrenciesListBaseLayout->addWidget(btnRemove, 2, 4);

    connect(btnNew, &QPushButton::clicked, this, &CurrenciesListBase::doNew);
    connect(btnRemove, &QPushButton::clicked, this, &CurrenciesListBase::doRemove);
    connect(btnUp, &QPushButton::clicked, this, &CurrenciesListBase::doUp);
    connect(btnDown, &QPushButton::clicked, this, &CurrenciesListBase::doDown);
    connect(btnFormat, &QPushButton::clicked, this, &CurrenciesListBase::doEdit);
    connect(list, &YMRListView::currentChanged, this, &CurrenciesListBase::currentChanged);
    connect(text, &QLineEdit::textChanged, this, &CurrenciesListBase::doUpdate);
    connect(formats, &YMRComboBox::textChanged, this, &CurrenciesListBase::formatChanged);
}

CurrenciesListBase::~CurrenciesListBase() = default;

void CurrenciesListBase::currentChanged(YMRListViewItem *)
{
    qWarning("CurrenciesListBase::currentChanged(YMRListViewItem *): Not implemented yet!");
}

void CurrenciesListBase::doDown()
{
    qWarning("CurrenciesListBase::doDown(): Not implemented yet!");
}

void CurrenciesListBase::doEdit()
{
    qWarning("CurrenciesListBase::doEdit(): Not implemented yet!");
}

void CurrenciesListBase::doNew()
{
    qWarning("CurrenciesListBase::doNew(): Not implemented yet!");
}

void CurrenciesListBase::doRemove()
{
    qWarning("CurrenciesListBase::doRemove(): Not implemented yet!");
}

void CurrenciesListBase::doUp()
{
    qWarning("CurrenciesListBase::doUp(): Not implemented yet!");
}

void CurrenciesListBase::doUpdate()
{
    qWarning("CurrenciesListBase::doUpdate(): Not implemented yet!");
}

void CurrenciesListBase::formatChanged()
{
    qWarning("CurrenciesListBase::formatChanged(): Not implemented yet!");
}
