#ifndef QPEGLOBAL_H
#define QPEGLOBAL_H

#include <QDataStream>
#include <QString>
#include <QStringList>

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

// A name is readable when the file-name codec turns it into bytes and back
// unchanged; an unreadable one names another file (or none) on the disk.
bool nameReadable(const QString &name);
bool nameReadable(const QByteArray &bytes);

// The entries of a folder whose names are not readable (QDir leaves them
// out), decoded as well as they go; folders marked by a final "/".
QStringList unreadableEntries(const QString &folder);
}

#endif
