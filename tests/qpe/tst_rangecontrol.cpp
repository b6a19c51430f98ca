#include "ymrtest.h"

#include "qpe/qpeapplication.h"
#include "qpe/rangecontrol.h"

#include <climits>

namespace {

class Counting : public RangeControl
{
public:
    using RangeControl::RangeControl;
    int values = 0;
    int ranges = 0;

protected:
    void valueChange() override { ++values; }
    void rangeChange() override { ++ranges; }
};

} // namespace

class TestRangeControl : public QObject
{
    Q_OBJECT
private slots:
    void defaultsAndBounding();
    void notifications();
    void stepsNearTheLimits();
};

void TestRangeControl::defaultsAndBounding()
{
    Counting r;
    QCOMPARE(r.minValue(), 0);
    QCOMPARE(r.maxValue(), 99);
    QCOMPARE(r.lineStep(), 1);
    QCOMPARE(r.pageStep(), 10);
    QCOMPARE(r.value(), 0);
    r.setValue(150);
    QCOMPARE(r.value(), 99);
    r.setValue(-3);
    QCOMPARE(r.value(), 0);
    // a reversed range collapses to its minimum
    r.setRange(20, 10);
    QCOMPARE(r.minValue(), 20);
    QCOMPARE(r.maxValue(), 20);
    QCOMPARE(r.value(), 20);
}

void TestRangeControl::notifications()
{
    Counting r(0, 10, 3, 5, 4);
    r.setValue(4);
    QCOMPARE(r.values, 0);
    r.addLine();
    QCOMPARE(r.value(), 7);
    r.addPage();
    QCOMPARE(r.value(), 10);
    r.addLine(); // already at the maximum: no change, no call
    QCOMPARE(r.values, 2);
    r.setRange(0, 5); // value 10 is bounded to 5
    QCOMPARE(r.ranges, 1);
    QCOMPARE(r.values, 3);
    QCOMPARE(r.value(), 5);
    r.setRange(0, 5);
    QCOMPARE(r.ranges, 1);
    r.subtractPage();
    QCOMPARE(r.value(), 0);
}

void TestRangeControl::stepsNearTheLimits()
{
    Counting r(INT_MIN, INT_MAX, INT_MAX, INT_MAX, INT_MAX - 1);
    r.addLine();
    QCOMPARE(r.value(), INT_MAX);
    r.setValue(INT_MIN + 1);
    r.subtractPage();
    QCOMPARE(r.value(), INT_MIN);
}

QPE_TEST_MAIN(TestRangeControl)
#include "tst_rangecontrol.moc"
