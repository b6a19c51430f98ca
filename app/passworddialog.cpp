#include "passworddialog.h"

#include "pim/dbmanager.h"
#include "pim/dbrecord.h"
#include "pim/ymrpim.h"
#include "qpe/qpeapplication.h"
#include "qt/ymrdialog.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

PasswordDialog::PasswordDialog(bool confirm, QWidget *parent, const char *name)
    : PasswordDialogBase(parent, name, true)
    , m_confirm(confirm)
{
    btnCancel->setIconSet(YMRResource::loadIconSet(QStringLiteral("button_cancel")));
    btnOk->setIconSet(YMRResource::loadIconSet(QStringLiteral("button_ok")));
    btnMask->setIconSet(YMRResource::loadIconSet(QStringLiteral("lock")));
    if (m_confirm) {
        icon->setPixmap(YMRResource::loadPixmap(QStringLiteral("lock2")));
    } else {
        p2->hide();
        icon->hide();
    }
    fitButtons(QPEApplication::screenRect().width() - 20);
    setFixedSize(QPEApplication::screenRect().width() - 20, sizeHint().height());
    btnMask->setOn(true);
    maskChanged();
    // a pasted line break shows as a blank: it is stored as one, so that
    // the password shown is the password typed at the next open
    YMRPIM::keepOneLine(p1, "PWD=");
    YMRPIM::keepOneLine(p2, "PWD=");
}

PasswordDialog::~PasswordDialog() = default;

void PasswordDialog::fitButtons(int width)
{
    QGridLayout *grid = PasswordDialogBaseLayout;
    const QMargins m = grid->contentsMargins();
    if (Layout1->minimumSize().width() + m.left() + m.right() <= width)
        return;
    const int index = grid->indexOf(Layout1);
    int row, column, rows, columns;
    grid->getItemPosition(index, &row, &column, &rows, &columns);
    grid->takeAt(index);
    Layout1->removeWidget(btnMask);
    grid->addWidget(btnMask, row, column, 1, columns, Qt::AlignLeft);
    grid->addLayout(Layout1, row + 1, column, 1, columns);
}

void PasswordDialog::maskChanged()
{
    const QLineEdit::EchoMode mode = btnMask->isOn() ? QLineEdit::Password : QLineEdit::Normal;
    p1->setEchoMode(mode);
    p2->setEchoMode(mode);
}

QString PasswordDialog::getPassword()
{
    for (;;) {
        p1->clear();
        p2->clear();
        p1->setFocus();
        QPEApplication::centerOnScreen(this);
        if (exec() != QDialog::Accepted)
            return QString();
        if (!m_confirm || p1->text() == p2->text())
            return p1->text();
        YMRDialog::critical(windowTitle(), tr("Passwords do not match."));
    }
}

bool PasswordDialog::matches(const QString &typed, const QString &stored)
{
    if (typed.isNull())
        return false;
    if (typed == stored || typed == YMRPIM::encodeValue(stored))
        return true;
    // a line break pasted before line breaks became blanks was shown as one
    return stored.contains(QLatin1Char('\n'))
           && typed == QString(stored).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

bool PasswordDialog::checkBook(DBRecord *record)
{
    PasswordDialog dialog(false, QPEApplication::dialogParent());
    if (PasswordDialog::matches(dialog.getPassword(), record->password()))
        return true;
    YMRDialog::critical(DBManager::tr("Invalid password"), DBManager::tr("Access denied."));
    return false;
}
