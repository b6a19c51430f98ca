#ifndef YMRCHECKLISTITEM_H
#define YMRCHECKLISTITEM_H

#include "ymrlistviewitem.h"

#include <QString>

class YMRCheckListItemPrivate;

// A list view row with a check box, a radio button or a group head
// (controller) in front of its first column. Radio buttons under one
// controller are exclusive: switching one on switches off the one that was on.
class YMRCheckListItem : public YMRListViewItem
{
public:
    enum Type { RadioButton = 0, CheckBox = 1, Controller = 2 };

    YMRCheckListItem(YMRCheckListItem *parent, const QString &text, Type type = Controller);
    YMRCheckListItem(YMRListViewItem *parent, const QString &text, Type type = Controller);
    YMRCheckListItem(YMRListView *parent, const QString &text, Type type = Controller);
    YMRCheckListItem(YMRListViewItem *parent, const QString &text, const QPixmap &pixmap);
    YMRCheckListItem(YMRListView *parent, const QString &text, const QPixmap &pixmap);
    ~YMRCheckListItem() override;

    int width(const QFontMetrics &fm, const YMRListView *lv, int column) const override;
    using YMRListViewItem::text;
    QString text(int column) const override;
    QString text() const { return YMRListViewItem::text(0); }
    void setup() override;
    void paintCell(QPainter *p, const QPalette &cg, int column, int width, int alignment) override;
    void paintBranches(QPainter *p, const QPalette &cg, int w, int y, int h) override;
    void paintFocus(QPainter *p, const QPalette &cg, const QRect &r) override;

    virtual void setOn(bool on);
    bool isOn() const { return m_on; }
    Type type() const { return Type(m_type); }

    void setEnabled(bool on);
    bool isEnabled() const;

protected:
    void activate() override;
    // Called after every change of a check box or radio button.
    virtual void stateChange(bool on);
    // A controller switches off its radio child that is on.
    void turnOffChild();

private:
    void init();

    int m_type;
    bool m_on = false;
    // A radio button's controller, or a controller's radio child that is on.
    YMRCheckListItem *m_exclusive = nullptr;
    YMRCheckListItemPrivate *d = nullptr;
};

#endif
