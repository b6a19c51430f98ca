#include "ymraction.h"

#include "ymractiongroup.h"
#include "ymrapplication.h"
#include "ymrresource.h"
#include "qpe/hbox.h"
#include "qpe/popupmenu.h"
#include "qpe/vbox.h"

#include <QFrame>
#include <QPointer>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QWidgetAction>

class YMRActionPrivate
{
public:
    enum Kind { Text, Icon, State };
    struct MenuEntry {
        PopupMenu *menu;
        int id;
    };

    explicit YMRActionPrivate(bool toggleAction) : toggle(toggleAction) {}
    ~YMRActionPrivate();

    void update(Kind kind);
    void deleteToolButton(QToolButton *b);
    void setupButton(QAbstractButton *b);

    QIcon *iconSet = nullptr;
    QString text;
    bool onButtons = false;
    bool enabled = true;
    bool toggle;
    bool on = false;
    QList<MenuEntry> menus;
    QList<QToolButton *> toolButtons;
    QList<QPushButton *> pushButtons;
    // the tool-bar entries that hold our tool buttons
    QHash<QToolButton *, QWidgetAction *> toolBarEntries;
};

namespace {

// Tool bars and boxes get tool buttons of their own.
bool holdsToolButtons(const QWidget *container)
{
    return container->inherits("QToolBar") || container->inherits("HBox")
           || container->inherits("VBox");
}

} // namespace

YMRActionPrivate::~YMRActionPrivate()
{
    for (const MenuEntry &e : qAsConst(menus))
        e.menu->removeItem(e.id);
    const QList<QToolButton *> buttons = toolButtons;
    toolButtons.clear();
    for (QToolButton *b : buttons)
        deleteToolButton(b);
    delete iconSet;
}

void YMRActionPrivate::deleteToolButton(QToolButton *b)
{
    QPointer<QToolButton> guard(b);
    if (QWidgetAction *entry = toolBarEntries.take(b)) {
        if (QWidget *bar = b->parentWidget())
            bar->removeAction(entry);
        delete entry;   // takes its widget along
    }
    delete guard.data();
}

void YMRActionPrivate::setupButton(QAbstractButton *b)
{
    b->setCheckable(toggle);
    if (iconSet)
        b->setIcon(*iconSet);
    if (onButtons)
        b->setText(text);
}

void YMRActionPrivate::update(Kind kind)
{
    // copies: a slot run from here may drop a container
    const QList<MenuEntry> menuList = menus;
    const QList<QToolButton *> tools = toolButtons;
    const QList<QPushButton *> pushes = pushButtons;
    QList<QAbstractButton *> buttons;
    for (QToolButton *b : tools)
        buttons.append(b);
    for (QPushButton *b : pushes)
        buttons.append(b);

    switch (kind) {
    case Text:
        for (const MenuEntry &e : menuList) {
            e.menu->changeItem(e.id, text);
            if (toggle) {
                e.menu->setCheckable(true);
                e.menu->setItemChecked(e.id, on);
            }
        }
        for (QAbstractButton *b : buttons)
            setupButton(b);
        break;
    case Icon:
        if (!iconSet)
            break;
        for (const MenuEntry &e : menuList)
            e.menu->changeItem(e.id, *iconSet, text);
        for (QAbstractButton *b : buttons)
            b->setIcon(*iconSet);
        break;
    case State:
        for (const MenuEntry &e : menuList) {
            e.menu->setItemEnabled(e.id, enabled);
            if (toggle)
                e.menu->setItemChecked(e.id, on);
        }
        for (QAbstractButton *b : buttons) {
            b->setEnabled(enabled);
            if (toggle)
                b->setChecked(on);
        }
        break;
    }
}

YMRAction::YMRAction(QObject *parent, const char *name, bool toggle)
    : QObject(parent)
    , d(new YMRActionPrivate(toggle))
{
    setObjectName(QLatin1String(name));
    if (parent && parent->inherits("YMRActionGroup"))
        static_cast<YMRActionGroup *>(parent)->add(this);
}

YMRAction::~YMRAction()
{
    // The buttons and menus about to go must not report back to an action
    // that is half gone.
    for (QToolButton *b : qAsConst(d->toolButtons))
        disconnect(b, nullptr, this, nullptr);
    for (QPushButton *b : qAsConst(d->pushButtons))
        disconnect(b, &QObject::destroyed, this, &YMRAction::objectDestroyed);
    for (const YMRActionPrivate::MenuEntry &e : qAsConst(d->menus))
        disconnect(e.menu, &QObject::destroyed, this, &YMRAction::objectDestroyed);
    delete d;
    d = nullptr;
}

void YMRAction::setText(const QString &text, bool onButtons)
{
    d->text = text;
    d->onButtons = onButtons;
    d->update(YMRActionPrivate::Text);
}

QString YMRAction::text() const
{
    return d->text;
}

void YMRAction::setIconSet(const QIcon &icon)
{
    delete d->iconSet;
    d->iconSet = new QIcon(icon);
    d->update(YMRActionPrivate::Icon);
}

const QIcon *YMRAction::iconSet() const
{
    return d->iconSet;
}

void YMRAction::setToggleAction(bool toggle)
{
    if (toggle == d->toggle)
        return;
    d->toggle = toggle;
    d->update(YMRActionPrivate::Text);
}

bool YMRAction::isToggleAction() const
{
    return d->toggle;
}

bool YMRAction::isOn() const
{
    return d->on;
}

bool YMRAction::isEnabled() const
{
    return d->enabled;
}

void YMRAction::toggle()
{
    if (d->toggle)
        setOn(!d->on);
}

void YMRAction::setOn(bool on)
{
    if (!d->toggle || on == d->on)
        return;
    d->on = on;
    d->update(YMRActionPrivate::State);
    emit toggled(on);
}

void YMRAction::setEnabled(bool enable)
{
    d->enabled = enable;
    d->update(YMRActionPrivate::State);
}

void YMRAction::addTo(QWidget *container)
{
    if (!container)
        return;
    if (holdsToolButtons(container)) {
        auto *b = new QToolButton(container);
        d->toolButtons.append(b);
        if (auto *bar = qobject_cast<QToolBar *>(container))
            d->toolBarEntries.insert(b, static_cast<QWidgetAction *>(bar->addWidget(b)));
        else if (container->isVisible())
            b->show();
        b->setAutoRaise(true);
        d->setupButton(b);
        d->update(YMRActionPrivate::State);
        d->update(YMRActionPrivate::Text);
        watchButton(b);
        addedTo(b, container);
    } else if (auto *menu = qobject_cast<PopupMenu *>(container)) {
        const int id = d->iconSet ? menu->insertItem(*d->iconSet, QString())
                                  : menu->insertItem(QString());
        d->menus.append({menu, id});
        menu->connectItem(id, this, SLOT(internalActivation()));
        d->update(YMRActionPrivate::State);
        d->update(YMRActionPrivate::Text);
        connect(menu, &QObject::destroyed, this, &YMRAction::objectDestroyed,
                Qt::UniqueConnection);
    } else if (auto *b = qobject_cast<QPushButton *>(container)) {
        d->pushButtons.append(b);
        d->setupButton(b);
        d->update(YMRActionPrivate::State);
        d->update(YMRActionPrivate::Text);
        watchButton(b);
        addedTo(b, nullptr);
    }
}

void YMRAction::removeFrom(QWidget *container)
{
    if (!container)
        return;
    if (holdsToolButtons(container)) {
        const QList<QToolButton *> buttons = d->toolButtons;
        for (QToolButton *b : buttons) {
            if (b->parentWidget() != container)
                continue;
            d->toolButtons.removeAll(b);
            disconnect(b, &QObject::destroyed, this, &YMRAction::objectDestroyed);
            d->deleteToolButton(b);
        }
    } else if (auto *menu = qobject_cast<PopupMenu *>(container)) {
        disconnect(menu, &QObject::destroyed, this, &YMRAction::objectDestroyed);
        for (int i = d->menus.size() - 1; i >= 0; --i) {
            if (d->menus.at(i).menu == menu) {
                menu->removeItem(d->menus.at(i).id);
                d->menus.removeAt(i);
            }
        }
    } else if (auto *b = qobject_cast<QPushButton *>(container)) {
        if (d->pushButtons.removeAll(b)) {
            disconnect(b, &QAbstractButton::clicked, this, &YMRAction::activated);
            disconnect(b, &QAbstractButton::toggled, this, &YMRAction::buttonToggled);
            disconnect(b, &QObject::destroyed, this, &YMRAction::objectDestroyed);
        }
    }
}

void YMRAction::watchButton(QAbstractButton *b)
{
    connect(b, &QAbstractButton::clicked, this, &YMRAction::activated);
    connect(b, &QAbstractButton::toggled, this, &YMRAction::buttonToggled);
    connect(b, &QObject::destroyed, this, &YMRAction::objectDestroyed);
}

void YMRAction::addedTo(QWidget *, QWidget *)
{
}

void YMRAction::internalActivation()
{
    if (d->toggle)
        setOn(!d->on);
    emit activated();
}

void YMRAction::buttonToggled(bool on)
{
    if (d->toggle)
        setOn(on);
}

void YMRAction::objectDestroyed()
{
    // the sender is being destroyed: compare addresses only
    const QObject *s = sender();
    if (!d || !s)
        return;
    for (int i = d->menus.size() - 1; i >= 0; --i) {
        if (static_cast<QObject *>(d->menus.at(i).menu) == s)
            d->menus.removeAt(i);
    }
    for (int i = d->toolButtons.size() - 1; i >= 0; --i) {
        QToolButton *b = d->toolButtons.at(i);
        if (static_cast<QObject *>(b) == s) {
            d->toolButtons.removeAt(i);
            d->toolBarEntries.remove(b);
        }
    }
    for (int i = d->pushButtons.size() - 1; i >= 0; --i) {
        if (static_cast<QObject *>(d->pushButtons.at(i)) == s)
            d->pushButtons.removeAt(i);
    }
}

YMRAction *YMRAction::createAction(QObject *parent, const char *name, const char *iconName,
                                   QObject *receiver, const char *slot, bool toggle,
                                   const QString &text)
{
    auto *a = new YMRAction(parent, name, false);
    a->setText(text, false);
    if (iconName)
        a->setIconSet(YMRResource::loadIconSet(iconName));
    a->setToggleAction(toggle);
    if (receiver && slot)
        connect(a, SIGNAL(activated()), receiver, slot);
    return a;
}

QObject *YMRAction::findAction(QObject *parent, const char *name)
{
    if (!parent || !name)
        return nullptr;
    return parent->findChild<YMRAction *>(QLatin1String(name));
}

void YMRAction::addSeparator(QWidget *container)
{
    if (!container)
        return;
    if (auto *bar = qobject_cast<QToolBar *>(container)) {
        bar->addSeparator();
    } else if (auto *menu = qobject_cast<PopupMenu *>(container)) {
        menu->insertSeparator();
    } else if (container->inherits("HBox") || container->inherits("VBox")) {
        const bool across = container->inherits("HBox");
        auto *line = new QFrame(container);
        line->setFrameShape(across ? QFrame::VLine : QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        const int size = YMRApplication::isQVGAScreen() ? 6 : 12;
        if (across)
            line->setFixedWidth(size);
        else
            line->setFixedHeight(size);
        if (container->isVisible())
            line->show();
    }
}
