#ifndef WALKTHROUGH_H
#define WALKTHROUGH_H

// A user's walk through the program: every dialog reached from the main
// window's own commands and menus, one table row each. The headless test and
// the one under a real window manager look at the same dialogs.

#include "modaldriver.h"
#include "openbook.h"

#include "currencieslist.h"
#include "dbdialog.h"
#include "dbeditor.h"
#include "formatsetup.h"
#include "optionsdialog.h"
#include "passworddialog2.h"
#include "taskdialog.h"

#include "pim/dblistview.h"
#include "qt/ymrlistview.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymtabwidget.h"

#include <QPixmap>

namespace walkthrough {

// Two books, one with a password, in the desktop's font.
inline void prepare()
{
    using namespace fixtures;
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

// The rows: a dialog each, with the caption it shows.
inline void addRows()
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

// Saves a picture of what the user saw when YMR_TEST_GRABS is set, into
// the test's temporary home, which is then kept.
inline void keepGrab(const QPixmap &picture, const QString &name)
{
    if (qEnvironmentVariableIsEmpty("YMR_TEST_GRABS"))
        return;
    QTemporaryDir &home = ymrtest::userRoot();
    const QString dir = home.path() + QStringLiteral("/grabs");
    if (home.autoRemove()) {
        home.setAutoRemove(false);
        QDir().mkpath(dir);
        qInfo("grabs in %s", qPrintable(dir));
    }
    const QSize screen = QPEApplication::screenRect().size();
    picture.save(QStringLiteral("%1/%2-%3x%4.png")
                     .arg(dir, name).arg(screen.width()).arg(screen.height()));
}

// What a test looks at: each dialog as it is shown, each page of a tabbed
// one, with a name for it.
using Look = std::function<void(QWidget *shown, const QString &name)>;

// Chooses the entry of the window's menu with that text.
inline void chooseEntry(ToDoWindow &w, const char *menuName, const QString &text)
{
    using namespace fixtures;
    PopupMenu *m = menu(w, menuName);
    QVERIFY2(m, menuName);
    const int id = entry(m, text);
    QVERIFY2(id != -1000, qPrintable(text));
    choose(m, id);
}

// Opens the dialog of that row through the window, shows it (and each of
// its pages) to look, and closes it; the captions shown are collected.
inline void open(ToDoWindow &w, ModalDriver &driver, const QString &row, const Look &look,
                 QStringList &captions)
{
    using namespace fixtures;
    auto shot = [&look, &captions](const QString &name) {
        return [&look, &captions, name](QWidget *d) {
            look(d, name);
            captions << d->windowTitle();
            ModalDriver::reject(d);
        };
    };
    auto pages = [&look, &captions, row](YMTabWidget *tabs, QWidget *d) {
        int n = 0;
        for (QWidget *p = tabs->firstPage(); p; p = tabs->nextPage(p)) {
            tabs->showPage(p);
            look(d, row + QString::number(++n));
        }
        captions << d->windowTitle();
        ModalDriver::reject(d);
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

} // namespace walkthrough

#endif
