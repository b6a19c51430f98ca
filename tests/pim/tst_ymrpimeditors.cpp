#include "ymrtest.h"

#include "pim/ymrpim.h"
#include "qt/ymrapplication.h"
#include "qt/ymrlistbox.h"
#include "qt/ymrpushbutton.h"

#include <QDialog>
#include <QPlainTextEdit>
#include <functional>

// The popup editors, answered through the active popup or modal dialog.
class TestYMRPIMEditors : public QObject
{
    Q_OBJECT

private:
    // Runs the action on the next popup or modal dialog that opens.
    static void whenOpen(const std::function<void(QWidget *)> &action)
    {
        QTimer::singleShot(0, [action]() {
            QWidget *w = QApplication::activePopupWidget();
            if (!w)
                w = QApplication::activeModalWidget();
            if (!w) {
                whenOpen(action);
                return;
            }
            action(w);
        });
    }
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
    void editText();
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
        QTest::keyClicks(edit, QStringLiteral(" more"));
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
