#include "ymrfieldhint.h"

#include "qpe/qpeapplication.h"

#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QWidget>

YMRFieldHint::YMRFieldHint(QWidget *field)
    : QLabel(field, Qt::ToolTip | Qt::WindowTransparentForInput)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setForegroundRole(QPalette::ToolTipText);
    setBackgroundRole(QPalette::ToolTipBase);
    setAutoFillBackground(true);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setMargin(2);
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    m_timer->setInterval(4000);
    connect(m_timer, &QTimer::timeout, this, &QWidget::hide);
    // a window of its own, which its field's hiding leaves up
    field->installEventFilter(this);
}

bool YMRFieldHint::eventFilter(QObject *o, QEvent *e)
{
    if (o == parent()) {
        const bool gone = e->type() == QEvent::Hide
                          || (e->type() == QEvent::EnabledChange && !parentWidget()->isEnabled());
        if (gone)
            hide();
    }
    return QLabel::eventFilter(o, e);
}

void YMRFieldHint::show(QWidget *field, const QString &text, const QString &name)
{
    if (!field)
        return;
    // owned by the field, so that it goes with it
    auto *hint = field->findChild<YMRFieldHint *>(name, Qt::FindDirectChildrenOnly);
    if (!hint) {
        hint = new YMRFieldHint(field);
        hint->setObjectName(name);
    }
    // within the (emulated) handheld's screen, as much of it as is shown
    const QScreen *screen = field->screen();
    const QRect shown = screen ? screen->availableGeometry() : QRect();
    QRect room = QPEApplication::screenRect().intersected(shown);
    if (room.isEmpty())
        room = shown;
    hint->setText(text);
    hint->setMinimumSize(0, 0);
    hint->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    hint->setWordWrap(false);
    hint->adjustSize();
    // a text wider than a small screen breaks into lines across it
    if (room.isValid() && hint->width() > room.width()) {
        hint->setWordWrap(true);
        hint->setFixedSize(room.width(), hint->heightForWidth(room.width()));
    }
    // above the line typed in, which the next keys continue below
    const QRect at = field->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    QPoint pos = field->mapToGlobal(at.isValid() ? at.topLeft() : QPoint(0, 0))
                 - QPoint(0, hint->height() + 2);
    if (room.isValid()) {
        pos.setX(qBound(room.left(), pos.x(), qMax(room.left(), room.right() - hint->width())));
        pos.setY(qBound(room.top(), pos.y(), qMax(room.top(), room.bottom() - hint->height())));
    }
    hint->move(pos);
    hint->QWidget::show();
    hint->raise();
    hint->m_timer->start();
}
