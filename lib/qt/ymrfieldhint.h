#ifndef YMRFIELDHINT_H
#define YMRFIELDHINT_H

#include <QLabel>

class QTimer;

// The short hint a field shows when it refuses what was typed: a small
// label above the line typed in, gone after a few seconds, that never
// takes the keyboard (a modal box would take the keys typed after the
// refused one) nor a click (the page under it has them), and goes as its
// field is hidden or disabled (another page, another record).
class YMRFieldHint : public QLabel
{
    Q_OBJECT
public:
    // The label is a child of the field named name, made on the first call
    // and reused by the next.
    static void show(QWidget *field, const QString &text, const QString &name);

protected:
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    explicit YMRFieldHint(QWidget *field);

    QTimer *m_timer = nullptr;
};

#endif
