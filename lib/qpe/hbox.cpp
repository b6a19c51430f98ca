#include "hbox.h"

#include <QChildEvent>
#include <QHBoxLayout>

HBox::HBox(QWidget *parent, const char *name, Qt::WindowFlags f)
    : QFrame(parent, f)
    , m_layout(new QHBoxLayout(this))
{
    setObjectName(QLatin1String(name));
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
}

void HBox::setSpacing(int space)
{
    m_layout->setSpacing(space);
}

int HBox::spacing() const
{
    return m_layout->spacing();
}

void HBox::setMargin(int margin)
{
    m_layout->setContentsMargins(margin, margin, margin, margin);
}

bool HBox::setStretchFactor(QWidget *w, int stretch)
{
    return m_layout->setStretchFactor(w, stretch);
}

void HBox::childEvent(QChildEvent *e)
{
    // The child is announced from QObject's part of its constructor; the
    // layout only keeps the pointer and asks for sizes later.
    if (e->added() && e->child()->isWidgetType()) {
        auto *w = static_cast<QWidget *>(e->child());
        if (!w->isWindow() && m_layout->indexOf(w) < 0)
            m_layout->addWidget(w);
    }
    QFrame::childEvent(e);
}
