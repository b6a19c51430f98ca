// The start-up benchmark's yardstick: a bare Qt Widgets program that shows
// an empty window the main window's size, prints "painted" once its first
// paint has reached the screen and quits, as the program does under
// YMR_BENCH_FIRST_PAINT.
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

class FirstPaint : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (e->type() == QEvent::Paint) {
            QTimer::singleShot(0, [] {
                std::fputs("painted\n", stdout);
                std::fflush(stdout);
                QCoreApplication::quit();
            });
            watched->removeEventFilter(this);
        }
        return false;
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget w;
    w.resize(480, 640);
    FirstPaint probe;
    w.installEventFilter(&probe);
    w.show();
    return app.exec();
}
