#ifndef HBOX_H
#define HBOX_H

#include "boxframe.h"

// Lays out its child widgets from left to right.
class HBox : public BoxFrame
{
    Q_OBJECT
public:
    explicit HBox(QWidget *parent = nullptr, const char *name = nullptr,
                  Qt::WindowFlags f = Qt::WindowFlags());
};

#endif
