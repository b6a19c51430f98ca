#include "mimeiconset.h"

#include <qpeapplication.h>

#include <QFileInfo>
#include <QFontMetrics>

namespace {

const char *const s_names[MimeIconSet::IconCount] = {
    "desktop", "link", "lockoverlay", "folder3_blue", "folder_blue", "empty", "binary",
    "document", "font", "html", "image", "info", "make", "pdf", "sound", "spreadsheet", "tar",
    "video", "wordprocessing"};

const QHash<QString, MimeIconSet::Icon> &extensions()
{
    static const QHash<QString, MimeIconSet::Icon> table = [] {
        QHash<QString, MimeIconSet::Icon> t;
        t.reserve(34);
        const struct {
            MimeIconSet::Icon icon;
            const char *exts;
        } groups[] = {
            {MimeIconSet::Binary, "a so"},
            {MimeIconSet::Document, "txt"},
            {MimeIconSet::Font, "bdf pfa qpf ttf"},
            {MimeIconSet::Html, "html htm"},
            {MimeIconSet::Image, "png jpg jpeg bmp tiff gif"},
            {MimeIconSet::Pdf, "pdf ps"},
            {MimeIconSet::Sound, "mp3 wav wma ogg"},
            {MimeIconSet::Spreadsheet, "xls"},
            {MimeIconSet::Tar, "tar gz bz bz2 zip ipk"},
            {MimeIconSet::Video, "avi mpeg mpg wmv"},
            {MimeIconSet::WordProcessing, "doc rtf"},
        };
        for (const auto &g : groups) {
            const QStringList exts = QString::fromLatin1(g.exts).split(QLatin1Char(' '));
            for (const QString &e : exts)
                t.insert(e, g.icon);
        }
        return t;
    }();
    return table;
}

} // namespace

MimeIconSet::MimeIconSet() : m_icons(IconCount) {}

QString MimeIconSet::pathTemplate()
{
    static const QString tpl = QPEApplication::qpeDir() + QStringLiteral("/pics/ymr/mime/%1/%2.png");
    return tpl;
}

QString MimeIconSet::iconName(Icon icon)
{
    return icon >= 0 && icon < IconCount ? QString::fromLatin1(s_names[icon]) : QString();
}

void MimeIconSet::setSizeFor(const QFontMetrics &fm)
{
    const int h = fm.height();
    setSize(h < 17 ? 16 : h < 25 ? 24 : 32);
}

void MimeIconSet::setSize(int size)
{
    if (size == m_size)
        return;
    m_size = size;
    ++m_loads;
    const QString tpl = pathTemplate();
    for (int i = 0; i < IconCount; ++i)
        m_icons[i] = QPixmap(tpl.arg(size).arg(QLatin1String(s_names[i])));
}

const QPixmap &MimeIconSet::pixmap(Icon icon) const
{
    return m_icons.at(icon);
}

MimeIconSet::Icon MimeIconSet::iconIndex(const QString &fileName, bool executable)
{
    const QString ext = QFileInfo(fileName).suffix().toLower();
    if (!ext.isEmpty()) {
        const auto it = extensions().constFind(ext);
        if (it != extensions().constEnd())
            return it.value();
    }
    if (fileName.startsWith(QLatin1String("lib")) || fileName.contains(QLatin1String(".so.")))
        return Binary;
    static const QStringList infoNames = {
        QStringLiteral("readme"),  QStringLiteral("install"),   QStringLiteral("version"),
        QStringLiteral("copying"), QStringLiteral("copyright"), QStringLiteral("license"),
        QStringLiteral("gpl"),     QStringLiteral("lgpl"),      QStringLiteral("credits"),
        QStringLiteral("changelog")};
    if (infoNames.contains(fileName.toLower()))
        return Info;
    return executable ? Make : Empty;
}

const QPixmap &MimeIconSet::icon(const QString &fileName, bool executable) const
{
    return pixmap(iconIndex(fileName, executable));
}
