#ifndef YMRLISTVIEWPRIVATE_H
#define YMRLISTVIEWPRIVATE_H

// Internal state of YMRListView, shared by the view's source files and its
// items and iterators. Not part of the toolkit's interface.

#include "ymrheader.h"
#include "ymrlistview.h"
#include "ymrlistviewitem.h"

#include <QColor>
#include <QElapsedTimer>
#include <QList>
#include <QPoint>
#include <QSet>
#include <QSize>
#include <QString>
#include <QTimer>
#include <QVector>
#include <vector>

class YMRListViewItemIterator;

class YMRListViewPrivate
{
public:
    // The invisible item whose children are the top-level items.
    class RootItem : public YMRListViewItem
    {
    public:
        explicit RootItem(YMRListView *view);
        void invalidateHeight() override;
        void setup() override;
        void setHeight(int) override;
        YMRListView *theListView() const { return m_view; }

    private:
        YMRListView *m_view;
    };

    struct Drawable {
        int y;
        int level;
        YMRListViewItem *item;
    };

    QVector<int> align;                 // per column, created up to the highest set
    YMRHeader *h = nullptr;
    YMRListViewItem *r = nullptr;
    bool rootIsExpandable = false;
    int margin = 3;
    YMRListViewItem *focusItem = nullptr;
    YMRListViewItem *highlighted = nullptr;
    QTimer *timer = nullptr;
    QTimer *dirtyItemTimer = nullptr;
    QTimer *visibleTimer = nullptr;
    int levelWidth = 20;
    mutable std::vector<Drawable> drawables;
    mutable int topPixel = -1;
    mutable int bottomPixel = -1;
    mutable int builtY = 0;           // contents y and height the list was built for
    mutable int builtHeight = 0;
    QSet<const YMRListViewItem *> dirtyItems;
    int selectionMode = 0;
    bool buttonDown = false;
    bool ignoreDoubleClick = false;
    std::vector<int> columnWidthModes;
    int sortColumn = 0;
    bool ascending = true;
    bool sortIndicator = false;
    int fontMetricsHeight = 0;
    int minLeftBearing = 0;
    int minRightBearing = 0;
    int ellipsisWidth = 0;
    bool allColumnsShowFocus = false;
    QString currentPrefix;
    QElapsedTimer currentPrefixTime;
    bool select = true;
    QList<YMRListViewItemIterator *> *iterators = nullptr;
    YMRListViewItem *pressedItem = nullptr;
    YMRListViewItem *selectAnchor = nullptr;
    QTimer *scrollTimer = nullptr;
    QPoint autoScrollPos;             // viewport position of the pointer while dragging
    bool clearing = false;
    bool pressedSelected = false;
    mutable QSize sizeHint = QSize(-1, -1);
    int colorMode = 0;
    QColor c1, c2, c3, c4;

    // Content y of the row being painted, so that row colours need not
    // walk the tree for it.
    const YMRListViewItem *paintItem = nullptr;
    int paintItemY = 0;
    bool inSetFont = false;
};

#endif
