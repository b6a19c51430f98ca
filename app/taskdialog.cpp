#include "taskdialog.h"

#include "remindereditor.h"
#include "taskeditor.h"
#include "pim/pimreminder.h"
#include "pim/pimtextedit.h"
#include "pim/pimtextwriter.h"
#include "pim/task.h"
#include "pim/taskmanager.h"
#include "pim/ymrpim.h"
#include "qt/ymraction.h"
#include "qt/ymramountvalidator.h"
#include "qt/ymrapplication.h"
#include "qt/ymdatetimeeditor.h"
#include "qt/ymrdialog.h"
#include "qt/ymrmainwindow.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"
#include "qt/ymrspinbox.h"
#include "qt/ymtabwidget.h"

#include <QBuffer>
#include <QCheckBox>
#include <QFileInfo>
#include <QHash>
#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

TaskDialog::TaskDialog(QWidget *parent, const char *name)
    : QDialog(parent)
{
    setObjectName(QString::fromLatin1(name ? name : "TaskDialog"));
    setModal(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_tabs = new YMTabWidget(this, "tabs");
    m_tabs->setTabFlags(45);
    m_tabs->setTabPosition(YMRMainWindow::isPortrait() ? 0 : 2);
    m_editor = new TaskEditor(m_tabs, "editor");
    m_memo = new PIMTextEdit(m_tabs);
    m_memo->setObjectName(QStringLiteral("memo"));
    m_memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_memo->setWordWrapMode(QTextOption::WrapAnywhere);
    m_reminder = new ReminderEditor(m_tabs, "reminder");
    m_tabs->addTab(m_editor, tr("Expense"), YMRResource::loadIconSet(QStringLiteral("lock")));
    m_tabs->addTab(m_memo, tr("Memo"), YMRResource::loadIconSet(QStringLiteral("info")));
    m_tabs->addTab(m_reminder, tr("Reminder"), YMRResource::loadIconSet(QStringLiteral("clock")));
    layout->addWidget(m_tabs, 1);
    layout->addSpacing(3);

    m_bar = new QWidget(this);
    m_bar->setObjectName(QStringLiteral("navigation"));
    auto *barLayout = new QVBoxLayout(m_bar);
    barLayout->setContentsMargins(0, 0, 0, 0);
    barLayout->setSpacing(0);
    barLayout->addSpacing(1);
    auto *line = new QFrame(m_bar);
    line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    barLayout->addWidget(line);
    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    barLayout->addLayout(row);

    struct Command {
        const char *name;
        const char *icon;
        const char *slot;
    };
    static const Command commands[] = {
        {"new", "filenew", SLOT(doNew())},      {"clone", "editcopy", SLOT(doClone())},
        {"delete", "remove", SLOT(doDelete())}, {"back", "back", SLOT(doBack())},
        {"forward", "forward", SLOT(doForward())}, {"start", "reload2", SLOT(doStart())},
        {"end", "reload", SLOT(doEnd())},
    };
    QHash<QString, YMRPushButton *> buttons;
    for (const Command &c : commands) {
        YMRAction *action =
            YMRAction::createAction(this, c.name, c.icon, this, c.slot, false, QString());
        auto *button = new YMRPushButton(m_bar, c.name);
        button->setAutoDefault(false);
        action->addTo(button);
        buttons.insert(QString::fromLatin1(c.name), button);
    }
    m_number = new YMRSpinBox(m_bar, "number");

    row->addWidget(buttons.value(QStringLiteral("new")));
    row->addWidget(buttons.value(QStringLiteral("clone")));
    row->addWidget(buttons.value(QStringLiteral("delete")));
    row->addSpacing(1);
    auto *vline = new QFrame(m_bar);
    vline->setFrameStyle(QFrame::VLine | QFrame::Sunken);
    row->addWidget(vline);
    row->addStretch();
    row->addWidget(buttons.value(QStringLiteral("start")));
    row->addWidget(buttons.value(QStringLiteral("back")));
    row->addSpacing(1);
    row->addWidget(m_number);
    row->addSpacing(1);
    row->addWidget(buttons.value(QStringLiteral("forward")));
    row->addWidget(buttons.value(QStringLiteral("end")));

    layout->addWidget(m_bar);
    layout->addSpacing(3);

    connect(m_number, qOverload<int>(&YMRSpinBox::valueChanged), this,
            &TaskDialog::recordSelected);
    // another page ends the entry of the page left, which a refusal keeps
    connect(m_tabs, &YMTabWidget::currentChanged, this, [this] { takeDates(); });
    m_editor->setDatesCheck([this] { return takeDates(); });
}

TaskDialog::~TaskDialog()
{
    delete m_copy;
}

int TaskDialog::exec(Task *task, int page, bool navigation)
{
    if (!navigation) {
        m_bar->setEnabled(false);
        m_bar->hide();
    }
    m_task = task;
    if (page == 0) {
        m_tabs->showPage(m_editor);
        m_editor->amount->setFocus();
        m_editor->amount->selectAll();
    } else if (page == 1) {
        m_tabs->showPage(m_memo);
    } else if (page == 3) {
        m_tabs->showPage(m_reminder);
        m_reminder->alarm->setFocus();
    }
    load();
    if (!m_task)
        return QDialog::Rejected;
    if (page == 0)
        m_editor->amount->selectAll();
    YMRApplication::showMaximized(this, true);
    const int result = QDialog::exec();
    if (result == QDialog::Accepted) {
        store();
        Task *copy = m_copy;
        m_copy = nullptr;
        m_task->store(copy);
    } else {
        if (m_task && !(m_task->manager() && m_task->manager()->contains(m_task)))
            delete m_task;
        delete m_copy;
        m_copy = nullptr;
    }
    m_task = nullptr;
    return result;
}

void TaskDialog::load()
{
    if (!m_task) {
        reject();
        return;
    }
    updateNavigation();
    m_task->select();
    delete m_copy;
    m_copy = nullptr;
    PIMManager *manager = m_task->manager();
    const bool held = manager && manager->contains(m_task);
    if (held)
        m_copy = new Task(*m_task);
    const QString base = manager ? QFileInfo(manager->fileName()).baseName() : QString();
    setWindowTitle((held ? tr("Expense") : tr("New Expense")) + QStringLiteral(" - ") + base);
    m_editor->load(m_task);
    m_memo->setPlainText(m_task->description);
    m_reminder->load(m_task->reminder);
    m_shownValues = pageValues();
}

QByteArray TaskDialog::pageValues() const
{
    if (!m_task)
        return QByteArray();
    // the pages are stored into a copy: the record itself stays as it is
    Task values(*m_task);
    m_editor->store(&values);
    values.description = m_memo->toPlainText();
    delete values.reminder;
    values.reminder = m_reminder->reminder();
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    {
        PIMTextWriter out(&bytes);
        values.write(out);
        out.flush();
    }
    // an amount that is no number yet is typed all the same
    return bytes.data() + m_editor->amount->text().toUtf8();
}

QString TaskDialog::unsavedInput() const
{
    if (!m_task || !isVisible() || pageValues() == m_shownValues)
        return QString();
    return tr("%1: the values typed in it were not stored").arg(windowTitle());
}

void TaskDialog::store()
{
    if (!m_task)
        return;
    m_editor->store(m_task);
    m_task->description = m_memo->toPlainText();
    delete m_task->reminder;
    m_task->reminder = m_reminder->reminder();
}

int TaskDialog::viewPosition() const
{
    PIMManager *manager = m_task ? m_task->manager() : nullptr;
    if (!manager)
        return 0;
    if (!manager->contains(m_task))
        return manager->view()->count();
    return manager->view()->find(m_task);
}

void TaskDialog::updateNavigation()
{
    PIMManager *manager = m_task ? m_task->manager() : nullptr;
    const int n = manager ? manager->view()->count() : 0;
    const bool held = manager && manager->contains(m_task);
    const int i = viewPosition();
    {
        const QSignalBlocker blocker(m_number);
        m_number->setRange(1, held ? qMax(n, 1) : n + 1);
        m_number->setValue(i + 1);
    }
    auto enable = [this](const char *name, bool on) {
        if (auto *a = qobject_cast<YMRAction *>(YMRAction::findAction(this, name)))
            a->setEnabled(on);
    };
    enable("back", i != 0);
    enable("start", i != 0);
    enable("forward", i < n - 1);
    enable("end", i < n - 1);
}

bool TaskDialog::commit()
{
    if (!m_task)
        return false;
    if (!takeDates() || !checkAmount())
        return false;
    store();
    Task *copy = m_copy;
    m_copy = nullptr;
    m_task->store(copy);
    return true;
}

void TaskDialog::showPosition(int position)
{
    PIMManager *manager = m_task ? m_task->manager() : nullptr;
    PIMRecordArray *view = manager ? manager->view() : nullptr;
    // nothing to step to: stay on the record just stored
    if (view && !view->isEmpty()) {
        if (position < 0 || position >= view->count())
            position = 0;
        m_task = static_cast<Task *>(view->at(position));
    }
    load();
}

void TaskDialog::doNew()
{
    if (!commit())
        return;
    PIMManager *manager = m_task->manager();
    if (auto *book = qobject_cast<TaskManager *>(manager))
        m_task = book->createWithDefaults();
    else
        m_task = new Task(manager);
    load();
}

void TaskDialog::doClone()
{
    if (!commit())
        return;
    auto *clone = new Task(*m_task);
    clone->newUid();
    clone->setCreated(QDateTime::currentDateTime());
    m_task = clone;
    load();
}

void TaskDialog::doDelete()
{
    if (!m_task)
        return;
    if (!YMRDialog::confirmDelete(
            tr("Are you sure you want to delete\nExpense [%1] ?").arg(m_task->type)))
        return;
    PIMManager *manager = m_task->manager();
    int i = -1;
    if (manager && manager->contains(m_task)) {
        i = manager->view()->find(m_task);
        manager->removeRecord(m_task);
    } else {
        delete m_task;
    }
    m_task = nullptr;
    delete m_copy;
    m_copy = nullptr;
    const int n = manager ? manager->view()->count() : 0;
    if (n == 0) {
        reject();
        return;
    }
    m_task = static_cast<Task *>(manager->view()->at(i != -1 && i < n ? i : n - 1));
    load();
}

void TaskDialog::doBack()
{
    if (!commit())
        return;
    PIMManager *manager = m_task->manager();
    const int n = manager ? manager->view()->count() : 0;
    const int i = manager ? manager->view()->find(m_task) : -1;
    showPosition((i >= 0 ? i : n) - 1);
}

void TaskDialog::doForward()
{
    if (!commit())
        return;
    PIMManager *manager = m_task->manager();
    const int n = manager ? manager->view()->count() : 0;
    const int i = manager ? manager->view()->find(m_task) : -1;
    showPosition(i >= 0 ? i + 1 : n - 1);
}

void TaskDialog::doStart()
{
    if (!commit())
        return;
    showPosition(0);
}

void TaskDialog::doEnd()
{
    if (!commit())
        return;
    PIMManager *manager = m_task->manager();
    showPosition(manager ? manager->view()->count() - 1 : 0);
}

void TaskDialog::recordSelected(int number)
{
    if (!commit()) {
        updateNavigation();
        return;
    }
    showPosition(number - 1);
}

bool TaskDialog::checkAmount()
{
    if (!YMRAmountValidator::read(m_editor->amount->text()))
        m_tabs->showPage(m_editor);
    return m_editor->checkAmount();
}

bool TaskDialog::takeDates()
{
    YMDateTimeEditor *refused = nullptr;
    if (YMDateTimeEditor::finishTypingIn(this, &refused))
        return true;
    for (QWidget *page : {static_cast<QWidget *>(m_editor), static_cast<QWidget *>(m_reminder)}) {
        if (page->isAncestorOf(refused) && m_tabs->currentPage() != page)
            m_tabs->showPage(page);
    }
    refused->setFocus();
    return false;
}

void TaskDialog::accept()
{
    if (!takeDates() || !checkAmount())
        return;
    QDialog::accept();
}
