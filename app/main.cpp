#include "qt/ymrapplication.h"
#include "qt/ymabout.h"
#include "qt/ymraction.h"
#include "qt/ymrmainwindow.h"
#include "qpe/popupmenu.h"

#include <QMenuBar>
#include <QToolBar>

#include <cstring>

static const char appVersion[] = "3.0";

int main(int argc, char **argv)
{
    YMRApplication app("ymrOutlays", argc, argv);
    if (!YMRApplication::checkScreen())
        return -1;
    YMAbout::setAppVersion(QString::fromLatin1(appVersion));

    YMRMainWindow window(nullptr, "ymrOutlays");
    static const char *const standard[] = {"Velmora", "zoomin", "zoomout", "exit"};
    auto *menu = new PopupMenu(&window, "main");
    menu->setTitle(window.windowTitle());
    QToolBar *bar = window.createToolBar(Qt::TopToolBarArea, false, "main");
    for (const char *name : standard) {
        if (std::strcmp(name, "exit") == 0) {
            YMRAction::addSeparator(menu);
            window.createSpacer(bar, 0);
        }
        window.action(name)->addTo(menu);
        window.action(name)->addTo(bar);
    }
    window.menuBar()->addMenu(menu);
    app.showMainDocumentWidget(&window);
    return app.exec();
}
