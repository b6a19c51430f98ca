#include "filtereditordialog.h"

#include "taskeditor.h"

#include "pim/taskmanager.h"
#include "qpe/qpeapplication.h"
#include "pim/tasklistview.h"
#include "pim/ymrpim.h"
#include "qt/ymdatetimeeditor.h"
#include "qt/ymrapplication.h"
#include "qt/ymrcalculator.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrdialog.h"
#include "qt/ymrheader.h"
#include "qt/ymrlistview.h"
#include "qt/ymrlistviewitem.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"
#include "qt/ymrutil.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const char *const textConditions[] = {
    QT_TRANSLATE_NOOP("FilterEditorDialog", "contains"),
    QT_TRANSLATE_NOOP("FilterEditorDialog", "is (exactly)"),
    QT_TRANSLATE_NOOP("FilterEditorDialog", "doesn't contain"),
    QT_TRANSLATE_NOOP("FilterEditorDialog", "is empty"),
    QT_TRANSLATE_NOOP("FilterEditorDialog", "is not empty"),
    QT_TRANSLATE_NOOP("FilterEditorDialog", "starts with"),
    QT_TRANSLATE_NOOP("FilterEditorDialog", "ends with")};
const char *const amountConditions[] = {
    QT_TRANSLATE_NOOP("FilterEditorDialog", "equals"),
    QT_TRANSLATE_NOOP("FilterEditorDialog", "not equal to"),
    QT_TRANSLATE_NOOP("FilterEditorDialog", "is at most"),
    QT_TRANSLATE_NOOP("FilterEditorDialog", "is at least"),
    QT_TRANSLATE_NOOP("FilterEditorDialog", "is more than"),
    QT_TRANSLATE_NOOP("FilterEditorDialog", "is less than")};
const char *const dateConditions[] = {
    QT_TRANSLATE_NOOP("FilterEditorDialog", "on"),
    QT_TRANSLATE_NOOP("FilterEditorDialog", "on or after"),
    QT_TRANSLATE_NOOP("FilterEditorDialog", "on or before")};
const char *const reminderConditions[] = {
    QT_TRANSLATE_NOOP("FilterEditorDialog", "have reminder")};

struct Codes {
    const char *const *texts;
    int count;
};

Codes codesOf(FilterEditorDialog::ValueType type)
{
    switch (type) {
    case FilterEditorDialog::Text:
        return {textConditions, 7};
    case FilterEditorDialog::Amount:
        return {amountConditions, 6};
    case FilterEditorDialog::Reminder:
        return {reminderConditions, 1};
    default:
        return {dateConditions, 3};
    }
}

QString amountText(double amount)
{
    return QString::number(amount, 'g', 6);
}

// An amount taken back into the field: whole, as the field reads it, when
// it is one the field takes.
QString amountFieldText(double amount)
{
    QString text = QString::number(amount, 'f', 2);
    if (!TaskEditor::isValidAmount(text) || text.toDouble() != amount)
        return amountText(amount);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

} // namespace

FilterEditorDialog::FilterEditorDialog(TaskManager *manager, int filterIndex, QWidget *parent,
                                       const char *name)
    : FilterEditorDialogBase(parent, name, true)
    , m_manager(manager)
    , m_index(filterIndex)
{
    // an index that names no saved filter edits a new one
    if (m_index >= 0 && (!m_manager || m_index >= m_manager->filters().size()))
        m_index = -1;
    if (m_index < -2)
        m_index = -1;
    connect(list, &YMRListView::currentChanged, this, &FilterEditorDialog::conditionActivated);
    list->setSorting(-1);
    btnRemove->setIconSet(YMRResource::loadIconSet(QStringLiteral("delete")));
    btnAdd->setIconSet(YMRResource::loadIconSet(QStringLiteral("bookmark_add")));

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(3, 3, 3, 3);
    outer->setSpacing(3);
    const bool narrow = QPEApplication::screenRect().width() < 320;
    m_narrow = narrow;
    // A 240x320 screen has no room for the editing rows and the list at
    // once: there the editing rows scroll above a list that always shows a
    // few conditions.
    QVBoxLayout *box = outer;
    if (narrow) {
        auto *editing = new QWidget(this);
        // as wide as the view: a date with its long month name gives up a
        // few pixels rather than pushing the combo boxes' arrows out of it
        editing->setMinimumSize(1, 0);
        box = new QVBoxLayout(editing);
        box->setContentsMargins(0, 0, 0, 0);
        box->setSpacing(3);
        m_scroll = YMRUtil::scrollRows(editing, this);
        outer->addWidget(m_scroll, 1);
    }
    auto *nameRow = new QHBoxLayout();
    nameRow->setContentsMargins(0, 0, 0, 0);
    nameRow->setSpacing(3);
    nameRow->addWidget(l0);
    nameRow->addWidget(fname, 1);
    YMRPIM::refuseBar(fname, "FILTERS=");
    box->addLayout(nameRow);
    box->addWidget(line3);
    auto *grid = new QGridLayout();
    grid->setSpacing(3);
    // on a small screen each label at its own width leaves its box room for
    // the longest field name
    const std::pair<QLabel *, QWidget *> rows[] = {{la1, fs}, {la2, cond}};
    for (int r = 0; r < 2; ++r) {
        if (narrow) {
            auto *row = new QHBoxLayout();
            row->setSpacing(3);
            row->addWidget(rows[r].first);
            row->addWidget(rows[r].second, 1);
            grid->addLayout(row, r, 0, 1, 2);
        } else {
            grid->addWidget(rows[r].first, r, 0);
            grid->addWidget(rows[r].second, r, 1);
        }
    }
    m_grid = grid;
    placeValueArea(false);
    grid->setColumnStretch(1, 1);
    box->addLayout(grid);
    box->addWidget(line2);
    // the two buttons side by side need more than a 240-pixel screen has:
    // there they stand one above the other
    auto *buttons = new QBoxLayout(narrow ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(3);
    buttons->addWidget(btnRemove);
    if (!narrow)
        buttons->addStretch(1);
    buttons->addWidget(btnAdd);
    box->addLayout(buttons);
    if (narrow)
        box->addStretch(1);
    // the mode's text is wider than a small screen
    action->setWordWrap(true);

    outer->addWidget(line1);
    outer->addWidget(action);
    outer->addWidget(list, narrow ? 0 : 1);
    if (narrow) {
        // the header and three rows
        const int row = list->fontMetrics().height() + 4;
        list->setMinimumHeight(list->header()->sizeHint().height() + 3 * row + 2 * list->frameWidth());
    }

    init();
    YMRApplication::showMaximized(this, true);
}

FilterEditorDialog::~FilterEditorDialog() = default;

void FilterEditorDialog::placeValueArea(bool ownRow)
{
    m_grid->removeWidget(la3);
    m_grid->removeWidget(valBase);
    if (ownRow) {
        m_grid->addWidget(la3, 2, 0, 1, 2);
        m_grid->addWidget(valBase, 3, 0, 1, 2);
    } else {
        m_grid->addWidget(la3, 2, 0);
        m_grid->addWidget(valBase, 2, 1);
    }
}

FilterEditorDialog::ValueType FilterEditorDialog::valueType(int field)
{
    switch (field) {
    case FilterCondition::Amount:
        return Amount;
    case FilterCondition::Date:
        return Date;
    case FilterCondition::Reminder:
        return Reminder;
    case FilterCondition::Created:
    case FilterCondition::Updated:
        return DateAndTime;
    default:
        return Text;
    }
}

QString FilterEditorDialog::conditionText(int field, int code)
{
    if (field < 0 || field > 10)
        return QString();
    const Codes codes = codesOf(valueType(field));
    if (code < 0 || code >= codes.count)
        return QString();
    return tr(codes.texts[code]);
}

void FilterEditorDialog::init()
{
    fs->insertItem(YMRResource::loadPixmap(QStringLiteral("document")), tr("All Text Fields"));
    const QPixmap field = YMRResource::loadPixmap(QStringLiteral("filenew"));
    for (int id = 0; id <= 10; ++id)
        fs->insertItem(field, TaskListView::columnName(id));
    fieldChanged(0);

    if (m_index == -2) {
        action->setText(tr("Find items that match these criteria") + QStringLiteral(":"));
        if (m_manager)
            m_filter = m_manager->findFilter();
        fname->hide();
        line3->hide();
        l0->hide();
    } else {
        action->setText(tr("Filter items that match these criteria") + QStringLiteral(":"));
        if (m_index == -1) {
            fname->setText(tr("New Filter"));
        } else {
            m_filter = m_manager->filters().at(m_index);
            fname->setText(m_filter.name);
        }
    }
    // rows without touching the edited list
    const QList<FilterCondition> conditions = m_filter.conditions;
    for (const FilterCondition &c : conditions)
        addConditionItem(c);
    list->setCurrentItem(list->firstChild());
    conditionActivated();
    m_edited = false;
}

void FilterEditorDialog::fieldChanged(int position)
{
    delete m_value;
    m_value = nullptr;
    delete valBase->layout();
    auto *layout = new QVBoxLayout(valBase);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    const ValueType type = valueType(qMax(position - 1, 0));
    cond->clear();
    const Codes codes = codesOf(type);
    for (int i = 0; i < codes.count; ++i)
        cond->insertItem(tr(codes.texts[i]));

    switch (type) {
    case Text: {
        auto *edit = new QLineEdit(valBase);
        edit->setObjectName(QStringLiteral("val"));
        YMRPIM::refuseBar(edit, "FILTERS=");
        connect(edit, &QLineEdit::textChanged, this, [this] { m_edited = true; });
        m_value = edit;
        break;
    }
    case Amount: {
        auto *box = new QWidget(valBase);
        auto *row = new QHBoxLayout(box);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(2);
        auto *edit = new QLineEdit(box);
        edit->setObjectName(QStringLiteral("val"));
        edit->setAlignment(Qt::AlignRight);
        // typed as in the expense's amount field
        YMRPIM::refuseAmountKeys(edit);
        connect(edit, &QLineEdit::textChanged, this, [this] { m_edited = true; });
        auto *calc = new YMRPushButton(box);
        calc->setIconSet(YMRResource::loadIconSet(QStringLiteral("calc")));
        connect(calc, &QPushButton::clicked, this, &FilterEditorDialog::calculateValue);
        row->addWidget(edit, 1);
        row->addWidget(calc);
        box->setFocusProxy(edit);
        m_value = box;
        break;
    }
    case Date: {
        auto *editor = new YMDateTimeEditor(valBase, "val");
        editor->setClockIcons(true);
        editor->hideTime(true);
        // long month names leave no room on a small screen (as on the
        // expense page)
        editor->setMonthLong(!m_narrow);
        connect(editor, qOverload<>(&YMDateTimeEditor::changed), this, [this] { m_edited = true; });
        m_value = editor;
        break;
    }
    case Reminder: {
        auto *combo = new YMRComboBox(valBase, "val");
        combo->insertItem(YMRResource::loadPixmap(QStringLiteral("button_ok")), tr("Yes"));
        combo->insertItem(YMRResource::loadPixmap(QStringLiteral("button_cancel")), tr("No"));
        connect(combo, qOverload<int>(&YMRComboBox::activated), this, [this] { m_edited = true; });
        m_value = combo;
        break;
    }
    case DateAndTime: {
        auto *box = new QWidget(valBase);
        auto *column = new QVBoxLayout(box);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(2);
        auto *date = new YMDateTimeEditor(box, "val1");
        date->setClockIcons(true);
        date->hideTime(true);
        date->setMonthLong(!m_narrow);
        auto *time = new YMDateTimeEditor(box, "val2");
        time->setClockIcons(true);
        time->hideDate(true);
        for (YMDateTimeEditor *e : {date, time})
            connect(e, qOverload<>(&YMDateTimeEditor::changed), this, [this] { m_edited = true; });
        column->addWidget(date);
        column->addWidget(time);
        box->setFocusProxy(date);
        m_value = box;
        break;
    }
    }
    layout->addWidget(m_value);
    // a date (and its time) needs the whole width of a small screen
    placeValueArea(m_narrow && (type == Date || type == DateAndTime));
    m_value->show();
    m_value->setFocus();
    // a value area below the visible rows comes into view once shown
    // (after the layouts have taken the new widget's size)
    if (m_scroll && isVisible()) {
        QTimer::singleShot(0, this, [this] { m_scroll->ensureWidgetVisible(valBase, 0, 0); });
    }
    conditionChanged(0);
}

void FilterEditorDialog::conditionChanged(int code)
{
    // also when the field changed (which comes here)
    m_edited = true;
    valBase->setEnabled(true);
    if (valueType(qMax(fs->currentItem() - 1, 0)) == Text
        && (code == FilterCondition::IsEmpty || code == FilterCondition::IsNotEmpty))
        valBase->setEnabled(false);
}

bool FilterEditorDialog::editedCondition(FilterCondition &c)
{
    // a date still being typed is taken first, or refused at its field
    if (!YMDateTimeEditor::finishTypingIn(valBase))
        return false;
    const int position = fs->currentItem();
    c = FilterCondition();
    c.field = position - 1;
    c.condition = cond->currentItem();
    switch (valueType(qMax(position - 1, 0))) {
    case Text:
        c.text = valBase->findChild<QLineEdit *>(QStringLiteral("val"))->text();
        break;
    case Amount: {
        auto *edit = valBase->findChild<QLineEdit *>(QStringLiteral("val"));
        // read as the expense's amount field reads it ("2,000" is two
        // thousand); what reads as no amount is refused with a hint
        QString plain;
        double value = 0;
        if (!YMRPIM::fieldAmount(edit, plain, &value))
            return false;
        c.amount = value;
        break;
    }
    case Date:
        c.date = valBase->findChild<YMDateTimeEditor *>(QStringLiteral("val"))->date();
        break;
    case Reminder:
        c.number = valBase->findChild<YMRComboBox *>(QStringLiteral("val"))->currentItem();
        break;
    case DateAndTime:
        c.date = valBase->findChild<YMDateTimeEditor *>(QStringLiteral("val1"))->date();
        c.time = valBase->findChild<YMDateTimeEditor *>(QStringLiteral("val2"))->time();
        if (c.time.isValid())
            c.time = QTime(c.time.hour(), c.time.minute());
        else
            c.time = QTime(0, 0);
        break;
    }
    return true;
}

void FilterEditorDialog::addCondition()
{
    FilterCondition c;
    if (!editedCondition(c))
        return;
    m_filter.conditions.append(c);
    addConditionItem(c);
    m_edited = false;
}

QString FilterEditorDialog::valueText(const FilterCondition &c)
{
    if (c.field < -1 || c.field > 10)
        return QString();
    switch (valueType(qMax(c.field, 0))) {
    case Text:
        return c.text;
    case Amount:
        return amountText(c.amount);
    case Date:
        return YMRUtil::dateToString(c.date);
    case Reminder:
        return c.number == 0 ? tr("Yes") : tr("No");
    case DateAndTime:
        return YMRUtil::dateTimeToString(QDateTime(c.date, c.time));
    }
    return QString();
}

void FilterEditorDialog::addConditionItem(const FilterCondition &c)
{
    YMRListViewItem *last = list->firstChild();
    while (last && last->nextSibling())
        last = last->nextSibling();
    auto *item = new YMRListViewItem(list, last);
    item->setText(0, c.field == -1 ? tr("All Text Fields") : TaskListView::columnName(c.field));
    item->setText(1, conditionText(qMax(c.field, 0), c.condition));
    item->setText(2, valueText(c));
    list->setCurrentItem(item);
    conditionActivated();
}

void FilterEditorDialog::removeCondition()
{
    YMRListViewItem *current = list->currentItem();
    if (!current)
        return;
    int p = 0;
    for (YMRListViewItem *i = list->firstChild(); i && i != current; i = i->nextSibling())
        ++p;
    if (p >= m_filter.conditions.size())
        return;
    const FilterCondition c = m_filter.conditions.at(p);

    const int position = qBound(0, c.field + 1, fs->count() - 1);
    fs->setCurrentItem(position);
    fieldChanged(position);
    cond->setCurrentItem(c.condition);
    conditionChanged(c.condition);
    switch (valueType(qMax(position - 1, 0))) {
    case Text:
        valBase->findChild<QLineEdit *>(QStringLiteral("val"))->setText(c.text);
        break;
    case Amount:
        valBase->findChild<QLineEdit *>(QStringLiteral("val"))->setText(amountFieldText(c.amount));
        break;
    case Date:
        valBase->findChild<YMDateTimeEditor *>(QStringLiteral("val"))->setDate(c.date);
        break;
    case Reminder:
        valBase->findChild<YMRComboBox *>(QStringLiteral("val"))->setCurrentItem(c.number);
        break;
    case DateAndTime:
        valBase->findChild<YMDateTimeEditor *>(QStringLiteral("val1"))->setDate(c.date);
        valBase->findChild<YMDateTimeEditor *>(QStringLiteral("val2"))->setTime(c.time);
        break;
    }
    m_filter.conditions.removeAt(p);
    list->removeItem(current);
    delete current;
    conditionActivated();
    // taken back for correction: it counts again once changed
    m_edited = false;
}

void FilterEditorDialog::conditionActivated()
{
    btnRemove->setEnabled(list->currentItem() != nullptr);
}

void FilterEditorDialog::calculateValue()
{
    auto *edit = valBase->findChild<QLineEdit *>(QStringLiteral("val"));
    if (!edit)
        return;
    const QString before = edit->text();
    YMRCalculator calculator(edit, this);
    calculator.exec();
    // the field reads a third decimal as a group of digits
    if (!TaskEditor::isValidAmount(edit->text())) {
        const QString computed = edit->text();
        edit->setText(before);
        YMRPIM::tellRefused(edit, tr("The result %1 is no amount the field takes: the value is "
                                     "unchanged.").arg(computed));
    }
}

void FilterEditorDialog::done(int r)
{
    // a filter stored from the editing area must not take a bad amount, nor
    // the date shown before one still being typed (Ctrl+Return accepts with
    // the keys in its field); a date refused keeps the dialog even when the
    // editing area is not stored
    FilterCondition c;
    if (r == Accepted
        && (!YMDateTimeEditor::finishTypingIn(valBase) || (takesEditingArea() && !editedCondition(c))))
        return;
    FilterEditorDialogBase::done(r);
}

bool FilterEditorDialog::takesEditingArea() const
{
    // a condition the user typed is never dropped; an empty list takes it
    // as it stands
    return m_edited || m_filter.conditions.isEmpty();
}

void FilterEditorDialog::storeFilter()
{
    if (!m_manager)
        return;
    if (takesEditingArea())
        addCondition();
    if (m_filter.conditions.isEmpty())
        return;
    m_filter.name = fname->text();
    if (m_filter.name.isEmpty())
        m_filter.name = tr("Filter");
    if (m_index == -2) {
        m_manager->setFindFilter(m_filter);
        return;
    }
    QList<TaskFilter> filters = m_manager->filters();
    if (m_index == -1)
        filters.append(m_filter);
    else
        filters[m_index] = m_filter;
    m_manager->setFilters(filters);
}
