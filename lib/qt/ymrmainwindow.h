#ifndef YMRMAINWINDOW_H
#define YMRMAINWINDOW_H

#include <QMainWindow>

class QToolBar;
class YMRAction;

// The frame of an application's main window: caption, the standard actions
// "Velmora" (About), "zoomin", "zoomout" and "exit", the zoom keys and
// table, the rotation hook and the about box (custom event 1000).
class YMRMainWindow : public QMainWindow
{
    Q_OBJECT
public:
    enum { AboutEvent = 1000 };

    explicit YMRMainWindow(QWidget *parent = nullptr, const char *name = nullptr,
                           Qt::WindowFlags flags = Qt::WindowFlags());
    ~YMRMainWindow() override;

    YMRAction *createAction(const char *name, const char *iconName, QObject *receiver,
                            const char *slot, bool toggle, const QString &text);
    // Null when no action of the window has that name.
    YMRAction *action(const char *name);

    // The zoom table's entry for size: the smallest not below it (down
    // false) or the largest not above it (down true), clamped to the
    // table's ends; enables "zoomin" and "zoomout" as the result allows.
    int snapZoomSize(int size, bool down);
    static bool isPortrait();

    QToolBar *createToolBar(Qt::ToolBarArea area, bool newLine, const char *name = nullptr);
    // width 0: a stretch that pushes the following items to the far end.
    void createSpacer(QToolBar *toolBar, int width);

public slots:
    void about();
    // Hooks for the application's window, which knows what a zoom or a turn
    // changes: "zoomin"/"zoomout" and the zoom keys call the first two (the
    // window then sizes with snapZoomSize()), a turn calls rotate(). They
    // do nothing here.
    virtual void zoomin();
    virtual void zoomout();
    virtual void rotate();

protected:
    bool event(QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    bool m_portrait;
};

#endif
