#include "taskeditor.h"

#include "currencieslist.h"
#include "customlistdialog.h"
#include "pim/categoriesselector.h"
#include "pim/task.h"
#include "pim/ymrpim.h"
#include "qpe/qpeapplication.h"
#include "qt/ymdatetimeeditor.h"
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

namespace {

QLocale amountLocale()
{
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator | QLocale::OmitGroupSeparator);
    return c;
}

// The field takes no group separators, so a "," typed or pasted can only be
// meant as the decimal separator: it becomes the stored ".".
class AmountValidator : public QDoubleValidator
{
public:
    explicit AmountValidator(QObject *parent)
        : QDoubleValidator(0.0, 999999999.0, 2, parent)
    {
    }
    State validate(QString &input, int &pos) const override
    {
        input.replace(QLatin1Char(','), QLatin1Char('.'));
        return QDoubleValidator::validate(input, pos);
    }
};

QDoubleValidator *makeAmountValidator(QObject *parent)
{
    auto *v = new AmountValidator(parent);
    v->setNotation(QDoubleValidator::StandardNotation);
    v->setLocale(amountLocale());
    return v;
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

    amount->setValidator(makeAmountValidator(amount));
    // the boxes and the amount share what a small screen has instead of widening the page
    for (QWidget *w : {static_cast<QWidget *>(amount), static_cast<QWidget *>(type),
                       static_cast<QWidget *>(city), static_cast<QWidget *>(account)})
        w->setMinimumWidth(40);

    for (YMRComboBox *box : {type, account, city, cur}) {
        box->insertItem(noneText());
        YMRPIM::refuseBar(box);
    }
    fillList(type, QStringLiteral("types"));
    fillList(account, QStringLiteral("accounts"));
    fillList(city, QStringLiteral("cities"));
    fillCurrencies();
}

TaskEditor::~TaskEditor() = default;

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
    QDoubleValidator *v = makeAmountValidator(nullptr);
    QString copy = text;
    int pos = 0;
    const bool acceptable = v->validate(copy, pos) == QValidator::Acceptable;
    delete v;
    if (!acceptable)
        return false;
    bool ok = false;
    const double value = amountLocale().toDouble(text, &ok);
    return ok && std::isfinite(value) && value >= 0.0 && value <= 999999999.0;
}

bool TaskEditor::checkAmount()
{
    if (isValidAmount(amount->text()))
        return true;
    YMRDialog::critical(tr("Expense"),
                        tr("Invalid amount: %1\nEnter a number from 0 to 999999999 "
                           "with at most two decimals, or nothing.")
                            .arg(amount->text()));
    amount->setFocus();
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
    // an amount that is no valid number is never stored
    if (isValidAmount(amount->text()))
        task->amount = amount->text();
    task->date = date->date();
    cats->saveToRecord(task);
}

void TaskEditor::amountActivated()
{
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
