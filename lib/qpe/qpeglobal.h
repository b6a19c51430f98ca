#ifndef QPEGLOBAL_H
#define QPEGLOBAL_H

#include <QDataStream>
#include <QString>

// Environment of the platform layer.
#define QPE_ENV_HOME "QPE_HOME"
#define QPE_ENV_DATA_DIR "QPE_DATA_DIR"
#define QPE_ENV_SCREEN "QPE_SCREEN"
#define QPE_ENV_SOUND_CMD "QPE_SOUND_CMD"

namespace Qpe {
// Version of every data stream the platform writes or reads (message data).
const int StreamVersion = QDataStream::Qt_5_15;

// Per-user root: $QPE_HOME, else the home folder. Holds Settings/,
// Applications/ and Documents/.
QString userRoot();
// <root>/Settings, created on demand.
QString settingsDir();
// Misuse of a widget is reported in the old toolkit's assertion wording,
// and the call then goes on (Q_ASSERT would abort debug builds).
void assertWarning(const char *cond, const char *file, int line);
}

#endif
