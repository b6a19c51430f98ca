#include "ymrtest.h"

#include "modaldriver.h"
#include "openbook.h"

#include "currencieslist.h"
#include "customlistdialog.h"
#include "dateformatselector.h"
#include "datetimeformateditor.h"
#include "dbeditor.h"
#include "filtereditordialog.h"
#include "formatsetup.h"
#include "numberformateditor.h"
#include "taskdialog.h"
#include "taskeditor.h"
#include "templatedialog.h"

#include "pim/categoiesdialog.h"
#include "pim/categorylistview.h"
#include "pim/categorymanager.h"
#include "pim/categoryrecord.h"
#include "pim/tasklistview.h"
#include "pim/templatemanager.h"
#include "pim/ymrpim.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrdialog.h"
#include "qt/ymrlistview.h"
#include "qt/ymrpushbutton.h"

#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <memory>

using namespace fixtures;

// Every text the program stores in a record file (where a line break is
// written as "|") refuses a typed "|" with a hint, so nothing comes back
// from a book changed.
class TestBarRefused : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { YMRDialog::stopScript(); }
    void cleanupTestCase() { TaskManager::releaseSharedCategoryManager(); }
    void fieldsRefuseBar_data();
    void fieldsRefuseBar();
    void promptsRefuseBar_data();
    void promptsRefuseBar();
    void paneStoresTheDescriptionWithoutBar();
    void pastedLineBreaksStayOneEntry();

private:
    // Types "a|b" into the field: the text it then holds.
    static QString typeBar(QWidget *field);
};

QString TestBarRefused::typeBar(QWidget *field)
{
    if (auto *line = qobject_cast<QLineEdit *>(field))
        line->clear();
    // a box would take the keys after the "|": the hint leaves them to the field
    YMRDialog::queueAnswer(1);
    QTest::keyClicks(field, QStringLiteral("a|b"));
    const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
    if (!boxes.isEmpty())
        return QStringLiteral("%1 messages").arg(boxes.size());
    YMRDialog::stopScript();
    auto *hint = field->findChild<QLabel *>(QStringLiteral("YMRPIM hint"));
    if (!hint || !hint->isVisible())
        return QStringLiteral("no hint");
    if (auto *text = qobject_cast<QPlainTextEdit *>(field))
        return text->toPlainText();
    return static_cast<QLineEdit *>(field)->text();
}

void TestBarRefused::fieldsRefuseBar_data()
{
    QTest::addColumn<QString>("field");
    // the format fields: the currencies list joins a symbol and its format
    // with "|", and the Options' amount format becomes new currencies' format
    for (const char *field : {"type", "currency", "city", "account", "memo", "book description",
                              "filter name", "condition", "list entry", "currency symbol",
                              "number format", "date-time format", "options date format",
                              "options date-time format", "options amount format"})
        QTest::newRow(field) << QString::fromLatin1(field);
}

void TestBarRefused::fieldsRefuseBar()
{
    QFETCH(QString, field);
    TaskManager book(bookPath(QStringLiteral("Bars")));
    std::unique_ptr<QWidget> owner;
    QWidget *typed = nullptr;
    if (field == "type" || field == "currency" || field == "city" || field == "account") {
        auto *editor = new TaskEditor;
        owner.reset(editor);
        const QHash<QString, YMRComboBox *> boxes{
            {"type", editor->type}, {"currency", editor->cur}, {"city", editor->city},
            {"account", editor->account}};
        typed = boxes.value(field)->lineEdit();
    } else if (field == "memo") {
        auto *dialog = new TaskDialog;
        owner.reset(dialog);
        typed = dialog->memo();
    } else if (field == "book description") {
        auto *editor = new DBEditor;
        owner.reset(editor);
        typed = editor->memo;
    } else if (field == "filter name" || field == "condition") {
        auto *editor = new FilterEditorDialog(&book, -1);
        owner.reset(editor);
        typed = field == "filter name" ? static_cast<QWidget *>(editor->fname)
                                       : editor->valBase->findChild<QLineEdit *>("val");
    } else if (field == "number format") {
        auto *editor = new NumberFormatEditor(QStringLiteral("@#,#"), QStringLiteral("BRL"));
        owner.reset(editor);
        typed = editor->edit;
    } else if (field == "date-time format") {
        auto *editor = new DateTimeFormatEditor(QStringLiteral("dateTimeFormat"),
                                                QStringLiteral("YYYY/MM/DD hh:mm"));
        owner.reset(editor);
        typed = editor->edit;
    } else if (field.startsWith("options")) {
        auto *page = new FormatSetup;
        owner.reset(page);
        typed = field == "options date format"        ? page->dateFormat->comboBox()->lineEdit()
                : field == "options date-time format" ? page->dateTimeFormat->comboBox()->lineEdit()
                                                      : page->formats->lineEdit();
    } else if (field == "list entry") {
        auto *editor = new CustomListDialog("types", "Types|Type", "completed");
        owner.reset(editor);
        editor->btnNew->click();
        typed = editor->text;
    } else {
        auto *editor = new CurrenciesList;
        owner.reset(editor);
        editor->btnNew->click();
        typed = editor->text;
    }
    QCOMPARE(typeBar(typed), QStringLiteral("ab"));
}

// The names asked for in prompts: templates and categories.
void TestBarRefused::promptsRefuseBar_data()
{
    QTest::addColumn<QString>("prompt");
    for (const char *prompt : {"new template", "renamed template", "new category",
                               "renamed category"})
        QTest::newRow(prompt) << QString::fromLatin1(prompt);
}

void TestBarRefused::promptsRefuseBar()
{
    QFETCH(QString, prompt);
    const bool renaming = prompt.startsWith("renamed");
    QString seen;
    ModalDriver driver;
    if (prompt == "new template")
        driver.expect("TaskDialog", ModalDriver::accept);
    driver.expect(renaming ? "RenameDialog" : "EnterStringDialog", [&seen](QWidget *d) {
        seen = typeBar(d->findChild<QLineEdit *>("fname"));
        ModalDriver::reject(d);
    });
    if (prompt.endsWith("template")) {
        TemplateManager templates(QStringLiteral("bartemplates"));
        auto *lunch = new Task(templates.store());
        templates.store()->addRecord(lunch);
        templates.add(lunch, QStringLiteral("Lunch"));
        TemplateDialog dialog(&templates);
        renaming ? dialog.doRename() : dialog.doNew();
    } else {
        CategoryManager *categories = TaskManager::sharedCategoryManager();
        auto *food = new CategoryRecord(categories);
        food->title = QStringLiteral("Food");
        categories->addRecord(food);
        CategoiesDialog dialog(categories, nullptr);
        dialog.listView()->setCurrentItem(dialog.listView()->firstChild());
        renaming ? dialog.renameCategory() : dialog.newCategory();
    }
    QCOMPARE(driver.pending(), 0);
    QCOMPARE(seen, QStringLiteral("ab"));
}

// The pane stores each change as it is typed: the bar is gone before that.
void TestBarRefused::paneStoresTheDescriptionWithoutBar()
{
    const QString path = makeBook(QStringLiteral("Pane"), {{"Taxi", "3", "", "", QDate()}});
    ToDoWindow w;
    QVERIFY(openInWindow(w, path));
    w.listView()->setCurrentItem(w.listView()->firstChild());
    QCOMPARE(typeBar(w.descriptionPane()), QStringLiteral("ab"));
    QCOMPARE(static_cast<Task *>(w.manager()->first())->description, QStringLiteral("ab"));
}

// A value list is saved one entry a line: a line break pasted into an entry
// (or into the type box, whose text becomes the type and the next default)
// becomes a blank, so the list after a restart holds what the user saw.
void TestBarRefused::pastedLineBreaksStayOneEntry()
{
    YMRPIM::saveList(QStringLiteral("types"), {QStringLiteral("Food")});
    QApplication::clipboard()->setText(QStringLiteral("Taxi\nBus"));
    {
        CustomListDialog editor(QStringLiteral("types"), QStringLiteral("Types|Type"),
                                QStringLiteral("completed"));
        editor.btnNew->click();
        QTest::keySequence(editor.text, QKeySequence::Paste);
        QCOMPARE(editor.text->text(), QStringLiteral("Taxi Bus"));
    }
    QCOMPARE(YMRPIM::loadList(QStringLiteral("types")),
             QStringList({QStringLiteral("Food"), QStringLiteral("Taxi Bus")}));

    TaskManager book(bookPath(QStringLiteral("Breaks")));
    Task task(&book);
    TaskEditor page;
    page.type->lineEdit()->clear();
    QTest::keySequence(page.type->lineEdit(), QKeySequence::Paste);
    page.store(&task);
    QCOMPARE(task.type, QStringLiteral("Taxi Bus"));
}

YMR_TEST_MAIN(TestBarRefused)
#include "tst_barrefused.moc"
