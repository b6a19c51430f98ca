#include "ymfiledialog.h"
#include "bookmarkmanager.h"
#include "directoryview.h"
#include "newdirectorydialog.h"
#include "sfilelistbox.h"
#include "sfilelistview.h"
#include "ymdircombo.h"
#include "ymfiledialogcolorswidget.h"
#include "ymfileview.h"

#include <config.h>
#include <hbox.h>
#include <popupmenu.h>
#include <qcopchannel.h>
#include <qpeapplication.h>
#include <ymraction.h>
#include <ymrapplication.h>
#include <ymrcombobox.h>
#include <ymrdialog.h>
#include <ymrmainwindow.h>
#include <ymrpushbutton.h>
#include <ymrresource.h>
#include <ymtabwidget.h>

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QRegExp>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

enum MenuId {
    SortName = 0, SortSize = 1, SortDate = 2, Unsorted = 3, Reversed = 4, ShowHidden = 7,
    ShowDirs = 8
};
enum BookmarkId { MoreBookmarks = 11, OrganizeBookmarks = 12 };
const int MaxBookmarkEntries = 10;

const char *const SettingsFile = "ymrFileDialog";
const char *const ColorChannel = "YMR/FileDialogColorMode";

struct Script {
    QList<QPair<QStringList, bool>> answers;
    QList<YMFileDialog::ScriptedCall> calls;
};

Script &script()
{
    static Script s;
    return s;
}

QString captionOr(const QString &caption, const QString &deflt)
{
    return caption.isEmpty() ? deflt : caption;
}

// The nearest existing folder at or above a path, walking up by its text.
QString nearestExisting(QString p)
{
    p = QDir::cleanPath(p);
    while (!QFileInfo(p).isDir() && p != QDir::rootPath()) {
        const QString up = QFileInfo(p).path();
        if (up == p)
            break;
        p = up;
    }
    return p;
}

// Bookmarks are stored as one text separated by ";". A ";" or a backslash
// inside a folder's name gets a backslash before it, so it reads back whole.
QString joinBookmarks(const QStringList &list)
{
    QStringList escaped;
    for (QString s : list) {
        s.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
        s.replace(QLatin1Char(';'), QLatin1String("\\;"));
        escaped << s;
    }
    return escaped.join(QLatin1Char(';'));
}

QStringList splitBookmarks(const QString &text)
{
    QStringList out;
    QString cur;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            cur += text.at(++i);
        } else if (c == QLatin1Char(';')) {
            if (!cur.isEmpty())
                out << cur;
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.isEmpty())
        out << cur;
    return out;
}

} // namespace

YMFileDialog::YMFileDialog(const QString &startDir, const QString &filter, bool dirMode,
                           bool multiSelection, const QString &fileName, QWidget *parent,
                           const char *name)
    : QDialog(parent), m_dirMode(dirMode)
{
    setObjectName(QString::fromLatin1(name));
    setModal(true);

    // 1. tool bar and actions
    m_toolBar = new HBox(this);
    YMRAction::createAction(this, "options", "package_utilities", this, SLOT(options()), false,
                            tr("Options") + QStringLiteral(" ..."));
    YMRAction::createAction(this, "reload", "reload", this, SLOT(reload()), false, tr("Reload"));
    YMRAction::createAction(this, "detail", "view_detailed", this, SLOT(showDetail()), true,
                            QString());
    YMRAction::createAction(this, "list", "view_multicolumn", this, SLOT(showList()), true,
                            QString());
    YMRAction::createAction(this, "addbookmark", "bookmark_add", this, SLOT(newBookmark()),
                            false, QString());
    YMRAction::createAction(this, "newdir", "newdir", this, SLOT(createDir()), false, QString());
    YMRAction::createAction(this, "up", "up", this, SLOT(doUp()), false, QString());
    YMRAction::createAction(this, "back", "back", this, SLOT(historyPrev()), false, QString());
    YMRAction::createAction(this, "forward", "forward", this, SLOT(historyNext()), false,
                            QString());

    // 2. menus and the folder combo
    m_bookmarkMenu = new PopupMenu(this);
    connect(m_bookmarkMenu, &PopupMenu::activated, this, &YMFileDialog::bookmarkMenuActivated);
    connect(m_bookmarkMenu, &QMenu::aboutToShow, this, &YMFileDialog::showBokmarkMenu);
    m_combo = new YMDirCombo(this);
    connect(m_combo, &YMDirCombo::folderSelected, this, &YMFileDialog::changedFolder);
    m_optionsMenu = new PopupMenu(this);
    connect(m_optionsMenu, &PopupMenu::activated, this, &YMFileDialog::menuActivated);
    connect(m_optionsMenu, &QMenu::aboutToShow, this, &YMFileDialog::doPopup);

    // 3. the folder tree, or the file view with its name edit and filters
    if (dirMode) {
        m_tree = new DirectoryView(this);
        connect(m_tree, &DirectoryView::folderSelected, this, &YMFileDialog::changedFolder);
    } else {
        if (!multiSelection) {
            m_nameEdit = new QLineEdit(this);
            connect(m_nameEdit, &QLineEdit::returnPressed, this, &QDialog::accept);
            m_nameEdit->setText(fileName);
            m_nameGiven = !fileName.isEmpty();
        }
        if (!filter.isEmpty()) {
            m_filterCombo = new YMRComboBox(this);
            m_filterCombo->insertStringList(filter.split(QStringLiteral(";;"), Qt::SkipEmptyParts));
            connect(m_filterCombo, QOverload<const QString &>::of(&YMRComboBox::activated), this,
                    &YMFileDialog::setMask);
        }
        m_fileView = new YMFileView(false, this);
        m_fileView->setMultiSelection(multiSelection);
        connect(m_fileView, &YMFileView::dirChanged, this, &YMFileDialog::changedFolder);
        connect(m_fileView, &YMFileView::selectionChanged, this, &YMFileDialog::updateActions);
        connect(m_fileView, &YMFileView::clicked, this, &YMFileDialog::currentChanged);

        m_optionsMenu->setCheckable(true);
        m_optionsMenu->insertItem(YMRResource::loadIconSet(QStringLiteral("sort-name")),
                                  tr("Sort by Name"), SortName);
        m_optionsMenu->insertItem(YMRResource::loadIconSet(QStringLiteral("sort-size")),
                                  tr("Sort by Size"), SortSize);
        m_optionsMenu->insertItem(YMRResource::loadIconSet(QStringLiteral("sort-date")),
                                  tr("Sort by Date"), SortDate);
        m_optionsMenu->insertItem(tr("Unsorted"), Unsorted);
        m_optionsMenu->insertSeparator();
        m_optionsMenu->insertItem(tr("Reversed"), Reversed);
        m_optionsMenu->insertSeparator();
        m_optionsMenu->insertItem(tr("Show Hidden Files"), ShowHidden);
        m_optionsMenu->insertItem(tr("Show Dirs"), ShowDirs);
        m_optionsMenu->insertSeparator();
    }

    // 4. both modes
    action("reload")->addTo(m_optionsMenu);
    m_optionsMenu->insertSeparator();
    action("options")->addTo(m_optionsMenu);

    // 5. layout
    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(2, 2, 2, 2);
    box->setSpacing(4);
    box->addWidget(m_toolBar);
    box->addWidget(m_combo);
    if (m_fileView)
        box->addWidget(m_fileView, 1);
    else
        box->addWidget(m_tree, 1);
    if (m_nameEdit)
        box->addWidget(m_nameEdit);
    if (m_filterCombo)
        box->addWidget(m_filterCombo);
    if (dirMode)
        m_combo->hide();
    // long folder paths and filter texts must not widen the dialog past
    // the screen
    m_combo->setMinimumWidth(1);
    if (m_filterCombo)
        m_filterCombo->setMinimumWidth(1);

    // 6.-8.
    m_historyIndex = 0;
    fillToolBar();
    setDir(startDir.isEmpty() ? QDir::rootPath() : startDir, true, true, true);
    readOptions();

    // 9.
    YMRApplication::showMaximized(this, true);
    QCopChannel::send(ColorChannel, QByteArray());
}

YMFileDialog::~YMFileDialog() = default;

YMRAction *YMFileDialog::action(const char *name) const
{
    return static_cast<YMRAction *>(YMRAction::findAction(const_cast<YMFileDialog *>(this), name));
}

void YMFileDialog::fillToolBar()
{
    action("up")->addTo(m_toolBar);
    action("back")->addTo(m_toolBar);
    action("forward")->addTo(m_toolBar);
    YMRAction::addSeparator(m_toolBar);
    action("newdir")->addTo(m_toolBar);
    YMRAction::addSeparator(m_toolBar);
    if (m_fileView) {
        action("detail")->addTo(m_toolBar);
        action("list")->addTo(m_toolBar);
        YMRAction::addSeparator(m_toolBar);
    }
    action("addbookmark")->addTo(m_toolBar);

    m_bookmarkButton = new QToolButton(m_toolBar);
    m_bookmarkButton->setAutoRaise(true);
    m_bookmarkButton->setIcon(YMRResource::loadIconSet(QStringLiteral("bookmark")));
    m_bookmarkButton->setMenu(m_bookmarkMenu);
    m_bookmarkButton->setPopupMode(QToolButton::InstantPopup);

    auto *gap = new QWidget(m_toolBar);
    m_toolBar->setStretchFactor(gap, 2);

    m_optionsButton = new QToolButton(m_toolBar);
    m_optionsButton->setAutoRaise(true);
    m_optionsButton->setIcon(YMRResource::loadIconSet(QStringLiteral("mouse")));
    m_optionsButton->setMenu(m_optionsMenu);
    m_optionsButton->setPopupMode(QToolButton::InstantPopup);

    // on the small screen the buttons give up some of their frame rather
    // than push the last ones out of sight
    const QList<QToolButton *> buttons = m_toolBar->findChildren<QToolButton *>();
    for (QToolButton *b : buttons)
        b->setMinimumWidth(b->iconSize().width() + 2);
}

// ---- entry points ----

bool YMFileDialog::takeAnswer(const ScriptedCall &call, QStringList &answer, bool &accepted)
{
    Script &s = script();
    if (s.answers.isEmpty())
        return false;
    const auto next = s.answers.takeFirst();
    answer = next.first;
    accepted = next.second;
    s.calls << call;
    return true;
}

void YMFileDialog::queueAnswer(const QStringList &paths)
{
    script().answers << qMakePair(paths, true);
}

void YMFileDialog::queueCancel()
{
    script().answers << qMakePair(QStringList(), false);
}

int YMFileDialog::queuedAnswers()
{
    return script().answers.size();
}

QList<YMFileDialog::ScriptedCall> YMFileDialog::takeScriptedCalls()
{
    QList<ScriptedCall> calls = script().calls;
    script().calls.clear();
    return calls;
}

void YMFileDialog::clearScript()
{
    script().answers.clear();
    script().calls.clear();
}

QString YMFileDialog::getOpenFileName(const QString &startDir, const QString &filter,
                                      QWidget *parent, const char *name, const QString &caption)
{
    QStringList answer;
    bool accepted = false;
    if (takeAnswer({QStringLiteral("getOpenFileName"), startDir, filter, caption, QString()},
                   answer, accepted))
        return accepted ? answer.value(0) : QString();
    YMFileDialog dlg(startDir, filter, false, false, QString(), parent, name);
    dlg.setWindowTitle(captionOr(caption, tr("Open")));
    if (dlg.exec() == QDialog::Accepted)
        return dlg.selectedFile();
    return QString();
}

QString YMFileDialog::getSaveFileName(const QString &startDir, const QString &filter,
                                      QWidget *parent, const char *name, const QString &caption,
                                      const QString &fileName)
{
    QStringList answer;
    bool accepted = false;
    if (takeAnswer({QStringLiteral("getSaveFileName"), startDir, filter, caption, fileName},
                   answer, accepted))
        return accepted ? answer.value(0) : QString();
    YMFileDialog dlg(startDir, filter, false, false, fileName, parent, name);
    dlg.setFilename(fileName);
    dlg.setWindowTitle(captionOr(caption, tr("Save As")));
    if (dlg.exec() == QDialog::Accepted)
        return dlg.saveFileName();
    return QString();
}

QString YMFileDialog::getExistingDirectory(const QString &startDir, QWidget *parent,
                                           const char *name, const QString &caption)
{
    QStringList answer;
    bool accepted = false;
    if (takeAnswer({QStringLiteral("getExistingDirectory"), startDir, QString(), caption,
                    QString()},
                   answer, accepted))
        return accepted ? answer.value(0) : QString();
    YMFileDialog dlg(startDir, QString(), true, false, QString(), parent, name);
    dlg.setWindowTitle(captionOr(caption, tr("Select Directory")));
    if (dlg.exec() == QDialog::Accepted)
        return dlg.currentDir();
    return QString();
}

QStringList YMFileDialog::getOpenFileNames(const QString &startDir, const QString &filter,
                                           QWidget *parent, const char *name,
                                           const QString &caption)
{
    QStringList answer;
    bool accepted = false;
    if (takeAnswer({QStringLiteral("getOpenFileNames"), startDir, filter, caption, QString()},
                   answer, accepted))
        return accepted ? answer : QStringList();
    YMFileDialog dlg(startDir, filter, false, true, QString(), parent, name);
    dlg.setWindowTitle(captionOr(caption, tr("Select Files")));
    if (dlg.exec() == QDialog::Accepted)
        return dlg.selectedFiles();
    return QStringList();
}

// ---- results ----

QString YMFileDialog::currentDir() const
{
    return m_combo->currentDir();
}

QString YMFileDialog::selectedFile() const
{
    if (!m_fileView)
        return QString();
    QStringList list;
    QString current;
    m_fileView->selection(list, &current);
    // a folder is never handed out as a chosen file
    if (!current.isEmpty() && QFileInfo(current).isDir())
        current.clear();
    if (current.isEmpty()) {
        for (const QString &p : qAsConst(list)) {
            if (!QFileInfo(p).isDir())
                return p;
        }
    }
    return current;
}

QStringList YMFileDialog::selectedFiles() const
{
    QStringList out;
    if (!m_fileView)
        return out;
    QStringList list;
    m_fileView->selection(list);
    for (const QString &p : qAsConst(list)) {
        if (!QFileInfo(p).isDir())
            out << p;
    }
    return out;
}

QString YMFileDialog::saveFileName() const
{
    if (!m_nameEdit || m_nameEdit->text().isEmpty())
        return QString();
    // an absolute name stands as typed; a relative one, folders and all,
    // lies under the folder shown
    return QDir(currentDir()).filePath(m_nameEdit->text());
}

// ---- showing and closing ----

void YMFileDialog::accept()
{
    QStringList chosen = selectedFiles();
    if (m_nameEdit)
        chosen << saveFileName();
    for (const QString &path : qAsConst(chosen)) {
        if (!path.isEmpty() && !QPEApplication::documentNameReadable(path)) {
            YMRDialog::critical(windowTitle(),
                                tr("The file name\n%1\ncannot be read in this locale.").arg(path));
            return;
        }
    }
    QDialog::accept();
}

void YMFileDialog::setVisible(bool visible)
{
    const bool was = isVisible();
    if (!visible) {
        if (was)
            writeOptions();
        QDialog::setVisible(false);
        return;
    }
    QDialog::setVisible(true);
    if (m_filterCombo && m_fileView)
        setMask(m_filterCombo->currentText());
    focusView();
    if (m_nameEdit) {
        m_nameEdit->selectAll();
        m_nameEdit->setFocus();
    }
}

void YMFileDialog::focusView()
{
    if (m_fileView)
        m_fileView->setFocus();
    else if (m_tree)
        m_tree->setFocus();
}

void YMFileDialog::setFilename(const QString &name)
{
    if (m_nameEdit)
        m_nameEdit->setText(name);
}

// ---- folders and history ----

void YMFileDialog::setDir(const QString &path, bool toCombo, bool toView, bool toTree)
{
    if (toCombo)
        m_combo->setDir(path);
    if (toView && m_fileView)
        m_fileView->setDir(currentDir());
    // the tree gets the cleaned, existing folder too: given a missing path
    // it would stop at whatever part of it exists
    if (toTree && m_tree)
        m_tree->setDir(currentDir());
    focusView();
    m_current = currentDir();
    updateActions();
}

void YMFileDialog::changedFolder(const QString &path)
{
    // the tree reports folders with a final separator
    if (QDir::cleanPath(path) == m_current)
        return;
    QObject *from = sender();
    addToHistory();
    setDir(path, from != m_combo, m_fileView && from != m_fileView, m_tree && from != m_tree);
}

void YMFileDialog::addToHistory()
{
    if (m_current.isEmpty())
        return;
    while (m_history.size() > m_historyIndex)
        m_history.removeLast();
    m_history << m_current;
    m_historyIndex = m_history.size();
}

void YMFileDialog::historyPrev()
{
    if (m_historyIndex == m_history.size()) {
        addToHistory();
        --m_historyIndex;
    }
    if (m_historyIndex <= 0)
        return;
    --m_historyIndex;
    setDir(m_history.at(m_historyIndex), true, true, true);
}

void YMFileDialog::historyNext()
{
    if (m_historyIndex + 1 >= m_history.size())
        return;
    ++m_historyIndex;
    setDir(m_history.at(m_historyIndex), true, true, true);
}

void YMFileDialog::doUp()
{
    addToHistory();
    QDir d(currentDir(), QString(), QDir::IgnoreCase, QDir::Dirs | QDir::Files | QDir::Drives);
    d.cdUp();
    setDir(d.path(), true, true, true);
}

void YMFileDialog::updateActions()
{
    QDir d(currentDir(), QString(), QDir::IgnoreCase, QDir::Dirs | QDir::Files | QDir::Drives);
    action("up")->setEnabled(d.cdUp() && d.path() != currentDir());
    action("back")->setEnabled(m_historyIndex != 0);
    action("forward")->setEnabled(m_historyIndex < m_history.size() - 1);
    m_bookmarkButton->setEnabled(!m_bookmarks.isEmpty());
    if (m_fileView && m_nameEdit) {
        QStringList list;
        QString current;
        m_fileView->selection(list, &current);
        if (!current.isEmpty() && !QFileInfo(current).isDir() && !m_nameGiven)
            m_nameEdit->setText(QFileInfo(current).fileName());
    }
}

void YMFileDialog::currentChanged()
{
    if (!m_nameEdit || !m_fileView)
        return;
    const QString file = m_fileView->currentFile();
    if (!file.isEmpty() && !QFileInfo(file).isDir())
        m_nameEdit->setText(QFileInfo(file).fileName());
}

void YMFileDialog::reload()
{
    m_combo->reload();
    const QString path = nearestExisting(currentDir());
    if (path != currentDir())
        m_combo->setDir(path);
    if (m_fileView)
        m_fileView->setDir(path);
    if (m_tree) {
        m_tree->reload();
        m_tree->setDir(path);
    }
    updateActions();
}

// ---- filters and views ----

QString YMFileDialog::maskOf(const QString &filterEntry)
{
    QRegExp rx(QStringLiteral("\\(([a-zA-Z0-9_.*? +;#\\[\\]]*)\\)$"));
    if (rx.indexIn(filterEntry) >= 0)
        return rx.cap(1);
    return filterEntry;
}

void YMFileDialog::setMask(const QString &filterEntry)
{
    if (m_fileView)
        m_fileView->setFilter(maskOf(filterEntry));
    updateActions();
}

void YMFileDialog::showDetail()
{
    if (!m_fileView)
        return;
    if (action("detail")->isOn()) {
        m_fileView->setMode(1);
        m_fileView->show();
        action("list")->setOn(false);
    } else if (m_fileView->mode() == 1) {
        m_fileView->hide();
    }
    updateActions();
}

void YMFileDialog::showList()
{
    if (!m_fileView)
        return;
    if (action("list")->isOn()) {
        m_fileView->setMode(0);
        m_fileView->show();
        action("detail")->setOn(false);
    } else if (m_fileView->mode() == 0) {
        m_fileView->hide();
    }
    updateActions();
}

void YMFileDialog::doPopup()
{
    if (!m_fileView)
        return;
    const int sort = m_fileView->sort();
    const int key = sort & QDir::SortByMask;
    m_optionsMenu->setItemChecked(SortName, key == QDir::Name);
    m_optionsMenu->setItemChecked(SortSize, key == QDir::Size);
    m_optionsMenu->setItemChecked(SortDate, key == QDir::Time);
    m_optionsMenu->setItemChecked(Unsorted, key == QDir::Unsorted);
    m_optionsMenu->setItemChecked(Reversed, sort & QDir::Reversed);
    m_optionsMenu->setItemChecked(ShowHidden, m_fileView->hiddenToo());
    m_optionsMenu->setItemChecked(ShowDirs, m_fileView->dirsToo());
}

void YMFileDialog::menuActivated(int id)
{
    if (!m_fileView)
        return;
    const int sort = m_fileView->sort();
    const int keep = sort & ~int(QDir::SortByMask);
    switch (id) {
    case SortName:
        m_fileView->setSort(keep | QDir::Name);
        break;
    case SortSize:
        m_fileView->setSort(keep | QDir::Size);
        break;
    case SortDate:
        m_fileView->setSort(keep | QDir::Time);
        break;
    case Unsorted:
        m_fileView->setSort(keep | QDir::Unsorted);
        break;
    case Reversed:
        m_fileView->setSort(sort ^ QDir::Reversed);
        break;
    case ShowHidden:
        m_fileView->setHiddenToo(!m_fileView->hiddenToo());
        break;
    case ShowDirs:
        m_fileView->setDirsToo(!m_fileView->dirsToo());
        break;
    default:
        break;
    }
}

// ---- bookmarks ----

void YMFileDialog::showBokmarkMenu()
{
    m_bookmarkMenu->clear();
    const QIcon mark = YMRResource::loadIconSet(QStringLiteral("bookmark"));
    const int shown = qMin(m_bookmarks.size(), MaxBookmarkEntries);
    for (int i = 0; i < shown; ++i)
        m_bookmarkMenu->insertItem(mark, m_bookmarks.at(i), i);
    const QIcon tools = YMRResource::loadIconSet(QStringLiteral("package_utilities"));
    if (m_bookmarks.size() > MaxBookmarkEntries)
        m_bookmarkMenu->insertItem(tools, tr("More") + QStringLiteral(" ..."), MoreBookmarks);
    if (!m_bookmarks.isEmpty()) {
        m_bookmarkMenu->insertSeparator();
        m_bookmarkMenu->insertItem(tools, tr("Organize") + QStringLiteral(" ..."),
                                   OrganizeBookmarks);
    }
}

void YMFileDialog::bookmarkMenuActivated(int id)
{
    if (id >= 0 && id < MoreBookmarks) {
        if (id < m_bookmarks.size() && m_bookmarks.at(id) != m_current) {
            addToHistory();
            setDir(m_bookmarks.at(id), true, true, true);
        }
        return;
    }
    if (id != MoreBookmarks && id != OrganizeBookmarks)
        return;
    BookmarkManager manager(m_bookmarks, this);
    if (manager.exec() == QDialog::Accepted)
        m_bookmarks = manager.bookmarks();
    const QString go = manager.goPath();
    if (!go.isEmpty() && go != m_current) {
        addToHistory();
        setDir(go, true, true, true);
    }
    updateActions();
    writeOptions();
}

void YMFileDialog::newBookmark()
{
    const QString dir = currentDir();
    if (!m_bookmarks.contains(dir))
        m_bookmarks << dir;
    updateActions();
    writeOptions();
}

// ---- new folder and options ----

void YMFileDialog::createDir()
{
    NewDirectoryDialog dlg(this, nullptr, true);
    const QRect screen = QPEApplication::screenRect();
    dlg.setFixedSize(screen.width() - 20, dlg.sizeHint().height());
    dlg.btnCancel->setIconSet(YMRResource::loadIconSet(QStringLiteral("button_cancel")));
    dlg.btnOk->setIconSet(YMRResource::loadIconSet(QStringLiteral("button_ok")));
    dlg.icon->setPixmap(YMRResource::loadPixmap(QStringLiteral("folder2")));
    dlg.fname->setFocus();
    QPEApplication::centerOnScreen(&dlg);
    if (dlg.exec() != QDialog::Accepted || dlg.fname->text().isEmpty())
        return;
    const QString path = currentDir() + QDir::separator() + dlg.fname->text();
    if (QDir().mkdir(path)) {
        if (m_tree)
            m_tree->reload();
        addToHistory();
        setDir(path, true, true, true);
    } else {
        YMRDialog::critical(tr("New folder"), tr("Folder creation failed!"));
    }
}

void YMFileDialog::options()
{
    QDialog dlg(this);
    dlg.setModal(true);
    auto *tabs = new YMTabWidget(&dlg);
    tabs->setTabFlags(0x2d);
    tabs->setTabPosition(YMRMainWindow::isPortrait() ? 0 : 2);
    tabs->setFocusPolicy(Qt::NoFocus);
    tabs->addTab(new YMFileDialogColorsWidget(m_tree, m_fileView, &dlg), tr("Colors"),
                 YMRResource::loadIconSet(QStringLiteral("color")));
    auto *box = new QVBoxLayout(&dlg);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    box->addWidget(tabs);
    dlg.setWindowTitle(tr("Options") + QStringLiteral(" ..."));
    YMRApplication::showMaximized(&dlg, true);
    dlg.exec();
}

// ---- settings ----

void YMFileDialog::readOptions()
{
    Config cfg(QString::fromLatin1(SettingsFile));
    cfg.setGroup(QStringLiteral("Options"));
    if (m_fileView) {
        // the states only: showDetail and showList do not run here
        action("detail")->setOn(cfg.readBoolEntry(QStringLiteral("detail"), true));
        action("list")->setOn(cfg.readBoolEntry(QStringLiteral("list"), false));
        m_fileView->setDirsToo(cfg.readBoolEntry(QStringLiteral("dirsToo"), true));
        m_fileView->setHiddenToo(cfg.readBoolEntry(QStringLiteral("hiddenToo"), true));
        m_fileView->setSort(cfg.readNumEntry(QStringLiteral("sort"), 0));
        m_fileView->setMode(action("detail")->isOn() ? 1 : 0);
    }
    m_bookmarks = splitBookmarks(cfg.readEntry(QStringLiteral("bookmarks")));
    updateActions();
}

void YMFileDialog::writeOptions()
{
    Config cfg(QString::fromLatin1(SettingsFile));
    cfg.setGroup(QStringLiteral("Options"));
    if (m_fileView) {
        cfg.writeEntry(QStringLiteral("detail"), action("detail")->isOn());
        cfg.writeEntry(QStringLiteral("list"), action("list")->isOn());
        cfg.writeEntry(QStringLiteral("dirsToo"), m_fileView->dirsToo());
        cfg.writeEntry(QStringLiteral("hiddenToo"), m_fileView->hiddenToo());
        cfg.writeEntry(QStringLiteral("sort"), m_fileView->sort());
    }
    cfg.writeEntry(QStringLiteral("bookmarks"), joinBookmarks(m_bookmarks));
}
