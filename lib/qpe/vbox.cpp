#include "vbox.h"

VBox::VBox(QWidget *parent, const char *name, Qt::WindowFlags f)
    : BoxFrame(QBoxLayout::TopToBottom, parent, name, f)
{
}
