#ifndef BOOKICONLISTBOXITEM_H
#define BOOKICONLISTBOXITEM_H

#include "qt/ymrlistboxitem.h"

#include <QString>

// One book icon of the icon chooser: the picture with a 4-pixel margin, and
// the icon's name.
class BookIconListBoxItem : public YMRListBoxPixmap
{
public:
    BookIconListBoxItem(YMRListBox *listbox, const QPixmap &pixmap, const QString &name);
    ~BookIconListBoxItem() override;

    QString name() const { return m_name; }

    int height(const YMRListBox *lb) const override;
    int width(const YMRListBox *lb) const override;

protected:
    void paint(QPainter *p) override;

private:
    QString m_name;
};

#endif
