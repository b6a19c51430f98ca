#include "ymrtest.h"

#include "qpe/qpeapplication.h"
#include "qpe/qpedevice.h"
#include "qpe/qpesound.h"
#include "qpe/resource.h"
#include "qpe/sound.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

class TestDevices : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void recorderStandsInForTheDrivers();
    void recorderSleepsReturnAtOnce();
    void realCallsOnAnOrdinaryFile();
    void findSound();
    void soundRecorder();
    void playerCommand();
    void playerRunsDetached();
};

void TestDevices::cleanup()
{
    QpeDevice::stopRecording();
    QpeSound::stopRecording();
    qunsetenv("QPE_SOUND_CMD");
}

void TestDevices::recorderStandsInForTheDrivers()
{
    QpeDevice::startRecording({QStringLiteral("/dev/pda_led")});
    QVERIFY(QpeDevice::isRecording());
    const int led = QpeDevice::open("/dev/pda_led");
    QVERIFY(led >= 0);
    QCOMPARE(QpeDevice::open("/dev/pda_buz"), -1);
    const int rec[2] = {13, 7};
    QCOMPARE(QpeDevice::ioctlRecord(led, 0x5681, rec, 2), 0);
    QCOMPARE(QpeDevice::ioctlValue(led, 0x5680, 4), 0);
    QCOMPARE(QpeDevice::openDescriptors(), 1);
    QCOMPARE(QpeDevice::close(led), 0);
    QCOMPARE(QpeDevice::close(led), -1);   // closed twice
    QCOMPARE(QpeDevice::ioctlValue(led, 0x5680, 4), -1);
    QCOMPARE(QpeDevice::openDescriptors(), 0);
    const QString fd = QString::number(led);
    QCOMPARE(QpeDevice::recorded(),
             (QStringList{"open /dev/pda_led = " + fd, "open /dev/pda_buz failed",
                          "ioctl " + fd + " 0x5681 {13,7}", "ioctl " + fd + " 0x5680 4",
                          "close " + fd, "close " + fd + " failed", "ioctl " + fd + " 0x5680 4"}));

    // a fresh recording forgets the last one and its devices
    QpeDevice::startRecording({QStringLiteral("/dev/pda_buz")});
    QVERIFY(QpeDevice::recorded().isEmpty());
    QCOMPARE(QpeDevice::open("/dev/pda_led"), -1);
    const int buz = QpeDevice::open("/dev/pda_buz");
    QVERIFY(buz >= 0 && buz != led);
    const int setup[3] = {4, 100, 0};
    QpeDevice::ioctlRecord(buz, 0x5684, setup, 3);
    QCOMPARE(QpeDevice::recorded().last(), QStringLiteral("ioctl %1 0x5684 {4,100,0}").arg(buz));
}

void TestDevices::recorderSleepsReturnAtOnce()
{
    QpeDevice::startRecording({});
    QElapsedTimer t;
    t.start();
    QpeDevice::sleepSeconds(2);
    QpeDevice::sleepSeconds(1);
    // sleeping for real takes 3 s; a loaded machine never makes doing nothing take that long
    QVERIFY(t.elapsed() < 3000);
    QCOMPARE(QpeDevice::recorded(), (QStringList{"sleep 2", "sleep 1"}));
}

void TestDevices::realCallsOnAnOrdinaryFile()
{
    // never a real device node here: the requests are not type-safe
    QTemporaryDir dir;
    const int recorded = QpeDevice::recorded().size();
    const QByteArray path = QFile::encodeName(dir.path() + QStringLiteral("/node"));
    QCOMPARE(QpeDevice::open(path.constData()), -1);   // open does not create
    QFile f(QString::fromLocal8Bit(path));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    const int fd = QpeDevice::open(path.constData());
    QVERIFY(fd >= 0);
    const int rec[2] = {2, 1};
    QCOMPARE(QpeDevice::ioctlRecord(fd, 0x5681, rec, 2), -1);   // not a device
    QCOMPARE(QpeDevice::ioctlValue(fd, 0x5680, 4), -1);
    QCOMPARE(QpeDevice::close(fd), 0);
    QCOMPARE(QpeDevice::recorded().size(), recorded);   // not recording
}

void TestDevices::findSound()
{
    const QString found = Resource::findSound(QStringLiteral("alarma300"));
    QCOMPARE(found, QPEApplication::qpeDir() + QStringLiteral("/sounds/alarma300.wav"));
    QVERIFY(QFile::exists(found));
    QVERIFY(Resource::findSound(QStringLiteral("nosuchsound")).isNull());
    QVERIFY(Resource::findSound(QString()).isNull());
    QVERIFY(Resource::findSound(QStringLiteral("../sounds/alarma300")).isNull());
}

void TestDevices::soundRecorder()
{
    QpeSound::startRecording();
    Sound::soundAlarm();
    QpeSound::play(QStringLiteral("/x/alarma300.wav"));
    QpeSound::play(QString());   // a sound not found plays nothing
    QCOMPARE(QpeSound::recorded(), (QStringList{"soundAlarm", "play /x/alarma300.wav"}));
}

void TestDevices::playerCommand()
{
    qputenv("QPE_SOUND_CMD", "/opt/player --volume 3");
    QCOMPARE(QpeSound::command(QStringLiteral("/s/a b.wav")),
             (QStringList{"/opt/player", "--volume", "3", "/s/a b.wav"}));
    QVERIFY(QpeSound::command(QString()).isEmpty());
    qputenv("QPE_SOUND_CMD", "");   // set but empty: silence
    QVERIFY(QpeSound::command(QStringLiteral("/s/a.wav")).isEmpty());
    qunsetenv("QPE_SOUND_CMD");

    // the players found on PATH: fakes in a folder of our own
    QTemporaryDir bin;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.path().toLocal8Bit());
    const auto install = [&bin](const char *name) {
        QFile f(bin.filePath(QString::fromLatin1(name)));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\n");
        f.close();
        QVERIFY(f.setPermissions(f.permissions() | QFileDevice::ExeOwner));
    };
    QVERIFY(QpeSound::command(QStringLiteral("/s/a.wav")).isEmpty());
    install("aplay");
    QCOMPARE(QpeSound::command(QStringLiteral("/s/a.wav")), (QStringList{"aplay", "-q", "/s/a.wav"}));
    install("paplay");
    QCOMPARE(QpeSound::command(QStringLiteral("/s/a.wav")), (QStringList{"paplay", "/s/a.wav"}));
    qputenv("PATH", path);
}

void TestDevices::playerRunsDetached()
{
    QTemporaryDir dir;
    const QString script = dir.path() + QStringLiteral("/player");
    const QString out = dir.path() + QStringLiteral("/played");
    QFile f(script);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\nprintf '%s' \"$1\" > \"$0.tmp\" && mv \"$0.tmp\" \"" + out.toLocal8Bit() + "\"\n");
    f.close();
    QVERIFY(f.setPermissions(f.permissions() | QFileDevice::ExeOwner));
    qputenv("QPE_SOUND_CMD", script.toLocal8Bit());
    QpeSound::play(QStringLiteral("/s/alarm sound.wav"));
    QTRY_VERIFY(QFile::exists(out));
    QFile played(out);
    QVERIFY(played.open(QIODevice::ReadOnly));
    QCOMPARE(played.readAll(), QByteArray("/s/alarm sound.wav"));
}

QPE_TEST_MAIN(TestDevices)
#include "tst_devices.moc"
