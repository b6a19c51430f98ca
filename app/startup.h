#ifndef STARTUP_H
#define STARTUP_H

#include <QObject>

// The program's start: application object, screen check, language, the
// one-time data conversion, copies and moves a kill cut short finished, the
// main window and the event loop.
class Startup : public QObject
{
    Q_OBJECT
public:
    static int run(int &argc, char **argv);

    // LANG stays "ja"; any other value, or none, becomes "en".
    static void fixLanguage();
    // Converts the earlier program's data once; tells the user when that
    // failed (nothing is changed then) or when the book took another name
    // than Book1.exp. False when the session ended while that message
    // showed: the program ends.
    static bool migrate();
    // Files that could not be read and were set aside are named to the
    // user, all of them in one message once the event loop is free and the
    // main window has been shown (windowShown()).
    static void reportSetAsideFiles();
    static void windowShown();

protected:
    // Only with YMR_BENCH_FIRST_PAINT set (start-up benchmark): at the first
    // paint of the list with the open book's expenses in it, prints
    // "painted" and quits as a user would.
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    class ToDoWindow *m_window = nullptr;
};

#endif
