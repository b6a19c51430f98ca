// ymr-test-screens: 240x320 480x640
#include "ymrtest.h"

#include "filetree.h"

#include "filedialog/directoryview.h"
#include "filedialog/sfilelistview.h"
#include "filedialog/ymfiledialog.h"
#include "filedialog/ymfiledialogcolorswidget.h"
#include "filedialog/ymfileview.h"
#include "qpe/config.h"
#include "qpe/qcopchannel.h"
#include "qpe/qpeapplication.h"
#include "qt/ymrapplication.h"
#include "qt/ymrmainwindow.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymselectcoloraction.h"
#include "qt/ymtabwidget.h"

#include <QApplication>
#include <QCheckBox>
#include <QSignalSpy>

namespace {
QString entry(const char *key)
{
    Config cfg("ymr");
    cfg.setGroup("ymrFileDialog");
    return cfg.readEntry(key);
}
} // namespace

class TestYMFileDialogColorsWidget : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void openingWritesDefaults();
    void customColoursOff();
    void newColourReachesOpenViews();
    void invalidColourIsThePalette();
    void optionsDialog();
};

void TestYMFileDialogColorsWidget::init()
{
    QFile::remove(Config::configFileName("ymr"));
}

void TestYMFileDialogColorsWidget::openingWritesDefaults()
{
    QCopChannel channel("YMR/FileDialogColorMode");
    QSignalSpy spy(&channel, &QCopChannel::received);
    YMFileDialogColorsWidget page(nullptr, nullptr);
    QVERIFY(page.customBox()->isChecked());
    QCOMPARE(entry("grid"), QString("1"));
    QCOMPARE(entry("c1"), QString("#336699"));
    QCOMPARE(entry("c2"), QString("#e5e5e5"));
    QCOMPARE(entry("c3"), QString("#000000"));
    QCOMPARE(entry("c4"), QString("#ffffcc"));
    QCOMPARE(page.preview()->colorMode(), 1);
    QTRY_COMPARE(spy.count(), 1);
    QVERIFY(!spy.wait(50));
}

void TestYMFileDialogColorsWidget::customColoursOff()
{
    YMFileDialogColorsWidget page(nullptr, nullptr);
    QCoreApplication::processEvents();
    QCopChannel channel("YMR/FileDialogColorMode");
    QSignalSpy spy(&channel, &QCopChannel::received);
    page.show();
    QTest::mouseClick(page.customBox(), Qt::LeftButton, {},
                      QPoint(4, page.customBox()->height() / 2));
    QVERIFY(!page.customBox()->isChecked());
    for (int i = 0; i < YMFileDialogColorsWidget::ColorCount; ++i)
        QVERIFY(!page.colorButton(i)->isEnabled());
    QCOMPARE(entry("grid"), QString("0"));
    QCOMPARE(page.preview()->colorMode(), 0);
    QTRY_COMPARE(spy.count(), 1);

    // a new page starts from the stored choice
    YMFileDialogColorsWidget again(nullptr, nullptr);
    QVERIFY(!again.customBox()->isChecked());
    QVERIFY(!again.colorButton(0)->isEnabled());
}

void TestYMFileDialogColorsWidget::newColourReachesOpenViews()
{
    YMFileView view(false);
    SFileListView *lv = view.listView();
    DirectoryView tree;
    YMFileDialogColorsWidget page(nullptr, nullptr);
    QTRY_COMPARE(lv->colorMode(), 1);
    QCOMPARE(tree.colorMode(), 1);
    page.colorAction(YMFileDialogColorsWidget::EvenBackground)->panelColorSelected(QColor("#123456"));
    QCOMPARE(entry("c4"), QString("#123456"));
    QCOMPARE(entry("c1"), QString("#336699"));
    // an open view re-reads its colours on the broadcast
    filetree::Tree files;
    view.setDir(files.root);
    QTRY_VERIFY(lv->firstChild());
    YMRListViewItem *second = lv->firstChild()->nextSibling();
    QVERIFY(second);
    const auto evenBase = [&] {
        QColor text, base;
        lv->rowColors(second, text, base, 0, second->height());
        return base.name();
    };
    QTRY_COMPARE(evenBase(), QString("#123456"));
}

// The colour panel's "Empty" gives an invalid colour: the palette's, not black.
void TestYMFileDialogColorsWidget::invalidColourIsThePalette()
{
    YMFileDialogColorsWidget page(nullptr, nullptr);
    QPalette pal = page.preview()->palette();
    pal.setColor(QPalette::Text, QColor("#aa0000"));
    page.preview()->setPalette(pal);
    page.colorAction(YMFileDialogColorsWidget::OddText)->panelColorSelected(QColor());
    QCOMPARE(entry("c1"), QString("#aa0000"));
    page.preview()->setDir("/");
    YMRListViewItem *first = page.preview()->firstChild();
    QColor text, base;
    page.preview()->rowColors(first, text, base, 0, first->height());
    QCOMPARE(text, page.preview()->palette().color(QPalette::Text));
}

void TestYMFileDialogColorsWidget::optionsDialog()
{
    YMFileDialog d(QDir::tempPath(), "", false, false, "");
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto *dlg = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(dlg && dlg != &d);
        seen = true;
        QCOMPARE(dlg->windowTitle(), QString("Options ..."));
        auto *tabs = dlg->findChild<YMTabWidget *>();
        QVERIFY(tabs);
        QCOMPARE(tabs->count(), 1);
        auto *page = dlg->findChild<YMFileDialogColorsWidget *>();
        QVERIFY(page);
        QCOMPARE(tabs->tabLabel(page), QString("Colors"));
        QCOMPARE(tabs->tabPosition(), YMRMainWindow::isPortrait() ? 0 : 2);
        const QRect screen = QPEApplication::screenRect();
        QCOMPARE(dlg->size(), screen.size());
        dlg->grab().save(ymrtest::grabPath(
            QString("ymfiledialog-options-%1x%2").arg(screen.width()).arg(screen.height())));
        dlg->accept();
    });
    d.options();
    QVERIFY(seen);
    QCOMPARE(entry("grid"), QString("1"));
    d.reject();
}

YMR_TEST_MAIN(TestYMFileDialogColorsWidget)
#include "tst_ymfiledialogcolorswidget.moc"
