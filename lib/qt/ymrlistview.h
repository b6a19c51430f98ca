#ifndef YMRLISTVIEW_H
#define YMRLISTVIEW_H

#include "qpe/scrollview.h"
#include "ymrlistviewitem.h"

#include <QColor>
#include <QIcon>

class YMRHeader;
class YMRListViewPrivate;
class YMRListViewItemIterator;

// Multi-column tree and list widget: a scrolling view over a tree of
// YMRListViewItems with a YMRHeader whose sections are the columns.
class YMRListView : public ScrollView
{
    Q_OBJECT
public:
    enum SelectionMode { Single = 0, Multi = 1, Extended = 2, NoSelection = 3 };
    enum WidthMode { Manual = 0, Maximum = 1 };

    explicit YMRListView(QWidget *parent = nullptr, const char *name = nullptr);
    YMRListView(QWidget *parent, const char *name, Qt::WindowFlags f);
    ~YMRListView() override;

    // Row colours: 0 palette, 1 alternating rows from the settings, 2 per item.
    virtual void setColors(const QColor *text1, const QColor *base1, const QColor *text2,
                           const QColor *base2);
    virtual void rowColors(YMRListViewItem *item, QColor &text, QColor &base, int y, int height);
    void setColorMode(int mode);
    int colorMode() const;

    int treeStepSize() const;
    virtual void setTreeStepSize(int size);

    virtual void insertItem(YMRListViewItem *item);
    virtual void takeItem(YMRListViewItem *item);
    virtual void removeItem(YMRListViewItem *item);

    YMRHeader *header() const;

    virtual int addColumn(const QString &label, int width = -1);
    virtual int addColumn(const QIcon &iconset, const QString &label, int width = -1);
    void removeColumn(int index);
    virtual void setColumnText(int column, const QString &label);
    virtual void setColumnText(int column, const QIcon &iconset, const QString &label);
    QString columnText(int column) const;
    virtual void setColumnWidth(int column, int width);
    int columnWidth(int column) const;
    virtual void setColumnWidthMode(int column, WidthMode mode);
    WidthMode columnWidthMode(int column) const;
    int columns() const;
    virtual void setColumnAlignment(int column, int align);
    int columnAlignment(int column) const;

    YMRListViewItem *itemAt(const QPoint &viewPos) const;
    QRect itemRect(const YMRListViewItem *item) const;
    int itemPos(const YMRListViewItem *item);
    void ensureItemVisible(const YMRListViewItem *item);
    void repaintItem(const YMRListViewItem *item) const;

    virtual void setMultiSelection(bool enable);
    bool isMultiSelection() const;
    void setSelectionMode(SelectionMode mode);
    SelectionMode selectionMode() const;
    virtual void clearSelection();
    virtual void setSelected(YMRListViewItem *item, bool selected);
    bool isSelected(const YMRListViewItem *item) const;
    YMRListViewItem *selectedItem() const;

    virtual void setOpen(YMRListViewItem *item, bool open);
    bool isOpen(const YMRListViewItem *item) const;

    virtual void setCurrentItem(YMRListViewItem *item);
    YMRListViewItem *currentItem() const;

    YMRListViewItem *firstChild() const;
    int childCount() const;

    virtual void setAllColumnsShowFocus(bool on);
    bool allColumnsShowFocus() const;
    virtual void setItemMargin(int margin);
    int itemMargin() const;
    virtual void setRootIsDecorated(bool on);
    bool rootIsDecorated() const;

    virtual void setSorting(int column, bool ascending = true);
    void sort();
    void setShowSortIndicator(bool on);
    bool showSortIndicator() const;

    // Also gives the header the font and recomputes the item heights.
    virtual void setFont(const QFont &font);
    void setPalette(const QPalette &palette);
    void setVisible(bool visible) override;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    void widthChanged(const YMRListViewItem *item, int column);

    virtual void paintEmptyArea(QPainter *p, const QRect &rect);

    using ScrollView::updateContents;

    bool eventFilter(QObject *o, QEvent *e) override;

public slots:
    virtual void clear();
    virtual void invertSelection();
    virtual void selectAll(bool select);
    void triggerUpdate();
    void setContentsPos(int x, int y) override;
    void updateContents();

protected slots:
    void changeSortColumn(int index);
    void updateDirtyItems();
    void makeVisible();
    void handleSizeChange(int section, int oldSize, int newSize);
    void doAutoScroll();

signals:
    void selectionChanged();
    void selectionChanged(YMRListViewItem *item);
    void currentChanged(YMRListViewItem *item);
    void clicked(YMRListViewItem *item);
    void clicked(YMRListViewItem *item, const QPoint &pnt, int column);
    void pressed(YMRListViewItem *item);
    void pressed(YMRListViewItem *item, const QPoint &pnt, int column);
    void doubleClicked(YMRListViewItem *item);
    void returnPressed(YMRListViewItem *item);
    void rightButtonClicked(YMRListViewItem *item, const QPoint &pnt, int column);
    void rightButtonPressed(YMRListViewItem *item, const QPoint &pnt, int column);
    void mouseButtonPressed(int button, YMRListViewItem *item, const QPoint &pnt, int column);
    void mouseButtonClicked(int button, YMRListViewItem *item, const QPoint &pnt, int column);
    void onItem(YMRListViewItem *item);
    void onViewport();
    void expanded(YMRListViewItem *item);
    void collapsed(YMRListViewItem *item);

protected:
    void drawContentsOffset(QPainter *p, int ox, int oy, int cx, int cy, int cw, int ch) override;
    void resizeEvent(QResizeEvent *e) override;
    void showEvent(QShowEvent *e) override;
    void changeEvent(QEvent *e) override;

    void keyPressEvent(QKeyEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void contentsMousePressEvent(QMouseEvent *e) override;
    void contentsMouseReleaseEvent(QMouseEvent *e) override;
    void contentsMouseDoubleClickEvent(QMouseEvent *e) override;
    void contentsMouseMoveEvent(QMouseEvent *e) override;

    void updateGeometries();

private:
    friend class YMRListViewItem;
    friend class YMRListViewItemIterator;

    void init();
    void readFontMetrics();
    void reconfigureItems();
    void buildDrawableList() const;
    void ensureDrawables() const;
    void resetRoot();
    void loadColors();
    int rowHeightOf(const YMRListViewItem *item) const;
    YMRListViewItem *drawableAt(int contentsY, int *itemY) const;

    // Input helpers (ymrlistviewinput.cpp).
    void selectRange(YMRListViewItem *from, YMRListViewItem *to, bool invert, bool includeFirst,
                     bool clearFirst);
    YMRListViewItem *typeAheadMatch(const QString &input, YMRListViewItem *start) const;
    YMRListViewItem *lastVisibleItem() const;
    void stopAutoScroll();
    // Clears the selection without signals and selects the item alone.
    void selectOnly(YMRListViewItem *item);

    YMRListViewPrivate *d;
};

#endif
