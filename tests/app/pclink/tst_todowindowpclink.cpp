// The main window's PC-link commands, with the link's dialogs answered as
// a user would.
#include "ymrtest.h"

#include "../bookfixtures.h"
#include "../modaldriver.h"

#include "passworddialog2.h"
#include "senddatadialogserver.h"
#include "todowindow.h"
#include "transferdata.h"

#include "pim/categorymanager.h"
#include "pim/categoryrecord.h"
#include "pim/dbmanager.h"
#include "pim/dbrecord.h"
#include "pim/dbselectlistview.h"
#include "pim/pimlistviewitem.h"
#include "pim/pimrecordarray.h"
#include "pim/taskmanager.h"
#include "qpe/global.h"
#include "qt/ymraction.h"
#include "qt/ymrpushbutton.h"

using namespace fixtures;

namespace {

QString exportIndexPath()
{
    return Global::applicationFileName("ymrOutlays", "ymrOutlaysIDX_EXT");
}

QStringList categoryTitles()
{
    QStringList titles;
    PIMRecordArray *records = TaskManager::sharedCategoryManager()->records();
    for (int i = 0; i < records->count(); ++i)
        titles << static_cast<CategoryRecord *>(records->at(i))->title;
    return titles;
}

// What a peer does to the category file while a dialog runs.
void renameCategoryOnDisk(const QString &from, const QString &to)
{
    const QString path = TaskManager::sharedCategoryManager()->fileName();
    QByteArray bytes = readAll(path);
    QVERIFY2(bytes.contains(from.toUtf8()), qPrintable(from));
    writeFile(path, bytes.replace(from.toUtf8(), to.toUtf8()));
}

void trigger(ToDoWindow &w, const char *name)
{
    YMRAction *a = w.action(name);
    QVERIFY2(a, name);
    emit a->activated();
}

} // namespace

class TestToDoWindowPCLink : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void pcLinkPublishesBooksAndReopens();
    void sendDataKeepsTheBookOpen();
    void getDataAsksThePasswordAgain();
    void receiveDataOpensNoBook();
};

void TestToDoWindowPCLink::initTestCase()
{
    PasswordDialog2::installPrompts();
    qApp->setQuitOnLastWindowClosed(false);
    qputenv("LANG", "en");
    DBManager index;
    index.load();
    addBook(&index, "Household");
    addBook(&index, "Secret", "Pw1");
    QVERIFY(index.save());
    setSetting("Options", "book", bookPath("Household"));
}

void TestToDoWindowPCLink::pcLinkPublishesBooksAndReopens()
{
    // a link planted at the export's name is set aside, never written through
    const QString outside = ymrtest::userRoot().filePath("outside");
    writeFile(outside, "the user's own");
    QVERIFY(QFile::link(outside, exportIndexPath()));
    ModalDriver driver;
    ToDoWindow w;
    ymrApp->showMainDocumentWidget(&w);
    QTRY_VERIFY_WITH_TIMEOUT(w.manager(), 5000);
    const QString caption = w.windowTitle();
    auto *fresh = new CategoryRecord(TaskManager::sharedCategoryManager());
    fresh->title = "Fresh";
    TaskManager::sharedCategoryManager()->addRecord(fresh);

    driver.expect("SendDataDialogServer", [&](QWidget *d) {
        QVERIFY(!w.manager());
        QCOMPARE(w.windowTitle(), caption);
        // the peer can list every book of this copy and gets the categories as shown
        DBManager exported(true);
        QVERIFY(exported.load());
        QCOMPARE(exported.count(), 2);
        QVERIFY(exported.findByPath(bookPath("Secret")));
        QCOMPARE(exported.findByPath(bookPath("Secret"))->password(), QString("Pw1"));
        QVERIFY(!QFileInfo(exportIndexPath()).isSymLink());
        renameCategoryOnDisk("Fresh", "From the peer");
        static_cast<QDialog *>(d)->reject();
    });
    trigger(w, "pclink");
    QCOMPARE(driver.pending(), 0);
    QVERIFY(!QFile::exists(exportIndexPath()));
    QCOMPARE(readAll(outside), QByteArray("the user's own"));
    QVERIFY(QFile::remove(exportIndexPath() + ".damaged"));
    QVERIFY(categoryTitles().contains("From the peer"));
    QVERIFY(!categoryTitles().contains("Fresh"));
    QVERIFY(w.manager());
    QCOMPARE(w.manager()->fileName(), bookPath("Household"));
    QCOMPARE(w.windowTitle(), caption);
    QVERIFY(driver.unexpected.isEmpty());
}

void TestToDoWindowPCLink::sendDataKeepsTheBookOpen()
{
    ModalDriver driver;
    ToDoWindow w;
    ymrApp->showMainDocumentWidget(&w);
    QTRY_VERIFY_WITH_TIMEOUT(w.manager(), 5000);
    TaskManager *open = w.manager();
    driver.expect("TransferData", [&](QWidget *d) {
        auto *dialog = static_cast<TransferData *>(d);
        QCOMPARE(dialog->parentWidget(), &w);
        QVERIFY(dialog->btnConnect->isHidden());
        QCOMPARE(w.manager(), open);
        auto *current = static_cast<PIMListViewItem *>(dialog->list->currentItem());
        QVERIFY(current);
        QCOMPARE(static_cast<DBRecord *>(current->record())->path(), bookPath("Household"));
        QVERIFY(current->record()->hasProperty("transfer"));
        dialog->reject();
    });
    trigger(w, "sdata");
    QCOMPARE(driver.pending(), 0);
    QCOMPARE(w.manager(), open);
}

void TestToDoWindowPCLink::getDataAsksThePasswordAgain()
{
    setSetting("Options", "book", bookPath("Secret"));
    ModalDriver driver;
    auto password = [](QWidget *p) {
        type(p, "p1", "Pw1");
        static_cast<PasswordDialog2 *>(p)->btnOk->click();
    };
    driver.expect("PasswordDialog2", password);
    ToDoWindow w;
    ymrApp->showMainDocumentWidget(&w);
    QTRY_VERIFY_WITH_TIMEOUT(w.manager(), 5000);
    driver.expect("TransferData", [&](QWidget *d) {
        auto *dialog = static_cast<TransferData *>(d);
        QVERIFY(!w.manager());
        QVERIFY(!dialog->parentWidget());
        QVERIFY(!dialog->btnConnect->isHidden());
        dialog->reject();
    });
    driver.expect("PasswordDialog2", password);
    trigger(w, "gdata");
    QTRY_VERIFY_WITH_TIMEOUT(w.manager(), 5000);
    QCOMPARE(driver.pending(), 0);
    QCOMPARE(w.manager()->fileName(), bookPath("Secret"));
    setSetting("Options", "book", bookPath("Household"));
}

void TestToDoWindowPCLink::receiveDataOpensNoBook()
{
    ModalDriver driver;
    DBManager index;
    index.load();
    driver.expect("TransferData", [](QWidget *d) {
        renameCategoryOnDisk("From the peer", "Received");
        static_cast<QDialog *>(d)->reject();
    });
    ToDoWindow::receiveData(&index);
    QCOMPARE(driver.pending(), 0);
    QVERIFY(categoryTitles().contains("Received"));
}

YMR_TEST_MAIN(TestToDoWindowPCLink)
#include "tst_todowindowpclink.moc"
