#include "enterstringdialog.h"

#include "qpe/qpeapplication.h"
#include "ymrpushbutton.h"
#include "ymrresource.h"

#include <QLineEdit>

EnterStringDialog::EnterStringDialog(const QString &caption, QWidget *parent, const char *name)
    : EnterStringDialogBase(parent, name, true)
{
    setWindowTitle(caption + QStringLiteral(" ..."));
    btnCancel->setIconSet(YMRResource::loadIconSet(QStringLiteral("button_cancel")));
    btnOk->setIconSet(YMRResource::loadIconSet(QStringLiteral("button_ok")));
}

EnterStringDialog::~EnterStringDialog() = default;

QString EnterStringDialog::getText(const QString &initialText, bool *rejected)
{
    fname->setText(initialText);
    fname->setFocus();
    fname->selectAll();
    const QRect screen = QPEApplication::screenRect();
    setFixedSize(qMin(screen.width(), screen.height()) - 20, sizeHint().height());
    QPEApplication::centerOnScreen(this);
    const bool accepted = exec() == Accepted;
    if (rejected)
        *rejected = !accepted;
    // Cancel gives the null string: callers tell it from an empty answer
    if (!accepted)
        return QString();
    const QString text = fname->text();
    return text.isNull() ? QStringLiteral("") : text;
}
