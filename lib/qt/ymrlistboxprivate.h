#ifndef YMRLISTBOXPRIVATE_H
#define YMRLISTBOXPRIVATE_H

// The list box's state, shared by its three sources: items and store
// (ymrlistbox.cpp), layout and painting (ymrlistboxlayout.cpp), selection
// and input (ymrlistboxinput.cpp).

#include "ymrlistbox.h"

#include <QHash>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTimer>
#include <QVector>

class YMRListBoxPrivate
{
public:
    explicit YMRListBoxPrivate(YMRListBox *lb) : listBox(lb) {}
    ~YMRListBoxPrivate()
    {
        if (head)
            listBox->assertWarning("!head", __LINE__);
        delete rubber;
    }

    YMRListBoxItem *head = nullptr;
    YMRListBoxItem *last = nullptr;
    mutable YMRListBoxItem *cache = nullptr;
    mutable int cacheIndex = -1;
    YMRListBoxItem *current = nullptr;
    YMRListBoxItem *highlighted = nullptr;
    YMRListBoxItem *tmpCurrent = nullptr;
    mutable bool layoutDirty = true;
    bool mustPaintAll = true;
    bool variableHeight = true;
    bool variableWidth = false;
    mutable QVector<int> columnPos;
    mutable QVector<int> rowPos;
    mutable int columnPosOne = 0;
    bool rowModeWins = false;
    YMRListBox::LayoutMode rowMode = YMRListBox::FixedNumber;
    YMRListBox::LayoutMode columnMode = YMRListBox::FixedNumber;
    int numRows = 1;
    int numColumns = 1;
    mutable int currentRow = 0;
    mutable int currentColumn = 0;
    int mousePressRow = -1;
    int mousePressColumn = -1;
    int mouseMoveRow = -1;
    int mouseMoveColumn = -1;
    QTimer *scrollTimer = nullptr;
    QTimer *updateTimer = nullptr;
    QTimer *visibleTimer = nullptr;
    QTimer *resizeTimer = nullptr;
    QPoint scrollPos;
    YMRListBox::SelectionMode selectionMode = YMRListBox::Single;
    int count = 0;
    bool ignoreMoves = false;
    bool clearing = false;
    YMRListBox *listBox;
    QString currInputString;
    QTimer *inputTimer = nullptr;
    YMRListBoxItem *pressedItem = nullptr;
    YMRListBoxItem *selectAnchor = nullptr;
    bool select = false;
    bool pressedSelected = false;
    QRect *rubber = nullptr;
    QHash<const YMRListBoxItem *, bool> selectable;
    mutable QSize cachedSizeHint = QSize(-1, -1);
    mutable QSize cachedMinimumSizeHint = QSize(-1, -1);
    mutable bool polished = false;
};

inline bool sizeStored(const QSize &s)
{
    return s.width() >= 0 && s.height() >= 0;
}

#endif
