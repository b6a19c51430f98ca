#ifndef VBOX_H
#define VBOX_H

#include "boxframe.h"

// Lays out its child widgets from top to bottom.
class VBox : public BoxFrame
{
    Q_OBJECT
public:
    explicit VBox(QWidget *parent = nullptr, const char *name = nullptr,
                  Qt::WindowFlags f = Qt::WindowFlags());
};

#endif
