#include "categorylistview.h"

#include "categorylistviewitem.h"
#include "categoryrecord.h"

#include "qpe/config.h"
#include "qpe/popupmenu.h"
#include "qt/ymrapplication.h"
#include "qt/ymrheader.h"
#include "qt/ymrresource.h"
#include "qt/ymselectcoloraction.h"

#include <QApplication>
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
    // a black frame, a white ring inside it, the colour within; QPainter's
    // outline spans one pixel more than the width, hence the -1s
    p.setPen(Qt::black);
    p.drawRect(0, 0, s - 1 - 1, s - 1 - 1);
    p.setPen(Qt::white);
    p.setBrush(color);
    p.drawRect(1, 1, s - 2 - 1, s - 2 - 1);
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

void CategoryListView::activateCategory(const QPoint &pos, PIMRecord *record, int column)
{
    if (column == 0)
        activateCategory(record);
    else if (column == 3 || column == 4)
        chooseColor(pos, static_cast<CategoryRecord *>(record), column == 3);
}

void CategoryListView::chooseColor(const QPoint &pos, CategoryRecord *c, bool text)
{
    if (!c)
        return;
    QColor color;
    {
        YMSelectColorAction action(0, this);
        action.setCurrentColor(text ? c->textColor : c->backgroundColor);
        action.popupMenu()->exec(pos);
        // a dismissed menu keeps the colour, and it is stored all the same
        color = action.currentColor();
    }
    if (!color.isValid())
        color = QApplication::palette().color(text ? QPalette::Text : QPalette::Base);
    auto *old = new CategoryRecord(*c);
    if (text)
        c->textColor = color;
    else
        c->backgroundColor = color;
    c->store(old); // takes old in every case
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
