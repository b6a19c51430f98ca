#ifndef YMCOLORPANEL_H
#define YMCOLORPANEL_H

#include <QColor>
#include <QWidget>

// A grid of ten by ten cells: "Empty" (the invalid colour) and 99 named
// colours. A tap on a cell emits selected() with its colour; every release
// then emits reject(), so the pop-up holding the panel closes.
class YMColorPanel : public QWidget
{
    Q_OBJECT
public:
    explicit YMColorPanel(QWidget *parent = nullptr, const char *name = nullptr);
    ~YMColorPanel() override;

    QSize sizeHint() const override;

    // Marks the cell of the colour, or none when it is not in the table.
    void setCurrentColor(const QColor &color);
    // The marked cell (1 to 99), -1 or 0 for none.
    int currentCell() const { return m_current; }
    int cellSize() const { return m_cellSize; }

    static int colorCount();
    // Entry 0 to 98 of the table.
    static QColor color(int index);
    // The cell (entry + 1) of the colour, -1 when invalid or not listed.
    static int indexOf(const QColor &color);
    // "Empty", the table's name, or "R:%1 G:%2 B:%3".
    static QString colorName(const QColor &color);
    static QString colorName(int index);

signals:
    void selected(const QColor &color);
    void reject();

protected:
    void mouseReleaseEvent(QMouseEvent *e) override;
    void paintEvent(QPaintEvent *e) override;

private:
    int m_current = 0;
    int m_scale;
    int m_cellSize;
    int m_swatchSpan;
};

#endif
