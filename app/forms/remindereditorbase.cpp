#include "remindereditorbase.h"

#include "qpe/qpeapplication.h"
#include "qt/ymdatetimeeditor.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrpushbutton.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSpacerItem>
#include <QVBoxLayout>

ReminderEditorBase::ReminderEditorBase(QWidget *parent, const char *name, Qt::WindowFlags fl)
    : QWidget(parent, fl)
{
    setObjectName(QString::fromLatin1(name ? name : "ReminderEditorBase"));
    resize(261, 242);
    setWindowTitle(tr("ReminderEditorBase"));

    ReminderEditorBaseLayout = new QVBoxLayout(this);
    ReminderEditorBaseLayout->setContentsMargins(0, 0, 0, 0);
    ReminderEditorBaseLayout->setSpacing(3);

    GroupBox15 = new QGroupBox(tr("Alert"), this);
    GroupBox15->setObjectName(QStringLiteral("GroupBox15"));
    auto *alertGrid = new QGridLayout(GroupBox15);
    alertGrid->setAlignment(Qt::AlignTop);
    alertGrid->setContentsMargins(3, 3, 3, 3);
    alertGrid->setSpacing(3);
    icon = new QLabel(GroupBox15);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    alertGrid->addWidget(icon, 0, 0);
    alarm = new QCheckBox(tr("Remind me about this at:"), GroupBox15);
    alarm->setObjectName(QStringLiteral("alarm"));
    // on a small screen the text takes two lines rather than widen the page
    alarm->setMinimumWidth(1);
    alertGrid->addWidget(alarm, 0, 1);
    TextLabel1 = new QLabel(tr("at:"), GroupBox15);
    TextLabel1->setObjectName(QStringLiteral("TextLabel1"));
    alertGrid->addWidget(TextLabel1, 1, 0);
    // date and time on two rows where one row does not fit
    dt = new YMDateTimeEditor(GroupBox15, "dt", QPEApplication::screenRect().width() < 480);
    alertGrid->addWidget(dt, 1, 1);
    ReminderEditorBaseLayout->addWidget(GroupBox15);

    panel = new QGroupBox(tr("Notification"), this);
    panel->setObjectName(QStringLiteral("panel"));
    auto *panelGrid = new QGridLayout(panel);
    panelGrid->setAlignment(Qt::AlignTop);
    panelGrid->setContentsMargins(3, 3, 3, 3);
    panelGrid->setSpacing(3);
    sound = new QCheckBox(tr("Sound"), panel);
    sound->setObjectName(QStringLiteral("sound"));
    panelGrid->addWidget(sound, 0, 0, 1, 2);
    ledbox = new QCheckBox(tr("Led:"), panel);
    ledbox->setObjectName(QStringLiteral("ledbox"));
    ledbox->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    panelGrid->addWidget(ledbox, 1, 0);
    led = new YMRComboBox(panel, "led");
    for (const char *pattern : {"Flash On", "Flash off", "Very Fast", "Fast", "Normal", "Slow",
                                "Soft", "Soft Flash"})
        led->insertItem(tr(pattern));
    led->setCurrentItem(4);
    panelGrid->addWidget(led, 1, 1);
    btnTest = new YMRPushButton(tr("Test"), panel, "btnTest");
    btnTest->setDefault(false);
    btnTest->setAutoDefault(false);
    panelGrid->addWidget(btnTest, 2, 0, 1, 2);
    ReminderEditorBaseLayout->addWidget(panel);

    ReminderEditorBaseLayout->addItem(
        new QSpacerItem(20, 20, QSizePolicy::Minimum, QSizePolicy::Expanding));

    connect(alarm, &QCheckBox::toggled, this, &ReminderEditorBase::alarmOnOff);
    connect(sound, &QCheckBox::clicked, this, &ReminderEditorBase::typeChanged);
    connect(ledbox, &QCheckBox::clicked, this, &ReminderEditorBase::typeChanged);
    connect(btnTest, &QPushButton::clicked, this, &ReminderEditorBase::test);
}

ReminderEditorBase::~ReminderEditorBase() = default;

void ReminderEditorBase::alarmOnOff(bool)
{
    qWarning("ReminderEditorBase::alarmOnOff(bool): Not implemented yet!");
}

void ReminderEditorBase::test()
{
    qWarning("ReminderEditorBase::test(): Not implemented yet!");
}

void ReminderEditorBase::typeChanged()
{
    qWarning("ReminderEditorBase::typeChanged(): Not implemented yet!");
}
