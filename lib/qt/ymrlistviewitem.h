#ifndef YMRLISTVIEWITEM_H
#define YMRLISTVIEWITEM_H

#include <QColor>
#include <QFont>
#include <QMetaType>
#include <QPixmap>
#include <QPoint>
#include <QString>
#include <memory>
#include <vector>

class QFontMetrics;
class QPainter;
class QPalette;
class QRect;
class YMRListView;

// One row, and one node of the tree, of a YMRListView. Items own their
// children; deleting an item removes its row.
//
// Painting hooks take a QPalette whose Base and Text roles carry the row's
// colours: paintCell(QPainter*, const QPalette&, int column, int width, int alignment).
class YMRListViewItem
{
public:
    explicit YMRListViewItem(YMRListView *parent);
    explicit YMRListViewItem(YMRListViewItem *parent);
    YMRListViewItem(YMRListView *parent, YMRListViewItem *after);
    YMRListViewItem(YMRListViewItem *parent, YMRListViewItem *after);
    YMRListViewItem(YMRListView *parent, QString t0, QString t1 = QString(),
                    QString t2 = QString(), QString t3 = QString(), QString t4 = QString(),
                    QString t5 = QString(), QString t6 = QString(), QString t7 = QString());
    YMRListViewItem(YMRListViewItem *parent, QString t0, QString t1 = QString(),
                    QString t2 = QString(), QString t3 = QString(), QString t4 = QString(),
                    QString t5 = QString(), QString t6 = QString(), QString t7 = QString());
    YMRListViewItem(YMRListView *parent, YMRListViewItem *after, QString t0,
                    QString t1 = QString(), QString t2 = QString(), QString t3 = QString(),
                    QString t4 = QString(), QString t5 = QString(), QString t6 = QString(),
                    QString t7 = QString());
    YMRListViewItem(YMRListViewItem *parent, YMRListViewItem *after, QString t0,
                    QString t1 = QString(), QString t2 = QString(), QString t3 = QString(),
                    QString t4 = QString(), QString t5 = QString(), QString t6 = QString(),
                    QString t7 = QString());
    virtual ~YMRListViewItem();

    YMRListViewItem(const YMRListViewItem &) = delete;
    YMRListViewItem &operator=(const YMRListViewItem &) = delete;

    virtual void insertItem(YMRListViewItem *child);
    virtual void takeItem(YMRListViewItem *child);
    virtual void removeItem(YMRListViewItem *child);

    int height() const;
    virtual void invalidateHeight();
    int totalHeight() const;
    virtual int width(const QFontMetrics &fm, const YMRListView *lv, int column) const;
    void widthChanged(int column = -1) const;
    int depth() const;

    virtual void setText(int column, const QString &text);
    virtual QString text(int column) const;
    virtual void setPixmap(int column, const QPixmap &pm);
    virtual const QPixmap *pixmap(int column) const;

    virtual QString key(int column, bool ascending) const;
    virtual void sortChildItems(int column, bool ascending);

    int childCount() const { return m_childCount; }
    bool isOpen() const { return m_open; }
    virtual void setOpen(bool open);
    virtual void setup();

    virtual void setSelected(bool on);
    bool isSelected() const { return m_selected; }

    virtual void paintCell(QPainter *p, const QPalette &cg, int column, int width, int alignment);
    virtual void paintBranches(QPainter *p, const QPalette &cg, int w, int y, int h);
    virtual void paintFocus(QPainter *p, const QPalette &cg, const QRect &r);

    YMRListViewItem *firstChild() const;
    YMRListViewItem *nextSibling() const { return m_sibling; }
    YMRListViewItem *parent() const;

    YMRListViewItem *itemAbove();
    YMRListViewItem *itemBelow();
    int itemPos() const;

    YMRListView *listView() const;

    virtual void setSelectable(bool enable);
    bool isSelectable() const { return m_selectable; }
    virtual void setExpandable(bool enable);
    bool isExpandable() const { return m_expandable; }

    void repaint() const;
    void sort();
    void moveItem(YMRListViewItem *after);

    void setColors(const QColor &text, const QColor &base);
    void colors(QColor &text, QColor &base) const;

    // Unsorted: the value remembered for "no sort column".
    static const int Unsorted = 16383;

protected:
    virtual void enforceSortOrder() const;
    virtual void setHeight(int h);
    virtual void activate();
    bool activatedPos(QPoint &pos);

private:
    friend class YMRListView;
    friend class YMRListViewItemIterator;

    struct Column {
        QString text;
        QString cutText;
        std::unique_ptr<QPixmap> pixmap;
        QFont cutFont;   // the shortened text holds for this font only
        bool cut = false;
        bool dirty = false;
        int cutWidth = 0;
    };

    void init();
    void placeAfter(YMRListViewItem *after);
    void start(YMRListView *view, YMRListViewItem *parent, YMRListViewItem *after,
               const QString *texts);
    void ensureColumns(int column);
    void configure() const;
    bool isInSubtreeOf(const YMRListViewItem *ancestor) const;

    int m_ownHeight;
    mutable int m_totalHeight;
    int m_childCount;
    mutable unsigned m_sortColumn : 14;
    mutable unsigned m_ascending : 1;
    unsigned m_open : 1;
    unsigned m_selected : 1;
    unsigned m_selectable : 1;
    mutable unsigned m_configured : 1;
    unsigned m_expandable : 1;
    unsigned m_isRoot : 1;
    YMRListViewItem *m_parent;
    YMRListViewItem *m_sibling;
    mutable YMRListViewItem *m_child;
    std::vector<Column> m_columns;
    std::unique_ptr<QColor> m_baseColor;
    std::unique_ptr<QColor> m_textColor;

    // Set by the view while an activation comes from a mouse press.
    static bool s_activatedByClick;
    static QPoint s_activatedPos;
};

Q_DECLARE_METATYPE(YMRListViewItem *)

#endif
