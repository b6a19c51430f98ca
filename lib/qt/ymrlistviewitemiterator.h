#ifndef YMRLISTVIEWITEMITERATOR_H
#define YMRLISTVIEWITEMITERATOR_H

class YMRListView;
class YMRListViewItem;

// Walks every item of a list view in tree order (an item, its children,
// then its next sibling), closed branches included. The view knows its
// iterators: deleting the item an iterator stands on moves it off the item,
// clearing the view empties it, destroying the view detaches it.
class YMRListViewItemIterator
{
public:
    YMRListViewItemIterator();
    YMRListViewItemIterator(YMRListViewItem *item);
    YMRListViewItemIterator(const YMRListViewItemIterator &other);
    YMRListViewItemIterator(YMRListView *lv);
    ~YMRListViewItemIterator();

    YMRListViewItemIterator &operator=(const YMRListViewItemIterator &other);

    YMRListViewItemIterator &operator++();
    const YMRListViewItemIterator operator++(int);
    YMRListViewItemIterator &operator+=(int n);
    YMRListViewItemIterator &operator--();
    const YMRListViewItemIterator operator--(int);
    YMRListViewItemIterator &operator-=(int n);

    YMRListViewItem *current() const { return m_current; }

protected:
    void currentRemoved();
    void addToListView();
    void removeFromListView();

private:
    friend class YMRListView;
    friend class YMRListViewItem;

    YMRListViewItem *m_current = nullptr;
    YMRListView *m_listView = nullptr;
};

#endif
