#include "dbrecord.h"

#include "dbmanager.h"
#include "pimtextreader.h"
#include "pimtextwriter.h"

#include "qt/ymriconset.h"
#include "qt/ymrresource.h"

#include <QImage>

namespace {

// Copies the overlay's pixels that are not fully transparent.
void copyOpaque(QImage &image, const QImage &overlay)
{
    const QImage src = overlay.convertToFormat(QImage::Format_ARGB32);
    const int w = qMin(image.width(), src.width());
    const int h = qMin(image.height(), src.height());
    for (int y = 0; y < h; ++y) {
        const QRgb *from = reinterpret_cast<const QRgb *>(src.constScanLine(y));
        QRgb *to = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            if (qAlpha(from[x]) != 0)
                to[x] = from[x];
        }
    }
}

} // namespace

DBRecord::DBRecord(PIMManager *manager)
    : PIMRecord(manager)
    , m_iconName(QStringLiteral("12"))
{
}

DBRecord::DBRecord(const DBRecord &other)
    : PIMRecord(other)
    , m_title(other.m_title)
    , m_iconName(other.m_iconName)
    , m_description(other.m_description)
    , m_password(other.m_password)
    , m_path(other.m_path)
    , m_deleteFile(other.m_deleteFile)
    , m_available(other.m_available)
{
}

bool DBRecord::isAvailable() const
{
    const DBManager *index = dynamic_cast<const DBManager *>(manager());
    if (index && index->isExt())
        return true;
    return m_available;
}

QPixmap DBRecord::icon() const
{
    QPixmap picture = YMRResource::loadPixmap(DBManager::iconPrefix() + m_iconName);
    if (!m_password.isEmpty() && !picture.isNull()) {
        QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage lock = YMRResource::loadImage(QStringLiteral("lockoverlay"));
        if (!lock.isNull()) {
            copyOpaque(image, lock);
            picture = QPixmap::fromImage(image);
        }
    }
    if (!isAvailable() && !picture.isNull())
        return YMRIconSet(picture).pixmap(picture.size(), QIcon::Disabled);
    return picture;
}

void DBRecord::readField(QLatin1String key, PIMTextReader &in)
{
    if (key == QLatin1String("T"))
        m_title = in.value();
    else if (key == QLatin1String("I"))
        m_iconName = in.value();
    else if (key == QLatin1String("D"))
        m_description = in.value();
    else if (key == QLatin1String("X"))
        m_password = in.value();
    else if (key == QLatin1String("P"))
        m_path = in.value();
}

void DBRecord::write(PIMTextWriter &out) const
{
    out.writeValue("T=", m_title);
    out.writeValue("I=", m_iconName);
    if (!m_description.isEmpty())
        out.writeValue("D=", m_description);
    if (!m_password.isEmpty())
        out.writeValue("X=", m_password);
    out.writeValue("P=", m_path);
    PIMRecord::write(out);
}
