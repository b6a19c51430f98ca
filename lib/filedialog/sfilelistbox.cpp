#include "sfilelistbox.h"
#include "filekeys.h"
#include "sfilelistboxitem.h"
#include "ymfileview.h"

#include <qpeglobal.h>

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>

SFileListBox::SFileListBox(YMFileView *view, QWidget *parent, const char *name)
    : YMRListBox(parent, name), m_view(view)
{
    m_icons.setSizeFor(fontMetrics());
    setRowMode(YMRListBox::FitToHeight);
    setVariableWidth(true);
    connect(this, QOverload<YMRListBoxItem *>::of(&YMRListBox::clicked), this,
            &SFileListBox::itemClicked);
}

SFileListBox::~SFileListBox() = default;

bool SFileListBox::setDir(const QString &path)
{
    const bool same = QDir::cleanPath(path) == QDir::cleanPath(m_dir);
    QString current;
    QStringList selected;
    if (same) {
        if (currentItem() >= 0)
            current = text(currentItem());
        for (YMRListBoxItem *i = firstItem(); i; i = i->next()) {
            if (i->selected())
                selected << i->text();
        }
    }
    clear();
    if (path.isEmpty() || !QFileInfo::exists(path))
        return false;
    m_dir = QDir::cleanPath(path) + QDir::separator();
    const bool ok = readDir();
    if (ok && same) {
        int index = 0;
        for (YMRListBoxItem *i = firstItem(); i; i = i->next(), ++index) {
            if (selected.contains(i->text()))
                setSelected(index, true);
            if (!current.isEmpty() && i->text() == current) {
                setCurrentItem(index);
                ensureCurrentVisible();
            }
        }
    }
    return ok;
}

bool SFileListBox::readDir()
{
    const QFileInfo info(m_dir);
    const QString folder = info.isDir() ? m_dir : info.path();
    QDir d(folder, QString(), QDir::IgnoreCase, QDir::AllEntries);
    const QDir::SortFlags sort = QDir::SortFlags(m_view->sort());
    if (m_view->dirsToo()) {
        const QDir::Filters f = m_view->hiddenToo() ? QDir::Dirs | QDir::Hidden : QDir::Dirs;
        const QFileInfoList dirs = d.entryInfoList(QStringList(), f, sort);
        for (const QFileInfo &fi : dirs) {
            if (fi.fileName() != QLatin1String(".") && fi.fileName() != QLatin1String(".."))
                new SFileListBoxItem(this, &m_icons, fi);
        }
    }
    if (!m_view->dirMode()) {
        const QDir::Filters f = m_view->hiddenToo() ? QDir::Files | QDir::Hidden : QDir::Files;
        const QString filter = m_view->filter();
        const QStringList names =
            filter == QLatin1String("*") ? QStringList() : QDir::nameFiltersFromString(filter);
        const QFileInfoList files = d.entryInfoList(names, f, sort);
        for (const QFileInfo &fi : files)
            new SFileListBoxItem(this, &m_icons, fi);
    }
    // names QDir cannot read are shown, as unreadable
    for (QString name : Qpe::unreadableEntries(folder)) {
        if (listsUnreadable(name, m_view))
            new SFileListBoxItem(this, &m_icons, QFileInfo(QDir(folder).filePath(name)));
    }
    return true;
}

bool SFileListBox::listsUnreadable(QString &name, const YMFileView *view)
{
    const bool folder = name.endsWith(QLatin1Char('/'));
    if (folder)
        name.chop(1);
    if (name.startsWith(QLatin1Char('.')) && !view->hiddenToo())
        return false;
    if (folder)
        return view->dirsToo();
    const QString filter = view->filter();
    return !view->dirMode()
           && (filter == QLatin1String("*")
               || QDir::match(QDir::nameFiltersFromString(filter), name));
}

void SFileListBox::refresh()
{
    setDir(m_dir);
}

QString SFileListBox::currentFile() const
{
    const int cur = currentItem();
    if (cur < 0 || !isSelected(cur))
        return QString();
    return QDir::cleanPath(m_dir + text(cur));
}

QStringList SFileListBox::selectedFiles() const
{
    QStringList list;
    for (YMRListBoxItem *i = firstItem(); i; i = i->next()) {
        if (i->selected())
            list << QDir::cleanPath(m_dir + i->text());
    }
    return list;
}

void SFileListBox::itemClicked(YMRListBoxItem *item)
{
    if (!item)
        return;
    const QString path = QDir::cleanPath(m_dir + item->text());
    if (!QFileInfo(path).isDir())
        return;
    // The box still hands the clicked entry to its further click signals:
    // list the folder once they are done, so the entry outlives them.
    QPointer<SFileListBox> self(this);
    QTimer::singleShot(0, this, [self, path] {
        if (self)
            self->enterFolder(path);
    });
}

void SFileListBox::enterFolder(const QString &path)
{
    setDir(path);
    emit dirChanged(path);
}

void SFileListBox::keyPressEvent(QKeyEvent *e)
{
    if (!FileKeys::offer(this, e))
        YMRListBox::keyPressEvent(e);
}

void SFileListBox::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::FontChange) {
        clear();
        YMRListBox::changeEvent(e);
        m_icons.setSizeFor(fontMetrics());
        refresh();
        return;
    }
    YMRListBox::changeEvent(e);
}
