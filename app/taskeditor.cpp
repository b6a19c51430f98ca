#include "taskeditor.h"

#include "currencieslist.h"
#include "customlistdialog.h"
#include "pim/categoriesselector.h"
#include "pim/task.h"
#include "pim/ymrpim.h"
#include "qpe/qpeapplication.h"
#include "qt/ymdatetimeeditor.h"
#include "qt/ymramountvalidator.h"
#include "qt/ymrcalculator.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrdialog.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"

#include <QDoubleValidator>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <cmath>
#include <utility>

namespace {

// Amounts as the record stores them and the calculator writes them: plain
// decimals in the C locale.
QLocale amountLocale()
{
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator | QLocale::OmitGroupSeparator);
    return c;
}

} // namespace

TaskEditor::TaskEditor(QWidget *parent, const char *name)
    : TaskEditorBase(parent, name)
{
    setFocusProxy(type);
    const bool small = QPEApplication::screenRect().width() < 480;
    if (small)
        fitSmallScreen();
    date->hideTime(true);
    // long month names leave no room on a small screen
    date->setMonthLong(!small);
    date->setMinimumWidth(140);
    date->setClockIcons(true);

    samount->setIconSet(YMRResource::loadIconSet(QStringLiteral("calc")));
    for (YMRPushButton *b : {stype, scur, scity, saccount})
        b->setIconSet(YMRResource::loadIconSet(QStringLiteral("edit")));

    // what the user types: grouped digits and a decimal comma as well
    YMRPIM::refuseAmountKeys(amount);
    // the boxes and the amount share what a small screen has instead of widening the page
    for (QWidget *w : {static_cast<QWidget *>(amount), static_cast<QWidget *>(type),
                       static_cast<QWidget *>(city), static_cast<QWidget *>(account)})
        w->setMinimumWidth(40);

    const std::pair<YMRComboBox *, const char *> boxes[] = {
        {type, "TYPE="}, {account, "ACCOUNT="}, {city, "CITY="}, {cur, "CUR="}};
    for (const auto &box : boxes) {
        box.first->insertItem(noneText());
        YMRPIM::refuseBar(box.first, box.second);
    }
    fillList(type, QStringLiteral("types"));
    fillList(account, QStringLiteral("accounts"));
    fillList(city, QStringLiteral("cities"));
    fillCurrencies();

    // the categories' button waits for a typed date as the others do
    disconnect(cats->editButton(), &YMRPushButton::clicked, cats, &CategoriesSelector::edit);
    connect(cats->editButton(), &YMRPushButton::clicked, this, [this] {
        if (datesTaken())
            cats->edit();
    });
}

TaskEditor::~TaskEditor() = default;

bool TaskEditor::datesTaken()
{
    // a click on a button ends the date's entry: refused, the button does nothing
    return m_datesCheck ? m_datesCheck() : YMDateTimeEditor::finishTypingIn(window());
}

void TaskEditor::fitSmallScreen()
{
    // The amount, its calculator and the currency box side by side need
    // more than a small screen's width: the currency box and its list
    // button take a row of their own under the amount.
    QGridLayout *grid = TaskEditorBaseLayout;
    struct Placed {
        QLayoutItem *item;
        int row, column, rows, columns;
    };
    QList<Placed> below;
    for (int i = grid->count() - 1; i >= 0; --i) {
        Placed p;
        grid->getItemPosition(i, &p.row, &p.column, &p.rows, &p.columns);
        if (p.row > 0 || p.column == 2) {
            p.item = grid->takeAt(i);
            below << p;
        }
    }
    for (const Placed &p : qAsConst(below))
        grid->addItem(p.item, p.row + 1, p.column, p.rows, p.columns);
    grid->itemAtPosition(0, 1)->layout()->removeWidget(cur);
    grid->addWidget(cur, 1, 1);

    // The widest label would leave the date too little room: it shares a
    // row of its own with the categories instead of widening the labels'
    // column.
    int row, column, rows, columns;
    grid->getItemPosition(grid->indexOf(cats), &row, &column, &rows, &columns);
    grid->removeWidget(TextLabel1);
    grid->removeWidget(cats);
    auto *categories = new QHBoxLayout;
    categories->setSpacing(grid->horizontalSpacing());
    categories->addWidget(TextLabel1);
    categories->addWidget(cats, 1);
    grid->addLayout(categories, row, 0, 1, 3);
    // the extra row's height comes out of the space between the rows
    grid->setVerticalSpacing(0);
    grid->setContentsMargins(3, 1, 3, 1);
}

QString TaskEditor::noneText() const
{
    return tr("None");
}

bool TaskEditor::isValidAmount(const QString &text)
{
    if (text.isEmpty())
        return true;
    QDoubleValidator v(0.0, YMRAmountValidator::Largest, 2);
    v.setNotation(QDoubleValidator::StandardNotation);
    v.setLocale(amountLocale());
    QString copy = text;
    int pos = 0;
    if (v.validate(copy, pos) != QValidator::Acceptable)
        return false;
    bool ok = false;
    const double value = amountLocale().toDouble(text, &ok);
    return ok && std::isfinite(value) && value >= 0.0 && value <= YMRAmountValidator::Largest;
}

bool TaskEditor::checkAmount()
{
    QString plain;
    if (YMRPIM::fieldAmount(amount, plain))
        return true;
    amount->selectAll();
    return false;
}

void TaskEditor::selectText(YMRComboBox *box, const QString &text)
{
    if (text.isEmpty()) {
        box->setCurrentItem(0);
        return;
    }
    for (int i = 0; i < box->count(); ++i) {
        if (box->text(i) == text) {
            box->setCurrentItem(i);
            return;
        }
    }
    box->setEditText(text);
}

void TaskEditor::fillList(YMRComboBox *box, const QString &listName)
{
    // with an entry whose save failed: it stays offered until written
    box->insertStringList(YMRPIM::loadList(listName));
}

void TaskEditor::fillCurrencies()
{
    for (const QString &row : YMRPIM::loadList(CurrenciesList::listName())) {
        const QStringList parts = row.split(QLatin1Char('|'), Qt::SkipEmptyParts);
        if (!parts.isEmpty())
            cur->insertItem(parts.at(0));
    }
}

QString TaskEditor::boxValue(YMRComboBox *box) const
{
    const QString text = box->currentText();
    return text == noneText() ? QString() : text;
}

void TaskEditor::load(Task *task)
{
    if (!task)
        return;
    selectText(type, task->type);
    selectText(cur, task->currency);
    selectText(city, task->city);
    selectText(account, task->account);
    amount->setText(task->amount);
    date->setDate(task->date);
    cats->setFromRecord(task);
}

void TaskEditor::store(Task *task)
{
    if (!task)
        return;
    task->type = boxValue(type);
    task->currency = boxValue(cur);
    task->city = boxValue(city);
    task->account = boxValue(account);
    // an amount that reads as no number is never stored; a grouped or
    // decimal-comma amount is stored as its plain digits
    QString plain;
    if (YMRAmountValidator::read(amount->text(), &plain))
        task->amount = plain;
    task->date = date->date();
    cats->saveToRecord(task);
}

void TaskEditor::amountActivated()
{
    if (!datesTaken())
        return;
    const QString before = amount->text();
    YMRCalculator calculator(amount, this);
    calculator.exec();
    if (!isValidAmount(amount->text())) {
        const QString computed = amount->text();
        amount->setText(before);
        YMRDialog::critical(tr("Expense"),
                            tr("The result %1 is no valid amount; the amount is unchanged.")
                                .arg(computed));
    }
    cur->setFocus();
}

void TaskEditor::editList()
{
    if (!datesTaken())
        return;
    QObject *button = sender();
    YMRComboBox *box = nullptr;
    QDialog *editor = nullptr;
    QString listName;
    if (button == scur) {
        box = cur;
        editor = new CurrenciesList(this);
    } else if (button == stype) {
        box = type;
        listName = QStringLiteral("types");
        editor = new CustomListDialog(listName, tr("Edit Types|Type"),
                                      QStringLiteral("completed"), this);
    } else if (button == scity) {
        box = city;
        listName = QStringLiteral("cities");
        editor = new CustomListDialog(listName, tr("Edit Cities|City"), QStringLiteral("house"),
                                      this);
    } else if (button == saccount) {
        box = account;
        listName = QStringLiteral("accounts");
        editor = new CustomListDialog(listName, tr("Edit Accounts|Account"),
                                      QStringLiteral("completed"), this);
    } else {
        return;
    }
    editor->exec();
    delete editor;

    const QString shown = box->currentText();
    box->clear();
    box->insertItem(noneText());
    if (box == cur)
        fillCurrencies();
    else
        fillList(box, listName);
    selectText(box, shown == noneText() ? QString() : shown);
}
