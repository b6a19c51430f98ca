#include "pimtextedit.h"

#include "ymrpim.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>

PIMTextEdit::PIMTextEdit(QWidget *parent)
    : QPlainTextEdit(parent)
{
}

bool PIMTextEdit::holdsBar(const QMimeData *source)
{
    const QChar bar(QLatin1Char('|'));
    return source && (source->text().contains(bar) || source->html().contains(bar));
}

void PIMTextEdit::keyPressEvent(QKeyEvent *e)
{
    if (e->text().contains(QLatin1Char('|'))) {
        e->accept();
        YMRPIM::tellBarRefused(this);
        return;
    }
    QPlainTextEdit::keyPressEvent(e);
}

void PIMTextEdit::inputMethodEvent(QInputMethodEvent *e)
{
    if (!e->commitString().contains(QLatin1Char('|'))) {
        QPlainTextEdit::inputMethodEvent(e);
        return;
    }
    // the composition still ends; only its text is dropped
    QInputMethodEvent dropped(e->preeditString(), e->attributes());
    dropped.setCommitString(QString(), e->replacementStart(), e->replacementLength());
    QPlainTextEdit::inputMethodEvent(&dropped);
    e->accept();
    YMRPIM::tellBarRefused(this);
}

void PIMTextEdit::insertFromMimeData(const QMimeData *source)
{
    // a paste, middle-click or drop is taken whole or not at all
    if (holdsBar(source)) {
        YMRPIM::tellBarRefused(this);
        return;
    }
    QPlainTextEdit::insertFromMimeData(source);
}
