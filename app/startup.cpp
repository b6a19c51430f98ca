#include "startup.h"

#include "datamigration.h"
#include "todowindow.h"

#include "pim/ymrpim.h"
#include "qt/ymabout.h"
#include "qt/ymrapplication.h"
#include "qt/ymrdialog.h"

static const char appVersion[] = "3.0";

int Startup::run(int &argc, char **argv)
{
    YMRApplication app("ymrOutlays", argc, argv);
    if (!YMRApplication::checkScreen())
        return -1;
    YMAbout::setAppVersion(QString::fromLatin1(appVersion));
    fixLanguage();
    migrate();
    ToDoWindow window;
    app.showMainDocumentWidget(&window);
    return app.exec();
}

void Startup::fixLanguage()
{
    if (qgetenv("LANG") != "ja")
        qputenv("LANG", "en");
}

void Startup::migrate()
{
    QString error;
    if (DataMigration::run(&error) == DataMigration::Failed)
        YMRDialog::critical(YMRPIM::applicationName(),
                            tr("The data of the earlier version could not be converted;\n"
                               "nothing was changed.\n%1").arg(error));
}
