#include "ymrlazyiconengine.h"

#include "ymriconset.h"
#include "ymrresource.h"

#include <QImage>
#include <QPainter>

YMRLazyIconEngine::YMRLazyIconEngine(const QString &path)
    : m_path(path)
{
}

const QIcon &YMRLazyIconEngine::icon() const
{
    if (!m_loaded) {
        m_loaded = true;
        m_icon = YMRIconSet(YMRResource::readPicture(m_path));
    }
    return m_icon;
}

void YMRLazyIconEngine::paint(QPainter *painter, const QRect &rect, QIcon::Mode mode,
                              QIcon::State state)
{
    icon().paint(painter, rect, Qt::AlignCenter, mode, state);
}

QPixmap YMRLazyIconEngine::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    return icon().pixmap(size, mode, state);
}

QSize YMRLazyIconEngine::actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    return icon().actualSize(size, mode, state);
}

void YMRLazyIconEngine::addPixmap(const QPixmap &pixmap, QIcon::Mode mode, QIcon::State state)
{
    icon();
    m_icon.addPixmap(pixmap, mode, state);
}

void YMRLazyIconEngine::addFile(const QString &fileName, const QSize &size, QIcon::Mode mode,
                                QIcon::State state)
{
    icon();
    m_icon.addFile(fileName, size, mode, state);
}

QString YMRLazyIconEngine::key() const
{
    return QStringLiteral("YMRLazyIconEngine");
}

QIconEngine *YMRLazyIconEngine::clone() const
{
    auto *copy = new YMRLazyIconEngine(m_path);
    copy->m_icon = m_icon;
    copy->m_loaded = m_loaded;
    return copy;
}

QList<QSize> YMRLazyIconEngine::availableSizes(QIcon::Mode mode, QIcon::State state) const
{
    return icon().availableSizes(mode, state);
}

void YMRLazyIconEngine::virtual_hook(int id, void *data)
{
    switch (id) {
    case QIconEngine::IsNullHook:
        *static_cast<bool *>(data) = icon().isNull();
        break;
    default:
        QIconEngine::virtual_hook(id, data);
        break;
    }
}
