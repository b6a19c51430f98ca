#include "ymrlistboxitem.h"

#include "ymrlistbox.h"

#include <QFontMetrics>
#include <QPainter>

YMRListBoxItem::YMRListBoxItem(YMRListBox *listbox)
    : s(false), dirty(true), customHighlight(false), x(42), y(42),
      p(nullptr), n(nullptr), lbox(nullptr)
{
    if (listbox)
        listbox->insertItem(this, -1);
}

YMRListBoxItem::YMRListBoxItem(YMRListBox *listbox, YMRListBoxItem *after)
    : s(false), dirty(true), customHighlight(false), x(42), y(42),
      p(nullptr), n(nullptr), lbox(nullptr)
{
    if (listbox)
        listbox->insertItem(this, after);
}

YMRListBoxItem::~YMRListBoxItem()
{
    if (lbox)
        lbox->takeItem(this);
}

QString YMRListBoxItem::text() const { return txt; }
const QPixmap *YMRListBoxItem::pixmap() const { return nullptr; }
int YMRListBoxItem::height(const YMRListBox *) const { return 0; }
int YMRListBoxItem::width(const YMRListBox *) const { return 0; }
void YMRListBoxItem::setText(const QString &text) { txt = text; }

bool YMRListBoxItem::isCurrent() const
{
    return lbox && lbox->hasFocus() && lbox->item(lbox->currentItem()) == this;
}

void YMRListBoxItem::setSelectable(bool on)
{
    if (!lbox)
        return;
    lbox->setItemSelectable(this, on);
}

bool YMRListBoxItem::isSelectable() const
{
    if (!lbox)
        return true;
    return lbox->itemSelectable(this);
}

// ---- YMRListBoxText

YMRListBoxText::YMRListBoxText(YMRListBox *listbox, const QString &text)
    : YMRListBoxItem(listbox)
{
    setText(text);
}

YMRListBoxText::YMRListBoxText(const QString &text)
    : YMRListBoxItem()
{
    setText(text);
}

YMRListBoxText::YMRListBoxText(YMRListBox *listbox, const QString &text, YMRListBoxItem *after)
    : YMRListBoxItem(listbox, after)
{
    setText(text);
}

YMRListBoxText::~YMRListBoxText() = default;

int YMRListBoxText::height(const YMRListBox *lb) const
{
    if (!lb)
        return 0;
    return QFontMetrics(lb->font()).height() + 2;
}

int YMRListBoxText::width(const YMRListBox *lb) const
{
    if (!lb)
        return 0;
    return QFontMetrics(lb->font()).horizontalAdvance(text()) + 6;
}

void YMRListBoxText::paint(QPainter *painter)
{
    const int h = height(listBox());
    const int w = width(listBox());
    painter->drawText(3, 0, w - 3, h, Qt::AlignLeft | Qt::AlignVCenter, text());
}

// ---- YMRListBoxPixmap

YMRListBoxPixmap::YMRListBoxPixmap(YMRListBox *listbox, const QPixmap &pixmap)
    : YMRListBoxItem(listbox), pm(pixmap)
{
}

YMRListBoxPixmap::YMRListBoxPixmap(const QPixmap &pixmap)
    : YMRListBoxItem(), pm(pixmap)
{
}

YMRListBoxPixmap::YMRListBoxPixmap(YMRListBox *listbox, const QPixmap &pixmap,
                                   YMRListBoxItem *after)
    : YMRListBoxItem(listbox, after), pm(pixmap)
{
}

YMRListBoxPixmap::YMRListBoxPixmap(YMRListBox *listbox, const QPixmap &pixmap,
                                   const QString &text)
    : YMRListBoxItem(listbox), pm(pixmap)
{
    setText(text);
}

YMRListBoxPixmap::YMRListBoxPixmap(const QPixmap &pixmap, const QString &text)
    : YMRListBoxItem(), pm(pixmap)
{
    setText(text);
}

YMRListBoxPixmap::YMRListBoxPixmap(YMRListBox *listbox, const QPixmap &pixmap,
                                   const QString &text, YMRListBoxItem *after)
    : YMRListBoxItem(listbox, after), pm(pixmap)
{
    setText(text);
}

YMRListBoxPixmap::~YMRListBoxPixmap() = default;

// Without a list box there is no font: a text item then measures as its pixmap.
int YMRListBoxPixmap::height(const YMRListBox *lb) const
{
    if (text().isEmpty() || !lb)
        return pm.height();
    return qMax(pm.height() + 1, QFontMetrics(lb->font()).height() + 2);
}

int YMRListBoxPixmap::width(const YMRListBox *lb) const
{
    if (text().isEmpty() || !lb)
        return pm.width() + 6;
    return pm.width() + QFontMetrics(lb->font()).horizontalAdvance(text()) + 6;
}

void YMRListBoxPixmap::paint(QPainter *painter)
{
    const int h = height(listBox());
    painter->drawPixmap(3, (h - pm.height() + 1) / 2, pm);
    if (!text().isEmpty()) {
        const int w = width(listBox());
        painter->drawText(pm.width() + 5, 0, w - 5 - pm.width(), h,
                          Qt::AlignLeft | Qt::AlignVCenter, text());
    }
}
