#include "ymrtest.h"

#include "qpe/config.h"
#include "qpe/qcopchannel.h"
#include "qt/ymrapplication.h"

#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>

#include <dlfcn.h>

namespace {

QString pluginPath()
{
    return YMRApplication::qpeDir() + QStringLiteral("/lib/libymrstyle.so");
}

// Whether the plug-in is loaded, without loading it (or keeping it loaded).
bool pluginLoaded()
{
    void *h = dlopen(QFile::encodeName(pluginPath()).constData(), RTLD_LAZY | RTLD_NOLOAD);
    if (!h)
        return false;
    dlclose(h);
    return true;
}

bool styleIsXp()
{
    return QApplication::style() && QApplication::style()->objectName() == QLatin1String("xp");
}

} // namespace

class TestYMRStylePlugin : public QObject
{
    Q_OBJECT
private slots:
    void pluginBuiltWithItsEntry();
    void noPluginAtStartWithoutSetting();
    void otherMessagesIgnored();
    void applyMessageLoadsAndReuses();
    void settingRuleAtStart_data();
    void settingRuleAtStart();
    void styleAtStartChild();
};

void TestYMRStylePlugin::pluginBuiltWithItsEntry()
{
    QVERIFY2(QFile::exists(pluginPath()), qPrintable(pluginPath()));
    void *h = dlopen(QFile::encodeName(pluginPath()).constData(), RTLD_LAZY);
    QVERIFY2(h, dlerror());
    using Instantiate = QStyle *(*)();
    auto make = reinterpret_cast<Instantiate>(dlsym(h, "ymr_style_instantiate"));
    QVERIFY(make);
    QStyle *style = make();
    QVERIFY(style);
    QCOMPARE(style->objectName(), QStringLiteral("xp"));
    // it draws through a real base style
    QVERIFY(style->pixelMetric(QStyle::PM_ScrollBarExtent) > 0);
    delete style;
    QCOMPARE(dlclose(h), 0);
    QVERIFY(!pluginLoaded());
}

void TestYMRStylePlugin::noPluginAtStartWithoutSetting()
{
    // a fresh root has no "Style"/"id": no plug-in whatever the screen
    QVERIFY(!styleIsXp());
    QVERIFY(!pluginLoaded());
}

void TestYMRStylePlugin::otherMessagesIgnored()
{
    QStyle *before = QApplication::style();
    QCopChannel::send("QPE/System", "applyYMRStyle");
    QCopChannel::send("QPE/System", "somethingElse()");
    QCopChannel::send("QPE/Other", "applyYMRStyle()");
    ymrtest::flushEvents();
    QCOMPARE(QApplication::style(), before);
    QVERIFY(!pluginLoaded());
}

void TestYMRStylePlugin::applyMessageLoadsAndReuses()
{
    QTest::ignoreMessage(QtDebugMsg, "Load ymrStyle library");
    QCopChannel::send("QPE/System", "applyYMRStyle()");
    QTRY_VERIFY(styleIsXp());
    QVERIFY(pluginLoaded());
    QPointer<QStyle> first = QApplication::style();

    // a second message makes and installs a new style from the open library
    QTest::ignoreMessage(QtDebugMsg, "Load ymrStyle library");
    QCopChannel::send("QPE/System", "applyYMRStyle()");
    QTRY_VERIFY(QApplication::style() != first.data());
    QVERIFY(styleIsXp());
    QVERIFY(!first);   // the replaced style is gone

    // replace the style first, as the application object does, then unload:
    // one close ends the library, so it was opened once
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QTest::ignoreMessage(QtDebugMsg, "Unload ymrStyle library");
    ymrApp->unloadStyle();
    QVERIFY(!pluginLoaded());
    ymrApp->unloadStyle();   // nothing held: nothing happens
    QVERIFY(!styleIsXp());
}

void TestYMRStylePlugin::settingRuleAtStart_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("id");   // empty: no setting
    QTest::addColumn<bool>("loaded");
    QTest::newRow("small, id 0") << "240x320" << "0" << true;
    QTest::newRow("small landscape, id 3") << "320x240" << "3" << true;
    QTest::newRow("small, id -1") << "240x320" << "-1" << false;
    QTest::newRow("small, no setting") << "240x320" << "" << false;
    QTest::newRow("large, id 0") << "640x480" << "0" << false;
    QTest::newRow("other width, id 0") << "800x600" << "0" << false;
}

void TestYMRStylePlugin::settingRuleAtStart()
{
    QFETCH(QString, screen);
    QFETCH(QString, id);
    QFETCH(bool, loaded);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    if (!id.isEmpty()) {
        QDir().mkpath(root.path() + QStringLiteral("/Settings"));
        QFile f(root.path() + QStringLiteral("/Settings/ymr.conf"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Style]\nid=" + id.toLatin1() + "\n");
    }
    // the setting is read when the application object is built: run a fresh
    // copy of this program on the prepared root
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("YMR_TEST_HOME"), root.path());
    env.insert(QStringLiteral("QPE_SCREEN"), screen);
    env.insert(QStringLiteral("YMR_STYLE_CHILD_EXPECT"), loaded ? QStringLiteral("1") : QStringLiteral("0"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("styleAtStartChild")});
    QVERIFY(child.waitForFinished(60000));
    const QByteArray out = child.readAll();
    QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, out.constData());
    QVERIFY2(out.contains("PASS   : TestYMRStylePlugin::styleAtStartChild()"), out.constData());
}

void TestYMRStylePlugin::styleAtStartChild()
{
    const QByteArray expect = qgetenv("YMR_STYLE_CHILD_EXPECT");
    if (expect.isEmpty())
        QSKIP("runs as a child of settingRuleAtStart only");
    QCOMPARE(styleIsXp(), expect == "1");
    QCOMPARE(pluginLoaded(), expect == "1");
    // ending with the plug-in's style installed must be clean: the
    // application object replaces it before closing the library
}

YMR_TEST_MAIN(TestYMRStylePlugin)
#include "tst_ymrstyleplugin.moc"
