#ifndef RESOURCE_H
#define RESOURCE_H

#include <QString>

class Resource
{
public:
    // The platform's sound of that name: <qpeDir>/sounds/<name>.wav; a null
    // string when there is none.
    static QString findSound(const QString &name);
};

#endif
