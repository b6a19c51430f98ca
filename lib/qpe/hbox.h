#ifndef HBOX_H
#define HBOX_H

#include <QFrame>

class QHBoxLayout;

// A frame that lays out its child widgets from left to right in the order
// they were created; nothing needs to be added to a layout by hand.
class HBox : public QFrame
{
    Q_OBJECT
public:
    explicit HBox(QWidget *parent = nullptr, const char *name = nullptr,
                  Qt::WindowFlags f = Qt::WindowFlags());

    void setSpacing(int space);
    int spacing() const;
    void setMargin(int margin);
    // False when w is no child laid out by this box.
    bool setStretchFactor(QWidget *w, int stretch);

protected:
    void childEvent(QChildEvent *e) override;

private:
    QHBoxLayout *m_layout;
};

#endif
