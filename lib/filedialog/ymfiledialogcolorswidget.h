#ifndef YMFILEDIALOGCOLORSWIDGET_H
#define YMFILEDIALOGCOLORSWIDGET_H

#include <QColor>
#include <QWidget>

class DirectoryView;
class QCheckBox;
class YMFileView;
class YMRPushButton;

// The colours page of the file dialog's options: alternating line colours
// of the file views, stored in the toolkit's settings and announced to every
// open view.
class YMFileDialogColorsWidget : public QWidget
{
    Q_OBJECT
public:
    enum ColorIndex { OddText, OddBackground, EvenText, EvenBackground, ColorCount };

    YMFileDialogColorsWidget(DirectoryView *tree, YMFileView *fileView, QWidget *parent = nullptr,
                             const char *name = nullptr);
    ~YMFileDialogColorsWidget() override;

    QCheckBox *customBox() const { return m_custom; }
    YMRPushButton *colorButton(int index) const { return m_buttons[index]; }
    DirectoryView *preview() const { return m_preview; }
    QColor color(int index) const { return m_colors[index]; }

public slots:
    void customChanged();
    void colorChanged();
    // A colour picked for one of the four buttons; an invalid colour stands
    // for the palette's.
    void setColor(int index, const QColor &color);

private:
    void pickColor(int index);
    void showColor(int index);

    QCheckBox *m_custom;
    YMRPushButton *m_buttons[ColorCount];
    QColor m_colors[ColorCount];
    DirectoryView *m_preview;
};

#endif
