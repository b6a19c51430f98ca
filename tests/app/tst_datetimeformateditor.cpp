// ymr-test-screens: 240x320 480x640
#include "ymrtest.h"

#include "bookfixtures.h"
#include "modaldriver.h"

#include "datetimeformateditor.h"
#include "dateformatselector.h"

#include "pim/ymrpim.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrdialog.h"
#include "qt/ymrlistbox.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrutil.h"

#include <QLabel>
#include <QSignalSpy>

using namespace fixtures;

class TestDateTimeFormatEditor : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void initialPatternJoinsTheList();
    void typingFollowsTheList();
    void addUpdateRemove();
    void selectorShowsListAndTypedText_data();
    void selectorShowsListAndTypedText();
    void selectorEditReloadsAndSignals();

private:
    static QStringList items(YMRListBox *box);
};

QStringList TestDateTimeFormatEditor::items(YMRListBox *box)
{
    QStringList all;
    for (int i = 0; i < int(box->count()); ++i)
        all << box->text(i);
    return all;
}

void TestDateTimeFormatEditor::cleanup()
{
    YMRDialog::stopScript();
    QFile::remove(YMRPIM::userListPath(QStringLiteral("dateFormat")));
}

void TestDateTimeFormatEditor::initialPatternJoinsTheList()
{
    const QStringList installed = YMRPIM::loadList(QStringLiteral("dateFormat"));
    QVERIFY(installed.size() > 2);
    {
        DateTimeFormatEditor editor(QStringLiteral("dateFormat"), QStringLiteral("DD.MM.YY"));
        QCOMPARE(editor.objectName(), QStringLiteral("DateTimeFormatEditorBase"));
        QCOMPARE(editor.windowTitle(), QStringLiteral("DateTime Format Editor"));
        QVERIFY(editor.btnOk->isHidden() && editor.btnCancel->isHidden());
        QCOMPARE(items(editor.list), installed + QStringList{"DD.MM.YY"});
        QCOMPARE(editor.list->currentItem(), installed.size());
        QCOMPARE(editor.format(), QStringLiteral("DD.MM.YY"));
        QCOMPARE(editor.example->text(),
                 YMRUtil::formatDateTime(editor.exampleDateTime(), QStringLiteral("DD.MM.YY")));
        QVERIFY(!editor.btnAdd->isEnabled() && !editor.btnUpdate->isEnabled());
        QVERIFY(editor.btnRemove->isEnabled());
    }
    // written when the editor goes, however it was closed
    QCOMPARE(YMRPIM::loadList(QStringLiteral("dateFormat")), installed + QStringList{"DD.MM.YY"});

    // a pattern of the list is not added twice
    {
        DateTimeFormatEditor editor(QStringLiteral("dateFormat"), installed.at(1));
        QCOMPARE(editor.list->currentItem(), 1);
        QCOMPARE(int(editor.list->count()), installed.size() + 1);
    }
}

void TestDateTimeFormatEditor::typingFollowsTheList()
{
    DateTimeFormatEditor editor(QStringLiteral("dateFormat"), QStringLiteral("YYYY/MM/DD"));
    const QDateTime when(QDate(2005, 1, 18), QTime(14, 5, 9));
    editor.setExampleDateTime(when);
    QCOMPARE(editor.example->text(), QStringLiteral("2005/01/18"));

    type(&editor, "edit", QStringLiteral("DD-MM"));
    QCOMPARE(editor.example->text(), YMRUtil::formatDateTime(when, QStringLiteral("DD-MM")));
    QVERIFY(editor.btnAdd->isEnabled());
    QVERIFY(editor.btnUpdate->isEnabled());

    // a pattern of the list makes its row current; nothing to add
    type(&editor, "edit", QStringLiteral("YYYY-MM-DD"));
    QCOMPARE(editor.list->currentText(), QStringLiteral("YYYY-MM-DD"));
    QVERIFY(!editor.btnAdd->isEnabled() && !editor.btnUpdate->isEnabled());

    editor.edit->clear();
    QVERIFY(!editor.btnAdd->isEnabled() && !editor.btnUpdate->isEnabled());
    QCOMPARE(editor.example->text(), YMRUtil::formatDateTime(when, QString()));

    // picking a row shows it without counting as typing
    editor.list->setCurrentItem(0);
    QCOMPARE(editor.format(), editor.list->text(0));
    QVERIFY(!editor.btnAdd->isEnabled());
}

void TestDateTimeFormatEditor::addUpdateRemove()
{
    QStringList expected;
    {
        DateTimeFormatEditor editor(QStringLiteral("dateFormat"), QStringLiteral("YYYY/MM/DD"));
        expected = items(editor.list);

        type(&editor, "edit", QStringLiteral("MMM YY"));
        editor.btnAdd->click();
        expected << "MMM YY";
        QCOMPARE(items(editor.list), expected);
        QCOMPARE(editor.list->currentItem(), expected.size() - 1);
        QVERIFY(!editor.btnAdd->isEnabled());

        type(&editor, "edit", QStringLiteral("MMMM YYYY"));
        editor.btnUpdate->click();
        expected.last() = "MMMM YYYY";
        QCOMPARE(items(editor.list), expected);
        QVERIFY(!editor.btnUpdate->isEnabled());

        YMRDialog::queueAnswer(2);   // Cancel keeps it
        editor.btnRemove->click();
        QCOMPARE(items(editor.list), expected);
        YMRDialog::queueAnswer(1);
        editor.btnRemove->click();
        expected.removeLast();
        QCOMPARE(items(editor.list), expected);
        const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
        QCOMPARE(boxes.size(), 2);
        QCOMPARE(boxes.at(0).text,
                 QStringLiteral("Are you sure you want to delete\nFormat code [MMMM YYYY] ?"));
        QCOMPARE(boxes.at(0).caption, QStringLiteral("Delete ..."));

        // down to an empty list: Remove off, Add follows the field
        while (editor.list->count() > 0) {
            YMRDialog::queueAnswer(1);
            editor.btnRemove->click();
        }
        QVERIFY(!editor.btnRemove->isEnabled());
        type(&editor, "edit", QStringLiteral("YY"));
        QVERIFY(editor.btnAdd->isEnabled());
        expected = QStringList{"YY"};
        editor.btnAdd->click();
    }
    QCOMPARE(YMRPIM::loadList(QStringLiteral("dateFormat")), expected);
}

void TestDateTimeFormatEditor::selectorShowsListAndTypedText_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("current");
    QTest::addColumn<QString>("shown");
    QTest::newRow("in the list") << "YYYY-MM-DD" << 3 << "YYYY-MM-DD";
    QTest::newRow("not in the list") << "YY.MM" << -1 << "YY.MM";
    QTest::newRow("empty") << "" << 0 << "YYYY/MM/DD";
}

void TestDateTimeFormatEditor::selectorShowsListAndTypedText()
{
    QFETCH(QString, pattern);
    QFETCH(int, current);
    QFETCH(QString, shown);
    DateFormatSelector selector;
    selector.setList(QStringLiteral("dateFormat"), pattern);
    const int count = YMRPIM::loadList(QStringLiteral("dateFormat")).size();
    QCOMPARE(selector.comboBox()->count(), count);
    if (current >= 0)
        QCOMPARE(selector.comboBox()->currentItem(), current);
    QCOMPARE(selector.format(), shown);

    // typed text is the format, and is not added to the list
    selector.comboBox()->setEditText(QStringLiteral("typed"));
    QCOMPARE(selector.format(), QStringLiteral("typed"));
    QCOMPARE(selector.comboBox()->count(), count);
}

void TestDateTimeFormatEditor::selectorEditReloadsAndSignals()
{
    DateFormatSelector selector;
    selector.setList(QStringLiteral("dateFormat"), QStringLiteral("DD/MM/YYYY"));
    QSignalSpy changed(&selector, &DateFormatSelector::changed);

    ModalDriver driver;
    // closed without a change: still re-read and signalled
    driver.expect("DateTimeFormatEditor", ModalDriver::reject);
    selector.editButton()->click();
    QCOMPARE(changed.count(), 1);
    QCOMPARE(selector.format(), QStringLiteral("DD/MM/YYYY"));

    // a new pattern added in the editor becomes the selector's choice
    driver.expect("DateTimeFormatEditor", [](QWidget *w) {
        auto *editor = static_cast<DateTimeFormatEditor *>(w);
        QCOMPARE(editor->format(), QStringLiteral("DD/MM/YYYY"));
        type(w, "edit", QStringLiteral("D.M.YY"));
        editor->btnAdd->click();
        ModalDriver::reject(w);
    });
    selector.editButton()->click();
    QCOMPARE(driver.pending(), 0);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(selector.format(), QStringLiteral("D.M.YY"));
    QCOMPARE(selector.comboBox()->text(selector.comboBox()->count() - 1), QStringLiteral("D.M.YY"));
}

YMR_TEST_MAIN(TestDateTimeFormatEditor)
#include "tst_datetimeformateditor.moc"
