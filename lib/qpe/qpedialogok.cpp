#include "qpedialogok.h"

#include <QDialog>
#include <QEvent>
#include <QHBoxLayout>
#include <QToolButton>

namespace {
const char StripName[] = "qpe_dialog_ok";
}

QpeDialogOk *QpeDialogOk::find(const QDialog *dialog)
{
    if (!dialog)
        return nullptr;
    return dialog->findChild<QpeDialogOk *>(QLatin1String(StripName), Qt::FindDirectChildrenOnly);
}

QpeDialogOk *QpeDialogOk::attach(QDialog *dialog)
{
    if (!dialog)
        return nullptr;
    if (QpeDialogOk *strip = find(dialog))
        return strip;
    return new QpeDialogOk(dialog);
}

QpeDialogOk::QpeDialogOk(QDialog *dialog)
    : QWidget(dialog), m_dialog(dialog)
{
    setObjectName(QLatin1String(StripName));
    setBackgroundRole(QPalette::Mid);
    setAutoFillBackground(true);

    // a tool button: a push button in a dialog would become its default
    // button and take the Return key
    m_ok = new QToolButton(this);
    m_ok->setObjectName(QStringLiteral("qpe_ok"));
    m_ok->setText(tr("OK"));
    m_ok->setFocusPolicy(Qt::NoFocus);
    m_ok->setAutoRaise(true);
    connect(m_ok, &QToolButton::clicked, dialog, &QDialog::accept);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(2, 1, 2, 1);
    row->addStretch(1);
    row->addWidget(m_ok);

    // room above whatever layout the dialog has
    QMargins m = dialog->contentsMargins();
    m.setTop(m.top() + sizeHint().height());
    dialog->setContentsMargins(m);
    dialog->installEventFilter(this);
    place();
    show();
}

void QpeDialogOk::place()
{
    setGeometry(0, 0, m_dialog->width(), sizeHint().height());
    raise();
}

bool QpeDialogOk::eventFilter(QObject *o, QEvent *e)
{
    if (o == m_dialog && (e->type() == QEvent::Resize || e->type() == QEvent::Show
                          || e->type() == QEvent::ChildAdded))
        place();
    return QWidget::eventFilter(o, e);
}
