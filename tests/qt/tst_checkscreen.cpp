// ymr-test-screens: 240x320 320x240 480x640 640x480 800x600
#include "ymrtest.h"

#include "qt/ymrapplication.h"

#include <QDialog>
#include <QLabel>
#include <QTimer>

// The start-up check reads the installed application icon straight from the
// data folder on every call, so each case points QPE_DATA_DIR elsewhere.
class TestCheckScreen : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void iconWidth_data();
    void iconWidth();

private:
    // Runs the check, closing any box it opens; returns its result and
    // what the box showed.
    bool runCheck(bool *shown, QString *caption, QStringList *texts);

    QTemporaryDir m_root;
    QByteArray m_staged;
};

namespace {

void writeIcon(const QString &path, int width)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage img(width, width, QImage::Format_ARGB32);
    img.fill(Qt::darkGreen);
    QVERIFY(img.save(path, "PNG"));
}

} // namespace

void TestCheckScreen::initTestCase()
{
    m_staged = qgetenv("QPE_DATA_DIR");
    QVERIFY(!m_staged.isEmpty());
    QVERIFY(m_root.isValid());
    const QString r = m_root.path();
    writeIcon(r + "/right/pics/ymrOutlays.png", 32);
    writeIcon(r + "/right/pics144/ymrOutlays.png", 64);
    writeIcon(r + "/smallWrong/pics/ymrOutlays.png", 64);
    writeIcon(r + "/smallWrong/pics144/ymrOutlays.png", 64);
    writeIcon(r + "/largeWrong/pics/ymrOutlays.png", 32);
    writeIcon(r + "/largeWrong/pics144/ymrOutlays.png", 32);
    QDir().mkpath(r + "/missing/pics");
    // the file name is the application's name, case and all
    writeIcon(r + "/lowerCase/pics/ymroutlays.png", 32);
    writeIcon(r + "/lowerCase/pics144/ymroutlays.png", 64);
}

void TestCheckScreen::cleanupTestCase()
{
    qputenv("QPE_DATA_DIR", m_staged);
}

bool TestCheckScreen::runCheck(bool *shown, QString *caption, QStringList *texts)
{
    *shown = false;
    QTimer closer;
    closer.setInterval(10);
    connect(&closer, &QTimer::timeout, this, [&] {
        QWidget *box = QApplication::activeModalWidget();
        if (!box)
            return;
        *shown = true;
        *caption = box->windowTitle();
        const auto labels = box->findChildren<QLabel *>();
        for (QLabel *l : labels)
            texts->append(l->text());
        if (auto *d = qobject_cast<QDialog *>(box))
            d->reject();
        else
            box->close();
    });
    closer.start();
    const bool ok = YMRApplication::checkScreen();
    closer.stop();
    return ok;
}

void TestCheckScreen::iconWidth_data()
{
    QTest::addColumn<QString>("tree");
    QTest::addColumn<bool>("passSmall");
    QTest::addColumn<bool>("passLarge");

    QTest::newRow("right widths") << "right" << true << true;
    // each class looks only at its own folder
    QTest::newRow("pics/ icon 64 wide") << "smallWrong" << false << true;
    QTest::newRow("pics144/ icon 32 wide") << "largeWrong" << true << false;
    QTest::newRow("no icon") << "missing" << false << false;
    QTest::newRow("icon under another name") << "lowerCase" << false << false;
    QTest::newRow("installed data") << QString() << true << true;
}

void TestCheckScreen::iconWidth()
{
    QFETCH(QString, tree);
    QFETCH(bool, passSmall);
    QFETCH(bool, passLarge);

    qputenv("QPE_DATA_DIR", tree.isEmpty() ? m_staged : (m_root.path() + '/' + tree).toLocal8Bit());
    bool expect = true; // a screen of neither class always passes
    if (YMRApplication::isQVGAScreen())
        expect = passSmall;
    else if (YMRApplication::isVGAScreen())
        expect = passLarge;

    bool shown = false;
    QString caption;
    QStringList texts;
    QCOMPARE(runCheck(&shown, &caption, &texts), expect);
    // the refusal, and only the refusal, tells the user
    QCOMPARE(shown, !expect);
    if (expect)
        return;
    QVERIFY2(caption.contains("ymrOutlays"), qPrintable(caption));
    bool found = false;
    for (QString t : qAsConst(texts)) {
        t.replace("<br>", "\n");
        found = found || t.contains("This software version\ndoes not run on this device.");
    }
    QVERIFY2(found, qPrintable(texts.join(" | ")));
}

YMR_TEST_MAIN(TestCheckScreen)
#include "tst_checkscreen.moc"
