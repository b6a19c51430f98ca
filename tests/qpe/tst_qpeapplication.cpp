// ymr-test-screens: 240x320 480x640 640x480 800x600
#include "ymrtest.h"

#include "qpe/qpeapplication.h"
#include "qpe/qpedialogok.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

class TestQpeApplication : public QObject
{
    Q_OBJECT
private slots:
    void screenSizeParsing();
    void emulatedScreen();
    void rotationSwapsAndResizes();
    void ctrlReturnAcceptsTheModalDialog();
    void dialogOkStrip();
    void dialogOkIsIdempotentAndOnlyForDialogs();
    void escapeRejects();
};

void TestQpeApplication::screenSizeParsing()
{
    QCOMPARE(QPEApplication::parseScreenSize(QStringLiteral("240x320")), QSize(240, 320));
    QCOMPARE(QPEApplication::parseScreenSize(QStringLiteral(" 640X480 ")), QSize(640, 480));
    QVERIFY(!QPEApplication::parseScreenSize(QStringLiteral("native")).isValid());
    for (const char *bad : {"", "640", "x480", "640x", "0x480", "-1x5", "axb", "640x480x2", "99999x1"})
        QCOMPARE(QPEApplication::parseScreenSize(QLatin1String(bad)), QSize(480, 640));
}

void TestQpeApplication::emulatedScreen()
{
    const QString env = QString::fromLocal8Bit(qgetenv("QPE_SCREEN"));
    QVERIFY(QPEApplication::isScreenEmulated());
    QCOMPARE(QPEApplication::screenRect(), QRect(QPoint(0, 0), QPEApplication::parseScreenSize(env)));

    auto *app = qobject_cast<QPEApplication *>(qApp);
    QWidget main;
    app->showMainDocumentWidget(&main, false);
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QCOMPARE(main.size(), QPEApplication::screenRect().size());
    QCOMPARE(QPEApplication::mainDocumentWidget(), &main);

    // a dialog shown maximised takes the main window's place
    QDialog dlg;
    QPEApplication::showWidgetMaximized(&dlg);
    QCOMPARE(dlg.geometry(), main.geometry());
}

void TestQpeApplication::rotationSwapsAndResizes()
{
    const QRect before = QPEApplication::screenRect();
    auto *app = qobject_cast<QPEApplication *>(qApp);
    QWidget main;
    app->showMainDocumentWidget(&main, false);
    QDialog maximised;
    QPEApplication::showWidgetMaximized(&maximised);
    QDialog plain;
    plain.resize(100, 50);
    plain.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));

    QTest::keyClick(&main, Qt::Key_R, Qt::ControlModifier | Qt::AltModifier);
    const QSize turned = before.size().transposed();
    QCOMPARE(QPEApplication::screenRect().size(), turned);
    QCOMPARE(main.size(), turned);
    QCOMPARE(maximised.size(), turned);
    QCOMPARE(plain.size(), QSize(100, 50));

    QTest::keyClick(&maximised, Qt::Key_R, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(QPEApplication::screenRect(), before);
    QCOMPARE(main.size(), before.size());
}

void TestQpeApplication::ctrlReturnAcceptsTheModalDialog()
{
    QDialog dlg;
    auto *edit = new QLineEdit(&dlg);
    dlg.setModal(true);
    QPEApplication::showWidgetMaximized(&dlg);
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QCOMPARE(QApplication::activeModalWidget(), &dlg);
    edit->setFocus();

    // a plain Return stays with the dialog's own widgets
    QTest::keyClick(edit, Qt::Key_Return);
    QVERIFY(dlg.isVisible());
    QTest::keyClick(edit, Qt::Key_Return, Qt::ControlModifier);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Accepted));

    // no modal dialog: the key goes on unchanged
    QWidget w;
    auto *other = new QLineEdit(&w);
    w.show();
    other->setFocus();
    QTest::keyClick(other, Qt::Key_Return, Qt::ControlModifier);
    QVERIFY(w.isVisible());
}

void TestQpeApplication::dialogOkStrip()
{
    QDialog dlg;
    auto *layout = new QVBoxLayout(&dlg);
    auto *label = new QLabel(QStringLiteral("text"), &dlg);
    auto *edit = new QLineEdit(&dlg);
    layout->addWidget(label);
    layout->addWidget(edit);
    QPEApplication::showWidgetMaximized(&dlg);
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));

    QpeDialogOk *strip = QpeDialogOk::find(&dlg);
    QVERIFY(strip);
    QToolButton *ok = strip->okButton();
    QVERIFY(ok->isVisible());
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QCOMPARE(strip->width(), dlg.width());
    // the dialog's own widgets sit below the strip, not under it
    QVERIFY(label->geometry().top() >= strip->geometry().bottom());
    QVERIFY(edit->geometry().top() >= strip->geometry().bottom());
    QVERIFY(dlg.minimumSizeHint().height() >= strip->height() + edit->minimumSizeHint().height());
    // follows the dialog's width
    dlg.resize(dlg.width() - 30, dlg.height());
    QCOMPARE(strip->width(), dlg.width());

    // not the dialog's default button: Return in a field does not accept
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    QVERIFY(dlg.isVisible());

    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
}

void TestQpeApplication::dialogOkIsIdempotentAndOnlyForDialogs()
{
    QDialog dlg;
    auto *layout = new QVBoxLayout(&dlg);
    layout->addWidget(new QLineEdit(&dlg));
    dlg.setContentsMargins(1, 2, 3, 4);
    QPEApplication::showWidgetMaximized(&dlg);
    const QMargins once = dlg.contentsMargins();
    QVERIFY(once.top() > 2);
    QCOMPARE(once.left(), 1);
    QCOMPARE(once.bottom(), 4);
    dlg.hide();
    QPEApplication::showWidgetMaximized(&dlg);
    QPEApplication::showWidgetMaximized(&dlg);
    QCOMPARE(dlg.contentsMargins(), once);
    QCOMPARE(dlg.findChildren<QpeDialogOk *>().size(), 1);

    // a dialog shown by itself through exec(), and plain widgets, get none
    QDialog own;
    QVERIFY(!QpeDialogOk::find(&own));
    QWidget w;
    QPEApplication::showWidgetMaximized(&w);
    QVERIFY(w.findChildren<QpeDialogOk *>().isEmpty());
}

void TestQpeApplication::escapeRejects()
{
    QDialog dlg;
    auto *edit = new QLineEdit(&dlg);
    (new QVBoxLayout(&dlg))->addWidget(edit);
    QPEApplication::showWidgetMaximized(&dlg);
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Escape);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
}

QPE_TEST_MAIN(TestQpeApplication)
#include "tst_qpeapplication.moc"
