// ymr-test-screens: 240x320 480x640
#include "ymrtest.h"

#include "modaldriver.h"
#include "openbook.h"

#include "currencieslist.h"
#include "customlistdialog.h"
#include "pim/ymrpim.h"
#include "qt/ymrcombobox.h"
#include <QLineEdit>
#include <QPushButton>
#include "dbdialog.h"
#include "dbeditor.h"
#include "formatsetup.h"
#include "optionsdialog.h"
#include "passworddialog2.h"
#include "taskdialog.h"
#include "taskeditor.h"
#include "remindereditor.h"
#include <QPlainTextEdit>

#include "filedialog/ymfiledialog.h"
#include "pim/dblistview.h"
#include "pim/tasklistview.h"
#include "qt/ymrlistview.h"
#include "qt/ymrdialog.h"
#include "qt/ymrokcancelwidget.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymtabwidget.h"

#include <QScreen>
#include <QToolButton>

using namespace fixtures;

// A user's walk through the program: every dialog is reached from the main
// window's own commands and menus, shows with its caption and fits the screen.
class TestWalkthrough : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void everyDialogFromItsCommand_data();
    void everyDialogFromItsCommand();
    void everyMenuButtonOnTheBar();
    void currencyRowsReadBackAsTyped();
    void passwordWithBarStillOpens();

private:
    static void grab(QWidget *w, const QString &name);
    static void checkShown(QWidget *w, const QString &name);
    // Opens the dialog of that row through the window; steps go to the driver.
    static void open(ToDoWindow &w, ModalDriver &driver, const QString &row,
                     const QString &caption, QStringList &captions);
};

void TestWalkthrough::initTestCase()
{
    PasswordDialog2::installPrompts();
    qApp->setQuitOnLastWindowClosed(false);
    ymrtest::useDesktopFont();
    qputenv("LANG", "en");
    makeBook(QStringLiteral("Household"),
             {{"Taxi", "12.50", "Berlin", "to the station", QDate(2026, 3, 1)},
              {"Hotel", "80", "Paris", "two nights", QDate(2026, 3, 2)}});
    makeBook(QStringLiteral("Secret"), {{"Food", "5", "Rome", "", QDate(2026, 3, 3)}},
             QStringLiteral("pw"));
}

void TestWalkthrough::cleanup()
{
    YMRDialog::stopScript();
    YMFileDialog::clearScript();
}

void TestWalkthrough::grab(QWidget *w, const QString &name)
{
    // pending layouts first, as a user sees the dialog
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    const QRect screen = QPEApplication::screenRect();
    const QString size = QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height());
    w->grab().save(ymrtest::grabPath(QStringLiteral("walk-%1-%2").arg(name, size)));
    qInfo("%s: %s %dx%d", qPrintable(name), qPrintable(w->windowTitle()), w->width(), w->height());
}

void TestWalkthrough::checkShown(QWidget *w, const QString &name)
{
    grab(w, name);
    const QRect screen = QPEApplication::screenRect();
    QVERIFY2(w->width() <= screen.width() && w->height() <= screen.height(), qPrintable(name));
}

void TestWalkthrough::everyDialogFromItsCommand_data()
{
    QTest::addColumn<QString>("caption");
    QTest::newRow("books") << "Select Expense Book";
    QTest::newRow("bookeditor") << "Expense Book";
    QTest::newRow("password") << "Enter password";
    QTest::newRow("password2") << "Enter password";
    QTest::newRow("newexpense") << "New Expense";
    QTest::newRow("templates") << "Templates...";
    QTest::newRow("types") << "Edit Types";
    QTest::newRow("cities") << "Edit Cities";
    QTest::newRow("accounts") << "Edit Accounts";
    QTest::newRow("currencies") << "Edit Currencies";
    QTest::newRow("numberformat") << "Number Format Editor";
    QTest::newRow("categories") << "Categories Editor";
    QTest::newRow("options") << "Options";
    QTest::newRow("datetimeformat") << "DateTime Format Editor";
    QTest::newRow("newfilter") << "Filter Editor";
    QTest::newRow("filterlist") << "Filters Editor ...";
    QTest::newRow("find") << "Filter Editor";
    QTest::newRow("export") << "Export";
    QTest::newRow("copyspecial") << "Copy Special ...";
    QTest::newRow("pclink") << "ymrOutlays";
    QTest::newRow("senddata") << "Transfer Data";
    QTest::newRow("getdata") << "Transfer Data";
}

namespace {

// the entry of the window's menu with that text
void chooseEntry(ToDoWindow &w, const char *menuName, const QString &text)
{
    PopupMenu *m = menu(w, menuName);
    QVERIFY2(m, menuName);
    const int id = entry(m, text);
    QVERIFY2(id != -1000, qPrintable(text));
    choose(m, id);
}

} // namespace

void TestWalkthrough::everyDialogFromItsCommand()
{
    QFETCH(QString, caption);
    const QString row = QString::fromLatin1(QTest::currentDataTag());
    ToDoWindow w;
    QVERIFY(openInWindow(w, bookPath(QStringLiteral("Household"))));
    grab(&w, QStringLiteral("main"));
    ModalDriver driver;
    QStringList captions;
    open(w, driver, row, caption, captions);
    QCOMPARE(driver.pending(), 0);
    QVERIFY2(driver.unexpected.isEmpty(), qPrintable(driver.unexpected.join(' ')));
    QVERIFY(!captions.isEmpty());
    for (const QString &c : captions)
        QVERIFY2(c.startsWith(caption), qPrintable(c));
}

void TestWalkthrough::open(ToDoWindow &w, ModalDriver &driver, const QString &row,
                           const QString &caption, QStringList &captions)
{
    Q_UNUSED(caption);
    auto shot = [&captions, row](const QString &name) {
        return [&captions, name](QWidget *d) {
            checkShown(d, name);
            captions << d->windowTitle();
            ModalDriver::reject(d);
        };
    };
    auto pages = [&captions, row](YMTabWidget *tabs, QWidget *d) {
        int n = 0;
        for (QWidget *p = tabs->firstPage(); p; p = tabs->nextPage(p)) {
            tabs->showPage(p);
            checkShown(d, row + QString::number(++n));
        }
        captions << d->windowTitle();
    };
    if (row == "books") {
        driver.expect("DBDialog", shot(row));
        trigger(w, "db");
    } else if (row == "bookeditor") {
        driver.expect("DBEditor", shot(row));
        trigger(w, "editbook");
    } else if (row == "password") {
        driver.expect("DBEditor", [](QWidget *e) { static_cast<DBEditor *>(e)->lock->click(); });
        driver.expect("PasswordDialog", shot(row));
        driver.expect("DBEditor", ModalDriver::reject);
        trigger(w, "editbook");
    } else if (row == "password2") {
        driver.expect("DBDialog", [](QWidget *d) {
            auto *dialog = static_cast<DBDialog *>(d);
            for (YMRListViewItem *i = dialog->list->firstChild(); i; i = i->nextSibling()) {
                auto *book = dynamic_cast<DBRecord *>(static_cast<PIMListViewItem *>(i)->record());
                if (book && book->title() == QLatin1String("Secret"))
                    dialog->list->setCurrentItem(i);
            }
            dialog->btnSelect->click();
        });
        driver.expect("PasswordDialog2", shot(row));
        trigger(w, "db");
    } else if (row == "newexpense") {
        driver.expect("TaskDialog", [pages](QWidget *d) {
            pages(static_cast<TaskDialog *>(d)->tabs(), d);
            ModalDriver::reject(d);
        });
        trigger(w, "new");
    } else if (row == "templates") {
        driver.expect("TemplateDialog", shot(row));
        trigger(w, "template");
    } else if (row == "types" || row == "cities" || row == "accounts" || row == "currencies"
               || row == "categories") {
        const char *name = row == "currencies" ? "lists1" : row == "types" ? "lists2"
                         : row == "cities"     ? "lists3" : row == "accounts" ? "lists4"
                                                                            : "lists5";
        driver.expect(row == "currencies" ? "CurrenciesList"
                      : row == "categories" ? "CategoiesDialog" : "CustomListDialog",
                      shot(row));
        trigger(w, name);
    } else if (row == "numberformat") {
        driver.expect("CurrenciesList", [](QWidget *d) {
            auto *list = static_cast<CurrenciesList *>(d);
            list->list->setCurrentItem(list->list->firstChild());
            list->btnFormat->click();
        });
        driver.expect("NumberFormatEditor", shot(row));
        driver.expect("CurrenciesList", ModalDriver::reject);
        trigger(w, "lists1");
    } else if (row == "options") {
        driver.expect("OptionsDialog", [pages](QWidget *d) {
            pages(static_cast<OptionsDialog *>(d)->tabWidget(), d);
            ModalDriver::reject(d);
        });
        trigger(w, "options");
    } else if (row == "datetimeformat") {
        driver.expect("OptionsDialog", [](QWidget *d) {
            auto *o = static_cast<OptionsDialog *>(d);
            o->tabWidget()->showPage(o->formatPage());
            const QList<YMRPushButton *> buttons = o->formatPage()->findChildren<YMRPushButton *>();
            QVERIFY(!buttons.isEmpty());
            buttons.first()->click();
        });
        driver.expect("DateTimeFormatEditor", shot(row));
        driver.expect("OptionsDialog", ModalDriver::reject);
        trigger(w, "options");
    } else if (row == "newfilter") {
        driver.expect("FilterEditorDialog", shot(row));
        chooseEntry(w, "filters", QStringLiteral("New filter ..."));
    } else if (row == "filterlist") {
        driver.expect("FilterListDialog", shot(row));
        chooseEntry(w, "filters", QStringLiteral("Edit filters ..."));
    } else if (row == "find") {
        driver.expect("FilterEditorDialog", shot(row));
        chooseEntry(w, "filters", QStringLiteral("Find records ..."));
    } else if (row == "export") {
        driver.expect("ExportDialog", shot(row));
        trigger(w, "export");
    } else if (row == "copyspecial") {
        driver.expect("CopySpecial", shot(row));
        trigger(w, "cs");
    } else if (row == "pclink") {
        driver.expect("SendDataDialogServer", shot(row));
        trigger(w, "pclink");
    } else if (row == "senddata") {
        driver.expect("TransferData", shot(row));
        trigger(w, "sdata");
    } else if (row == "getdata") {
        driver.expect("TransferData", shot(row));
        trigger(w, "gdata");
    }
    QTRY_COMPARE_WITH_TIMEOUT(driver.pending(), 0, 5000);
}

void TestWalkthrough::everyMenuButtonOnTheBar()
{
    ToDoWindow w;
    QVERIFY(openInWindow(w, bookPath(QStringLiteral("Household"))));
    QCoreApplication::processEvents();
    int buttons = 0;
    for (QToolButton *b : w.findChildren<QToolButton *>()) {
        if (!b->menu())
            continue;
        ++buttons;
        // not folded away behind the bar's extension arrow
        QVERIFY2(b->isVisible(), qPrintable(b->menu()->objectName()));
        QVERIFY(b->mapTo(&w, b->rect().bottomRight()).x() < w.width());
    }
    QCOMPARE(buttons, 5);

    // the sorting menu sorts the list
    chooseEntry(w, "sorting", QStringLiteral("Type"));
    QTRY_COMPARE(w.manager()->sortColumn(), 0);
    QCOMPARE(w.listView()->firstChild()->text(1), QStringLiteral("Hotel"));
}

void TestWalkthrough::currencyRowsReadBackAsTyped()
{
    ToDoWindow w;
    QVERIFY(openInWindow(w, bookPath(QStringLiteral("Household"))));
    const QString rouble = QString::fromUtf8("\xe2\x82\xbd");
    ModalDriver driver;
    driver.expect("CurrenciesList", [rouble](QWidget *d) {
        auto *c = static_cast<CurrenciesList *>(d);
        c->btnNew->click();
        c->text->insert(rouble);
        // "|" parts symbol and format in the stored rows: it is not taken
        YMRDialog::queueAnswer(1);
        YMRDialog::queueAnswer(1);
        QTest::keyClicks(c->text, QStringLiteral("|x"));
        c->formats->lineEdit()->clear();
        QTest::keyClicks(c->formats->lineEdit(), QStringLiteral("@#|#.00"));
        QCOMPARE(YMRDialog::takeScriptedBoxes().size(), 2);
        ModalDriver::reject(d);
    });
    trigger(w, "lists1");
    QTRY_COMPARE(driver.pending(), 0);
    const QStringList rows = YMRPIM::loadList(CurrenciesList::listName());
    QVERIFY(!rows.isEmpty());
    for (const QString &row : rows)
        QCOMPARE(row.count(QLatin1Char('|')), 1);
    QCOMPARE(rows.last(), rouble + QStringLiteral("x|@##.00"));
}

void TestWalkthrough::passwordWithBarStillOpens()
{
    // the book and the index hold the password as they were written
    const QString path = makeBook(QStringLiteral("Bar"), {{"Taxi", "3", "", "", QDate()}},
                                  QStringLiteral("a|b"));
    ModalDriver driver;
    driver.expect("PasswordDialog2", [](QWidget *p) {
        type(p, "p1", QStringLiteral("a|b"));
        static_cast<PasswordDialog2 *>(p)->btnOk->click();
    });
    ToDoWindow w;
    QVERIFY(openInWindow(w, path));
    QCOMPARE(driver.pending(), 0);
    QCOMPARE(w.windowTitle(), QStringLiteral("Expense Book : Bar"));

    // the book commands ask again
    driver.expect("PasswordDialog", [](QWidget *p) {
        type(p, "p1", QStringLiteral("a|b"));
        static_cast<PasswordDialog *>(p)->btnOk->click();
    });
    driver.expect("DBEditor", ModalDriver::reject);
    trigger(w, "editbook");
    QCOMPARE(driver.pending(), 0);
    QVERIFY(YMRDialog::takeScriptedBoxes().isEmpty());
}

YMR_TEST_MAIN(TestWalkthrough)
#include "tst_walkthrough.moc"
