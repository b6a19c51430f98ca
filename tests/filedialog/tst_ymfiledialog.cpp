// ymr-test-screens: 240x320 480x640
#include "ymrtest.h"

#include "filebytes.h"
#include "filetree.h"

#include "filedialog/bookmarkmanager.h"
#include "filedialog/directoryview.h"
#include "filedialog/newdirectorydialog.h"
#include "filedialog/sfilelistbox.h"
#include "filedialog/sfilelistview.h"
#include "filedialog/ymdircombo.h"
#include "filedialog/ymfiledialog.h"
#include "filedialog/ymfileview.h"
#include "qpe/config.h"
#include "qpe/hbox.h"
#include "qpe/popupmenu.h"
#include "qpe/qpeapplication.h"
#include "qpe/qpedialogok.h"
#include "qt/ymraction.h"
#include "qt/ymrapplication.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrdialog.h"
#include "qt/ymrpushbutton.h"

#include <QApplication>
#include <QLineEdit>
#include <QToolButton>
#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Runs f on the file dialog once an entry point shows it; a dialog left
// open is rejected after a while so no test can hang.
void whenShown(std::function<void(YMFileDialog *)> f)
{
    QTimer::singleShot(0, [f] {
        auto *dlg = qobject_cast<YMFileDialog *>(QApplication::activeModalWidget());
        if (!dlg) {
            QTest::qFail("no file dialog shown", __FILE__, __LINE__);
            return;
        }
        f(dlg);
    });
    QTimer::singleShot(10000, [] {
        if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            d->reject();
    });
}

YMRListViewItem *row(const SFileListView *v, const QString &text)
{
    for (YMRListViewItem *i = v->firstChild(); i; i = i->nextSibling()) {
        if (i->text(0) == text)
            return i;
    }
    return nullptr;
}

void writeOptions(bool detail, bool list, const QStringList &bookmarks = QStringList())
{
    Config cfg("ymrFileDialog");
    cfg.setGroup("Options");
    cfg.writeEntry("detail", detail);
    cfg.writeEntry("list", list);
    cfg.writeEntry("bookmarks", bookmarks, ';');
}

} // namespace

class TestYMFileDialog : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void existingDirectory();
    void existingDirectoryFromMissingFolder();
    void saveFileName();
    void typedSaveName_data();
    void typedSaveName();
    void saveFollowsClicksNotKeys();
    void openFileNames();
    void openFileNameIgnoresTypedName();
    void unreadableNamesListedAndRefused();
    void filterMask_data();
    void filterMask();
    void filterCombo();
    void history();
    void bookmarks();
    void bookmarksReadBackFromTheFile();
    void viewOptions();
    void optionsMenu();
    void reloadAfterFolderVanished();
    void newFolder();
    void testSeam();
    void grab();
};

void TestYMFileDialog::init()
{
    QFile::remove(Config::configFileName("ymrFileDialog"));
    YMFileDialog::clearScript();
}

void TestYMFileDialog::cleanup()
{
    YMRDialog::stopScript();
}

void TestYMFileDialog::existingDirectory()
{
    filetree::Tree tree;
    QString caption;
    bool comboHidden = false;
    whenShown([&](YMFileDialog *d) {
        caption = d->windowTitle();
        comboHidden = d->dirCombo()->isHidden();
        QVERIFY(d->directoryView());
        QVERIFY(!d->fileView() && !d->nameEdit() && !d->filterCombo());
        QCOMPARE(d->directoryView()->currentDir(), tree.path("x/inner"));
        // the platform's OK strip accepts
        QpeDialogOk::find(d)->okButton()->click();
    });
    QCOMPARE(YMFileDialog::getExistingDirectory(tree.path("x/inner/"), nullptr, nullptr, ""),
             tree.path("x/inner"));
    QCOMPARE(caption, QString("Select Directory"));
    QVERIFY(comboHidden);

    // a folder picked in the tree is the result
    whenShown([&](YMFileDialog *d) {
        DirectoryView *t = d->directoryView();
        YMRListViewItem *cur = t->currentItem();
        YMRListViewItem *y = cur->firstChild();
        while (y && y->text(0) != "y")
            y = y->nextSibling();
        t->slotFolderSelected(y);
        QCOMPARE(d->currentDir(), tree.path("y"));
        QCOMPARE(d->history(), QStringList{tree.root});
        // the same folder again, spelt with its separator, adds no history
        t->slotFolderSelected(y);
        QCOMPARE(d->history(), QStringList{tree.root});
        QTest::keyClick(d, Qt::Key_Return, Qt::ControlModifier);
    });
    QCOMPARE(YMFileDialog::getExistingDirectory(tree.root, nullptr, nullptr, "Pick"),
             tree.path("y"));

    whenShown([](YMFileDialog *d) { d->reject(); });
    QVERIFY(YMFileDialog::getExistingDirectory(tree.root).isNull());
}

void TestYMFileDialog::existingDirectoryFromMissingFolder()
{
    filetree::Tree tree;
    whenShown([&](YMFileDialog *d) {
        QCOMPARE(d->directoryView()->currentDir(), tree.path("x"));
        d->accept();
    });
    QCOMPARE(YMFileDialog::getExistingDirectory(tree.path("x/m1/m2/m3")), tree.path("x"));
    whenShown([](YMFileDialog *d) { d->accept(); });
    QCOMPARE(YMFileDialog::getExistingDirectory("/"), QString("/"));
}

void TestYMFileDialog::saveFileName()
{
    filetree::Tree tree;
    QString caption;
    whenShown([&](YMFileDialog *d) {
        caption = d->windowTitle();
        QCOMPARE(d->nameEdit()->text(), QString("Ünïcödé out.csv"));
        QCOMPARE(d->nameEdit()->selectedText(), d->nameEdit()->text());
        QTest::keyClick(d->nameEdit(), Qt::Key_Return);
    });
    QCOMPARE(YMFileDialog::getSaveFileName(tree.path("with space"), "CSV Files (*.csv);;",
                                           nullptr, nullptr, QString(), "Ünïcödé out.csv"),
             tree.path("with space/Ünïcödé out.csv"));
    QCOMPARE(caption, QString("Save As"));

    whenShown([](YMFileDialog *d) {
        d->nameEdit()->clear();
        d->accept();
    });
    QVERIFY(YMFileDialog::getSaveFileName(tree.root, "", nullptr, nullptr, "", "x.csv").isNull());
    whenShown([](YMFileDialog *d) { d->reject(); });
    QVERIFY(YMFileDialog::getSaveFileName(tree.root, "", nullptr, nullptr, "", "x.csv").isNull());
}

void TestYMFileDialog::typedSaveName_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    // "@" stands for the test tree's root
    QTest::newRow("absolute") << "@/with space" << "@/y/abs.csv" << "@/y/abs.csv";
    QTest::newRow("relative folder") << "@/with space" << "x/rel.csv" << "@/with space/x/rel.csv";
    QTest::newRow("parent") << "@/with space" << "../up.csv" << "@/with space/../up.csv";
    QTest::newRow("under the root") << "/" << "tmp/x.csv" << "/tmp/x.csv";
}

// What is typed into the save dialog's name: an absolute name stands as
// it is, a relative one lies under the folder shown.
void TestYMFileDialog::typedSaveName()
{
    QFETCH(QString, folder);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    filetree::Tree tree;
    whenShown([&](YMFileDialog *d) {
        d->nameEdit()->setText(typed.replace('@', tree.root));
        d->accept();
    });
    QCOMPARE(YMFileDialog::getSaveFileName(folder.replace('@', tree.root), "", nullptr, nullptr,
                                           "", "x.csv"),
             expected.replace('@', tree.root));
}

void TestYMFileDialog::saveFollowsClicksNotKeys()
{
    filetree::Tree tree;
    whenShown([&](YMFileDialog *d) {
        SFileListView *lv = d->fileView()->listView();
        lv->setFocus();
        lv->setCurrentItem(row(lv, "a.txt"));
        QTest::keyClick(lv, Qt::Key_Down);
        QCOMPARE(lv->currentItem()->text(0), QString("b.exp"));
        QVERIFY(lv->currentItem()->isSelected());
        QCOMPARE(d->nameEdit()->text(), QString("given.csv"));
        emit d->fileView()->clicked();
        QCOMPARE(d->nameEdit()->text(), QString("b.exp"));
        d->accept();
    });
    QCOMPARE(YMFileDialog::getSaveFileName(tree.root, "", nullptr, nullptr, "", "given.csv"),
             tree.path("b.exp"));

    // opened without a name, the edit follows the selection
    whenShown([&](YMFileDialog *d) {
        SFileListView *lv = d->fileView()->listView();
        lv->setSelected(row(lv, "c.exp"), true);
        QCOMPARE(d->nameEdit()->text(), QString("c.exp"));
        lv->setSelected(row(lv, "x"), true);
        QCOMPARE(d->nameEdit()->text(), QString("c.exp"));
        d->accept();
    });
    QCOMPARE(YMFileDialog::getSaveFileName(tree.root), tree.path("c.exp"));
}

void TestYMFileDialog::openFileNames()
{
    filetree::Tree tree;
    QString caption;
    whenShown([&](YMFileDialog *d) {
        caption = d->windowTitle();
        QVERIFY(!d->nameEdit());
        SFileListView *lv = d->fileView()->listView();
        // the books filter: folders and books only
        QStringList names;
        for (YMRListViewItem *i = lv->firstChild(); i; i = i->nextSibling())
            names << i->text(0);
        QCOMPARE(names, (QStringList{".hiddendir", "with space", "x", "y",
                                     QString::fromUtf8("Ünïcödé"), "b.exp", "c.exp"}));
        lv->setSelected(row(lv, "c.exp"), true);
        lv->setSelected(row(lv, "b.exp"), true);
        lv->setSelected(row(lv, "x"), true);
        d->accept();
    });
    // a chosen folder is no file
    QCOMPARE(YMFileDialog::getOpenFileNames(tree.root, "Expense Book(*.exp);;All Files(*);;"),
             (QStringList{tree.path("b.exp"), tree.path("c.exp")}));
    QCOMPARE(caption, QString("Select Files"));

    whenShown([](YMFileDialog *d) { d->accept(); });
    QVERIFY(YMFileDialog::getOpenFileNames(tree.root).isEmpty());
    whenShown([](YMFileDialog *d) {
        d->fileView()->selectAll();
        d->reject();
    });
    QVERIFY(YMFileDialog::getOpenFileNames(tree.root).isEmpty());
}

void TestYMFileDialog::openFileNameIgnoresTypedName()
{
    filetree::Tree tree;
    QString caption;
    whenShown([&](YMFileDialog *d) {
        caption = d->windowTitle();
        SFileListView *lv = d->fileView()->listView();
        lv->setSelected(row(lv, "a.txt"), true);
        lv->setCurrentItem(row(lv, "a.txt"));
        d->nameEdit()->setText("typed.txt");
        d->accept();
    });
    QCOMPARE(YMFileDialog::getOpenFileName(tree.root), tree.path("a.txt"));
    QCOMPARE(caption, QString("Open"));
}

// Names in bytes the locale cannot read: QDir leaves them out, the dialog
// lists them (as unreadable) and refuses them when chosen.
void TestYMFileDialog::unreadableNamesListedAndRefused()
{
    QTemporaryDir dir;
    const QByteArray root = QFile::encodeName(dir.path()) + '/';
    for (const char *name : {"ok.exp", "caf\xe9.exp", "notes\xe9.txt"}) {
        const int fd = ::open((root + name).constData(), O_WRONLY | O_CREAT, 0600);
        QVERIFY(fd >= 0);
        ::close(fd);
    }
    QCOMPARE(::mkdir((root + "dir\xe9").constData(), 0700), 0);
    const QString cafe = QString::fromUtf8("caf\uFFFD.exp");
    const QString folder = QString::fromUtf8("dir\uFFFD");

    auto listed = [](YMFileDialog *d) {
        QStringList names;
        SFileListView *lv = d->fileView()->listView();
        for (YMRListViewItem *i = lv->firstChild(); i; i = i->nextSibling())
            names << i->text(0);
        names.sort();
        return names;
    };
    QStringList inDetail, inList, boxes;
    bool stayedOpen = false;
    whenShown([&](YMFileDialog *d) {
        inDetail = listed(d);
        d->fileView()->setMode(0);
        SFileListBox *box = d->fileView()->listBox();
        for (int i = 0; i < int(box->count()); ++i)
            inList << box->text(i);
        inList.sort();
        d->fileView()->setMode(1);
        SFileListView *lv = d->fileView()->listView();
        lv->setSelected(row(lv, cafe), true);
        lv->setSelected(row(lv, "ok.exp"), true);
        YMRDialog::queueAnswer(1);
        d->accept();
        stayedOpen = d->isVisible();
        for (const YMRDialog::ScriptedBox &b : YMRDialog::takeScriptedBoxes())
            boxes << b.text;
        lv->setSelected(row(lv, cafe), false);
        d->accept();
    });
    QCOMPARE(YMFileDialog::getOpenFileNames(dir.path(), "Expense Book(*.exp);;All Files(*);;"),
             QStringList{dir.path() + "/ok.exp"});
    const QStringList expected{cafe, folder, "ok.exp"};
    QCOMPARE(inDetail, expected);
    QCOMPARE(inList, expected);
    QVERIFY(stayedOpen);
    QCOMPARE(boxes, QStringList{"The file name\n" + dir.path() + "/" + cafe
                                + "\ncannot be read in this locale."});
    ::unlink((root + "caf\xe9.exp").constData());
    ::unlink((root + "notes\xe9.txt").constData());
    ::rmdir((root + "dir\xe9").constData());
}

void TestYMFileDialog::filterMask_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("mask");
    QTest::newRow("named") << "Expense Book (*.exp)" << "*.exp";
    QTest::newRow("no blank") << "Expense Book(*.exp)" << "*.exp";
    QTest::newRow("all") << "All Files (*)" << "*";
    QTest::newRow("several") << "Texts (*.txt *.csv)" << "*.txt *.csv";
    QTest::newRow("no parentheses") << "*.csv" << "*.csv";
    QTest::newRow("not at the end") << "(*.a) more" << "(*.a) more";
    QTest::newRow("characters outside the class") << "Odd (a/b)" << "Odd (a/b)";
}

void TestYMFileDialog::filterMask()
{
    QFETCH(QString, entry);
    QFETCH(QString, mask);
    QCOMPARE(YMFileDialog::maskOf(entry), mask);
}

void TestYMFileDialog::filterCombo()
{
    filetree::Tree tree;
    {
        YMFileDialog d(tree.root, "All Files (*);;;;CSV Files (*.csv);;", false, false, "");
        QCOMPARE(d.filterCombo()->count(), 2);
        QCOMPARE(d.fileView()->filter(), QString("*"));
        d.filterCombo()->setCurrentItem(1);
        emit d.filterCombo()->activated(d.filterCombo()->text(1));
        QCOMPARE(d.fileView()->filter(), QString("*.csv"));
        d.reject();
    }
    YMFileDialog d(tree.root, "", false, false, "");
    QVERIFY(!d.filterCombo());
    QCOMPARE(d.fileView()->filter(), QString("*"));
    d.reject();
}

void TestYMFileDialog::history()
{
    filetree::Tree tree;
    YMFileDialog d(tree.root, "", true, false, "");
    YMRAction *back = d.action("back");
    YMRAction *forward = d.action("forward");
    QVERIFY(!back->isEnabled() && !forward->isEnabled());
    d.changedFolder(tree.path("x"));
    d.changedFolder(tree.path("x/inner"));
    QCOMPARE(d.history(), (QStringList{tree.root, tree.path("x")}));
    QVERIFY(back->isEnabled() && !forward->isEnabled());
    // back records the folder it leaves, so forward returns to it
    d.historyPrev();
    QCOMPARE(d.currentDir(), tree.path("x"));
    QCOMPARE(d.history().size(), 3);
    QVERIFY(forward->isEnabled());
    d.historyPrev();
    QCOMPARE(d.currentDir(), tree.root);
    QVERIFY(!back->isEnabled());
    d.historyNext();
    d.historyNext();
    QCOMPARE(d.currentDir(), tree.path("x/inner"));
    QVERIFY(!forward->isEnabled());
    // a new folder after going back drops the ones ahead
    d.historyPrev();
    d.historyPrev();
    d.changedFolder(tree.path("y"));
    QCOMPARE(d.history(), QStringList{tree.root});
    d.historyPrev();
    QCOMPARE(d.currentDir(), tree.root);
    d.historyNext();
    QCOMPARE(d.currentDir(), tree.path("y"));
    // up
    QVERIFY(d.action("up")->isEnabled());
    d.doUp();
    QCOMPARE(d.currentDir(), tree.root);
    d.setVisible(false);
    YMFileDialog atRoot("/", "", true, false, "");
    QVERIFY(!atRoot.action("up")->isEnabled());
    atRoot.reject();
}

void TestYMFileDialog::bookmarks()
{
    filetree::Tree tree;
    QStringList eleven;
    for (int i = 0; i < 11; ++i)
        eleven << QString("/mark%1").arg(i);
    writeOptions(true, false, eleven);
    {
        YMFileDialog d(tree.root, "", false, false, "");
        QCOMPARE(d.bookmarks(), eleven);
        QVERIFY(d.bookmarkButton()->isEnabled());
        d.showBokmarkMenu();
        PopupMenu *m = d.bookmarkMenu();
        QCOMPARE(m->count(), 13);
        QCOMPARE(m->idAt(9), 9);
        QCOMPARE(m->text(9), QString("/mark9"));
        QCOMPARE(m->idAt(10), 11);
        QCOMPARE(m->text(11), QString("More ..."));
        QCOMPARE(m->text(12), QString("Organize ..."));
        d.reject();
    }
    writeOptions(true, false);
    {
        YMFileDialog d(tree.root, "", false, false, "");
        QVERIFY(!d.bookmarkButton()->isEnabled());
        d.showBokmarkMenu();
        QCOMPARE(d.bookmarkMenu()->count(), 0);
        d.newBookmark();
        d.newBookmark();
        d.changedFolder(tree.path("with space"));
        d.newBookmark();
        QCOMPARE(d.bookmarks(), (QStringList{tree.root, tree.path("with space")}));
        QVERIFY(d.bookmarkButton()->isEnabled());
        d.bookmarkMenuActivated(0);
        QCOMPARE(d.currentDir(), tree.root);
        // the editor: moving the second up and going to it
        QTimer::singleShot(0, [] {
            auto *m = qobject_cast<BookmarkManagerBase *>(QApplication::activeModalWidget());
            QVERIFY(m);
            m->list->setCurrentItem(m->list->firstChild()->nextSibling());
            m->doUp();
            m->doGo();
        });
        d.bookmarkMenuActivated(12);
        QCOMPARE(d.bookmarks(), (QStringList{tree.path("with space"), tree.root}));
        QCOMPARE(d.currentDir(), tree.path("with space"));
        d.reject();
    }
    Config cfg("ymrFileDialog");
    cfg.setGroup("Options");
    QCOMPARE(cfg.readListEntry("bookmarks", ';'),
             (QStringList{tree.path("with space"), tree.root}));

    // a folder whose name holds the separator reads back whole
    QDir().mkpath(tree.path("a;b\\c"));
    {
        YMFileDialog d(tree.path("a;b\\c"), "", true, false, "");
        d.newBookmark();
        d.reject();
    }
    YMFileDialog d(tree.root, "", true, false, "");
    QCOMPARE(d.bookmarks(), (QStringList{tree.path("with space"), tree.root,
                                         tree.path("a;b\\c")}));
    d.reject();
}

// An input the fuzzing of the settings file found: the bookmarks a dialog
// saves read back the same from the file, a folder name with a character
// beyond 16 bits included.
void TestYMFileDialog::bookmarksReadBackFromTheFile()
{
    filetree::Tree tree;
    const QString path = Config::configFileName("ymrFileDialog");
    writeAll(path, "[Options]\nbookmarks=\"/h\xf0\xb0\xb0\xb0;/a\"\n");
    QStringList saved;
    {
        YMFileDialog d(tree.root, "", false, false, "");
        d.newBookmark();
        saved = d.bookmarks();
        d.reject();
    }
    QCOMPARE(saved, (QStringList{QString::fromUtf8("/h\xf0\xb0\xb0\xb0"), "/a", tree.root}));
    setNewFileTime(path);
    YMFileDialog d(tree.root, "", false, false, "");
    QCOMPARE(d.bookmarks(), saved);
    d.reject();
}

void TestYMFileDialog::viewOptions()
{
    filetree::Tree tree;
    writeOptions(false, false);
    {
        YMFileDialog d(tree.root, "", false, false, "");
        QVERIFY(!d.action("detail")->isOn());
        QVERIFY(!d.action("list")->isOn());
        QCOMPARE(d.fileView()->mode(), 0);
        QVERIFY(d.fileView()->isVisible());
        d.action("detail")->setOn(true);
        d.showDetail();
        QCOMPARE(d.fileView()->mode(), 1);
        d.menuActivated(1);
        d.menuActivated(4);
        d.menuActivated(7);
        QCOMPARE(d.fileView()->sort(), int(QDir::Size | QDir::Reversed));
        QVERIFY(!d.fileView()->hiddenToo());
        d.accept();
    }
    // closing saved them
    Config cfg("ymrFileDialog");
    cfg.setGroup("Options");
    QCOMPARE(cfg.readBoolEntry("detail"), true);
    QCOMPARE(cfg.readBoolEntry("list", true), false);
    QCOMPARE(cfg.readNumEntry("sort"), int(QDir::Size | QDir::Reversed));
    QCOMPARE(cfg.readBoolEntry("hiddenToo", true), false);
    YMFileDialog d(tree.root, "", false, false, "");
    QCOMPARE(d.fileView()->sort(), int(QDir::Size | QDir::Reversed));
    d.action("list")->setOn(true);
    d.showList();
    QCOMPARE(d.fileView()->mode(), 0);
    QVERIFY(!d.action("detail")->isOn());
    // switching the shown mode off hides the view
    d.action("list")->setOn(false);
    d.showList();
    QVERIFY(d.fileView()->isHidden());
    d.reject();
}

void TestYMFileDialog::optionsMenu()
{
    filetree::Tree tree;
    {
        YMFileDialog d(tree.root, "", true, false, "");
        PopupMenu *m = d.optionsMenu();
        QCOMPARE(m->count(), 3);
        QCOMPARE(m->itemAction(m->idAt(0))->text(), QString("Reload"));
        QVERIFY(m->itemAction(m->idAt(1))->isSeparator());
        QCOMPARE(m->itemAction(m->idAt(2))->text(), QString("Options ..."));
        d.reject();
    }
    YMFileDialog d(tree.root, "", false, false, "");
    PopupMenu *m = d.optionsMenu();
    QCOMPARE(m->count(), 13);
    d.menuActivated(2);
    emit m->aboutToShow();
    QVERIFY(m->isItemChecked(2) && !m->isItemChecked(0) && !m->isItemChecked(4));
    QVERIFY(m->isItemChecked(7) && m->isItemChecked(8));
    d.menuActivated(8);
    emit m->aboutToShow();
    QVERIFY(!m->isItemChecked(8));
    d.reject();
}

// A folder that vanished with its parent: reload walks up, never loops.
void TestYMFileDialog::reloadAfterFolderVanished()
{
    filetree::Tree tree;
    for (bool dirMode : {false, true}) {
        QDir().mkpath(tree.path("v1/v2/v3"));
        YMFileDialog d(tree.path("v1/v2/v3"), "", dirMode, false, "");
        QCOMPARE(d.currentDir(), tree.path("v1/v2/v3"));
        QDir(tree.path("v1")).removeRecursively();
        d.reload();
        QCOMPARE(d.currentDir(), tree.root);
        if (d.fileView())
            QCOMPARE(d.fileView()->listView()->dir(), tree.root + "/");
        else
            QCOMPARE(d.directoryView()->currentDir(), tree.root);
        QVERIFY(d.history().isEmpty());
        d.reject();
    }
}

void TestYMFileDialog::newFolder()
{
    filetree::Tree tree;
    YMFileDialog d(tree.root, "", true, false, "");
    QTimer::singleShot(0, [] {
        auto *n = qobject_cast<NewDirectoryDialog *>(QApplication::activeModalWidget());
        QVERIFY(n);
        n->fname->setText(QString::fromUtf8("Новая папка"));
        QTest::keyClick(n->fname, Qt::Key_Return);
    });
    d.createDir();
    const QString made = tree.path(QString::fromUtf8("Новая папка"));
    QVERIFY(QFileInfo(made).isDir());
    QCOMPARE(d.currentDir(), made);
    QCOMPARE(d.directoryView()->currentDir(), made);
    QCOMPARE(d.history(), QStringList{tree.root});

    // an existing name fails with a message and moves nowhere
    YMRDialog::queueAnswer(0);
    QTimer::singleShot(0, [] {
        auto *n = qobject_cast<NewDirectoryDialog *>(QApplication::activeModalWidget());
        QVERIFY(n);
        n->fname->setText("x");
        n->btnOk->click();
    });
    d.doUp();
    d.createDir();
    const auto boxes = YMRDialog::takeScriptedBoxes();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(d.currentDir(), tree.root);

    // cancelled: nothing
    QTimer::singleShot(0, [] {
        auto *n = qobject_cast<NewDirectoryDialog *>(QApplication::activeModalWidget());
        QVERIFY(n);
        n->fname->setText("never");
        n->btnCancel->click();
    });
    d.createDir();
    QVERIFY(!QFileInfo::exists(tree.path("never")));
    d.reject();
}

// The application's tests answer the entry points without a dialog.
void TestYMFileDialog::testSeam()
{
    YMFileDialog::queueAnswer({"/books/a.exp", "/books/b.exp"});
    YMFileDialog::queueAnswer({"/out/x.csv"});
    YMFileDialog::queueCancel();
    QCOMPARE(YMFileDialog::queuedAnswers(), 3);
    QCOMPARE(YMFileDialog::getOpenFileNames("/books", "Expense Book(*.exp);;", nullptr, nullptr,
                                            "Books"),
             (QStringList{"/books/a.exp", "/books/b.exp"}));
    QCOMPARE(YMFileDialog::getSaveFileName("/out", "CSV Files (*.csv);;", nullptr, nullptr,
                                           "Export to CSV", "x.csv"),
             QString("/out/x.csv"));
    QVERIFY(YMFileDialog::getExistingDirectory("/tmp").isNull());
    const auto calls = YMFileDialog::takeScriptedCalls();
    QCOMPARE(calls.size(), 3);
    QCOMPARE(calls.at(0).entryPoint, QString("getOpenFileNames"));
    QCOMPARE(calls.at(0).filter, QString("Expense Book(*.exp);;"));
    QCOMPARE(calls.at(1).caption, QString("Export to CSV"));
    QCOMPARE(calls.at(1).fileName, QString("x.csv"));
    QCOMPARE(calls.at(2).startDir, QString("/tmp"));
    QCOMPARE(YMFileDialog::queuedAnswers(), 0);
}

// The dialog fills the emulated screen; its picture is kept for a look.
void TestYMFileDialog::grab()
{
    filetree::Tree tree;
    const QRect screen = QPEApplication::screenRect();
    const QString tag = QString("%1x%2").arg(screen.width()).arg(screen.height());
    {
        YMFileDialog d(tree.root, "Expense Book(*.exp);;All Files(*);;", false, false, "book.exp");
        QTRY_COMPARE(d.size(), screen.size());
        QCoreApplication::processEvents();
        const QImage img = d.grab().toImage();
        QCOMPARE(img.size(), screen.size());
        img.save(ymrtest::grabPath("ymfiledialog-file-" + tag));
        QVERIFY(d.toolBar()->geometry().bottom() < d.dirCombo()->geometry().top());
        QVERIFY(d.fileView()->height() > d.nameEdit()->height() * 3);
        d.reject();
    }
    YMFileDialog d(tree.path("x/inner"), "", true, false, "");
    QTRY_COMPARE(d.size(), screen.size());
    QCoreApplication::processEvents();
    d.grab().save(ymrtest::grabPath("ymfiledialog-dir-" + tag));
    d.reject();
}

YMR_TEST_MAIN(TestYMFileDialog)
#include "tst_ymfiledialog.moc"
