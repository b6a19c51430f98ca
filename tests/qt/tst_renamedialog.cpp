// ymr-test-screens: 240x320 480x640
#include "ymrstringanswer.h"
#include "ymrtest.h"

#include "qpe/qpeapplication.h"
#include "qt/renamedialog.h"
#include "qt/ymrapplication.h"
#include "qt/ymrpushbutton.h"

#include <QLabel>
#include <QLayout>
#include <QLineEdit>

class TestRenameDialog : public QObject
{
    Q_OBJECT
private slots:
    void formAndSize();
    void answers_data();
    void answers();
};

void TestRenameDialog::formAndSize()
{
    RenameDialog dlg;
    QCOMPARE(dlg.objectName(), QStringLiteral("RenameDialogBase"));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Rename"));
    QVERIFY(dlg.isModal());
    QVERIFY(!dlg.icon->pixmap(Qt::ReturnByValue).isNull());
    QVERIFY(!dlg.btnOk->icon().isNull());
    QVERIFY(!dlg.btnCancel->icon().isNull());
    QVERIFY(dlg.btnOk->isDefault());
    QCOMPARE(dlg.btnOk->text(), QStringLiteral("Ok"));
    QCOMPARE(dlg.btnCancel->text(), QStringLiteral("Cancel"));
    // 220 pixels wide on the small screens, 460 on the large
    const QRect screen = QPEApplication::screenRect();
    QCOMPARE(dlg.width(), qMin(screen.width(), screen.height()) - 20);
    QCOMPARE(dlg.height(), dlg.sizeHint().height());
    QVERIFY(dlg.width() == 220 || dlg.width() == 460);
    // Cancel before Ok, both at the right
    dlg.layout()->activate();
    QVERIFY(dlg.btnCancel->geometry().right() < dlg.btnOk->geometry().left());

    RenameDialogBase named(nullptr, "mine");
    QCOMPARE(named.objectName(), QStringLiteral("mine"));
}

void TestRenameDialog::answers_data()
{
    QTest::addColumn<QString>("typed");   // null: nothing typed
    QTest::addColumn<QString>("how");     // "ok", "return", "cancel"
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("expectNull");

    QTest::newRow("ok unchanged") << QString() << "ok" << "Groceries" << false;
    QTest::newRow("typing replaces") << "Food" << "ok" << "Food" << false;
    QTest::newRow("return accepts") << "Food" << "return" << "Food" << false;
    QTest::newRow("cancel gives null") << "Food" << "cancel" << QString() << true;
    QTest::newRow("empty answer is not null") << "" << "ok" << "" << false;
}

void TestRenameDialog::answers()
{
    QFETCH(QString, typed);
    QFETCH(QString, how);
    QFETCH(QString, expected);
    QFETCH(bool, expectNull);

    RenameDialog dlg;
    bool checked = false;
    ymrtest::whenModalShown([&](QDialog *d) {
        QCOMPARE(d, &dlg);
        QCOMPARE(dlg.fname1->text(), QStringLiteral("Groceries"));
        QVERIFY(!dlg.fname1->isEnabled());
        QCOMPARE(dlg.fname->text(), QStringLiteral("Groceries"));
        QCOMPARE(dlg.fname->selectedText(), QStringLiteral("Groceries"));
        QCOMPARE(dlg.focusWidget(), dlg.fname);
        checked = true;
        ymrtest::answerStringDialog(dlg, typed, how);
    });
    const QString result = dlg.getText(QStringLiteral("Groceries"));
    QVERIFY(checked);
    QCOMPARE(result, expected);
    QCOMPARE(result.isNull(), expectNull);
}

YMR_TEST_MAIN(TestRenameDialog)
#include "tst_renamedialog.moc"
