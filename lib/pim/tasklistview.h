#ifndef TASKLISTVIEW_H
#define TASKLISTVIEW_H

#include "pimlistview.h"

#include <QHash>
#include <QString>

class PopupMenu;
class QDate;
class QDateTime;
class QLabel;

// The list of the expenses of one book: the eleven expense columns,
// amounts formatted per currency, dates in the user's patterns, rows in
// their category's colours, and a corner button with the totals per
// currency of the whole filtered book.
class TaskListView : public PIMListView
{
    Q_OBJECT
public:
    explicit TaskListView(QWidget *parent = nullptr, const char *name = nullptr);
    ~TaskListView() override;

    // The translated name of an expense column id (0 to 10), else null.
    static QString columnName(int id);
    static QPixmap columnIcon(int id);

    void readDateFormats();
    void readCurrencyFormats();

    QString dateText(const QDate &date) const;
    QString dateTimeText(const QDateTime &dateTime) const;
    QString amountText(PIMRecord *record) const;
    QString formatAmount(const QString &currency, double value) const;
    // formatAmount(), followed by the currency's name when the format does
    // not show it: amounts of a currency that has left the list, and
    // totals, always tell their currency.
    QString namedAmount(const QString &currency, double value) const;

    int dateColumnWidth() const;
    int dateTimeColumnWidth() const;
    // The Amount column's width before the user sets one: a typical amount
    // in the widest of the currencies' formats, whole.
    int amountColumnWidth() const;

    QString datePattern() const { return m_datePattern; }
    QString dateTimePattern() const { return m_dateTimePattern; }
    QString defaultCurrencyFormat() const { return m_defaultCurrencyFormat; }
    QHash<QString, QString> currencyFormats() const { return m_currencyFormats; }

    // Fills the totals menu from the store's whole view (one line per
    // currency, in the order of first appearance) and pops it up.
    void showTotals();
    void fillTotals();
    PopupMenu *totalsMenu() const { return m_totalsMenu; }
    QLabel *totalsButton() const { return m_totalsButton; }

    bool eventFilter(QObject *o, QEvent *e) override;

signals:
    // Offered before a key is handled: the Qt 2 key code plus one modifier
    // bit; a receiver that sets the flag takes the key.
    void checkKey(bool &taken, int code);

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void changeEvent(QEvent *e) override;
    void saveColumnWidth(int section, int width) override;
    void setupColumns(int id, Config *settings) override;
    PIMListViewItem *createItem(PIMRecord *record) override;
    PIMListViewItem *createItem(PIMRecord *record, YMRListViewItem *after) override;

private:
    QString formatOf(const QString &currency) const;

    QString m_datePattern;
    QString m_dateTimePattern;
    QHash<QString, QString> m_currencyFormats;
    QString m_defaultCurrencyFormat;
    PopupMenu *m_totalsMenu;
    QLabel *m_totalsButton;
};

#endif
