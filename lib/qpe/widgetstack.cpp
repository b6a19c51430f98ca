#include "widgetstack.h"

WidgetStack::WidgetStack(QWidget *parent, const char *name)
    : QStackedWidget(parent)
{
    setObjectName(QLatin1String(name));
}

WidgetStack::~WidgetStack() = default;

void WidgetStack::addWidget(QWidget *w, int id)
{
    if (!w)
        return;
    const int old = this->id(w);
    if (old != -1)
        m_widgets.remove(old);
    if (QWidget *previous = m_widgets.value(id))
        removeWidget(previous);
    m_widgets.insert(id, w);
    if (indexOf(w) == -1)
        QStackedWidget::addWidget(w);
}

void WidgetStack::removeWidget(QWidget *w)
{
    const int i = id(w);
    if (i != -1)
        m_widgets.remove(i);
    // the layout compares pointers only and skips a widget already gone
    QStackedWidget::removeWidget(w);
}

void WidgetStack::raiseWidget(int id)
{
    if (QWidget *w = m_widgets.value(id))
        setCurrentWidget(w);
}

void WidgetStack::raiseWidget(QWidget *w)
{
    if (id(w) != -1)
        setCurrentWidget(w);
}

QWidget *WidgetStack::widget(int id) const
{
    return m_widgets.value(id);
}

int WidgetStack::id(QWidget *w) const
{
    if (!w)
        return -1;
    for (auto it = m_widgets.cbegin(); it != m_widgets.cend(); ++it) {
        if (it.value() == w)
            return it.key();
    }
    return -1;
}
