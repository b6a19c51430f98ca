#ifndef ICONSELECTOR_H
#define ICONSELECTOR_H

#include "ymrlistbox.h"
#include "ymrpushbutton.h"

#include <QDialog>

class QGridLayout;

// "Select Icon": pictures in a list box; a tap on one, or Return, accepts
// with it current. The caller fills the list and reads its current item.
class IconSelector : public QDialog
{
    Q_OBJECT
public:
    explicit IconSelector(QWidget *parent = nullptr, const char *name = nullptr,
                          bool modal = false, Qt::WindowFlags fl = Qt::WindowFlags());
    ~IconSelector() override;

    YMRListBox *list;
    YMRPushButton *btnCancel;
    YMRPushButton *btnOk;

protected:
    QGridLayout *IconSelectorLayout;
};

#endif
