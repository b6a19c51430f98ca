// ymr-test-screens: 240x320 480x640 640x480
#include "ymrtest.h"

#include "qt/ymraction.h"
#include "qt/ymractiongroup.h"
#include "qt/ymrapplication.h"
#include "qpe/hbox.h"
#include "qpe/popupmenu.h"
#include "qpe/vbox.h"

#include <QAction>
#include <QFrame>
#include <QLayout>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolBar>
#include <QToolButton>

class TestYMRAction : public QObject
{
    Q_OBJECT
private slots:
    void statePropagatesToEveryContainer();
    void toggleActionSignalsInOrder();
    void exclusiveGroup();
    void destructionAndRemoval();
    void createAndFind();
    void separators();
};

namespace {

QPixmap redPixmap()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::red);
    return pm;
}

QToolButton *onlyToolButton(QWidget *container)
{
    QList<QToolButton *> buttons;
    // a tool bar has a tool button of its own for its overflow
    for (QToolButton *b : container->findChildren<QToolButton *>(QString(), Qt::FindDirectChildrenOnly))
        if (b->objectName() != QLatin1String("qt_toolbar_ext_button"))
            buttons.append(b);
    return buttons.size() == 1 ? buttons.first() : nullptr;
}

} // namespace

void TestYMRAction::statePropagatesToEveryContainer()
{
    QWidget window;
    auto *bar1 = new QToolBar(&window);
    auto *bar2 = new QToolBar(&window);
    auto *hbox = new HBox(&window);
    auto *vbox = new VBox(&window);
    auto *push = new QPushButton(&window);
    auto *menu = new PopupMenu(&window);

    YMRAction a(&window, "act");
    a.setText(QStringLiteral("Act"), true);
    for (QWidget *c : {static_cast<QWidget *>(bar1), static_cast<QWidget *>(bar2),
                       static_cast<QWidget *>(hbox), static_cast<QWidget *>(vbox),
                       static_cast<QWidget *>(push), static_cast<QWidget *>(menu)})
        a.addTo(c);
    // an unknown container is ignored
    QWidget plain;
    a.addTo(&plain);
    QVERIFY(plain.children().isEmpty());

    QList<QAbstractButton *> buttons;
    for (QWidget *c : {static_cast<QWidget *>(bar1), static_cast<QWidget *>(bar2),
                       static_cast<QWidget *>(hbox), static_cast<QWidget *>(vbox)}) {
        QToolButton *b = onlyToolButton(c);
        QVERIFY(b);
        QVERIFY(b->autoRaise());
        buttons.append(b);
    }
    buttons.append(push);
    QCOMPARE(hbox->layout()->count(), 1);
    QCOMPARE(menu->count(), 1);
    const int id = menu->idAt(0);
    QCOMPARE(menu->text(id), QStringLiteral("Act"));
    for (QAbstractButton *b : qAsConst(buttons))
        QCOMPARE(b->text(), QStringLiteral("Act"));

    a.setText(QStringLiteral("Renamed"), true);
    QCOMPARE(menu->text(id), QStringLiteral("Renamed"));
    for (QAbstractButton *b : qAsConst(buttons))
        QCOMPARE(b->text(), QStringLiteral("Renamed"));

    a.setEnabled(false);
    QVERIFY(!a.isEnabled());
    QVERIFY(!menu->isItemEnabled(id));
    for (QAbstractButton *b : qAsConst(buttons))
        QVERIFY(!b->isEnabled());
    a.setEnabled(true);
    QVERIFY(menu->isItemEnabled(id));
    for (QAbstractButton *b : qAsConst(buttons))
        QVERIFY(b->isEnabled());

    QVERIFY(!a.iconSet());
    a.setIconSet(QIcon(redPixmap()));
    QVERIFY(a.iconSet());
    QVERIFY(!menu->iconSet(id).isNull());
    QCOMPARE(menu->text(id), QStringLiteral("Renamed"));
    for (QAbstractButton *b : qAsConst(buttons))
        QVERIFY(!b->icon().isNull());

    // without the text-on-buttons flag only the menu shows the text
    YMRAction quiet(&window, "quiet");
    quiet.setText(QStringLiteral("Quiet"));
    auto *box = new HBox(&window);
    quiet.addTo(box);
    quiet.addTo(menu);
    QVERIFY(onlyToolButton(box)->text().isEmpty());
    QCOMPARE(menu->text(menu->idAt(1)), QStringLiteral("Quiet"));

    // a plain action's button emits activated() once per click
    QSignalSpy activated(&a, &YMRAction::activated);
    QSignalSpy toggled(&a, &YMRAction::toggled);
    QTest::mouseClick(buttons.at(2), Qt::LeftButton);
    QTest::mouseClick(push, Qt::LeftButton);
    menu->itemAction(id)->trigger();
    QCOMPARE(activated.count(), 3);
    QCOMPARE(toggled.count(), 0);
    // and is never on
    a.setOn(true);
    QVERIFY(!a.isOn());
    QCOMPARE(toggled.count(), 0);
}

void TestYMRAction::toggleActionSignalsInOrder()
{
    QWidget window;
    auto *bar = new QToolBar(&window);
    auto *menu = new PopupMenu(&window);
    auto *push = new QPushButton(&window);
    YMRAction a(&window, "toggle", true);
    a.setText(QStringLiteral("Toggle"));
    a.addTo(bar);
    a.addTo(menu);
    a.addTo(push);
    QToolButton *tool = onlyToolButton(bar);
    const int id = menu->idAt(0);
    QVERIFY(tool->isCheckable());
    QVERIFY(push->isCheckable());
    QVERIFY(menu->isCheckable());

    QStringList events;
    connect(&a, &YMRAction::toggled, this,
            [&events](bool on) { events << (on ? "on" : "off"); });
    connect(&a, &YMRAction::activated, this, [&events] { events << "activated"; });

    a.setOn(true);
    QCOMPARE(events, QStringList{"on"});
    QVERIFY(tool->isChecked() && push->isChecked() && menu->isItemChecked(id));
    a.setOn(true);
    QCOMPARE(events.size(), 1);

    // the menu entry flips the state, then reports the activation
    events.clear();
    menu->itemAction(id)->trigger();
    QCOMPARE(events, (QStringList{"off", "activated"}));
    QVERIFY(!a.isOn());
    QVERIFY(!tool->isChecked() && !push->isChecked() && !menu->isItemChecked(id));

    events.clear();
    QTest::mouseClick(tool, Qt::LeftButton);
    QCOMPARE(events, (QStringList{"on", "activated"}));
    QVERIFY(a.isOn() && push->isChecked() && menu->isItemChecked(id));

    events.clear();
    a.toggle();
    QCOMPARE(events, QStringList{"off"});

    // no longer a toggle action: buttons stop toggling
    a.setToggleAction(false);
    QVERIFY(!tool->isCheckable());
    QVERIFY(!push->isCheckable());
}

void TestYMRAction::exclusiveGroup()
{
    YMRActionGroup group(nullptr, "group");
    auto *a1 = new YMRAction(&group, "a1", true);
    auto *a2 = new YMRAction(&group, "a2", true);
    auto *a3 = new YMRAction(&group, "a3", true);
    QCOMPARE(group.actions().size(), 3);
    group.add(a1);
    QCOMPARE(group.actions().size(), 3);
    QVERIFY(!group.currentAction());

    a1->setOn(true);
    QCOMPARE(group.currentAction(), a1);
    a2->setOn(true);
    QVERIFY(!a1->isOn());
    QVERIFY(a2->isOn());
    QCOMPARE(group.currentAction(), a2);

    // the member that is on cannot be switched off by itself
    a2->setOn(false);
    QVERIFY(a2->isOn());

    // a tap on the current member's tool button leaves it on
    HBox box;
    a2->addTo(&box);
    a3->addTo(&box);
    const auto buttons = box.findChildren<QToolButton *>();
    QCOMPARE(buttons.size(), 2);
    QTest::mouseClick(buttons.at(0), Qt::LeftButton);
    QVERIFY(a2->isOn());
    QVERIFY(buttons.at(0)->isChecked());
    QTest::mouseClick(buttons.at(1), Qt::LeftButton);
    QVERIFY(a3->isOn());
    QVERIFY(!a2->isOn());
    QVERIFY(!buttons.at(0)->isChecked());

    delete a3;
    QVERIFY(!group.currentAction());
    QCOMPARE(group.actions().size(), 2);
    a1->setOn(true);
    QCOMPARE(group.currentAction(), a1);
}

void TestYMRAction::destructionAndRemoval()
{
    QWidget window;
    auto *bar = new QToolBar(&window);
    auto *box = new VBox(&window);
    auto *menu = new PopupMenu(&window);
    auto *push = new QPushButton(&window);

    auto *a = new YMRAction(&window, "gone");
    a->setText(QStringLiteral("Gone"));
    a->addTo(bar);
    a->addTo(box);
    a->addTo(menu);
    a->addTo(push);
    QPointer<QToolButton> inBar = onlyToolButton(bar);
    QPointer<QToolButton> inBox = onlyToolButton(box);
    const int barActions = bar->actions().size();
    QVERIFY(barActions >= 1);

    // the tool buttons die with the action, the adopted button stays
    delete a;
    QVERIFY(inBar.isNull());
    QVERIFY(inBox.isNull());
    QCOMPARE(bar->actions().size(), barActions - 1);
    QCOMPARE(menu->count(), 0);
    QTest::mouseClick(push, Qt::LeftButton);

    // removing from containers
    YMRAction b(&window, "b");
    QSignalSpy activated(&b, &YMRAction::activated);
    b.addTo(bar);
    b.addTo(menu);
    b.addTo(menu);
    b.addTo(push);
    QCOMPARE(menu->count(), 2);
    b.removeFrom(bar);
    QVERIFY(!onlyToolButton(bar));
    b.removeFrom(menu);
    QCOMPARE(menu->count(), 0);
    b.removeFrom(push);
    QTest::mouseClick(push, Qt::LeftButton);
    QCOMPARE(activated.count(), 0);
    b.setEnabled(false);
    QVERIFY(push->isEnabled());

    // containers that die first are forgotten
    YMRAction c(&window, "c");
    auto *bar2 = new QToolBar(&window);
    auto *menu2 = new PopupMenu(&window);
    auto *push2 = new QPushButton(&window);
    c.addTo(bar2);
    c.addTo(menu2);
    c.addTo(push2);
    delete bar2;
    delete menu2;
    delete push2;
    c.setText(QStringLiteral("Still here"), true);
    c.setEnabled(false);
}

class Receiver : public QObject
{
    Q_OBJECT
public:
    int hits = 0;
public slots:
    void hit() { ++hits; }
};

void TestYMRAction::createAndFind()
{
    QObject owner;
    Receiver r;
    YMRAction *a = YMRAction::createAction(&owner, "exit", "exit", &r, SLOT(hit()), true,
                                           QStringLiteral("Exit"));
    QCOMPARE(a->parent(), &owner);
    QCOMPARE(a->objectName(), QStringLiteral("exit"));
    QCOMPARE(a->text(), QStringLiteral("Exit"));
    QVERIFY(a->isToggleAction());
    QVERIFY(a->iconSet());
    emit a->activated();
    QCOMPARE(r.hits, 1);

    YMRAction *noIcon = YMRAction::createAction(&owner, "plain", nullptr, nullptr, nullptr, false,
                                                QString());
    QVERIFY(!noIcon->iconSet());

    QCOMPARE(YMRAction::findAction(&owner, "exit"), a);
    QVERIFY(!YMRAction::findAction(&owner, "nothing"));
    // a plain object of that name is no action
    QObject decoy(&owner);
    decoy.setObjectName(QStringLiteral("decoy"));
    QVERIFY(!YMRAction::findAction(&owner, "decoy"));
    // members of a group are found through the group's parent
    auto *group = new YMRActionGroup(&owner, "g");
    auto *member = new YMRAction(group, "member", true);
    QCOMPARE(YMRAction::findAction(&owner, "member"), member);
}

void TestYMRAction::separators()
{
    const int size = YMRApplication::isQVGAScreen() ? 6 : 12;

    HBox hbox;
    YMRAction::addSeparator(&hbox);
    auto *v = hbox.findChild<QFrame *>();
    QVERIFY(v);
    QCOMPARE(v->frameShape(), QFrame::VLine);
    QCOMPARE(v->frameShadow(), QFrame::Sunken);
    QCOMPARE(v->minimumWidth(), size);
    QCOMPARE(v->maximumWidth(), size);

    VBox vbox;
    YMRAction::addSeparator(&vbox);
    auto *h = vbox.findChild<QFrame *>();
    QVERIFY(h);
    QCOMPARE(h->frameShape(), QFrame::HLine);
    QCOMPARE(h->maximumHeight(), size);

    PopupMenu menu;
    YMRAction::addSeparator(&menu);
    QCOMPARE(menu.count(), 1);
    QVERIFY(menu.actions().first()->isSeparator());

    QToolBar bar;
    YMRAction::addSeparator(&bar);
    QCOMPARE(bar.actions().size(), 1);
    QVERIFY(bar.actions().first()->isSeparator());

    QWidget other;
    YMRAction::addSeparator(&other);
    QVERIFY(other.children().isEmpty());
}

YMR_TEST_MAIN(TestYMRAction)
#include "tst_ymraction.moc"
