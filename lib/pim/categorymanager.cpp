#include "categorymanager.h"

#include "categoryrecord.h"
#include "ymrpim.h"
#include "qpe/qpeapplication.h"

#include <QFile>

CategoryManager::CategoryManager()
    : PIMManager(YMRPIM::applicationName(), QStringLiteral("ymrCategory"), false, false, nullptr)
{
    const QString path = fileName();
    if (!QFile::exists(path)) {
        const QString lang = QString::fromLocal8Bit(qgetenv("LANG")).toLower();
        const QString source = QPEApplication::qpeDir() + QStringLiteral("/etc/")
                               + YMRPIM::applicationName() + QLatin1Char('/') + lang
                               + QLatin1Char('_') + file();
        YMRPIM::copyFile(source, path, false);
    }
}

CategoryManager::~CategoryManager() = default;

CategoryRecord *CategoryManager::findByTitle(const QString &title) const
{
    for (PIMRecord *r : *const_cast<CategoryManager *>(this)->records()) {
        auto *c = static_cast<CategoryRecord *>(r);
        if (c->title == title)
            return c;
    }
    return nullptr;
}

QString CategoryManager::unfiledName(bool translate)
{
    return translate ? tr("Unfiled") : QStringLiteral("Unfiled");
}

PIMRecord *CategoryManager::createRecord()
{
    return new CategoryRecord(this);
}

bool CategoryManager::sortKeyText(const PIMRecord *record, int, QString &text) const
{
    text = static_cast<const CategoryRecord *>(record)->title;
    return true;
}

bool CategoryManager::needsResort(PIMRecord *old, PIMRecord *record)
{
    if (!old)
        return true;
    return static_cast<CategoryRecord *>(old)->title != static_cast<CategoryRecord *>(record)->title;
}
