#ifndef QPEDIALOGOK_H
#define QPEDIALOGOK_H

#include <QWidget>

class QDialog;
class QToolButton;

// The device's title bar carries an OK that accepts the dialog in front; a
// desktop window has none. This strip stands in for it: a row with "OK"
// above the dialog's own contents, kept out of the dialog's layout (the
// dialog's top contents margin makes room for it).
class QpeDialogOk : public QWidget
{
    Q_OBJECT
public:
    // Gives the dialog its strip; a dialog that has one keeps it.
    static QpeDialogOk *attach(QDialog *dialog);
    static QpeDialogOk *find(const QDialog *dialog);

    QToolButton *okButton() const { return m_ok; }

protected:
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    explicit QpeDialogOk(QDialog *dialog);
    void place();

    QDialog *m_dialog;
    QToolButton *m_ok;
};

#endif
