#include "directoryview.h"
#include "directoryviewitem.h"
#include "filekeys.h"

#include <config.h>
#include <qcopchannel.h>
#include <ymrheader.h>
#include <ymrlistviewitemiterator.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>

DirectoryView::DirectoryView(QWidget *parent) : YMRListView(parent, "ymrFileDialog")
{
    m_icons.setSizeFor(fontMetrics());
    auto *channel = new QCopChannel("YMR/FileDialogColorMode", this);
    connect(channel, &QCopChannel::received, this, &DirectoryView::colorModeChanged);
    addColumn(QString(), -1);
    header()->hide();
    connect(this, QOverload<YMRListViewItem *>::of(&YMRListView::clicked), this,
            &DirectoryView::slotFolderSelected);
    connect(this, &YMRListView::returnPressed, this, &DirectoryView::slotFolderSelected);
    reload();
}

DirectoryView::~DirectoryView() = default;

DirectoryViewItem *DirectoryView::rootItem() const
{
    return static_cast<DirectoryViewItem *>(firstChild());
}

void DirectoryView::createRoot()
{
    auto *root = new DirectoryViewItem(this, &m_icons);
    root->setText(0, QCoreApplication::translate("YMRListView", "My PDA"));
    root->setOpen(true);
}

DirectoryViewItem *DirectoryView::createItem(DirectoryViewItem *parent, const QString &name)
{
    return new DirectoryViewItem(parent, &m_icons, name);
}

void DirectoryView::setDir(const QString &path)
{
    DirectoryViewItem *root = rootItem();
    if (!root)
        return;
    for (YMRListViewItemIterator it(this); it.current(); ++it) {
        if (it.current() != root && it.current()->isOpen())
            it.current()->setOpen(false);
    }
    QString p = path;
    if (!p.startsWith(QLatin1Char('/'))) {
        const int slash = p.indexOf(QLatin1Char('/'));
        p = slash < 0 ? QString() : p.mid(slash);
    }
    const QStringList parts = p.split(QDir::separator(), Qt::SkipEmptyParts);
    root->setOpen(true);
    // each part is looked for among the children of the last match only, so
    // a path that leaves the tree stops at the deepest folder it names
    YMRListViewItem *found = root;
    for (const QString &part : parts) {
        YMRListViewItem *match = nullptr;
        for (YMRListViewItem *c = found->firstChild(); c; c = c->nextSibling()) {
            if (c->text(0) == part) {
                match = c;
                break;
            }
        }
        if (!match)
            break;
        match->setOpen(true);
        found = match;
    }
    setCurrentItem(found);
    ensureItemVisible(found);
    triggerUpdate();
}

void DirectoryView::reload()
{
    const QString cur = currentDir();
    clear();
    createRoot();
    if (!cur.isEmpty())
        setDir(cur);
}

QString DirectoryView::currentDir() const
{
    auto *item = static_cast<DirectoryViewItem *>(currentItem());
    if (!item)
        return QString();
    return QDir::cleanPath(item->path());
}

void DirectoryView::slotFolderSelected(YMRListViewItem *item)
{
    if (!item)
        return;
    auto *folder = static_cast<DirectoryViewItem *>(item);
    folder->setOpen(!folder->isOpen());
    triggerUpdate();
    emit folderSelected(QFileInfo(folder->path()).filePath());
}

void DirectoryView::keyPressEvent(QKeyEvent *e)
{
    if (!FileKeys::offer(this, e))
        YMRListView::keyPressEvent(e);
}

void DirectoryView::changeEvent(QEvent *e)
{
    if (e->type() != QEvent::FontChange) {
        YMRListView::changeEvent(e);
        return;
    }
    const QString cur = currentDir();
    clear();
    YMRListView::changeEvent(e);
    m_icons.setSizeFor(fontMetrics());
    createRoot();
    if (!cur.isEmpty())
        setDir(cur);
}

void DirectoryView::colorModeChanged()
{
    Config cfg(QStringLiteral("ymr"));
    cfg.setGroup(QStringLiteral("ymrFileDialog"));
    setColorMode(cfg.readNumEntry(QStringLiteral("grid"), 1) != 0 ? 1 : 0);
}
