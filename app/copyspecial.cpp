#include "copyspecial.h"

#include "dbdialog.h"
#include "todowindow.h"

#include "pim/dbmanager.h"
#include "pim/dbrecord.h"
#include "pim/movejournal.h"
#include "pim/task.h"
#include "pim/taskmanager.h"
#include "pim/taskselectlistview.h"
#include "pim/ymrpim.h"
#include "qpe/config.h"
#include "qt/ymrapplication.h"
#include "qt/ymrdialog.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"

#include <QFrame>
#include <QGridLayout>

CopySpecial::CopySpecial(DBManager *index, TaskManager *book, QWidget *parent, const char *name)
    : QDialog(parent)
    , m_index(index)
    , m_source(book)
{
    setObjectName(QString::fromLatin1(name ? name : "CopySpecial"));
    setModal(true);
    clearSelection();
    setWindowTitle(tr("Copy Special") + QStringLiteral(" ..."));

    m_list = new TaskSelectListView(this, "main");
    m_list->setPaging(true);
    // the dialog's margins must not push it past a 240-pixel screen
    m_list->setMinimumWidth(1);

    auto *buttons = new QGridLayout();
    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    buttons->addWidget(line, 0, 0, 1, 2);
    m_copy = new YMRPushButton(YMRResource::loadIconSet(QStringLiteral("editcopy")),
                               tr("Copy to") + QStringLiteral(" ..."), this, "copy");
    m_move = new YMRPushButton(YMRResource::loadIconSet(QStringLiteral("editcut")),
                               tr("Move to") + QStringLiteral(" ..."), this, "move");
    // on a 240-pixel screen the buttons take a little less than they ask
    m_copy->setMinimumWidth(1);
    m_move->setMinimumWidth(1);
    buttons->addWidget(m_copy, 1, 0);
    buttons->addWidget(m_move, 1, 1);
    connect(m_copy, &QPushButton::clicked, this, &CopySpecial::doCopy);
    connect(m_move, &QPushButton::clicked, this, &CopySpecial::doMove);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(3, 3, 3, 3);
    grid->setSpacing(3);
    grid->addWidget(m_list, 0, 0);
    grid->addLayout(buttons, 1, 0);

    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(QStringLiteral("Options"));
    m_list->setColorMode(cfg.readNumEntry(QStringLiteral("colormode"), 1));
    m_list->setManager(m_source, true);
    m_list->readCurrencyFormats();
    m_list->readDateFormats();

    cfg.setGroup(QStringLiteral("main_columns"));
    QList<int> columns{TaskSelectListView::CheckColumn};
    const QStringList ids =
        cfg.readEntry(QStringLiteral("column")).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString &id : ids)
        columns.append(id.toInt());
    m_list->setColumns(columns);
    m_list->init();

    YMRApplication::showMaximized(this, true);
}

CopySpecial::~CopySpecial()
{
    closeDestination();
    clearSelection();
    m_marked.clear();
}

void CopySpecial::clearSelection()
{
    if (!m_source)
        return;
    PIMRecordArray *view = m_source->view();
    for (int i = 0; i < view->count(); ++i) {
        PIMRecord *r = view->at(i);
        if (r->hasProperty(TaskSelectListView::markProperty()))
            r->removeProperty(TaskSelectListView::markProperty());
    }
}

bool CopySpecial::chooseDestination()
{
    m_marked.clear();
    if (!m_source)
        return false;
    PIMRecordArray *view = m_source->view();
    for (int i = 0; i < view->count(); ++i) {
        PIMRecord *r = view->at(i);
        if (r->hasProperty(TaskSelectListView::markProperty()))
            m_marked.append(r);
    }
    if (m_marked.isEmpty()) {
        YMRDialog::critical(YMRPIM::applicationName(), tr("No one record was selected!"));
        return false;
    }
    QString path;
    {
        DBDialog dialog(m_index, QString(), this);
        dialog.setSelectMode(m_source->fileName());
        if (dialog.exec() == QDialog::Accepted)
            path = dialog.selectedPath();
    }
    DBRecord *record = path.isEmpty() ? nullptr : m_index->findByPath(path);
    if (!record || path == m_source->fileName())
        return false;
    m_index->refreshRecord(record);
    if (!DBManager::checkPassword(record))
        return false;
    m_destination = new TaskManager(path, false, false);
    // a book another copy of the program has open is not written behind its back
    QString holder;
    if (!m_destination->lockFile(&holder)) {
        YMRDialog::critical(YMRPIM::applicationName(),
                            tr("Expense Book [%1] is open in another program:\n%2\n"
                               "Close it there first.").arg(record->title(), holder));
        closeDestination();
        return false;
    }
    if (!m_destination->load()) {
        // an unreadable book is never written over
        QString text = tr("Cannot read Expense Book [%1]:\n%2").arg(record->title(), path);
        if (!m_destination->loadFailure().isEmpty())
            text += QLatin1Char('\n') + m_destination->loadFailure();
        YMRDialog::critical(YMRPIM::applicationName(), text);
        closeDestination();
        return false;
    }
    // what could be read of a damaged book takes the records, its file as
    // it was kept beside it; the user hears of it as an open tells
    if (m_destination->isDamaged())
        YMRDialog::warning(YMRPIM::applicationName(), ToDoWindow::damagedText(m_destination, record->title()));
    return true;
}

void CopySpecial::closeDestination()
{
    delete m_destination;
    m_destination = nullptr;
}

namespace {
void (*s_stepHook)(CopySpecial::Step) = nullptr;

void step(CopySpecial::Step at)
{
    if (s_stepHook)
        s_stepHook(at);
}
} // namespace

void CopySpecial::setStepHook(void (*hook)(Step))
{
    s_stepHook = hook;
}

bool CopySpecial::copyMarked(MoveJournal *journal, MoveJournal::Kind kind)
{
    bool saved = false;
    QString failure;
    {
        // one write of the alarm list and the defaults for all the copies,
        // the list holding only those the book holds on disk
        const TaskManager::Stroke stroke(m_destination);
        QList<Task *> copies;
        QList<MoveJournal::Pair> pairs;
        {
            Progress progress(tr("Copying ..."), m_marked.size(), this);
            for (PIMRecord *r : qAsConst(m_marked)) {
                auto *task = dynamic_cast<Task *>(r);
                if (task) {
                    auto *copy = new Task(*task);
                    copy->newUid();
                    copy->removeProperty(TaskSelectListView::markProperty());
                    m_destination->addRecord(copy);
                    copies.append(copy);
                    pairs.append(qMakePair(task->uidString(), copy->uidString()));
                }
                progress.step();
            }
        }
        // what is about to be done is on disk first: a kill from here on
        // is finished or undone by the next start
        step(BeforeRecord);
        if (!journal->begin(kind, m_source->fileName(), m_destination->fileName(), pairs)) {
            failure = tr("Cannot write to file:\n%1").arg(MoveJournal::folder()) + QLatin1Char('\n')
                      + journal->failure();
        } else {
            step(BeforeDestination);
            if (!(saved = m_destination->save()))
                failure = tr("Cannot write to file:\n%1").arg(m_destination->fileName()) + QLatin1Char('\n')
                          + m_destination->saveFailure();
        }
        if (saved) {
            step(BeforeDestinationAlarms);
        } else {
            journal->end();
            // the copies go, their alarms with them: the destination's file
            // stays as it was
            for (Task *copy : qAsConst(copies))
                m_destination->removeRecord(copy);
            m_destination->forgetChanges();
        }
    }
    if (saved)
        return true;
    YMRDialog::critical(YMRPIM::applicationName(), failure);
    closeDestination();
    return false;
}

CopySpecial::Progress::Progress(const QString &label, int count, QWidget *parent)
    : m_dialog(label, QString(), 0, count, parent)
{
    // shown where the stroke takes over a second; the window is drawn
    // meanwhile, and takes no input
    m_dialog.setWindowModality(Qt::WindowModal);
    m_dialog.setMinimumDuration(1000);
    m_dialog.setValue(0);
}

void CopySpecial::Progress::step()
{
    m_dialog.setValue(++m_done);
}

void CopySpecial::doCopy()
{
    if (!chooseDestination())
        return;
    MoveJournal journal;
    if (!copyMarked(&journal, MoveJournal::Copy))
        return;
    step(BeforeRecordEnds);
    journal.end();
    YMRDialog::information(YMRPIM::applicationName(),
                           tr("%1 records was copied successful.").arg(m_marked.size()));
    closeDestination();
}

void CopySpecial::doMove()
{
    if (!chooseDestination())
        return;
    // the records leave the source only once the destination holds them on disk
    MoveJournal journal;
    if (!copyMarked(&journal, MoveJournal::Move))
        return;
    const int moved = m_marked.size();
    bool saved = false;
    {
        // all of them at once, and their alarms leave the list only once
        // the book is written without them
        const TaskManager::Stroke stroke(m_source);
        m_source->removeRecords(m_marked);
        m_marked.clear();
        step(BeforeSource);
        saved = m_source->save();
        if (saved)
            step(BeforeSourceAlarms);
    }
    closeDestination();
    if (!saved) {
        // the next start takes them out of the source's file, if no save
        // here has done so by then
        journal.keep();
        YMRDialog::critical(YMRPIM::applicationName(),
                            tr("Cannot write to file:\n%1").arg(m_source->fileName()));
        return;
    }
    step(BeforeRecordEnds);
    journal.end();
    YMRDialog::information(YMRPIM::applicationName(),
                           tr("%1 records was moved successful.").arg(moved));
}
