#ifndef YMSELECTCOLORACTION_H
#define YMSELECTCOLORACTION_H

#include "ymraction.h"

#include <QColor>

class PopupMenu;
class YMColorPanel;

// An action for choosing a colour: its buttons open a pop-up colour panel
// when released, its icon shows the current colour in a corner, and
// activated(const QColor&) reports the colour the user picks. Kind 0 is a
// text colour, 1 a line colour, 2 a fill colour.
class YMSelectColorAction : public YMRAction
{
    Q_OBJECT
public:
    explicit YMSelectColorAction(int kind, QObject *parent = nullptr, const char *name = nullptr);
    ~YMSelectColorAction() override;

    // Invalid until a colour was set; the invalid colour stands for "Empty".
    const QColor &currentColor() const { return *m_color; }
    // The pop-up, to open at a point of the caller's choice.
    PopupMenu *popupMenu() const { return m_popup; }
    YMColorPanel *panel() const { return m_panel; }
    int kind() const { return m_kind; }

public slots:
    // Does not emit activated().
    void setCurrentColor(const QColor &color);
    void panelColorSelected(const QColor &color);
    void panelReject();
    // Opens the pop-up under the button that sent the signal.
    void popupColors();

signals:
    void activated(const QColor &color);

protected:
    void addedTo(QWidget *actionWidget, QWidget *container) override;

private:
    void init();
    void updateIcon();
    const char *pictureName() const;

    int m_kind;
    PopupMenu *m_popup = nullptr;
    YMColorPanel *m_panel = nullptr;
    QColor *m_color = nullptr;
};

#endif
