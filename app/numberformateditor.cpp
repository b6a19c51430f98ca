#include "numberformateditor.h"

#include "sharedwrite.h"

#include "pim/formatnumber.h"
#include "pim/ymrpim.h"
#include "qpe/qpeapplication.h"
#include "qpe/config.h"
#include "qt/ymrapplication.h"
#include "qt/ymrdialog.h"
#include "qt/ymrlistbox.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <cmath>

namespace {
const char sampleKey[] = "numberformat";
const char listName[] = "numberformat";
}

NumberFormatEditor::NumberFormatEditor(const QString &format, const QString &currency,
                                       QWidget *parent, const char *name)
    : NumberFormatEditorBase(parent, name, true)
    , m_currency(currency)
{
    setWindowTitle(tr("Number Format Editor [%1]").arg(m_currency));
    // the currencies list joins a symbol and its format with "|"
    YMRPIM::refuseBar(edit);
    {
        Config config(YMRPIM::applicationName());
        config.setGroup(QStringLiteral("Options"));
        const QSignalBlocker blocker(number);
        number->setText(config.readEntry(QLatin1String(sampleKey), QStringLiteral("1234.5678")));
    }
    // a narrow screen has room for the three texts, not for icons beside them
    if (QPEApplication::screenRect().width() >= 480) {
        btnAdd->setIconSet(YMRResource::loadIconSet(QStringLiteral("filenew")));
        btnRemove->setIconSet(YMRResource::loadIconSet(QStringLiteral("delete")));
        btnUpdate->setIconSet(YMRResource::loadIconSet(QStringLiteral("edit")));
    }

    // a list whose last save failed shows what it was left as
    QStringList codes = YMRPIM::loadList(QLatin1String(listName), &m_loaded);
    if (!codes.contains(format))
        codes.append(format);
    list->insertStringList(codes);
    list->setCurrentItem(codes.indexOf(format));
    // the box emits nothing when its first item was current already
    if (edit->text() != format || list->currentItem() < 0)
        itemSelected(format);
    updateButtons();
    btnAdd->setEnabled(false);
    YMRApplication::showMaximized(this, true);
}

NumberFormatEditor::~NumberFormatEditor()
{
    // not written: kept and retried, and the user is told
    SharedWrite::saveList(QLatin1String(listName), tr("the number formats"), codes(), m_loaded);
}

QString NumberFormatEditor::format() const
{
    return edit->text();
}

QStringList NumberFormatEditor::codes() const
{
    QStringList result;
    for (int i = 0; i < int(list->count()); ++i)
        result.append(list->text(i));
    return result;
}

double NumberFormatEditor::sampleValue(const QString &text)
{
    bool ok = false;
    // a "," can only be meant as the decimal separator: no group separators here
    const double value = text.trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

void NumberFormatEditor::showPreview(const QString &code)
{
    example->setText(formatNumber(sampleValue(number->text()), code, m_currency));
}

void NumberFormatEditor::itemSelected(const QString &text)
{
    {
        const QSignalBlocker blocker(edit);
        edit->setText(text);
    }
    showPreview(text);
    btnUpdate->setEnabled(false);
    btnAdd->setEnabled(false);
}

void NumberFormatEditor::formatChanged()
{
    const QString code = edit->text();
    showPreview(code);
    if (code.isEmpty()) {
        btnUpdate->setEnabled(false);
        btnAdd->setEnabled(false);
        return;
    }
    for (int i = 0; i < int(list->count()); ++i) {
        if (list->text(i) == code) {
            const QSignalBlocker blocker(list);
            list->setCurrentItem(i);
            list->setSelected(i, true);
            btnUpdate->setEnabled(false);
            btnAdd->setEnabled(false);
            return;
        }
    }
    btnUpdate->setEnabled(list->currentItem() >= 0);
    btnAdd->setEnabled(true);
}

void NumberFormatEditor::numberChanged()
{
    showPreview(edit->text());
    Config config(YMRPIM::applicationName());
    config.setGroup(QStringLiteral("Options"));
    config.writeEntry(QLatin1String(sampleKey), number->text());
}

void NumberFormatEditor::addItem()
{
    list->insertItem(edit->text());
    list->setCurrentItem(list->count() - 1);
    btnAdd->setEnabled(false);
    updateButtons();
}

void NumberFormatEditor::update()
{
    const int current = list->currentItem();
    if (current < 0)
        return;
    {
        const QSignalBlocker blocker(list);
        list->changeItem(edit->text(), current);
    }
    btnUpdate->setEnabled(false);
    btnAdd->setEnabled(false);
}

void NumberFormatEditor::removeItem()
{
    const int current = list->currentItem();
    if (current < 0)
        return;
    if (!YMRDialog::confirmDelete(
            tr("Are you sure you want to delete\nFormat code [%1] ?").arg(list->text(current))))
        return;
    list->removeItem(current);
    updateButtons();
    if (list->currentItem() >= 0)
        list->setSelected(list->currentItem(), true);
}

void NumberFormatEditor::updateButtons()
{
    btnRemove->setEnabled(list->count() > 0);
    btnUpdate->setEnabled(false);
    if (list->count() == 0)
        btnAdd->setEnabled(!edit->text().isEmpty());
}
