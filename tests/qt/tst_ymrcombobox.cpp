// ymr-test-screens: 240x320 480x640
#include "ymrtest.h"

#include "qt/ymrapplication.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrlistbox.h"

#include <QIntValidator>
#include <QLineEdit>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QSignalSpy>

namespace {
QStringList captured;
QtMessageHandler previousHandler = nullptr;
void capture(QtMsgType type, const QMessageLogContext &ctx, const QString &msg)
{
    if (type == QtWarningMsg && msg.startsWith("YMRComboBox::"))
        captured << msg;
    else if (previousHandler)
        previousHandler(type, ctx, msg);
}

// Records activated/highlighted as "a:1", "a:text", "h:1", "h:text".
struct Log : QObject
{
    QStringList log;
    explicit Log(YMRComboBox *c)
    {
        connect(c, qOverload<int>(&YMRComboBox::activated), this,
                [this](int i) { log << QString("a:%1").arg(i); });
        connect(c, qOverload<const QString &>(&YMRComboBox::activated), this,
                [this](const QString &t) { log << "a:" + t; });
        connect(c, qOverload<int>(&YMRComboBox::highlighted), this,
                [this](int i) { log << QString("h:%1").arg(i); });
        connect(c, qOverload<const QString &>(&YMRComboBox::highlighted), this,
                [this](const QString &t) { log << "h:" + t; });
    }
};

void typeText(QLineEdit *ed, const QString &s)
{
    for (QChar c : s)
        QTest::keyClick(ed, c.toLatin1());
}
} // namespace

class TestYMRComboBox : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void rangeWarnings();
    void insertingAndCurrent();
    void removingKeepsTheCurrentItem();
    void setCurrentItemSignals();
    void upDownKeys();
    void autoCompletion();
    void returnWithDuplicates();
    void insertionPolicies();
    void maxCountTrimming();
    void popupGeometry();
    void popupChoosesWithTheMouse();
    void popupClosesWithoutChoosing();
    void sizeHintIsCached();
    void editableSwitch();
    void xpStyleKeepsTheListFrame();
    void goesAfterItsPopupWasShown();

private:
    YMRComboBox *editableBox(QWidget *top, const QStringList &items);
};

void TestYMRComboBox::initTestCase()
{
    previousHandler = qInstallMessageHandler(capture);
}

void TestYMRComboBox::cleanupTestCase()
{
    qInstallMessageHandler(previousHandler);
}

void TestYMRComboBox::init()
{
    captured.clear();
}

YMRComboBox *TestYMRComboBox::editableBox(QWidget *top, const QStringList &items)
{
    auto *c = new YMRComboBox(true, top);
    c->insertStringList(items);
    c->resize(150, 30);
    top->show();
    if (!QTest::qWaitForWindowExposed(top))
        return nullptr;
    QApplication::setActiveWindow(top);
    c->setFocus();
    return c;
}

void TestYMRComboBox::rangeWarnings()
{
    YMRComboBox box;
    box.insertStringList({ "A", "B", "C" });
    box.insertItem("x", 5);
    QCOMPARE(box.count(), 3);
    QCOMPARE(captured, QStringList{ "YMRComboBox::insertItem: (<no name>) Index 5 out of range" });
    captured.clear();

    box.setObjectName("types");
    QVERIFY(box.text(3).isNull());
    QVERIFY(!box.pixmap(3));
    box.setCurrentItem(-1);
    box.removeItem(-2);
    box.changeItem("q", 7);
    QCOMPARE(captured, QStringList({ "YMRComboBox::text: (types) Index 3 out of range",
                                     "YMRComboBox::pixmap: (types) Index 3 out of range",
                                     "YMRComboBox::setCurrentItem: (types) Index -1 out of range",
                                     "YMRComboBox::removeItem: (types) Index -2 out of range",
                                     "YMRComboBox::changeItem: (types) Index 7 out of range" }));
    QCOMPARE(box.currentItem(), 0);
    QCOMPARE(box.count(), 3);

    // index 3 and -1 append without a warning
    captured.clear();
    box.insertItem("D", 3);
    box.insertItem("E", -1);
    QCOMPARE(box.text(4), QString("E"));
    QVERIFY(captured.isEmpty());
}

void TestYMRComboBox::insertingAndCurrent()
{
    YMRComboBox box;
    QCOMPARE(box.currentItem(), 0);
    QVERIFY(box.currentText().isNull());
    box.insertItem("first");
    QCOMPARE(box.currentText(), QString("first"));
    box.insertItem("zero", 0);
    QCOMPARE(box.currentItem(), 0);
    QCOMPARE(box.currentText(), QString("zero"));

    // an editable box filled by appends shows its first item
    QWidget top;
    YMRComboBox *ed = editableBox(&top, {});
    QVERIFY(ed);
    ed->insertItem("one");
    ed->insertItem("two");
    QCOMPARE(ed->lineEdit()->text(), QString("one"));
    QCOMPARE(ed->currentText(), QString("one"));
    ed->changeItem("uno", 0);
    QCOMPARE(ed->lineEdit()->text(), QString("uno"));
    ed->setEditText("typed");
    QCOMPARE(ed->currentItem(), 0);
    QCOMPARE(ed->currentText(), QString("typed"));
    ed->clear();
    QCOMPARE(ed->count(), 0);
    QVERIFY(ed->lineEdit()->text().isEmpty());
}

void TestYMRComboBox::removingKeepsTheCurrentItem()
{
    YMRComboBox box;
    box.insertStringList({ "A", "B", "C" });
    box.setCurrentItem(2);
    box.removeItem(0);
    QCOMPARE(box.currentItem(), 1);
    QCOMPARE(box.currentText(), QString("C"));
    box.insertItem("D");
    box.setCurrentItem(1);
    // the current item of a box never opened: its successor
    box.removeItem(1);
    QCOMPARE(box.currentText(), QString("D"));
    // the last: its predecessor
    box.removeItem(1);
    QCOMPARE(box.currentItem(), 0);
    QCOMPARE(box.currentText(), QString("B"));
    QCOMPARE(box.listBox()->currentItem(), 0);
    box.removeItem(0);
    QCOMPARE(box.count(), 0);
    QCOMPARE(box.currentItem(), 0);
    QVERIFY(box.currentText().isNull());
}

void TestYMRComboBox::setCurrentItemSignals()
{
    YMRComboBox box;
    box.insertStringList({ "A", "B", "C" });
    Log l(&box);
    box.setCurrentItem(0);
    QVERIFY(l.log.isEmpty());
    box.setCurrentItem(1);
    QCOMPARE(l.log, QStringList({ "h:1", "h:B" }));

    QWidget top;
    YMRComboBox *ed = editableBox(&top, { "A", "B" });
    Log le(ed);
    ed->lineEdit()->setText("other");
    ed->setCurrentItem(0);
    QCOMPARE(ed->lineEdit()->text(), QString("A"));
    QCOMPARE(le.log, QStringList({ "h:0", "h:A" }));

    // an unselectable item cannot become current
    box.listBox()->item(2)->setSelectable(false);
    box.setCurrentItem(2);
    QCOMPARE(box.currentItem(), 1);
}

void TestYMRComboBox::upDownKeys()
{
    QWidget top;
    auto *box = new YMRComboBox(&top);
    box->insertStringList({ "A", "B", "C", "D" });
    box->listBox()->item(3)->setSelectable(false);
    top.show();
    QVERIFY(QTest::qWaitForWindowExposed(&top));
    Log l(box);
    // Up on the first goes to the last selectable
    QTest::keyClick(box, Qt::Key_Up);
    QCOMPARE(box->currentItem(), 2);
    QCOMPARE(l.log, QStringList({ "h:2", "h:C", "a:C", "h:2", "a:2" }));
    QTest::keyClick(box, Qt::Key_Down);
    QCOMPARE(box->currentItem(), 0);

    // only the current item selectable: the same item is reported again
    box->listBox()->item(1)->setSelectable(false);
    box->listBox()->item(2)->setSelectable(false);
    l.log.clear();
    QTest::keyClick(box, Qt::Key_Down);
    QCOMPARE(box->currentItem(), 0);
    QCOMPARE(l.log, QStringList({ "a:A", "h:0", "a:0" }));

    // nothing selectable at all: the search ends
    box->listBox()->item(0)->setSelectable(false);
    QTest::keyClick(box, Qt::Key_Up);
    QCOMPARE(box->currentItem(), 0);

    // an empty box passes Up on
    YMRComboBox empty;
    QKeyEvent e(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(&empty, &e);
    QVERIFY(!e.isAccepted());
}

void TestYMRComboBox::autoCompletion()
{
    QWidget top;
    YMRComboBox *c = editableBox(&top, { "Apple", "apricot" });
    QVERIFY(c);
    c->setAutoCompletion(true);
    QLineEdit *ed = c->lineEdit();
    QTRY_VERIFY(ed->hasFocus());
    ed->clear();
    typeText(ed, "ap");
    QCOMPARE(ed->text(), QString("Apple"));
    QCOMPARE(ed->selectedText(), QString("ple"));

    // Backspace removes the completion and completes nothing
    QTest::keyClick(ed, Qt::Key_Backspace);
    QCOMPARE(ed->text(), QString("Ap"));
    QVERIFY(!ed->hasSelectedText());

    // typing with the cursor inside the text completes nothing
    ed->setText("xx");
    ed->setCursorPosition(1);
    QTest::keyClick(ed, 'a');
    QCOMPARE(ed->text(), QString("xax"));

    // off: nothing is completed
    c->setAutoCompletion(false);
    ed->clear();
    typeText(ed, "apr");
    QCOMPARE(ed->text(), QString("apr"));
}

void TestYMRComboBox::returnWithDuplicates()
{
    QWidget top;
    YMRComboBox *c = editableBox(&top, { "X", "Y" });
    QVERIFY(c);
    QLineEdit *ed = c->lineEdit();
    QTRY_VERIFY(ed->hasFocus());
    Log l(c);
    c->setDuplicatesEnabled(false);
    ed->setText("Y");
    QTest::keyClick(ed, Qt::Key_Return);
    QCOMPARE(c->count(), 2);
    QCOMPARE(c->currentItem(), 1);
    QVERIFY(l.log.contains("a:1"));
    QVERIFY(l.log.contains("a:Y"));

    c->setDuplicatesEnabled(true);
    l.log.clear();
    ed->setText("Y");
    QTest::keyClick(ed, Qt::Key_Return);
    QCOMPARE(c->count(), 3);
    QCOMPARE(c->currentItem(), 2);
    QCOMPARE(l.log.mid(l.log.size() - 2), QStringList({ "a:2", "a:Y" }));

    // an empty text restores the current item's, marked, silently
    l.log.clear();
    ed->clear();
    QTest::keyClick(ed, Qt::Key_Return);
    QCOMPARE(ed->text(), QString("Y"));
    QCOMPARE(ed->selectedText(), QString("Y"));
    QVERIFY(l.log.isEmpty());
}

void TestYMRComboBox::insertionPolicies()
{
    QWidget top;
    YMRComboBox *c = editableBox(&top, { "a", "b", "c" });
    QVERIFY(c);
    QLineEdit *ed = c->lineEdit();
    QTRY_VERIFY(ed->hasFocus());
    auto enter = [&](const QString &s) {
        ed->setText(s);
        QTest::keyClick(ed, Qt::Key_Return);
    };
    auto items = [&] {
        QStringList r;
        for (int i = 0; i < c->count(); ++i)
            r << c->text(i);
        return r;
    };
    c->setCurrentItem(1);
    c->setInsertionPolicy(YMRComboBox::AtTop);
    enter("top");
    QCOMPARE(items(), QStringList({ "top", "a", "b", "c" }));
    QCOMPARE(c->currentItem(), 0);
    c->setCurrentItem(1);
    c->setInsertionPolicy(YMRComboBox::AfterCurrent);
    enter("after");
    QCOMPARE(items(), QStringList({ "top", "a", "after", "b", "c" }));
    QCOMPARE(c->currentItem(), 2);
    c->setInsertionPolicy(YMRComboBox::BeforeCurrent);
    enter("before");
    QCOMPARE(items(), QStringList({ "top", "a", "before", "after", "b", "c" }));
    QCOMPARE(c->currentText(), QString("before"));

    Log l(c);
    c->setInsertionPolicy(YMRComboBox::AtCurrent);
    enter("replaced");
    QCOMPARE(items(), QStringList({ "top", "a", "replaced", "after", "b", "c" }));
    QCOMPARE(l.log, QStringList({ "a:2", "a:replaced" }));
    l.log.clear();
    c->setInsertionPolicy(YMRComboBox::NoInsertion);
    enter("none");
    QCOMPARE(c->count(), 6);
    QCOMPARE(l.log, QStringList({ "a:none" }));
}

void TestYMRComboBox::maxCountTrimming()
{
    QWidget top;
    YMRComboBox *c = editableBox(&top, { "a", "b", "c" });
    QVERIFY(c);
    QLineEdit *ed = c->lineEdit();
    QTRY_VERIFY(ed->hasFocus());
    c->setMaxCount(3);
    c->setInsertionPolicy(YMRComboBox::AtTop);
    ed->setText("new");
    QTest::keyClick(ed, Qt::Key_Return);
    QCOMPARE(c->count(), 3);
    QCOMPARE(c->text(0), QString("new"));
    QCOMPARE(c->text(2), QString("b"));
    QCOMPARE(c->currentText(), QString("new"));

    // replacing at the current item removes nothing
    c->setInsertionPolicy(YMRComboBox::AtCurrent);
    ed->setText("again");
    QTest::keyClick(ed, Qt::Key_Return);
    QCOMPARE(c->count(), 3);
    QCOMPARE(c->text(0), QString("again"));

    // after the current item when that is the last one: still inside the list
    c->setInsertionPolicy(YMRComboBox::AfterCurrent);
    c->setCurrentItem(2);
    ed->setText("tail");
    QTest::keyClick(ed, Qt::Key_Return);
    QCOMPARE(c->count(), 3);
    QCOMPARE(c->text(2), QString("tail"));
    QCOMPARE(c->currentText(), QString("tail"));

    // maximum 0 keeps nothing and does not hang
    c->setMaxCount(0);
    QCOMPARE(c->count(), 0);
    c->setInsertionPolicy(YMRComboBox::AtBottom);
    ed->setText("kept");
    QTest::keyClick(ed, Qt::Key_Return);
    QCOMPARE(c->count(), 0);
    QCOMPARE(ed->text(), QString("kept"));

    // insertItem is not limited
    c->insertItem("x");
    QCOMPARE(c->count(), 1);
}

void TestYMRComboBox::popupGeometry()
{
    const QRect screen = QPEApplication::screenRect();
    YMRComboBox box;
    for (int i = 0; i < 20; ++i)
        box.insertItem(QString("entry %1").arg(i));
    QCOMPARE(box.sizeLimit(), 7);
    box.setGeometry(10, 10, 120, 30);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.popup();
    YMRListBox *lb = box.listBox();
    QVERIFY(lb->isVisible());
    const int h = lb->item(0)->height(lb);
    QCOMPARE(lb->height(), 7 * h + 2 * lb->frameWidth());
    QCOMPARE(lb->width(), 120);
    QCOMPARE(lb->y(), box.mapToGlobal(QPoint(0, box.height())).y() + 1);
    QTest::keyClick(lb, Qt::Key_Escape);
    QVERIFY(!lb->isVisible());

    // 30 pixels above the bottom: the list opens above the box
    box.setGeometry(10, screen.height() - 30 - box.height(), 120, 30);
    QTRY_COMPARE(box.mapToGlobal(QPoint(0, 0)).y(), screen.height() - 30 - box.height());
    box.popup();
    QCOMPARE(lb->y(), box.mapToGlobal(QPoint(0, 0)).y() - lb->height() - 1);
    QTest::keyClick(lb, Qt::Key_Escape);

    // a box wider than the room to the right is shifted left
    box.setGeometry(screen.width() - 100, 40, 200, 30);
    QTRY_COMPARE(box.mapToGlobal(QPoint(0, 0)).x(), screen.width() - 100);
    box.popup();
    QCOMPARE(lb->x() + lb->width(), screen.width());
    QTest::keyClick(lb, Qt::Key_Escape);

    // entries longer than the box: the list as wide as the longest, at most
    // as wide as the screen
    YMRComboBox narrow;
    narrow.insertStringList({"a", "a longer entry"});
    narrow.setGeometry(10, 40, 40, 30);
    narrow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&narrow));
    YMRListBox *nl = narrow.listBox();
    narrow.popup();
    QCOMPARE(nl->width(), nl->item(1)->width(nl) + 2 * nl->frameWidth());
    QTest::keyClick(nl, Qt::Key_Escape);
    narrow.insertItem(QString(200, QLatin1Char('W')));
    narrow.popup();
    QCOMPARE(nl->width(), screen.width());
    QTest::keyClick(nl, Qt::Key_Escape);

    // no room above either: below, off the edge
    YMRComboBox small;
    small.insertStringList({ "a", "b", "c", "d", "e", "f", "g" });
    small.resize(80, 30);
    small.move(0, 0);
    small.show();
    QVERIFY(QTest::qWaitForWindowExposed(&small));
    small.popup();
    QVERIFY(small.listBox()->y() > 0);
    QTest::keyClick(small.listBox(), Qt::Key_F4);
    QVERIFY(!small.listBox()->isVisible());
}

void TestYMRComboBox::popupChoosesWithTheMouse()
{
    YMRComboBox box;
    box.insertStringList({ "A", "B", "C" });
    box.resize(120, 30);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    Log l(&box);
    QTest::mousePress(&box, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    YMRListBox *lb = box.listBox();
    QVERIFY(lb->isVisible());
    // the release of the opening click lands outside the list: it stays open
    QMouseEvent rel(QEvent::MouseButtonRelease, QPoint(10, -10), Qt::LeftButton, Qt::NoButton,
                    Qt::NoModifier);
    QApplication::sendEvent(lb, &rel);
    QVERIFY(lb->isVisible());
    QTRY_VERIFY(lb->itemRect(lb->item(2)).isValid());
    const QPoint p = lb->itemRect(lb->item(2)).center();
    QTest::mousePress(lb->viewport(), Qt::LeftButton, Qt::NoModifier, p);
    QTest::mouseRelease(lb->viewport(), Qt::LeftButton, Qt::NoModifier, p);
    QVERIFY(!lb->isVisible());
    QCOMPARE(box.currentItem(), 2);
    QCOMPARE(l.log.mid(l.log.size() - 2), QStringList({ "a:2", "a:C" }));
}

void TestYMRComboBox::popupClosesWithoutChoosing()
{
    YMRComboBox box;
    box.insertStringList({ "A", "B", "C" });
    box.resize(120, 30);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QApplication::setActiveWindow(&box);
    box.setFocus();
    Log l(&box);
    QTest::keyClick(&box, Qt::Key_F4);
    YMRListBox *lb = box.listBox();
    QVERIFY(lb->isVisible());
    QTest::keyClick(lb, Qt::Key_Down);
    QCOMPARE(lb->currentItem(), 1);
    // a press outside closes the list and chooses nothing
    QMouseEvent press(QEvent::MouseButtonPress, QPoint(-5, -5), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(lb, &press);
    QVERIFY(!lb->isVisible());
    QCOMPARE(box.currentItem(), 0);
    QVERIFY(!l.log.contains("a:1"));

    // Return in the open list activates its current item
    QTest::keyClick(&box, Qt::Key_Space);
    QVERIFY(lb->isVisible());
    QTest::keyClick(lb, Qt::Key_Down);
    QTest::keyClick(lb, Qt::Key_Return);
    QVERIFY(!lb->isVisible());
    QCOMPARE(box.currentItem(), 1);
    QCOMPARE(l.log.mid(l.log.size() - 2), QStringList({ "a:1", "a:B" }));

    // an empty box does not open
    YMRComboBox empty;
    empty.popup();
    QVERIFY(!empty.listBox()->isVisible());
}

void TestYMRComboBox::sizeHintIsCached()
{
    YMRComboBox box;
    const QSize empty = box.sizeHint();
    const QFontMetrics fm(box.font());
    const int row = YMRApplication::isQVGAScreen()
                        ? fm.lineSpacing() + 2
                        : (fm.lineSpacing() <= 31 ? 34 : fm.lineSpacing() + 2);
    QCOMPARE(empty.height(), row + (YMRApplication::isQVGAScreen() ? 6 : 8));
    box.insertItem("a much much longer item than seven x");
    QCOMPARE(box.sizeHint(), empty);
    box.clear();
    box.insertItem("a much much longer item than seven x");
    QVERIFY(box.sizeHint().width() > empty.width());
    QCOMPARE(box.sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
    QCOMPARE(box.sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
}

void TestYMRComboBox::editableSwitch()
{
    YMRComboBox box;
    QVERIFY(!box.editable());
    QVERIFY(!box.lineEdit());
    QVERIFY(!box.validator());
    QCOMPARE(box.focusPolicy(), Qt::TabFocus);
    box.setEditable(true);
    QVERIFY(box.lineEdit());
    QCOMPARE(box.focusPolicy(), Qt::StrongFocus);
    QIntValidator v(0, 9);
    box.setValidator(&v);
    QCOMPARE(box.validator(), &v);
    box.clearValidator();
    QVERIFY(!box.validator());
    QSignalSpy changed(&box, &YMRComboBox::textChanged);
    box.lineEdit()->setText("t");
    QCOMPARE(changed.count(), 1);
    box.setEditable(false);
    QVERIFY(!box.lineEdit());
    QCOMPARE(box.focusPolicy(), Qt::TabFocus);

    // a new list box replaces (and deletes) the old one
    box.insertItem("gone");
    auto *lb = new YMRListBox;
    box.setListBox(lb);
    QCOMPARE(box.listBox(), lb);
    QCOMPARE(box.count(), 0);
    QVERIFY(lb->isWindow());
}

// The list box watched while it popped up goes with the box (or its
// replacement), open or closed, without the box's filter reaching into it
// while it is destroyed: the sanitizer build (YMR_BUILD_FUZZ, run with
// UBSAN_OPTIONS=halt_on_error=1) stops at such a member call.
void TestYMRComboBox::goesAfterItsPopupWasShown()
{
    for (int step = 0; step < 3; ++step) {
        const bool replace = step == 1, open = step == 2;
        auto *box = new YMRComboBox;
        box->insertStringList({"a", "b", "c"});
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box));
        box->popup();
        QTRY_VERIFY(box->listBox()->isVisible());
        if (!open) {
            QTest::keyClick(box->listBox(), Qt::Key_Escape);
            QTRY_VERIFY(!box->listBox()->isVisible());
        }
        if (replace) {
            auto *lb = new YMRListBox;
            box->setListBox(lb);
            QCOMPARE(box->listBox(), lb);
        }
        delete box;
    }
}

void TestYMRComboBox::xpStyleKeepsTheListFrame()
{
    YMRComboBox plain;
    QCOMPARE(plain.listBox()->frameShape(), QFrame::Box);
    QCOMPARE(plain.listBox()->lineWidth(), 1);

    const QString before = QApplication::style()->objectName();
    auto *xp = new QProxyStyle(QStyleFactory::create("Fusion"));
    xp->setObjectName("xp");
    QApplication::setStyle(xp);
    {
        YMRComboBox styled;
        QVERIFY(styled.listBox()->frameShape() != QFrame::Box);
    }
    QApplication::setStyle(QStyleFactory::create(before.isEmpty() ? "Fusion" : before));
}

YMR_TEST_MAIN(TestYMRComboBox)
#include "tst_ymrcombobox.moc"
