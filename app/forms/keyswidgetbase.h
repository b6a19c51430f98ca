#ifndef KEYSWIDGETBASE_H
#define KEYSWIDGETBASE_H

#include <QWidget>

class QButtonGroup;
class QFrame;
class QGridLayout;
class QGroupBox;
class QLabel;
class YMRPushButton;

// Form of the key bindings page: ten rows of a command's label and a toggle
// button that waits for the command's key.
class KeysWidgetBase : public QWidget
{
    Q_OBJECT
public:
    explicit KeysWidgetBase(QWidget *parent = nullptr, const char *name = nullptr,
                            Qt::WindowFlags fl = Qt::WindowFlags());
    ~KeysWidgetBase() override;

    // The frame of the rows; group holds their buttons, one switched on at a time.
    QGroupBox *panel;
    QButtonGroup *group;
    QLabel *l1, *l2, *l3, *l4, *l5, *l6, *l7, *l8, *l9, *l10;
    YMRPushButton *k1, *k2, *k3, *k4, *k5, *k6, *k7, *k8, *k9, *k10;
    QFrame *Line4;

protected:
    QGridLayout *panelLayout;
};

#endif
