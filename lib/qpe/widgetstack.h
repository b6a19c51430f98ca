#ifndef WIDGETSTACK_H
#define WIDGETSTACK_H

#include <QHash>
#include <QStackedWidget>

// A stack of widgets named by int ids, one of them raised at a time.
class WidgetStack : public QStackedWidget
{
    Q_OBJECT
public:
    explicit WidgetStack(QWidget *parent = nullptr, const char *name = nullptr);
    ~WidgetStack() override;

    // Adds w under id (w becomes a child of the stack); an id in use is
    // taken over by w.
    void addWidget(QWidget *w, int id);
    // Takes w out of the stack without deleting it; w stays a child. The
    // pointer is only compared, so a widget being destroyed may be passed.
    void removeWidget(QWidget *w);
    void raiseWidget(int id);
    void raiseWidget(QWidget *w);

    QWidget *widget(int id) const;
    // The id of w, -1 when w is not in the stack.
    int id(QWidget *w) const;
    QWidget *visibleWidget() const { return currentWidget(); }

private:
    QHash<int, QWidget *> m_widgets;
};

#endif
