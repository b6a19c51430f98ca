#ifndef GLOBAL_H
#define GLOBAL_H

#include <QString>

class Global
{
public:
    // <root>/Applications/<appName>/<fileName>; the folder is created. An
    // empty file name gives the folder itself, ending in "/".
    static QString applicationFileName(const QString &appName, const QString &fileName);
};

#endif
