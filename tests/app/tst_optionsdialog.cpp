// ymr-test-screens: 240x320 480x640
#include "ymrtest.h"

#include "bookfixtures.h"
#include "modaldriver.h"

#include "colorswidget.h"
#include "columnsetup.h"
#include "dateformatselector.h"
#include "dbdialog.h"
#include "dbeditor.h"
#include "directoryselector.h"
#include "formatsetup.h"
#include "keyswidget.h"
#include "optionsdialog.h"
#include "todowindow.h"

#include "pim/dblistview.h"
#include "pim/pimlistviewitem.h"
#include "pim/task.h"
#include "pim/tasklistview.h"
#include "pim/taskmanager.h"
#include "pim/ymrpim.h"
#include "qpe/qpeapplication.h"
#include "qpe/qpekeys.h"
#include "qt/ymraction.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrdialog.h"
#include "qt/ymrlistview.h"
#include "qt/ymrokcancelwidget.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymselectcoloraction.h"
#include "qt/ymtabwidget.h"

#include <QPlainTextEdit>

using namespace fixtures;

namespace {

// The window with its zoom slots counted.
class CountingWindow : public ToDoWindow
{
public:
    int zoomIns = 0;
    int zoomOuts = 0;
    void zoomin() override { ++zoomIns; }
    void zoomout() override { ++zoomOuts; }
};

QStringList listedIds(YMRListView *list)
{
    QStringList ids;
    for (YMRListViewItem *i = list->firstChild(); i; i = i->nextSibling())
        ids << i->text(1);
    return ids;
}

QStringList columnTitles(YMRListView *list)
{
    QStringList titles;
    for (int c = 0; c < list->columns(); ++c)
        titles << list->columnText(c);
    return titles;
}

} // namespace

// The options dialog and its pages, opened from the main window's menu as a
// user does, and the window following what was set, also after a restart.
class TestOptionsDialog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void formatPageDefaultsAndBadInput();
    void formatsReachTheListAndSurviveRestart();
    void columnsPage();
    void colorsPage();
    void keysPageBindings();
    void boundKeysRunCommands();
    void zoomKeysDoNothingAtTheEnds();

private:
    // Runs act inside the options dialog opened through the window's action.
    static void runOptions(ToDoWindow &w, const std::function<void(OptionsDialog *)> &act);
    static void press(QWidget *w, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier);
    static void grab(QWidget *w, const QString &name);
};

void TestOptionsDialog::initTestCase()
{
    qApp->setQuitOnLastWindowClosed(false);
    qputenv("LANG", "en");
    // a book with three expenses, made and opened through the window
    ModalDriver driver;
    driver.expect("DBDialog", [](QWidget *d) {
        auto *dialog = static_cast<DBDialog *>(d);
        dialog->btnNew->click();
        dialog->list->setCurrentItem(dialog->list->firstChild());
        dialog->btnSelect->click();
    });
    driver.expect("DBEditor", [](QWidget *e) {
        auto *editor = static_cast<DBEditor *>(e);
        editor->path->setDirectory(booksDir());
        type(e, "title", QStringLiteral("Trips"));
        editor->YMROkCancelWidget1->okButton()->click();
    });
    ToDoWindow w;
    ymrApp->showMainDocumentWidget(&w);
    QTRY_VERIFY_WITH_TIMEOUT(w.manager(), 5000);
    for (int i = 0; i < 3; ++i) {
        auto *t = new Task(w.manager());
        t->type = QStringLiteral("Taxi");
        t->amount = QString::number(1000 + i);
        t->date = QDate(2026, 3, 4 + i);
        QVERIFY(t->store(nullptr));
    }
}

void TestOptionsDialog::cleanup()
{
    YMRDialog::stopScript();
}

void TestOptionsDialog::runOptions(ToDoWindow &w, const std::function<void(OptionsDialog *)> &act)
{
    bool ran = false;
    ymrtest::whenModalShown([&](QDialog *d) {
        auto *dialog = qobject_cast<OptionsDialog *>(d);
        QVERIFY(dialog);
        ran = true;
        act(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    QVERIFY(w.action("options")->isEnabled());
    emit w.action("options")->activated();
    QVERIFY(ran);
    QVERIFY(!w.findChild<OptionsDialog *>());
}

void TestOptionsDialog::press(QWidget *w, Qt::Key key, Qt::KeyboardModifiers mods)
{
    QTest::keyClick(w, key, mods);
}

void TestOptionsDialog::grab(QWidget *w, const QString &name)
{
    const QString size = QString::number(QPEApplication::screenRect().width());
    QVERIFY(w->grab().save(ymrtest::grabPath("ymr-options-" + name + "-" + size)));
}

void TestOptionsDialog::formatPageDefaultsAndBadInput()
{
    ToDoWindow w;
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(w.manager(), 5000);
    runOptions(w, [this](OptionsDialog *d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("Options"));
        QCOMPARE(d->tabWidget()->currentPage(), d->formatPage());
        FormatSetup *page = d->formatPage();
        QCOMPARE(page->dateFormat->format(), QStringLiteral("YYYY/MM/DD"));
        QCOMPARE(page->dateTimeFormat->format(), QStringLiteral("YYYY/MM/DD hh:mm AM/PM"));
        QCOMPARE(page->formats->currentText(), QStringLiteral("@#,#"));
        QCOMPARE(page->colors->currentText(), QStringLiteral("Grid"));
        for (QWidget *p : {static_cast<QWidget *>(d->formatPage()),
                           static_cast<QWidget *>(d->columnPage()),
                           static_cast<QWidget *>(d->colorsPage()),
                           static_cast<QWidget *>(d->keysPage())}) {
            d->tabWidget()->showPage(p);
            grab(d, QString::number(d->pageNumber(p)));
        }
        QCOMPARE(setting("Options", "optionsPage"), QStringLiteral("4"));
        d->tabWidget()->showPage(page);

        // an empty format, or a date format without fields, is refused with
        // a message; the dialog stays and nothing is written
        struct Field {
            QLineEdit *edit;
            const char *typed;
            const char *message;
        };
        const Field fields[] = {
            {page->dateFormat->comboBox()->lineEdit(), "", "The date format cannot be empty."},
            {page->dateFormat->comboBox()->lineEdit(), "date",
             "The date format [date] shows no part of the date."},
            {page->dateTimeFormat->comboBox()->lineEdit(), " ",
             "The date and time format cannot be empty."},
            {page->dateTimeFormat->comboBox()->lineEdit(), "at noon",
             "The date and time format [at noon] shows no part of the date."},
            {page->formats->lineEdit(), "", "The amount format cannot be empty."},
        };
        for (const Field &f : fields) {
            const QString kept = f.edit->text();
            f.edit->selectAll();
            QTest::keyClick(f.edit, Qt::Key_Delete);
            QTest::keyClicks(f.edit, QLatin1String(f.typed));
            YMRDialog::queueAnswer(0);
            d->reject();
            QVERIFY(d->isVisible());
            QCOMPARE(YMRDialog::takeScriptedBoxes().value(0).text, QLatin1String(f.message));
            QCOMPARE(setting("Options", "defdate"), QString());
            f.edit->setText(kept);
        }
        // the number-format editor's code becomes the shown one, though
        // the list gets it only when the editor stored it there
        ymrtest::whenModalShown([](QDialog *editor) {
            QCOMPARE(editor->metaObject()->className(), "NumberFormatEditor");
            auto *code = editor->findChild<QLineEdit *>(QStringLiteral("edit"));
            QCOMPARE(code->text(), QStringLiteral("@#,#"));
            code->setText(QStringLiteral("#,#.000"));
            editor->reject();
        });
        page->btnEdit->click();
        QCOMPARE(page->formats->currentText(), QStringLiteral("#,#.000"));
        QVERIFY(!YMRPIM::loadList(QStringLiteral("numberformat")).contains("#,#.000"));

        // typed codes are kept as typed
        page->formats->lineEdit()->clear();
        QTest::keyClicks(page->formats->lineEdit(), QStringLiteral("#.##"));
        d->accept();
    });
    QCOMPARE(setting("Options", "defcformat"), QStringLiteral("#.##"));
    QCOMPARE(setting("Options", "defdate"), QStringLiteral("YYYY/MM/DD"));
    QCOMPARE(setting("Options", "colormode"), QStringLiteral("1"));
    setSetting("Options", "defcformat", QString());
}

void TestOptionsDialog::formatsReachTheListAndSurviveRestart()
{
    {
        ToDoWindow w;
        w.show();
        QTRY_VERIFY_WITH_TIMEOUT(w.manager(), 5000);
        QCOMPARE(w.listView()->colorMode(), 1);
        runOptions(w, [](OptionsDialog *d) {
            QCOMPARE(d->tabWidget()->currentPage(), static_cast<QWidget *>(d->formatPage()));
            FormatSetup *page = d->formatPage();
            page->colors->setCurrentItem(0);
            page->dateFormat->comboBox()->setEditText(QStringLiteral("DD.MM.YYYY"));
            page->formats->setEditText(QStringLiteral("#,#.##@"));
            d->reject();   // Cancel keeps what the pages hold
        });
        QCOMPARE(w.listView()->colorMode(), 0);
        QCOMPARE(w.listView()->dateText(QDate(2026, 3, 4)), QStringLiteral("04.03.2026"));
        QCOMPARE(setting("Options", "defcformat"), QStringLiteral("#,#.##@"));
        QCOMPARE(setting("Options", "optionsPage"), QStringLiteral("1"));
    }
    ToDoWindow again;
    again.show();
    QTRY_VERIFY_WITH_TIMEOUT(again.manager(), 5000);
    QCOMPARE(again.listView()->colorMode(), 0);
    QCOMPARE(again.listView()->dateText(QDate(2026, 3, 4)), QStringLiteral("04.03.2026"));
    runOptions(again, [](OptionsDialog *d) {
        FormatSetup *page = d->formatPage();
        QCOMPARE(page->colors->currentText(), QStringLiteral("Default"));
        QCOMPARE(page->formats->currentText(), QStringLiteral("#,#.##@"));
        page->colors->setCurrentItem(1);
        page->dateFormat->comboBox()->setEditText(QStringLiteral("YYYY/MM/DD"));
        page->formats->setEditText(QStringLiteral("@#,#"));
    });
    QCOMPARE(again.listView()->colorMode(), 1);
}

void TestOptionsDialog::columnsPage()
{
    // an empty part is dropped, an unknown id kept as it is
    setSetting("main_columns", "column", QStringLiteral("1;;0;42"));
    ToDoWindow w;
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(w.manager(), 5000);
    runOptions(w, [](OptionsDialog *d) {
        d->tabWidget()->showPage(d->columnPage());
        ColumnSetup *page = d->columnPage();
        QCOMPARE(page->where->currentText(), QStringLiteral("Main View"));
        QCOMPARE(page->allcolumns->childCount(), 11);
        QCOMPARE(listedIds(page->list), QStringList({"1", "0", "42"}));
        QCOMPARE(page->list->firstChild()->text(0), QStringLiteral("Amount"));
        QVERIFY(page->list->firstChild()->nextSibling()->nextSibling()->text(0).isEmpty());
        // the first item is current: Up off, Down and Remove on
        QVERIFY(!page->btnUp->isEnabled() && page->btnDown->isEnabled());
        page->btnDown->click();
        QCOMPARE(setting("main_columns", "column"), QStringLiteral("0;1;42"));
        QVERIFY(page->btnUp->isEnabled());
        page->list->setCurrentItem(page->list->firstChild()->nextSibling()->nextSibling());
        QVERIFY(!page->btnDown->isEnabled());
        page->btnRemove->click();
        QCOMPARE(setting("main_columns", "column"), QStringLiteral("0;1"));

        // Get walks down the columns and stays on the last
        page->allcolumns->setCurrentItem(page->allcolumns->firstChild());
        for (int i = 0; i < 12; ++i)
            page->btnGet->click();
        QCOMPARE(page->allcolumns->currentItem()->text(1), QStringLiteral("10"));
        QCOMPARE(listedIds(page->list).mid(2),
                 QStringList({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "10"}));

        // views switch after saving the one left
        page->where->setCurrentItem(1);
        page->whereChanged(1);
        QCOMPARE(page->group(), QStringLiteral("alarm_columns"));
        while (page->list->childCount())
            page->btnRemove->click();
        QCOMPARE(setting("alarm_columns", "column"), QString(""));
        QVERIFY(!page->btnRemove->isEnabled() && !page->btnUp->isEnabled()
                && !page->btnDown->isEnabled());
        page->where->setCurrentItem(0);
        page->whereChanged(0);
        QCOMPARE(page->list->childCount(), 14);
        // the main view as the list will show it
        while (page->list->childCount())
            page->btnRemove->click();
        QCOMPARE(setting("main_columns", "column"), QString(""));
        page->allcolumns->setCurrentItem(page->allcolumns->firstChild());
        page->btnGet->click();
        page->btnGet->click();
    });
    QCOMPARE(setting("main_columns", "column"), QStringLiteral("0;1"));
    QCOMPARE(columnTitles(w.listView()).mid(0, 2), QStringList({"Type", "Amount"}));
    QCOMPARE(w.listView()->columns(), 2);
    // a removed view is given its default list at the next start
    ToDoWindow again;
    QCOMPARE(setting("alarm_columns", "column"), QStringLiteral("6;0;1;7;4;3;5;8"));
    setSetting("main_columns", "column", QStringLiteral("6;0;1;7;4;3;5;8"));
}

void TestOptionsDialog::colorsPage()
{
    ToDoWindow w;
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(w.manager(), 5000);
    const char *const defaults[] = {"#336699", "#e5e5e5", "#000000", "#ffffcc"};
    runOptions(w, [&](OptionsDialog *d) {
        // the page last shown opens again
        QCOMPARE(d->tabWidget()->currentPage(), static_cast<QWidget *>(d->columnPage()));
        d->tabWidget()->showPage(d->colorsPage());
        grab(d, "colors");
        ColorsWidget *page = d->colorsPage();
        for (int i = 0; i < 4; ++i)
            QCOMPARE(page->colorAction(i)->currentColor().name(), QLatin1String(defaults[i]));
        YMRListViewItem *row = page->lv->firstChild();
        QCOMPARE(row->text(1), QStringLiteral("Breakfast"));
        for (int n = 0; row; row = row->nextSibling(), ++n) {
            const bool reminder = n == 2;
            QCOMPARE(row->pixmap(3)->cacheKey() != 0, true);
            QCOMPARE(row->text(1) == QStringLiteral("Dinner"), reminder);
        }
    });
    // opening and closing writes nothing
    QCOMPARE(setting("main", "c1"), QString());

    runOptions(w, [&](OptionsDialog *d) {
        ColorsWidget *page = d->colorsPage();
        page->colorAction(3)->panelColorSelected(QColor(QStringLiteral("#102030")));
        QCOMPARE(setting("main", "c4"), QStringLiteral("#102030"));
        QCOMPARE(setting("main", "c1"), QLatin1String(defaults[0]));
        QColor text, base;
        page->lv->rowColors(nullptr, text, base, 1, 1);
        QCOMPARE(base.name(), QStringLiteral("#102030"));
        d->reject();
    });
    QColor text, base;
    w.listView()->rowColors(nullptr, text, base, 1, 1);
    QCOMPARE(base.name(), QStringLiteral("#102030"));
    ToDoWindow again;
    again.listView()->rowColors(nullptr, text, base, 1, 1);
    QCOMPARE(base.name(), QStringLiteral("#102030"));
}

void TestOptionsDialog::keysPageBindings()
{
    setSetting("Options", "key_3", QString::number('Q'));
    setSetting("Options", "key_9", QString::number('Q'));
    ToDoWindow w;
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(w.manager(), 5000);
    runOptions(w, [](OptionsDialog *d) {
        d->tabWidget()->showPage(d->keysPage());
        KeysWidget *page = d->keysPage();
        // a code stored twice stays with the later row
        QCOMPARE(page->keyButton(3)->text(), QStringLiteral("None"));
        QCOMPARE(page->keyButton(9)->text(), QStringLiteral("Q"));
        QCOMPARE(page->keyButton(1)->text(), QStringLiteral("None"));
        QVERIFY(!page->waitingButton());

        // the row's code after its button and the key: -1 when the row did
        // not wait for the key, -2 when it went on waiting
        auto bind = [page](int row, Qt::Key key, Qt::KeyboardModifiers mods) -> int {
            page->keyButton(row)->click();
            if (page->waitingButton() != page->keyButton(row))
                return -1;
            QTest::keyClick(page, key, mods);
            if (page->waitingButton())
                return -2;
            return KeysWidget::keyCode(page->keyButton(row));
        };
        QCOMPARE(bind(5, Qt::Key_A, Qt::NoModifier), int('A'));
        // the same key on another row moves there
        QCOMPARE(bind(7, Qt::Key_A, Qt::NoModifier), int('A'));
        QCOMPARE(page->keyButton(5)->text(), QStringLiteral("None"));
        QCOMPARE(page->keyButton(7)->text(), QStringLiteral("A"));
        QCOMPARE(bind(1, Qt::Key_B, Qt::ShiftModifier), 'B' | QpeKeys::SHIFT);
        QCOMPARE(bind(2, Qt::Key_B, Qt::ControlModifier), 'B' | QpeKeys::CTRL);
        QCOMPARE(bind(4, Qt::Key_B, Qt::AltModifier), 'B' | QpeKeys::ALT);
        // two modifiers: the plain key
        QCOMPARE(bind(6, Qt::Key_C, Qt::ShiftModifier | Qt::ControlModifier), int('C'));
        QCOMPARE(bind(10, Qt::Key_F11, Qt::NoModifier), int(QpeKeys::Key_F11));
        QCOMPARE(page->keyButton(10)->text(), QStringLiteral("Menu"));
        // Backspace clears a bound row and binds an unbound one
        QCOMPARE(bind(6, Qt::Key_Backspace, Qt::NoModifier), 0);
        QCOMPARE(page->keyButton(6)->text(), QStringLiteral("None"));
        QCOMPARE(bind(6, Qt::Key_Backspace, Qt::NoModifier), int(QpeKeys::Key_Backspace));
        // modifier keys alone bind nothing; the row keeps waiting
        page->keyButton(8)->click();
        QTest::keyClick(page, Qt::Key_Shift);
        QCOMPARE(page->waitingButton(), page->keyButton(8));
        QTest::keyClick(page, Qt::Key_Tab);
        QCOMPARE(KeysWidget::keyCode(page->keyButton(8)), int(QpeKeys::Key_Tab));
        grab(d, "keys-bound");

        // Escape closes the dialog even while a row waits
        page->keyButton(3)->click();
        QTest::keyClick(page, Qt::Key_Escape);
        QVERIFY(!d->isVisible());
    });
    const QStringList expected = {QString::number('B' | QpeKeys::SHIFT),
                                  QString::number('B' | QpeKeys::CTRL),
                                  "0",
                                  QString::number('B' | QpeKeys::ALT),
                                  "0",
                                  QString::number(QpeKeys::Key_Backspace),
                                  QString::number('A'),
                                  QString::number(QpeKeys::Key_Tab),
                                  QString::number('Q'),
                                  QString::number(QpeKeys::Key_F11)};
    for (int row = 1; row <= 10; ++row) {
        QCOMPARE(setting("Options", qPrintable("key_" + QString::number(row))),
                 expected.at(row - 1));
        QCOMPARE(w.boundKey(row), expected.at(row - 1).toInt());
    }
    for (int row = 1; row <= 10; ++row)
        setSetting("Options", qPrintable("key_" + QString::number(row)), QString());
}

void TestOptionsDialog::boundKeysRunCommands()
{
    setSetting("Options", "key_8", QString::number('D' | QpeKeys::CTRL));
    setSetting("Options", "key_10", QString::number('O'));
    setSetting("Options", "key_4", QString::number(QpeKeys::Key_Delete));
    ToDoWindow w;
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(w.manager(), 5000);

    // "Remove:" asks first, then removes the current expense; with none
    // current (the book emptied) it does nothing
    const int count = w.manager()->count();
    w.listView()->setCurrentItem(w.listView()->firstChild());
    QVERIFY(w.action("remove")->isEnabled());
    YMRDialog::queueAnswer(1);
    QTest::keyClick(w.listView(), Qt::Key_Delete);
    QCOMPARE(YMRDialog::takeScriptedBoxes().size(), 1);
    QCOMPARE(w.manager()->count(), count - 1);
    w.manager()->removeAll();
    QVERIFY(!w.action("remove")->isEnabled());
    QTest::keyClick(&w, Qt::Key_Delete);
    QVERIFY(YMRDialog::takeScriptedBoxes().isEmpty());
    const bool shown = w.descriptionPane()->isVisible();
    // a bound key reaches the window even while the list has the focus
    QTest::keyClick(w.listView(), Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(w.descriptionPane()->isVisible(), !shown);
    QTest::keyClick(&w, Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(w.descriptionPane()->isVisible(), shown);
    // the same letter without its modifier is not bound
    bool bound = true;
    w.checkKey(bound, 'D');
    QVERIFY(!bound);
    // no key is the code of every unbound row, yet runs nothing
    w.checkKey(bound, 0);
    QVERIFY(!bound);
    w.checkKey(bound, 'O');
    QVERIFY(bound);

    bool opened = false;
    ymrtest::whenModalShown([&opened](QDialog *d) {
        opened = qobject_cast<OptionsDialog *>(d) != nullptr;
        d->reject();
    });
    QTest::keyClick(w.listView(), Qt::Key_O);
    QVERIFY(opened);

    // a key bound in the dialog works as soon as it closes: the books
    // dialog comes, and the open book again after it
    runOptions(w, [](OptionsDialog *d) {
        d->tabWidget()->showPage(d->keysPage());
        d->keysPage()->keyButton(7)->click();
        QTest::keyClick(d->keysPage(), Qt::Key_K, Qt::AltModifier);
    });
    QString shownDialog;
    ymrtest::whenModalShown([&shownDialog](QDialog *d) {
        shownDialog = QString::fromLatin1(d->metaObject()->className());
        d->reject();
    });
    QTest::keyClick(&w, Qt::Key_K, Qt::AltModifier);
    QCOMPARE(shownDialog, QStringLiteral("DBDialog"));
    QTRY_VERIFY_WITH_TIMEOUT(w.manager(), 5000);
    for (const char *key : {"key_4", "key_7", "key_8", "key_10"})
        setSetting("Options", key, QString());
}

void TestOptionsDialog::zoomKeysDoNothingAtTheEnds()
{
    CountingWindow w;
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(w.manager(), 5000);
    w.snapZoomSize(36, false);
    QVERIFY(!w.action("zoomin")->isEnabled());
    press(&w, Qt::Key_Plus, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(w.zoomIns, 0);
    press(&w, Qt::Key_Minus, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(w.zoomOuts, 1);
    w.snapZoomSize(8, true);
    press(&w, Qt::Key_Minus, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(w.zoomOuts, 1);
    press(&w, Qt::Key_Plus, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(w.zoomIns, 1);
}

YMR_TEST_MAIN(TestOptionsDialog)
#include "tst_optionsdialog.moc"
