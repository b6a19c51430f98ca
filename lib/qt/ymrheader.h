#ifndef YMRHEADER_H
#define YMRHEADER_H

#include <QIcon>
#include <QWidget>
#include <memory>

class YMRHeaderPrivate;

// A row of column captions. A section is a logical column, fixed when it is
// added; an index is the place at which a section is shown, from the left.
class YMRHeader : public QWidget
{
    Q_OBJECT
public:
    enum State { Idle, Sliding, Pressed, Moving, Blocked };

    explicit YMRHeader(QWidget *parent = nullptr, const char *name = nullptr);
    YMRHeader(int count, QWidget *parent = nullptr, const char *name = nullptr);
    ~YMRHeader() override;

    int addLabel(const QString &text, int size = -1);
    int addLabel(const QIcon &iconSet, const QString &text, int size = -1);
    void removeLabel(int section);
    virtual void setLabel(int section, const QString &text, int size = -1);
    virtual void setLabel(int section, const QIcon &iconSet, const QString &text, int size = -1);
    QString label(int section) const;
    const QIcon *iconSet(int section) const;

    virtual void setOrientation(Qt::Orientation o);
    Qt::Orientation orientation() const { return m_orient; }

    virtual void setTracking(bool enable);
    bool tracking() const { return m_tracking; }

    virtual void setClickEnabled(bool enable, int section = -1);
    virtual void setResizeEnabled(bool enable, int section = -1);
    virtual void setMovingEnabled(bool enable);
    bool isClickEnabled(int section = -1) const;
    bool isResizeEnabled(int section = -1) const;
    bool isMovingEnabled() const;

    void resizeSection(int section, int size);
    int sectionSize(int section) const;
    int sectionPos(int section) const;
    int sectionAt(int x) const;
    int sectionAtPos(int pos) const;
    int count() const;

    virtual void setCellSize(int section, int size);
    int cellSize(int index) const;
    int cellPos(int index) const;
    int cellHeight(int index) const;
    void setCellHeight(int index, int h);
    int cellAt(int x) const { return sectionAt(x); }

    int offset() const { return m_offset; }

    int mapToSection(int index) const;
    int mapToIndex(int section) const;
    int mapToLogical(int index) const { return mapToSection(index); }
    int mapToActual(int section) const { return mapToIndex(section); }

    void moveSection(int section, int toIndex);
    virtual void moveCell(int fromIndex, int toIndex);

    void setSortIndicator(int section, bool increasing = true);
    int sortIndicatorSection() const;
    bool sortIndicatorIncreasing() const;

    QSize sizeHint() const override;
    QSizePolicy sizePolicy() const { return QWidget::sizePolicy(); }

    State state() const { return m_state; }

public slots:
    // Hides QWidget's: enabling again recomputes the positions first.
    void setUpdatesEnabled(bool enable);
    virtual void setOffset(int x);

signals:
    void clicked(int section);
    void pressed(int section);
    void released(int section);
    void sizeChange(int section, int oldSize, int newSize);
    void indexChange(int section, int fromIndex, int toIndex);
    void sectionClicked(int index);
    void moved(int fromIndex, int toIndex);

protected:
    void paintEvent(QPaintEvent *e) override;
    void showEvent(QShowEvent *e) override;
    void changeEvent(QEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;

    void paintSection(QPainter *p, int index, const QRect &fr);
    void paintSectionLabel(QPainter *p, int index, const QRect &fr);
    QRect sRect(int index) const;

private:
    void init(int n);
    QSize labelExtent(int section) const;   // of the label's text and icon
    void calculatePositions() const;
    int pos(int index) const;   // header coordinate of index, or the end for count
    int pSize(int index) const;
    int pPos(int index) const;
    int coordOf(const QPoint &pt) const;
    bool onGrip(int c, int index) const;
    int gripIndex(int c, int index) const;
    void handleColumnResize(int index, int pos, bool final);
    int findLine(int c) const;
    void markLine(int index);
    void unMarkLine(int index);
    void paintRect(int p, int s);
    void updateMarker(int oldTarget, int newTarget);
    void drawMarker(QPainter *p) const;

    int m_offset = 0;
    int m_handleIdx = 0;
    int m_oldHIdxSize = 0;
    int m_moveToIdx = -1;
    State m_state = Idle;
    int m_clickPos = 0;
    bool m_tracking = false;
    Qt::Orientation m_orient = Qt::Horizontal;
    std::unique_ptr<YMRHeaderPrivate> d;
};

#endif
