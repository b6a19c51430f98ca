#include "dbrecord.h"

#include "dbmanager.h"
#include "pimtextreader.h"
#include "pimtextwriter.h"

#include "qt/ymriconset.h"
#include "qt/ymrimage.h"
#include "qt/ymrresource.h"

#include <QImage>

DBRecord::DBRecord(PIMManager *manager)
    : PIMRecord(manager)
    , m_iconName(DBManager::defaultIconName())
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
    QPixmap picture = YMRResource::loadPixmap(DBManager::iconPicture(m_iconName));
    if (!m_password.isEmpty() && !picture.isNull()) {
        QImage image = picture.toImage();
        const QImage lock = YMRResource::loadImage(QStringLiteral("lockoverlay"));
        if (!lock.isNull()) {
            YMRImage::copyMasked(image, lock, 0, 0, 0, 0, -1, -1);
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
    out.writeValueIfAny("D=", m_description);
    out.writeValueIfAny("X=", m_password);
    out.writeValue("P=", m_path);
    PIMRecord::write(out);
}
