#ifndef STARTUP_H
#define STARTUP_H

#include <QObject>

// The program's start: application object, screen check, language, the
// one-time data conversion, the main window and the event loop.
class Startup : public QObject
{
    Q_OBJECT
public:
    static int run(int &argc, char **argv);

    // LANG stays "ja"; any other value, or none, becomes "en".
    static void fixLanguage();
    // Converts the earlier program's data once; tells the user when that
    // failed (nothing is changed then).
    static void migrate();
};

#endif
