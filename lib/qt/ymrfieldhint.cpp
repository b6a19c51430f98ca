#include "ymrfieldhint.h"

#include "qpe/qpeapplication.h"

#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QWidget>

void YMRFieldHint::show(QWidget *field, const QString &text, const QString &name)
{
    if (!field)
        return;
    // owned by the field, so that it goes with it
    auto *hint = field->findChild<QLabel *>(name, Qt::FindDirectChildrenOnly);
    if (!hint) {
        hint = new QLabel(field, Qt::ToolTip);
        hint->setObjectName(name);
        hint->setAttribute(Qt::WA_ShowWithoutActivating);
        hint->setForegroundRole(QPalette::ToolTipText);
        hint->setBackgroundRole(QPalette::ToolTipBase);
        hint->setAutoFillBackground(true);
        hint->setFrameStyle(QFrame::Box | QFrame::Plain);
        hint->setMargin(2);
        auto *timer = new QTimer(hint);
        timer->setSingleShot(true);
        timer->setInterval(4000);
        QObject::connect(timer, &QTimer::timeout, hint, &QWidget::hide);
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
    hint->show();
    hint->raise();
    hint->findChild<QTimer *>()->start();
}
