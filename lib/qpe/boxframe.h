#ifndef BOXFRAME_H
#define BOXFRAME_H

#include <QBoxLayout>
#include <QFrame>

// A frame that lays out its child widgets in a row or a column, in the
// order they were created; nothing needs to be added to a layout by hand.
// HBox and VBox are the two kinds the program makes.
class BoxFrame : public QFrame
{
    Q_OBJECT
public:
    void setSpacing(int space);
    int spacing() const;
    void setMargin(int margin);
    // False when w is no child laid out by this box.
    bool setStretchFactor(QWidget *w, int stretch);

protected:
    BoxFrame(QBoxLayout::Direction direction, QWidget *parent, const char *name,
             Qt::WindowFlags f);
    void childEvent(QChildEvent *e) override;

private:
    QBoxLayout *m_layout;
};

#endif
