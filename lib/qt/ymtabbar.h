#ifndef YMTABBAR_H
#define YMTABBAR_H

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QPolygon>
#include <QVector>
#include <QWidget>

class QTimer;

// The strip of tabs of YMTabWidget. Tabs are named by ids. When they do not
// fit, two arrows at the end scroll them one tab at a time; dragging a tab
// along the strip reorders the tabs, dragging it out reports a tab drag.
// The strip is laid out and drawn as a horizontal row of tabs hanging from
// the top edge; the drawing is mirrored or turned for the other sides.
class YMTabBar : public QWidget
{
    Q_OBJECT
public:
    // Display options, or-ed together for setTabFlags.
    enum TabFlag {
        Icons = 1,          // tab icons are drawn
        CloseButton = 2,    // a close cross after the arrows
        BoldCurrent = 4,    // the current tab's label is bold
        Flat = 8,           // flat tabs on a lighter background
        Grips = 16,         // two grip lines on every bevelled tab
        CurrentLabelOnly = 32 // only the current tab shows its label
    };
    // Where the pages are, seen from the strip: 0 the tabs stand above the
    // pages, 1 below, 2 left, 3 right.
    enum Orientation { Above = 0, Below = 1, Left = 2, Right = 3 };

    explicit YMTabBar(QWidget *parent = nullptr, const char *name = nullptr);
    ~YMTabBar() override;

    // A new tab after the last one (insertTab: right after the tab
    // `after`, first when `after` names no tab). The id is the requested
    // one, 0 for -1, or the next free id above it. Returns the id.
    int addTab(const QString &label, const QIcon &icon, int id = -1);
    int addTab(const QString &label, int id = -1);
    int insertTab(const QString &label, const QIcon &icon, int after, int id = -1);
    int insertTab(const QString &label, int after, int id = -1);
    void removeTab(int id);
    void removeAllTabs();

    void setTabLabel(int id, const QString &label);
    void setTabIconSet(int id, const QIcon &icon);
    void setTabEnabled(int id, bool enabled);
    QString tabLabel(int id) const;
    QIcon tabIconSet(int id) const;
    bool isTabEnabled(int id) const;

    int count() const { return m_tabs.size(); }
    int currentTab() const { return m_current; }
    // Ids in display order.
    QList<int> tabIds() const;
    // The first tab not scrolled out, -1 without tabs.
    int firstShownTab() const { return m_firstShown; }

    void setTabFlags(int flags);
    int tabFlags() const { return m_flags; }
    void setOrientation(int orientation);
    int orientation() const { return m_orientation; }

    // Geometry, for the owner and for tests: a tab's rectangle in strip
    // coordinates (null when scrolled out or unknown) and the tab under a
    // point of the widget (-1 for none).
    QRect tabRect(int id) const;
    int tabAt(const QPoint &widgetPos) const;
    // The widget rectangles of the back and forward arrows and the close
    // button.
    QRect backArrowRect() const;
    QRect forwardArrowRect() const;
    QRect closeButtonRect() const;
    bool isBackArrowEnabled() const { return m_backEnabled; }
    bool isForwardArrowEnabled() const { return m_forwardEnabled; }

    QSize sizeHint() const override;

public slots:
    void setCurrentTab(int id);
    void breakTimeout();

signals:
    void currentChanged(int id);
    void startTabDrag(int id, QMouseEvent *e);
    void continueTabDrag(QMouseEvent *e);
    void finishTabDrag(QMouseEvent *e);
    void cancelTabDrag(QMouseEvent *e);
    void closeTab(int id);
    void tabRightButtonPressed(int id, const QPoint &globalPos);
    void changeTabsOrder(int from, int to);

protected:
    void showEvent(QShowEvent *e) override;
    void changeEvent(QEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

    // Removes every "&" but one in the last position; "&&" leaves one "&".
    static QString stripAmpersands(const QString &text);

private:
    struct Tab {
        QString label;
        QString shownLabel;
        QIcon icon;
        int id = -1;
        int width = 0;
        bool enabled = true;
    };

    int insertAt(int index, const QString &label, const QIcon &icon, int id);
    int indexOf(int id) const;
    Tab *tab(int id);
    const Tab *tab(int id) const;
    int freeId(int requested) const;
    bool hasIcon(const Tab &t) const;
    QPixmap smallPixmap(const Tab &t, QIcon::Mode mode) const;

    void makeButtonShapes();
    int tabWidth(const Tab &t) const;
    void updateWidth(Tab &t);
    void updateAllWidths();
    void widenBuffer(int width);
    int leadingOffset() const;
    int length() const;
    int thickness() const;
    int buttonAreaWidth() const;
    int tabAreaEnd() const;
    QPoint toStrip(const QPoint &widgetPos) const;
    QRect buttonRect(int which) const;
    int tabAtStrip(const QPoint &p) const;
    void hitButtons(const QPoint &stripPos);
    void updateArrows();
    void scrollBack();
    void scrollForward();
    void resetScrolling();
    bool selectTab(int id);
    void ensureTabVisible(int id);
    void setFirstShownAfterRemoval(int index);

    QImage paintStrip();
    void paintTab(QPainter *p, const Tab &t, bool current) const;
    void drawEdgePattern(QPainter &p, int x, int y, const QColor &colour) const;
    QColor background() const;

    QPolygon m_edge;
    QPolygon m_back;
    QPolygon m_forward;
    QVector<QLine> m_cross;
    QVector<Tab> m_tabs;
    QTimer *m_repeat;
    QImage m_buffer;
    int m_orientation = Above;
    int m_current = -1;
    int m_firstShown = -1;
    bool m_backEnabled = false;
    bool m_forwardEnabled = false;
    bool m_backPressed = false;
    bool m_forwardPressed = false;
    bool m_closePressed = false;
    int m_pressed = -1;
    bool m_icons = false;
    bool m_close = false;
    bool m_bold = false;
    bool m_flat = false;
    bool m_grips = false;
    bool m_currentLabelOnly = false;
    int m_flags = 0;
    int m_buttonWidth = 0;
    bool m_dragging = false;
    bool m_polished = false;
};

#endif
