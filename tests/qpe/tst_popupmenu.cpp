#include "ymrtest.h"

#include "qpe/hbox.h"
#include "qpe/popupmenu.h"
#include "qpe/qpeapplication.h"
#include "qpe/vbox.h"

#include <QAction>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTimer>

class Receiver : public QObject
{
    Q_OBJECT
public:
    QList<int> ids;
    int plain = 0;
public slots:
    void withId(int id) { ids.append(id); }
    void noArgs() { ++plain; }
};

class TestPopupMenu : public QObject
{
    Q_OBJECT
private slots:
    void idsAndIndexes();
    void checkMarksAreOnlySetByTheProgram();
    void activationReachesSignalAndConnectedItems();
    void execReturnsChosenId();
    void widgetItemsAndRemoval();
    void boxesLayOutTheirChildren();
    void staysOnTheScreen();
};

void TestPopupMenu::idsAndIndexes()
{
    PopupMenu m;
    const int a = m.insertItem(QStringLiteral("A"));
    const int b = m.insertItem(QStringLiteral("B"));
    const int sep = m.insertSeparator();
    const int own = m.insertItem(QStringLiteral("C"), 7);
    const int first = m.insertItem(QStringLiteral("Top"), 3, 0);
    QVERIFY(a < -1 && b < -1 && sep < -1);
    QVERIFY(a != b && b != sep && a != sep);
    QCOMPARE(own, 7);
    QCOMPARE(first, 3);
    // automatic ids are unique across menus too
    PopupMenu other;
    const int o = other.insertItem(QStringLiteral("X"));
    QVERIFY(o < -1 && o != a && o != b && o != sep);

    QCOMPARE(m.count(), 5);
    QCOMPARE(m.idAt(0), 3);
    QCOMPARE(m.idAt(1), a);
    QCOMPARE(m.indexOf(own), 4);
    QCOMPARE(m.indexOf(12345), -1);
    QCOMPARE(m.idAt(99), -1);
    QCOMPARE(m.text(b), QStringLiteral("B"));
    m.changeItem(b, QStringLiteral("B2"));
    QCOMPARE(m.text(b), QStringLiteral("B2"));

    m.setItemEnabled(a, false);
    QVERIFY(!m.isItemEnabled(a));
    QVERIFY(m.isItemEnabled(b));
    QVERIFY(!m.isItemEnabled(12345));

    m.removeItem(a);
    QCOMPARE(m.count(), 4);
    QCOMPARE(m.indexOf(a), -1);
    m.clear();
    QCOMPARE(m.count(), 0);
    QVERIFY(!m.findItem(b));
}

void TestPopupMenu::checkMarksAreOnlySetByTheProgram()
{
    PopupMenu m;
    const int a = m.insertItem(QStringLiteral("A"));
    QVERIFY(!m.isItemChecked(a));
    m.setItemChecked(a, true);
    QVERIFY(m.isItemChecked(a));
    QVERIFY(m.isCheckable());
    QAction *act = m.itemAction(a);
    QVERIFY(act->isChecked());

    // choosing the item leaves its mark alone
    QSignalSpy spy(&m, &PopupMenu::activated);
    act->trigger();
    QCOMPARE(spy.count(), 1);
    QVERIFY(m.isItemChecked(a));
    QVERIFY(act->isChecked());

    m.setItemChecked(a, false);
    act->trigger();
    QVERIFY(!m.isItemChecked(a));
    QVERIFY(!act->isChecked());
}

void TestPopupMenu::activationReachesSignalAndConnectedItems()
{
    PopupMenu m;
    Receiver r;
    const int a = m.insertItem(QStringLiteral("A"), &r, SLOT(withId(int)));
    const int b = m.insertItem(QStringLiteral("B"), &r, SLOT(noArgs()));
    QVERIFY(m.connectItem(b, &r, SLOT(withId(int))));
    QVERIFY(!m.connectItem(b, &r, SLOT(noSuchSlot())));
    QSignalSpy spy(&m, &PopupMenu::activated);

    m.itemAction(a)->trigger();
    m.itemAction(b)->trigger();
    QCOMPARE(r.ids, (QList<int>{a, b}));
    QCOMPARE(r.plain, 1);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0).at(0).toInt(), a);
    QCOMPARE(spy.at(1).at(0).toInt(), b);

    QVERIFY(m.disconnectItem(b, &r, SLOT(withId(int))));
    m.itemAction(b)->trigger();
    QCOMPARE(r.ids.size(), 2);
    QCOMPARE(r.plain, 2);

    // a sub-menu's items are not this menu's
    PopupMenu sub;
    const int s = sub.insertItem(QStringLiteral("S"));
    m.insertItem(QStringLiteral("More"), &sub);
    spy.clear();
    sub.itemAction(s)->trigger();
    QCOMPARE(spy.count(), 0);
}

void TestPopupMenu::execReturnsChosenId()
{
    PopupMenu m;
    m.insertItem(QStringLiteral("A"), 10);
    m.insertItem(QStringLiteral("B"), 11);
    QTimer::singleShot(0, [&m] {
        m.setActiveAction(m.itemAction(11));
        QTest::keyClick(&m, Qt::Key_Return);
    });
    QCOMPARE(m.exec(QPoint(10, 10)), 11);

    QTimer::singleShot(0, [&m] { QTest::keyClick(&m, Qt::Key_Escape); });
    QCOMPARE(m.exec(QPoint(10, 10)), -1);
}

void TestPopupMenu::widgetItemsAndRemoval()
{
    PopupMenu m;
    QPointer<QLabel> label = new QLabel(QStringLiteral("panel"));
    const int id = m.insertItem(label, 5);
    QCOMPARE(id, 5);
    QCOMPARE(m.count(), 1);
    QCOMPARE(PopupMenu::idOf(m.itemAction(5)), 5);
    // the item owns its widget
    m.removeItem(5);
    QVERIFY(label.isNull());
}

void TestPopupMenu::boxesLayOutTheirChildren()
{
    HBox h;
    h.setSpacing(4);
    auto *a = new QPushButton(QStringLiteral("a"), &h);
    auto *b = new QPushButton(QStringLiteral("b"), &h);
    auto *c = new QPushButton(QStringLiteral("c"), &h);
    QCOMPARE(h.layout()->count(), 3);
    h.resize(300, 40);
    h.show();
    h.layout()->activate();
    QVERIFY(a->geometry().right() < b->geometry().left());
    QCOMPARE(b->geometry().left() - a->geometry().right() - 1, 4);
    QVERIFY(b->geometry().right() < c->geometry().left());
    QCOMPARE(a->geometry().top(), b->geometry().top());
    delete b;
    QCOMPARE(h.layout()->count(), 2);

    VBox v;
    auto *x = new QLabel(QStringLiteral("x"), &v);
    auto *y = new QLabel(QStringLiteral("y"), &v);
    v.resize(100, 200);
    v.show();
    v.layout()->activate();
    QVERIFY(x->geometry().bottom() < y->geometry().top());
    QCOMPARE(x->geometry().left(), y->geometry().left());

    // windows parented to a box are not laid out
    auto *dialog = new QWidget(&v, Qt::Dialog);
    Q_UNUSED(dialog);
    QCOMPARE(v.layout()->count(), 2);
    QVERIFY(v.inherits("VBox"));
    QVERIFY(!v.inherits("HBox"));
}

void TestPopupMenu::staysOnTheScreen()
{
    // what the desktop shows of the emulated screen
    const QRect screen = QPEApplication::screenRect().intersected(
        QGuiApplication::primaryScreen()->availableGeometry());
    PopupMenu m;
    m.insertItem(QStringLiteral("An entry of some width"));
    m.insertItem(QStringLiteral("Another"));

    // asked to open at the right edge: it ends there instead
    m.popup(QPoint(screen.right() - 5, screen.top() + 10));
    QTRY_VERIFY(m.isVisible());
    QCOMPARE(m.geometry().right(), screen.right());
    QVERIFY(m.y() >= screen.top() + 5);
    m.hide();

    // near the bottom: above the point
    const QPoint low(screen.left() + 10, screen.bottom() - 5);
    m.popup(low);
    QTRY_VERIFY(m.isVisible());
    QVERIFY(screen.contains(m.geometry()));
    QVERIFY(m.geometry().bottom() < low.y());
    QVERIFY(m.geometry().bottom() > low.y() - 10);
    m.hide();
}

QPE_TEST_MAIN(TestPopupMenu)
#include "tst_popupmenu.moc"
