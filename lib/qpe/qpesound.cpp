#include "qpesound.h"
#include "qpeglobal.h"

#include <QProcess>
#include <QStandardPaths>

namespace {
bool s_recording = false;
QStringList s_record;
}

QStringList QpeSound::command(const QString &path)
{
    if (path.isEmpty())
        return QStringList();
    QStringList cmd;
    if (qEnvironmentVariableIsSet(QPE_ENV_SOUND_CMD)) {
        cmd = QProcess::splitCommand(qEnvironmentVariable(QPE_ENV_SOUND_CMD));
        if (cmd.isEmpty())
            return cmd;
    } else if (!QStandardPaths::findExecutable(QStringLiteral("paplay")).isEmpty()) {
        cmd << QStringLiteral("paplay");
    } else if (!QStandardPaths::findExecutable(QStringLiteral("aplay")).isEmpty()) {
        cmd << QStringLiteral("aplay") << QStringLiteral("-q");
    } else {
        return cmd;
    }
    cmd << path;
    return cmd;
}

void QpeSound::play(const QString &path)
{
    if (path.isEmpty())
        return;
    if (s_recording) {
        record(QStringLiteral("play ") + path);
        return;
    }
    QStringList cmd = command(path);
    if (cmd.isEmpty())
        return;
    const QString program = cmd.takeFirst();
    // detached: the sound goes on while the caller blocks (the buzzer sleeps)
    if (!QProcess::startDetached(program, cmd))
        qWarning("QpeSound: cannot start %s", qPrintable(program));
}

void QpeSound::startRecording()
{
    s_recording = true;
    s_record.clear();
}

void QpeSound::stopRecording()
{
    s_recording = false;
}

bool QpeSound::isRecording()
{
    return s_recording;
}

QStringList QpeSound::recorded()
{
    return s_record;
}

void QpeSound::record(const QString &call)
{
    s_record.append(call);
}
