#include "iconselector.h"

#include "ymrlistbox.h"
#include "ymrpushbutton.h"

#include <QGridLayout>
#include <QSpacerItem>

IconSelector::IconSelector(QWidget *parent, const char *name, bool modal, Qt::WindowFlags fl)
    : QDialog(parent, fl)
{
    setObjectName(QLatin1String(name ? name : "IconSelector"));
    setModal(modal);
    resize(225, 412);
    setWindowTitle(tr("Select Icon"));

    IconSelectorLayout = new QGridLayout(this);
    IconSelectorLayout->setSpacing(3);
    IconSelectorLayout->setContentsMargins(3, 3, 3, 3);

    list = new YMRListBox(this, "list");
    list->setColumnMode(YMRListBox::FitToWidth);
    IconSelectorLayout->addWidget(list, 0, 0, 1, 3);

    IconSelectorLayout->addItem(
        new QSpacerItem(20, 20, QSizePolicy::Expanding, QSizePolicy::Minimum), 1, 0);
    btnCancel = new YMRPushButton(tr("Cancel"), this, "btnCancel");
    IconSelectorLayout->addWidget(btnCancel, 1, 1);
    btnOk = new YMRPushButton(tr("OK"), this, "btnOk");
    btnOk->setDefault(true);
    IconSelectorLayout->addWidget(btnOk, 1, 2);

    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(list, QOverload<YMRListBoxItem *>::of(&YMRListBox::clicked), this,
            &QDialog::accept);
    connect(list, QOverload<YMRListBoxItem *>::of(&YMRListBox::returnPressed), this,
            &QDialog::accept);

    setTabOrder(list, btnOk);
    setTabOrder(btnOk, btnCancel);
}

IconSelector::~IconSelector() = default;
