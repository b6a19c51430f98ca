// ymr-test-screens: 240x320 480x640
#include "ymrtest.h"

#include "pim/categoiesdialog.h"
#include "pim/categoriesselector.h"
#include "pim/categorylistview.h"
#include "pim/categorymanager.h"
#include "pim/categoryrecord.h"
#include "pim/task.h"
#include "pim/taskmanager.h"
#include "qpe/popupmenu.h"
#include "qpe/qpeapplication.h"
#include "qt/ymcolorpanel.h"
#include "qt/ymrapplication.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrdialog.h"
#include "qt/ymrpushbutton.h"

#include <QLineEdit>
#include <functional>

// The categories dialog, the selector of the expense editor and the colour
// menu of the category list, over the shared category store.
class TestCategoiesDialog : public QObject
{
    Q_OBJECT

private:
    static void whenOpen(const std::function<void(QWidget *)> &action) { ymrtest::whenOpen(action); }
    // Answers the next prompt with the text (a null text cancels it).
    static void answerPrompt(const QString &text)
    {
        whenOpen([text](QWidget *w) {
            auto *dlg = qobject_cast<QDialog *>(w);
            if (text.isNull()) {
                dlg->reject();
                return;
            }
            dlg->findChild<QLineEdit *>(QStringLiteral("fname"))->setText(text);
            dlg->accept();
        });
    }
    CategoryRecord *add(const QString &title)
    {
        auto *c = new CategoryRecord(m_cats);
        c->title = title;
        c->store(nullptr);
        return c;
    }
    QStringList uids(const QList<CategoryRecord *> &cats)
    {
        QStringList out;
        for (CategoryRecord *c : cats)
            out << c->uidString();
        return out;
    }
    QStringList comboTexts(CategoriesSelector &s)
    {
        QStringList out;
        for (int i = 0; i < s.comboBox()->count(); ++i)
            out << s.comboBox()->text(i);
        return out;
    }

    CategoryManager *m_cats = nullptr;
    CategoryRecord *m_a = nullptr, *m_b = nullptr, *m_c = nullptr;
    QTemporaryDir m_dir;

private slots:
    void init();
    void cleanupTestCase() { TaskManager::releaseSharedCategoryManager(); }

    void selectorEntries();
    void selectorThroughDialog();
    void emptyStore();
    void dialogModes();
    void newRenameRemove();
    void colourMenu_data();
    void colourMenu();
};

void TestCategoiesDialog::init()
{
    m_cats = TaskManager::sharedCategoryManager();
    m_cats->removeAll();
    m_a = add(QStringLiteral("Alpha"));
    m_b = add(QStringLiteral("Beta"));
    m_c = add(QStringLiteral("Gamma"));
}

void TestCategoiesDialog::selectorEntries()
{
    TaskManager book(m_dir.filePath(QStringLiteral("s.exp")));
    Task t(&book);
    t.setCategories(uids({ m_c, m_a, m_b }));
    CategoriesSelector s;
    s.setFromRecord(&t);
    QCOMPARE(s.categoryManager(), m_cats);
    QCOMPARE(comboTexts(s), (QStringList{ "Gamma [...]", "Alpha [...]", "Beta [...]", "Alpha",
                                          "Beta", "Gamma" }));
    QCOMPARE(s.sets().at(0), uids({ m_c, m_a, m_b }).join(QLatin1Char('|')));
    QCOMPARE(s.sets().at(1), uids({ m_a, m_c, m_b }).join(QLatin1Char('|')));
    QCOMPARE(s.comboBox()->currentItem(), 0);
    // one known category among removed ones: the singles, that one current
    s.setCategories({ QStringLiteral("00000000-0000-0000-0000-000000000000"), m_b->uidString() });
    QCOMPARE(comboTexts(s), (QStringList{ "Alpha", "Beta", "Gamma" }));
    QCOMPARE(s.comboBox()->currentItem(), 1);
    // none known: the store's first category
    s.setCategories({ QStringLiteral("x") });
    QCOMPARE(s.comboBox()->currentItem(), 0);
    s.comboBox()->setCurrentItem(2);
    s.saveToRecord(&t);
    QCOMPARE(t.categories(), QStringList(m_c->uidString()));
}

void TestCategoiesDialog::selectorThroughDialog()
{
    TaskManager book(m_dir.filePath(QStringLiteral("d.exp")));
    Task t(&book);
    t.setCategories(uids({ m_b }));
    CategoriesSelector s;
    s.setFromRecord(&t);
    // mark all three in the dialog: three lead entries in view order
    whenOpen([](QWidget *w) {
        auto *dlg = qobject_cast<CategoiesDialog *>(w);
        QCOMPARE(dlg->markedCategories().count(), 1);
        dlg->listView()->sectionClicked(0);
        dlg->accept();
    });
    s.edit();
    QCOMPARE(comboTexts(s).mid(0, 3),
             (QStringList{ "Alpha [...]", "Beta [...]", "Gamma [...]" }));
    s.saveToRecord(&t);
    QCOMPARE(t.categories(), uids({ m_a, m_b, m_c }));
    // unmark every one, the dialog closed any way: the first category
    whenOpen([](QWidget *w) {
        auto *dlg = qobject_cast<CategoiesDialog *>(w);
        QCOMPARE(dlg->markedCategories().count(), 3);
        dlg->listView()->sectionClicked(0);
        dlg->reject();
    });
    s.edit();
    QCOMPARE(s.comboBox()->currentItem(), 0);
    s.saveToRecord(&t);
    QCOMPARE(t.categories(), uids({ m_a }));
}

void TestCategoiesDialog::emptyStore()
{
    CategoriesSelector s;
    s.edit(); // no record shown yet: nothing opens
    m_cats->removeAll();
    TaskManager book(m_dir.filePath(QStringLiteral("e.exp")));
    Task t(&book);
    t.setCategories({ QStringLiteral("gone") });
    s.setFromRecord(&t);
    QCOMPARE(s.comboBox()->count(), 0);
    s.saveToRecord(&t);
    QVERIFY(t.categories().isEmpty());
    // the editor over no categories offers neither Rename nor Remove
    CategoiesDialog dlg(m_cats, nullptr);
    QVERIFY(!dlg.renameButton()->isEnabled());
    QVERIFY(!dlg.removeButton()->isEnabled());
}

void TestCategoiesDialog::dialogModes()
{
    const QStringList marked = uids({ m_c });
    CategoiesDialog select(m_cats, &marked);
    QCOMPARE(select.windowTitle(), QStringLiteral("Categories"));
    QCOMPARE(select.listView()->columnIds(), (QList<int>{ 0, 1, 3, 4 }));
    QCOMPARE(select.markedCategories(), marked);
    QVERIFY(!m_a->on);
    // the first category can be renamed but never removed
    QCOMPARE(select.listView()->currentRecord(), m_a);
    QVERIFY(select.renameButton()->isEnabled());
    QVERIFY(!select.removeButton()->isEnabled());
    m_cats->select(m_b);
    QVERIFY(select.removeButton()->isEnabled());
    const QRect screen = QPEApplication::screenRect();
    select.resize(screen.size());
    QVERIFY(QTest::qWaitForWindowExposed(&select));
    select.grab().save(ymrtest::grabPath("categoiesdialog_" + QString::number(screen.width())));
    QCOMPARE(select.listView()->childCount(), 3);
    select.reject();

    CategoiesDialog editor(m_cats, nullptr);
    QCOMPARE(editor.windowTitle(), QStringLiteral("Categories Editor"));
    QCOMPARE(editor.listView()->columnIds(), (QList<int>{ 2, 1, 3, 4 }));
    QCOMPARE(editor.markedCategories(), marked); // the marks stay as they were
    whenOpen([](QWidget *w) { qobject_cast<QDialog *>(w)->accept(); });
    CategoiesDialog::editCategories(m_cats);
}

void TestCategoiesDialog::newRenameRemove()
{
    const QStringList none;
    CategoiesDialog dlg(m_cats, &none);
    // Cancel and an empty name make nothing
    answerPrompt(QString());
    dlg.newCategory();
    answerPrompt(QStringLiteral(""));
    dlg.newCategory();
    QCOMPARE(m_cats->count(), 3);
    // a new category comes back marked, and is saved at once
    answerPrompt(QStringLiteral("Delta"));
    dlg.newCategory();
    QCOMPARE(m_cats->count(), 4);
    QCOMPARE(dlg.markedCategories().count(), 1);
    QVERIFY(!m_cats->isDirty());
    auto *delta = static_cast<CategoryRecord *>(dlg.listView()->currentRecord());
    QCOMPARE(delta->title, QStringLiteral("Delta"));
    answerPrompt(QStringLiteral("Epsilon"));
    dlg.renameCategory();
    QCOMPARE(delta->title, QStringLiteral("Epsilon"));
    answerPrompt(QString());
    dlg.renameCategory();
    QCOMPARE(delta->title, QStringLiteral("Epsilon"));
    // removal asks first
    YMRDialog::queueAnswer(2); // Cancel
    dlg.removeCategory();
    QCOMPARE(m_cats->count(), 4);
    YMRDialog::queueAnswer(1); // Ok
    dlg.removeCategory();
    QCOMPARE(m_cats->count(), 3);
    const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
    YMRDialog::stopScript();
    QCOMPARE(boxes.count(), 2);
    QCOMPARE(boxes.last().text, QStringLiteral("Are you sure you want to delete\nCategory [Epsilon] ?"));
    QVERIFY(!m_cats->isDirty());
}

void TestCategoiesDialog::colourMenu_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("how"); // "pick", "empty", "dismiss"
    QTest::addColumn<QColor>("expected"); // invalid: the palette's colour
    QTest::newRow("text colour picked") << 3 << "pick" << YMColorPanel::color(5);
    QTest::newRow("background empty") << 4 << "empty" << QColor();
    QTest::newRow("text empty") << 3 << "empty" << QColor();
    QTest::newRow("dismissed") << 4 << "dismiss" << QColor(Qt::magenta);
}

void TestCategoiesDialog::colourMenu()
{
    QFETCH(int, column);
    QFETCH(QString, how);
    QFETCH(QColor, expected);
    m_b->textColor = Qt::cyan;
    m_b->backgroundColor = Qt::magenta;
    CategoryListView list;
    list.setColumns({ 0, 1, 3, 4 });
    list.setManager(m_cats, true);
    list.init();
    const int changes = m_cats->changeCount();
    whenOpen([how](QWidget *w) {
        auto *panel = w->findChild<YMColorPanel *>();
        if (how == QLatin1String("pick"))
            emit panel->selected(YMColorPanel::color(5));
        else if (how == QLatin1String("empty"))
            emit panel->selected(QColor());
        w->hide();
    });
    list.activateCategory(QPoint(10, 10), m_b, column);
    if (!expected.isValid())
        expected = QApplication::palette().color(column == 3 ? QPalette::Text : QPalette::Base);
    QCOMPARE(column == 3 ? m_b->textColor : m_b->backgroundColor, expected);
    QVERIFY(m_cats->changeCount() != changes); // stored even when dismissed
    QVERIFY(!QApplication::activePopupWidget());
}

YMR_TEST_MAIN(TestCategoiesDialog)
#include "tst_categoiesdialog.moc"
