#include "savepolicy.h"

#include "sharedwrite.h"
#include "taskdialog.h"

#include "pim/bookfile.h"
#include "pim/categorymanager.h"
#include "pim/dbmanager.h"
#include "pim/dbrecord.h"
#include "pim/taskmanager.h"
#include "pim/ymrpim.h"
#include "qpe/qpeapplication.h"
#include "qpe/unsavedfiles.h"
#include "qt/ymrdialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSessionManager>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// An end (a signal, a log-out) may be cut short by the session: the last
// tries start within this time.
const int EndBudgetMs = 3000;

QTimer *singleShot(QObject *parent, int ms)
{
    auto *timer = new QTimer(parent);
    timer->setSingleShot(true);
    timer->setInterval(ms);
    return timer;
}
} // namespace

SavePolicy::SavePolicy(DBManager *index, QWidget *noticeParent)
    : QObject(noticeParent),
      m_index(index)
{
    // a crash or kill -9 loses no more than the last few seconds
    m_idle = singleShot(this, 5000);
    // a user who never pauses still gets a save every minute
    m_deadline = singleShot(this, 60000);
    m_retry = singleShot(this, 30000);
    for (QTimer *t : {m_idle, m_deadline})
        connect(t, &QTimer::timeout, this, &SavePolicy::timedSave);
    connect(m_retry, &QTimer::timeout, this, &SavePolicy::retrySaves);

    // told here, not in a box that would take the keys being typed: the
    // buttons take no focus, so no key presses them
    m_notice = new QWidget(noticeParent);
    m_notice->setObjectName(QStringLiteral("saveNotice"));
    auto *box = new QVBoxLayout(m_notice);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(2);
    m_noticeText = new QLabel(m_notice);
    m_noticeText->setWordWrap(true);
    m_noticeText->setStyleSheet(QStringLiteral("color: #b00000;"));
    box->addWidget(m_noticeText);
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    m_keepOther = new QPushButton(tr("Keep Other"), m_notice);
    m_keepOther->setObjectName(QStringLiteral("keepOther"));
    m_writeOver = new QPushButton(tr("Write Over"), m_notice);
    m_writeOver->setObjectName(QStringLiteral("writeOver"));
    for (QPushButton *b : {m_keepOther, m_writeOver}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoDefault(false);
        row->addWidget(b);
    }
    box->addLayout(row);
    connect(m_keepOther, &QPushButton::clicked, this, [this] { chooseOtherVersion(true); });
    connect(m_writeOver, &QPushButton::clicked, this, [this] { chooseOtherVersion(false); });
    m_notice->hide();

    if (auto *app = qobject_cast<QPEApplication *>(qApp))
        connect(app, &QPEApplication::sessionEnding, this, &SavePolicy::noteTypedInput);
    connect(qApp, &QGuiApplication::commitDataRequest, this, &SavePolicy::commitData);

    connect(UnsavedFiles::instance(), &UnsavedFiles::changed, this, &SavePolicy::refresh);
    if (index)
        watchShared(index);
    // a write refused before the window was there (at the start)
    if (!UnsavedFiles::instance()->isEmpty())
        refresh();
}

SavePolicy::~SavePolicy() = default;

void SavePolicy::watch(TaskManager *store)
{
    if (!store || m_stores.contains(store))
        return;
    m_stores.append(store);
    connect(store, &PIMManager::changed, this, &SavePolicy::changed);
    // a sort or filter change puts the save off as well
    connect(store, &PIMManager::updated, m_idle, qOverload<>(&QTimer::start));
    connect(store, &PIMManager::saved, this, &SavePolicy::storeSaved);
    connect(store, &QObject::destroyed, this, [this, store] { m_stores.removeAll(store); });
    store->installEventFilter(this);
    if (store->categoryManager())
        watchShared(store->categoryManager());
}

void SavePolicy::watchShared(PIMManager *store)
{
    if (!store || m_shared.contains(store))
        return;
    m_shared.append(store);
    connect(store, &PIMManager::saved, this, [this, store](bool ok) { sharedSaved(store, ok); });
}

void SavePolicy::sharedSaved(PIMManager *store, bool ok)
{
    // the store's file keeps and retries what was not written (SharedFile)
    if (ok)
        return;
    // the notice is under the dialog that saved it; a clock's retry opens nothing
    if (!m_retrying && !m_finished && QApplication::activeModalWidget())
        SharedWrite::tell(store->sharedName(), store->saveFailure());
}

void SavePolicy::unwatch(TaskManager *store)
{
    if (!m_stores.removeAll(store))
        return;
    disconnect(store, nullptr, this, nullptr);
    disconnect(store, nullptr, m_idle, nullptr);
    store->removeEventFilter(this);
    refresh();
}

bool SavePolicy::eventFilter(QObject *watched, QEvent *e)
{
    // a store's request after many changes: saved now, as the clocks save
    if (e->type() == QEvent::Type(PIMManager::AutoSaveEvent)) {
        auto *store = qobject_cast<TaskManager *>(watched);
        if (store && m_stores.contains(store)) {
            store->save();
            return true;
        }
    }
    return QObject::eventFilter(watched, e);
}

void SavePolicy::changed()
{
    m_idle->start();
    if (!m_deadline->isActive())
        m_deadline->start();
}

void SavePolicy::timedSave()
{
    QList<TaskManager *> written;
    const QList<TaskManager *> stores = m_stores;
    for (TaskManager *store : stores) {
        if (store->isDirty() && store->save())
            written << store;
    }
    if (!written.isEmpty())
        emit wrote(written);
}

void SavePolicy::retrySaves()
{
    timedSave();
    m_retrying = true;
    UnsavedFiles::instance()->retryAll();
    m_retrying = false;
    refresh();
}

bool SavePolicy::saveAll()
{
    bool saved = true;
    const QList<TaskManager *> stores = m_stores;
    for (TaskManager *store : stores)
        saved = store->save() && saved;
    return saved;
}

void SavePolicy::storeSaved(bool ok)
{
    auto *store = qobject_cast<PIMManager *>(sender());
    if (!store)
        return;
    if (ok) {
        refresh();
        return;
    }
    showFailure(store);
    // trying again cannot help a book another program changed: it waits
    // for the user's choice
    if (!store->changedElsewhere() && !m_retry->isActive())
        m_retry->start();
}

void SavePolicy::refresh()
{
    bool dirty = false;
    PIMManager *failed = nullptr;
    for (TaskManager *store : qAsConst(m_stores)) {
        if (!store->isDirty())
            continue;
        dirty = true;
        // a book waiting for the user's choice stays in the notice
        if (!store->saveFailure().isEmpty() && (!failed || store->changedElsewhere()))
            failed = store;
    }
    if (!dirty)
        m_deadline->stop();
    const bool shared = !UnsavedFiles::instance()->isEmpty();
    if (shared && !m_retry->isActive())
        m_retry->start();
    if (failed) {
        showFailure(failed);
        return;
    }
    m_otherVersion = nullptr;
    if (shared) {
        showFailure(nullptr);
        return;
    }
    m_retry->stop();
    m_notice->hide();
}

QString SavePolicy::sharedText(bool afterBook) const
{
    QStringList lines = UnsavedFiles::instance()->lines();
    if (lines.isEmpty())
        return QString();
    // the list above keeps some room on a small screen; closing names them all
    const int shown = 2;
    if (lines.size() > shown + 1) {
        const int more = lines.size() - shown;
        lines = lines.mid(0, shown);
        lines << tr("and %n other file(s)", "", more);
    }
    // under a book's line, which says when they are tried again
    if (afterBook)
        return tr("Not saved either:\n%1").arg(lines.join(QLatin1Char('\n')));
    return tr("Not saved, tried again every %1 seconds:\n%2")
        .arg(m_retry->interval() / 1000)
        .arg(lines.join(QLatin1Char('\n')));
}

void SavePolicy::showFailure(PIMManager *store)
{
    const bool elsewhere = store && store->changedElsewhere();
    m_otherVersion = elsewhere ? store : nullptr;
    if (!store)
        m_noticeText->clear();
    else if (elsewhere && store->bookFile()->conflict() == BookFile::Gone)
        m_noticeText->setText(
            tr("Expense Book [%1] was deleted or moved away by another program; the changes "
               "made here are not saved.\nKeep Other lets the book go, Write Over writes it again.")
                .arg(storeName(store)));
    else if (elsewhere)
        m_noticeText->setText(
            tr("Expense Book [%1] was changed by another program; the changes made here "
               "are not saved.\nKeep Other loses them, Write Over loses the other program's.")
                .arg(storeName(store)));
    else
        m_noticeText->setText(tr("Expense Book [%1] was not saved: %2.\n"
                                 "It is tried again every %3 seconds.")
                                  .arg(storeName(store), store->saveFailure())
                                  .arg(m_retry->interval() / 1000));
    const QString shared = sharedText(store && !elsewhere);
    if (!shared.isEmpty())
        m_noticeText->setText(store ? m_noticeText->text() + QLatin1Char('\n') + shared : shared);
    m_keepOther->setVisible(elsewhere);
    m_writeOver->setVisible(elsewhere);
    m_notice->show();
}

void SavePolicy::chooseOtherVersion(bool keepOther)
{
    if (m_otherVersion)
        emit otherVersionChosen(m_otherVersion, keepOther);
}

PIMManager *SavePolicy::otherVersionStore() const
{
    return m_otherVersion;
}

QString SavePolicy::noticeText() const
{
    return m_notice->isVisibleTo(m_notice->parentWidget()) ? m_noticeText->text() : QString();
}

QString SavePolicy::storeName(const PIMManager *store) const
{
    const DBRecord *record = m_index ? m_index->findByPath(store->fileName()) : nullptr;
    return record && !record->title().isEmpty() ? record->title()
                                                : QFileInfo(store->fileName()).fileName();
}

QString SavePolicy::unsavedText() const
{
    QStringList lines;
    for (const TaskManager *store : qAsConst(m_stores)) {
        if (store->isDirty() && !store->saveFailure().isEmpty())
            lines << tr("Expense Book [%1] (%2) was not saved: %3")
                         .arg(storeName(store), store->fileName(), store->saveFailure());
    }
    if (!m_sharedLetGo) {
        for (const QString &line : UnsavedFiles::instance()->lines())
            lines << tr("Not saved: %1").arg(line);
    }
    return lines.join(QLatin1Char('\n'));
}

void SavePolicy::noteTypedInput()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows) {
        auto *dialog = qobject_cast<TaskDialog *>(w);
        const QString reason = dialog ? dialog->unsavedInput() : QString();
        if (reason.isEmpty())
            continue;
        auto known = std::find_if(m_typed.begin(), m_typed.end(),
                                  [dialog](const TypedInput &t) { return t.dialog == dialog; });
        if (known != m_typed.end()) {
            known->reason = reason;
            continue;
        }
        m_typed.append({dialog, reason});
        // the user still finished it (a log-out that was cancelled): nothing lost
        connect(dialog, &QDialog::finished, this, [this, dialog] {
            if (QPEApplication::isEndingSession())
                return;
            m_typed.erase(std::remove_if(m_typed.begin(), m_typed.end(),
                                         [dialog](const TypedInput &t) { return t.dialog == dialog; }),
                          m_typed.end());
        });
    }
}

void SavePolicy::commitData(QSessionManager &session)
{
    noteTypedInput();
    emit sessionSaving();
    // when that fails and the manager allows a question, the user may keep
    // the program running
    if (saveAll() || !session.allowsInteraction() || !m_askAtEnd)
        return;
    if (!m_askAtEnd())
        session.cancel();
    session.release();
}

int SavePolicy::askTryAgain(const QString &text)
{
    return YMRDialog::message3(YMRPIM::applicationName(), text, "dialog_critical", tr("Try Again"),
                               "reload", tr("Lose Changes"), "delete", tr("Cancel"),
                               "button_cancel", 1, 3);
}

bool SavePolicy::confirmSharedEnd()
{
    for (;;) {
        UnsavedFiles *files = UnsavedFiles::instance();
        if (files->isEmpty() || files->retryAll() == 0)
            return true;
        const int answer = askTryAgain(tr("Not saved:\n%1\nTry again, or close and lose the changes?")
                                           .arg(files->lines().join(QLatin1Char('\n'))));
        if (answer == 1)
            continue;
        if (answer != 2)
            return false;
        m_sharedLetGo = true;
        return true;
    }
}

QString SavePolicy::finish()
{
    QStringList lines;
    if (!m_finished) {
        // One try each, the report below names what is unsaved after it:
        // an end waits a few seconds at most, whatever holds a lock.
        QElapsedTimer clock;
        clock.start();
        // what the window keeps of the session goes to the settings now,
        // where the report below still names it if unsaved
        emit sessionSaving();
        const QList<TaskManager *> stores = m_stores;
        for (TaskManager *store : stores) {
            if (!store->isDirty())
                continue;
            if (clock.elapsed() < EndBudgetMs)
                store->save();
            else if (store->saveFailure().isEmpty())
                lines << tr("Expense Book [%1] (%2) was not saved: the program ended first")
                             .arg(storeName(store), store->fileName());
        }
        // one whose save failed is retried with the other unsaved files
        for (PIMManager *store : qAsConst(m_shared)) {
            if (store && store->isDirty() && store->saveFailure().isEmpty()
                && clock.elapsed() < EndBudgetMs)
                store->save();
        }
        if (!m_sharedLetGo && clock.elapsed() < EndBudgetMs) {
            m_retrying = true;
            UnsavedFiles::instance()->retryAll();
            m_retrying = false;
        }
        m_finished = true;
    }
    for (const TypedInput &t : qAsConst(m_typed))
        lines << t.reason;
    const QString unsaved = unsavedText();
    if (!unsaved.isEmpty())
        lines << unsaved;
    // nothing is written after this report (the window's end would try
    // again and wait again): what it names as unsaved stays so
    for (TaskManager *store : qAsConst(m_stores))
        store->forgetChanges();
    for (PIMManager *store : qAsConst(m_shared)) {
        if (store && !m_sharedLetGo && !store->saveFailure().isEmpty())
            store->forgetChanges();
    }
    return lines.join(QLatin1Char('\n'));
}
