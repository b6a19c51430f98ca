#include "colorswidget.h"

#include "pim/ymrpim.h"
#include "qpe/config.h"
#include "qt/ymrheader.h"
#include "qt/ymrlistview.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"
#include "qt/ymselectcoloraction.h"

ColorsWidget::ColorsWidget(QWidget *parent, const char *name)
    : ColorsWidgetBase(parent, name)
{
    lv->setObjectName(QStringLiteral("main"));
    lv->setColorMode(1);
    lv->setSorting(-1, true);

    lv->addColumn(YMRResource::loadIconSet(QStringLiteral("date")), QString());
    lv->addColumn(tr("Type"), 113);
    lv->addColumn(tr("Amount"), 50);
    lv->addColumn(YMRResource::loadIconSet(QStringLiteral("reminder")), QString());
    lv->setColumnAlignment(0, Qt::AlignRight);
    lv->setColumnAlignment(2, Qt::AlignRight);
    lv->header()->setResizeEnabled(false, 0);
    lv->header()->setResizeEnabled(false, 3);

    const QString date = QStringLiteral("2004/06/15");
    addSampleRow(date, tr("Breakfast"), QStringLiteral("50$"), false);
    addSampleRow(date, tr("Bus"), QStringLiteral("10$"), false);
    addSampleRow(date, tr("Dinner"), QStringLiteral("150$"), true);
    addSampleRow(date, tr("Fax"), QStringLiteral("3$"), false);

    static const char *const keys[4] = {"c1", "c2", "c3", "c4"};
    static const char *const defaults[4] = {"#336699", "#e5e5e5", "#000000", "#ffffcc"};
    YMRPushButton *buttons[4] = {b1, b2, b3, b4};
    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(QStringLiteral("main"));
    for (int i = 0; i < 4; ++i) {
        // per line a text colour, then a background colour
        m_actions[i] = new YMSelectColorAction(i % 2 == 0 ? 1 : 2, this);
        connect(m_actions[i], qOverload<const QColor &>(&YMSelectColorAction::activated), this,
                &ColorsWidget::colorChanged);
        m_actions[i]->addTo(buttons[i]);
        m_actions[i]->setCurrentColor(
            QColor(cfg.readEntry(QLatin1String(keys[i]), QLatin1String(defaults[i]))));
    }
}

ColorsWidget::~ColorsWidget() = default;

void ColorsWidget::addSampleRow(const QString &date, const QString &type, const QString &amount,
                                bool reminder)
{
    // after the last row, so the rows keep the order they were added in
    YMRListViewItem *last = lv->firstChild();
    while (last && last->nextSibling())
        last = last->nextSibling();
    auto *item = new YMRListViewItem(lv, last, date, type, amount);
    item->setPixmap(3, YMRResource::loadPixmap(QLatin1String(reminder ? "reminder" : "empty")));
}

void ColorsWidget::colorChanged()
{
    const QColor c1 = m_actions[0]->currentColor();
    const QColor c2 = m_actions[1]->currentColor();
    const QColor c3 = m_actions[2]->currentColor();
    const QColor c4 = m_actions[3]->currentColor();
    lv->setColors(&c1, &c2, &c3, &c4);
}
