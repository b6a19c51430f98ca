#include "datetimeformateditor.h"

#include "sharedwrite.h"

#include "pim/ymrpim.h"
#include "qpe/qpeapplication.h"
#include "qt/ymrapplication.h"
#include "qt/ymrdialog.h"
#include "qt/ymrlistbox.h"
#include "qt/ymrlistboxitem.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"
#include "qt/ymrutil.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

DateTimeFormatEditor::DateTimeFormatEditor(const QString &listName, const QString &pattern,
                                           QWidget *parent, const char *name)
    : DateTimeFormatEditorBase(parent, name, true)
    , m_listName(listName)
    , m_example(QDateTime::currentDateTime())
{
    btnOk->setIconSet(YMRResource::loadIconSet(QStringLiteral("button_ok")));
    btnCancel->setIconSet(YMRResource::loadIconSet(QStringLiteral("button_cancel")));
    // a narrow screen has room for the three texts, not for icons beside them
    if (QPEApplication::screenRect().width() >= 480) {
        btnAdd->setIconSet(YMRResource::loadIconSet(QStringLiteral("filenew")));
        btnRemove->setIconSet(YMRResource::loadIconSet(QStringLiteral("delete")));
        btnUpdate->setIconSet(YMRResource::loadIconSet(QStringLiteral("edit")));
    }
    btnOk->hide();
    btnCancel->hide();
    // a pattern is an entry of a list and may name a currency's format
    YMRPIM::refuseBar(edit);

    // a list whose last save failed shows what it was left as
    QStringList patterns = YMRPIM::loadList(m_listName, &m_loaded);
    // an empty pattern would only be an empty row, dropped at the next load
    if (!pattern.isEmpty() && !patterns.contains(pattern))
        patterns.append(pattern);
    list->insertStringList(patterns);
    list->setCurrentItem(patterns.indexOf(pattern));
    updateButtons();
    YMRApplication::showMaximized(this, true);
}

DateTimeFormatEditor::~DateTimeFormatEditor()
{
    QStringList patterns;
    for (int i = 0; i < int(list->count()); ++i)
        patterns.append(list->text(i));
    // not written: kept and retried, and the user is told
    QString what = tr("the date and time formats");
    if (m_listName == QLatin1String("dateFormat"))
        what = tr("the date formats");
    else if (m_listName == QLatin1String("timeFormat"))
        what = tr("the time formats");
    SharedWrite::saveList(m_listName, what, patterns, m_loaded);
}

QString DateTimeFormatEditor::format() const
{
    return edit->text();
}

void DateTimeFormatEditor::setExampleDateTime(const QDateTime &dateTime)
{
    m_example = dateTime;
    showExample(edit->text());
}

void DateTimeFormatEditor::showExample(const QString &pattern)
{
    example->setText(YMRUtil::formatDateTime(m_example, pattern));
}

void DateTimeFormatEditor::itemSelected(const QString &text)
{
    {
        const QSignalBlocker block(edit);
        edit->setText(text);
    }
    showExample(text);
    btnUpdate->setEnabled(false);
    btnAdd->setEnabled(false);
}

void DateTimeFormatEditor::formatChanged()
{
    const QString pattern = edit->text();
    showExample(pattern);
    if (pattern.isEmpty()) {
        btnUpdate->setEnabled(false);
        btnAdd->setEnabled(false);
        return;
    }
    for (int i = 0; i < int(list->count()); ++i) {
        if (list->text(i) == pattern) {
            const QSignalBlocker block(list);
            list->setCurrentItem(i);
            btnUpdate->setEnabled(false);
            btnAdd->setEnabled(false);
            return;
        }
    }
    btnUpdate->setEnabled(list->currentItem() >= 0);
    btnAdd->setEnabled(true);
}

void DateTimeFormatEditor::addItem()
{
    list->insertItem(edit->text());
    list->setCurrentItem(int(list->count()) - 1);
    btnAdd->setEnabled(false);
    updateButtons();
}

void DateTimeFormatEditor::update()
{
    const int current = list->currentItem();
    if (current >= 0) {
        const QSignalBlocker block(list);
        list->changeItem(edit->text(), current);
    }
    btnUpdate->setEnabled(false);
    btnAdd->setEnabled(false);
}

void DateTimeFormatEditor::removeItem()
{
    const int current = list->currentItem();
    if (current < 0)
        return;
    if (!YMRDialog::confirmDelete(
            tr("Are you sure you want to delete\nFormat code [%1] ?").arg(list->text(current))))
        return;
    list->removeItem(current);
    updateButtons();
    const int now = list->currentItem();
    if (now >= 0)
        list->setSelected(now, true);
}

void DateTimeFormatEditor::updateButtons()
{
    btnRemove->setEnabled(list->count() > 0);
    btnUpdate->setEnabled(false);
    if (list->count() == 0)
        btnAdd->setEnabled(!edit->text().isEmpty());
}
