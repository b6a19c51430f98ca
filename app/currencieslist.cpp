#include "currencieslist.h"

#include "numberformateditor.h"
#include "sharedwrite.h"
#include "pim/ymrpim.h"
#include "qpe/config.h"
#include "qpe/qpeapplication.h"
#include "qt/orderedlistviewitem.h"
#include "qt/ymrapplication.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrdialog.h"
#include "qt/ymrheader.h"
#include "qt/ymrlistview.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"

#include <QLineEdit>
#include <QSignalBlocker>

CurrenciesList::CurrenciesList(QWidget *parent, const char *name)
    : CurrenciesListBase(parent, name, true)
{
    list->header()->hide();
    const QRect screen = QPEApplication::screenRect();
    list->setColumnWidth(0, qMax(screen.width(), screen.height()));
    list->setSorting(0, true);
    // "|" separates the symbol from its format in the stored rows
    YMRPIM::refuseBar(text);
    YMRPIM::refuseBar(formats);

    btnUp->setIconSet(YMRResource::loadIconSet(QStringLiteral("up")));
    btnDown->setIconSet(YMRResource::loadIconSet(QStringLiteral("down")));
    btnRemove->setIconSet(YMRResource::loadIconSet(QStringLiteral("remove")));
    btnNew->setIconSet(YMRResource::loadIconSet(QStringLiteral("filenew")));
    btnFormat->setIconSet(YMRResource::loadIconSet(QStringLiteral("package_utilities")));
    setWindowTitle(tr("Edit Currencies"));

    const QString deflt = defaultFormat();
    // a list whose last save failed shows what it was left as
    const QStringList shown = YMRPIM::loadList(listName(), &m_loaded);
    for (const QString &row : shown) {
        const QStringList parts = row.split(QLatin1Char('|'), Qt::SkipEmptyParts);
        if (parts.isEmpty())
            continue;
        appendCurrency(parts.at(0), parts.size() == 1 ? deflt : parts.at(1));
    }
    formats->insertStringList(YMRPIM::loadList(QStringLiteral("numberformat")));

    if (list->firstChild())
        list->setCurrentItem(list->firstChild());
    else
        currentChanged(nullptr);
    YMRApplication::showMaximized(this, true);
}

CurrenciesList::~CurrenciesList()
{
    save();
}

QString CurrenciesList::listName()
{
    return QStringLiteral("currencies_") + QString::fromLocal8Bit(qgetenv("LANG")).toLower();
}

QString CurrenciesList::defaultFormat()
{
    Config config(YMRPIM::applicationName());
    config.setGroup(QStringLiteral("Options"));
    return config.readEntry(QStringLiteral("defcformat"), QStringLiteral("@#,#"));
}

YMRListViewItem *CurrenciesList::appendCurrency(const QString &symbol, const QString &format)
{
    auto *item = new OrderedListViewItem(list, symbol);
    item->setText(1, format);
    item->setPixmap(0, YMRResource::loadPixmap(QStringLiteral("currencies")));
    return item;
}

QStringList CurrenciesList::rows() const
{
    QStringList result;
    for (YMRListViewItem *i = list->firstChild(); i; i = i->itemBelow()) {
        // a row without a symbol would read back with its format as symbol
        if (i->text(0).trimmed().isEmpty())
            continue;
        result.append(i->text(0) + QLatin1Char('|') + i->text(1));
    }
    return result;
}

bool CurrenciesList::save()
{
    // a second save merges again from what this list shows
    const QStringList shown = rows();
    if (!SharedWrite::saveList(listName(), tr("the currency list"), shown, m_loaded))
        return false;
    m_loaded = shown;
    return true;
}

void CurrenciesList::fillFormats(const QString &format)
{
    const QSignalBlocker blocker(formats);
    formats->clear();
    const QStringList codes = YMRPIM::loadList(QStringLiteral("numberformat"));
    formats->insertStringList(codes);
    const int index = codes.indexOf(format);
    if (index >= 0)
        formats->setCurrentItem(index);
    formats->setEditText(format);
}

void CurrenciesList::currentChanged(YMRListViewItem *item)
{
    const bool have = item != nullptr;
    text->setEnabled(have);
    formats->setEnabled(have);
    btnFormat->setEnabled(have);
    btnRemove->setEnabled(have);
    OrderedListViewItem::showCurrent(list, item, btnUp, btnDown);
    {
        const QSignalBlocker blocker(text);
        text->setText(have ? item->text(0) : QString());
    }
    if (!have)
        return;
    fillFormats(item->text(1));
    text->setFocus();
}

void CurrenciesList::doUpdate()
{
    if (YMRListViewItem *item = list->currentItem())
        item->setText(0, text->text());
}

void CurrenciesList::formatChanged()
{
    if (YMRListViewItem *item = list->currentItem())
        item->setText(1, formats->currentText());
}

void CurrenciesList::doNew()
{
    YMRListViewItem *item = appendCurrency(QString(), defaultFormat());
    list->setCurrentItem(item);
}

void CurrenciesList::doRemove()
{
    auto *item = dynamic_cast<OrderedListViewItem *>(list->currentItem());
    if (!item)
        return;
    if (!YMRDialog::confirmDelete(
            tr("Are you sure you want to delete\nCurrency [%1] ?").arg(item->text(0))))
        return;
    item->closeGap();
    currentChanged(list->currentItem());
}

void CurrenciesList::doUp()
{
    auto *item = dynamic_cast<OrderedListViewItem *>(list->currentItem());
    if (!item)
        return;
    item->moveUp();
    currentChanged(item);
}

void CurrenciesList::doDown()
{
    auto *item = dynamic_cast<OrderedListViewItem *>(list->currentItem());
    if (!item)
        return;
    item->moveDown();
    currentChanged(item);
}

void CurrenciesList::doEdit()
{
    YMRListViewItem *item = list->currentItem();
    if (!item)
        return;
    QString format = formats->currentText();
    auto *editor = new NumberFormatEditor(format, item->text(0), this);
    editor->exec();
    // a code with "|" would not read back as it was written
    if (!editor->format().isEmpty() && !editor->format().contains(QLatin1Char('|')))
        format = editor->format();
    delete editor;
    fillFormats(format);
    formatChanged();
}
