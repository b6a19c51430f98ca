#ifndef YMRPUSHBUTTON_H
#define YMRPUSHBUTTON_H

#include <QIcon>
#include <QPushButton>

class QMenu;

// The push button of every dialog and form: computes its own preferred size
// and draws its own label and focus frame; the panel is the style's.
class YMRPushButton : public QPushButton
{
    Q_OBJECT
public:
    explicit YMRPushButton(QWidget *parent = nullptr, const char *name = nullptr);
    YMRPushButton(const QString &text, QWidget *parent = nullptr, const char *name = nullptr);
    YMRPushButton(const QIcon &icon, const QString &text, QWidget *parent = nullptr,
                  const char *name = nullptr);
    ~YMRPushButton() override;

    QSize sizeHint() const override;

    // The names the forms were written with.
    void setIconSet(const QIcon &icon) { setIcon(icon); }
    QIcon iconSet() const { return icon(); }
    void setToggleButton(bool on) { setCheckable(on); }
    bool isToggleButton() const { return isCheckable(); }
    void setOn(bool on) { setChecked(on); }
    bool isOn() const { return isChecked(); }
    void setPopup(QMenu *menu) { setMenu(menu); }
    QMenu *popup() const { return menu(); }

protected:
    void paintEvent(QPaintEvent *e) override;
    virtual void drawButton(QPainter *p);
    virtual void drawButtonLabel(QPainter *p);

    // The icon's pixmap at its own size in the given mode.
    QPixmap iconPixmap(QIcon::Mode mode) const;
};

#endif
