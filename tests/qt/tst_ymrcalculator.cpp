// ymr-test-screens: 240x320 480x640
#include "ymrtest.h"

#include "qpe/qpeapplication.h"
#include "qt/ymrapplication.h"
#include "qt/ymrcalculator.h"
#include "qt/ymrpushbutton.h"

#include <QLabel>
#include <QLineEdit>

class TestYMRCalculator : public QObject
{
    Q_OBJECT
private slots:
    void keySequences_data();
    void keySequences();
    void startValues();
    void acceptWritesTargetOnlyForNumbers();
    void keyboardDrivesTheKeys();
    void formFitsTheScreen();
};

// Taps the keys whose texts are given, separated by blanks.
static void tap(YMRCalculator &calc, const QString &keys)
{
    const QList<YMRPushButton *> buttons = calc.findChildren<YMRPushButton *>();
    for (const QString &k : keys.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        YMRPushButton *hit = nullptr;
        for (YMRPushButton *b : buttons) {
            if (b->text() == k)
                hit = b;
        }
        QVERIFY2(hit, qPrintable(k));
        hit->click();
    }
}

void TestYMRCalculator::keySequences_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("shown");

    QTest::newRow("nothing typed") << "" << "" << "0";
    QTest::newRow("left to right, no precedence") << "" << "2 + 3 X" << "5";
    QTest::newRow("chained result") << "" << "2 + 3 X 4 =" << "20";
    QTest::newRow("chain of four") << "" << "1 0 - 4 / 3 =" << "2";
    QTest::newRow("percent of the operand") << "" << "2 0 0 + 1 0 %" << "220";
    QTest::newRow("percent as a factor") << "" << "2 0 0 X 1 0 %" << "20";
    QTest::newRow("percent without operator") << "" << "5 0 %" << "50";
    QTest::newRow("start value is the operand") << "12.5" << "+ 2 =" << "14.5";
    QTest::newRow("zero on zero") << "" << "0 0" << "0";
    QTest::newRow("digit replaces zero") << "" << "0 5" << "5";
    QTest::newRow("point on empty") << "" << "." << "0.";
    QTest::newRow("second point ignored") << "" << ". 5 ." << "0.5";
    QTest::newRow("C drops the last character") << "" << "1 2 . 5 C" << "12.";
    QTest::newRow("C twice") << "" << "1 2 . 5 C C" << "12";
    QTest::newRow("C leaves a lone sign") << "" << "5 +/- C" << "0";
    QTest::newRow("C on an empty entry") << "7" << "C" << "7";
    QTest::newRow("sign of the entry") << "" << "5 +/- 2" << "-52";
    QTest::newRow("sign of the result") << "" << "2 X 1 0 = +/-" << "-20.000000";
    QTest::newRow("= after an operator drops it") << "" << "5 + = 3 =" << "3";
    QTest::newRow("= twice") << "" << "2 + 3 = =" << "5";
    QTest::newRow("last operator wins") << "" << "9 + - 4 =" << "5";
    QTest::newRow("AC keeps the memory") << "" << "5 M+ AC MR" << "5";
    QTest::newRow("AC clears the operation") << "" << "5 + 3 AC =" << "0";
    QTest::newRow("memory recall") << "" << "7 M+ MR" << "7";
    QTest::newRow("memory sums") << "" << "7 M+ 3 M+ MR" << "10";
    QTest::newRow("memory clear") << "" << "7 M+ MC 3 MR" << "3";
    QTest::newRow("digits after MR append") << "" << "4 M+ MR 5" << "4.0000005";
    QTest::newRow("M+ of a result") << "" << "2 + 3 = M+ AC MR" << "5";
    // the number shown after M+ is what the next key works with
    QTest::newRow("operator after M+") << "" << "7 M+ + 3 =" << "10";
    QTest::newRow("= after M+") << "" << "2 + 7 M+ =" << "9";
    QTest::newRow("sign after M+") << "" << "2 + 3 = 7 M+ +/-" << "-7";
    QTest::newRow("digit after M+ starts anew") << "" << "7 M+ 5" << "5";
    QTest::newRow("point after M+ starts anew") << "" << "7 M+ . 5 + MR =" << "7.5";
    // never an infinite or undefined value
    QTest::newRow("division by zero") << "" << "5 / 0 =" << "Error";
    QTest::newRow("zero by zero") << "" << "0 / 0 =" << "Error";
    QTest::newRow("division by zero by operator") << "" << "5 / 0 +" << "Error";
    QTest::newRow("operands cleared after error") << "" << "5 / 0 = + 1 =" << "1";
    QTest::newRow("fresh start after error") << "" << "5 / 0 = 2 + 3 =" << "5";
    QTest::newRow("overflow") << "1e300" << "X 1 0 0 0 0 0 0 0 0 0 =" << "Error";
    QTest::newRow("percent overflow") << "1e300" << "+ 1 0 0 0 0 0 0 0 0 0 %" << "Error";
    QTest::newRow("memory overflow") << "1.7e308" << "M+ M+" << "Error";
    QTest::newRow("memory kept on overflow") << "9e307" << "M+ M+ MR - MR =" << "0";
}

void TestYMRCalculator::keySequences()
{
    QFETCH(QString, start);
    QFETCH(QString, keys);
    QFETCH(QString, shown);
    YMRCalculator calc(start);
    tap(calc, keys);
    QCOMPARE(calc.result(), shown);
}

void TestYMRCalculator::startValues()
{
    QCOMPARE(YMRCalculator(12.5).result(), QStringLiteral("12.5"));
    QCOMPARE(YMRCalculator(0.0).result(), QStringLiteral("0"));
    QCOMPARE(YMRCalculator(-3L).result(), QStringLiteral("-3"));
    QCOMPARE(YMRCalculator(QStringLiteral("no number")).result(), QStringLiteral("0"));
    QCOMPARE(YMRCalculator(QStringLiteral("inf")).result(), QStringLiteral("0"));
    QCOMPARE(YMRCalculator(qInf()).result(), QStringLiteral("0"));
    QLineEdit edit(QStringLiteral("1,5"));   // a decimal comma
    QCOMPARE(YMRCalculator(&edit).result(), QStringLiteral("1.5"));
    // grouped digits, read as the amount fields read them
    edit.setText(QStringLiteral("1,500.5"));
    QCOMPARE(YMRCalculator(&edit).result(), QStringLiteral("1500.5"));
    edit.setText(QStringLiteral("1.234,56"));
    QCOMPARE(YMRCalculator(&edit).result(), QStringLiteral("1234.56"));
    // a stored amount is a plain decimal number
    QCOMPARE(YMRCalculator(QStringLiteral("1.234")).result(), QStringLiteral("1.234"));
    // three digits after the last mark are a group
    edit.setText(QStringLiteral("40.250"));
    YMRCalculator calc(&edit);
    QCOMPARE(calc.result(), QStringLiteral("40250"));
    QCOMPARE(calc.objectName(), QStringLiteral("YMRCalculatorBase"));
    QCOMPARE(calc.windowTitle(), QStringLiteral("Calculator"));
    QVERIFY(calc.isModal());
}

void TestYMRCalculator::acceptWritesTargetOnlyForNumbers()
{
    QLineEdit edit(QStringLiteral("3"));
    {
        YMRCalculator calc(&edit);
        calc.show();
        tap(calc, QStringLiteral("1 2 ."));
        calc.accept();
        QCOMPARE(calc.QDialog::result(), int(QDialog::Accepted));
        QCOMPARE(edit.text(), QStringLiteral("12."));
    }
    {
        YMRCalculator calc(&edit);
        calc.show();
        tap(calc, QStringLiteral("8 / 0 ="));
        calc.accept();   // refused: the error text is no amount
        QVERIFY(calc.isVisible());
        QCOMPARE(edit.text(), QStringLiteral("12."));
        tap(calc, QStringLiteral("4"));
        calc.accept();
        QVERIFY(!calc.isVisible());
        QCOMPARE(edit.text(), QStringLiteral("4"));
    }
    {
        // typed past what a double holds
        YMRCalculator calc(&edit);
        calc.show();
        tap(calc, QStringLiteral("1") + QStringLiteral(" 0").repeated(400));
        calc.accept();
        QVERIFY(calc.isVisible());
        QCOMPARE(edit.text(), QStringLiteral("4"));
    }
}

void TestYMRCalculator::keyboardDrivesTheKeys()
{
    QLineEdit edit(QStringLiteral("1"));
    YMRCalculator calc(&edit);
    calc.show();
    QTest::keyClicks(&calc, QStringLiteral("12+3*2"));
    QCOMPARE(calc.result(), QStringLiteral("2"));
    auto *times = calc.findChild<YMRPushButton *>(QStringLiteral("b2"));
    QVERIFY(times->isDown());   // the key flashes
    QTRY_VERIFY(!times->isDown());
    QTest::keyClick(&calc, Qt::Key_Return);
    QCOMPARE(calc.result(), QStringLiteral("30"));
    QTest::keyClicks(&calc, QStringLiteral("7.5%"));
    QTest::keyClick(&calc, Qt::Key_Backspace);
    QCOMPARE(calc.result(), QStringLiteral("7."));
    QTest::keyClick(&calc, Qt::Key_A);   // ignored
    QTest::keyClick(&calc, Qt::Key_Enter);
    QCOMPARE(calc.result(), QStringLiteral("7."));
    QTest::keyClicks(&calc, QStringLiteral("-2/4="));
    QCOMPARE(calc.result(), QStringLiteral("1.25"));
    QTest::keyClick(&calc, Qt::Key_Space);
    QVERIFY(!calc.isVisible());
    QCOMPARE(calc.QDialog::result(), int(QDialog::Accepted));
    QCOMPARE(edit.text(), QStringLiteral("1.25"));

    YMRCalculator again(&edit);
    again.show();
    QTest::keyClicks(&again, QStringLiteral("99"));
    QTest::keyClick(&again, Qt::Key_Escape);
    QVERIFY(!again.isVisible());
    QCOMPARE(again.QDialog::result(), int(QDialog::Rejected));
    QCOMPARE(edit.text(), QStringLiteral("1.25"));

    // a decimal comma, typed or in the field it starts from
    edit.setText(QStringLiteral("2,5"));
    YMRCalculator comma(&edit);
    comma.show();
    QCOMPARE(comma.result(), QStringLiteral("2.5"));
    QTest::keyClicks(&comma, QStringLiteral("*0,5="));
    QCOMPARE(comma.result(), QStringLiteral("1.25"));
}

void TestYMRCalculator::formFitsTheScreen()
{
    YMRCalculator calc(1.0);
    calc.show();
    QVERIFY(calc.width() <= QPEApplication::screenRect().width());
    QCOMPARE(calc.minimumSize(), calc.maximumSize());
    auto key = [&](int n) { return calc.findChild<YMRPushButton *>(QStringLiteral("b%1").arg(n)); };
    QVERIFY(!key(12));
    for (int n = 0; n <= 23; ++n) {
        if (n == 12)
            continue;
        QVERIFY(key(n));
        QCOMPARE(key(n)->focusPolicy(), Qt::NoFocus);
    }
    // keys 1 to 17 share one width; "0" spans two columns, "=" two rows
    for (int n = 2; n <= 17; ++n) {
        if (n != 12)
            QCOMPARE(key(n)->width(), key(1)->width());
    }
    QVERIFY(key(0)->width() > 2 * key(1)->width());
    QVERIFY(key(18)->height() >= 2 * key(15)->height());
    auto *display = calc.findChild<QLabel *>(QStringLiteral("d"));
    QVERIFY(display->font().bold());
    QCOMPARE(display->width(), calc.width() - 4);
}

YMR_TEST_MAIN(TestYMRCalculator)
#include "tst_ymrcalculator.moc"
