#ifndef CATEGORYLISTVIEW_H
#define CATEGORYLISTVIEW_H

#include "pimlistview.h"

class CategoryRecord;

// Every category of the category store, each row in the category's own
// colours, with its mark, title and two colour swatches. Paging stays off.
class CategoryListView : public PIMListView
{
    Q_OBJECT
public:
    explicit CategoryListView(QWidget *parent = nullptr);

    // The side of a colour swatch: 16 pixels on the small screen class, else 32.
    static int swatchSize();
    static QPixmap swatch(const QColor &color);

public slots:
    void sectionClicked(int section) override;
    // Flips the category's mark.
    void activateCategory(PIMRecord *record);
    // A tap: column 0 flips the mark, columns 3 and 4 open the colour menu.
    void activateCategory(const QPoint &pos, PIMRecord *record, int column);

protected:
    // Runs the colour menu at the point and stores the category's text or
    // background colour.
    void chooseColor(const QPoint &pos, CategoryRecord *category, bool text);
    void saveColumnWidth(int section, int width) override;
    void setupColumns(int id, Config *settings) override;
    PIMListViewItem *createItem(PIMRecord *record) override;
    PIMListViewItem *createItem(PIMRecord *record, YMRListViewItem *after) override;
};

#endif
