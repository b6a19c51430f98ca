#include "keyswidgetbase.h"

#include "qt/ymrpushbutton.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

KeysWidgetBase::KeysWidgetBase(QWidget *parent, const char *name, Qt::WindowFlags fl)
    : QWidget(parent, fl)
{
    setObjectName(QString::fromLatin1(name ? name : "KeysWidgetBase"));
    resize(370, 528);
    setWindowTitle(tr("KeysWidgetBase"));
    setFocusPolicy(Qt::StrongFocus);

    panel = new QGroupBox(this);
    panel->setObjectName(QStringLiteral("panel"));
    panel->setFlat(true);
    auto *column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    panelLayout = new QGridLayout;
    panelLayout->setContentsMargins(3, 3, 3, 3);
    panelLayout->setSpacing(3);
    panelLayout->setAlignment(Qt::AlignTop);
    column->addLayout(panelLayout);

    group = new QButtonGroup(this);
    group->setObjectName(QStringLiteral("group"));
    group->setExclusive(true);

    const char *const texts[] = {QT_TR_NOOP("New:"),          QT_TR_NOOP("Edit:"),
                                 QT_TR_NOOP("Duplicate:"),    QT_TR_NOOP("Remove:"),
                                 QT_TR_NOOP("Find:"),         QT_TR_NOOP("Filters:"),
                                 QT_TR_NOOP("Books:"),        QT_TR_NOOP("Descriptions:"),
                                 QT_TR_NOOP("Templates:"),    QT_TR_NOOP("Options:")};
    QLabel **labels[] = {&l1, &l2, &l3, &l4, &l5, &l6, &l7, &l8, &l9, &l10};
    YMRPushButton **buttons[] = {&k1, &k2, &k3, &k4, &k5, &k6, &k7, &k8, &k9, &k10};
    int row = 0;
    for (int i = 0; i < 10; ++i) {
        if (i == 4) {
            Line4 = new QFrame(panel);
            Line4->setObjectName(QStringLiteral("Line4"));
            Line4->setFrameStyle(QFrame::HLine | QFrame::Sunken);
            panelLayout->addWidget(Line4, row++, 0, 1, 2);
        }
        const QString number = QString::number(i + 1);
        auto *label = new QLabel(tr(texts[i]), panel);
        label->setObjectName(QLatin1Char('l') + number);
        *labels[i] = label;
        auto *button = new YMRPushButton(panel, qPrintable(QLatin1Char('k') + number));
        button->setToggleButton(true);
        *buttons[i] = button;
        group->addButton(button, i + 1);
        panelLayout->addWidget(label, row, 0);
        panelLayout->addWidget(button, row, 1);
        ++row;
    }
}

KeysWidgetBase::~KeysWidgetBase() = default;
