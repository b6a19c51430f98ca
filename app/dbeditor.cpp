#include "dbeditor.h"

#include "bookiconlistboxitem.h"
#include "directoryselector.h"
#include "passworddialog.h"

#include "pim/dbmanager.h"
#include "pim/dbrecord.h"
#include "pim/ymrpim.h"
#include "qpe/config.h"
#include "qt/ymrapplication.h"
#include "qt/iconselector.h"
#include "qt/ymrdialog.h"
#include "qt/ymrlistbox.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

QString defaultFolder()
{
    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(QStringLiteral("BookOptions"));
    return cfg.readEntry(QStringLiteral("defaultPath"), YMRApplication::documentDir());
}

} // namespace

DBEditor::DBEditor(QWidget *parent, const char *name)
    : DBEditorBase(parent, name, true)
{
    lock->setIconSet(YMRResource::loadIconSet(QStringLiteral("lock")));
    // the title is a line of the book index and a file name
    YMRPIM::refuseBar(title, "T=");
}

DBEditor::~DBEditor() = default;

void DBEditor::showIcon()
{
    icon->setIconSet(YMRResource::loadIconSet(DBManager::iconPicture(m_iconName)));
}

int DBEditor::edit(DBRecord *record)
{
    const QString folder = defaultFolder();
    m_iconName = record->iconName();
    showIcon();
    title->setText(record->title());
    memo->setPlainText(record->description());
    path->setDirectory(record->path().isEmpty() ? folder : QFileInfo(record->path()).path());
    m_loadedTitle = record->title();
    m_loadedPath = record->path();
    m_password = record->password();
    m_index = dynamic_cast<DBManager *>(record->manager());
    title->setFocus();
    YMRApplication::showMaximized(this, true);
    return exec();
}

QString DBEditor::bookFileName() const
{
    // the file stays where it is until the user changes its title or folder
    // (a file added by hand may be named otherwise than title + ".exp")
    if (!m_loadedPath.isEmpty() && title->text() == m_loadedTitle
        && QDir::cleanPath(path->directory()) == QDir::cleanPath(QFileInfo(m_loadedPath).path()))
        return m_loadedPath;
    return path->directory() + QLatin1Char('/') + title->text() + QStringLiteral(".exp");
}

void DBEditor::accept()
{
    const QString caption = tr("Invalid Book Title");
    const QString name = title->text();
    if (name.isEmpty()) {
        YMRDialog::critical(caption, tr("Book Title cannot be empty."));
        return;
    }
    // a "/" would make the title a folder of its own; a "|" comes back
    // from the book index as a line break
    for (const QChar c : {QLatin1Char('/'), QLatin1Char('|')}) {
        if (name.contains(c)) {
            YMRDialog::critical(caption, tr("Book Title cannot contain \"%1\".").arg(c));
            return;
        }
    }
    const QString target = bookFileName();
    // a folder listed in bytes the codec cannot read: the book would be
    // written under another name
    if (!YMRApplication::documentNameReadable(target)) {
        YMRDialog::critical(caption, tr("The file name\n%1\ncannot be read in this locale.")
                                         .arg(target));
        return;
    }
    // nor may the folder hold a "|"
    if (target.contains(QLatin1Char('|'))) {
        YMRDialog::critical(caption, tr("The file name\n%1\ncannot contain \"|\".").arg(target));
        return;
    }
    // Another book's file is never the target, also when only the folder
    // changed: the move would write over that book.
    const bool samePlace = !m_loadedPath.isEmpty()
                           && QDir::cleanPath(target) == QDir::cleanPath(m_loadedPath);
    if (!samePlace && QFileInfo(target).exists()) {
        YMRDialog::critical(caption, tr("Expense Book already exists."));
        return;
    }
    QDialog::accept();
}

void DBEditor::store(DBRecord *record)
{
    if (!m_index || !m_index->contains(record)) {
        Config cfg(YMRPIM::applicationName());
        cfg.setGroup(QStringLiteral("BookOptions"));
        cfg.writeEntry(QStringLiteral("defaultPath"), path->directory());
    }
    record->setTitle(title->text());
    record->setDescription(memo->toPlainText());
    record->setIconName(m_iconName);
    record->setPassword(m_password);
    record->setPath(bookFileName());
}

void DBEditor::selectPwd()
{
    PasswordDialog dialog(true, this);
    const QString typed = dialog.getPassword();
    // Cancel keeps the password; OK with both entries empty removes it
    if (!typed.isNull())
        m_password = typed;
}

void DBEditor::selectIcon()
{
    IconSelector chooser(this, nullptr, true);
    chooser.btnOk->setIconSet(YMRResource::loadIconSet(QStringLiteral("button_ok")));
    chooser.btnCancel->setIconSet(YMRResource::loadIconSet(QStringLiteral("button_cancel")));
    const QFileInfoList entries = QDir(DBManager::iconDirectory())
                                      .entryInfoList(QDir::AllEntries | QDir::System,
                                                     QDir::Name | QDir::IgnoreCase);
    BookIconListBoxItem *current = nullptr;
    for (const QFileInfo &entry : entries) {
        // a name that is no icon's would show the default picture under it
        const QString name = entry.baseName();
        if (!DBManager::isIconName(name))
            continue;
        const QPixmap pixmap = YMRResource::loadPixmap(DBManager::iconPicture(name));
        if (pixmap.isNull())
            continue;
        auto *item = new BookIconListBoxItem(chooser.list, pixmap, name);
        if (name == m_iconName)
            current = item;
    }
    if (current)
        chooser.list->setCurrentItem(current);
    YMRApplication::showMaximized(&chooser, true);
    if (chooser.exec() != QDialog::Accepted)
        return;
    auto *chosen = dynamic_cast<BookIconListBoxItem *>(chooser.list->item(chooser.list->currentItem()));
    if (!chosen)
        return;
    m_iconName = chosen->name();
    showIcon();
}
