// ymr-test-screens: 240x320 480x640 640x480
#include "ymrtest.h"

#include "qt/ymrapplication.h"
#include "qt/ymrdialog.h"
#include "qt/ymrokcancelwidget.h"
#include "qt/ymrpushbutton.h"

#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QTimer>
#include <functional>

class TestYMRDialog : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void resultsForKeysAndClicks_data();
    void resultsForKeysAndClicks();
    void buttonPlacement();
    void widthFollowsBoldCaption();
    void longTextWrapsInsideTheScreen();
    void renameHandsBackTheText();
    void scriptedAnswers();
    void okCancelStrip();
    void screenCheckRefusal();
    void boxSpeaksForTheWindowInFront();
};

// Runs f on the message box once it is shown and active.
static void whenShown(std::function<void(YMRDialog *)> f)
{
    QTimer::singleShot(0, [f] {
        auto *d = qobject_cast<YMRDialog *>(QApplication::activeModalWidget());
        QVERIFY(d);
        QVERIFY(QTest::qWaitForWindowActive(d));
        f(d);
        // a failed check must not leave the box waiting
        if (d->isVisible())
            d->reject();
    });
}

static void pressKey(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    whenShown([key, mods](YMRDialog *) {
        QWidget *w = QApplication::focusWidget();
        QVERIFY(w);
        QTest::keyClick(w, key, mods);
    });
}

static void tapButton(int n)
{
    whenShown([n](YMRDialog *d) {
        auto *b = d->findChild<YMRPushButton *>(QStringLiteral("button%1").arg(n));
        QVERIFY(b && b->isVisible());
        QTest::mouseClick(b, Qt::LeftButton);
    });
}

void TestYMRDialog::cleanup()
{
    YMRDialog::stopScript();
}

void TestYMRDialog::resultsForKeysAndClicks_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("expected");

    // confirmDelete: 1 = confirmed, 0 = not
    QTest::newRow("delete enter") << "delete" << "enter" << 0;
    QTest::newRow("delete escape") << "delete" << "escape" << 0;
    QTest::newRow("delete tap ok") << "delete" << "tap1" << 1;
    QTest::newRow("delete tap cancel") << "delete" << "tap2" << 0;
    QTest::newRow("delete device ok") << "delete" << "deviceok" << 0;
    // message2 with default 1 and escape 2
    QTest::newRow("m2 enter") << "m2" << "enter" << 1;
    QTest::newRow("m2 escape") << "m2" << "escape" << 2;
    QTest::newRow("m2 tap 2") << "m2" << "tap2" << 2;
    QTest::newRow("m2 device ok") << "m2" << "deviceok" << 1;
    // message2 with default 2 and no escape button
    QTest::newRow("m2b enter") << "m2b" << "enter" << 2;
    QTest::newRow("m2b escape") << "m2b" << "escape" << 0;
    QTest::newRow("m2b device ok") << "m2b" << "deviceok" << 2;
    // message1 without flags
    QTest::newRow("m1 escape") << "m1" << "escape" << 0;
    QTest::newRow("m1 enter") << "m1" << "enter" << 1;
    QTest::newRow("m1 tap") << "m1" << "tap1" << 1;
    // message3 with default 3 and escape 1
    QTest::newRow("m3 enter") << "m3" << "enter" << 3;
    QTest::newRow("m3 escape") << "m3" << "escape" << 1;
    QTest::newRow("m3 tap 2") << "m3" << "tap2" << 2;
}

void TestYMRDialog::resultsForKeysAndClicks()
{
    QFETCH(QString, form);
    QFETCH(QString, input);
    QFETCH(int, expected);

    if (input == QLatin1String("enter"))
        pressKey(Qt::Key_Return);
    else if (input == QLatin1String("escape"))
        pressKey(Qt::Key_Escape);
    else if (input == QLatin1String("deviceok"))
        pressKey(Qt::Key_Return, Qt::ControlModifier);
    else
        tapButton(input.right(1).toInt());

    const QString caption = QStringLiteral("Caption");
    const QString text = QStringLiteral("Some text");
    int result = -99;
    if (form == QLatin1String("delete")) {
        result = YMRDialog::confirmDelete(text) ? 1 : 0;
    } else if (form == QLatin1String("m1")) {
        result = YMRDialog::message1(caption, text, "dialog_info", QStringLiteral("One"),
                                     "button_ok");
    } else if (form == QLatin1String("m2")) {
        result = YMRDialog::message2(caption, text, "dialog_info", QStringLiteral("One"),
                                     "button_ok", QStringLiteral("Two"), "button_cancel", 1, 2);
    } else if (form == QLatin1String("m2b")) {
        result = YMRDialog::message2(caption, text, "dialog_info", QStringLiteral("One"),
                                     "button_ok", QStringLiteral("Two"), "button_cancel", 2, 0);
    } else if (form == QLatin1String("m3")) {
        result = YMRDialog::message3(caption, text, "dialog_info", QStringLiteral("One"),
                                     "button_ok", QStringLiteral("Two"), nullptr,
                                     QStringLiteral("Three"), nullptr, 3, 1);
    }
    QCOMPARE(result, expected);
}

void TestYMRDialog::buttonPlacement()
{
    YMRDialog one;
    one.setText(QStringLiteral("text"));
    one.setButton1(QStringLiteral("Ok"), "button_ok", 0);
    one.resize(200, 100);
    one.show();
    one.layout()->activate();
    auto *b1 = one.findChild<YMRPushButton *>(QStringLiteral("button1"));
    QVERIFY(qAbs(b1->geometry().center().x() - one.rect().center().x()) <= 1);

    YMRDialog two;
    two.setText(QStringLiteral("text"));
    two.setButton1(QStringLiteral("Yes"), nullptr, 0);
    YMRPushButton *b2 = two.setButton2(QStringLiteral("No"), nullptr, 0);
    two.resize(200, 100);
    two.show();
    two.layout()->activate();
    QCOMPARE(b2->geometry().right(), two.width() - 1 - 3);
    auto *first = two.findChild<YMRPushButton *>(QStringLiteral("button1"));
    QCOMPARE(b2->geometry().left() - first->geometry().right() - 1, 3);
    QVERIFY(!two.findChild<YMRPushButton *>(QStringLiteral("button3"))->isVisible());
}

void TestYMRDialog::widthFollowsBoldCaption()
{
    const int maxWidth = QPEApplication::screenRect().width() - 20;

    // a text wider than its caption: the size hint plus 32
    whenShown([](YMRDialog *d) {
        QCOMPARE(d->width(), d->sizeHint().width() + 32);
        d->accept();
    });
    YMRDialog::information(QStringLiteral("I"),
                           QStringLiteral("Wider than I"));

    // a caption wider than the text: at least the bold caption plus 32
    const QString caption = QStringLiteral("A rather long caption here");
    whenShown([caption, maxWidth](YMRDialog *d) {
        QFont bold = d->font();
        bold.setWeight(75);
        const int captionWidth = QFontMetrics(bold).horizontalAdvance(caption + " ...");
        QCOMPARE(d->width(), qMin(maxWidth, qMax(d->width(), captionWidth + 32)));
        QVERIFY(d->width() > d->sizeHint().width() + 32);
        d->accept();
    });
    YMRDialog::information(caption, QStringLiteral("Hi"));

    // never beyond the screen width less 20
    whenShown([maxWidth](YMRDialog *d) {
        QCOMPARE(d->width(), maxWidth);
        d->accept();
    });
    YMRDialog::information(QString(200, QLatin1Char('W')), QStringLiteral("Hi"));
}

void TestYMRDialog::longTextWrapsInsideTheScreen()
{
    const QString path = QStringLiteral("/home/someone/Documents/Expense Books/Travel/Trip.exp");
    const QString text = QStringLiteral("Expense Book [Trip] already exists on %1.\n"
                                        "Do you want overwrite it?").arg(path);
    const QRect screen = QPEApplication::screenRect();
    whenShown([&](YMRDialog *d) {
        QVERIFY(d->width() <= screen.width() - 20);
        QVERIFY(d->height() <= screen.height());
        QLabel *label = nullptr;
        for (QLabel *l : d->findChildren<QLabel *>()) {
            if (l->text() == text)
                label = l;
        }
        QVERIFY(label);
        // every line whole inside the box
        QVERIFY(label->geometry().right() < d->width());
        QVERIFY(label->heightForWidth(label->width()) <= label->height());
        d->accept();
    });
    YMRDialog::message2(QStringLiteral("Receive Data"), text, "dialog_critical",
                        QStringLiteral("Overwrite"), "button_ok", QStringLiteral("Cancel"),
                        "button_cancel", 2, 0);
}

void TestYMRDialog::renameHandsBackTheText()
{
    whenShown([](YMRDialog *d) {
        auto *line = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(line);
        QCOMPARE(line->selectedText(), QStringLiteral("Old"));
        QTest::keyClicks(line, QStringLiteral("New"));
        QCOMPARE(d->windowTitle(), QStringLiteral("Rename ..."));
        QCOMPARE(d->width(), QPEApplication::screenRect().width() - 20);
        QTest::keyClick(line, Qt::Key_Escape);
    });
    QString name;
    QVERIFY(!YMRDialog::rename(QStringLiteral("Old"), name));
    QCOMPARE(name, QStringLiteral("New"));

    pressKey(Qt::Key_Return);
    QVERIFY(YMRDialog::rename(QStringLiteral("Old"), name, QStringLiteral("Book")));
    QCOMPARE(name, QStringLiteral("Old"));
}

void TestYMRDialog::scriptedAnswers()
{
    YMRDialog::queueAnswer(1);
    YMRDialog::queueAnswer(2);
    YMRDialog::queueAnswer(0);
    YMRDialog::queueAnswer(2, QStringLiteral("Renamed"));
    QCOMPARE(YMRDialog::queuedAnswers(), 4);

    QVERIFY(YMRDialog::confirmDelete(QStringLiteral("Remove it?")));
    QCOMPARE(YMRDialog::message2(QStringLiteral("Export"), QStringLiteral("Replace?"),
                                 "dialog_warning", QStringLiteral("Replace"), "button_ok",
                                 QStringLiteral("Cancel"), "button_cancel", 2, 0),
             2);
    YMRDialog::critical(QStringLiteral("Error"), QStringLiteral("Access denied."));
    QString name;
    QVERIFY(!YMRDialog::rename(QStringLiteral("Old"), name));
    QCOMPARE(name, QStringLiteral("Renamed"));
    QCOMPARE(YMRDialog::queuedAnswers(), 0);

    const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
    QCOMPARE(boxes.size(), 4);
    QCOMPARE(boxes.at(0).caption, QStringLiteral("Delete ..."));
    QCOMPARE(boxes.at(0).text, QStringLiteral("Remove it?"));
    QCOMPARE(boxes.at(0).result, 1);
    QCOMPARE(boxes.at(1).caption, QStringLiteral("Export ..."));
    QCOMPARE(boxes.at(2).text, QStringLiteral("Access denied."));
    QCOMPARE(boxes.at(2).result, 0);
    QCOMPARE(boxes.at(3).result, 2);
    QVERIFY(YMRDialog::takeScriptedBoxes().isEmpty());

    // an unexpected box does not hang a test
    QTest::ignoreMessage(QtWarningMsg, "YMRDialog: no answer queued for \"Unexpected ...\"");
    QCOMPARE(YMRDialog::message2(QStringLiteral("Unexpected"), QString(), nullptr,
                                 QStringLiteral("A"), nullptr, QStringLiteral("B"), nullptr, 1, 2),
             2);
}

void TestYMRDialog::okCancelStrip()
{
    for (int which = 0; which < 2; ++which) {
        QDialog dlg;
        auto *strip = new YMROkCancelWidget(&dlg);
        auto *layout = new QVBoxLayout(&dlg);
        layout->addWidget(strip);
        QCOMPARE(strip->focusProxy(), strip->okButton());
        QVERIFY(strip->okButton()->isDefault());
        QTimer::singleShot(0, [strip, which] {
            QTest::mouseClick(which == 0 ? strip->okButton() : strip->cancelButton(),
                              Qt::LeftButton);
        });
        QCOMPARE(dlg.exec(), which == 0 ? int(QDialog::Accepted) : int(QDialog::Rejected));
    }
}

void TestYMRDialog::screenCheckRefusal()
{
    QTemporaryDir data;
    const QByteArray saved = qgetenv("QPE_DATA_DIR");
    qputenv("QPE_DATA_DIR", data.path().toLocal8Bit());

    // no installed icon: refused with the one box
    YMRDialog::queueAnswer(1);
    QVERIFY(!YMRApplication::checkScreen());
    const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.at(0).caption, QStringLiteral("ymrOutlays ..."));
    QCOMPARE(boxes.at(0).text, QStringLiteral("This software version\ndoes not run on this device."));

    qputenv("QPE_DATA_DIR", saved);
}

void TestYMRDialog::boxSpeaksForTheWindowInFront()
{
    QWidget main;
    ymrApp->showMainDocumentWidget(&main);
    main.move(30, 20);
    // (the screen there, or moved up where it would hang below the desktop)
    QTRY_COMPARE(main.frameGeometry().topLeft(), QPoint(30, 20));
    QDialog front;
    front.setModal(true);
    QWidget *parent = nullptr;
    QPoint centre;
    QTimer::singleShot(0, [&] {
        whenShown([&](YMRDialog *d) {
            parent = d->parentWidget();
            centre = d->geometry().center();
            d->accept();
        });
        YMRDialog::information(QStringLiteral("Caption"), QStringLiteral("A message"));
        front.reject();
    });
    YMRApplication::showMaximized(&front, true);
    front.exec();
    QCOMPARE(parent, &front);
    // in the middle of the screen (give or take the frame)
    QVERIFY((centre - QPEApplication::screenRect().center()).manhattanLength() <= 8);
}

YMR_TEST_MAIN(TestYMRDialog)
#include "tst_ymrdialog.moc"
