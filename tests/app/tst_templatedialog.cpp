#include "taskdialog.h"
#include "taskeditor.h"
#include "templatedialog.h"
#include "ymrtest.h"

#include "modaldriver.h"

#include "pim/task.h"
#include "pim/taskmanager.h"
#include "pim/templatemanager.h"
#include "qpe/filereplacer.h"
#include "qpe/unsavedfiles.h"
#include "qt/enterstringdialog.h"
#include "qt/renamedialog.h"
#include "qt/ymrapplication.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrdialog.h"
#include "qt/ymrlistview.h"
#include "qt/ymrlistviewitem.h"
#include "qt/ymrpushbutton.h"

#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

QStringList rows(YMRListView *list)
{
    QStringList result;
    for (YMRListViewItem *i = list->firstChild(); i; i = i->itemBelow())
        result.append(i->text(0));
    return result;
}

void enterType(QWidget *d, const QString &type)
{
    auto *td = qobject_cast<TaskDialog *>(d);
    QVERIFY(td);
    td->taskEditor()->type->setEditText(type);
    td->accept();
}

void answerPrompt(QWidget *d, const QString &text)
{
    auto *prompt = qobject_cast<EnterStringDialog *>(d);
    QVERIFY(prompt);
    QCOMPARE(prompt->fname->text().isEmpty(), false);
    prompt->fname->setText(text);
    prompt->accept();
}

} // namespace

class TestTemplateDialog : public QObject
{
    Q_OBJECT
private slots:
    void cleanup()
    {
        YMRDialog::stopScript();
        FileReplacer::setSpaceLeft(-1);
        TemplateManager t(QStringLiteral("templates"));
        // a retry of a manager the test let go
        UnsavedFiles::instance()->remove(t.indexFileName());
        QFile::remove(t.indexFileName());
        QFile::remove(t.store()->fileName());
    }

    void emptyStore()
    {
        TemplateManager templates(QStringLiteral("templates"));
        TemplateDialog d(&templates);
        QCOMPARE(d.list->childCount(), 0);
        QVERIFY(d.btnNew->isEnabled() && d.btnSep->isEnabled());
        for (YMRPushButton *b : {d.btnRemove, d.btnRename, d.btnEdit, d.btnUp, d.btnDown})
            QVERIFY(!b->isEnabled());
    }

    void createRenameOrderAndRemove()
    {
        {
            ModalDriver driver;
            TemplateManager templates(QStringLiteral("templates"));
            TemplateDialog d(&templates);
            d.hide(); // only the dialogs it runs are answered
            // a name taken (and the separator text) is refused, then asked again
            driver.expect("TaskDialog", [](QWidget *x) { enterType(x, QStringLiteral("Lunch")); });
            driver.expect("EnterStringDialog",
                          [](QWidget *x) { answerPrompt(x, QStringLiteral("Lunch")); });
            d.btnNew->click();
            QCOMPARE(rows(d.list), QStringList({"Lunch"}));
            YMRDialog::queueAnswer(1);
            YMRDialog::queueAnswer(1);
            driver.expect("TaskDialog", [](QWidget *x) { enterType(x, QStringLiteral("Lunch")); });
            for (const char *name : {"Lunch", "-------", "Taxi=home"})
                driver.expect("EnterStringDialog", [name](QWidget *x) {
                    answerPrompt(x, QString::fromLatin1(name));
                });
            d.btnNew->click();
            const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
            QCOMPARE(boxes.size(), 2);
            QCOMPARE(boxes.at(0).caption, QStringLiteral("Template ..."));
            QCOMPARE(boxes.at(0).text, QStringLiteral("Invalid name!"));
            QCOMPARE(rows(d.list), QStringList({"Lunch", "Taxi=home"}));
            QCOMPARE(d.list->currentItem()->text(0), QStringLiteral("Taxi=home"));
            QVERIFY(d.btnUp->isEnabled() && !d.btnDown->isEnabled());

            // OK in the record dialog, then no name: nothing is left behind
            driver.expect("TaskDialog", [](QWidget *x) { enterType(x, QStringLiteral("Gone")); });
            driver.expect("EnterStringDialog", ModalDriver::reject);
            d.btnNew->click();
            QCOMPARE(templates.store()->count(), 2);

            d.btnSep->click();
            QCOMPARE(d.list->currentItem()->text(0), QStringLiteral("-------"));
            QVERIFY(!d.btnRename->isEnabled() && !d.btnEdit->isEnabled());
            d.btnUp->click();
            QCOMPARE(rows(d.list), QStringList({"Lunch", "-------", "Taxi=home"}));

            d.list->setCurrentItem(d.list->firstChild());
            driver.expect("RenameDialog", [](QWidget *x) {
                auto *r = static_cast<RenameDialog *>(x);
                r->fname->setText(QStringLiteral("-------"));
                r->accept();
            });
            YMRDialog::queueAnswer(1);
            d.btnRename->click();
            QCOMPARE(YMRDialog::takeScriptedBoxes().value(0).caption, QStringLiteral("Rename ..."));
            driver.expect("RenameDialog", [](QWidget *x) {
                static_cast<RenameDialog *>(x)->fname->setText(QStringLiteral("Dinner"));
                static_cast<RenameDialog *>(x)->accept();
            });
            d.btnRename->click();
            QCOMPARE(rows(d.list), QStringList({"Dinner", "-------", "Taxi=home"}));

            // editing changes the template record at once
            driver.expect("TaskDialog", [](QWidget *x) {
                auto *td = static_cast<TaskDialog *>(x);
                QVERIFY(!td->navigationBar()->isVisible());
                td->taskEditor()->amount->setText(QStringLiteral("9.90"));
                td->accept();
            });
            d.btnEdit->click();
            QCOMPARE(static_cast<Task *>(templates.find(QStringLiteral("Dinner")))->amount,
                     QStringLiteral("9.90"));

            d.list->setCurrentItem(d.list->firstChild()->itemBelow()->itemBelow());
            YMRDialog::queueAnswer(2); // Cancel
            d.btnRemove->click();
            QCOMPARE(d.list->childCount(), 3);
            YMRDialog::queueAnswer(1);
            d.btnRemove->click();
            QCOMPARE(YMRDialog::takeScriptedBoxes().value(0).text,
                     QStringLiteral("Are you sure you want to delete\nTemplate [Taxi=home] ?"));
            QCOMPARE(rows(d.list), QStringList({"Dinner", "-------"}));
            d.btnSep->click();
            QCOMPARE(driver.pending(), 0);
            QVERIFY(driver.unexpected.isEmpty());
        }
        // the order with its separators is written when the dialog goes
        QFile index(TemplateManager(QStringLiteral("templates")).indexFileName());
        QVERIFY(index.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = index.readAll().split('\n');
        QVERIFY(lines.size() >= 3);
        QVERIFY(lines.at(0).startsWith("Dinner="));
        QVERIFY(lines.at(1).isEmpty() && lines.at(2).isEmpty());
        TemplateManager reread(QStringLiteral("templates"));
        QCOMPARE(reread.names().value(0), QStringLiteral("Dinner"));
        QCOMPARE(reread.store()->count(), 1);
        QCOMPARE(static_cast<Task *>(reread.find(QStringLiteral("Dinner")))->amount,
                 QStringLiteral("9.90"));
    }

    // The templates as the dialog leaves them cannot be written (a full
    // disk): told as it goes, kept by the manager, written by the retry.
    void fullDiskKeepsTheTemplates()
    {
        TemplateManager templates(QStringLiteral("templates"));
        {
            ModalDriver driver;
            TemplateDialog d(&templates);
            d.hide();
            driver.expect("TaskDialog", [](QWidget *x) { enterType(x, QStringLiteral("Lunch")); });
            driver.expect("EnterStringDialog", [](QWidget *x) { answerPrompt(x, QStringLiteral("Lunch")); });
            d.btnNew->click();
            d.btnSep->click();
            FileReplacer::setSpaceLeft(0);
            YMRDialog::queueAnswer(1);
        }
        ymrtest::flushEvents();
        const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes.at(0).text.contains(QLatin1String("the templates: no space")),
                 qPrintable(boxes.at(0).text));
        QFile index(templates.indexFileName());
        QVERIFY(!index.exists());
        QCOMPARE(templates.names(), QStringList({"Lunch", ""}));
        // one entry per file, the book's and its index's, named alike
        const QStringList unsaved = UnsavedFiles::instance()->lines();
        QCOMPARE(unsaved.size(), 2);
        QCOMPARE(unsaved.filter(QRegularExpression("^the templates: no space")).size(), 2);

        FileReplacer::setSpaceLeft(-1);
        QCOMPARE(UnsavedFiles::instance()->retryAll(), 0);
        TemplateManager reread(QStringLiteral("templates"));
        QCOMPARE(reread.names(), QStringList({"Lunch", ""}));
        QCOMPARE(static_cast<Task *>(reread.find(QStringLiteral("Lunch")))->type, QStringLiteral("Lunch"));
    }
};

YMR_TEST_MAIN(TestTemplateDialog)
#include "tst_templatedialog.moc"
