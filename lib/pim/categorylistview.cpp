#include "categorylistview.h"

#include "categorylistviewitem.h"
#include "categoryrecord.h"

#include "qpe/config.h"
#include "qt/ymrapplication.h"
#include "qt/ymrheader.h"
#include "qt/ymrresource.h"

#include <QPainter>

CategoryListView::CategoryListView(QWidget *parent) : PIMListView(parent, "categorylistview")
{
    appendIcon(YMRResource::loadPixmap(QStringLiteral("on")));
    appendIcon(YMRResource::loadPixmap(QStringLiteral("off")));
    appendIcon(YMRResource::loadPixmap(QStringLiteral("category")));
    setColorMode(2);
    connect(this, qOverload<PIMRecord *>(&PIMListView::activate), this,
            qOverload<PIMRecord *>(&CategoryListView::activateCategory));
    connect(this, qOverload<const QPoint &, PIMRecord *, int>(&PIMListView::activate), this,
            qOverload<const QPoint &, PIMRecord *, int>(&CategoryListView::activateCategory));
}

int CategoryListView::swatchSize()
{
    return YMRApplication::isQVGAScreen() ? 16 : 32;
}

QPixmap CategoryListView::swatch(const QColor &color)
{
    const int s = swatchSize();
    QPixmap pm(s, s);
    pm.fill(Qt::black);
    QPainter p(&pm);
    p.setPen(Qt::black);
    p.drawRect(0, 0, s - 1, s - 1);
    p.setPen(Qt::white);
    p.setBrush(color);
    p.drawRect(1, 1, s - 2, s - 2);
    return pm;
}

void CategoryListView::setupColumns(int id, Config *settings)
{
    static const char *const icons[] = { "onoff", "editcopy", "category", "color_text",
                                         "color_line" };
    if (id < 0 || id > 4)
        return;
    const QIcon icon = YMRResource::loadIconSet(QLatin1String(icons[id]));
    if (id == 1) {
        addColumn(icon, tr("Title"),
                  settings ? settings->readNumEntry(QStringLiteral("title_width"), 113) : 113);
        return;
    }
    const int col = addColumn(icon, QString(), -1);
    header()->setResizeEnabled(false, col);
}

void CategoryListView::saveColumnWidth(int section, int width)
{
    if (columnId(section) == 1)
        writeColumnWidth(QStringLiteral("title_width"), width);
}

PIMListViewItem *CategoryListView::createItem(PIMRecord *record)
{
    return new CategoryListViewItem(this, record);
}

PIMListViewItem *CategoryListView::createItem(PIMRecord *record, YMRListViewItem *after)
{
    return new CategoryListViewItem(this, after, record);
}

namespace {
void storeMark(CategoryRecord *c, bool on)
{
    auto *old = new CategoryRecord(*c);
    c->on = on;
    c->store(old); // takes old in every case
}
} // namespace

void CategoryListView::activateCategory(PIMRecord *record)
{
    if (auto *c = static_cast<CategoryRecord *>(record))
        storeMark(c, !c->on);
}

void CategoryListView::activateCategory(const QPoint &, PIMRecord *record, int column)
{
    if (column == 0)
        activateCategory(record);
}

void CategoryListView::sectionClicked(int section)
{
    if (columnId(section) != 0) {
        PIMListView::sectionClicked(section);
        return;
    }
    const bool blocked = blockSignals(true);
    const QList<PIMRecord *> records = pageRecords();
    bool anyOff = false;
    for (PIMRecord *r : records)
        anyOff = anyOff || !static_cast<CategoryRecord *>(r)->on;
    for (PIMRecord *r : records)
        storeMark(static_cast<CategoryRecord *>(r), anyOff);
    blockSignals(blocked);
}
