#include "filterlistdialogbase.h"

#include "qt/ymrlistview.h"
#include "qt/ymrpushbutton.h"

#include <QFrame>
#include <QHBoxLayout>
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

YMRPushButton *toolButton(QWidget *parent, const char *name)
{
    auto *b = new YMRPushButton(QString(), parent, name);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace

FilterListDialogBase::FilterListDialogBase(QWidget *parent, const char *name, bool modal,
                                           Qt::WindowFlags fl)
    : QDialog(parent, fl)
{
    setObjectName(QString::fromLatin1(name ? name : "FilterListDialogBase"));
    setModal(modal);

    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(3, 3, 3, 3);
    box->setSpacing(3);

    auto *top = new QHBoxLayout();
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(3);
    btnNew = toolButton(this, "btnNew");
    btnEdit = toolButton(this, "btnEdit");
    Line2 = verticalLine(this, "Line2");
    btnRemove = toolButton(this, "btnRemove");
    btnSort = toolButton(this, "btnSort");
    Line1 = verticalLine(this, "Line1");
    btnUp = toolButton(this, "btnUp");
    btnDown = toolButton(this, "btnDown");
    top->addWidget(btnNew);
    top->addWidget(btnEdit);
    top->addWidget(Line2);
    top->addWidget(btnRemove);
    top->addStretch(1);
    top->addWidget(btnSort);
    top->addWidget(Line1);
    top->addWidget(btnUp);
    top->addWidget(btnDown);
    box->addLayout(top);

    list = new YMRListView(this, "list");
    list->addColumn(QString());
    list->setFocusPolicy(Qt::NoFocus);
    list->setHScrollBarMode(ScrollView::AlwaysOff);
    box->addWidget(list, 1);

    auto *bottom = new QHBoxLayout();
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->setSpacing(3);
    bottom->addStretch(1);
    btnSelect = new YMRPushButton(tr("Select"), this, "btnSelect");
    btnClose = new YMRPushButton(tr("Close"), this, "btnClose");
    bottom->addWidget(btnSelect);
    bottom->addWidget(btnClose);
    box->addLayout(bottom);

    connect(btnNew, &QPushButton::clicked, this, &FilterListDialogBase::doNew);
    connect(btnRemove, &QPushButton::clicked, this, &FilterListDialogBase::doRemove);
    connect(btnUp, &QPushButton::clicked, this, &FilterListDialogBase::doUp);
    connect(btnDown, &QPushButton::clicked, this, &FilterListDialogBase::doDown);
    connect(btnSort, &QPushButton::clicked, this, &FilterListDialogBase::sort);
    connect(btnEdit, &QPushButton::clicked, this, &FilterListDialogBase::doEdit);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnSelect, &QPushButton::clicked, this, &FilterListDialogBase::doSelect);
}

FilterListDialogBase::~FilterListDialogBase() = default;

void FilterListDialogBase::doDown()
{
    qWarning("FilterListDialogBase::doDown(): Not implemented yet!");
}

void FilterListDialogBase::doEdit()
{
    qWarning("FilterListDialogBase::doEdit(): Not implemented yet!");
}

void FilterListDialogBase::doNew()
{
    qWarning("FilterListDialogBase::doNew(): Not implemented yet!");
}

void FilterListDialogBase::doRemove()
{
    qWarning("FilterListDialogBase::doRemove(): Not implemented yet!");
}

void FilterListDialogBase::doUp()
{
    qWarning("FilterListDialogBase::doUp(): Not implemented yet!");
}

void FilterListDialogBase::doUpdate()
{
    qWarning("FilterListDialogBase::doUpdate(): Not implemented yet!");
}

void FilterListDialogBase::doSelect()
{
    qWarning("FilterListDialogBase::doSelect(): Not implemented yet!");
}

void FilterListDialogBase::sort()
{
    qWarning("FilterListDialogBase::sort(): Not implemented yet!");
}
