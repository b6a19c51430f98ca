#include "ymrtest.h"

#include "qpe/qpeapplication.h"
#include "qpe/unixsignalnotifier.h"

#include <QDialog>
#include <QMenu>

#include <csignal>

// A log-out, kill or Ctrl+C reaches the program as a normal close.
class TestUnixSignalNotifier : public QObject
{
    Q_OBJECT
private slots:
    void signalEndsTheSessionAsACloseDoes_data();
    void signalEndsTheSessionAsACloseDoes();
};

void TestUnixSignalNotifier::signalEndsTheSessionAsACloseDoes_data()
{
    QTest::addColumn<int>("number");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGHUP") << SIGHUP;
    QTest::newRow("SIGINT") << SIGINT;
}

void TestUnixSignalNotifier::signalEndsTheSessionAsACloseDoes()
{
    QFETCH(int, number);
    auto *app = qobject_cast<QPEApplication *>(qApp);
    app->endSessionOnSignals();
    QWidget main;
    app->showMainDocumentWidget(&main, true);

    // the signal comes while a menu is up over a dialog over a dialog
    int outerResult = -1;
    int innerResult = -1;
    bool menuLeftOpen = true;
    QTimer::singleShot(0, &main, [&] {
        QDialog outer(&main);
        QTimer::singleShot(0, &outer, [&] {
            QDialog inner(&outer);
            QMenu menu(&inner);
            menu.addAction(QStringLiteral("item"));
            QTimer::singleShot(0, &inner, [&] {
                menu.popup(QPoint(0, 0));
                ::raise(number);
            });
            innerResult = inner.exec();
            menuLeftOpen = menu.isVisible();
        });
        outerResult = outer.exec();
    });
    // a handler that does not work would leave the loop running
    QTimer giveUp;
    giveUp.setSingleShot(true);
    connect(&giveUp, &QTimer::timeout, qApp, &QCoreApplication::quit);
    giveUp.start(20000);
    QCOMPARE(app->exec(), 0);
    QVERIFY(giveUp.isActive());

    QVERIFY(!menuLeftOpen);
    QCOMPARE(innerResult, int(QDialog::Rejected));
    QCOMPARE(outerResult, int(QDialog::Rejected));
    QVERIFY(!main.isVisible());
    // a second signal of the kind would end the program at once
    struct sigaction now = {};
    QCOMPARE(::sigaction(number, nullptr, &now), 0);
    QVERIFY(now.sa_handler == SIG_DFL);
}

QPE_TEST_MAIN(TestUnixSignalNotifier)
#include "tst_unixsignalnotifier.moc"
