// ymr-test-screens: 240x320 480x640
#include "ymrtest.h"

#include "walkthrough.h"

#include "passworddialog.h"

#include "filedialog/ymfiledialog.h"
#include "pim/tasklistview.h"
#include "pim/ymrpim.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrdialog.h"

#include <QLineEdit>
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
    static void checkShown(QWidget *w, const QString &name);
};

void TestWalkthrough::initTestCase()
{
    walkthrough::prepare();
}

void TestWalkthrough::cleanup()
{
    YMRDialog::stopScript();
    YMFileDialog::clearScript();
}

void TestWalkthrough::checkShown(QWidget *w, const QString &name)
{
    // pending layouts first, as a user sees the dialog
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    walkthrough::keepGrab(w->grab(), name);
    const QRect screen = QPEApplication::screenRect();
    QVERIFY2(w->width() <= screen.width() && w->height() <= screen.height(),
             qPrintable(QStringLiteral("%1: %2x%3").arg(name).arg(w->width()).arg(w->height())));
}

void TestWalkthrough::everyDialogFromItsCommand_data()
{
    walkthrough::addRows();
}

void TestWalkthrough::everyDialogFromItsCommand()
{
    QFETCH(QString, caption);
    const QString row = QString::fromLatin1(QTest::currentDataTag());
    ToDoWindow w;
    QVERIFY(openInWindow(w, bookPath(QStringLiteral("Household"))));
    ModalDriver driver;
    QStringList captions;
    walkthrough::open(w, driver, row, checkShown, captions);
    QCOMPARE(driver.pending(), 0);
    QVERIFY2(driver.unexpected.isEmpty(), qPrintable(driver.unexpected.join(' ')));
    QVERIFY(!captions.isEmpty());
    for (const QString &c : captions)
        QVERIFY2(c.startsWith(caption), qPrintable(c));
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
    walkthrough::chooseEntry(w, "sorting", QStringLiteral("Type"));
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
        QTest::keyClicks(c->text, QStringLiteral("|x"));
        c->formats->lineEdit()->clear();
        QTest::keyClicks(c->formats->lineEdit(), QStringLiteral("@#|#.00"));
        ModalDriver::reject(d);
        for (QWidget *field : {static_cast<QWidget *>(c->text), static_cast<QWidget *>(c->formats->lineEdit())})
            QVERIFY(field->findChild<QWidget *>(QStringLiteral("YMRPIM hint")));
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
