#ifndef CURRENCIESLIST_H
#define CURRENCIESLIST_H

#include "forms/currencieslistbase.h"

#include <QStringList>

// Edits the currency list of the current language: each currency's symbol
// and the number-format code its amounts are shown with. The list is
// written back when the dialog is destroyed.
class CurrenciesList : public CurrenciesListBase
{
    Q_OBJECT
public:
    explicit CurrenciesList(QWidget *parent = nullptr, const char *name = nullptr);
    ~CurrenciesList() override;

    // "symbol|format" per currency in displayed order; currencies left
    // without a symbol are not kept.
    QStringList rows() const;
    bool save();
    // "currencies_" and LANG in lower case.
    static QString listName();
    static QString defaultFormat();

public slots:
    void currentChanged(YMRListViewItem *item) override;
    void doDown() override;
    void doEdit() override;
    void doNew() override;
    void doRemove() override;
    void doUp() override;
    void doUpdate() override;
    void formatChanged() override;

private:
    YMRListViewItem *appendCurrency(const QString &symbol, const QString &format);
    void fillFormats(const QString &format);

    // the list as read: what another copy changed since is kept at the save
    QStringList m_loaded;
};

#endif
