#ifndef PIMTEXTEDIT_H
#define PIMTEXTEDIT_H

#include <QByteArray>
#include <QPlainTextEdit>

// A multi-line field of a text stored in a record file, where a "|" reads
// back as a line break and the whole text is one line after its key. A "|",
// and an input that would make that line longer than the record files'
// reader takes, are refused before they reach the document (typed,
// composed, pasted or dropped; a paste or drop whole) with a hint that
// leaves the keyboard to the field, so undo and redo never meet them. A
// longer text set from a record shows whole and can be shortened.
class PIMTextEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit PIMTextEdit(QWidget *parent = nullptr);

    // The key the text is written under; "DESC=", the longest key of the
    // descriptions, unless set.
    void setValueKey(const char *key) { m_key = key; }
    // The UTF-8 bytes the text may take.
    int maxLength() const;

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void inputMethodEvent(QInputMethodEvent *e) override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    static bool holdsBar(const QMimeData *source);
    // Whether the text, with inserted in place of the selection, still
    // fits; otherwise tells so.
    bool takes(const QString &inserted);

    QByteArray m_key = "DESC=";
};

#endif
