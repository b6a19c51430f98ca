#include "ymrtest.h"
#include "ymrdatesettings.h"

#include "pim/pimreminder.h"
#include "pim/pimtextedit.h"
#include "pim/pimtextreader.h"
#include "pim/ymrpim.h"
#include "qpe/popupmenu.h"
#include "qt/ymdatebutton.h"
#include "qt/ymdatetimeedit.h"
#include "qt/ymdatetimeeditor.h"
#include "qt/ymrapplication.h"
#include "qt/ymrdialog.h"
#include "qt/ymrlistbox.h"
#include "qt/ymrpushbutton.h"

#include <QClipboard>
#include <QDialog>
#include <QAbstractScrollArea>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <functional>

// The popup editors, answered through the active popup or modal dialog.
class TestYMRPIMEditors : public QObject
{
    Q_OBJECT

private:
    static void whenOpen(const std::function<void(QWidget *)> &action) { ymrtest::whenOpen(action); }
    static YMRPushButton *button(QWidget *w, const QString &text)
    {
        for (YMRPushButton *b : w->findChildren<YMRPushButton *>())
            if (b->text() == text)
                return b;
        return nullptr;
    }
    static void close(QWidget *w) { QTest::keyClick(w, Qt::Key_Escape); }

private slots:
    void initTestCase();
    void cleanup() { YMRDialog::stopScript(); }
    void refuseBar_data();
    void refuseBar();
    void textsStayWithinALine_data();
    void textsStayWithinALine();
    void editText();
    void popupDate_data();
    void popupDate();
    void popupReminder_data();
    void popupReminder();
    void popupTimeAndDateTime();
    void popupList_data();
    void popupList();
    void selectFromList_data();
    void selectFromList();
};

void TestYMRPIMEditors::initTestCase()
{
    YMRPIM::saveList(QStringLiteral("colours"),
                     { QStringLiteral("red"), QStringLiteral("green"), QStringLiteral("blue") });
    YMRPIM::saveList(QStringLiteral("nothing"), {});
}

// A "|" is refused before it reaches the field: typed, composed or pasted
// (a paste whole). A hint tells it without a box, so the keys after it land
// in the field, and undo and redo never meet the "|".
void TestYMRPIMEditors::refuseBar_data()
{
    QTest::addColumn<QString>("clipboard");
    // "k:" keys typed, "c:" a composed text, "d:" a dropped text, "return",
    // "paste", "undo", "redo"
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("hint");
    QTest::newRow("typed") << QString() << QStringList{"k:A|B", "return", "k:line two"}
                           << "ABline two" << "AB\nline two" << true;
    QTest::newRow("paste with bars") << "c||d\ne" << QStringList{"k:ab", "paste", "k:x"}
                                     << "abx" << "abx" << true;
    QTest::newRow("paste without bar") << "cd" << QStringList{"k:ab", "paste"} << "abcd"
                                       << "abcd" << false;
    QTest::newRow("composed") << QString() << QStringList{"k:ab", "c:c|d", "c:e"} << "abe"
                              << "abe" << true;
    QTest::newRow("dropped") << QString() << QStringList{"k:ab", "d:c|d", "d:e"} << "abe"
                             << "abe" << true;
    QTest::newRow("undo after bar") << QString() << QStringList{"k:abc|", "undo"} << ""
                                    << "" << true;
    QTest::newRow("undo, redo") << QString() << QStringList{"k:abc|", "undo", "redo", "k:d"}
                                << "abcd" << "abcd" << true;
}

void TestYMRPIMEditors::refuseBar()
{
    QFETCH(QString, clipboard);
    QFETCH(QStringList, steps);
    QFETCH(QString, line);
    QFETCH(QString, text);
    QFETCH(bool, hint);
    QApplication::clipboard()->setText(clipboard);
    QLineEdit lineEdit;
    YMRPIM::refuseBar(&lineEdit);
    PIMTextEdit textEdit;
    for (QWidget *field : {static_cast<QWidget *>(&lineEdit), static_cast<QWidget *>(&textEdit)}) {
        field->show();
        // a box would take the keys: none is answered
        YMRDialog::queueAnswer(1);
        for (const QString &step : steps) {
            if (step.startsWith("k:")) {
                QTest::keyClicks(field, step.mid(2));
            } else if (step.startsWith("c:")) {
                QInputMethodEvent composed;
                composed.setCommitString(step.mid(2));
                QApplication::sendEvent(field, &composed);
            } else if (step.startsWith("d:")) {
                auto *area = qobject_cast<QAbstractScrollArea *>(field);
                QWidget *target = area ? area->viewport() : field;
                QMimeData data;
                data.setText(step.mid(2));
                const QPoint at(target->width() - 2, target->height() / 2);
                QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(target, &enter);
                QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(target, &drop);
            } else if (step == "return") {
                QTest::keyClick(field, Qt::Key_Return);
            } else {
                QTest::keySequence(field, step == "paste"  ? QKeySequence::Paste
                                          : step == "undo" ? QKeySequence::Undo
                                                           : QKeySequence::Redo);
            }
        }
        QCOMPARE(YMRDialog::queuedAnswers(), 1);
        YMRDialog::stopScript();
        auto *shown = field->findChild<QLabel *>(QStringLiteral("YMRPIM hint"));
        QCOMPARE(shown && shown->isVisible(), hint);
        if (hint) {
            QCOMPARE(shown->text(), QStringLiteral("A text cannot hold \"|\"."));
            QVERIFY(!shown->isActiveWindow());
            // it goes by itself (waited for once)
            if (QTest::currentDataTag() == QByteArray("typed"))
                QTRY_VERIFY_WITH_TIMEOUT(!shown->isVisible(), 6000);
        }
    }
    QCOMPARE(lineEdit.text(), line);
    QCOMPARE(textEdit.toPlainText(), text);
}

// A one-line field takes no line break (a pasted one becomes a blank, so a
// list never gains an entry the user never saw); neither field takes a text
// whose line in a record file would be longer than the reader takes. What
// is refused is refused whole, with a hint. Here a line holds 40 bytes: the
// one-line field's text may take all 40, the description ("DESC=") 35.
void TestYMRPIMEditors::textsStayWithinALine_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("lineHint");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("textHint");
    const QString x36(36, 'x');
    const QString tooLong = QStringLiteral("This text cannot be any longer (at most %1 bytes).");
    QTest::newRow("line break") << "" << "Taxi\nBus" << "Taxi Bus" << "" << "Taxi\nBus" << "";
    QTest::newRow("other line breaks") << "a" << "Taxi\r\nBus\u2028Tram\rShip" << "aTaxi Bus Tram Ship"
                                       << "" << "aTaxi\nBus\nTram\nShip" << "";
    QTest::newRow("paste past the line") << "" << x36 << x36 << "" << "" << tooLong.arg(35);
    QTest::newRow("typed past the line") << QString(41, 'y') << "" << QString(40, 'y')
                                         << tooLong.arg(40) << QString(35, 'y') << tooLong.arg(35);
    // two bytes each
    QTest::newRow("wide characters") << "" << QString(20, QChar(0xe9)) << QString(20, QChar(0xe9))
                                     << "" << "" << tooLong.arg(35);
    QTest::newRow("paste into a full line") << QString(39, 'z') << "\u20ac" << QString(39, 'z')
                                            << tooLong.arg(40) << QString(35, 'z') << tooLong.arg(35);
}

void TestYMRPIMEditors::textsStayWithinALine()
{
    QFETCH(QString, typed);
    QFETCH(QString, pasted);
    QFETCH(QString, line);
    QFETCH(QString, lineHint);
    QFETCH(QString, text);
    QFETCH(QString, textHint);
    PIMTextReader::setMaxLineLength(40);
    QLineEdit lineEdit;
    YMRPIM::refuseBar(&lineEdit);
    PIMTextEdit textEdit;
    QStringList hints;
    for (QWidget *field : {static_cast<QWidget *>(&lineEdit), static_cast<QWidget *>(&textEdit)}) {
        field->show();
        QTest::keyClicks(field, typed);
        if (!pasted.isEmpty()) {
            QApplication::clipboard()->setText(pasted);
            QTest::keySequence(field, QKeySequence::Paste);
        }
        auto *shown = field->findChild<QLabel *>(QStringLiteral("YMRPIM hint"));
        hints << (shown && shown->isVisible() ? shown->text() : QString());
    }
    PIMTextReader::setMaxLineLength(0);
    QCOMPARE(lineEdit.text(), line);
    QCOMPARE(textEdit.toPlainText(), text);
    QCOMPARE(hints, QStringList({lineHint, textHint}));
}

void TestYMRPIMEditors::editText()
{
    QString text = QStringLiteral("first line\nsecond");
    QString seen;
    int cursorAt = -1;
    whenOpen([&](QWidget *w) {
        auto *edit = w->findChild<QPlainTextEdit *>();
        seen = edit->toPlainText();
        cursorAt = edit->textCursor().position();
        QCOMPARE(w->windowTitle(), QStringLiteral("Note"));
        // a "|" would come back from the book as a line break
        QTest::keyClicks(edit, QStringLiteral(" m|ore"));
        button(w, QStringLiteral("Close"))->click();
    });
    QVERIFY(YMRPIM::editText(QStringLiteral("Note"), text));
    QCOMPARE(seen, QStringLiteral("first line\nsecond"));
    QCOMPARE(cursorAt, seen.length());
    QCOMPARE(text, QStringLiteral("first line\nsecond more"));
    // closed without "Close": unchanged
    whenOpen([](QWidget *w) {
        QTest::keyClicks(w->findChild<QPlainTextEdit *>(), QStringLiteral("lost"));
        static_cast<QDialog *>(w)->reject();
    });
    QVERIFY(!YMRPIM::editText(QStringLiteral("Note"), text));
    QCOMPARE(text, QStringLiteral("first line\nsecond more"));
}

// The date popup: a button, clicked as a user's, or the popup closed.
// "Set" takes what is being typed first (d/m/y): a date that exists; a
// whole date refused at its last digit gives back the date it had; one
// that does not exist while still being typed keeps the popup open, the
// hint at the field and the field back at its date, which closing keeps.
// Closing drops what is typed; the field's own calendar opened and closed
// meanwhile does not end it.
void TestYMRPIMEditors::popupDate_data()
{
    QTest::addColumn<QDate>("given");
    QTest::addColumn<QString>("keys");  // typed into the date ("^": its calendar opened and closed); none: the date set to 1 June 2024
    QTest::addColumn<QString>("press"); // a button, or "" to close the popup
    QTest::addColumn<bool>("result");
    QTest::addColumn<QDate>("after");   // invalid: today
    QTest::addColumn<bool>("refused");  // a hint at the field
    const QDate d(2024, 5, 17), apr15(2026, 4, 15), may31(2026, 5, 31);
    QTest::newRow("set") << d << "" << "Set" << true << QDate(2024, 6, 1) << false;
    QTest::newRow("today") << d << "" << "Today" << true << QDate() << false;
    QTest::newRow("none from a null date") << QDate() << "" << "None" << true << QDate(1, 1, 1) << false;
    QTest::newRow("closed") << d << "" << "" << false << d << false;
    QTest::newRow("whole date typed, Set") << apr15 << "31052026" << "Set" << true << may31 << false;
    QTest::newRow("29 February 2025 typed, Set") << apr15 << "29022025" << "Set" << true << apr15 << true;
    QTest::newRow("day 31 of April typed, Set") << apr15 << "31" << "Set" << false << apr15 << true;
    QTest::newRow("day and month typed, Set") << apr15 << "3105" << "Set" << true << may31 << false;
    QTest::newRow("31 April typed, Set") << apr15 << "3104" << "Set" << false << apr15 << true;
    QTest::newRow("31 April typed, closed") << apr15 << "3104" << "" << false << apr15 << false;
    QTest::newRow("day and month typed, closed") << apr15 << "3105" << "" << false << apr15 << false;
    QTest::newRow("the calendar meanwhile, Set") << apr15 << "3^105" << "Set" << true << may31 << false;
}

void TestYMRPIMEditors::popupDate()
{
    QFETCH(QDate, given);
    QFETCH(QString, keys);
    QFETCH(QString, press);
    QFETCH(bool, result);
    QFETCH(QDate, after);
    QFETCH(bool, refused);
    ymrtest::setDateSettings(false, 273);
    QDate date = given;
    QDate shown, shownAfter;
    bool timeHidden = false;
    QString hint;
    whenOpen([&](QWidget *w) {
        auto *editor = w->findChild<YMDateTimeEditor *>();
        shown = editor->date();
        timeHidden = editor->timeEdit()->isHidden();
        QLineEdit *field = editor->dateEdit()->lineEdit();
        if (keys.isEmpty())
            editor->setDate(QDate(2024, 6, 1));
        editor->dateEdit()->setFocus();
        for (QChar c : keys) {
            if (c != '^') {
                QTest::keyClick(field, c.toLatin1());
                continue;
            }
            QTest::mouseClick(editor->dateButton(), Qt::LeftButton);
            editor->dateButton()->popupMenu()->hide();
        }
        const auto shownHint = [field] {
            auto *label = field->findChild<QLabel *>(YMDateTimeEdit::hintName());
            return label && label->isVisible() ? label->text() : QString();
        };
        // a hint shown as the date was typed goes with the pop-up Set closes
        hint = shownHint();
        if (!press.isEmpty())
            QTest::mouseClick(button(w, press), Qt::LeftButton);
        if (w->isVisible() || hint.isEmpty())
            hint = shownHint();
        shownAfter = editor->date();
        if (w->isVisible())
            close(w);
    });
    const QDate day = QDate::currentDate();
    QCOMPARE(YMRPIM::popupDate(date, QPoint(5, 5)), result);
    QVERIFY(timeHidden);
    QCOMPARE(!hint.isEmpty(), refused);
    if (given.isValid())
        QCOMPARE(shown, given);
    if (refused && !result)
        QCOMPARE(shownAfter, given);
    if (after == QDate(1, 1, 1))
        QVERIFY(date.isNull());
    else if (after.isValid())
        QCOMPARE(date, after);
    else
        QVERIFY(ymrtest::isToday(date, day));
}

void TestYMRPIMEditors::popupReminder_data()
{
    QTest::addColumn<QString>("press");
    QTest::addColumn<bool>("result");
    QTest::addColumn<bool>("removed");
    QTest::addColumn<QDateTime>("after");
    const QDateTime at(QDate(2031, 2, 3), QTime(14, 7, 9));
    QTest::newRow("set drops the seconds") << "Set" << true << false << QDateTime(at.date(), QTime(14, 7));
    QTest::newRow("remove") << "Remove Reminder" << true << true << QDateTime();
    QTest::newRow("closed") << "" << false << false << at;
}

void TestYMRPIMEditors::popupReminder()
{
    QFETCH(QString, press);
    QFETCH(bool, result);
    QFETCH(bool, removed);
    QFETCH(QDateTime, after);
    PIMReminder *reminder = new PIMReminder;
    reminder->dateTime = QDateTime(QDate(2031, 2, 3), QTime(14, 7, 9));
    QDateTime shown;
    whenOpen([&](QWidget *w) {
        shown = w->findChild<YMDateTimeEditor *>()->dateTime();
        if (press.isEmpty())
            close(w);
        else
            button(w, press)->click();
    });
    bool wasRemoved = !removed;
    QCOMPARE(YMRPIM::popupReminder(reminder, wasRemoved, QPoint(5, 5)), result);
    QCOMPARE(shown.date(), QDate(2031, 2, 3));
    if (result)
        QCOMPARE(wasRemoved, removed);
    if (removed) {
        QVERIFY(!reminder); // the caller's pointer is cleared with the object
    } else {
        QVERIFY(reminder);
        QCOMPARE(reminder->dateTime, after);
    }
    delete reminder;
    PIMReminder *none = nullptr;
    QVERIFY(!YMRPIM::popupReminder(none, wasRemoved, QPoint()));
}

void TestYMRPIMEditors::popupTimeAndDateTime()
{
    QTime time(8, 30);
    whenOpen([](QWidget *w) {
        auto *editor = w->findChild<YMDateTimeEditor *>();
        QVERIFY(editor->dateEdit()->isHidden());
        editor->setTime(QTime(9, 45));
        button(w, QStringLiteral("Set"))->click();
    });
    QVERIFY(YMRPIM::popupTime(time, QPoint()));
    QCOMPARE(time, QTime(9, 45));
    whenOpen([](QWidget *w) { button(w, QStringLiteral("Current"))->click(); });
    const QTime before = QTime::currentTime();
    QVERIFY(YMRPIM::popupTime(time, QPoint()));
    // seconds between, modulo a day: the clock may pass midnight meanwhile
    const int apart = (before.secsTo(time) + 86400) % 86400;
    QVERIFY2(apart < 5 || apart > 86400 - 5, qPrintable(time.toString()));
    QDateTime dt(QDate(2025, 1, 2), QTime(3, 4));
    whenOpen([](QWidget *w) {
        QCOMPARE(w->findChild<YMDateTimeEditor *>()->dateTime(),
                 QDateTime(QDate(2025, 1, 2), QTime(3, 4)));
        w->findChild<YMDateTimeEditor *>()->setDate(QDate(2026, 7, 8));
        button(w, QStringLiteral("Set"))->click();
    });
    QVERIFY(YMRPIM::popupDateTime(dt, QPoint()));
    QCOMPARE(dt, QDateTime(QDate(2026, 7, 8), QTime(3, 4)));
    whenOpen([](QWidget *w) { close(w); });
    QVERIFY(!YMRPIM::popupDateTime(dt, QPoint()));
    QCOMPARE(dt, QDateTime(QDate(2026, 7, 8), QTime(3, 4)));
}

void TestYMRPIMEditors::popupList_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("how"); // "return", "click", "cancel", "escape"
    QTest::addColumn<QString>("shownCurrent");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("valueAfter");
    QTest::newRow("return on the next") << "colours" << "green" << "down-return" << "green" << true << "blue";
    QTest::newRow("tap on an entry") << "colours" << "green" << "click" << "green" << true << "red";
    QTest::newRow("cancel") << "colours" << "green" << "cancel" << "green" << false << "green";
    QTest::newRow("outside: the current entry") << "colours" << "blue" << "escape" << "blue" << true << "blue";
    QTest::newRow("not in the list") << "colours" << "pink" << "escape" << "red" << true << "red";
    QTest::newRow("empty list") << "nothing" << "x" << "escape" << "" << false << "x";
    QTest::newRow("empty list, cancel") << "nothing" << "x" << "cancel" << "" << false << "x";
}

void TestYMRPIMEditors::popupList()
{
    QFETCH(QString, list);
    QFETCH(QString, value);
    QFETCH(QString, how);
    QFETCH(QString, shownCurrent);
    QFETCH(bool, result);
    QFETCH(QString, valueAfter);
    QString current = QStringLiteral("?");
    whenOpen([&](QWidget *w) {
        auto *box = w->findChild<YMRListBox *>();
        current = box->currentItem() >= 0 ? box->text(box->currentItem()) : QString();
        if (how == QLatin1String("down-return")) {
            QTest::keyClick(box, Qt::Key_Down);
            QTest::keyClick(box, Qt::Key_Return);
        } else if (how == QLatin1String("click")) {
            box->setCurrentItem(0);
            emit box->clicked(box->item(0));
        } else if (how == QLatin1String("cancel")) {
            button(w, QStringLiteral("Cancel"))->click();
        } else {
            w->hide();
        }
    });
    QCOMPARE(YMRPIM::popupList(value, list, QPoint(10, 10)), result);
    QCOMPARE(current, shownCurrent);
    QCOMPARE(value, valueAfter);
}

void TestYMRPIMEditors::selectFromList_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("valueAfter");
    QTest::newRow("accepted") << "colours" << "blue" << true << true << "blue";
    QTest::newRow("not in the list") << "colours" << "pink" << true << true << "red";
    QTest::newRow("rejected") << "colours" << "blue" << false << false << "blue";
    QTest::newRow("empty list accepted") << "nothing" << "x" << true << true << "";
}

void TestYMRPIMEditors::selectFromList()
{
    QFETCH(QString, list);
    QFETCH(QString, value);
    QFETCH(bool, accept);
    QFETCH(bool, result);
    QFETCH(QString, valueAfter);
    QString caption;
    whenOpen([&](QWidget *w) {
        caption = w->windowTitle();
        auto *box = w->findChild<YMRListBox *>();
        if (accept && box->count() > 0)
            QTest::keyClick(box, Qt::Key_Return);
        else if (accept)
            static_cast<QDialog *>(w)->accept();
        else
            static_cast<QDialog *>(w)->reject();
    });
    QCOMPARE(YMRPIM::selectFromList(value, list, QStringLiteral("Pick")), result);
    QCOMPARE(caption, QStringLiteral("Pick"));
    QCOMPARE(value, valueAfter);
    QCOMPARE(value.isNull(), false);
}

YMR_TEST_MAIN(TestYMRPIMEditors)
#include "tst_ymrpimeditors.moc"
