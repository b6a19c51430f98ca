#include "sfilelistview.h"
#include "filekeys.h"
#include "sfilelistviewitem.h"
#include "ymfileview.h"

#include <boundedfile.h>
#include <config.h>
#include <global.h>
#include <qcopchannel.h>
#include <ymrheader.h>
#include <ymrlistviewitemiterator.h>

#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>

namespace {

// Some hundred bytes per deleted entry.
const qint64 MaxTrashIndexSize = 16 * 1024 * 1024;

// One record of a trash folder's index, as another program wrote it.
struct TrashRecord {
    QString storedName;
    QString originalPath;
    qint32 size = 0;
    QDateTime modified;
    bool link = false;
    bool folder = false;
    bool executable = false;
    QDateTime deleted;
};

class TrashIndexReader
{
public:
    explicit TrashIndexReader(QFile *file) : m_file(file), m_in(file)
    {
        m_in.setByteOrder(QDataStream::BigEndian);
    }

    bool atEnd() const { return m_file->atEnd(); }

    // False for a record cut short; nothing is read past the file's end.
    bool read(TrashRecord &r)
    {
        qint32 link = 0, folder = 0, exec = 0;
        if (!readString(r.storedName) || !readString(r.originalPath) || !readInt(r.size)
            || !readDateTime(r.modified) || !readInt(link) || !readInt(folder)
            || !readInt(exec) || !readDateTime(r.deleted))
            return false;
        r.link = link != 0;
        r.folder = folder != 0;
        r.executable = exec != 0;
        return true;
    }

private:
    qint64 left() const { return m_file->size() - m_file->pos(); }

    bool readInt(qint32 &v)
    {
        if (left() < 4)
            return false;
        m_in >> v;
        return m_in.status() == QDataStream::Ok;
    }

    bool readString(QString &s)
    {
        qint32 count = 0;
        if (!readInt(count))
            return false;
        const quint32 n = quint32(count);
        if (n == 0) {
            s.clear();
            return true;
        }
        if (qint64(n) > left())
            return false;
        QByteArray bytes(int(n), Qt::Uninitialized);
        if (m_in.readRawData(bytes.data(), int(n)) != int(n))
            return false;
        const int zero = bytes.indexOf('\0');
        if (zero >= 0)
            bytes.truncate(zero);
        s = QString::fromUtf8(bytes);
        return true;
    }

    bool readDateTime(QDateTime &dt)
    {
        qint32 jd = 0, ms = 0;
        if (!readInt(jd) || !readInt(ms))
            return false;
        // day 0 is how the writers store a time they do not have
        dt = jd == 0 ? QDateTime()
                     : QDateTime(QDate::fromJulianDay(quint32(jd)),
                                 QTime::fromMSecsSinceStartOfDay(int(quint32(ms) % 86400000u)));
        return true;
    }

    QFile *m_file;
    QDataStream m_in;
};

// A name another program stored for an entry inside one folder: a plain
// name only, so the entry's path never leaves that folder.
bool isPlainName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
           && !name.contains(QLatin1Char('/'));
}

QString permissionText(QFile::Permissions p)
{
    const struct {
        QFile::Permission bit;
        char c;
    } bits[] = {{QFile::ReadOwner, 'r'}, {QFile::WriteOwner, 'w'}, {QFile::ExeOwner, 'x'},
                {QFile::ReadGroup, 'r'}, {QFile::WriteGroup, 'w'}, {QFile::ExeGroup, 'x'},
                {QFile::ReadOther, 'r'}, {QFile::WriteOther, 'w'}, {QFile::ExeOther, 'x'}};
    QString s;
    for (const auto &b : bits)
        s += QLatin1Char((p & b.bit) ? b.c : '-');
    return s;
}

} // namespace

SFileListView::SFileListView(YMFileView *view, QWidget *parent)
    : YMRListView(parent, "ymrFileDialog"), m_view(view)
{
    m_icons.setSizeFor(fontMetrics());
    auto *channel = new QCopChannel("YMR/FileDialogColorMode", this);
    connect(channel, &QCopChannel::received, this, &SFileListView::colorModeChanged);
    setAllColumnsShowFocus(true);
    setItemMargin(fontMetrics().horizontalAdvance(QStringLiteral("  ")));
    header()->setClickEnabled(false, -1);
    connect(this, &YMRListView::expanded, this, &SFileListView::dirClicked);
}

SFileListView::~SFileListView() = default;

QString SFileListView::findFileDir()
{
    return Global::applicationFileName(QStringLiteral("ymrFindFile"), QString());
}

bool SFileListView::isFindFileDir() const
{
    return m_dir == findFileDir();
}

bool SFileListView::isTrashDir() const
{
    return QFileInfo::exists(m_dir + QStringLiteral(".ymrtrash"));
}

SFileListView::FolderMode SFileListView::folderMode() const
{
    if (isFindFileDir())
        return FindFileFolder;
    if (isTrashDir())
        return TrashFolder;
    return PlainFolder;
}

bool SFileListView::setDir(const QString &path)
{
    const bool same = QDir::cleanPath(path) == QDir::cleanPath(m_dir);
    QString current;
    QStringList selected;
    if (same) {
        if (childCount() > 0 && currentItem())
            current = currentItem()->text(0);
        for (YMRListViewItemIterator it(this); it.current(); ++it) {
            if (it.current()->isSelected())
                selected << it.current()->text(0);
        }
    }
    clear();
    if (path.isEmpty() || !QFileInfo::exists(path))
        return false;
    m_dir = QDir::cleanPath(path) + QDir::separator();

    while (columns() > 0)
        removeColumn(columns() - 1);
    addColumn(tr("Name"), -1);
    addColumn(tr("Size"), -1);
    addColumn(tr("Modified"), -1);
    switch (folderMode()) {
    case FindFileFolder:
        header()->show();
        addColumn(tr("Path"), -1);
        setSorting(3, true);
        break;
    case TrashFolder:
        header()->show();
        addColumn(tr("Path"), -1);
        addColumn(tr("Deleted"), -1);
        setSorting(3, true);
        break;
    case PlainFolder:
        addColumn(tr("Permissions"), -1);
        addColumn(tr("Owner"), -1);
        addColumn(tr("Group"), -1);
        addColumn(tr("Link"), -1);
        header()->hide();
        setSorting(8, true);
        break;
    }
    setColumnAlignment(1, Qt::AlignRight);

    const bool ok = readDir();
    if (ok && same) {
        for (YMRListViewItemIterator it(this); it.current(); ++it) {
            YMRListViewItem *row = it.current();
            if (selected.contains(row->text(0)))
                row->setSelected(true);
            if (!current.isEmpty() && row->text(0) == current) {
                setCurrentItem(row);
                ensureItemVisible(row);
            }
        }
        triggerUpdate();
    }
    return ok;
}

bool SFileListView::readDir()
{
    const QFileInfo info(m_dir);
    const QString folder = info.isDir() ? m_dir : info.path();
    setRootIsDecorated(false);
    switch (folderMode()) {
    case PlainFolder:
        readPlain(folder);
        break;
    case TrashFolder:
        readTrash();
        break;
    case FindFileFolder:
        readFindFile(folder);
        break;
    }
    sort();
    return true;
}

void SFileListView::readPlain(const QString &folder)
{
    // Every row has the same sort key and each new row goes to the top, so
    // each group is asked for in the reverse order and files before folders.
    QDir d(folder, QString(), QDir::IgnoreCase, QDir::AllEntries);
    const QDir::SortFlags sort = QDir::SortFlags(m_view->sort() ^ QDir::Reversed);
    if (!m_view->dirMode()) {
        const QDir::Filters f = m_view->hiddenToo() ? QDir::Files | QDir::Hidden : QDir::Files;
        const QString filter = m_view->filter();
        const QStringList names =
            filter == QLatin1String("*") ? QStringList() : QDir::nameFiltersFromString(filter);
        const QFileInfoList files = d.entryInfoList(names, f, sort);
        for (const QFileInfo &fi : files)
            setInfoTexts(new SFileListViewItem(this, &m_icons, fi), fi);
    }
    bool folderAdded = false;
    if (m_view->dirsToo()) {
        const QDir::Filters f = m_view->hiddenToo() ? QDir::Dirs | QDir::Hidden : QDir::Dirs;
        const QFileInfoList dirs = d.entryInfoList(QStringList(), f, sort);
        for (const QFileInfo &fi : dirs) {
            if (fi.fileName() == QLatin1String(".") || fi.fileName() == QLatin1String(".."))
                continue;
            auto *row = new SFileListViewItem(this, &m_icons, fi);
            setInfoTexts(row, fi);
            row->setExpandable(true);
            folderAdded = true;
        }
    }
    setRootIsDecorated(folderAdded);
}

void SFileListView::readTrash()
{
    // another program's file: a regular one of a real trash's size only
    QFile file;
    if (BoundedFile::open(file, m_dir + QStringLiteral("index.idx"), MaxTrashIndexSize) != BoundedFile::Ok)
        return;
    TrashIndexReader reader(&file);
    while (!reader.atEnd()) {
        TrashRecord r;
        if (!reader.read(r))
            break;
        if (!isPlainName(r.storedName))
            continue;
        const QFileInfo original(r.originalPath);
        auto *row = new SFileListViewItem(this, &m_icons, original.fileName(), r.size,
                                          r.modified, r.link, r.folder, r.executable);
        row->setText(3, original.path() + QDir::separator());
        row->setPixmap(3, m_icons.folderIcon());
        row->setText(4, SFileListViewItem::timeText(r.deleted));
        row->setText(5, r.storedName);
    }
}

void SFileListView::readFindFile(const QString &folder)
{
    QDir d(folder, QString(), QDir::IgnoreCase, QDir::AllEntries);
    // Qt lists a link whose target is gone only among the system entries;
    // the other system entries (pipes, sockets, devices) stay out
    const QFileInfoList entries = d.entryInfoList(QDir::Dirs | QDir::Files | QDir::System);
    for (const QFileInfo &fi : entries) {
        if (fi.fileName() == QLatin1String(".") || fi.fileName() == QLatin1String(".."))
            continue;
        if (!fi.isSymLink() && !fi.isFile() && !fi.isDir())
            continue;
        // a relative target counts from the link's own folder
        const QString target = fi.isSymLink() ? fi.symLinkTarget() : fi.absoluteFilePath();
        const QFileInfo ti(target);
        auto *row = new SFileListViewItem(this, &m_icons, ti);
        row->setText(3, ti.path() + QDir::separator());
        row->setPixmap(3, m_icons.folderIcon());
    }
}

void SFileListView::setInfoTexts(YMRListViewItem *row, const QFileInfo &info)
{
    row->setText(3, permissionText(info.permissions()));
    row->setText(4, info.owner());
    row->setText(5, info.group());
    row->setText(6, info.isSymLink() ? info.symLinkTarget() : QString());
}

void SFileListView::refresh()
{
    setDir(m_dir);
}

QString SFileListView::rowPath(const YMRListViewItem *row, FolderMode mode,
                               bool forSelection) const
{
    switch (mode) {
    case FindFileFolder:
        return QDir::cleanPath(row->text(3) + (forSelection ? QStringLiteral("/") : QString())
                               + row->text(0));
    case TrashFolder:
        return QDir::cleanPath(m_dir + row->text(5));
    case PlainFolder:
        break;
    }
    return QDir::cleanPath(m_dir + row->text(0));
}

QString SFileListView::currentFile() const
{
    const YMRListViewItem *row = currentItem();
    if (!row || !row->isSelected())
        return QString();
    return rowPath(row, folderMode(), false);
}

QStringList SFileListView::selectedFiles() const
{
    QStringList list;
    const FolderMode mode = folderMode();
    for (YMRListViewItem *row = firstChild(); row; row = row->nextSibling()) {
        if (row->isSelected())
            list << rowPath(row, mode, true);
    }
    return list;
}

void SFileListView::dirClicked(YMRListViewItem *item)
{
    if (!item)
        return;
    setCurrentItem(item);
    // the folder is listed after the expansion has returned, since listing
    // deletes the expanded row; keep its name, not the row
    m_entering = item->text(0);
    QCoreApplication::postEvent(this, new QEvent(QEvent::Type(EnterFolderEvent)));
}

bool SFileListView::event(QEvent *e)
{
    if (e->type() != QEvent::Type(EnterFolderEvent))
        return YMRListView::event(e);
    const QString name = m_entering;
    m_entering.clear();
    if (name.isEmpty())
        return true;
    const QFileInfo info(m_dir + name);
    if (!info.isDir())
        return true;
    const QString path = info.absoluteFilePath();
    setDir(path);
    emit dirChanged(path);
    return true;
}

void SFileListView::keyPressEvent(QKeyEvent *e)
{
    if (!FileKeys::offer(this, e))
        YMRListView::keyPressEvent(e);
}

void SFileListView::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::FontChange) {
        clear();
        YMRListView::changeEvent(e);
        m_icons.setSizeFor(fontMetrics());
        refresh();
        return;
    }
    YMRListView::changeEvent(e);
}

void SFileListView::colorModeChanged()
{
    Config cfg(QStringLiteral("ymr"));
    cfg.setGroup(QStringLiteral("ymrFileDialog"));
    setColorMode(cfg.readNumEntry(QStringLiteral("grid"), 1) != 0 ? 1 : 0);
}
