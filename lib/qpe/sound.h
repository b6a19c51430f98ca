#ifndef SOUND_H
#define SOUND_H

class Sound
{
public:
    // The platform's own alarm signal (the system bell); does not block.
    static void soundAlarm();
};

#endif
