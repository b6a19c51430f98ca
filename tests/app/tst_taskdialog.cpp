// ymr-test-screens: 240x320 480x640
#include "customlistdialog.h"
#include "remindereditor.h"
#include "taskdialog.h"
#include "taskeditor.h"
#include "ymrtest.h"

#include "bookfixtures.h"
#include "ymrdatesettings.h"
#include "ymrlocale.h"
#include "zonescope.h"

#include "pim/categoriesselector.h"
#include "pim/pimreminder.h"
#include "pim/pimtextreader.h"
#include "pim/task.h"
#include "pim/taskmanager.h"
#include "pim/ymrpim.h"
#include "qpe/alarmserver.h"
#include "qpe/qpedialogok.h"
#include "qt/ymdatetimeeditor.h"
#include "qt/ymdatetimesection.h"
#include "qt/ymraction.h"
#include "qt/ymrapplication.h"
#include "qt/ymrcalculator.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrdialog.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrspinbox.h"
#include "qt/ymtabwidget.h"
#include "qt/ymrutil.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QClipboard>
#include <QLabel>
#include <QToolButton>
#include "qt/ymdatetimeedit.h"
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>
#include <ctime>
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

// Types text key by key, as a keyboard of any script does (QTest's own key
// clicks take ASCII only).
void typeKeys(QWidget *field, const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(field, c.toLatin1());
            continue;
        }
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &release);
    }
}

// Types a date or a time into the edit section by section, as the keys of
// a user do: each value's digits, without leading zeros where a section
// takes it complete without them.
void typeDateTime(YMDateTimeEdit *edit, const QDate &date, const QTime &time)
{
    QWidget *keys = edit->lineEdit();
    edit->setFocus();
    for (int i = 0; i < edit->sectionCount(); ++i) {
        switch (edit->section(i)->type()) {
        case YMDateTimeSection::Day: QTest::keyClicks(keys, QString::number(date.day())); break;
        case YMDateTimeSection::Month: QTest::keyClicks(keys, QString::number(date.month())); break;
        case YMDateTimeSection::Year: QTest::keyClicks(keys, QString::number(date.year())); break;
        case YMDateTimeSection::Hour24:
            QTest::keyClicks(keys, QString::number(time.hour()).rightJustified(2, '0'));
            break;
        case YMDateTimeSection::Minute:
            QTest::keyClicks(keys, QString::number(time.minute()).rightJustified(2, '0'));
            break;
        default: break;
        }
    }
}

QStringList viewTypes(TaskManager *store)
{
    QStringList result;
    for (int i = 0; i < store->view()->count(); ++i)
        result.append(static_cast<Task *>(store->view()->at(i))->type);
    return result;
}

// Opens the dialog on task at page and runs act on it once it is up; its result.
int execDialog(Task *task, int page, bool navigation, const std::function<void(TaskDialog *)> &act)
{
    TaskDialog dialog;
    ymrtest::whenModalShown([&act](QDialog *d) { act(static_cast<TaskDialog *>(d)); });
    return dialog.exec(task, page, navigation);
}

// The hint a field shows; empty when none shows.
QString shownHint(QWidget *field, const QString &name = QStringLiteral("YMRPIM hint"))
{
    auto *label = field->findChild<QLabel *>(name);
    return label && label->isVisible() ? label->text() : QString();
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
        QVERIFY(!fixtures::alarmTimes(TaskManager::alarmMessage(a)).isEmpty());
    }

    // An amount that reads as no number (set from outside the field's keys,
    // as a calculator or an older book may) is never stored: each step
    // that would store it stays, with a hint at the field.
    void badAmountsAreRefused_data()
    {
        QTest::addColumn<QString>("amount");
        QTest::newRow("exponent") << "1e5";
        QTest::newRow("negative") << "-3";
        QTest::newRow("too large") << "1000000000";
        QTest::newRow("group of four") << "1.2345";
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
            QLineEdit *field = td->taskEditor()->amount;
            field->setText(amount);
            YMRDialog::queueAnswer(1);
            td->doForward(); // refused: stays
            QCOMPARE(td->task()->type, QStringLiteral("A"));
            auto *hint = field->findChild<QLabel *>(QStringLiteral("YMRPIM hint"));
            QVERIFY(hint && hint->isVisible());
            QVERIFY(hint->text().contains(amount));
            hint->hide();
            td->tabs()->showPage(td->memo());
            td->accept(); // refused: stays open, on the amount's page
            QVERIFY(td->isVisible());
            QVERIFY(hint->isVisible());
            QCOMPARE(td->tabs()->currentPage(), static_cast<QWidget *>(td->taskEditor()));
            // a hint, never a box over the keys
            QCOMPARE(YMRDialog::queuedAnswers(), 1);
            YMRDialog::stopScript();
            field->setText(QStringLiteral("12.5"));
            td->accept();
        });
        QCOMPARE(dialog.exec(a, 0, true), 1);
        QCOMPARE(a->amount, QStringLiteral("12.5"));
    }

    // What the user types or pastes into the amount field is stored as the
    // number meant, in any locale: the last "," or "." before at most two
    // digits is the decimal point, other separators group the digits. A key
    // the field refuses, and an amount it cannot read, are told by a hint.
    void typedAmountIsStoredAsMeant_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("stored"); // null: OK refused, the amount kept
        QTest::addColumn<bool>("hint");
        QTest::newRow("grouped, decimal point") << "1,234.56" << "" << "1,234.56" << "1234.56" << false;
        QTest::newRow("grouped, decimal comma") << "1.234,56" << "" << "1.234,56" << "1234.56" << false;
        QTest::newRow("blank groups") << "1 234,56" << "" << "1 234,56" << "1234.56" << false;
        QTest::newRow("apostrophe groups") << "1'234.56" << "" << "1'234.56" << "1234.56" << false;
        QTest::newRow("ten thousand") << "10,000.00" << "" << "10,000.00" << "10000.00" << false;
        QTest::newRow("Indian groups") << "12,34,567.89" << "" << "12,34,567.89" << "1234567.89" << false;
        QTest::newRow("decimal comma") << "12,50" << "" << "12,50" << "12.50" << false;
        QTest::newRow("thousands") << "2,000" << "" << "2,000" << "2000" << false;
        QTest::newRow("pasted grouped") << "7" << "1,500.25" << "71,500.25" << "71500.25" << false;
        QTest::newRow("minus refused") << "-3" << "" << "3" << "3" << true;
        QTest::newRow("exponent refused") << "1e5" << "" << "15" << "15" << true;
        QTest::newRow("Arabic-Indic digits") << "\u0661\u0662" << "" << "" << "" << true;
        QTest::newRow("Persian digits") << "\u06f1\u06f2" << "" << "" << "" << true;
        QTest::newRow("full-width digits") << "\uff11\uff12" << "" << "" << "" << true;
        QTest::newRow("pasted negative") << "" << "-2,5" << "" << "" << true;
        QTest::newRow("past the largest") << "1234567890" << "" << "123456789" << "123456789" << true;
        QTest::newRow("unreadable groups") << "1,5.2" << "" << "1,5.2" << QString() << true;
        QTest::newRow("mixed groups") << "1,234.567,89" << "" << "1,234.567,89" << QString() << true;
        QTest::newRow("no grouping after a lone zero") << "0.001" << "" << "0.001" << QString() << true;
        QTest::newRow("decimal comma, three decimals") << "0,001" << "" << "0,001" << QString() << true;
        QTest::newRow("leading group of zeros") << "00 123 456" << "" << "00 123 456" << QString() << true;
        QTest::newRow("leading zeros dropped") << "0000000000012" << "" << "0000000000012" << "12" << false;
        QTest::newRow("leading zeros, decimals") << "007,50" << "" << "007,50" << "7.50" << false;
        QTest::newRow("the largest") << "999999999.00" << "" << "999999999.00" << "999999999.00" << false;
        QTest::newRow("a cent past the largest") << "999999999.99" << "" << "999999999." << "999999999" << true;
        QTest::newRow("pasted past the largest") << "" << "999999999.99" << "" << "" << true;
    }

    void typedAmountIsStoredAsMeant()
    {
        QFETCH(QString, typed);
        QFETCH(QString, pasted);
        QFETCH(QString, shown);
        QFETCH(QString, stored);
        QFETCH(bool, hint);
        for (const char *locale : {"en_US.UTF-8", "de_DE.UTF-8"}) {
            const QByteArray lang = qgetenv("LANG");
            qputenv("LANG", locale);
            const QLocale before;
            QLocale::setDefault(QLocale(QString::fromLatin1(locale).section('.', 0, 0)));
            Task *a = addTask(m_store.get(), "A", "7");
            TaskDialog dialog;
            QString fieldText;
            bool hintShown = false;
            bool stayedOpen = false;
            ymrtest::whenModalShown([&](QDialog *d) {
                auto *td = static_cast<TaskDialog *>(d);
                QLineEdit *field = td->taskEditor()->amount;
                field->clear();
                typeKeys(field, typed);
                if (!pasted.isEmpty()) {
                    QApplication::clipboard()->setText(pasted);
                    QTest::keySequence(field, QKeySequence::Paste);
                }
                fieldText = field->text();
                // a key refused as it is typed shows the hint at once; it
                // goes with the dialog that Ctrl+Return closes
                hintShown = !shownHint(field).isEmpty();
                QTest::keyClick(field, Qt::Key_Return, Qt::ControlModifier);
                stayedOpen = td->isVisible();
                hintShown = hintShown || !shownHint(field).isEmpty();
                if (stayedOpen)
                    td->reject();
            });
            const int result = dialog.exec(a, 0, true);
            QLocale::setDefault(before);
            qputenv("LANG", lang);
            QCOMPARE(fieldText, shown);
            QCOMPARE(hintShown, hint);
            QCOMPARE(result, stored.isNull() ? 0 : 1);
            QCOMPARE(stayedOpen, stored.isNull());
            QCOMPARE(a->amount, stored.isNull() ? QStringLiteral("7") : stored);
        }
    }

    // No field takes a text whose line in the book would be longer than the
    // book's reader takes: a pasted megabyte ends in a hint at once, not in
    // a book refused at the next start. A description as long as a line
    // holds, already in a book, opens whole and can be shortened.
    void longTextsAreRefusedNotCut()
    {
        const int room = PIMTextReader::maxLineLength() - int(qstrlen("DESC="));
        Task *a = addTask(m_store.get(), "A", "7");
        a->description = QString(room, QLatin1Char('d'));
        QVERIFY(m_store->save());
        m_store.reset(new TaskManager(m_path));
        QVERIFY(m_store->load());
        a = static_cast<Task *>(m_store->first());
        QCOMPARE(a->description.size(), room);

        const QString megabytes(1200 * 1000, QLatin1Char('m'));
        int shown = 0;
        QStringList hints;
        qint64 pasteMs = -1;
        const int result = execDialog(a, 1, true, [&](TaskDialog *td) {
            QPlainTextEdit *memo = td->memo();
            shown = memo->toPlainText().size();
            auto hint = [](QWidget *field) {
                auto *label = field->findChild<QLabel *>(QStringLiteral("YMRPIM hint"));
                const QString text = label && label->isVisible() ? label->text() : QString();
                if (label)
                    label->hide();
                return text;
            };
            memo->moveCursor(QTextCursor::End);
            QTest::keyClick(memo, Qt::Key_X);
            hints << hint(memo);
            QTest::keyClick(memo, Qt::Key_Backspace);
            QApplication::clipboard()->setText(megabytes);
            QElapsedTimer clock;
            clock.start();
            QTest::keySequence(memo, QKeySequence::Paste);
            pasteMs = clock.elapsed();
            hints << hint(memo);
            QLineEdit *type = td->taskEditor()->type->lineEdit();
            QTest::keySequence(type, QKeySequence::Paste);
            hints << hint(type) << type->text();
            td->accept();
        });
        QCOMPARE(result, 1);
        QCOMPARE(shown, room);
        const QString tooLong = QStringLiteral("This text cannot be any longer (at most %1).");
        QCOMPARE(hints, QStringList({tooLong.arg("1,048,571 bytes"), tooLong.arg("1,048,571 bytes"),
                                     tooLong.arg("32,767 characters"), QStringLiteral("A")}));
        QVERIFY2(pasteMs < 3000, qPrintable(QString::number(pasteMs)));
        QCOMPARE(a->description, QString(room - 1, QLatin1Char('d')));
        // the book still opens
        QVERIFY(m_store->save());
        m_store.reset(new TaskManager(m_path));
        QVERIFY(m_store->load());
        QCOMPARE(static_cast<Task *>(m_store->first())->description.size(), room - 1);
    }

    // Characters are counted as the user counts them: an emoji is one,
    // whatever UTF-16 units or code points it takes. A city of 20,000 emoji
    // is shown, stored and read back whole; 32,768 are one past the field's
    // 32,767 and refused whole with the hint.
    void emojiCountAsCharacters()
    {
        const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");
        const QString family = QString::fromUtf8(
            "\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7");
        const QString city = (smile.repeated(99) + family).repeated(200);
        Task *a = addTask(m_store.get(), "A", "7");
        QString shownCity;
        QString shownAccount;
        QString hint;
        const int result = execDialog(a, 0, true, [&](TaskDialog *td) {
            QLineEdit *cityField = td->taskEditor()->city->lineEdit();
            cityField->clear();
            QApplication::clipboard()->setText(city);
            QTest::keySequence(cityField, QKeySequence::Paste);
            shownCity = cityField->text();
            QLineEdit *accountField = td->taskEditor()->account->lineEdit();
            accountField->clear();
            QApplication::clipboard()->setText(smile.repeated(32768));
            QTest::keySequence(accountField, QKeySequence::Paste);
            shownAccount = accountField->text();
            hint = shownHint(accountField);
            td->accept();
        });
        QCOMPARE(result, 1);
        QCOMPARE(shownCity.size(), city.size());
        QVERIFY(shownCity == city);
        QVERIFY(shownAccount.isEmpty());
        QCOMPARE(hint, QStringLiteral("This text cannot be any longer (at most 32,767 characters)."));
        QVERIFY(m_store->save());
        m_store.reset(new TaskManager(m_path));
        QVERIFY(m_store->load());
        QVERIFY(static_cast<Task *>(m_store->first())->city == city);
    }

    // The expense's date is a date only: opened in an hour that the
    // expense's day skips (a made-up zone whose change to summer time falls
    // on the current hour of that day), the field shows the day, steps from
    // it and stores it.
    void dateOnADayThatSkipsTheHour()
    {
        ymrtest::ZoneScope zone("XST0");
        const QDate day(QDate::currentDate().year() + 1, 3, 10);
        for (int tries = 0; tries < 2; ++tries) {
            ymrtest::ZoneScope::set(
                QStringLiteral("XST0XDT,J69/%1,J70/%1").arg(QTime::currentTime().hour()).toLatin1());
            if (!QDateTime(day, QTime::currentTime()).isValid())
                break;
            ymrtest::ZoneScope::set("XST0");   // the hour turned meanwhile
        }
        Task *a = addTask(m_store.get(), "A", "7");
        a->date = day;
        QString shown;
        QDate stepped;
        QDate back;
        const int result = execDialog(a, 0, true, [&](TaskDialog *td) {
            YMDateTimeEditor *date = td->taskEditor()->date;
            shown = date->dateEdit()->text();
            date->dateEdit()->setFocus();
            QTest::keyClick(date->dateEdit()->lineEdit(), Qt::Key_Up);
            stepped = date->date();
            QTest::keyClick(date->dateEdit()->lineEdit(), Qt::Key_Down);
            back = date->date();
            td->accept();
        });
        QCOMPARE(result, 1);
        QVERIFY2(shown.contains(QString::number(day.year())), qPrintable(shown));
        QVERIFY(stepped.isValid() && stepped != day);
        QCOMPARE(back, day);
        QCOMPARE(a->date, day);
    }

    // A date typed digit by digit into the expense's date field is stored as
    // typed, in every date order; one that does not exist is refused at the
    // field (the hint shows) and the expense keeps its date. Every way the
    // entry ends takes it or refuses it, and a refusal stops what ended it:
    // the buttons (clicked, so that they take the focus first), OK,
    // Ctrl+Return (the device's OK), another page. (The typing itself:
    // tst_ymdatetimeedit.)
    void typedDateIsStoredAsTyped_data()
    {
        QTest::addColumn<int>("order");
        QTest::addColumn<QByteArray>("locale");
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("how");  // a button's name (of the bar or the page), "ok", "ctrl+return", "tab"; "amount, ctrl+return": the amount clicked first
        QTest::addColumn<bool>("refused"); // the field shows a hint
        QTest::addColumn<bool>("stays");   // the dialog stays on the expense's page
        QTest::addColumn<QDate>("stored");
        const QDate apr15(2026, 4, 15), may31(2026, 5, 31), feb10(2025, 2, 10);
        QTest::newRow("31052026 over 15/04/2026, d/m/y") << 273 << QByteArray("C.UTF-8") << apr15 << "31052026"
                                                         << "ctrl+return" << false << false << may31;
        QTest::newRow("05312026 over 04/15/2026, m/d/y") << 266 << QByteArray("tr_TR.UTF-8") << apr15 << "05312026"
                                                         << "ctrl+return" << false << false << may31;
        QTest::newRow("20250229 over 2025/02/10, y/m/d") << 84 << QByteArray("de_DE.UTF-8") << feb10 << "20250229"
                                                         << "ctrl+return" << true << false << feb10;
        QTest::newRow("day 31 of April, accepted at once")
            << 273 << QByteArray("C.UTF-8") << apr15 << "31" << "ctrl+return" << true << true << apr15;
        QTest::newRow("year alone over a leap day, accepted at once")
            << 84 << QByteArray("de_DE.UTF-8") << QDate(2024, 2, 29) << "2025" << "ctrl+return" << true << true
            << QDate(2024, 2, 29);
        QTest::newRow("day 31 of April, New at once")
            << 273 << QByteArray("C.UTF-8") << apr15 << "31" << "new" << true << true << apr15;
        QTest::newRow("04/31 of m/d/y, Back at once")
            << 266 << QByteArray("C.UTF-8") << apr15 << "0431" << "back" << true << true << apr15;
        for (const char *how : {"new", "clone", "back", "forward", "start", "end", "ok", "ctrl+return", "tab"}) {
            QTest::addRow("3105, %s", how) << 273 << QByteArray("tr_TR.UTF-8") << apr15 << "3105" << how
                                           << false << false << may31;
            QTest::addRow("3104, %s", how) << 273 << QByteArray("C.UTF-8") << apr15 << "3104" << how
                                           << true << true << apr15;
        }
        // refused as the field was left for the amount: the next action finds the field at its date
        QTest::newRow("3104, left, ctrl+return") << 273 << QByteArray("C.UTF-8") << apr15 << "3104"
                                                 << "amount, ctrl+return" << true << false << apr15;
        QTest::newRow("3104, left, ok") << 273 << QByteArray("C.UTF-8") << apr15 << "3104" << "amount, ok" << true
                                        << false << apr15;
        QTest::newRow("3104, left, new") << 273 << QByteArray("C.UTF-8") << apr15 << "3104" << "amount, new" << true
                                         << false << apr15;
        // the page's buttons: refused, a button does nothing until clicked again
        for (const char *how : {"stype", "samount", "cats"}) {
            QTest::addRow("3105, %s", how) << 273 << QByteArray("C.UTF-8") << apr15 << "3105" << how
                                           << false << true << may31;
            QTest::addRow("3104, %s", how) << 273 << QByteArray("C.UTF-8") << apr15 << "3104" << how
                                           << true << true << apr15;
        }
    }

    void typedDateIsStoredAsTyped()
    {
        QFETCH(int, order);
        QFETCH(QByteArray, locale);
        QFETCH(QDate, start);
        QFETCH(QString, keys);
        QFETCH(QString, how);
        QFETCH(bool, refused);
        QFETCH(bool, stays);
        QFETCH(QDate, stored);
        YMR_USE_LOCALE(locale.constData());
        const ymrtest::DateSettingsKept kept; // for the other tests
        ymrtest::setDateSettings(false, order);
        addTask(m_store.get(), "B", "1")->date = QDate(2020, 1, 1);
        Task *a = addTask(m_store.get(), "A", "7");
        a->date = start;
        addTask(m_store.get(), "C", "1")->date = QDate(2030, 1, 1);
        QString hint;
        bool open = false;
        QDate shown;
        int opened = 0; // dialogs a page button opened
        const int result = execDialog(a, 0, true, [&](TaskDialog *td) {
            // events pass while the button is held
            auto click = [&](QWidget *button) {
                QTest::mousePress(button, Qt::LeftButton);
                QCoreApplication::processEvents();
                QTimer::singleShot(0, [&] {
                    auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget());
                    if (d && d != td) {
                        ++opened;
                        d->reject();
                    }
                });
                QTest::mouseRelease(button, Qt::LeftButton);
                QCoreApplication::processEvents();
            };
            TaskEditor *page = td->taskEditor();
            QWidget *pageButton = how == "cats" ? page->cats->editButton() : page->findChild<YMRPushButton *>(how);
            QApplication::setActiveWindow(td);
            QVERIFY(QTest::qWaitForWindowActive(td));
            YMDateTimeEdit *edit = td->taskEditor()->date->dateEdit();
            edit->setFocus();
            QTest::keyClicks(edit->lineEdit(), keys);
            if (how.startsWith("amount, ")) {
                QTest::mouseClick(td->taskEditor()->amount, Qt::LeftButton);
                QCoreApplication::processEvents();
            }
            // a hint shown before the action goes with the dialog it closes
            const QString before = shownHint(edit->lineEdit(), YMDateTimeEdit::hintName());
            if (how == "amount, ctrl+return")
                QTest::keyClick(td->taskEditor()->amount, Qt::Key_Return, Qt::ControlModifier);
            else if (how == "amount, ok")
                click(QpeDialogOk::find(td)->okButton());
            else if (how == "amount, new")
                click(td->navigationBar()->findChild<YMRPushButton *>("new"));
            else if (how == "ctrl+return")
                QTest::keyClick(edit->lineEdit(), Qt::Key_Return, Qt::ControlModifier);
            else if (how == "tab")
                td->tabs()->showPage(td->memo());
            else if (pageButton)
                click(pageButton);
            else
                click(how == "ok" ? static_cast<QWidget *>(QpeDialogOk::find(td)->okButton())
                                  : td->navigationBar()->findChild<YMRPushButton *>(how));
            hint = td->isVisible() ? shownHint(edit->lineEdit(), YMDateTimeEdit::hintName()) : before;
            open = td->isVisible() && td->task() == a && td->tabs()->currentPage() == td->taskEditor();
            shown = edit->date();
            if (pageButton) {
                QCOMPARE(opened, refused ? 0 : 1);
                click(pageButton); // another action
                QCOMPARE(opened, refused ? 1 : 2);
            }
            if (td->isVisible())
                QTest::keyClick(td, Qt::Key_Return, Qt::ControlModifier);
        });
        QCOMPARE(result, 1);
        QCOMPARE(!hint.isEmpty(), refused);
        QCOMPARE(open, stays);
        if (stays)
            QCOMPARE(shown, stored);
        QCOMPARE(a->date, stored);
    }

    // A reminder set to a time that the clocks skip rings at the first
    // moment after it: the page tells so as the time is typed, the record
    // holds that moment, and the alarm server has it.
    void reminderAtASkippedTime_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDate>("day");
        QTest::newRow("Europe/Berlin") << QByteArray("Europe/Berlin") << QDate(2027, 3, 28);
        QTest::newRow("America/St_Johns") << QByteArray("America/St_Johns") << QDate(2027, 3, 14);
    }

    void reminderAtASkippedTime()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QDate, day);
        ymrtest::ZoneScope scoped(zone);
        QVERIFY(!QDateTime(day, QTime(2, 30)).isValid());
        Task *a = addTask(m_store.get(), "A", "7");
        QString hint;
        const int result = execDialog(a, 3, true, [&](TaskDialog *td) {
            ReminderEditor *page = td->reminderEditor();
            QTest::keyClick(page->alarm, Qt::Key_Space);
            QVERIFY(page->alarm->isChecked());
            typeDateTime(page->dt->dateEdit(), day, QTime(2, 30));
            typeDateTime(page->dt->timeEdit(), day, QTime(2, 30));
            hint = shownHint(page->dt->timeEdit());
            // the hint goes with the expense it was about and takes no click
            // meant for the page under it
            auto *label = page->dt->timeEdit()->findChild<QLabel *>("YMRPIM hint");
            QVERIFY(label && label->testAttribute(Qt::WA_TransparentForMouseEvents)
                    && label->windowHandle()->flags().testFlag(Qt::WindowTransparentForInput));
            QTest::mouseClick(td->navigationBar()->findChild<YMRPushButton *>("new"), Qt::LeftButton);
            QVERIFY(td->task() != a);
            QVERIFY(!label->isVisible());
            td->accept();
        });
        QCOMPARE(result, 1);
        const QDateTime rings(day, QTime(3, 0));
        QCOMPARE(hint, QStringLiteral("The clocks skip %1 on %2: the reminder rings at %3.")
                           .arg(YMRUtil::timeToString(QTime(2, 30)).trimmed(),
                                YMRUtil::dateToString(day).trimmed(),
                                YMRUtil::timeToString(QTime(3, 0)).trimmed()));
        QVERIFY(a->reminder);
        QCOMPARE(a->reminder->dateTime, rings);
        QVERIFY(a->reminder->dateTime.isValid());
        QVERIFY(fixtures::alarmTimes(TaskManager::alarmMessage(a)).contains(rings));
    }

    // The reminder's date and time typed whole, as on the expense's date:
    // years of one or three digits, and the 12-hour clock's hours and
    // letters; a refusal keeps the reminder where it was.
    void reminderTypedKeys_data()
    {
        QTest::addColumn<bool>("ampm");
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<QString>("dateKeys");
        QTest::addColumn<QString>("timeKeys");
        QTest::addColumn<QDateTime>("stored");
        QTest::addColumn<bool>("refused");
        const QDateTime morning(QDate(2027, 4, 15), QTime(11, 30)), afternoon(QDate(2027, 4, 15), QTime(14, 30));
        QTest::newRow("1/5/0 over 2027") << false << morning << "1/5/0" << ""
                                         << QDateTime(QDate(2000, 5, 1), QTime(11, 30)) << false;
        QTest::newRow("1/5/7") << false << morning << "1/5/7" << "" << QDateTime(QDate(2007, 5, 1), QTime(11, 30))
                               << false;
        QTest::newRow("23:61, 24-hour clock") << false << morning << "" << "23:61" << morning << true;
        QTest::newRow("23:61, 12-hour clock") << true << morning << "" << "23:61" << morning << true;
        QTest::newRow("24:00, 12-hour clock") << true << morning << "" << "24:00" << morning << true;
        QTest::newRow("0215A over PM") << true << afternoon << "" << "0215A"
                                       << QDateTime(afternoon.date(), QTime(2, 15)) << false;
        QTest::newRow("1130P over AM") << true << morning << "" << "1130P"
                                       << QDateTime(morning.date(), QTime(23, 30)) << false;
        QTest::newRow("0215X") << true << afternoon << "" << "0215X" << afternoon << true;
    }

    void reminderTypedKeys()
    {
        QFETCH(bool, ampm);
        QFETCH(QDateTime, start);
        QFETCH(QString, dateKeys);
        QFETCH(QString, timeKeys);
        QFETCH(QDateTime, stored);
        QFETCH(bool, refused);
        const ymrtest::DateSettingsKept kept; // for the other tests
        ymrtest::setDateSettings(ampm, 273);
        Task *a = addTask(m_store.get(), "A", "7");
        a->reminder = new PIMReminder;
        a->reminder->dateTime = start;
        QString hint;
        const int result = execDialog(a, 3, true, [&](TaskDialog *td) {
            ReminderEditor *page = td->reminderEditor();
            YMDateTimeEdit *date = page->dt->dateEdit(), *time = page->dt->timeEdit();
            QTRY_COMPARE(time->sectionCount(), ampm ? 3 : 2);
            date->setFocus();
            typeKeys(date->lineEdit(), dateKeys);
            time->setFocus();
            typeKeys(time->lineEdit(), timeKeys);
            const auto shown = [&] {
                return shownHint(date->lineEdit(), YMDateTimeEdit::hintName())
                       + shownHint(time->lineEdit(), YMDateTimeEdit::hintName());
            };
            hint = shown();
            td->accept();
            if (td->isVisible()) {
                hint += shown();
                td->accept();
            }
        });
        QCOMPARE(result, 1);
        QCOMPARE(!hint.isEmpty(), refused);
        QVERIFY(a->reminder);
        QCOMPARE(a->reminder->dateTime, stored);
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
