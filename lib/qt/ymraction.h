#ifndef YMRACTION_H
#define YMRACTION_H

#include <QIcon>
#include <QObject>

class QAbstractButton;
class YMRActionPrivate;

// One user command: text, icon set, enabled and (for toggle actions) on
// state. It puts itself into menus, tool bars, boxes and push buttons and
// keeps all of them in step with its state.
class YMRAction : public QObject
{
    Q_OBJECT
public:
    explicit YMRAction(QObject *parent = nullptr, const char *name = nullptr, bool toggle = false);
    ~YMRAction() override;

    virtual void setText(const QString &text, bool onButtons = false);
    QString text() const;
    virtual void setIconSet(const QIcon &icon);
    // Null while the action has no icon set.
    const QIcon *iconSet() const;
    virtual void setToggleAction(bool toggle);
    bool isToggleAction() const;
    bool isOn() const;
    bool isEnabled() const;

    // Menus (PopupMenu), tool bars, HBox, VBox and push buttons; any other
    // container is ignored.
    virtual void addTo(QWidget *container);
    virtual void removeFrom(QWidget *container);

    static YMRAction *createAction(QObject *parent, const char *name, const char *iconName,
                                   QObject *receiver, const char *slot, bool toggle,
                                   const QString &text);
    static QObject *findAction(QObject *parent, const char *name);
    static void addSeparator(QWidget *container);

public slots:
    virtual void toggle();
    virtual void setOn(bool on);
    virtual void setEnabled(bool enable);

protected:
    // Called after a tool button was made for a container, or a push
    // button adopted (container null).
    virtual void addedTo(QWidget *actionWidget, QWidget *container);

protected slots:
    void internalActivation();
    void buttonToggled(bool on);
    void objectDestroyed();

signals:
    void activated();
    void toggled(bool on);

private:
    // clicked(), toggled() and destroyed() of a button made or adopted
    void watchButton(QAbstractButton *b);

    friend class YMRActionPrivate;
    YMRActionPrivate *d;
};

#endif
