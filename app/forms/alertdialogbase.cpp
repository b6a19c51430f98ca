#include "alertdialogbase.h"

#include "pim/tasklistview.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrpushbutton.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpacerItem>

AlertDialogBase::AlertDialogBase(QWidget *parent, const char *name, bool modal,
                                 Qt::WindowFlags fl)
    : QDialog(parent, fl)
{
    setObjectName(QString::fromLatin1(name ? name : "AlertDialogBase"));
    setModal(modal);
    resize(271, 433);
    setWindowTitle(tr("AlertDialogBase"));

    AlertDialogBaseLayout = new QGridLayout(this);
    AlertDialogBaseLayout->setContentsMargins(6, 6, 6, 6);
    AlertDialogBaseLayout->setSpacing(3);

    auto *head = new QGridLayout;
    head->setContentsMargins(0, 0, 0, 0);
    head->setSpacing(3);
    icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    head->addWidget(icon, 0, 0);
    subject = new QLabel(this);
    subject->setObjectName(QStringLiteral("subject"));
    subject->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    head->addWidget(subject, 0, 1);
    TextLabel2 = new QLabel(tr("Date:"), this);
    TextLabel2->setObjectName(QStringLiteral("TextLabel2"));
    head->addWidget(TextLabel2, 1, 0);
    date = new QLabel(this);
    date->setObjectName(QStringLiteral("date"));
    date->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    head->addWidget(date, 1, 1);
    AlertDialogBaseLayout->addLayout(head, 0, 0, 1, 2);

    Line2 = new QFrame(this);
    Line2->setObjectName(QStringLiteral("Line2"));
    Line2->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    AlertDialogBaseLayout->addWidget(Line2, 1, 0, 1, 2);

    lv = new TaskListView(this, "lv");
    AlertDialogBaseLayout->addWidget(lv, 2, 0, 1, 2);

    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(3);
    PushButton1 = new YMRPushButton(tr("Dismiss All"), this, "PushButton1");
    row->addWidget(PushButton1);
    row->addItem(new QSpacerItem(20, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    PushButton2 = new YMRPushButton(tr("Open"), this, "PushButton2");
    row->addWidget(PushButton2);
    PushButton3 = new YMRPushButton(tr("Dismiss"), this, "PushButton3");
    row->addWidget(PushButton3);
    AlertDialogBaseLayout->addLayout(row, 3, 0, 1, 2);

    Line1 = new QFrame(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    AlertDialogBaseLayout->addWidget(Line1, 4, 0, 1, 2);

    TextLabel6 = new QLabel(tr("Click Snooze to be reminded again in:"), this);
    TextLabel6->setObjectName(QStringLiteral("TextLabel6"));
    TextLabel6->setWordWrap(true);
    AlertDialogBaseLayout->addWidget(TextLabel6, 5, 0, 1, 2);

    snoozebox = new YMRComboBox(this, "snoozebox");
    for (const char *period : {"5 minutes", "10 minutes", "15 minutes", "30 minutes", "1 hour",
                               "3 hours", "6 hours", "1 day"})
        snoozebox->insertItem(tr(period));
    snoozebox->setCurrentItem(0);
    snoozebox->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    AlertDialogBaseLayout->addWidget(snoozebox, 6, 0);
    snoozebutton = new YMRPushButton(tr("Snooze"), this, "snoozebutton");
    AlertDialogBaseLayout->addWidget(snoozebutton, 6, 1);

    for (YMRPushButton *b : {PushButton1, PushButton2, PushButton3, snoozebutton}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(1);
    }

    connect(PushButton1, &QPushButton::clicked, this, &AlertDialogBase::dismissAll);
    connect(PushButton2, &QPushButton::clicked, this, &AlertDialogBase::open);
    connect(PushButton3, &QPushButton::clicked, this, &AlertDialogBase::dismiss);
    connect(snoozebutton, &QPushButton::clicked, this, &AlertDialogBase::snooze);
}

AlertDialogBase::~AlertDialogBase() = default;

void AlertDialogBase::dismiss()
{
    qWarning("AlertDialogBase::dismiss(): Not implemented yet!");
}

void AlertDialogBase::dismissAll()
{
    qWarning("AlertDialogBase::dismissAll(): Not implemented yet!");
}

void AlertDialogBase::snooze()
{
    qWarning("AlertDialogBase::snooze(): Not implemented yet!");
}

void AlertDialogBase::open()
{
    qWarning("AlertDialogBase::open(): Not implemented yet!");
}
