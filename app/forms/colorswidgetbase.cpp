#include "colorswidgetbase.h"

#include "qt/ymrlistview.h"
#include "qt/ymrpushbutton.h"

#include <QGridLayout>
#include <QLabel>

ColorsWidgetBase::ColorsWidgetBase(QWidget *parent, const char *name, Qt::WindowFlags fl)
    : QWidget(parent, fl)
{
    setObjectName(QString::fromLatin1(name ? name : "ColorsWidgetBase"));
    resize(243, 344);
    setWindowTitle(tr("ColorsWidgetBase"));

    ColorsWidgetBaseLayout = new QGridLayout(this);
    ColorsWidgetBaseLayout->setContentsMargins(3, 3, 3, 3);
    ColorsWidgetBaseLayout->setSpacing(3);

    TextLabel2 = new QLabel(tr("Odd Line:"), this);
    TextLabel2->setObjectName(QStringLiteral("TextLabel2"));
    ColorsWidgetBaseLayout->addWidget(TextLabel2, 2, 0);
    b1 = new YMRPushButton(this, "b1");
    ColorsWidgetBaseLayout->addWidget(b1, 2, 1);
    b2 = new YMRPushButton(this, "b2");
    ColorsWidgetBaseLayout->addWidget(b2, 2, 2);

    TextLabel2_3 = new QLabel(tr("Even Line:"), this);
    TextLabel2_3->setObjectName(QStringLiteral("TextLabel2_3"));
    ColorsWidgetBaseLayout->addWidget(TextLabel2_3, 3, 0);
    b3 = new YMRPushButton(this, "b3");
    ColorsWidgetBaseLayout->addWidget(b3, 3, 1);
    b4 = new YMRPushButton(this, "b4");
    ColorsWidgetBaseLayout->addWidget(b4, 3, 2);

    lv = new YMRListView(this, "lv");
    lv->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    ColorsWidgetBaseLayout->addWidget(lv, 4, 0, 1, 3);
}

ColorsWidgetBase::~ColorsWidgetBase() = default;
