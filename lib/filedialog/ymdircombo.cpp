#include "ymdircombo.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>

YMDirCombo::YMDirCombo(QWidget *parent, const char *name) : YMRComboBox(parent, name)
{
    m_icons.setSizeFor(fontMetrics());
    connect(this, QOverload<const QString &>::of(&YMRComboBox::activated), this,
            &YMDirCombo::folderSelected);
}

YMDirCombo::~YMDirCombo() = default;

QString YMDirCombo::currentDir() const
{
    return QDir::cleanPath(currentText());
}

QStringList YMDirCombo::existingFolders(const QString &path)
{
    QString p = path;
    if (!p.startsWith(QLatin1Char('/'))) {
        const int slash = p.indexOf(QLatin1Char('/'));
        p = slash < 0 ? QString() : p.mid(slash);
    }
    QStringList found;
    if (!p.isEmpty()) {
        p = QDir::cleanPath(p);
        for (;;) {
            const QFileInfo fi(p);
            if (fi.isDir())
                found.prepend(p);
            if (p == QDir::rootPath())
                break;
            const QString up = QFileInfo(p).path();
            if (up == p)
                break;
            p = up;
        }
    }
    if (found.isEmpty())
        found << QDir::rootPath();
    return found;
}

void YMDirCombo::setDir(const QString &path)
{
    clear();
    const QStringList folders = existingFolders(path);
    for (int i = 0; i < folders.size(); ++i)
        insertItem(m_icons.folderIcon(), folders.at(i), i);
    setCurrentItem(folders.size() - 1);
}

void YMDirCombo::reload()
{
    setDir(currentDir());
}

void YMDirCombo::changeEvent(QEvent *e)
{
    YMRComboBox::changeEvent(e);
    if (e->type() == QEvent::FontChange)
        m_icons.setSizeFor(fontMetrics());
}
