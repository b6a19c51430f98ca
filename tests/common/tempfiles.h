#ifndef TEMPFILES_H
#define TEMPFILES_H

// The temporary files the program's saves write beside the files they
// replace (".ymr<eight letters>.new").

#include <QDir>
#include <QString>
#include <QStringList>

// Those in folder: a save that ended, however, leaves none behind.
inline QStringList tempFilesIn(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral(".ymr*.new")}, QDir::Files | QDir::Hidden | QDir::System);
}

#endif
