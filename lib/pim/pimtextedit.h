#ifndef PIMTEXTEDIT_H
#define PIMTEXTEDIT_H

#include <QPlainTextEdit>

// A multi-line field of a text stored in a record file, where a "|" reads
// back as a line break. A "|" is refused before it reaches the document
// (typed, composed, pasted or dropped; a paste or drop whole) with a hint
// that leaves the keyboard to the field, so undo and redo never meet it.
class PIMTextEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit PIMTextEdit(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void inputMethodEvent(QInputMethodEvent *e) override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    static bool holdsBar(const QMimeData *source);
};

#endif
