// ymr-test-screens: 240x320 480x640
#include "customlistdialog.h"
#include "remindereditor.h"
#include "taskdialog.h"
#include "taskeditor.h"
#include "ymrtest.h"

#include "pim/pimreminder.h"
#include "pim/task.h"
#include "pim/taskmanager.h"
#include "pim/ymrpim.h"
#include "qpe/alarmserver.h"
#include "qt/ymdatetimeeditor.h"
#include "qt/ymraction.h"
#include "qt/ymrapplication.h"
#include "qt/ymrcalculator.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrdialog.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrspinbox.h"
#include "qt/ymtabwidget.h"

#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include "qt/ymdatetimeedit.h"
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>
#include <memory>

namespace {

Task *addTask(TaskManager *store, const QString &type, const QString &amount = QString())
{
    auto *t = new Task(store);
    t->type = type;
    t->amount = amount;
    t->store(nullptr);
    return t;
}

bool actionEnabled(TaskDialog *d, const char *name)
{
    auto *a = qobject_cast<YMRAction *>(YMRAction::findAction(d, name));
    return a && a->isEnabled();
}

QStringList viewTypes(TaskManager *store)
{
    QStringList result;
    for (int i = 0; i < store->view()->count(); ++i)
        result.append(static_cast<Task *>(store->view()->at(i))->type);
    return result;
}

} // namespace

class TestTaskDialog : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<TaskManager> m_store;
    QString m_path;

private slots:
    void init()
    {
        m_path = ymrtest::userRoot().path() + QStringLiteral("/Book1.exp");
        QFile::remove(m_path);
        m_store.reset(new TaskManager(m_path));
        qputenv("LANG", "en");
        YMRPIM::saveList(QStringLiteral("types"), {"Lunch", "Taxi"});
        YMRPIM::saveList(QStringLiteral("currencies_en"), {"$|@#.00", "EUR"});
    }
    void cleanup()
    {
        m_store.reset();
        YMRDialog::stopScript();
    }

    void storedRecordNavigation()
    {
        addTask(m_store.get(), "A", "1");
        Task *b = addTask(m_store.get(), "B", "2");
        addTask(m_store.get(), "C", "3");
        TaskDialog dialog;
        ymrtest::whenModalShown([this](QDialog *d) {
            auto *td = static_cast<TaskDialog *>(d);
            QCOMPARE(td->windowTitle(), QStringLiteral("Expense - Book1"));
            QCOMPARE(td->tabs()->currentPage(), td->taskEditor());
            QCOMPARE(td->taskEditor()->amount->selectedText(), QStringLiteral("2"));
            QCOMPARE(td->numberBox()->value(), 2);
            QCOMPARE(td->numberBox()->maxValue(), 3);
            QVERIFY(actionEnabled(td, "back") && actionEnabled(td, "forward"));
            td->taskEditor()->amount->setText(QStringLiteral("2.50"));
            td->doStart(); // commits B
            QCOMPARE(td->task()->type, QStringLiteral("A"));
            QVERIFY(!actionEnabled(td, "back") && !actionEnabled(td, "start"));
            QVERIFY(actionEnabled(td, "forward") && actionEnabled(td, "end"));
            td->doEnd();
            QCOMPARE(td->task()->type, QStringLiteral("C"));
            QVERIFY(!actionEnabled(td, "forward") && !actionEnabled(td, "end"));
            td->numberBox()->setValue(1); // a typed number jumps there
            QCOMPARE(td->task()->type, QStringLiteral("A"));
            td->memo()->setPlainText(QStringLiteral("first\nline"));
            td->reject(); // drops the memo edit only
        });
        QCOMPARE(dialog.exec(b, 0, true), 0);
        QCOMPARE(b->amount, QStringLiteral("2.50"));
        QVERIFY(static_cast<Task *>(m_store->view()->at(0))->description.isEmpty());
        QCOMPARE(m_store->count(), 3);
    }

    void newRecordCancelAndBack()
    {
        addTask(m_store.get(), "A");
        addTask(m_store.get(), "B");
        {
            TaskDialog dialog;
            ymrtest::whenModalShown([](QDialog *d) {
                auto *td = static_cast<TaskDialog *>(d);
                QVERIFY(td->windowTitle().startsWith(QLatin1String("New Expense - Book1")));
                QCOMPARE(td->numberBox()->maxValue(), 3);
                QCOMPARE(td->numberBox()->value(), 3);
                QVERIFY(actionEnabled(td, "back") && !actionEnabled(td, "forward"));
                td->reject();
            });
            QCOMPARE(dialog.exec(new Task(m_store.get()), 0, true), 0);
        }
        QCOMPARE(m_store->count(), 2);

        TaskDialog dialog;
        ymrtest::whenModalShown([](QDialog *d) {
            auto *td = static_cast<TaskDialog *>(d);
            td->taskEditor()->type->setEditText(QStringLiteral("N"));
            td->doBack(); // stores the new record, shows the one before it
            QCOMPARE(td->task()->type, QStringLiteral("B"));
            td->doNew();
            QVERIFY(td->windowTitle().startsWith(QLatin1String("New Expense")));
            td->reject();
        });
        dialog.exec(new Task(m_store.get()), 0, true);
        QCOMPARE(viewTypes(m_store.get()), QStringList({"A", "B", "N"}));
    }

    void cloneAndDelete()
    {
        Task *a = addTask(m_store.get(), "A", "5");
        addTask(m_store.get(), "B");
        addTask(m_store.get(), "C");
        const QString uid = a->uidString();
        TaskDialog dialog;
        ymrtest::whenModalShown([uid](QDialog *d) {
            auto *td = static_cast<TaskDialog *>(d);
            td->taskEditor()->amount->setText(QStringLiteral("6"));
            td->doClone();
            QVERIFY(td->task()->uidString() != uid);
            QVERIFY(qAbs(td->task()->created().secsTo(QDateTime::currentDateTime())) < 5);
            QCOMPARE(td->task()->amount, QStringLiteral("6"));
            td->accept();
        });
        QCOMPARE(dialog.exec(a, 0, true), 1);
        QCOMPARE(viewTypes(m_store.get()), QStringList({"A", "B", "C", "A"}));
        QCOMPARE(a->amount, QStringLiteral("6"));

        TaskDialog second;
        ymrtest::whenModalShown([](QDialog *d) {
            auto *td = static_cast<TaskDialog *>(d);
            YMRDialog::queueAnswer(2);
            td->doDelete(); // Cancel: nothing
            QCOMPARE(td->task()->type, QStringLiteral("B"));
            YMRDialog::queueAnswer(1);
            td->doDelete();
            QCOMPARE(td->task()->type, QStringLiteral("C"));
            td->doEnd();
            YMRDialog::queueAnswer(1);
            td->doDelete(); // the last one: the one above it is shown
            QCOMPARE(td->task()->type, QStringLiteral("C"));
            td->reject();
        });
        second.exec(static_cast<Task *>(m_store->view()->at(1)), 0, true);
        const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
        QCOMPARE(boxes.size(), 3);
        QCOMPARE(boxes.at(0).text, QStringLiteral("Are you sure you want to delete\nExpense [B] ?"));
        QCOMPARE(viewTypes(m_store.get()), QStringList({"A", "C"}));
    }

    // What a session's end would lose with the dialog: the values typed
    // since the record was shown, and nothing once they are stored.
    void typedValuesAreTold_data()
    {
        QTest::addColumn<bool>("stored");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("told");
        QTest::newRow("new, nothing typed") << false << "" << "";
        QTest::newRow("new, an amount") << false << "amount" << "New Expense - Book1";
        QTest::newRow("new, an amount that is no number yet") << false << "bad amount"
                                                              << "New Expense - Book1";
        QTest::newRow("stored, the memo") << true << "memo" << "Expense - Book1";
        QTest::newRow("stored, a reminder") << true << "reminder" << "Expense - Book1";
        QTest::newRow("stored, typed and taken back") << true << "undone" << "";
        QTest::newRow("stored, then a step stored it") << true << "stepped" << "";
    }
    void typedValuesAreTold()
    {
        QFETCH(bool, stored);
        QFETCH(QString, edit);
        QFETCH(QString, told);
        addTask(m_store.get(), "A", "1");
        Task *task = stored ? addTask(m_store.get(), "B", "2") : new Task(m_store.get());
        QString unsaved = QStringLiteral("not asked");
        TaskDialog dialog;
        ymrtest::whenModalShown([&](QDialog *d) {
            auto *td = static_cast<TaskDialog *>(d);
            QLineEdit *amount = td->taskEditor()->amount;
            if (edit == QLatin1String("amount") || edit == QLatin1String("stepped"))
                QTest::keyClicks(amount, QStringLiteral("42"));
            else if (edit == QLatin1String("bad amount"))
                QTest::keyClicks(amount, QStringLiteral("4+"));
            else if (edit == QLatin1String("memo"))
                QTest::keyClicks(td->memo(), QStringLiteral("note"));
            else if (edit == QLatin1String("reminder"))
                td->reminderEditor()->alarm->setChecked(true);
            else if (edit == QLatin1String("undone")) {
                amount->setText(amount->text() + QStringLiteral("9"));
                amount->backspace();
            }
            if (edit == QLatin1String("stepped"))
                td->doStart();
            unsaved = td->unsavedInput();
            td->reject();
        });
        dialog.exec(task, 0, true);
        QVERIFY2(told.isEmpty() ? unsaved.isEmpty() : unsaved.startsWith(told), qPrintable(unsaved));
        // closed, it holds nothing
        QVERIFY(dialog.unsavedInput().isEmpty());
    }

    void deletingTheOnlyRecordCloses()
    {
        Task *a = addTask(m_store.get(), "A");
        TaskDialog dialog;
        ymrtest::whenModalShown([](QDialog *d) {
            YMRDialog::queueAnswer(1);
            static_cast<TaskDialog *>(d)->doDelete();
        });
        QCOMPARE(dialog.exec(a, 0, true), 0);
        QCOMPARE(m_store->count(), 0);
        TaskDialog none;
        QCOMPARE(none.exec(nullptr, 0, true), 0);
    }

    void withoutNavigationOnTheReminderPage()
    {
        Task *a = addTask(m_store.get(), "A");
        TaskDialog dialog;
        ymrtest::whenModalShown([](QDialog *d) {
            auto *td = static_cast<TaskDialog *>(d);
            QVERIFY(!td->navigationBar()->isVisible());
            QCOMPARE(td->tabs()->currentPage(), td->reminderEditor());
            td->reminderEditor()->alarm->setChecked(true);
            td->reminderEditor()->dt->setDateTime(QDateTime(QDate(2099, 1, 2), QTime(3, 4, 5)));
            td->accept();
        });
        QCOMPARE(dialog.exec(a, 3, false), 1);
        QVERIFY(a->reminder);
        QCOMPARE(a->reminder->dateTime, QDateTime(QDate(2099, 1, 2), QTime(3, 4)));
        // the store registered the future reminder with the alarm server
        bool found = false;
        for (const AlarmServer::Alarm &alarm : AlarmServer::instance()->pending())
            found = found || alarm.message == TaskManager::alarmMessage(a);
        QVERIFY(found);
    }

    void badAmountsAreRefused_data()
    {
        QTest::addColumn<QString>("amount");
        QTest::newRow("exponent") << "1e5";
        QTest::newRow("negative") << "-3";
        QTest::newRow("too large") << "1000000000";
        QTest::newRow("three decimals") << "1.234";
        QTest::newRow("infinity") << "inf";
        QTest::newRow("text") << "abc";
    }

    void badAmountsAreRefused()
    {
        QFETCH(QString, amount);
        QVERIFY(!TaskEditor::isValidAmount(amount));
        Task *a = addTask(m_store.get(), "A", "7");
        addTask(m_store.get(), "B", "8");
        TaskDialog dialog;
        ymrtest::whenModalShown([amount](QDialog *d) {
            auto *td = static_cast<TaskDialog *>(d);
            td->taskEditor()->amount->setText(amount);
            YMRDialog::queueAnswer(1);
            td->doForward(); // refused: stays
            QCOMPARE(td->task()->type, QStringLiteral("A"));
            YMRDialog::queueAnswer(1);
            td->accept(); // refused: stays open
            QVERIFY(td->isVisible());
            QCOMPARE(YMRDialog::takeScriptedBoxes().size(), 2);
            td->taskEditor()->amount->setText(QStringLiteral("12.5"));
            td->accept();
        });
        QCOMPARE(dialog.exec(a, 0, true), 1);
        QCOMPARE(a->amount, QStringLiteral("12.5"));
    }

    // Typed or pasted (a paste taken whole or not at all): a "," is the
    // decimal separator, stored as "."; every other rule holds.
    void typedAmountKeepsToNumbers_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("shown");
        QTest::newRow("decimal comma") << "12,50" << "" << "12.50";
        QTest::newRow("second separator") << "1,5.2" << "" << "1.52";
        QTest::newRow("letters, exponent, third decimal") << "1e2,3x.456" << "" << "12.34";
        QTest::newRow("pasted comma") << "" << "3,5" << "3.5";
        QTest::newRow("pasted group separator") << "7" << "1,500.00" << "7";
        QTest::newRow("pasted negative") << "" << "-2,5" << "";
    }

    void typedAmountKeepsToNumbers()
    {
        QFETCH(QString, typed);
        QFETCH(QString, pasted);
        QFETCH(QString, shown);
        TaskEditor page;
        QTest::keyClicks(page.amount, typed);
        if (!pasted.isEmpty()) {
            QApplication::clipboard()->setText(pasted);
            QTest::keySequence(page.amount, QKeySequence::Paste);
        }
        QVERIFY(TaskEditor::isValidAmount(page.amount->text()));
        QCOMPARE(page.amount->text(), shown);
        QVERIFY(TaskEditor::isValidAmount(QString()));
        QVERIFY(TaskEditor::isValidAmount(QStringLiteral("999999999.00")));
    }

    void expensePageValues()
    {
        TaskEditor page;
        QCOMPARE(page.type->text(0), QStringLiteral("None"));
        QCOMPARE(page.type->count(), 3);
        QCOMPARE(page.cur->count(), 3);
        QCOMPARE(page.cur->text(2), QStringLiteral("EUR"));
        Task t(m_store.get());
        t.type = QString();
        t.city = QStringLiteral("Nowhere"); // not in its list: kept as typed
        t.currency = QStringLiteral("$");
        t.amount = QStringLiteral("3.25");
        t.date = QDate(2025, 6, 7);
        page.load(&t);
        QCOMPARE(page.type->currentItem(), 0);
        QCOMPARE(page.city->currentText(), QStringLiteral("Nowhere"));
        page.account->setEditText(QStringLiteral("None"));
        Task out(m_store.get());
        page.store(&out);
        QVERIFY(out.type.isEmpty());
        QVERIFY(out.account.isEmpty());
        QCOMPARE(out.city, QStringLiteral("Nowhere"));
        QCOMPARE(out.currency, QStringLiteral("$"));
        QCOMPARE(out.amount, QStringLiteral("3.25"));
        QCOMPARE(out.date, QDate(2025, 6, 7));
        QCOMPARE(YMRPIM::loadList(QStringLiteral("cities")).contains("Nowhere"), false);
    }

    void listButtonReloadsTheBox()
    {
        TaskEditor page;
        page.type->setCurrentItem(1); // Lunch
        ymrtest::whenModalShown([](QDialog *d) {
            auto *editor = qobject_cast<CustomListDialog *>(d);
            QVERIFY(editor);
            QCOMPARE(editor->windowTitle(), QStringLiteral("Edit Types"));
            editor->btnRemove->click(); // Lunch goes
            editor->btnNew->click();
            editor->text->setText(QStringLiteral("Hotel"));
            editor->reject();
        });
        page.stype->click();
        QCOMPARE(page.type->count(), 3);
        QCOMPARE(page.type->text(2), QStringLiteral("Hotel"));
        // the shown value stays, now as free text
        QCOMPARE(page.type->currentText(), QStringLiteral("Lunch"));
    }

    void calculatorResults()
    {
        TaskEditor page;
        page.amount->setText(QStringLiteral("4"));
        ymrtest::whenModalShown([](QDialog *d) { d->reject(); });
        page.samount->click();
        QCOMPARE(page.amount->text(), QStringLiteral("4"));
        QVERIFY(page.focusWidget() == page.cur || page.focusWidget() == page.cur->lineEdit());

        // a result that is no valid amount is refused with a message
        ymrtest::whenModalShown([](QDialog *d) {
            auto *calc = qobject_cast<YMRCalculator *>(d);
            QVERIFY(calc);
            calc->trimDisplay(QStringLiteral("-12"), false);
            YMRDialog::queueAnswer(1);
            calc->accept();
        });
        page.samount->click();
        QCOMPARE(page.amount->text(), QStringLiteral("4"));
        QCOMPARE(YMRDialog::takeScriptedBoxes().size(), 1);
    }

    void grabs()
    {
        Task *a = addTask(m_store.get(), "Lunch", "12.50");
        a->reminder = new PIMReminder;
        a->reminder->dateTime = QDateTime(QDate(2099, 1, 1), QTime(9, 0));
        const QString screen = QString::fromLocal8Bit(qgetenv("QPE_SCREEN"));
        TaskDialog dialog;
        ymrtest::whenModalShown([screen](QDialog *d) {
            auto *td = static_cast<TaskDialog *>(d);
            QVERIFY(td->width() <= QPEApplication::screenRect().width());
            td->grab().save(ymrtest::grabPath("ymr-taskdialog-expense-" + screen));
            td->tabs()->showPage(td->memo());
            td->grab().save(ymrtest::grabPath("ymr-taskdialog-memo-" + screen));
            td->tabs()->showPage(td->reminderEditor());
            td->grab().save(ymrtest::grabPath("ymr-taskdialog-reminder-" + screen));
            td->reject();
        });
        dialog.exec(a, 0, true);
    }
};

YMR_TEST_MAIN(TestTaskDialog)
#include "tst_taskdialog.moc"
