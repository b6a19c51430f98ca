#include "ymrtest.h"

#include "pim/formatnumber.h"
#include "qt/ymrapplication.h"

class TestFormatNumber : public QObject
{
    Q_OBJECT
private slots:
    void codes_data();
    void codes();
};

void TestFormatNumber::codes_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char *name, const char *code, double v, const char *want) {
        QTest::newRow(name) << QString::fromUtf8(code) << v << QString::fromUtf8(want);
    };
    row("empty code", "", 1234.5678, "1234.57");
    row("default", "@#,#", 1234.5678, "EUR1,235");
    row("default negative", "@#,#", -1234.5678, "EUR-1,235");
    row("grouped decimals", "#,#.00", 1234.5, "1,234.50");
    row("suffix currency", "0 @", 1234.5678, "1235 EUR");
    row("negative fixed", "0.00", -5, "-5.00");
    row("zero fill", "000.0", 5.26, "005.3");
    row("hash decimals", "#.##", 5.1, "5.1");
    row("hash decimals all zero", "#.##", 5, "5.");
    row("hash below one", "#.##", 0.5, "0.5");
    row("question", "?.??", 5.1, " 5.1 ");
    row("question negative", "?.??", -5.1, "-5.1 ");
    row("question grouped", "???,???", 1234.4, "    1,234");
    row("question grouped negative", "???,???", -1234.4, "  -1,234");
    row("plus", "+0.0", 5, "+5.0");
    row("plus negative", "+0.0", -5, "-5.0");
    row("minus", "-0.0", 5, "5.0");
    row("minus negative", "-0.0", -5, "-5.0");
    row("point only", "0.", 5, "5.");
    row("no integer pattern", ".00", 0.25, "0.25");
    // a trailing "0" after "#" asks for a digit, it does not group
    row("spreadsheet code", "#,##0.00", 1234.5, "1,234.50");
    row("spreadsheet code small", "#,##0.00", 0.5, "0.50");
    row("spreadsheet code million", "#,##0", 1234567, "1,234,567");
    row("literal only", "abc", 42, "abc42");
    row("negative rounds to zero", "0.00", -0.001, "-0.00");
    row("minus zero", "0.00", -0.0, "0.00");
    row("mark alone", "@", 42, "@42");
    row("zeros grouped", "0,00000", 12, "000,012");
    row("first mark only", "@#,#@", 1234.5678, "EUR1,235@");
    row("sign in suffix", "0.00-", 5, "5.00-");
    row("question minus in prefix", "-?.0", 5, " 5.0");
    row("brackets", "(@#,#.00)", 1234.5, "(EUR1,234.50)");
    row("yen", "#,#@", 1234567, "1,234,567EUR");
}

void TestFormatNumber::codes()
{
    QFETCH(QString, code);
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(formatNumber(value, code, QStringLiteral("EUR")), expected);
}

YMR_TEST_MAIN(TestFormatNumber)
#include "tst_formatnumber.moc"
