#include "sound.h"
#include "qpesound.h"

#include <QApplication>

void Sound::soundAlarm()
{
    if (QpeSound::isRecording()) {
        QpeSound::record(QStringLiteral("soundAlarm"));
        return;
    }
    QApplication::beep();
}
