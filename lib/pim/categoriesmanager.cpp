#include "categoriesmanager.h"

#include "ymrpim.h"

#include "qpe/config.h"
#include "qpe/folderlock.h"

#include <QCoreApplication>

CategoriesManager *CategoriesManager::s_instance = nullptr;

namespace {

const char ColorGroup[] = "CategoriesColors";

QString appName()
{
    return YMRPIM::applicationName();
}

QRgb opaque(const QColor &color)
{
    return color.rgb() | 0xff000000u;
}

} // namespace

CategoriesManager::CategoriesManager()
    : QObject(QCoreApplication::instance())
{
}

CategoriesManager::~CategoriesManager()
{
    if (s_instance == this)
        s_instance = nullptr;
}

CategoriesManager *CategoriesManager::instance()
{
    if (!s_instance) {
        s_instance = new CategoriesManager();
        s_instance->reload();
    }
    return s_instance;
}

void CategoriesManager::reload()
{
    m_categories.load(categoryFileName());
    m_labelList = m_categories.labels(appName(), true);
    m_labelList.sort();
    m_labelList.append(QCoreApplication::translate("CategoriesManager", "Unfiled"));

    Config config(appName());
    config.setGroup(QLatin1String(ColorGroup));
    m_foregroundColors.clear();
    m_backgroundColors.clear();
    m_foregroundColors.reserve(m_labelList.size() + 1);
    m_backgroundColors.reserve(m_labelList.size() + 1);
    const QString white = QColor(Qt::white).name();
    const QString black = QColor(Qt::black).name();
    for (const QString &l : qAsConst(m_labelList)) {
        const int catId = m_categories.id(appName(), l);
        const QString key = QString::number(catId);
        m_backgroundColors.insert(catId, opaque(QColor(config.readEntry(key + QLatin1Char('b'), white))));
        m_foregroundColors.insert(catId, opaque(QColor(config.readEntry(key + QLatin1Char('f'), black))));
    }
}

void CategoriesManager::writeColors()
{
    Config config(appName());
    config.setGroup(QLatin1String(ColorGroup));
    config.clearGroup();
    for (auto it = m_foregroundColors.constBegin(); it != m_foregroundColors.constEnd(); ++it)
        config.writeEntry(QString::number(it.key()) + QLatin1Char('f'), QColor(it.value()).name());
    for (auto it = m_backgroundColors.constBegin(); it != m_backgroundColors.constEnd(); ++it)
        config.writeEntry(QString::number(it.key()) + QLatin1Char('b'), QColor(it.value()).name());
}

QColor CategoriesManager::colorOf(const QHash<int, QRgb> &colors, int catId,
                                  const QColor &deflt) const
{
    auto it = colors.constFind(catId);
    return it == colors.constEnd() ? deflt : QColor(it.value());
}

QString CategoriesManager::label(int catId)
{
    return label(appName(), catId);
}

QString CategoriesManager::label(const QString &application, int catId)
{
    return instance()->m_categories.label(application, catId);
}

int CategoriesManager::id(const QString &l)
{
    return instance()->m_categories.id(appName(), l);
}

QStringList CategoriesManager::labels()
{
    CategoriesManager *self = instance();
    self->reload();
    return self->m_labelList;
}

QColor CategoriesManager::backgroundColor(const QString &l)
{
    CategoriesManager *self = instance();
    return self->colorOf(self->m_backgroundColors, id(l), Qt::white);
}

QColor CategoriesManager::foregroundColor(const QString &l)
{
    CategoriesManager *self = instance();
    return self->colorOf(self->m_foregroundColors, id(l), Qt::black);
}

QColor CategoriesManager::backgroundColor(const QVector<int> &ids)
{
    CategoriesManager *self = instance();
    return self->colorOf(self->m_backgroundColors, ids.isEmpty() ? 0 : ids.first(), Qt::white);
}

QColor CategoriesManager::foregroundColor(const QVector<int> &ids)
{
    CategoriesManager *self = instance();
    return self->colorOf(self->m_foregroundColors, ids.isEmpty() ? 0 : ids.first(), Qt::black);
}

void CategoriesManager::setBackgroundColor(const QString &l, const QColor &color)
{
    CategoriesManager *self = instance();
    self->m_backgroundColors.insert(id(l), opaque(color));
    self->writeColors();
}

void CategoriesManager::setForegroundColor(const QString &l, const QColor &color)
{
    CategoriesManager *self = instance();
    self->m_foregroundColors.insert(id(l), opaque(color));
    self->writeColors();
}

int CategoriesManager::addCategory(const QString &l)
{
    CategoriesManager *self = instance();
    // Every change here is saved at once, onto the file as another copy of
    // the program may have left it: its id is one no other label there has.
    // Held across the read and the write where had at once; the write
    // merges all the same.
    const QString file = categoryFileName();
    FolderLock lock(FolderLock::folderOf(file));
    self->m_categories.load(file);
    const int catId = self->m_categories.addCategory(appName(), l);
    // a write refused or failed is kept for its retry (UnsavedFiles)
    self->m_categories.save(file);
    return catId;
}

void CategoriesManager::refresh()
{
    instance()->reload();
}
