#ifndef YMFILEDIALOGCOLORSWIDGET_H
#define YMFILEDIALOGCOLORSWIDGET_H

#include <QWidget>

class DirectoryView;
class QCheckBox;
class YMFileView;
class YMRPushButton;
class YMSelectColorAction;

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
    YMSelectColorAction *colorAction(int index) const { return m_actions[index]; }
    DirectoryView *preview() const { return m_preview; }

public slots:
    void customChanged();
    void colorChanged();

private:
    QCheckBox *m_custom;
    YMRPushButton *m_buttons[ColorCount];
    YMSelectColorAction *m_actions[ColorCount];
    DirectoryView *m_preview;
};

#endif
