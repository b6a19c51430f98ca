#ifndef YMRSTRINGANSWER_H
#define YMRSTRINGANSWER_H

// Answers a one-line text dialog (fname, btnOk, btnCancel) as a user would:
// types `typed` over the selected text (a null string types nothing, an
// empty one deletes it), then closes it by `how`: "ok", "cancel", "escape"
// or, for anything else, Return.

#include <QString>
#include <QTest>

namespace ymrtest {

template <class Dialog>
void answerStringDialog(Dialog &dlg, const QString &typed, const QString &how)
{
    if (!typed.isNull()) {
        if (typed.isEmpty())
            QTest::keyClick(dlg.fname, Qt::Key_Delete);
        else
            QTest::keyClicks(dlg.fname, typed);
    }
    if (how == QLatin1String("ok"))
        dlg.btnOk->click();
    else if (how == QLatin1String("cancel"))
        dlg.btnCancel->click();
    else if (how == QLatin1String("escape"))
        QTest::keyClick(&dlg, Qt::Key_Escape);
    else
        QTest::keyClick(dlg.fname, Qt::Key_Return);
}

} // namespace ymrtest

#endif
