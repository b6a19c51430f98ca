#ifndef YMCALENDARVIEW_H
#define YMCALENDARVIEW_H

#include <QDate>
#include <QFrame>

class QPainter;

// The month grid of the calendar: a weekday header and six rows of days.
// A press on a day selects it; every release reports the selected date.
class YMCalendarView : public QFrame
{
    Q_OBJECT
public:
    explicit YMCalendarView(QWidget *parent = nullptr, const char *name = nullptr);
    ~YMCalendarView() override;

    virtual void setDate(const QDate &d);
    QDate date() const { return m_date; }

    // Index in the day grid of day 1 of the month, 2..8: row r, column c
    // holds index (r - 1) * 7 + c + 1.
    int firstCell() const { return m_firstCell; }
    // The day shown in a cell, 0 for the header and cells outside the month.
    int dayAt(int row, int column) const;
    QRect cellRect(int row, int column) const;

    QSize sizeHint() const override;

public slots:
    void weekChanged(bool startsOnMonday);

signals:
    void dateClicked(const QDate &date);

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    virtual void paintCell(QPainter *p, int row, int column, int w, int h);

    int cellHeight(int row) const;
    int cellWidth() const;
    int totalHeight() const { return height(); }

private:
    // The view's font, made smaller until every weekday name fits a cell.
    QFont headerFont(int cellWidth) const;
    int rowAt(int y) const;
    int columnAt(int x) const;

    QDate m_date;
    int m_firstCell = 8;
    int m_days = 31;
    int m_headerHeight = 0;
    int m_columnWidth = 0;
};

#endif
