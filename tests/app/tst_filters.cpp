// ymr-test-screens: 240x320 480x640
#include "ymrtest.h"

#include "modaldriver.h"
#include "openbook.h"
#include "ymrdatesettings.h"

#include "filtereditordialog.h"
#include "filterlistdialog.h"

#include "pim/tasklistview.h"
#include "qpe/qpedialogok.h"
#include "qt/ymdatetimeedit.h"
#include "qt/ymdatetimeeditor.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrdialog.h"
#include "qt/ymrlistview.h"
#include "qt/ymrpushbutton.h"

#include <QLabel>
#include <QToolButton>
#include <QLineEdit>

using namespace fixtures;

// Sorting and filtering the open book from the main window's menus, with
// the filter editor, the find editor and the filter list driven as a user
// drives them.
class TestFilters : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void sortingMenu();
    void newFilterFindAndCancel();
    void typedConditionIsNeverDropped();
    void menuWithMoreThanFiveFilters();
    void editorValuesPerField_data();
    void editorValuesPerField();
    void editorTypedDate_data();
    void editorTypedDate();
    void editorBadAmountRemoveAndEditMode();
    void editorAmountAsMeant_data();
    void editorAmountAsMeant();
    void filterList();
    void editorLaunchersAndZoom();

private:
    static QStringList shownTypes(ToDoWindow &w);
    static void grab(QWidget *w, const QString &name);
    QString m_book;
};

void TestFilters::initTestCase()
{
    qApp->setQuitOnLastWindowClosed(false);
}

void TestFilters::init()
{
    m_book = makeBook(QStringLiteral("Household"),
                      {{"Taxi", "12.50", "Paris", "ride", QDate(2026, 3, 1)},
                       {"Food", "7", "Rome", "lunch", QDate(2026, 3, 2)},
                       {"Taxi", "30", "Rome", "airport", QDate(2026, 3, 3)},
                       {"Hotel", "120", "Paris", "night", QDate(2026, 3, 4)}});
}

void TestFilters::cleanup()
{
    YMRDialog::stopScript();
}

QStringList TestFilters::shownTypes(ToDoWindow &w)
{
    QStringList types;
    PIMRecordArray *view = w.manager()->view();
    for (int i = 0; i < view->count(); ++i)
        types << static_cast<Task *>(view->at(i))->type;
    return types;
}

void TestFilters::grab(QWidget *w, const QString &name)
{
    const QString size = QString::number(QPEApplication::screenRect().width());
    QVERIFY(w->grab().save(ymrtest::grabPath("ymr-" + name + "-" + size)));
}

void TestFilters::sortingMenu()
{
    ToDoWindow w;
    QVERIFY(openInWindow(w, m_book));
    PopupMenu *sorting = menu(w, "sorting");
    QCOMPARE(sorting->text(0), QStringLiteral("Unsorted"));
    QCOMPARE(sorting->text(1), QStringLiteral("Reversed"));
    for (int column = 0; column <= 10; ++column)
        QCOMPARE(sorting->text(column + 2), TaskListView::columnName(column));
    QCOMPARE(sorting->count(), 15);

    // every column ascending, then reversed
    for (int column = 0; column <= 10; ++column) {
        choose(sorting, column + 2);
        ymrtest::flushEvents();
        QCOMPARE(w.manager()->sortColumn(), column);
        QVERIFY(sorting->isItemChecked(column + 2));
    }
    choose(sorting, 3);   // Amount
    ymrtest::flushEvents();
    QCOMPARE(w.manager()->sortColumn(), 1);
    QVERIFY(w.manager()->sortOrder());
    QCOMPARE(shownTypes(w), QStringList({"Food", "Taxi", "Taxi", "Hotel"}));
    // the same column again changes nothing
    choose(sorting, 3);
    ymrtest::flushEvents();
    QVERIFY(w.manager()->sortOrder());
    choose(sorting, 1);
    ymrtest::flushEvents();
    QVERIFY(!w.manager()->sortOrder());
    QVERIFY(sorting->isItemChecked(1));
    QCOMPARE(shownTypes(w), QStringList({"Hotel", "Taxi", "Taxi", "Food"}));
    // the list follows
    auto *first = dynamic_cast<PIMListViewItem *>(w.listView()->firstChild());
    QVERIFY(first);
    QCOMPARE(static_cast<Task *>(first->record())->type, QStringLiteral("Hotel"));
    // unsorted keeps the order flag; reversed twice restores it
    choose(sorting, 0);
    ymrtest::flushEvents();
    QCOMPARE(w.manager()->sortColumn(), -1);
    QVERIFY(!w.manager()->sortOrder());
    QVERIFY(sorting->isItemChecked(0));
    choose(sorting, 1);
    ymrtest::flushEvents();
    choose(sorting, 1);
    ymrtest::flushEvents();
    QVERIFY(!w.manager()->sortOrder());
    // the sort is kept with the book
    w.manager()->save();
    TaskManager reread(m_book);
    QVERIFY(reread.load());
    QCOMPARE(reread.sortColumn(), -1);
    QVERIFY(!reread.sortOrder());
}

void TestFilters::newFilterFindAndCancel()
{
    ToDoWindow w;
    QVERIFY(openInWindow(w, m_book));
    PopupMenu *filters = menu(w, "filters");
    QCOMPARE(filters->text(0), QStringLiteral("All records"));
    QVERIFY(filters->isItemChecked(0));
    // no filters: nothing after "All records"
    QCOMPARE(filters->idAt(filters->count() - 1), 0);

    // a new filter from the editing area alone, its name typed
    ymrtest::whenModalShown([](QDialog *d) {
        auto *editor = qobject_cast<FilterEditorDialog *>(d);
        QVERIFY(editor);
        QCOMPARE(editor->action->text(), QStringLiteral("Filter items that match these criteria:"));
        QCOMPARE(editor->fname->text(), QStringLiteral("New Filter"));
        QCOMPARE(editor->fs->count(), 12);
        QCOMPARE(editor->cond->count(), 7);
        QVERIFY(!editor->btnRemove->isEnabled());
        type(d, "val", QStringLiteral("rome"));
        type(d, "fname", QStringLiteral("In Rome"));
        grab(d, "filtereditor");
        d->accept();
    });
    choose(filters, entry(filters, QStringLiteral("New filter ...")));
    ymrtest::flushEvents();
    QCOMPARE(w.manager()->filters().size(), 1);
    QCOMPARE(w.manager()->filters().at(0).name, QStringLiteral("In Rome"));
    const FilterCondition c = w.manager()->filters().at(0).conditions.value(0);
    QCOMPARE(c.field, -1);
    QCOMPARE(c.condition, 0);
    QCOMPARE(c.text, QStringLiteral("rome"));
    QCOMPARE(w.manager()->currentFilter(), 0);
    QCOMPARE(shownTypes(w), QStringList({"Food", "Taxi"}));
    QCOMPARE(w.listView()->childCount(), 2);
    QVERIFY(filters->isItemChecked(1));
    QCOMPARE(filters->text(1), QStringLiteral("In Rome"));
    QVERIFY(!filters->isItemChecked(0));
    // stored in the book's header
    QVERIFY(w.manager()->save());
    QVERIFY(readAll(m_book).contains("FILTERS="));
    QVERIFY(QString::fromUtf8(readAll(m_book)).contains(QStringLiteral("In Rome")));

    // "All records" shows everything again
    choose(filters, 0);
    ymrtest::flushEvents();
    QCOMPARE(w.manager()->currentFilter(), -1);
    QCOMPARE(w.listView()->childCount(), 4);

    // a find: amount above 20, stored as the find filter, not in the list
    ymrtest::whenModalShown([](QDialog *d) {
        auto *editor = qobject_cast<FilterEditorDialog *>(d);
        QCOMPARE(editor->action->text(), QStringLiteral("Find items that match these criteria:"));
        QVERIFY(editor->fname->isHidden());
        editor->fs->setCurrentItem(2);
        editor->fieldChanged(2);
        editor->cond->setCurrentItem(4);
        editor->conditionChanged(4);
        type(d, "val", QStringLiteral("20"));
        editor->btnAdd->click();
        grab(d, "find");
        d->accept();
    });
    choose(filters, entry(filters, QStringLiteral("Find records ...")));
    ymrtest::flushEvents();
    QCOMPARE(w.manager()->currentFilter(), -2);
    QCOMPARE(w.manager()->findFilter().name, QStringLiteral("Filter"));
    QCOMPARE(w.manager()->filters().size(), 1);
    QCOMPARE(shownTypes(w), QStringList({"Taxi", "Hotel"}));
    QVERIFY(filters->isItemChecked(entry(filters, QStringLiteral("Find records ..."))));

    // the next find starts with the stored conditions; cancelling changes nothing
    ymrtest::whenModalShown([](QDialog *d) {
        auto *editor = qobject_cast<FilterEditorDialog *>(d);
        QCOMPARE(editor->list->childCount(), 1);
        QCOMPARE(editor->list->firstChild()->text(1), QStringLiteral("is more than"));
        QCOMPARE(editor->list->firstChild()->text(2), QStringLiteral("20"));
        d->reject();
    });
    choose(filters, entry(filters, QStringLiteral("Find records ...")));
    ymrtest::whenModalShown([](QDialog *d) { d->reject(); });
    choose(filters, entry(filters, QStringLiteral("New filter ...")));
    ymrtest::flushEvents();
    QCOMPARE(w.manager()->currentFilter(), -2);
    QCOMPARE(w.manager()->filters().size(), 1);
}

// A condition typed into the editing area and accepted joins the list,
// also when the list already holds conditions; an editing area left as it
// was adds nothing.
void TestFilters::typedConditionIsNeverDropped()
{
    ToDoWindow w;
    QVERIFY(openInWindow(w, m_book));
    PopupMenu *filters = menu(w, "filters");
    // finds with a typed value, or none (the menu is built anew each time)
    const auto find = [&](const char *value) {
        ymrtest::whenModalShown([value](QDialog *d) {
            if (value)
                type(d, "val", QLatin1String(value));
            d->accept();
        });
        choose(filters, entry(filters, QStringLiteral("Find records ...")));
        ymrtest::flushEvents();
    };
    find("taxi");
    QCOMPARE(shownTypes(w), QStringList({"Taxi", "Taxi"}));
    // the find comes back with "taxi" listed; "rome" is typed and accepted
    find("rome");
    QCOMPARE(w.manager()->findFilter().conditions.size(), 2);
    QCOMPARE(shownTypes(w), QStringList({"Taxi"}));
    // accepted untouched: the find stays as it was
    find(nullptr);
    QCOMPARE(w.manager()->findFilter().conditions.size(), 2);

    // a new filter: one condition added, a second only typed
    ymrtest::whenModalShown([](QDialog *d) {
        auto *editor = static_cast<FilterEditorDialog *>(d);
        type(d, "val", QStringLiteral("paris"));
        editor->btnAdd->click();
        editor->fs->setCurrentItem(1);
        editor->fieldChanged(1);
        type(d, "val", QStringLiteral("hotel"));
        d->accept();
    });
    choose(filters, entry(filters, QStringLiteral("New filter ...")));
    ymrtest::flushEvents();
    QCOMPARE(w.manager()->filters().value(0).conditions.size(), 2);
    QCOMPARE(shownTypes(w), QStringList({"Hotel"}));
}

void TestFilters::menuWithMoreThanFiveFilters()
{
    ToDoWindow w;
    QVERIFY(openInWindow(w, m_book));
    QList<TaskFilter> list;
    for (int i = 1; i <= 7; ++i) {
        TaskFilter f(QStringLiteral("F%1").arg(i));
        FilterCondition c;
        c.field = FilterCondition::Type;
        c.condition = FilterCondition::IsNotEmpty;
        f.conditions << c;
        list << f;
    }
    w.manager()->setFilters(list);
    w.manager()->setCurrentFilter(6);
    PopupMenu *filters = menu(w, "filters");
    QApplication::postEvent(&w, new QEvent(QEvent::Type(ToDoWindow::FilterMenuEvent)));
    ymrtest::flushEvents();
    // Find, -, New, Edit, -, All, -, F1..F5, -, F7
    QCOMPARE(filters->count(), 14);
    for (int i = 1; i <= 5; ++i) {
        QCOMPARE(filters->text(i), QStringLiteral("F%1").arg(i));
        QVERIFY(!filters->isItemChecked(i));
    }
    const int extra = filters->idAt(13);
    QVERIFY(extra < 0);
    QCOMPARE(filters->text(extra), QStringLiteral("F7"));
    QVERIFY(filters->isItemChecked(extra));
    choose(filters, extra);
    ymrtest::flushEvents();
    QCOMPARE(w.manager()->currentFilter(), 6);

    choose(filters, 3);
    ymrtest::flushEvents();
    QCOMPARE(w.manager()->currentFilter(), 2);
    QCOMPARE(filters->count(), 12);
    QVERIFY(filters->isItemChecked(3));

    // an index naming no filter adds no entry
    w.manager()->setCurrentFilter(9);
    QApplication::postEvent(&w, new QEvent(QEvent::Type(ToDoWindow::FilterMenuEvent)));
    ymrtest::flushEvents();
    QCOMPARE(filters->count(), 12);
}

void TestFilters::editorValuesPerField_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("shown");
    QTest::newRow("all text") << 0 << 5 << "starts with";
    QTest::newRow("type") << 1 << 1 << "is (exactly)";
    QTest::newRow("amount") << 2 << 3 << "is at least";
    QTest::newRow("date") << 7 << 2 << "on or before";
    QTest::newRow("reminder no") << 8 << 0 << "have reminder";
    QTest::newRow("category") << 9 << 6 << "ends with";
    QTest::newRow("created") << 10 << 1 << "on or after";
    QTest::newRow("updated") << 11 << 0 << "on";
}

void TestFilters::editorValuesPerField()
{
    QFETCH(int, position);
    QFETCH(int, code);
    QFETCH(QString, shown);
    TaskManager book(m_book);
    QVERIFY(book.load());
    FilterEditorDialog editor(&book, -1);
    editor.fs->setCurrentItem(position);
    editor.fieldChanged(position);
    editor.cond->setCurrentItem(code);
    editor.conditionChanged(code);
    QWidget *base = editor.valBase;
    const QDate day(2026, 5, 17);
    if (auto *edit = base->findChild<QLineEdit *>("val"))
        edit->setText(position == 2 ? QStringLiteral("1,000") : QStringLiteral("Abc"));
    if (auto *date = base->findChild<YMDateTimeEditor *>("val"))
        date->setDate(day);
    if (auto *combo = base->findChild<YMRComboBox *>("val"))
        combo->setCurrentItem(1);
    if (auto *date = base->findChild<YMDateTimeEditor *>("val1")) {
        date->setDate(day);
        base->findChild<YMDateTimeEditor *>("val2")->setTime(QTime(14, 35, 50));
    }
    if (position == 10) {
        editor.show();
        grab(&editor, "filtereditor-datetime");
    }
    editor.btnAdd->click();
    QCOMPARE(editor.filter().conditions.size(), 1);
    const FilterCondition c = editor.filter().conditions.at(0);
    QCOMPARE(c.field, position - 1);
    QCOMPARE(c.condition, code);
    QCOMPARE(editor.list->firstChild()->text(1), shown);
    const QString value = editor.list->firstChild()->text(2);
    switch (position) {
    case 2:
        QCOMPARE(c.amount, 1000.0);
        QVERIFY(c.text.isNull());
        QCOMPARE(value, QStringLiteral("1000"));
        break;
    case 7:
        QCOMPARE(c.date, day);
        QVERIFY(c.text.isNull());
        break;
    case 8:
        QCOMPARE(c.number, 1);
        QCOMPARE(value, QStringLiteral("No"));
        break;
    case 10:
    case 11:
        QCOMPARE(c.date, day);
        QCOMPARE(c.time, QTime(14, 35));
        break;
    default:
        QCOMPARE(c.text, QStringLiteral("Abc"));
        QCOMPARE(value, QStringLiteral("Abc"));
        QVERIFY(!c.date.isValid());
        QCOMPARE(editor.list->firstChild()->text(0),
                 position == 0 ? QStringLiteral("All Text Fields")
                               : TaskListView::columnName(position - 1));
    }
    // "is empty" and "is not empty" switch the value off for text fields only
    editor.conditionChanged(3);
    QCOMPARE(editor.valBase->isEnabled(), FilterEditorDialog::valueType(qMax(position - 1, 0))
                                              != FilterEditorDialog::Text);
}

// A date typed into the condition and stored at once (Ctrl+Return accepts
// with the keys in the field) is the date typed. One that does not exist is
// refused at the field with a hint: at its last digit the field is back at
// its date, which is stored; ended earlier by OK, Ctrl+Return or "Add to
// List" it stops them: the editor stays open, nothing is added.
void TestFilters::editorTypedDate_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("how"); // "ok", "ctrl+return" or "add"; "find": in the find editor
    QTest::addColumn<bool>("refused");
    QTest::addColumn<bool>("stays");
    QTest::addColumn<QDate>("stored");
    const QDate start(2026, 4, 15), may31(2026, 5, 31);
    QTest::newRow("whole date") << "31052026" << "ok" << false << false << may31;
    QTest::newRow("day 31 of April") << "31" << "ok" << true << true << start;
    QTest::newRow("29 February 2025") << "29022025" << "ok" << true << false << start;
    // a year is its typed digits alone
    QTest::newRow("1.5.4") << "1.5.4" << "ok" << false << false << QDate(2004, 5, 1);
    QTest::newRow("1/5/202, add") << "1/5/202" << "add" << false << false << QDate(202, 5, 1);
    QTest::newRow("12.13.34") << "12.13.34" << "ok" << true << false << start;
    for (const char *how : {"ok", "ctrl+return", "add", "find add"}) {
        QTest::addRow("3105, %s", how) << "3105" << how << false << false << may31;
        QTest::addRow("3104, %s", how) << "3104" << how << true << true << start;
    }
}

void TestFilters::editorTypedDate()
{
    QFETCH(QString, keys);
    QFETCH(QString, how);
    QFETCH(bool, refused);
    QFETCH(bool, stays);
    QFETCH(QDate, stored);
    const ymrtest::DateSettingsKept kept; // for the other tests
    ymrtest::setDateSettings(false, 273);
    TaskManager book(m_book);
    QVERIFY(book.load());
    const bool find = how.startsWith("find"), add = how.endsWith("add");
    {
        FilterEditorDialog editor(&book, find ? -2 : -1);
        editor.fs->setCurrentItem(7);
        editor.fieldChanged(7);
        editor.valBase->findChild<YMDateTimeEditor *>("val")->setDate(QDate(2026, 4, 15));
        editor.show();
        YMDateTimeEdit *edit = editor.valBase->findChild<YMDateTimeEditor *>("val")->dateEdit();
        edit->setFocus();
        QTest::keyClicks(edit->lineEdit(), keys);
        // a hint shown as the date was typed goes with the dialog OK closes
        const QLabel *hint = edit->lineEdit()->findChild<QLabel *>(YMDateTimeEdit::hintName());
        const bool hintBefore = hint && hint->isVisible();
        if (add)
            QTest::mouseClick(editor.btnAdd, Qt::LeftButton);
        else if (how == "ctrl+return")
            QTest::keyClick(edit->lineEdit(), Qt::Key_Return, Qt::ControlModifier);
        else
            QTest::mouseClick(QpeDialogOk::find(&editor)->okButton(), Qt::LeftButton);
        hint = edit->lineEdit()->findChild<QLabel *>(YMDateTimeEdit::hintName());
        QCOMPARE((hint && hint->isVisible()) || (hintBefore && !editor.isVisible()), refused);
        QCOMPARE(add ? editor.filter().conditions.isEmpty() : editor.isVisible(), stays);
        QCOMPARE(edit->date(), stays ? QDate(2026, 4, 15) : stored);
        if (stays && !add)
            return;
        editor.done(QDialog::Accepted);
        editor.storeFilter();
    }
    const TaskFilter filter = find ? book.findFilter() : book.filters().value(0);
    QCOMPARE(filter.conditions.size(), 1);
    QCOMPARE(filter.conditions.at(0).date, stored);
}

void TestFilters::editorBadAmountRemoveAndEditMode()
{
    TaskManager book(m_book);
    QVERIFY(book.load());
    {
        FilterEditorDialog editor(&book, -1);
        editor.fs->setCurrentItem(2);
        editor.fieldChanged(2);
        // a typed amount that reads as no number is refused with a hint, not
        // stored as 0 (letters never reach the field)
        auto *val = editor.valBase->findChild<QLineEdit *>(QStringLiteral("val"));
        for (const char *bad : {"12,3456", "1,5.2", "1.2.3", "1,234,56"}) {
            type(&editor, "val", QLatin1String(bad));
            editor.btnAdd->click();
            QCOMPARE(editor.filter().conditions.size(), 0);
            QCOMPARE(editor.list->childCount(), 0);
            auto *hint = val->findChild<QLabel *>(QStringLiteral("YMRPIM hint"));
            QVERIFY(hint && hint->isVisible());
            QVERIFY(hint->text().startsWith(QStringLiteral("Cannot read \"%1\" as an amount").arg(bad)));
            hint->hide();
        }
        type(&editor, "val", QStringLiteral("inf"));
        QCOMPARE(val->text(), QString());
        QVERIFY(val->findChild<QLabel *>(QStringLiteral("YMRPIM hint"))->isVisible());
        type(&editor, "val", QStringLiteral("1,5.2"));
        // accepting with only that in the editing area keeps the dialog open
        editor.show();
        editor.accept();
        QVERIFY(editor.isVisible());
        QCOMPARE(editor.result(), 0);
        QVERIFY(YMRDialog::takeScriptedBoxes().isEmpty());

        // two conditions, the first taken back into the editing area; a ","
        // is the decimal separator, as in the amount field
        type(&editor, "val", QStringLiteral("2,5"));
        editor.btnAdd->click();
        QCOMPARE(editor.filter().conditions.at(0).amount, 2.5);
        editor.fs->setCurrentItem(4);
        editor.fieldChanged(4);
        type(&editor, "val", QStringLiteral("Rome"));
        editor.btnAdd->click();
        QCOMPARE(editor.list->childCount(), 2);
        editor.list->setCurrentItem(editor.list->firstChild());
        editor.btnRemove->click();
        QCOMPARE(editor.fs->currentItem(), 2);
        QCOMPARE(editor.valBase->findChild<QLineEdit *>("val")->text(), QStringLiteral("2.5"));
        QCOMPARE(editor.list->childCount(), 1);
        QCOMPARE(editor.list->currentItem()->text(2), QStringLiteral("Rome"));
        editor.btnRemove->click();
        QVERIFY(!editor.btnRemove->isEnabled());
        // nothing listed: storing takes the editing area's condition
        editor.fname->clear();
        editor.done(QDialog::Accepted);
        editor.storeFilter();
    }
    QCOMPARE(book.filters().size(), 1);
    QCOMPARE(book.filters().at(0).name, QStringLiteral("Filter"));
    QCOMPARE(book.filters().at(0).conditions.size(), 1);
    QCOMPARE(book.filters().at(0).conditions.at(0).field, 3);
    QCOMPARE(book.filters().at(0).conditions.at(0).text, QStringLiteral("Rome"));

    // edit mode replaces the filter in place; an unknown index makes a new one
    {
        FilterEditorDialog editor(&book, 0);
        QCOMPARE(editor.fname->text(), QStringLiteral("Filter"));
        QCOMPARE(editor.list->childCount(), 1);
        type(&editor, "fname", QStringLiteral("City"));
        editor.storeFilter();
    }
    QCOMPARE(book.filters().size(), 1);
    QCOMPARE(book.filters().at(0).name, QStringLiteral("City"));
    {
        FilterEditorDialog editor(&book, 5);
        QCOMPARE(editor.filterIndex(), -1);
        QCOMPARE(editor.fname->text(), QStringLiteral("New Filter"));
    }
}

// A typed amount is read as in the expense's amount field, in any locale:
// "Amount is more than 2,000" filters on two thousand.
void TestFilters::editorAmountAsMeant_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("amount");
    QTest::addColumn<int>("kept");   // of 1500, 2500, 1234567.89
    QTest::newRow("thousands") << "en_US" << "2,000" << 2000.0 << 2;
    QTest::newRow("decimal comma") << "de_DE" << "2.000,00" << 2000.0 << 2;
    QTest::newRow("millions") << "en_US" << "1,234,567.88" << 1234567.88 << 1;
    QTest::newRow("Indian groups") << "de_DE" << "12,34,567.88" << 1234567.88 << 1;
    QTest::newRow("blank groups") << "de_DE" << "1 499,99" << 1499.99 << 3;
}

void TestFilters::editorAmountAsMeant()
{
    QFETCH(QString, locale);
    QFETCH(QString, typed);
    QFETCH(double, amount);
    QFETCH(int, kept);
    const QByteArray lang = qgetenv("LANG");
    qputenv("LANG", locale.toLatin1() + ".UTF-8");
    const QLocale before;
    QLocale::setDefault(QLocale(locale));
    TaskManager book(makeBook(QStringLiteral("Amounts"), {{"Taxi", "1500", "", "", QDate(2026, 3, 1)},
                                                          {"Hotel", "2500", "", "", QDate(2026, 3, 2)},
                                                          {"Rent", "1234567.89", "", "", QDate(2026, 3, 3)}}));
    QVERIFY(book.load());
    {
        FilterEditorDialog editor(&book, -1);
        editor.fs->setCurrentItem(2);
        editor.fieldChanged(2);
        editor.cond->setCurrentItem(FilterCondition::Above);
        editor.conditionChanged(FilterCondition::Above);
        type(&editor, "val", typed);
        editor.storeFilter();
    }
    QLocale::setDefault(before);
    qputenv("LANG", lang);
    QCOMPARE(book.filters().size(), 1);
    const TaskFilter filter = book.filters().at(0);
    QCOMPARE(filter.conditions.at(0).amount, amount);
    int passed = 0;
    for (int i = 0; i < book.records()->count(); ++i)
        passed += filter.accepts(static_cast<const Task *>(book.records()->at(i))) ? 1 : 0;
    QCOMPARE(passed, kept);
}

void TestFilters::filterList()
{
    ToDoWindow w;
    QVERIFY(openInWindow(w, m_book));
    QList<TaskFilter> list;
    for (const char *name : {"b", "C", "a", "b"}) {
        TaskFilter f{QLatin1String(name)};
        FilterCondition c;
        c.field = FilterCondition::Type;
        c.text = QStringLiteral("Taxi");
        f.conditions << c;
        list << f;
    }
    w.manager()->setFilters(list);
    w.manager()->setCurrentFilter(1);
    PopupMenu *filters = menu(w, "filters");
    // automatic ids change with every rebuild of the menu
    auto edit = [filters] { choose(filters, entry(filters, QStringLiteral("Edit filters ..."))); };
    auto names = [&w] {
        QStringList n;
        for (const TaskFilter &f : w.manager()->filters())
            n << f.name;
        return n;
    };

    // looking and closing changes nothing, the current filter included
    ymrtest::whenModalShown([](QDialog *d) {
        auto *dialog = qobject_cast<FilterListDialog *>(d);
        QVERIFY(dialog);
        QCOMPARE(d->windowTitle(), QStringLiteral("Filters Editor ..."));
        QCOMPARE(dialog->list->childCount(), 4);
        QVERIFY(!dialog->btnUp->isEnabled());
        QVERIFY(dialog->btnDown->isEnabled());
        grab(d, "filterlist");
        dialog->btnClose->click();
    });
    edit();
    ymrtest::flushEvents();
    QCOMPARE(names(), QStringList({"b", "C", "a", "b"}));
    QCOMPARE(w.manager()->currentFilter(), 1);

    // moves, then a cancelled New, then Close: the moved order, "C" still current
    ymrtest::whenModalShown([](QDialog *d) {
        auto *dialog = qobject_cast<FilterListDialog *>(d);
        dialog->list->setCurrentItem(dialog->list->firstChild());
        dialog->btnDown->click();
        dialog->btnDown->click();
        QCOMPARE(dialog->list->currentItem()->text(0), QStringLiteral("b"));
        ymrtest::whenModalShown([](QDialog *e) { e->reject(); });
        dialog->btnNew->click();
        dialog->btnClose->click();
    });
    edit();
    ymrtest::flushEvents();
    QCOMPARE(names(), QStringList({"C", "a", "b", "b"}));
    QCOMPARE(w.manager()->currentFilter(), 0);
    QCOMPARE(filters->text(1), QStringLiteral("C"));
    QVERIFY(filters->isItemChecked(1));

    // sort by name (code unit order keeps both "b"), remove one after a
    // refused and a confirmed question, edit a name, select
    ymrtest::whenModalShown([](QDialog *d) {
        auto *dialog = qobject_cast<FilterListDialog *>(d);
        dialog->btnSort->click();
        QStringList rows;
        for (YMRListViewItem *i = dialog->list->firstChild(); i; i = i->nextSibling())
            rows << i->text(0);
        QCOMPARE(rows, QStringList({"C", "a", "b", "b"}));
        dialog->list->setCurrentItem(dialog->list->firstChild()->nextSibling());
        YMRDialog::queueAnswer(2);
        dialog->btnRemove->click();
        QCOMPARE(dialog->list->childCount(), 4);
        YMRDialog::queueAnswer(1);
        dialog->btnRemove->click();
        QCOMPARE(dialog->list->childCount(), 3);
        QCOMPARE(YMRDialog::takeScriptedBoxes().at(0).text,
                 QStringLiteral("Are you sure you want to delete\nFilter [a] ?"));
        // edit the last row's name
        YMRListViewItem *last = dialog->list->firstChild()->nextSibling()->nextSibling();
        dialog->list->setCurrentItem(last);
        ymrtest::whenModalShown([](QDialog *e) {
            type(e, "fname", QStringLiteral("Z"));
            e->accept();
        });
        dialog->btnEdit->click();
        QCOMPARE(last->text(0), QStringLiteral("Z"));
        dialog->btnSelect->click();
    });
    edit();
    ymrtest::flushEvents();
    QCOMPARE(names(), QStringList({"C", "b", "Z"}));
    QCOMPARE(w.manager()->currentFilter(), 2);
    QCOMPARE(w.manager()->filters().at(2).conditions.size(), 1);

    // removing every row leaves the book without filters
    ymrtest::whenModalShown([](QDialog *d) {
        auto *dialog = qobject_cast<FilterListDialog *>(d);
        while (dialog->list->currentItem()) {
            YMRDialog::queueAnswer(1);
            dialog->btnRemove->click();
        }
        QVERIFY(!dialog->btnSelect->isEnabled() && !dialog->btnEdit->isEnabled());
        d->reject();
    });
    edit();
    ymrtest::flushEvents();
    QVERIFY(w.manager()->filters().isEmpty());
    QCOMPARE(w.manager()->currentFilter(), -1);
    QCOMPARE(filters->idAt(filters->count() - 1), 0);
}

void TestFilters::editorLaunchersAndZoom()
{
    ToDoWindow w;
    QVERIFY(openInWindow(w, m_book));
    PopupMenu *lists = menu(w, "lists");
    QCOMPARE(lists->count(), 6);
    const std::pair<const char *, const char *> launchers[] = {
        {"lists1", "CurrenciesList"}, {"lists2", "CustomListDialog"},
        {"lists3", "CustomListDialog"}, {"lists4", "CustomListDialog"},
        {"lists5", "CategoiesDialog"}};
    for (const auto &l : launchers) {
        QString shown;
        ymrtest::whenModalShown([&shown](QDialog *d) {
            shown = QString::fromLatin1(d->metaObject()->className()) + '/' + d->windowTitle();
            d->reject();
        });
        trigger(w, l.first);
        QVERIFY2(shown.startsWith(QLatin1String(l.second)), qPrintable(shown));
    }

    // zoom to both ends of the size table; there the commands do nothing
    for (int i = 0; i < 12 && w.action("zoomin")->isEnabled(); ++i)
        trigger(w, "zoomin");
    QCOMPARE(QFontInfo(w.listView()->font()).pointSize(), 36);
    QVERIFY(!w.action("zoomin")->isEnabled());
    w.zoomin();
    QCOMPARE(QFontInfo(w.listView()->font()).pointSize(), 36);
    for (int i = 0; i < 12 && w.action("zoomout")->isEnabled(); ++i)
        trigger(w, "zoomout");
    QCOMPARE(QFontInfo(w.listView()->font()).pointSize(), 8);
    w.zoomout();
    QCOMPARE(QFontInfo(w.listView()->font()).pointSize(), 8);
    QVERIFY(w.action("zoomin")->isEnabled());
}

YMR_TEST_MAIN(TestFilters)
#include "tst_filters.moc"
