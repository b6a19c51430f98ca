// ymr-test-screens: 240x320 480x640
#include "ymrstringanswer.h"
#include "ymrtest.h"

#include "qpe/qpeapplication.h"
#include "qt/enterstringdialog.h"
#include "qt/ymrapplication.h"
#include "qt/ymrpushbutton.h"

#include <QLineEdit>

class TestEnterStringDialog : public QObject
{
    Q_OBJECT
private slots:
    void formAndSize();
    void answers_data();
    void answers();
};

void TestEnterStringDialog::formAndSize()
{
    EnterStringDialog dlg(QStringLiteral("New Category"));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("New Category ..."));
    QCOMPARE(dlg.objectName(), QStringLiteral("EnterStringDialogBase"));
    QVERIFY(dlg.isModal());
    QVERIFY(dlg.btnOk->isDefault());
    QVERIFY(!dlg.btnOk->icon().isNull());
    QVERIFY(!dlg.btnCancel->icon().isNull());
    QVERIFY(dlg.findChild<QLineEdit *>(QStringLiteral("fname")));

    // the width is fixed when it runs
    const QRect screen = QPEApplication::screenRect();
    const int width = qMin(screen.width(), screen.height()) - 20;
    int shownWidth = 0;
    bool hintHeight = false;
    ymrtest::whenModalShown([&](QDialog *d) {
        shownWidth = d->width();
        hintHeight = d->height() == d->sizeHint().height();
        // Cancel before Ok, both at the right
        QVERIFY(dlg.btnCancel->geometry().right() < dlg.btnOk->geometry().left());
        QVERIFY(dlg.btnOk->geometry().right() > d->width() - 20);
        d->reject();
    });
    dlg.getText(QString());
    QCOMPARE(shownWidth, width);
    QVERIFY(hintHeight);
    QVERIFY(width == 220 || width == 460);
}

void TestEnterStringDialog::answers_data()
{
    QTest::addColumn<QString>("initial");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("expectNull");
    QTest::addColumn<bool>("rejected");

    QTest::newRow("ok keeps initial") << "Lunch" << QString() << "ok" << "Lunch" << false << false;
    QTest::newRow("typing replaces") << "Lunch" << "Dinner" << "ok" << "Dinner" << false << false;
    QTest::newRow("return accepts") << "" << "Taxi" << "return" << "Taxi" << false << false;
    // Cancel must not hand back the pre-filled text as if it were chosen
    QTest::newRow("cancel gives null") << "Lunch" << "Dinner" << "cancel" << QString() << true << true;
    QTest::newRow("escape gives null") << "Lunch" << QString() << "escape" << QString() << true << true;
    QTest::newRow("empty answer is not null") << "Lunch" << "" << "ok" << "" << false << false;
}

void TestEnterStringDialog::answers()
{
    QFETCH(QString, initial);
    QFETCH(QString, typed);
    QFETCH(QString, how);
    QFETCH(QString, expected);
    QFETCH(bool, expectNull);
    QFETCH(bool, rejected);

    EnterStringDialog dlg(QStringLiteral("New Category"));
    bool checked = false;
    ymrtest::whenModalShown([&](QDialog *) {
        QCOMPARE(dlg.fname->text(), initial);
        QCOMPARE(dlg.fname->selectedText(), initial);
        QCOMPARE(dlg.focusWidget(), dlg.fname);
        checked = true;
        ymrtest::answerStringDialog(dlg, typed, how);
    });
    bool wasRejected = !rejected;
    const QString result = dlg.getText(initial, &wasRejected);
    QVERIFY(checked);
    QCOMPARE(result, expected);
    QCOMPARE(result.isNull(), expectNull);
    QCOMPARE(wasRejected, rejected);

    // the flag is optional
    ymrtest::whenModalShown([](QDialog *d) { d->reject(); });
    QVERIFY(dlg.getText(QStringLiteral("x")).isNull());
}

YMR_TEST_MAIN(TestEnterStringDialog)
#include "tst_enterstringdialog.moc"
