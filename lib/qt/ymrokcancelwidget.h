#ifndef YMROKCANCELWIDGET_H
#define YMROKCANCELWIDGET_H

#include <QWidget>

class YMRPushButton;

// The "Ok" and "Cancel" strip at the foot of the program's dialogs; the
// parent must be the dialog it serves.
class YMROkCancelWidget : public QWidget
{
    Q_OBJECT
public:
    explicit YMROkCancelWidget(QWidget *parent, const char *name = nullptr);

    YMRPushButton *okButton() const { return m_ok; }
    YMRPushButton *cancelButton() const { return m_cancel; }

private:
    YMRPushButton *m_ok;
    YMRPushButton *m_cancel;
};

#endif
