#ifndef KEPTCOPIES_H
#define KEPTCOPIES_H

// The copies that damaged files left ("<file>.damaged", "<file>.damaged.2",
// ...), removed before each input: a file set aside at every input would
// take every free name after a few thousand inputs, and the next could not
// be set aside.

#include "fuzzfiles.h"

#include <QDirIterator>
#include <QFile>

namespace fuzz {

inline void removeKeptCopies()
{
    QDirIterator it(root().path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (it.fileName().contains(QLatin1String(".damaged")))
            QFile::remove(path);
    }
}

} // namespace fuzz

#endif
