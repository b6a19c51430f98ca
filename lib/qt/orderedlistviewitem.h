#ifndef ORDEREDLISTVIEWITEM_H
#define ORDEREDLISTVIEWITEM_H

#include "ymrlistviewitem.h"

#include <QString>

class QWidget;

// A top-level row whose place is a position the user chooses: its sort key
// is its position ("000", "001", ...), so a view sorted ascending shows the
// rows in that order. A view holding these rows holds nothing else.
class OrderedListViewItem : public YMRListViewItem
{
public:
    // Appends a row with the text in column 0 at the next free position.
    OrderedListViewItem(YMRListView *lv, const QString &text);
    ~OrderedListViewItem() override;

    QString key(int column, bool ascending) const override;

    // The stored key. An owner may sort its rows by any text (setKey) and
    // then renumber them (setPosition); text keys compare as plain text.
    QString positionKey() const { return m_key; }
    void setKey(const QString &key);
    void setPosition(int n);

    // Exchange places with the row above / below; nothing at the ends.
    void moveUp();
    void moveDown();
    // Removes and deletes this row; the rows below move up one place.
    void closeGap();

    // The key of the position n.
    static QString keyForPosition(int n);
    // Shows the list's current row (item, or none) selected and in view, and
    // lets the up and down buttons move it only where it has a neighbour.
    static void showCurrent(YMRListView *list, YMRListViewItem *item, QWidget *up,
                            QWidget *down);

private:
    void swapWith(YMRListViewItem *other);

    QString m_key;
    // Set by setKey: the key is a text, not a position.
    bool m_textKey = false;
};

#endif
