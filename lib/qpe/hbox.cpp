#include "hbox.h"

HBox::HBox(QWidget *parent, const char *name, Qt::WindowFlags f)
    : BoxFrame(QBoxLayout::LeftToRight, parent, name, f)
{
}
