#ifndef YMTABWIDGET_H
#define YMTABWIDGET_H

#include <QHash>
#include <QIcon>
#include <QList>
#include <QWidget>

class QGridLayout;
class QMouseEvent;
class WidgetStack;
class YMTabBar;

// One of several pages under a row of tabs (a YMTabBar) on any side of the
// pages. The page of the current tab is raised and given the focus.
class YMTabWidget : public QWidget
{
    Q_OBJECT
public:
    explicit YMTabWidget(QWidget *parent = nullptr, const char *name = nullptr,
                         Qt::WindowFlags f = Qt::WindowFlags());
    ~YMTabWidget() override;

    void addTab(QWidget *page, const QString &label);
    void addTab(QWidget *page, const QString &label, const QIcon &icon);
    // Right after the tab of `after`, first when `after` is no page here.
    void insertTab(QWidget *page, const QString &label, QWidget *after);
    void insertTab(QWidget *page, const QString &label, const QIcon &icon, QWidget *after);
    // The tab follows the page's window title and window icon.
    void addPage(QWidget *page);
    void insertPage(QWidget *page, QWidget *after);
    void removePage(QWidget *page);
    void showPage(QWidget *page);
    QWidget *currentPage() const;

    void setTabLabel(QWidget *page, const QString &label);
    void setTabIconSet(QWidget *page, const QIcon &icon);
    void setTabEnabled(QWidget *page, bool enabled);
    QString tabLabel(QWidget *page) const;
    QIcon tabIconSet(QWidget *page) const;
    bool isTabEnabled(QWidget *page) const;

    QWidget *firstPage() const;
    QWidget *lastPage() const;
    QWidget *previousPage(QWidget *page) const;
    QWidget *nextPage(QWidget *page) const;
    int count() const { return m_pageToId.size(); }

    // YMTabBar's display options (YMTabBar::TabFlag).
    void setTabFlags(int flags);
    int tabFlags() const;
    // 0 tabs above the pages, 1 below, 2 left, 3 right; clamped to 0..3.
    void setTabPosition(int position);
    int tabPosition() const { return m_position; }
    YMTabBar *tabBar() const { return m_bar; }

signals:
    void currentChanged(QWidget *page);
    void startPageDrag(QWidget *page, QMouseEvent *e);
    void continuePageDrag(QMouseEvent *e);
    void finishPageDrag(QMouseEvent *e);
    void cancelPageDrag(QMouseEvent *e);
    void closePage(QWidget *page);
    void rightButtonPressed(QWidget *page, const QPoint &globalPos);

protected:
    bool eventFilter(QObject *o, QEvent *e) override;
    void paintEvent(QPaintEvent *e) override;

private slots:
    void currentTabChanged(int id);
    void tabDragStart(int id, QMouseEvent *e);
    void tabDragContinue(QMouseEvent *e);
    void tabDragFinish(QMouseEvent *e);
    void tabDragCancel(QMouseEvent *e);
    void tabClose(int id);
    void tabRightButtonPressed(int id, const QPoint &globalPos);

private:
    void setupPage(QWidget *page, int id);
    void updateLayout();
    int idOf(QWidget *page) const { return m_pageToId.value(page, -1); }
    QIcon pageIcon(QWidget *page) const;
    QWidget *pageAtOffset(QWidget *page, int offset) const;

    QList<QWidget *> m_followed;
    QHash<QWidget *, int> m_pageToId;
    QHash<int, QWidget *> m_idToPage;
    WidgetStack *m_stack;
    QGridLayout *m_layout = nullptr;
    YMTabBar *m_bar;
    int m_position = 0;
};

#endif
