#include "transferdatabase.h"

#include "pim/dbselectlistview.h"
#include "qt/ymrpushbutton.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

TransferDataBase::TransferDataBase(QWidget *parent, const char *name, bool modal, Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
    setObjectName(name ? QString::fromLatin1(name) : QStringLiteral("TransferDataBase"));
    setModal(modal);
    setWindowTitle(tr("Transfer Data"));
    resize(425, 425);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->setSpacing(3);
    // the small screen is narrower than the longest texts: they are cut, the dialog still fits
    layout->setSizeConstraint(QLayout::SetNoConstraint);

    GroupBox1 = new QGroupBox(tr("Setting"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto *grid = new QGridLayout(GroupBox1);
    grid->setAlignment(Qt::AlignTop);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setSpacing(3);
    TextLabel1 = new QLabel(tr("Device IP address:"), GroupBox1);
    TextLabel1->setObjectName(QStringLiteral("TextLabel1"));
    grid->addWidget(TextLabel1, 0, 0);
    grid->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum), 0, 1);
    addr = new QLineEdit(GroupBox1);
    addr->setObjectName(QStringLiteral("addr"));
    grid->addWidget(addr, 0, 2);
    btnConnect = new YMRPushButton(tr("Connect"), GroupBox1, "btnConnect");
    grid->addWidget(btnConnect, 1, 0, 1, 3);
    layout->addWidget(GroupBox1);

    dbbox = new QGroupBox(QString(), this);
    dbbox->setObjectName(QStringLiteral("dbbox"));
    auto *dbLayout = new QVBoxLayout(dbbox);
    dbLayout->setAlignment(Qt::AlignTop);
    dbLayout->setContentsMargins(6, 6, 6, 6);
    dbLayout->setSpacing(3);
    list = new DBSelectListView(dbbox, "list");
    dbLayout->addWidget(list);
    data = new QCheckBox(QString(), dbbox);
    data->setObjectName(QStringLiteral("data"));
    data->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    dbLayout->addWidget(data);
    layout->addWidget(dbbox);

    Line2 = new QFrame(this);
    Line2->setObjectName(QStringLiteral("Line2"));
    Line2->setFrameShape(QFrame::HLine);
    Line2->setFrameShadow(QFrame::Sunken);
    layout->addWidget(Line2);

    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(3);
    row->addItem(new QSpacerItem(20, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    btnOk = new YMRPushButton(tr("Start"), this, "btnOk");
    row->addWidget(btnOk);
    btnCancel = new YMRPushButton(tr("Cancel"), this, "btnCancel");
    row->addWidget(btnCancel);
    layout->addLayout(row);

    connect(btnCancel, &QAbstractButton::clicked, this, &QDialog::reject);
    connect(btnOk, &QAbstractButton::clicked, this, &TransferDataBase::start);
    connect(btnConnect, &QAbstractButton::clicked, this, &TransferDataBase::doConnect);
    setTabOrder(list, addr);
    setTabOrder(addr, btnOk);
    setTabOrder(btnOk, btnCancel);
}

TransferDataBase::~TransferDataBase() = default;

void TransferDataBase::doConnect()
{
    qWarning("TransferDataBase::doConnect(): Not implemented yet!");
}

void TransferDataBase::start()
{
    qWarning("TransferDataBase::start(): Not implemented yet!");
}
