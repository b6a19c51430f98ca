#ifndef QPESOUND_H
#define QPESOUND_H

#include <QString>
#include <QStringList>

// Plays a sound file in the background through an external player:
// $QPE_SOUND_CMD (a command line; set but empty = silence), else paplay,
// else aplay; without any, nothing. Returns at once.
class QpeSound
{
public:
    static void play(const QString &path);
    // The player command line for a file; empty when nothing can play.
    static QStringList command(const QString &path);

    // Tests: while recording, play() and Sound::soundAlarm() only append
    // "play <path>" or "soundAlarm" to the record.
    static void startRecording();
    static void stopRecording();
    static bool isRecording();
    static QStringList recorded();
    static void record(const QString &call);
};

#endif
