#include "ymrtest.h"

#include "qt/ymrapplication.h"
#include "qt/ymrheader.h"

#include <QSignalSpy>

namespace {

// Drags need the held button in the move events, which QTest's mouseMove
// does not send: build the events by hand.
void press(QWidget *w, int x, Qt::MouseButton b = Qt::LeftButton)
{
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(x, 5), b, b, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void move(QWidget *w, int x, Qt::MouseButtons held = Qt::LeftButton)
{
    QMouseEvent e(QEvent::MouseMove, QPointF(x, 5), Qt::NoButton, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void release(QWidget *w, int x, Qt::MouseButton b = Qt::LeftButton)
{
    QMouseEvent e(QEvent::MouseButtonRelease, QPointF(x, 5), b, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Records every header signal in order, as "name(args)".
class Recorder : public QObject
{
public:
    explicit Recorder(YMRHeader *h)
    {
        connect(h, &YMRHeader::pressed, this, [this](int s) { log << QString("pressed(%1)").arg(s); });
        connect(h, &YMRHeader::released, this, [this](int s) { log << QString("released(%1)").arg(s); });
        connect(h, &YMRHeader::clicked, this, [this](int s) { log << QString("clicked(%1)").arg(s); });
        connect(h, &YMRHeader::sectionClicked, this,
                [this](int i) { log << QString("sectionClicked(%1)").arg(i); });
        connect(h, &YMRHeader::sizeChange, this, [this](int s, int o, int n) {
            log << QString("sizeChange(%1,%2,%3)").arg(s).arg(o).arg(n);
        });
        connect(h, &YMRHeader::moved, this,
                [this](int f, int t) { log << QString("moved(%1,%2)").arg(f).arg(t); });
        connect(h, &YMRHeader::indexChange, this, [this](int s, int f, int t) {
            log << QString("indexChange(%1,%2,%3)").arg(s).arg(f).arg(t);
        });
    }
    QStringList log;
};

} // namespace

class TestYMRHeader : public QObject
{
    Q_OBJECT
private slots:
    void sectionsAndLabels();
    void positionsAndHitTesting();
    void removeKeepsOrder();
    void clickSignalsInOrder();
    void dragMovesSection();
    void resizeWithAndWithoutTracking();
    void resizeReleasedAtTheLimit();
    void disabledSectionsBlockThePress();
    void narrowFirstSectionGrip();
};

void TestYMRHeader::sectionsAndLabels()
{
    YMRHeader h3(3, nullptr, "h3");
    QCOMPARE(h3.count(), 3);
    for (int s = 0; s < 3; ++s) {
        QCOMPARE(h3.sectionSize(s), 88);
        QCOMPARE(h3.sectionPos(s), 88 * s);
        QVERIFY(h3.label(s).isNull());
    }
    QCOMPARE(h3.cellPos(3), 264);
    QCOMPARE(h3.sizeHint(), QSize(264, h3.fontMetrics().lineSpacing() + 6));

    YMRHeader h;
    const QFontMetrics fm = h.fontMetrics();
    QCOMPARE(h.addLabel(QString()), 0);
    QCOMPARE(h.sectionSize(0), 8);
    QCOMPARE(h.addLabel("Amount"), 1);
    QCOMPARE(h.sectionSize(1), fm.horizontalAdvance("Amount") + 12);
    QCOMPARE(h.addLabel("Fixed", 50), 2);
    QCOMPARE(h.sectionSize(2), 50);
    QCOMPARE(h.sectionPos(2), 8 + fm.horizontalAdvance("Amount") + 12);
    QCOMPARE(h.label(1), QString("Amount"));
    QVERIFY(h.label(7).isNull());
    QVERIFY(!h.iconSet(1));

    QPixmap pm(16, 12);
    pm.fill(Qt::red);
    QCOMPARE(h.addLabel(QIcon(pm), "I"), 3);
    QVERIFY(h.iconSet(3));
    QCOMPARE(h.sectionSize(3), fm.horizontalAdvance("I") + 16 + 2 + 12);

    h.setLabel(1, "Sum", 70);
    QCOMPARE(h.label(1), QString("Sum"));
    QCOMPARE(h.sectionSize(1), 70);
    QCOMPARE(h.sectionPos(2), 78);
    h.setLabel(9, "nothing");   // out of range: ignored
    QCOMPARE(h.count(), 4);

    QVERIFY(h.isClickEnabled());
    h.setClickEnabled(false, 2);
    QVERIFY(!h.isClickEnabled(2));
    QVERIFY(!h.isClickEnabled());
    h.setClickEnabled(true);
    QVERIFY(h.isClickEnabled());

    // the height follows a font grown and shrunk again (zoom in and out)
    const QFont normal = h.font();
    QFont zoomed = normal;
    zoomed.setPointSize(normal.pointSize() * 3);
    for (const QFont &f : {zoomed, normal}) {
        h.setFont(f);
        QCOMPARE(h.sizeHint().height(), QFontMetrics(f).lineSpacing() + 6);
        QCOMPARE(h.cellHeight(1), QFontMetrics(f).lineSpacing() + 6);
    }
}

void TestYMRHeader::positionsAndHitTesting()
{
    YMRHeader h(3);
    h.resize(300, 20);
    QCOMPARE(h.sectionAt(0), 0);
    QCOMPARE(h.sectionAt(87), 0);
    QCOMPARE(h.sectionAt(88), 1);      // a boundary belongs to the later index
    QCOMPARE(h.sectionAt(264), 2);     // the very end of the last section
    QCOMPARE(h.sectionAt(265), -1);
    QCOMPARE(h.sectionAtPos(-1), -1);

    h.setOffset(50);
    QCOMPARE(h.offset(), 50);
    QCOMPARE(h.sectionAt(40), 1);
    h.setOffset(0);

    // A size stored while updates are off must not leave stale positions
    // behind for hit testing.
    h.setUpdatesEnabled(false);
    h.setCellSize(0, 20);
    QCOMPARE(h.sectionAtPos(30), 1);
    QCOMPARE(h.sectionPos(1), 20);
    h.setUpdatesEnabled(true);

    h.moveSection(2, 0);
    QCOMPARE(h.mapToSection(0), 2);
    QCOMPARE(h.mapToIndex(2), 0);
    QCOMPARE(h.mapToActual(0), 1);
    QCOMPARE(h.mapToLogical(1), 0);
    QCOMPARE(h.sectionPos(2), 0);
    QCOMPARE(h.sectionPos(0), 88);
    QCOMPARE(h.mapToSection(h.sectionAt(10)), 2);
    QCOMPARE(h.mapToSection(5), -1);
    QCOMPARE(h.mapToIndex(-1), -1);
}

void TestYMRHeader::removeKeepsOrder()
{
    YMRHeader h;
    h.addLabel("a", 10);
    h.addLabel("b", 20);
    h.addLabel("c", 30);
    h.addLabel("d", 40);
    h.moveSection(3, 0);   // shown: d a b c
    h.removeLabel(1);      // shown: d a c, renumbered: a=0 c=1 d=2
    QCOMPARE(h.count(), 3);
    QCOMPARE(h.label(0), QString("a"));
    QCOMPARE(h.label(1), QString("c"));
    QCOMPARE(h.label(2), QString("d"));
    QCOMPARE(h.sectionSize(1), 30);
    QCOMPARE(h.mapToSection(0), 2);
    QCOMPARE(h.mapToSection(1), 0);
    QCOMPARE(h.mapToSection(2), 1);
    QCOMPARE(h.sectionPos(1), 50);
    h.removeLabel(5);
    QCOMPARE(h.count(), 3);
}

void TestYMRHeader::clickSignalsInOrder()
{
    YMRHeader h(3);
    h.resize(300, 20);
    h.show();
    Recorder rec(&h);

    press(&h, 100);
    move(&h, 104);   // within 4 pixels: still a click
    release(&h, 104);
    QCOMPARE(rec.log, QStringList({ "pressed(1)", "released(1)", "sectionClicked(1)", "clicked(1)" }));
    QCOMPARE(h.state(), YMRHeader::Idle);

    // after a move, index and section differ
    h.moveSection(2, 0);
    rec.log.clear();
    press(&h, 20);
    release(&h, 20);
    QCOMPARE(rec.log, QStringList({ "pressed(2)", "released(2)", "sectionClicked(0)", "clicked(2)" }));

    // a press within 4 pixels of the first section's left edge is a label press
    rec.log.clear();
    press(&h, 2);
    release(&h, 2);
    QCOMPARE(rec.log.value(0), QString("pressed(2)"));

    // a release outside the pressed section is no click
    rec.log.clear();
    h.setMovingEnabled(false);
    press(&h, 20);
    move(&h, 200);
    release(&h, 200);
    QCOMPARE(rec.log, QStringList({ "pressed(2)", "released(2)" }));
}

void TestYMRHeader::dragMovesSection()
{
    YMRHeader h(3);
    h.resize(300, 20);
    h.show();
    Recorder rec(&h);

    press(&h, 40);
    move(&h, 60);
    QCOMPARE(h.state(), YMRHeader::Moving);
    move(&h, 150);
    move(&h, 262);
    release(&h, 262);
    QCOMPARE(rec.log, QStringList({ "pressed(0)", "moved(0,3)", "indexChange(0,0,3)", "released(0)" }));
    QCOMPARE(h.mapToIndex(0), 2);
    QCOMPARE(h.mapToSection(0), 1);
    QCOMPARE(h.sectionPos(0), 176);

    // dropped back on itself: a click, no move
    rec.log.clear();
    press(&h, 200);
    move(&h, 210);
    release(&h, 210);
    QCOMPARE(rec.log, QStringList({ "pressed(0)", "released(0)", "sectionClicked(2)", "clicked(0)" }));
    QCOMPARE(h.mapToIndex(0), 2);
}

void TestYMRHeader::resizeWithAndWithoutTracking()
{
    YMRHeader h(3);
    h.resize(300, 20);
    h.show();
    Recorder rec(&h);

    // tracking off: one report on release, from the size at the start
    h.setTracking(false);
    press(&h, 87);   // right grip of section 0
    QCOMPARE(h.state(), YMRHeader::Sliding);
    move(&h, 100);
    move(&h, 120);
    QCOMPARE(h.sectionSize(0), 120);
    QVERIFY(rec.log.isEmpty());
    release(&h, 110);
    QCOMPARE(rec.log, QStringList({ "sizeChange(0,88,110)" }));
    QCOMPARE(h.sectionPos(1), 110);

    // tracking on: every move that changes the size
    rec.log.clear();
    h.setTracking(true);
    press(&h, 108);
    move(&h, 100);
    move(&h, 100);
    move(&h, 90);
    release(&h, 90);
    QCOMPARE(rec.log, QStringList({ "sizeChange(0,110,100)", "sizeChange(0,100,90)" }));

    // never below 8 pixels; the grip left of section 1 belongs to section 0
    rec.log.clear();
    h.setTracking(false);
    press(&h, 91);
    move(&h, -40);
    QCOMPARE(h.sectionSize(0), 8);
    release(&h, -40);
    QCOMPARE(rec.log, QStringList({ "sizeChange(0,90,8)" }));
}

void TestYMRHeader::resizeReleasedAtTheLimit()
{
    YMRHeader h(3);
    h.resize(300, 20);
    h.show();
    h.setTracking(false);
    Recorder rec(&h);
    press(&h, 87);
    move(&h, 30);
    release(&h, 8);   // exactly at the smallest size
    QCOMPARE(h.sectionSize(0), 8);
    QCOMPARE(rec.log, QStringList({ "sizeChange(0,88,8)" }));
}

void TestYMRHeader::disabledSectionsBlockThePress()
{
    YMRHeader h(3);
    h.resize(300, 20);
    h.show();
    Recorder rec(&h);
    h.setResizeEnabled(false, 0);
    press(&h, 87);
    QCOMPARE(h.state(), YMRHeader::Blocked);
    move(&h, 120);
    release(&h, 120);
    QCOMPARE(h.sectionSize(0), 88);
    h.setClickEnabled(false, 1);
    press(&h, 130);
    release(&h, 130);
    QCOMPARE(rec.log, QStringList({ "pressed(1)" }));   // no release, no click
    QCOMPARE(h.state(), YMRHeader::Idle);
    // the right button is ignored
    press(&h, 200, Qt::RightButton);
    QCOMPARE(h.state(), YMRHeader::Idle);
    QCOMPARE(rec.log.size(), 1);
}

void TestYMRHeader::narrowFirstSectionGrip()
{
    // A first section narrower than both grips: its left edge has no
    // section before it, so every press on it grips the section itself.
    YMRHeader h(3);
    h.resize(300, 20);
    h.show();
    h.resizeSection(0, 3);
    Recorder rec(&h);
    move(&h, 1, Qt::NoButton);
    QCOMPARE(h.cursor().shape(), Qt::SplitHCursor);
    press(&h, 1);
    QCOMPARE(h.state(), YMRHeader::Sliding);
    move(&h, 40);
    release(&h, 40);
    QCOMPARE(rec.log, QStringList({ "sizeChange(0,3,40)" }));
}

YMR_TEST_MAIN(TestYMRHeader)
#include "tst_ymrheader.moc"
