#ifndef COLORSWIDGET_H
#define COLORSWIDGET_H

#include "forms/colorswidgetbase.h"

class YMSelectColorAction;

// The "Colors" page of the options dialog: the colours of the expense
// list's alternating rows. The sample list shares the expense list's name
// ("main"), so it stores each colour picked in the settings the expense
// list reads ("main"/"c1" ... "c4").
class ColorsWidget : public ColorsWidgetBase
{
    Q_OBJECT
public:
    explicit ColorsWidget(QWidget *parent = nullptr, const char *name = nullptr);
    ~ColorsWidget() override;

    void addSampleRow(const QString &date, const QString &type, const QString &amount,
                      bool reminder);
    // b1, b2, b3, b4: odd-line text and background, even-line text and background.
    YMSelectColorAction *colorAction(int index) const { return m_actions[index]; }

public slots:
    void colorChanged();

private:
    YMSelectColorAction *m_actions[4];
};

#endif
