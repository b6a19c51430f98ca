#include "ymrokcancelwidget.h"

#include "ymrpushbutton.h"
#include "ymrresource.h"

#include <QFrame>
#include <QGridLayout>
#include <QSpacerItem>

YMROkCancelWidget::YMROkCancelWidget(QWidget *parent, const char *name)
    : QWidget(parent)
{
    setObjectName(QLatin1String(name));
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(3);

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    grid->addWidget(line, 0, 0, 1, 3);
    grid->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum), 1, 0);

    m_ok = new YMRPushButton(YMRResource::loadIconSet("button_ok"), tr("Ok"), this, "ok");
    m_ok->setAutoDefault(true);
    m_ok->setDefault(true);
    grid->addWidget(m_ok, 1, 1);
    m_cancel = new YMRPushButton(YMRResource::loadIconSet("button_cancel"), tr("Cancel"), this, "cancel");
    grid->addWidget(m_cancel, 1, 2);

    if (parent) {
        connect(m_ok, SIGNAL(clicked()), parent, SLOT(accept()));
        connect(m_cancel, SIGNAL(clicked()), parent, SLOT(reject()));
    }
    setFocusProxy(m_ok);
}
