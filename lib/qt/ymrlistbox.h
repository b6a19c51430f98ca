#ifndef YMRLISTBOX_H
#define YMRLISTBOX_H

#include "qpe/scrollview.h"
#include "ymrlistboxitem.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

class YMRListBoxPrivate;

// A scrollable list of items: one column of rows by default, or a grid of
// cells filled column by column. Changes relayout and repaint once control
// returns to the event loop.
class YMRListBox : public ScrollView
{
    Q_OBJECT
public:
    enum SelectionMode { Single = 0, Multi = 1, Extended = 2, NoSelection = 3 };
    enum LayoutMode { FixedNumber = 0, FitToWidth = 1, FitToHeight = FitToWidth, Variable = 2 };

    explicit YMRListBox(QWidget *parent = nullptr, const char *name = nullptr,
                        Qt::WindowFlags f = Qt::WindowFlags());
    ~YMRListBox() override;

    // Item store
    uint count() const;
    void insertItem(const YMRListBoxItem *item, int index = -1);
    void insertItem(const YMRListBoxItem *item, const YMRListBoxItem *after);
    void insertItem(const QString &text, int index = -1);
    void insertItem(const QPixmap &pixmap, int index = -1);
    void insertItem(const QPixmap &pixmap, const QString &text, int index = -1);
    void insertStringList(const QStringList &list, int index = -1);
    void insertStrList(const QList<QByteArray> *list, int index = -1);
    void insertStrList(const QList<QByteArray> &list, int index = -1);
    void insertStrList(const char **strings, int numStrings = -1, int index = -1);
    void inSort(const YMRListBoxItem *item);
    void inSort(const QString &text);
    void removeItem(int index);
    void takeItem(const YMRListBoxItem *item);
    void changeItem(const YMRListBoxItem *item, int index);
    void changeItem(const QString &text, int index);
    void changeItem(const QPixmap &pixmap, int index);
    void changeItem(const QPixmap &pixmap, const QString &text, int index);
    void sort(bool ascending = true);

    // Lookup
    YMRListBoxItem *item(int index) const;
    int index(const YMRListBoxItem *item) const;
    YMRListBoxItem *firstItem() const;
    QString text(int index) const;
    const QPixmap *pixmap(int index) const;

    // Current item
    int currentItem() const;
    QString currentText() const { return text(currentItem()); }
    virtual void setCurrentItem(int index);
    virtual void setCurrentItem(YMRListBoxItem *item);
    int currentRow() const;
    int currentColumn() const;

    // Selection
    virtual void setSelectionMode(SelectionMode mode);
    SelectionMode selectionMode() const;
    void setMultiSelection(bool on);
    bool isMultiSelection() const;
    virtual void setSelected(YMRListBoxItem *item, bool select);
    void setSelected(int index, bool select);
    bool isSelected(int index) const;
    bool isSelected(const YMRListBoxItem *item) const;
    void toggleCurrentItem();

    // Layout and geometry
    virtual void setColumnMode(LayoutMode mode);
    virtual void setColumnMode(int columns);
    virtual void setRowMode(LayoutMode mode);
    virtual void setRowMode(int rows);
    LayoutMode columnMode() const;
    LayoutMode rowMode() const;
    int numColumns() const;
    int numRows() const;
    virtual void setVariableWidth(bool on);
    virtual void setVariableHeight(bool on);
    bool variableWidth() const;
    bool variableHeight() const;
    void triggerUpdate(bool doLayout);
    void updateItem(YMRListBoxItem *item);
    void updateItem(int index);
    int columnAt(int x) const;
    int rowAt(int y) const;
    int itemHeight(int index = 0) const;
    int maxItemWidth() const;

    YMRListBoxItem *itemAt(const QPoint &p) const;
    QRect itemRect(YMRListBoxItem *item) const;
    bool itemVisible(int index);
    bool itemVisible(const YMRListBoxItem *item);
    int numItemsVisible() const;
    int topItem() const;
    virtual void setTopItem(int index);
    virtual void setBottomItem(int index);

    void setFont(const QFont &font);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Older accessors
    void centerCurrentItem() { ensureCurrentVisible(); }
    bool dragSelect() const { return true; }
    void setDragSelect(bool) {}
    bool autoScroll() const { return true; }
    void setAutoScroll(bool) {}
    bool autoUpdate() const { return true; }
    void setAutoUpdate(bool) {}
    bool smoothScrolling() const { return false; }
    void setSmoothScrolling(bool) {}
    void updateCellWidth() {}
    void emitChangedSignal(bool) {}
    bool autoScrollBar() const { return vScrollBarMode() == Auto; }
    void setAutoScrollBar(bool on) { setVScrollBarMode(on ? Auto : AlwaysOff); }
    bool scrollBar() const { return vScrollBarMode() != AlwaysOff; }
    void setScrollBar(bool on) { setVScrollBarMode(on ? AlwaysOn : AlwaysOff); }
    bool autoBottomScrollBar() const { return hScrollBarMode() == Auto; }
    void setAutoBottomScrollBar(bool on) { setHScrollBarMode(on ? Auto : AlwaysOff); }
    bool bottomScrollBar() const { return hScrollBarMode() != AlwaysOff; }
    void setBottomScrollBar(bool on) { setHScrollBarMode(on ? AlwaysOn : AlwaysOff); }
    void setFixedVisibleLines(int lines) { setRowMode(lines); }
    int cellHeight(int i) const { return itemHeight(i); }
    int cellHeight() const { return itemHeight(0); }
    int cellWidth() const { return maxItemWidth(); }
    int cellWidth(int i) const;
    int numCols() const { return numColumns(); }
    int totalWidth() const { return contentsWidth(); }
    int totalHeight() const { return contentsHeight(); }
    int findItem(int yPos) const { return index(itemAt(QPoint(0, yPos))); }
    bool itemYPos(int index, int *yPos) const;

public slots:
    virtual void clearSelection();
    void selectAll(bool select);
    void invertSelection();
    virtual void ensureCurrentVisible();
    void clear();

signals:
    void highlighted(int index);
    void selected(int index);
    void highlighted(const QString &text);
    void selected(const QString &text);
    void highlighted(YMRListBoxItem *item);
    void selected(YMRListBoxItem *item);
    void selectionChanged();
    void selectionChanged(YMRListBoxItem *item);
    void currentChanged(YMRListBoxItem *item);
    void clicked(YMRListBoxItem *item);
    void clicked(YMRListBoxItem *item, const QPoint &pos);
    void pressed(YMRListBoxItem *item);
    void pressed(YMRListBoxItem *item, const QPoint &pos);
    void doubleClicked(YMRListBoxItem *item);
    void returnPressed(YMRListBoxItem *item);
    void rightButtonClicked(YMRListBoxItem *item, const QPoint &pos);
    void rightButtonPressed(YMRListBoxItem *item, const QPoint &pos);
    void mouseButtonPressed(int button, YMRListBoxItem *item, const QPoint &pos);
    void mouseButtonClicked(int button, YMRListBoxItem *item, const QPoint &pos);
    void onItem(YMRListBoxItem *item);
    void onViewport();

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void showEvent(QShowEvent *e) override;
    void changeEvent(QEvent *e) override;
    bool viewportEvent(QEvent *e) override;
    void viewportPaintEvent(QPaintEvent *e) override;
    virtual void paintCell(QPainter *p, int row, int column);

private slots:
    void clearInputString();
    void refreshSlot();
    void doAutoScroll();
    void adjustItems();

private:
    friend class YMRListBoxItem;
    friend class YMRListBoxPrivate;

    void assertWarning(const char *cond, int line) const;
    void emitHighlightGroup(YMRListBoxItem *item);
    void setItemSelectable(const YMRListBoxItem *item, bool on);
    bool itemSelectable(const YMRListBoxItem *item) const;
    void forgetItemPointers(const YMRListBoxItem *item);
    void doLayout() const;
    void tryGeometry(int rows, int columns) const;
    void fitLayout(int c, bool rows) const;
    bool cellOf(int index, int *row, int *col) const;
    void scrollToItem(int index, bool bottom);
    void placeCurrent(int index);
    int currentCell(bool row) const;
    void applyLayoutMode(bool rows, LayoutMode mode, int number);
    int dragAxis(int pos, bool columns);
    QSize viewportSizeFor(int w, int h) const;
    int laidRows() const;
    int laidColumns() const;
    void selectRange(YMRListBoxItem *from, YMRListBoxItem *to, bool invert, bool includeFirst,
                     bool clearOthers = false);
    void handleItemChange(YMRListBoxItem *old, bool shift, bool control);
    void updateSelection();
    void selectRubber(const QRect &oldRubber, const QRect &newRubber);
    void makeCurrentQuietly(YMRListBoxItem *item);
    void clearSelectionBits();
    void selectOnly(YMRListBoxItem *item);
    void adopt(YMRListBoxItem *item);
    void linkFirst(YMRListBoxItem *item);
    void inserted();
    void typeAhead(const QString &text);
    // the key groups: each moves or acts, handleItemChange() is the caller's
    void keyUpDown(bool down);
    bool keyLeftRight(bool right);   // true when the current item moved
    void keyPage(bool down);
    void keyActivate(bool space);
    void keyText(QKeyEvent *e, bool control);
    QRect cellRect(int row, int column) const;

    YMRListBoxPrivate *d;
};

#endif
