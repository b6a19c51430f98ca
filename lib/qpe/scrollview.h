#ifndef SCROLLVIEW_H
#define SCROLLVIEW_H

#include <QAbstractScrollArea>
#include <QPoint>
#include <QRect>

class QPainter;
#include <QMouseEvent>
class QContextMenuEvent;
class QPaintEvent;
class QResizeEvent;

// A scrolling area in contents coordinates: the contents have their own
// size (resizeContents) and the viewport shows the part that starts at
// (contentsX, contentsY). Subclasses paint in drawContents/drawContentsOffset
// and receive mouse events through the contentsMouse*Event handlers with
// positions in contents coordinates.
//
// Shared painting signatures of the item classes built on it (list view,
// list box) take a QPalette where the old toolkit passed a colour group:
//   paintCell(QPainter*, const QPalette&, int column, int width, int alignment)
//   paintBranches(QPainter*, const QPalette&, int w, int y, int h)
// (the old GUI-style argument is dropped; items ask the view's style).
class ScrollView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    enum ScrollBarMode { Auto, AlwaysOff, AlwaysOn };

    explicit ScrollView(QWidget *parent = nullptr, const char *name = nullptr,
                        Qt::WindowFlags f = Qt::WindowFlags());
    ~ScrollView() override;

    void resizeContents(int w, int h);
    int contentsWidth() const { return m_contentsWidth; }
    int contentsHeight() const { return m_contentsHeight; }
    int contentsX() const;
    int contentsY() const;

    int visibleWidth() const;
    int visibleHeight() const;

    void scrollBy(int dx, int dy);
    void ensureVisible(int x, int y, int xmargin = 50, int ymargin = 50);
    void center(int x, int y);

    QPoint viewportToContents(const QPoint &vp) const;
    QPoint contentsToViewport(const QPoint &p) const;
    void viewportToContents(int vx, int vy, int &x, int &y) const;
    void contentsToViewport(int x, int y, int &vx, int &vy) const;

    void updateContents(const QRect &r);
    void updateContents(int x, int y, int w, int h);
    void repaintContents(const QRect &r, bool erase = true);
    void repaintContents(int x, int y, int w, int h, bool erase = true);
    void repaintContents(bool erase = true);

    void setHScrollBarMode(ScrollBarMode mode);
    ScrollBarMode hScrollBarMode() const { return m_hMode; }
    void setVScrollBarMode(ScrollBarMode mode);
    ScrollBarMode vScrollBarMode() const { return m_vMode; }

    // Margins between the frame and the viewport (room for a header).
    void setMargins(int left, int top, int right, int bottom);
    int leftMargin() const { return m_margins[0]; }
    int topMargin() const { return m_margins[1]; }
    int rightMargin() const { return m_margins[2]; }
    int bottomMargin() const { return m_margins[3]; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public slots:
    virtual void setContentsPos(int x, int y);

signals:
    void contentsMoving(int x, int y);

protected:
    // Painting: ox/oy is the contents position of the viewport's top-left
    // corner, (cx, cy, cw, ch) the exposed contents rectangle. The default
    // translates the painter to contents coordinates and calls drawContents.
    virtual void drawContentsOffset(QPainter *p, int ox, int oy, int cx, int cy, int cw, int ch);
    virtual void drawContents(QPainter *p, int cx, int cy, int cw, int ch);
    virtual void viewportPaintEvent(QPaintEvent *e);
    virtual void viewportResizeEvent(QResizeEvent *e);

    virtual void contentsMousePressEvent(QMouseEvent *e);
    virtual void contentsMouseReleaseEvent(QMouseEvent *e);
    virtual void contentsMouseDoubleClickEvent(QMouseEvent *e);
    virtual void contentsMouseMoveEvent(QMouseEvent *e);
    virtual void contentsContextMenuEvent(QContextMenuEvent *e);
    // A copy of a mouse event at viewportPos, moved into contents coordinates.
    QMouseEvent toContents(const QMouseEvent *me, const QPoint &viewportPos) const;

    bool viewportEvent(QEvent *e) override;
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent *e) override;

    // Recomputes the scroll-bar ranges from the contents and viewport sizes.
    void updateScrollBars();

private:
    int m_contentsWidth = 0;
    int m_contentsHeight = 0;
    int m_margins[4] = { 0, 0, 0, 0 };
    ScrollBarMode m_hMode = Auto;
    ScrollBarMode m_vMode = Auto;
    bool m_inScrollBarUpdate = false;
};

#endif
