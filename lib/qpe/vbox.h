#ifndef VBOX_H
#define VBOX_H

#include <QFrame>

class QVBoxLayout;

// A frame that lays out its child widgets from top to bottom in the order
// they were created; nothing needs to be added to a layout by hand.
class VBox : public QFrame
{
    Q_OBJECT
public:
    explicit VBox(QWidget *parent = nullptr, const char *name = nullptr,
                  Qt::WindowFlags f = Qt::WindowFlags());

    void setSpacing(int space);
    int spacing() const;
    void setMargin(int margin);
    // False when w is no child laid out by this box.
    bool setStretchFactor(QWidget *w, int stretch);

protected:
    void childEvent(QChildEvent *e) override;

private:
    QVBoxLayout *m_layout;
};

#endif
