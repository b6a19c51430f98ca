#ifndef PIMLISTVIEW_H
#define PIMLISTVIEW_H

#include "qt/ymrlistview.h"

#include <QList>
#include <QPixmap>
#include <QTimer>
#include <vector>

class Config;
class PIMListViewItem;
class PIMManager;
class PIMRecord;
class PopupMenu;
class QLabel;
class QToolButton;
class YMRSpinBox;

// The base of the record lists: the records of one store, one row each.
// In follow mode the list shows one page of the store's filtered, sorted
// view and follows the store's signals; in hand-picked mode it shows only
// the records its owner hands it. Subclasses add the columns and make the
// items. The column layout lives in the application's settings, group
// "<object name>_columns".
class PIMListView : public YMRListView
{
    Q_OBJECT
public:
    enum { PressEvent = 1001, ReleaseEvent = 1002 };
    enum { HoldTime = 500 };

    explicit PIMListView(QWidget *parent = nullptr, const char *name = nullptr);
    ~PIMListView() override;

    // Binds the list; fills nothing (the owner sets the columns, then init).
    void setManager(PIMManager *manager, bool follow);
    PIMManager *manager() const { return m_manager; }
    bool isFollowing() const { return m_follow; }

    void setPaging(bool on);
    bool paging() const { return m_paging; }

    void restoreColumns();
    void setColumns(const QList<int> &ids);
    QList<int> columnIds() const { return m_columnIds; }
    // header position -> column id (-1 outside) and back (-1 when not shown)
    int columnId(int section) const;
    int columnIndex(int id) const;

    PIMRecord *currentRecord() const;
    PIMListViewItem *findItem(PIMRecord *record) const;
    // The pixmap at that place of the icons list; a null pixmap when out of range.
    QPixmap icon(int index) const;

    int page() const { return m_page; }
    int perPage() const { return m_perPage; }
    int pageCount() const;

    QWidget *pagerBar() const { return m_pagerBar; }
    QLabel *pageLabel() const { return m_pageLabel; }
    QLabel *totalLabel() const { return m_totalLabel; }
    QToolButton *previousButton() const { return m_previousButton; }
    QToolButton *nextButton() const { return m_nextButton; }
    PopupMenu *pagerMenu() const { return m_pagerMenu; }
    YMRSpinBox *pageSpin() const { return m_pageSpin; }
    YMRSpinBox *perPageSpin() const { return m_perPageSpin; }

    // The settings group of the column layout.
    QString columnsGroup() const;
    // The triangle of the pager buttons, pointing up or down.
    static QIcon arrowIcon(int size, bool up);

    bool eventFilter(QObject *o, QEvent *e) override;
    void setFont(const QFont &font) override;

public slots:
    virtual void init();
    virtual void newTask(PIMRecord *record);
    virtual void updateTask(PIMRecord *record);
    virtual void removeTask(PIMRecord *record);
    // Many records changed or removed at once: the page refreshed or made
    // again once, not row by row.
    void updateTasks(const QList<PIMRecord *> &records);
    void removeTasks(const QList<PIMRecord *> &records);
    virtual void taskSelected(PIMRecord *record);
    virtual void sectionClicked(int section);

    void unsetManager();
    void currentTaskChanged();
    void taskClicked();
    void headerSizeChange(int section, int oldSize, int newSize);
    void dateFormatChanged();
    void timeout();
    void pageUp();
    void pageDown();
    void setPage(int page);
    void setPerPage(int perPage);
    void gotoFirstPage();
    void gotoLastPage();
    void showPagerMenu();

signals:
    void selectionCleared();
    void selected(PIMRecord *record);
    void activate(PIMRecord *record);
    void activate(const QPoint &pos, PIMRecord *record, int column);
    void clicked(PIMRecord *record);
    void popup(const QPoint &pos, PIMRecord *record);
    void popup(const QPoint &pos, PIMRecord *record, int column);

protected:
    virtual void dateWidthsChanged(int dateWidth, int timeWidth, int dateTimeWidth);
    virtual void saveColumnWidth(int section, int width);
    virtual void setupColumns(int id, Config *settings);
    virtual PIMListViewItem *createItem(PIMRecord *record);
    virtual PIMListViewItem *createItem(PIMRecord *record, YMRListViewItem *after);

    bool event(QEvent *e) override;

    void appendIcon(const QPixmap &pixmap) { m_icons.push_back(pixmap); }
    // Writes one width into the column layout group.
    void writeColumnWidth(const QString &key, int width) const;
    // The page items' records, top to bottom.
    QList<PIMRecord *> pageRecords() const;

private:
    void createPager();
    void rebuildColumns();
    void readPerPage();
    int pageOf(int position) const;
    void fillPage(PIMRecord *record);
    void showRecordPage(PIMRecord *record);
    // The record's page, or with none the page shown (within the pages there are).
    void refillPage(PIMRecord *record);
    // Whether the rows are the records of the page in the view's order.
    bool pageMatchesView() const;
    void updatePager();
    YMRListViewItem *itemAtRow(int row) const;
    PIMListViewItem *makeItem(PIMRecord *record, YMRListViewItem *after, bool top);
    int gestureColumn() const;

    PIMManager *m_manager = nullptr;
    bool m_follow = false;
    QTimer m_holdTimer;
    std::vector<QPixmap> m_icons;
    QList<int> m_columnIds;
    QWidget *m_pagerBar = nullptr;
    QToolButton *m_previousButton = nullptr;
    QToolButton *m_nextButton = nullptr;
    QLabel *m_pageLabel = nullptr;
    PopupMenu *m_pagerMenu = nullptr;
    QLabel *m_totalLabel = nullptr;
    YMRSpinBox *m_pageSpin = nullptr;
    YMRSpinBox *m_perPageSpin = nullptr;
    int m_perPage = 0;
    int m_page = 1;
    bool m_paging = false;
};

#endif
