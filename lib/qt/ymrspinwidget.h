#ifndef YMRSPINWIDGET_H
#define YMRSPINWIDGET_H

#include <QPointer>
#include <QRect>
#include <QWidget>

class QTimer;

// A framed strip with up and down arrows at its right edge and room for one
// edit widget. A held arrow steps at once, after 300 ms, then every 100 ms.
class YMRSpinWidget : public QWidget
{
    Q_OBJECT
public:
    explicit YMRSpinWidget(QWidget *parent = nullptr, const char *name = nullptr);
    ~YMRSpinWidget() override;

    void setEditWidget(QWidget *widget);
    QWidget *editWidget() const;

    void setUpEnabled(bool on);
    void setDownEnabled(bool on);
    bool isUpEnabled() const { return m_upEnabled; }
    bool isDownEnabled() const { return m_downEnabled; }

    QRect upRect() const;
    QRect downRect() const;

    void arrange();
    void updateDisplay();
    virtual void updateArrows();

public slots:
    void stepUp();
    void stepDown();

signals:
    void stepUpPressed();
    void stepDownPressed();

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    enum { None = 0, Down = 1, Up = 2 };
    void restartRepeat();
    void arrangeIfResized() const;

    bool m_upEnabled = true;
    bool m_downEnabled = true;
    int m_pressed = None;
    int m_lastPressed = None;
    QRect m_up;
    QRect m_down;
    QSize m_arrangedFor;
    QTimer *m_repeat = nullptr;
    QPointer<QWidget> m_edit;
};

#endif
