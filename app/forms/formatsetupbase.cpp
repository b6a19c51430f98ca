#include "formatsetupbase.h"

#include "dateformatselector.h"

#include "qt/ymrcombobox.h"
#include "qt/ymrpushbutton.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

FormatSetupBase::FormatSetupBase(QWidget *parent, const char *name, Qt::WindowFlags fl)
    : QWidget(parent, fl)
{
    setObjectName(QString::fromLatin1(name ? name : "FormatSetupBase"));
    resize(350, 464);
    setWindowTitle(tr("Form1"));

    FormatSetupBaseLayout = new QVBoxLayout(this);
    FormatSetupBaseLayout->setContentsMargins(3, 3, 3, 3);
    FormatSetupBaseLayout->setSpacing(3);

    GroupBox2 = new QGroupBox(tr("Color Mode"), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    auto *modeBox = new QVBoxLayout(GroupBox2);
    modeBox->setContentsMargins(6, 6, 6, 6);
    modeBox->setSpacing(3);
    colors = new YMRComboBox(false, GroupBox2, "colors");
    colors->insertItem(tr("Default"));
    colors->insertItem(tr("Grid"));
    colors->insertItem(tr("Category"));
    modeBox->addWidget(colors);
    FormatSetupBaseLayout->addWidget(GroupBox2);

    GroupBox4 = new QGroupBox(tr("Field Format"), this);
    GroupBox4->setObjectName(QStringLiteral("GroupBox4"));
    GroupBox4Layout = new QGridLayout(GroupBox4);
    GroupBox4Layout->setContentsMargins(6, 6, 6, 6);
    GroupBox4Layout->setSpacing(3);

    TextLabel1 = new QLabel(tr("Date:"), GroupBox4);
    TextLabel1->setObjectName(QStringLiteral("TextLabel1"));
    GroupBox4Layout->addWidget(TextLabel1, 0, 0);
    dateFormat = new DateFormatSelector(GroupBox4, "dateFormat");
    GroupBox4Layout->addWidget(dateFormat, 0, 1, 1, 2);

    TextLabel2 = new QLabel(tr("DateTime:"), GroupBox4);
    TextLabel2->setObjectName(QStringLiteral("TextLabel2"));
    GroupBox4Layout->addWidget(TextLabel2, 1, 0);
    dateTimeFormat = new DateFormatSelector(GroupBox4, "dateTimeFormat");
    GroupBox4Layout->addWidget(dateTimeFormat, 1, 1, 1, 2);

    TextLabel3 = new QLabel(tr("Amount:"), GroupBox4);
    TextLabel3->setObjectName(QStringLiteral("TextLabel3"));
    GroupBox4Layout->addWidget(TextLabel3, 2, 0);
    formats = new YMRComboBox(true, GroupBox4, "formats");
    formats->setInsertionPolicy(YMRComboBox::NoInsertion);
    formats->setDuplicatesEnabled(false);
    formats->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    GroupBox4Layout->addWidget(formats, 2, 1);
    btnEdit = new YMRPushButton(GroupBox4, "btnEdit");
    GroupBox4Layout->addWidget(btnEdit, 2, 2);
    FormatSetupBaseLayout->addWidget(GroupBox4);

    FormatSetupBaseLayout->addStretch();

    connect(btnEdit, &QPushButton::clicked, this, &FormatSetupBase::editNumberFormat);
}

FormatSetupBase::~FormatSetupBase() = default;

void FormatSetupBase::editNumberFormat()
{
    qWarning("FormatSetupBase::editNumberFormat(): Not implemented yet!");
}
