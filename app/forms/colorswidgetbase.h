#ifndef COLORSWIDGETBASE_H
#define COLORSWIDGETBASE_H

#include <QWidget>

class QGridLayout;
class QLabel;
class YMRListView;
class YMRPushButton;

// Form of the colours page: text and background buttons of the odd and the
// even lines above a sample list.
class ColorsWidgetBase : public QWidget
{
    Q_OBJECT
public:
    explicit ColorsWidgetBase(QWidget *parent = nullptr, const char *name = nullptr,
                              Qt::WindowFlags fl = Qt::WindowFlags());
    ~ColorsWidgetBase() override;

    QLabel *TextLabel2;
    YMRPushButton *b1;
    YMRPushButton *b2;
    QLabel *TextLabel2_3;
    YMRPushButton *b3;
    YMRPushButton *b4;
    YMRListView *lv;

protected:
    QGridLayout *ColorsWidgetBaseLayout;
};

#endif
