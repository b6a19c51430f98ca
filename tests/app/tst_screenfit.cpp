// ymr-test-screens: 240x320 480x640
#include "ymrtest.h"

#include <QPushButton>

#include "lockholder.h"

#include "dateformatselector.h"
#include "exportdialog.h"
#include "formatsetup.h"
#include "openbook.h"
#include "optionsdialog.h"
#include "remindereditor.h"
#include "passworddialog2.h"
#include "taskdialog.h"
#include "taskeditor.h"

#include "pim/bookfile.h"
#include "pim/task.h"
#include "pim/tasklistview.h"
#include "pim/taskmanager.h"
#include "qt/ymdatetimeeditor.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrpushbutton.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include "qpe/filereplacer.h"
#include "qpe/qpeapplication.h"
#include "qt/ymrapplication.h"
#include "qt/ymrdialog.h"
#include "qt/ymtabbar.h"
#include "qt/ymtabwidget.h"

// The program on the emulated screen in the desktop's font: what the user
// needs of each window is shown whole, inside the screen.
class TestScreenFit : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void optionsTabsAllShown();
    void expensePageShowsItsValues();
    void reminderTextWhole();
    void patternsShownWhole_data();
    void patternsShownWhole();
    void passwordButtonsWhole_data();
    void passwordButtonsWhole();
    void mainMenuInsideTheScreen();
    void pageTextWhole();
    void bookQuestionsFit();
};

void TestScreenFit::initTestCase()
{
    qApp->setQuitOnLastWindowClosed(false);
    ymrtest::useDesktopFont();
}

void TestScreenFit::optionsTabsAllShown()
{
    OptionsDialog dialog;
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    YMTabWidget *tabs = dialog.tabWidget();
    YMTabBar *bar = tabs->tabBar();
    // each page current in turn: its label shows, the others' icons
    for (QWidget *page = tabs->firstPage(); page; page = tabs->nextPage(page)) {
        tabs->showPage(page);
        QVERIFY(!bar->isForwardArrowEnabled() && !bar->isBackArrowEnabled());
        for (int id : bar->tabIds())
            QVERIFY2(bar->tabRect(id).right() < bar->width(), qPrintable(bar->tabLabel(id)));
    }
}

void TestScreenFit::expensePageShowsItsValues()
{
    QTemporaryDir dir;
    TaskManager book(dir.path() + QStringLiteral("/fit.exp"));
    auto *task = new Task(&book);
    task->currency = QStringLiteral("EUR");
    TaskDialog dialog;
    ymrtest::whenModalShown([](QDialog *d) {
        TaskEditor *page = static_cast<TaskDialog *>(d)->taskEditor();
        // the currency box shows its entries whole, the date its text
        QVERIFY2(page->cur->width() >= page->cur->sizeHint().width(),
                 qPrintable(QString::number(page->cur->width())));
        QVERIFY(page->date->width() >= page->date->minimumSizeHint().width());
        QVERIFY(page->amount->width() >= page->amount->fontMetrics().horizontalAdvance("99999.99"));
        for (QWidget *w : {static_cast<QWidget *>(page->amount), static_cast<QWidget *>(page->cur),
                           static_cast<QWidget *>(page->scur), static_cast<QWidget *>(page->date)})
            QVERIFY2(w->mapTo(page, QPoint(w->width(), 0)).x() <= page->width(),
                     qPrintable(w->objectName()));
        d->reject();
    });
    dialog.exec(task, 0, true);
}

void TestScreenFit::reminderTextWhole()
{
    TaskDialog dialog;
    ymrtest::whenModalShown([](QDialog *d) {
        auto *dialog = static_cast<TaskDialog *>(d);
        dialog->tabs()->showPage(dialog->reminderEditor());
        QCheckBox *alarm = dialog->reminderEditor()->alarm;
        QTRY_VERIFY(alarm->isVisible());
        // broken into lines rather than cut
        QCOMPARE(alarm->text().simplified(), QStringLiteral("Remind me about this at:"));
        QVERIFY2(alarm->sizeHint().width() <= alarm->width(),
                 qPrintable(QStringLiteral("%1 of %2").arg(alarm->sizeHint().width())
                                .arg(alarm->width())));
        d->reject();
    });
    QTemporaryDir dir;
    TaskManager book(dir.path() + QStringLiteral("/fit.exp"));
    dialog.exec(new Task(&book), 0, true);
}

void TestScreenFit::patternsShownWhole_data()
{
    QTest::addColumn<bool>("exporting");
    QTest::addColumn<QString>("selector");
    QTest::addColumn<QString>("pattern");
    QTest::newRow("options: date") << false << "dateFormat" << "YYYY/MM/DD";
    QTest::newRow("options: date and time") << false << "dateTimeFormat" << "DD/MM/YY hh:mm";
    QTest::newRow("export: date") << true << "dateFormat" << "YYYY/MM/DD";
    QTest::newRow("export: time") << true << "timeFormat" << "hh:mm AM/PM";
    QTest::newRow("export: date and time") << true << "dateTimeFormat" << "DD/MM/YY hh:mm";
}

// A date or time pattern is read as a whole: the field shows all of it.
void TestScreenFit::patternsShownWhole()
{
    QFETCH(bool, exporting);
    QFETCH(QString, selector);
    QFETCH(QString, pattern);
    std::unique_ptr<QWidget> dialog;
    if (exporting) {
        dialog.reset(new ExportDialog);
    } else {
        auto *options = new OptionsDialog;
        dialog.reset(options);
        options->tabWidget()->showPage(options->formatPage());
    }
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    auto *s = dialog->findChild<DateFormatSelector *>(selector);
    QVERIFY(s);
    s->setFormat(pattern);
    QLineEdit *field = s->comboBox()->lineEdit();
    QTRY_VERIFY(field->isVisible());
    // the cursor moves across the whole text without the field scrolling it
    // (painting places the text)
    const auto cursorAt = [field] {
        field->grab();
        return field->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
    };
    field->home(false);
    const int start = cursorAt();
    field->end(false);
    const int shown = cursorAt() - start;
    const int needed = field->fontMetrics().horizontalAdvance(field->text());
    QVERIFY2(shown >= needed && field->width() > needed,
             qPrintable(QStringLiteral("\"%1\": %2 of %3 px in %4")
                            .arg(field->text()).arg(shown).arg(needed).arg(field->width())));
}

void TestScreenFit::passwordButtonsWhole_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("prompt") << 0;
    QTest::newRow("new password") << 1;
    QTest::newRow("opening a book") << 2;
}

// No button is squeezed below its icon and text.
void TestScreenFit::passwordButtonsWhole()
{
    QFETCH(int, kind);
    std::unique_ptr<PasswordDialog> dialog(kind == 2 ? new PasswordDialog2(nullptr, nullptr)
                                                     : new PasswordDialog(kind == 1));
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    const QRect screen = QPEApplication::screenRect();
    QVERIFY(dialog->width() <= screen.width() && dialog->height() <= screen.height());
    for (YMRPushButton *b : dialog->findChildren<YMRPushButton *>()) {
        if (b->isVisible())
            QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(b->objectName()));
    }
}

void TestScreenFit::mainMenuInsideTheScreen()
{
    using namespace fixtures;
    makeBook(QStringLiteral("Fit"), {{"Taxi", "12.50", "Berlin", "", QDate(2026, 3, 1)}});
    ToDoWindow w;
    QVERIFY(openInWindow(w, bookPath(QStringLiteral("Fit"))));
    PopupMenu *m = menu(w, "main");
    m->popup(w.mapToGlobal(QPoint(0, 0)));
    QTRY_VERIFY(m->isVisible());
    const QSize screen = QPEApplication::screenRect().size();
    QVERIFY2(m->width() <= screen.width() && m->height() <= screen.height(),
             qPrintable(QStringLiteral("%1x%2").arg(m->width()).arg(m->height())));
    // every entry still readable
    QVERIFY(QFontInfo(m->font()).pointSizeF() >= 6);
    m->hide();
}

// The list's pager sits in the scroll bar's row: its text no taller than
// that, still readable.
void TestScreenFit::pageTextWhole()
{
    TaskListView list(nullptr, "fit");
    list.setPaging(true);
    QLabel *page = list.pageLabel();
    QVERIFY2(page->fontMetrics().height() <= list.pagerBar()->height(),
             qPrintable(QStringLiteral("%1 in %2").arg(page->fontMetrics().height())
                            .arg(list.pagerBar()->height())));
    QVERIFY(QFontInfo(page->font()).pointSizeF() >= 6);
}

// The questions about a book's file (held by another copy of the program,
// changed by another program, not saved at the close) fit the screen with
// their buttons whole.
void TestScreenFit::bookQuestionsFit()
{
    using namespace fixtures;
    const QString path = makeBook(QStringLiteral("Fit"), {{"Taxi", "3", "", "", QDate()}});
    QStringList asked;
    // looks at the box, then taps its button (1 to 3)
    const auto answer = [&asked](int button) {
        ymrtest::whenOpen([&asked, button](QWidget *d) {
            const int screen = QPEApplication::screenRect().width();
            asked << QString::number(d->width());
            QVERIFY2(d->frameGeometry().width() <= screen, qPrintable(QString::number(d->width())));
            for (auto *b : d->findChildren<YMRPushButton *>()) {
                if (!b->isVisible())
                    continue;
                QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(b->text()));
                QVERIFY(b->mapTo(d, QPoint(b->width(), 0)).x() <= d->width());
            }
            d->findChild<YMRPushButton *>(QStringLiteral("button%1").arg(button))->click();
        });
    };
    ToDoWindow w;
    const pid_t holder = holdLockInChild(BookFile::lockFileName(path));
    QVERIFY(holder > 0);
    answer(2);   // Open Anyway
    QVERIFY(openInWindow(w, path));
    killLockHolder(holder);
    QCOMPARE(asked.size(), 1);

    // another program's version, found by the next save and asked at the
    // close: Cancel, then the notice's Write Over
    auto *task = new Task(w.manager());
    task->type = QStringLiteral("Bus");
    w.manager()->addRecord(task);
    writeFile(path + QStringLiteral(".x"), readAll(path).replace("Taxi", "Tram"));
    QCOMPARE(::rename(QFile::encodeName(path + QStringLiteral(".x")).constData(),
                      QFile::encodeName(path).constData()), 0);
    w.manager()->save();
    answer(3);
    QVERIFY(!w.close());
    QCOMPARE(asked.size(), 2);
    w.findChild<QPushButton *>(QStringLiteral("writeOver"))->click();
    QTRY_VERIFY(!w.manager()->isDirty());

    // the close on a full disk: Lose Changes
    task = new Task(w.manager());
    task->type = QStringLiteral("Ferry");
    w.manager()->addRecord(task);
    FileReplacer::setSpaceLeft(0);
    answer(2);
    w.close();
    FileReplacer::setSpaceLeft(-1);
    QCOMPARE(asked.size(), 3);
}

YMR_TEST_MAIN(TestScreenFit)
#include "tst_screenfit.moc"
