#include "pimtextedit.h"

#include "ymrpim.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>

PIMTextEdit::PIMTextEdit(QWidget *parent)
    : QPlainTextEdit(parent)
{
}

int PIMTextEdit::maxLength() const
{
    return YMRPIM::maxValueLength(m_key.constData());
}

bool PIMTextEdit::holdsBar(const QMimeData *source)
{
    const QChar bar(QLatin1Char('|'));
    return source && (source->text().contains(bar) || source->html().contains(bar));
}

bool PIMTextEdit::takes(const QString &inserted)
{
    const int limit = maxLength();
    const int adding = YMRPIM::utf8Length(inserted);
    // no character takes more than three bytes (a pair of surrogates four):
    // the exact count only near the limit
    const qint64 atMost = 3 * qint64(document()->characterCount());
    if (atMost + adding <= limit)
        return true;
    const QString text = toPlainText();
    const QTextCursor cursor = textCursor();
    const int from = qBound(0, cursor.selectionStart(), text.size());
    const int to = qBound(from, cursor.selectionEnd(), text.size());
    const qint64 before = YMRPIM::utf8Length(text);
    const qint64 after = before + adding - YMRPIM::utf8Length(text.constData() + from, to - from);
    // a text set longer than the limit can still lose characters
    if (after <= limit || after <= before)
        return true;
    YMRPIM::tellTooLong(this, limit, false);
    return false;
}

void PIMTextEdit::keyPressEvent(QKeyEvent *e)
{
    const QString text = e->text();
    if (text.contains(QLatin1Char('|'))) {
        e->accept();
        YMRPIM::tellBarRefused(this);
        return;
    }
    // a key that writes a character (not an editing or control key)
    const bool writes = !text.isEmpty() && !(e->modifiers() & Qt::ControlModifier)
                        && (text.at(0).isPrint() || text.at(0) == QLatin1Char('\t')
                            || text.at(0) == QLatin1Char('\r')
                            || text.at(0) == QLatin1Char('\n'));
    if (writes && !takes(text)) {
        e->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(e);
}

void PIMTextEdit::inputMethodEvent(QInputMethodEvent *e)
{
    const QString commit = e->commitString();
    const bool bar = commit.contains(QLatin1Char('|'));
    if (!bar && (commit.isEmpty() || takes(commit))) {
        QPlainTextEdit::inputMethodEvent(e);
        return;
    }
    // the composition still ends; only its text is dropped
    QInputMethodEvent dropped(e->preeditString(), e->attributes());
    dropped.setCommitString(QString(), e->replacementStart(), e->replacementLength());
    QPlainTextEdit::inputMethodEvent(&dropped);
    e->accept();
    if (bar)
        YMRPIM::tellBarRefused(this);
}

void PIMTextEdit::insertFromMimeData(const QMimeData *source)
{
    // a paste, middle-click or drop is taken whole or not at all
    if (holdsBar(source)) {
        YMRPIM::tellBarRefused(this);
        return;
    }
    if (source && source->hasText() && !takes(source->text()))
        return;
    QPlainTextEdit::insertFromMimeData(source);
}
