#include "ymrmainwindow.h"

#include "ymabout.h"
#include "ymraction.h"
#include "ymrapplication.h"
#include "qpe/qpekeys.h"

#include <QKeyEvent>
#include <QLoggingCategory>
#include <QToolBar>

namespace {

const int ZoomSizes[] = {8, 10, 12, 14, 16, 18, 20, 24, 36};
// the turn notice: QT_LOGGING_RULES="ymr.frame.debug=false" silences it
Q_LOGGING_CATEGORY(frameLog, "ymr.frame")

} // namespace

YMRMainWindow::YMRMainWindow(QWidget *parent, const char *name, Qt::WindowFlags flags)
    : QMainWindow(parent, flags)
{
    setObjectName(QLatin1String(name));
    setWindowTitle(ymrApp ? ymrApp->objectName() : QCoreApplication::applicationName());

    createAction("Velmora", "Velmora", this, SLOT(about()), false,
                 tr("About") + QStringLiteral(" ..."));
    createAction("zoomin", "viewmag+", this, SLOT(zoomin()), false, tr("Zoom In"));
    createAction("zoomout", "viewmag-", this, SLOT(zoomout()), false, tr("Zoom Out"));
    createAction("exit", "exit", qApp, SLOT(quit()), false, tr("Exit"));

    m_portrait = isPortrait();
}

YMRMainWindow::~YMRMainWindow() = default;

YMRAction *YMRMainWindow::createAction(const char *name, const char *iconName,
                                       QObject *receiver, const char *slot, bool toggle,
                                       const QString &text)
{
    return YMRAction::createAction(this, name, iconName, receiver, slot, toggle, text);
}

YMRAction *YMRMainWindow::action(const char *name)
{
    return qobject_cast<YMRAction *>(YMRAction::findAction(this, name));
}

int YMRMainWindow::snapZoomSize(int size, bool down)
{
    const int first = ZoomSizes[0];
    const int last = ZoomSizes[sizeof(ZoomSizes) / sizeof(ZoomSizes[0]) - 1];
    int result = first;
    if (!down && size > last) {
        // the largest size stays the largest: zooming in never wraps round
        result = last;
    } else {
        for (int e : ZoomSizes) {
            if (e == size) {
                result = size;
                break;
            }
            if (!down && e > size) {
                result = e;
                break;
            }
            if (down && e < size)
                result = e;
        }
    }
    if (YMRAction *a = action("zoomin"))
        a->setEnabled(result != last);
    if (YMRAction *a = action("zoomout"))
        a->setEnabled(result != first);
    return result;
}

bool YMRMainWindow::isPortrait()
{
    const QRect r = QPEApplication::screenRect();
    return r.width() <= r.height();
}

QToolBar *YMRMainWindow::createToolBar(Qt::ToolBarArea area, bool newLine, const char *name)
{
    if (newLine)
        addToolBarBreak(area);
    auto *bar = new QToolBar(this);
    bar->setObjectName(QLatin1String(name));
    bar->setMovable(false);
    addToolBar(area, bar);
    return bar;
}

void YMRMainWindow::createSpacer(QToolBar *toolBar, int width)
{
    if (!toolBar)
        return;
    auto *spacer = new QWidget(toolBar);
    spacer->setBackgroundRole(QPalette::Button);
    spacer->setAutoFillBackground(true);
    if (width != 0)
        spacer->setFixedWidth(width);
    else
        spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolBar->addWidget(spacer);
}

void YMRMainWindow::about()
{
    // opened from the event loop, after the menu that chose About closed
    QCoreApplication::postEvent(this, new QEvent(QEvent::Type(AboutEvent)));
}

// The frame offers the zoom actions, keys and table; what a zoom changes
// (fonts of its lists and forms) only the application's window knows, so
// these three are for it to override.
void YMRMainWindow::zoomin()
{
}

void YMRMainWindow::zoomout()
{
}

void YMRMainWindow::rotate()
{
}

bool YMRMainWindow::event(QEvent *e)
{
    if (e->type() == QEvent::Type(AboutEvent)) {
        YMAbout box;
        return true;
    }
    if (e->type() == QEvent::ChildPolished) {
        // the window's tool bars stay where they were put
        if (auto *bar = qobject_cast<QToolBar *>(static_cast<QChildEvent *>(e)->child()))
            bar->setMovable(false);
    }
    return QMainWindow::event(e);
}

void YMRMainWindow::keyPressEvent(QKeyEvent *e)
{
    QWidget::keyPressEvent(e);
    const int key = QpeKeys::key(e);
    if (key == QpeKeys::Key_ZoomIn) {
        e->accept();
        zoomin();
    } else if (key == QpeKeys::Key_ZoomOut) {
        e->accept();
        zoomout();
    }
}

void YMRMainWindow::resizeEvent(QResizeEvent *e)
{
    QMainWindow::resizeEvent(e);
    const bool portrait = width() <= height();
    if (portrait == m_portrait)
        return;
    m_portrait = portrait;
    rotate();
    qCDebug(frameLog, "Rotate, now %s", portrait ? "Vertical" : "Horizontal");
}
