#include "categorymanager.h"

#include "categoryrecord.h"
#include "sharedrecords.h"
#include "ymrpim.h"
#include "qpe/folderlock.h"
#include "qpe/qpeapplication.h"

#include <QFile>
#include <QFileInfo>

namespace {
// Hundreds of categories take a few KB.
const qint64 MaxCategoryFileSize = 16 * 1024 * 1024;
qint64 s_maxFileSize = MaxCategoryFileSize;
}

qint64 CategoryManager::maxFileSize()
{
    return s_maxFileSize;
}

void CategoryManager::setMaxFileSize(qint64 size)
{
    s_maxFileSize = size > 0 ? size : MaxCategoryFileSize;
}

qint64 CategoryManager::fileSizeLimit() const
{
    return s_maxFileSize;
}

CategoryManager::CategoryManager()
    : PIMManager(YMRPIM::applicationName(), QStringLiteral("ymrCategory"), false, false, nullptr)
{
    // every copy of the program on this home shares the one file
    setShared(true);
    installDefault();
}

CategoryManager::CategoryManager(ReadOnly)
    : PIMManager(YMRPIM::applicationName(), QStringLiteral("ymrCategory"), false, false, nullptr)
{
}

bool CategoryManager::loadOrDefault()
{
    if (loadOrSetAside())
        return true;
    // every book shows its categories from this file: the program goes on
    // with the installed ones
    const QFileInfo info(fileName());
    if (info.exists() || info.isSymLink())
        return false;
    return installDefault() && load();
}

std::shared_ptr<const SharedFile::Reader> CategoryManager::sharedReader()
{
    if (m_defaultPending)
        installDefault();
    return PIMManager::sharedReader();
}

bool CategoryManager::installDefault()
{
    const QString path = fileName();
    const QString lang = QString::fromLocal8Bit(qgetenv("LANG")).toLower();
    const QString source = QPEApplication::qpeDir() + QStringLiteral("/etc/") + YMRPIM::applicationName()
                           + QLatin1Char('/') + lang + QLatin1Char('_') + file();
    // another copy may be writing its first categories there right now
    FolderLock lock(FolderLock::folderOf(path));
    const QFileInfo info(path);
    // none installed for the language: nothing to copy
    m_defaultPending = !info.exists() && !info.isSymLink() && QFileInfo(source).isFile()
                       && (!lock.isLocked() || !YMRPIM::copyFile(source, path, false, maxFileSize()));
    if (m_defaultPending)
        qWarning("Cannot install the categories %s as %s", qPrintable(source), qPrintable(path));
    return !m_defaultPending;
}

CategoryManager::~CategoryManager()
{
    // merged while the store is whole
    saveOnDestroy();
}

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

std::shared_ptr<const SharedFile::Reader> CategoryManager::fileCheck()
{
    return SharedRecords::check(new CategoryManager(ReadOnly()));
}

bool CategoryManager::readsWhole(const QByteArray &bytes, LoadBudget &budget)
{
    KeyedMerge::Entries entries;
    return fileCheck()->read(bytes, entries, budget);
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
