#ifndef POPUPMENU_H
#define POPUPMENU_H

#include <QHash>
#include <QIcon>
#include <QKeySequence>
#include <QMenu>

class QAction;

// A menu whose items are addressed by integer ids. An item inserted
// without an id gets a fresh negative one (never -1, which stands for
// "none"); an id already in the menu replaces that item. Check marks only
// change when the program sets them; choosing an item does not flip its mark.
class PopupMenu : public QMenu
{
    Q_OBJECT
public:
    explicit PopupMenu(QWidget *parent = nullptr, const char *name = nullptr);
    ~PopupMenu() override;

    int insertItem(const QString &text, int id = -1, int index = -1);
    int insertItem(const QIcon &icon, const QString &text, int id = -1, int index = -1);
    // The member may take the item's id as an int argument.
    int insertItem(const QString &text, const QObject *receiver, const char *member,
                   const QKeySequence &accel = QKeySequence(), int id = -1, int index = -1);
    int insertItem(const QIcon &icon, const QString &text, const QObject *receiver,
                   const char *member, const QKeySequence &accel = QKeySequence(),
                   int id = -1, int index = -1);
    // A sub-menu item; the menu stays owned by its own parent.
    int insertItem(const QString &text, QMenu *popup, int id = -1, int index = -1);
    int insertItem(const QIcon &icon, const QString &text, QMenu *popup, int id = -1,
                   int index = -1);
    // A widget shown as the item; the menu takes it over.
    int insertItem(QWidget *widget, int id = -1, int index = -1);
    int insertSeparator(int index = -1);

    void removeItem(int id);
    void removeItemAt(int index);
    void clear();

    void changeItem(int id, const QString &text);
    void changeItem(int id, const QIcon &icon, const QString &text);
    QString text(int id) const;
    QIcon iconSet(int id) const;

    void setCheckable(bool on) { m_checkable = on; }
    bool isCheckable() const { return m_checkable; }
    void setItemChecked(int id, bool check);
    bool isItemChecked(int id) const;
    void setItemEnabled(int id, bool enable);
    bool isItemEnabled(int id) const;

    bool connectItem(int id, const QObject *receiver, const char *member);
    bool disconnectItem(int id, const QObject *receiver, const char *member);

    int count() const;
    int idAt(int index) const;
    int indexOf(int id) const;
    bool findItem(int id) const { return itemAction(id) != nullptr; }
    QAction *itemAction(int id) const;

    // Runs the menu modally; the chosen item's id, -1 when none was chosen.
    int exec(const QPoint &pos, int indexAtPoint = 0);
    int exec();
    void popup(const QPoint &pos, int indexAtPoint = 0);
    // Opens below the widget (above it when only there it fits).
    void popupUnder(const QWidget *w);

    // The id carried by an item of any PopupMenu, -1 for other actions.
    static int idOf(const QAction *action);

signals:
    void activated(int id);
    void highlighted(int id);

protected:
    // Wherever it was asked to open (a point, a tool button), the menu stays
    // on the emulated screen.
    void showEvent(QShowEvent *e) override;

private:
    QPoint placeAt(const QPoint &pos) const;
    int insertAction_(QAction *a, int id, int index);
    void onTriggered(QAction *a);
    void onHovered(QAction *a);
    void fitScreen();

    struct ItemConnection {
        const QObject *receiver;
        QByteArray member;
        QMetaObject::Connection connection;
    };
    QHash<int, QAction *> m_items;
    QHash<int, bool> m_checked;
    QMultiHash<int, ItemConnection> m_connections;
    bool m_checkable = false;
    bool m_shrunk = false;
};

#endif
