#ifndef CATEGORYRECORD_H
#define CATEGORYRECORD_H

#include "pimrecord.h"

#include <QColor>
#include <QString>

// A category: title and row colours; "on" is a mark kept in memory only.
class CategoryRecord : public PIMRecord
{
public:
    explicit CategoryRecord(PIMManager *manager);
    CategoryRecord(const CategoryRecord &other) = default;

    void readField(QLatin1String key, PIMTextReader &in) override;
    void write(PIMTextWriter &out) const override;
    using PIMRecord::write;
    qint64 memorySize() const override { return baseMemorySize(sizeof(CategoryRecord)) + textMemory(title); }

    QString title;
    bool on = false;
    QColor textColor;
    QColor backgroundColor;
};

#endif
