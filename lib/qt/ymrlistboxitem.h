#ifndef YMRLISTBOXITEM_H
#define YMRLISTBOXITEM_H

#include <QPixmap>
#include <QString>

class QPainter;
class YMRListBox;

// An item of a YMRListBox: a text and its place in the box's linked list.
// Items measure and paint themselves; the box owns them once inserted.
class YMRListBoxItem
{
public:
    explicit YMRListBoxItem(YMRListBox *listbox = nullptr);
    YMRListBoxItem(YMRListBox *listbox, YMRListBoxItem *after);
    virtual ~YMRListBoxItem();

    virtual QString text() const;
    virtual const QPixmap *pixmap() const;
    virtual int height(const YMRListBox *lb) const;
    virtual int width(const YMRListBox *lb) const;

    YMRListBox *listBox() const { return lbox; }
    YMRListBoxItem *next() const { return n; }
    YMRListBoxItem *prev() const { return p; }

    bool selected() const { return s; }
    bool isCurrent() const;
    void setSelectable(bool on);
    bool isSelectable() const;
    void setCustomHighlighting(bool on) { customHighlight = on; }

    virtual void setText(const QString &text);

protected:
    virtual void paint(QPainter *p) = 0;

    bool customHighlighting() const { return customHighlight; }

private:
    friend class YMRListBox;
    friend class YMRComboBox;

    QString txt;
    uint s : 1;
    uint dirty : 1;
    uint customHighlight : 1;
    int x, y;
    YMRListBoxItem *p, *n;
    YMRListBox *lbox;

    YMRListBoxItem(const YMRListBoxItem &) = delete;
    YMRListBoxItem &operator=(const YMRListBoxItem &) = delete;
};

// One line of text.
class YMRListBoxText : public YMRListBoxItem
{
public:
    YMRListBoxText(YMRListBox *listbox, const QString &text = QString());
    explicit YMRListBoxText(const QString &text = QString());
    YMRListBoxText(YMRListBox *listbox, const QString &text, YMRListBoxItem *after);
    ~YMRListBoxText() override;

    int height(const YMRListBox *lb) const override;
    int width(const YMRListBox *lb) const override;

protected:
    void paint(QPainter *p) override;
};

// A pixmap, optionally followed by a text.
class YMRListBoxPixmap : public YMRListBoxItem
{
public:
    YMRListBoxPixmap(YMRListBox *listbox, const QPixmap &pixmap);
    explicit YMRListBoxPixmap(const QPixmap &pixmap);
    YMRListBoxPixmap(YMRListBox *listbox, const QPixmap &pixmap, YMRListBoxItem *after);
    YMRListBoxPixmap(YMRListBox *listbox, const QPixmap &pixmap, const QString &text);
    YMRListBoxPixmap(const QPixmap &pixmap, const QString &text);
    YMRListBoxPixmap(YMRListBox *listbox, const QPixmap &pixmap, const QString &text,
                     YMRListBoxItem *after);
    ~YMRListBoxPixmap() override;

    const QPixmap *pixmap() const override { return &pm; }
    int height(const YMRListBox *lb) const override;
    int width(const YMRListBox *lb) const override;

protected:
    void paint(QPainter *p) override;

private:
    QPixmap pm;
};

#endif
