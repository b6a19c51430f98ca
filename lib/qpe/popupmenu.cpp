#include "popupmenu.h"
#include "qpeapplication.h"

#include <QAction>
#include <QCursor>
#include <QMetaMethod>
#include <QWidgetAction>

namespace {

const char *const IdProperty = "popupmenu_id";

int nextAutomaticId()
{
    // shared by every menu, so an id names one item across menus
    static int next = -2;
    return next--;
}

} // namespace

PopupMenu::PopupMenu(QWidget *parent, const char *name)
    : QMenu(parent)
{
    setObjectName(QLatin1String(name));
    connect(this, &QMenu::triggered, this, &PopupMenu::onTriggered);
    connect(this, &QMenu::hovered, this, &PopupMenu::onHovered);
    connect(this, &QMenu::aboutToShow, this, &PopupMenu::fitScreen);
}

PopupMenu::~PopupMenu() = default;

void PopupMenu::fitScreen()
{
    // A menu taller or wider than the screen takes a smaller font until it
    // fits; measured afresh each time (items change) in the font it inherits.
    if (m_shrunk)
        setFont(QFont());
    m_shrunk = false;
    const QSize screen = QPEApplication::screenRect().size();
    QFont f = font();
    while (screen.expandedTo(sizeHint()) != screen && f.pointSizeF() > 6) {
        f.setPointSizeF(f.pointSizeF() - 0.5);
        setFont(f);
        m_shrunk = true;
    }
}

int PopupMenu::idOf(const QAction *action)
{
    if (!action)
        return -1;
    const QVariant v = action->property(IdProperty);
    return v.isValid() ? v.toInt() : -1;
}

int PopupMenu::insertAction_(QAction *a, int id, int index)
{
    if (id == -1)
        id = nextAutomaticId();
    if (m_items.contains(id))
        removeItem(id);
    a->setProperty(IdProperty, id);
    m_items.insert(id, a);
    const QList<QAction *> acts = actions();
    if (index < 0 || index >= acts.size())
        addAction(a);
    else
        insertAction(acts.at(index), a);
    if (a->parent() == this && !a->isSeparator()) {
        // QAction flips a checkable item by itself; the mark is ours to set
        connect(a, &QAction::toggled, this, [this, a](bool on) {
            const bool want = m_checked.value(idOf(a), false);
            if (on != want)
                a->setChecked(want);
        });
    }
    return id;
}

int PopupMenu::insertItem(const QString &text, int id, int index)
{
    return insertAction_(new QAction(text, this), id, index);
}

int PopupMenu::insertItem(const QIcon &icon, const QString &text, int id, int index)
{
    return insertAction_(new QAction(icon, text, this), id, index);
}

int PopupMenu::insertItem(const QString &text, const QObject *receiver, const char *member,
                          const QKeySequence &accel, int id, int index)
{
    return insertItem(QIcon(), text, receiver, member, accel, id, index);
}

int PopupMenu::insertItem(const QIcon &icon, const QString &text, const QObject *receiver,
                          const char *member, const QKeySequence &accel, int id, int index)
{
    auto *a = new QAction(icon, text, this);
    a->setShortcut(accel);
    const int res = insertAction_(a, id, index);
    if (receiver && member)
        connectItem(res, receiver, member);
    return res;
}

int PopupMenu::insertItem(const QString &text, QMenu *popup, int id, int index)
{
    return insertItem(QIcon(), text, popup, id, index);
}

int PopupMenu::insertItem(const QIcon &icon, const QString &text, QMenu *popup, int id,
                          int index)
{
    if (!popup)
        return insertItem(icon, text, id, index);
    QAction *a = popup->menuAction();
    a->setText(text);
    a->setIcon(icon);
    return insertAction_(a, id, index);
}

int PopupMenu::insertItem(QWidget *widget, int id, int index)
{
    auto *a = new QWidgetAction(this);
    a->setDefaultWidget(widget);
    return insertAction_(a, id, index);
}

int PopupMenu::insertSeparator(int index)
{
    auto *a = new QAction(this);
    a->setSeparator(true);
    return insertAction_(a, -1, index);
}

void PopupMenu::removeItem(int id)
{
    QAction *a = m_items.take(id);
    if (!a)
        return;
    for (auto it = m_connections.find(id); it != m_connections.end() && it.key() == id; ++it)
        QObject::disconnect(it->connection);
    m_connections.remove(id);
    m_checked.remove(id);
    removeAction(a);
    a->setProperty(IdProperty, QVariant());
    if (a->parent() == this)
        delete a;
}

void PopupMenu::removeItemAt(int index)
{
    const QList<QAction *> acts = actions();
    if (index < 0 || index >= acts.size())
        return;
    const int id = idOf(acts.at(index));
    if (m_items.value(id) == acts.at(index))
        removeItem(id);
    else
        removeAction(acts.at(index));
}

void PopupMenu::clear()
{
    const QList<int> ids = m_items.keys();
    for (int id : ids)
        removeItem(id);
    QMenu::clear();
}

QAction *PopupMenu::itemAction(int id) const
{
    return m_items.value(id, nullptr);
}

void PopupMenu::changeItem(int id, const QString &text)
{
    if (QAction *a = itemAction(id))
        a->setText(text);
}

void PopupMenu::changeItem(int id, const QIcon &icon, const QString &text)
{
    if (QAction *a = itemAction(id)) {
        a->setIcon(icon);
        a->setText(text);
    }
}

QString PopupMenu::text(int id) const
{
    QAction *a = itemAction(id);
    return a ? a->text() : QString();
}

QIcon PopupMenu::iconSet(int id) const
{
    QAction *a = itemAction(id);
    return a ? a->icon() : QIcon();
}

void PopupMenu::setItemChecked(int id, bool check)
{
    QAction *a = itemAction(id);
    if (!a || a->isSeparator())
        return;
    m_checked.insert(id, check);
    if (check)
        m_checkable = true;
    a->setCheckable(true);
    a->setChecked(check);
}

bool PopupMenu::isItemChecked(int id) const
{
    return itemAction(id) && m_checked.value(id, false);
}

void PopupMenu::setItemEnabled(int id, bool enable)
{
    if (QAction *a = itemAction(id))
        a->setEnabled(enable);
}

bool PopupMenu::isItemEnabled(int id) const
{
    QAction *a = itemAction(id);
    return a && a->isEnabled();
}

bool PopupMenu::connectItem(int id, const QObject *receiver, const char *member)
{
    QAction *a = itemAction(id);
    if (!a || !receiver || !member || !*member)
        return false;
    // member comes from SLOT() or SIGNAL(): a code digit, then the signature
    const QByteArray sig = QMetaObject::normalizedSignature(member + 1);
    const QMetaObject *mo = receiver->metaObject();
    const int idx = mo->indexOfMethod(sig.constData());
    if (idx < 0) {
        qWarning("PopupMenu::connectItem: no such method %s::%s", mo->className(),
                 sig.constData());
        return false;
    }
    const QMetaMethod method = mo->method(idx);
    const bool takesId = method.parameterCount() == 1 && method.parameterType(0) == QMetaType::Int;
    if (method.parameterCount() > 0 && !takesId) {
        qWarning("PopupMenu::connectItem: %s takes arguments other than the id",
                 sig.constData());
        return false;
    }
    auto *r = const_cast<QObject *>(receiver);
    ItemConnection c;
    c.receiver = receiver;
    c.member = sig;
    c.connection = connect(a, &QAction::triggered, r, [r, method, takesId, id]() {
        if (takesId)
            method.invoke(r, Qt::DirectConnection, Q_ARG(int, id));
        else
            method.invoke(r, Qt::DirectConnection);
    });
    m_connections.insert(id, c);
    return true;
}

bool PopupMenu::disconnectItem(int id, const QObject *receiver, const char *member)
{
    if (!member || !*member)
        return false;
    const QByteArray sig = QMetaObject::normalizedSignature(member + 1);
    for (auto it = m_connections.find(id); it != m_connections.end() && it.key() == id; ++it) {
        if (it->receiver == receiver && it->member == sig) {
            QObject::disconnect(it->connection);
            m_connections.erase(it);
            return true;
        }
    }
    return false;
}

int PopupMenu::count() const
{
    return actions().size();
}

int PopupMenu::idAt(int index) const
{
    return idOf(actions().value(index, nullptr));
}

int PopupMenu::indexOf(int id) const
{
    QAction *a = itemAction(id);
    return a ? actions().indexOf(a) : -1;
}

int PopupMenu::exec(const QPoint &pos, int indexAtPoint)
{
    QAction *at = actions().value(indexAtPoint, nullptr);
    return idOf(QMenu::exec(placeAt(pos), at));
}

int PopupMenu::exec()
{
    return exec(QCursor::pos());
}

void PopupMenu::popup(const QPoint &pos, int indexAtPoint)
{
    QMenu::popup(placeAt(pos), actions().value(indexAtPoint, nullptr));
}

QPoint PopupMenu::placeAt(const QPoint &pos) const
{
    // at the point, or above it where there is no room below
    return QPEApplication::popupGeometry(QRect(pos, QSize(0, 0)), sizeHint()).topLeft();
}

void PopupMenu::popupUnder(const QWidget *w)
{
    const QRect at(w->mapToGlobal(QPoint(0, 0)), w->size());
    QMenu::popup(QPEApplication::popupGeometry(at, sizeHint()).topLeft(),
                 actions().value(0, nullptr));
}

void PopupMenu::showEvent(QShowEvent *e)
{
    QMenu::showEvent(e);
    // also where Qt placed it (a tool button's menu, a sub-menu)
    const QRect r = QPEApplication::popupGeometry(QRect(pos(), QSize(0, 0)), size());
    if (r.topLeft() != pos())
        move(r.topLeft());
}

void PopupMenu::onTriggered(QAction *a)
{
    const int id = idOf(a);
    if (id != -1 && m_items.value(id) == a)
        emit activated(id);
}

void PopupMenu::onHovered(QAction *a)
{
    const int id = idOf(a);
    if (id != -1 && m_items.value(id) == a)
        emit highlighted(id);
}
