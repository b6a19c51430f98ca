#include "customlistbase.h"

#include "qt/ymrlistview.h"
#include "qt/ymrokcancelwidget.h"
#include "qt/ymrpushbutton.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpacerItem>

CustomListBase::CustomListBase(QWidget *parent, const char *name, bool modal,
                               Qt::WindowFlags fl)
    : QDialog(parent, fl)
{
    setObjectName(QString::fromLatin1(name ? name : "CustomListBase"));
    setModal(modal);
    resize(549, 283);
    setWindowTitle(tr("CustomListBase"));

    CustomListBaseLayout = new QGridLayout(this);
    CustomListBaseLayout->setContentsMargins(3, 3, 3, 3);
    CustomListBaseLayout->setSpacing(3);

    list = new YMRListView(this, "list");
    list->addColumn(QString());
    list->setColumnWidthMode(0, YMRListView::Maximum);
    list->setFocusPolicy(Qt::NoFocus);
    list->setHScrollBarMode(YMRListView::AlwaysOff);
    CustomListBaseLayout->addWidget(list, 0, 0, 1, 7);

    textBox = new QGroupBox(this);
    textBox->setObjectName(QStringLiteral("textBox"));
    auto *box = new QHBoxLayout(textBox);
    box->setContentsMargins(6, 6, 6, 6);
    box->setSpacing(3);
    licon = new QLabel(textBox);
    licon->setObjectName(QStringLiteral("licon"));
    box->addWidget(licon);
    label = new QLabel(tr("Text:"), textBox);
    label->setObjectName(QStringLiteral("label"));
    box->addWidget(label);
    text = new QLineEdit(textBox);
    text->setObjectName(QStringLiteral("text"));
    box->addWidget(text);
    CustomListBaseLayout->addWidget(textBox, 1, 0, 1, 7);

    btnUp = new YMRPushButton(this, "btnUp");
    btnDown = new YMRPushButton(this, "btnDown");
    btnSort = new YMRPushButton(tr("Sort"), this, "btnSort");
    btnNew = new YMRPushButton(this, "btnNew");
    btnRemove = new YMRPushButton(this, "btnRemove");
    for (YMRPushButton *b : {btnUp, btnDown, btnSort, btnNew, btnRemove})
        b->setFocusPolicy(Qt::NoFocus);
    CustomListBaseLayout->addWidget(btnUp, 2, 0);
    CustomListBaseLayout->addWidget(btnDown, 2, 1);
    CustomListBaseLayout->addWidget(btnSort, 2, 2);
    CustomListBaseLayout->addItem(
        new QSpacerItem(20, 20, QSizePolicy::Expanding, QSizePolicy::Minimum), 2, 3);
    CustomListBaseLayout->addWidget(btnNew, 2, 4);
    CustomListBaseLayout->addWidget(btnRemove, 2, 6);

    okCancelWidget = new YMROkCancelWidget(this, "okCancelWidget");
    CustomListBaseLayout->addWidget(okCancelWidget, 3, 0, 1, 7);

    connect(btnNew, &QPushButton::clicked, this, &CustomListBase::doNew);
    connect(btnRemove, &QPushButton::clicked, this, &CustomListBase::doRemove);
    connect(btnUp, &QPushButton::clicked, this, &CustomListBase::doUp);
    connect(btnDown, &QPushButton::clicked, this, &CustomListBase::doDown);
    connect(btnSort, &QPushButton::clicked, this, &CustomListBase::sort);
    connect(text, &QLineEdit::textChanged, this, &CustomListBase::doUpdate);
}

CustomListBase::~CustomListBase() = default;

void CustomListBase::doDown()
{
    qWarning("CustomListBase::doDown(): Not implemented yet!");
}

void CustomListBase::doNew()
{
    qWarning("CustomListBase::doNew(): Not implemented yet!");
}

void CustomListBase::doRemove()
{
    qWarning("CustomListBase::doRemove(): Not implemented yet!");
}

void CustomListBase::doUp()
{
    qWarning("CustomListBase::doUp(): Not implemented yet!");
}

void CustomListBase::doUpdate()
{
    qWarning("CustomListBase::doUpdate(): Not implemented yet!");
}

void CustomListBase::sort()
{
    qWarning("CustomListBase::sort(): Not implemented yet!");
}
