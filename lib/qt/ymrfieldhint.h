#ifndef YMRFIELDHINT_H
#define YMRFIELDHINT_H

#include <QString>

class QWidget;

// The short hint a field shows when it refuses what was typed: a small
// label above the line typed in, gone after a few seconds, that never
// takes the keyboard (a modal box would take the keys typed after the
// refused one).
class YMRFieldHint
{
public:
    // The label is a child of the field named name, made on the first call
    // and reused by the next.
    static void show(QWidget *field, const QString &text, const QString &name);
};

#endif
