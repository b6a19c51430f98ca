#include "ymrcalculatorbase.h"

#include "ymrpushbutton.h"

#include <QGridLayout>
#include <QLabel>

YMRCalculatorBase::YMRCalculatorBase(QWidget *parent, const char *name, bool modal,
                                     Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
    setObjectName(QLatin1String(name ? name : "YMRCalculatorBase"));
    setModal(modal);
    setWindowTitle(tr("Calculator"));

    grid = new QGridLayout(this);
    grid->setSpacing(1);
    grid->setContentsMargins(2, 2, 2, 2);

    d = new QLabel(this);
    d->setObjectName(QStringLiteral("d"));
    d->setFrameShape(QFrame::Box);
    d->setFrameShadow(QFrame::Sunken);
    d->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(d, 0, 0, 1, 5);

    b20 = key("b20", tr("C"), 1, 0);
    b17 = key("b17", tr("%"), 1, 1);
    b11 = key("b11", tr("+/-"), 1, 2);
    b14 = key("b14", tr("/"), 1, 3);
    b13 = key("b13", tr("X"), 1, 4);
    b19 = key("b19", tr("AC"), 2, 0);
    b7 = key("b7", tr("7"), 2, 1);
    b8 = key("b8", tr("8"), 2, 2);
    b9 = key("b9", tr("9"), 2, 3);
    b16 = key("b16", tr("-"), 2, 4);
    b22 = key("b22", tr("MR"), 3, 0);
    b4 = key("b4", tr("4"), 3, 1);
    b5 = key("b5", tr("5"), 3, 2);
    b6 = key("b6", tr("6"), 3, 3);
    b15 = key("b15", tr("+"), 3, 4);
    b23 = key("b23", tr("M+"), 4, 0);
    b1 = key("b1", tr("1"), 4, 1);
    b2 = key("b2", tr("2"), 4, 2);
    b3 = key("b3", tr("3"), 4, 3);
    b18 = key("b18", tr("="), 4, 4, 2, 1);
    b21 = key("b21", tr("MC"), 5, 0);
    b0 = key("b0", tr("0"), 5, 1, 1, 2);
    b10 = key("b10", tr("."), 5, 3);

    resize(408, 198);
}

YMRCalculatorBase::~YMRCalculatorBase() = default;

YMRPushButton *YMRCalculatorBase::key(const char *name, const QString &text, int row,
                                      int column, int rowSpan, int columnSpan)
{
    auto *b = new YMRPushButton(text, this, name);
    // keys fill their cells, so "=" and "0" cover the cells they span
    b->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    grid->addWidget(b, row, column, rowSpan, columnSpan);
    return b;
}
