#include "renamedialog.h"

#include "qpe/qpeapplication.h"
#include "ymrpushbutton.h"
#include "ymrresource.h"

#include <QLabel>
#include <QLineEdit>

RenameDialog::RenameDialog(QWidget *parent, const char *name)
    : RenameDialogBase(parent, name, true)
{
    btnCancel->setIconSet(YMRResource::loadIconSet(QStringLiteral("button_cancel")));
    btnOk->setIconSet(YMRResource::loadIconSet(QStringLiteral("button_ok")));
    icon->setPixmap(YMRResource::loadPixmap(QStringLiteral("rename2")));
    const QRect screen = QPEApplication::screenRect();
    setFixedSize(qMin(screen.width(), screen.height()) - 20, sizeHint().height());
}

RenameDialog::~RenameDialog() = default;

QString RenameDialog::getText(const QString &oldText)
{
    fname1->setText(oldText);
    fname->setText(oldText);
    fname->setFocus();
    fname->selectAll();
    QPEApplication::centerOnScreen(this);
    if (exec() != Accepted)
        return QString();
    // an empty answer is still an answer, never the null string of Cancel
    const QString text = fname->text();
    return text.isNull() ? QStringLiteral("") : text;
}
