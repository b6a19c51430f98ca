#include "ymrtest.h"

#include "qt/ymrapplication.h"
#include "qt/ymrspinbox.h"
#include "qt/ymrspinwidget.h"

#include <QElapsedTimer>

#include <QLineEdit>
#include <QProxyStyle>
#include <QSignalSpy>
#include <QStyleFactory>
#include <QStyleOption>

class TestYMRSpinBox : public QObject
{
    Q_OBJECT
private slots:
    void constructionAndDisplay();
    void wrappingAtBothEnds();
    void limitsDisableArrows();
    void prefixSuffixParsing();
    void keysInTheField();
    void arrowGeometry();
    void arrowPressSteps();
    void autoRepeatTiming();
    void xpStyleDrawsArrowStates();
};

// An "xp" style that notes what the spin widget asks it to draw.
class XpRecorder : public QProxyStyle
{
public:
    XpRecorder() : QProxyStyle(QStyleFactory::create("fusion")) { setObjectName("xp"); }
    struct Call
    {
        PrimitiveElement pe;
        QRect rect;
        State state;
    };
    mutable QVector<Call> calls;
    void drawPrimitive(PrimitiveElement pe, const QStyleOption *o, QPainter *p,
                       const QWidget *w) const override
    {
        if (depth == 0)
            calls.append({ pe, o->rect, o->state });
        ++depth;
        QProxyStyle::drawPrimitive(pe, o, p, w);
        --depth;
    }

private:
    mutable int depth = 0;
};

void TestYMRSpinBox::constructionAndDisplay()
{
    YMRSpinBox plain;
    QCOMPARE(plain.minValue(), 0);
    QCOMPARE(plain.maxValue(), 99);
    QCOMPARE(plain.value(), 0);
    QCOMPARE(plain.text(), QString("0"));
    QVERIFY(plain.editor()->alignment() & Qt::AlignRight);
    QVERIFY(!plain.editor()->hasFrame());

    YMRSpinBox box(-5, 5, 2);
    QCOMPARE(box.value(), -5);
    QCOMPARE(box.lineStep(), 2);
    QSignalSpy ints(&box, qOverload<int>(&YMRSpinBox::valueChanged));
    QSignalSpy texts(&box, qOverload<const QString &>(&YMRSpinBox::valueChanged));
    box.setValue(-1);
    QCOMPARE(box.text(), QString("-1"));
    QCOMPARE(ints.count(), 1);
    QCOMPARE(ints.at(0).at(0).toInt(), -1);
    QCOMPARE(texts.at(0).at(0).toString(), QString("-1"));
    box.setValue(-1);
    QCOMPARE(ints.count(), 1);
    box.setValue(100);
    QCOMPARE(box.value(), 5);
    box.setMaxValue(3);
    QCOMPARE(box.value(), 3);
    QCOMPARE(box.text(), QString("3"));
    box.setMinValue(4); // reversed range collapses
    QCOMPARE(box.value(), 4);
}

void TestYMRSpinBox::wrappingAtBothEnds()
{
    YMRSpinBox months(1, 12, 1);
    months.setValue(12);
    months.setWrapping(true);
    months.stepUp();
    QCOMPARE(months.value(), 1);
    months.stepDown();
    QCOMPARE(months.value(), 12);

    // an overshooting step goes to the other end, not the remainder
    YMRSpinBox box(0, 10, 3);
    box.setWrapping(true);
    box.setValue(9);
    box.stepUp();
    QCOMPARE(box.value(), 0);
    box.setValue(1);
    box.stepDown();
    QCOMPARE(box.value(), 10);
    box.setWrapping(false);
    box.setValue(9);
    box.stepUp();
    QCOMPARE(box.value(), 10);
    box.setValue(1);
    box.stepDown();
    QCOMPARE(box.value(), 0);

    // no overflow near the int limit
    YMRSpinBox big(0, INT_MAX, 10);
    big.setWrapping(true);
    big.setValue(INT_MAX - 5);
    big.stepUp();
    QCOMPARE(big.value(), 0);
    YMRSpinBox low(INT_MIN, INT_MIN + 5, 10);
    low.setWrapping(true);
    low.setValue(INT_MIN + 3);
    low.stepUp();
    QCOMPARE(low.value(), INT_MIN);
    low.stepDown();
    QCOMPARE(low.value(), INT_MIN + 5);
}

void TestYMRSpinBox::limitsDisableArrows()
{
    YMRSpinBox box(1, 12, 1);
    box.resize(100, 24);
    auto *spin = box.findChild<YMRSpinWidget *>();
    QVERIFY(spin);
    box.setValue(12);
    QVERIFY(!spin->isUpEnabled());
    QVERIFY(spin->isDownEnabled());
    // a press on a disabled arrow does nothing
    QTest::mousePress(spin, Qt::LeftButton, Qt::NoModifier, spin->upRect().center());
    QTest::mouseRelease(spin, Qt::LeftButton, Qt::NoModifier, spin->upRect().center());
    QCOMPARE(box.value(), 12);
    box.setWrapping(true);
    QVERIFY(spin->isUpEnabled());
    box.setValue(1);
    box.setWrapping(false);
    QVERIFY(!spin->isDownEnabled());
    box.setEnabled(false);
    QVERIFY(!spin->isUpEnabled());
    QVERIFY(!box.editor()->isEnabled());
    box.setEnabled(true);
    QVERIFY(spin->isUpEnabled());
}

void TestYMRSpinBox::prefixSuffixParsing()
{
    YMRSpinBox box(0, 100, 1);
    box.setPrefix("$ ");
    box.setValue(5);
    QCOMPARE(box.text(), QString("$ 5"));
    box.editor()->setText("$ 7");
    QCOMPARE(box.cleanText(), QString("7"));
    QCOMPARE(box.value(), 7);
    QCOMPARE(box.text(), QString("$ 7"));

    // junk restores the current value's text
    box.editor()->setText("abc");
    QCOMPARE(box.value(), 7);
    QCOMPARE(box.text(), QString("$ 7"));

    YMRSpinBox kg(0, 100, 1);
    kg.setSuffix("kg");
    kg.editor()->setText("12");
    QCOMPARE(kg.value(), 12);
    QCOMPARE(kg.text(), QString("12kg"));
    kg.editor()->setText("  13 kg ");
    QCOMPARE(kg.value(), 13);

    // an edited text is interpreted before stepping
    kg.editor()->setText("40");
    kg.stepUp();
    QCOMPARE(kg.value(), 41);
}

void TestYMRSpinBox::keysInTheField()
{
    QWidget top;
    auto *box = new YMRSpinBox(0, 100, 1, &top);
    auto *next = new QLineEdit(&top);
    box->move(0, 0);
    next->move(0, 40);
    top.show();
    QVERIFY(QTest::qWaitForWindowExposed(&top));
    box->setFocus();
    QApplication::setActiveWindow(&top);
    QTRY_VERIFY(box->editor()->hasFocus());

    QTest::keyClick(box->editor(), Qt::Key_Up);
    QCOMPARE(box->value(), 1);
    QTest::keyClick(box->editor(), Qt::Key_Down);
    QCOMPARE(box->value(), 0);

    QSignalSpy ret(box, &YMRSpinBox::returnPressed);
    QSignalSpy edited(box->editor(), &QLineEdit::returnPressed);
    box->editor()->setText("42");
    QTest::keyClick(box->editor(), Qt::Key_Return);
    QCOMPARE(ret.count(), 1);
    QCOMPARE(edited.count(), 1); // the line edit still got the key
    QCOMPARE(box->value(), 42);

    box->editor()->setText("17");
    QTest::keyClick(box->editor(), Qt::Key_Tab);
    QCOMPARE(box->value(), 17);
    QTRY_VERIFY(next->hasFocus());
}

void TestYMRSpinBox::arrowGeometry()
{
    YMRSpinWidget w;
    QLineEdit *ed = new QLineEdit;
    w.setEditWidget(ed);
    QCOMPARE(w.editWidget(), ed);
    w.resize(100, 24);
    QCOMPARE(w.upRect(), QRect(QPoint(82, 1), QPoint(98, 11)));
    QCOMPARE(w.downRect(), QRect(QPoint(82, 12), QPoint(98, 22)));
    QCOMPARE(ed->geometry(), QRect(1, 1, 81, 22));
    // a low widget still has 8-pixel-high arrows, 12 wide
    w.resize(60, 14);
    QCOMPARE(w.upRect().height(), 8);
    QCOMPARE(w.upRect().width(), 12);
}

void TestYMRSpinBox::arrowPressSteps()
{
    YMRSpinBox box(0, 10, 1);
    box.resize(100, 24);
    auto *spin = box.findChild<YMRSpinWidget *>();
    QTest::mousePress(spin, Qt::LeftButton, Qt::NoModifier, spin->upRect().center());
    QCOMPARE(box.value(), 1);
    QTest::mouseRelease(spin, Qt::LeftButton, Qt::NoModifier, spin->upRect().center());
    QTest::mousePress(spin, Qt::LeftButton, Qt::NoModifier, spin->downRect().center());
    QCOMPARE(box.value(), 0);
    QTest::mouseRelease(spin, Qt::LeftButton, Qt::NoModifier, spin->downRect().center());
    // other buttons are ignored
    QTest::mousePress(spin, Qt::RightButton, Qt::NoModifier, spin->upRect().center());
    QCOMPARE(box.value(), 0);
    QTest::mouseRelease(spin, Qt::RightButton, Qt::NoModifier, spin->upRect().center());
}

void TestYMRSpinBox::autoRepeatTiming()
{
    YMRSpinWidget w;
    w.resize(100, 24);
    QElapsedTimer clock;
    QVector<qint64> times;
    connect(&w, &YMRSpinWidget::stepUpPressed, [&] { times.append(clock.elapsed()); });
    clock.start();
    // at once, after 300 ms, then every 100 ms
    QTest::mousePress(&w, Qt::LeftButton, Qt::NoModifier, w.upRect().center());
    QCOMPARE(times.size(), 1);
    QPointer<QTimer> repeat = w.findChild<QTimer *>();
    QVERIFY(repeat && repeat->isActive());
    QCOMPARE(repeat->interval(), 300);
    QTRY_VERIFY_WITH_TIMEOUT(times.size() >= 2, 30000);
    QCOMPARE(repeat->interval(), 100);
    QTRY_VERIFY2_WITH_TIMEOUT(times.size() >= 6, qPrintable(QString::number(times.size())), 30000);
    QVERIFY(repeat->isActive());
    QCOMPARE(repeat->interval(), 100);
    QTest::mouseRelease(&w, Qt::LeftButton, Qt::NoModifier, w.upRect().center());
    QVERIFY(!repeat || !repeat->isActive()); // release stops the repeat
    const int after = times.size();
    ymrtest::flushEvents();
    QCOMPARE(times.size(), after);
    // a loaded machine makes the steps late, never early (a coarse timer
    // may come 5% before its time)
    QVERIFY2(times[1] - times[0] >= 270, qPrintable(QString::number(times[1] - times[0])));
    for (int i = 2; i < 6; ++i)
        QVERIFY2(times[i] - times[i - 1] >= 90, qPrintable(QString::number(times[i] - times[i - 1])));
}

void TestYMRSpinBox::xpStyleDrawsArrowStates()
{
    XpRecorder xp;
    YMRSpinWidget w;
    w.setStyle(&xp);
    w.resize(100, 24);
    w.setDownEnabled(false); // at a limit
    QTest::mousePress(&w, Qt::LeftButton, Qt::NoModifier, w.upRect().center());
    xp.calls.clear();
    w.grab();
    // the frame, then the pressed up arrow, then the disabled down arrow
    QCOMPARE(xp.calls.size(), 3);
    QCOMPARE(xp.calls[0].rect, w.rect());
    QVERIFY(!(xp.calls[0].state & QStyle::State_Enabled));
    QCOMPARE(xp.calls[1].pe, QStyle::PE_IndicatorArrowUp);
    QCOMPARE(xp.calls[1].rect, w.upRect());
    QVERIFY(xp.calls[1].state & QStyle::State_Enabled);
    QVERIFY(xp.calls[1].state & QStyle::State_Sunken);
    QCOMPARE(xp.calls[2].pe, QStyle::PE_IndicatorArrowDown);
    QCOMPARE(xp.calls[2].rect, w.downRect());
    QVERIFY(!(xp.calls[2].state & QStyle::State_Enabled));
    QTest::mouseRelease(&w, Qt::LeftButton, Qt::NoModifier, w.upRect().center());
    // a disabled widget draws both arrows disabled and none pressed
    w.setEnabled(false);
    w.updateDisplay();
    QTest::mousePress(&w, Qt::LeftButton, Qt::NoModifier, w.upRect().center());
    xp.calls.clear();
    w.grab();
    QCOMPARE(xp.calls.size(), 3);
    for (int i = 1; i < 3; ++i) {
        QVERIFY(!(xp.calls[i].state & QStyle::State_Enabled));
        QVERIFY(!(xp.calls[i].state & QStyle::State_Sunken));
    }
}

YMR_TEST_MAIN(TestYMRSpinBox)
#include "tst_ymrspinbox.moc"
