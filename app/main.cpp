#include "qt/ymrapplication.h"

#include <QMainWindow>

int main(int argc, char **argv)
{
    YMRApplication app("ymrOutlays", argc, argv);
    if (!YMRApplication::checkScreen())
        return -1;

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("ymrOutlays"));
    app.showMainDocumentWidget(&window);
    return app.exec();
}
