#include "boxframe.h"

#include <QChildEvent>

BoxFrame::BoxFrame(QBoxLayout::Direction direction, QWidget *parent, const char *name,
                   Qt::WindowFlags f)
    : QFrame(parent, f)
    , m_layout(new QBoxLayout(direction, this))
{
    setObjectName(QLatin1String(name));
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
}

void BoxFrame::setSpacing(int space)
{
    m_layout->setSpacing(space);
}

int BoxFrame::spacing() const
{
    return m_layout->spacing();
}

void BoxFrame::setMargin(int margin)
{
    m_layout->setContentsMargins(margin, margin, margin, margin);
}

bool BoxFrame::setStretchFactor(QWidget *w, int stretch)
{
    return m_layout->setStretchFactor(w, stretch);
}

void BoxFrame::childEvent(QChildEvent *e)
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
