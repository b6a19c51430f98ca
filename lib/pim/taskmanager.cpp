#include "taskmanager.h"

#include "categorymanager.h"
#include "pimreminder.h"
#include "pimtextwriter.h"
#include "task.h"
#include "ymrpim.h"

#include "qpe/alarmserver.h"
#include "qpe/loadbudget.h"
#include "qpe/wallclock.h"
#include "qpe/config.h"

#include <QDateTime>
#include <QtConcurrentRun>

#include <vector>

#include <climits>
#include <QDir>
#include <QFileInfo>

CategoryManager *TaskManager::s_categoryManager = nullptr;
bool TaskManager::s_categoryReleasePending = false;

namespace {
// A 1,000,000-expense book is about 210 MB.
const qint64 MaxBookSize = 512 * 1024 * 1024;
qint64 s_maxBookSize = MaxBookSize;
// The expense fields 0 to 10 are the sort columns.
const int ExpenseColumns = 11;
// Records an opening looks through for reminders as one piece of work on
// Qt's thread pool.
const int RecordsPerLook = 8192;
}

qint64 TaskManager::maxBookSize()
{
    return s_maxBookSize;
}

void TaskManager::setMaxBookSize(qint64 size)
{
    s_maxBookSize = size > 0 ? size : MaxBookSize;
}

qint64 TaskManager::fileSizeLimit() const
{
    return s_maxBookSize;
}

int TaskManager::sortColumnCount() const
{
    return ExpenseColumns;
}

namespace {

QList<TaskManager *> &openStores()
{
    static QList<TaskManager *> stores;
    return stores;
}

const char AlarmChannel[] = "QPE/Application/ymrOutlays";

QString settingsName()
{
    return YMRPIM::applicationName();
}

QString canonicalPath(const QString &path)
{
    const QFileInfo fi(path);
    const QString canonical = fi.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(fi.absoluteFilePath()) : canonical;
}

// When a reminder rings: at the wall time it shows, here, in the showing it
// names; where the clocks skip that time (a reminder kept from before the
// editor moved such times), at the first moment after it.
QDateTime ringTime(const PIMReminder *reminder)
{
    return WallClock::moment(reminder->dateTime);
}

bool inFuture(const PIMReminder *reminder)
{
    return reminder && ringTime(reminder) > AlarmServer::instance()->now();
}

} // namespace

TaskManager::TaskManager(const QString &fileName, bool templates, bool headerOnly)
    : PIMManager(QStringLiteral("expense"), fileName, templates, headerOnly, nullptr)
{
    setCategoryManager(sharedCategoryManager());
    openStores().append(this);
}

TaskManager::~TaskManager()
{
    // a header-only save asks this store whether the book reads whole: it
    // is saved while the store is one
    if (isHeaderOnly())
        saveOnDestroy();
    openStores().removeAll(this);
    // a release of the shared category store waits for the last book; the
    // base's save needs no categories
    setCategoryManager(nullptr);
    if (s_categoryReleasePending && openStores().isEmpty())
        releaseSharedCategoryManager();
}

void TaskManager::setDescription(const QString &description)
{
    m_description = description;
    markDirty();
}

void TaskManager::setIcon(const QString &icon)
{
    m_icon = icon;
    markDirty();
}

void TaskManager::setPassword(const QString &password)
{
    m_password = password;
    markDirty();
}

void TaskManager::setFilters(const QList<TaskFilter> &filters)
{
    m_filters = filters;
    m_currentFilter = -1;
    markDirty();
    refilter();
    emit updated();
}

void TaskManager::setCurrentFilter(int index)
{
    m_currentFilter = index;
    markDirty();
    refilter();
    emit updated();
}

void TaskManager::setFindFilter(const TaskFilter &filter)
{
    m_findFilter = filter;
    setCurrentFilter(-2);
}

Task *TaskManager::createWithDefaults()
{
    Task *task = new Task(this);
    Config config(settingsName());
    config.setGroup(QStringLiteral("Default"));
    task->type = config.readEntry(QStringLiteral("type"));
    task->currency = config.readEntry(QStringLiteral("cur"));
    task->city = config.readEntry(QStringLiteral("city"));
    task->account = config.readEntry(QStringLiteral("account"));
    task->setCategories(config.readEntry(QStringLiteral("cats"))
                            .split(QLatin1Char('|'), Qt::SkipEmptyParts));
    return task;
}

void TaskManager::saveDefaults(PIMRecord *record)
{
    Task *task = dynamic_cast<Task *>(record);
    if (!task)
        return;
    if (m_strokes > 0)
        m_strokeDefaults = defaultsOf(task);
    else
        writeDefaults(defaultsOf(task));
}

QStringList TaskManager::defaultsOf(const Task *task)
{
    return {task->type, task->currency, task->city, task->account, task->categories().join(QLatin1Char('|'))};
}

void TaskManager::writeDefaults(const QStringList &values)
{
    Config config(settingsName());
    config.setGroup(QStringLiteral("Default"));
    const char *const keys[] = {"type", "cur", "city", "account", "cats"};
    for (int i = 0; i < 5; ++i)
        config.writeEntry(QLatin1String(keys[i]), values.value(i));
}

TaskManager::Stroke::Stroke(TaskManager *book)
    : m_book(book)
{
    ++m_book->m_strokes;
    m_book->holdAutoSave(true);
    if (!m_book->isTemplates())
        m_alarms.emplace();
}

TaskManager::Stroke::~Stroke()
{
    m_book->holdAutoSave(false);
    if (--m_book->m_strokes == 0 && !m_book->m_strokeDefaults.isEmpty()) {
        writeDefaults(m_book->m_strokeDefaults);
        m_book->m_strokeDefaults.clear();
    }
    if (m_alarms && !m_alarms->release())
        qWarning("TaskManager: the alarm list is not written yet; it is tried again");
}

QByteArray TaskManager::alarmMessage(const PIMRecord *record)
{
    static const char Call[] = "alarm(QDateTime,int)";
    const int call = int(sizeof(Call)) - 1;
    if (!record)
        return QByteArray(Call, call);
    // the UID's text written in place: a book opened asks for thousands
    char text[37];
    record->uidText(text);
    QByteArray msg(call + 36, Qt::Uninitialized);
    memcpy(msg.data(), Call, size_t(call));
    memcpy(msg.data() + call, text, 36);
    return msg;
}

QByteArray TaskManager::alarmChannel()
{
    return QByteArray(AlarmChannel);
}

int TaskManager::bookKey(const QString &path)
{
    // the same before the book's first save as after it: a file not there
    // yet is named by its folder's canonical path
    const QFileInfo fi(path);
    QString name = fi.canonicalFilePath();
    if (name.isEmpty()) {
        const QString dir = fi.absoluteDir().canonicalPath();
        name = dir.isEmpty() ? QDir::cleanPath(fi.absoluteFilePath()) : dir + QLatin1Char('/') + fi.fileName();
    }
    // FNV-1a of the path's UTF-8, kept to 31 bits: the list's data is a
    // number every version reads
    const QByteArray bytes = name.toUtf8();
    quint32 h = 2166136261u;
    for (const char c : bytes) {
        h ^= quint8(c);
        h *= 16777619u;
    }
    const int key = int(h & 0x7fffffffu);
    return key != 0 ? key : 1;
}

int TaskManager::alarmKey() const
{
    if (m_alarmKey == 0 || m_alarmKeyOf != fileName()) {
        m_alarmKeyOf = fileName();
        m_alarmKey = bookKey(m_alarmKeyOf);
    }
    return m_alarmKey;
}

bool TaskManager::setsAlarmAt(const Task *task, const QDateTime &when)
{
    if (!task || !task->reminder)
        return false;
    if (!when.isValid())
        return true;
    if (ringTime(task->reminder).toSecsSinceEpoch() == when.toSecsSinceEpoch())
        return true;
    // the list's wall time rings in the zone in force: one kept from
    // another zone, or in a repeated hour's other showing, is still its own
    const auto seconds = [](const QTime &t) { return t.msecsSinceStartOfDay() / 1000; };
    const QDateTime &wall = task->reminder->dateTime;
    return wall.date() == when.date() && seconds(wall.time()) == seconds(when.time());
}

void TaskManager::registerAlarm(Task *task)
{
    if (!AlarmServer::addAlarm(ringTime(task->reminder), AlarmChannel, alarmMessage(task), alarmKey()))
        qWarning("TaskManager: the reminder of %s is not in the alarm list", qPrintable(task->uidString()));
}

void TaskManager::takeRegisteredMoment(Task *task)
{
    PIMReminder *reminder = task ? task->reminder : nullptr;
    // only a repeated wall time has another moment; one the reminder
    // holds already is its own
    if (!reminder || WallClock::chosenOffset(reminder->dateTime) != WallClock::NoOffset)
        return;
    const QDateTime moment = ringTime(reminder);
    if (WallClock::repeatedOffset(moment) == WallClock::NoOffset)
        return;
    // the book's own entry, or an earlier version's
    const auto *book = qobject_cast<const TaskManager *>(task->manager());
    const QByteArray message = alarmMessage(task);
    QDateTime there;
    if (book)
        there = AlarmServer::instance()->registered(moment, AlarmChannel, message, book->alarmKey());
    if (!there.isValid())
        there = AlarmServer::instance()->registered(moment, AlarmChannel, message, 0);
    if (WallClock::chosenOffset(there) != WallClock::NoOffset)
        reminder->dateTime = there;
}

void TaskManager::cancelAlarm(Task *task)
{
    // an earlier version's entry of it too, which names no book
    const QDateTime when = ringTime(task->reminder);
    const QByteArray message = alarmMessage(task);
    if (!AlarmServer::deleteAlarms({{when, AlarmChannel, message, alarmKey()}, {when, AlarmChannel, message, 0}}))
        qWarning("TaskManager: the reminder of %s stays in the alarm list", qPrintable(task->uidString()));
}

template <typename Records>
void TaskManager::cancelAlarms(const Records &records)
{
    QVector<AlarmServer::Alarm> alarms;
    const int key = alarmKey();
    for (PIMRecord *r : records) {
        const Task *task = dynamic_cast<const Task *>(r);
        if (task && task->reminder) {
            const QDateTime when = ringTime(task->reminder);
            const QByteArray message = alarmMessage(r);
            alarms.append({when, AlarmChannel, message, key});
            alarms.append({when, AlarmChannel, message, 0});
        }
    }
    if (!alarms.isEmpty() && !AlarmServer::deleteAlarms(alarms))
        qWarning("TaskManager: the reminders of %d expenses stay in the alarm list", alarms.size());
}

bool TaskManager::removeAll()
{
    // The base removes without its per-record hooks; the alarms of the
    // purged expenses would otherwise ring for records that are gone.
    if (!isTemplates()) {
        const Stroke stroke(this);
        cancelAlarms(*records());
    }
    return PIMManager::removeAll();
}

CategoryManager *TaskManager::sharedCategoryManager()
{
    s_categoryReleasePending = false;
    if (!s_categoryManager) {
        s_categoryManager = new CategoryManager();
        s_categoryManager->loadOrDefault();
    }
    return s_categoryManager;
}

void TaskManager::releaseSharedCategoryManager()
{
    // books still open point to it: it goes with the last of them
    if (!openStores().isEmpty()) {
        s_categoryReleasePending = true;
        return;
    }
    s_categoryReleasePending = false;
    if (s_categoryManager) {
        CategoryManager *store = s_categoryManager;
        s_categoryManager = nullptr;
        delete store;
    }
}

namespace {

// Case is ignored one way in every condition: Unicode simple case folding
// (Qt::CaseInsensitive), with the capital dotted I taken as "i", which that
// folding leaves alone (lowering it gives "i" plus a combining dot instead).
QString foldDottedI(const QString &s)
{
    const QChar dotted(0x130);
    if (!s.contains(dotted))
        return s;
    QString t = s;
    return t.replace(dotted, QLatin1Char('i'));
}

} // namespace

bool TaskManager::matchesText(const QString &value, const QString &text, int condition)
{
    switch (condition) {
    case FilterCondition::Contains:
        return foldDottedI(text).contains(foldDottedI(value), Qt::CaseInsensitive);
    case FilterCondition::Is: return text == value;
    case FilterCondition::DoesNotContain:
        return !foldDottedI(text).contains(foldDottedI(value), Qt::CaseInsensitive);
    case FilterCondition::IsEmpty: return text.isEmpty();
    case FilterCondition::IsNotEmpty: return !text.isEmpty();
    case FilterCondition::StartsWith:
        return foldDottedI(text).startsWith(foldDottedI(value), Qt::CaseInsensitive);
    case FilterCondition::EndsWith:
        return foldDottedI(text).endsWith(foldDottedI(value), Qt::CaseInsensitive);
    default: return false;
    }
}

bool TaskManager::matchesAnyText(const QString &value, const QStringList &texts, int condition)
{
    for (const QString &text : texts) {
        if (matchesText(value, text, condition))
            return true;
    }
    return false;
}

bool TaskManager::readsWhole(const QString &path)
{
    // read as a book opens: its reader, its limits, its memory
    TaskManager book(path, false, false);
    book.m_checkOnly = true;
    const bool whole = book.load() && !book.isDamaged();
    book.forgetChanges();
    return whole;
}

bool TaskManager::recordPartReadsWhole()
{
    const QFileInfo file(fileName());
    return (!file.exists() && !file.isSymLink()) || readsWhole(fileName());
}

TaskManager *TaskManager::openStore(const QString &path)
{
    if (path.isEmpty())
        return nullptr;
    const QString wanted = canonicalPath(path);
    for (TaskManager *store : openStores()) {
        if (store->isHeaderOnly() || store->isTemplates())
            continue;
        if (canonicalPath(store->fileName()) == wanted)
            return store;
    }
    return nullptr;
}

PIMRecord *TaskManager::createRecord()
{
    return new Task(this);
}

bool TaskManager::accept(PIMRecord *record)
{
    const Task *task = dynamic_cast<Task *>(record);
    if (m_currentFilter == -2)
        return m_findFilter.accepts(task);
    // An index that names no saved filter lets every expense pass.
    if (m_currentFilter >= 0 && m_currentFilter < m_filters.size())
        return m_filters.at(m_currentFilter).accepts(task);
    return true;
}

bool TaskManager::filtering() const
{
    return m_currentFilter == -2 || (m_currentFilter >= 0 && m_currentFilter < m_filters.size());
}

void TaskManager::writeHeader(PIMTextWriter &out)
{
    PIMManager::writeHeader(out);
    out.writeValueIfAny("DESC=", m_description);
    out.writeValueIfAny("ICON=", m_icon);
    out.writeValueIfAny("PWD=", m_password);
    if (!m_filters.isEmpty()) {
        out.writeValue("FILTERS=", TaskFilter::toText(m_filters));
        // The find filter is transient: a book never reopens with it.
        out.writeNumber("CFILTER=", m_currentFilter == -2 ? -1 : m_currentFilter);
    }
}

void TaskManager::readHeader(QStringList &parts)
{
    const QString key = parts.value(0);
    if (key == QLatin1String("FILTERS")) {
        TaskFilter::parseText(YMRPIM::decodeValue(parts), m_filters);
    } else if (key == QLatin1String("CFILTER")) {
        // 0 when empty or not a number, as ever; none when out of range
        m_currentFilter = headerNumber(parts.value(1), -1, INT_MAX, -1);
    } else if (key == QLatin1String("DESC")) {
        m_description = YMRPIM::decodeValue(parts);
    } else if (key == QLatin1String("ICON")) {
        m_icon = YMRPIM::decodeValue(parts);
    } else if (key == QLatin1String("PWD")) {
        m_password = YMRPIM::decodeValue(parts);
    } else {
        PIMManager::readHeader(parts);
    }
}

qint64 TaskManager::headerCost(const QStringList &parts) const
{
    if (parts.value(0) != QLatin1String("FILTERS"))
        return 0;
    // a short text makes many conditions: each is counted
    QList<TaskFilter> filters;
    QStringList value = parts;
    TaskFilter::parseText(YMRPIM::decodeValue(value), filters);
    qint64 bytes = 0;
    for (const TaskFilter &f : qAsConst(filters)) {
        bytes += LoadBudget::heapBytes(sizeof(TaskFilter)) + 8;
        for (const FilterCondition &c : f.conditions)
            bytes += LoadBudget::heapBytes(sizeof(FilterCondition)) + 8 + 2 * qint64(c.text.size());
    }
    return bytes;
}

void TaskManager::clearHeader()
{
    m_filters.clear();
    m_currentFilter = -1;
    m_description = QString();
    m_icon = QString();
    m_password = QString();
    PIMManager::clearHeader();
}

void TaskManager::recordAdded(PIMRecord *record)
{
    if (isTemplates())
        return;
    saveDefaults(record);
    Task *task = dynamic_cast<Task *>(record);
    if (task && inFuture(task->reminder))
        registerAlarm(task);
}

void TaskManager::recordUpdated(PIMRecord *old, PIMRecord *record)
{
    if (isTemplates() || !old)
        return;
    Task *before = dynamic_cast<Task *>(old);
    Task *task = dynamic_cast<Task *>(record);
    if (before && before->reminder) {
        takeRegisteredMoment(before);
        if (task && task->reminder)
            task->reminder->keepMomentOf(*before->reminder);
        // an alarm the change leaves as it was is not taken out and put back:
        // a mark set on many expenses writes no alarm list
        if (!task || !inFuture(task->reminder) || ringTime(task->reminder) != ringTime(before->reminder)
            || alarmMessage(task) != alarmMessage(before))
            cancelAlarm(before);
    }
    if (task && inFuture(task->reminder))
        registerAlarm(task);
}

void TaskManager::recordRemoved(PIMRecord *record)
{
    if (isTemplates())
        return;
    Task *task = dynamic_cast<Task *>(record);
    if (task && task->reminder)
        cancelAlarm(task);
}

void TaskManager::recordsRemoved(const QList<PIMRecord *> &records)
{
    if (!isTemplates())
        cancelAlarms(records);
}

void TaskManager::loaded()
{
    PIMManager::loaded();
    if (isTemplates() || m_checkOnly || isHeaderOnly())
        return;
    // the alarms the opening moves and lists, written once
    const AlarmServer::WriteHold hold;
    if (!twinsAtLoad().isEmpty())
        followRenamedAlarms();
    listReminders(loadingWhole());
}

void TaskManager::listReminders(bool whole)
{
    // one listed already is left as it is, in either showing of a repeated
    // wall time (an earlier version kept a chosen one in the list alone); a
    // book whose reminders are all listed writes nothing
    const PIMRecordArray &all = *records();
    // the expenses with a reminder, looked for piece by piece on Qt's
    // thread pool: a pass over 100,000 of them on one thread costs more
    // than the rest of this. Every record of a book is a Task
    // (createRecord() makes them) and nothing changes them meanwhile.
    const int n = all.count();
    const int pieces = qBound(1, n / RecordsPerLook, 64);
    std::vector<std::vector<const Task *>> found(static_cast<size_t>(pieces));
    const auto look = [&all, n, pieces, &found](int piece) {
        std::vector<const Task *> &mine = found[size_t(piece)];
        for (int i = int(qint64(n) * piece / pieces), end = int(qint64(n) * (piece + 1) / pieces); i < end; ++i) {
            const Task *task = static_cast<const Task *>(all.at(i));
            if (task->reminder)
                mine.push_back(task);
        }
    };
    if (pieces == 1) {
        look(0);
    } else {
        std::vector<QFuture<void>> running;
        for (int piece = 1; piece < pieces; ++piece)
            running.push_back(QtConcurrent::run([look, piece] { look(piece); }));
        look(0);
        for (QFuture<void> &r : running)
            r.waitForFinished();
    }
    QVector<AlarmServer::Alarm> toCome;
    QVector<AlarmServer::Alarm> due;
    const qint64 now = AlarmServer::instance()->now().toMSecsSinceEpoch();
    const QByteArray channel(AlarmChannel);
    const int key = alarmKey();
    for (const std::vector<const Task *> &piece : found) {
        for (const Task *task : piece) {
            const QDateTime when = ringTime(task->reminder);
            // compared as numbers: a local date-time is converted each time
            if (when.isValid())
                (when.toMSecsSinceEpoch() > now ? toCome : due)
                    .append(AlarmServer::Alarm{when, channel, alarmMessage(task), key});
        }
    }
    // thousands of them (a book received) looked up and sorted in at once;
    // a book read in part takes out nothing
    if (!AlarmServer::instance()->setAlarmsOf(channel, key, toCome, due, whole))
        qWarning("TaskManager: the reminders of %s are not in the alarm list yet", qPrintable(fileName()));
}

void TaskManager::listRemindersOf(const QString &path)
{
    TaskManager book(path, false, false);
    book.load();
    book.forgetChanges();
}

// An expense read with the UID of one before it took a UID of its own: the
// alarm of its reminder, registered under the UID the two shared, rings
// for it now. The first keeps the alarm where its own reminder rings at
// that time too. Every load of the same file does the same, so a later one
// finds the alarm moved already.
void TaskManager::followRenamedAlarms()
{
    // added first: a second expense at the same time finds it still there
    QVector<AlarmServer::Alarm> leaving;
    // the list written once, whatever the twins
    const AlarmServer::WriteHold hold;
    const int key = alarmKey();
    const Twins &twins = twinsAtLoad();
    for (auto it = twins.cbegin(); it != twins.cend(); ++it) {
        // the expense that kept the UID
        const Task *kept = dynamic_cast<Task *>(findRecord(QString::fromLatin1(it.key())));
        const QByteArray message = QByteArray("alarm(QDateTime,int)").append(it.key());
        for (const QByteArray &uid : it.value()) {
            Task *task = dynamic_cast<Task *>(findRecord(QString::fromLatin1(uid)));
            if (!task || !task->reminder)
                continue;
            const QDateTime when = ringTime(task->reminder);
            // this book's entry, or one an earlier version listed
            int data = key;
            QDateTime there = AlarmServer::instance()->registered(when, AlarmChannel, message, data);
            if (there.isNull())
                there = AlarmServer::instance()->registered(when, AlarmChannel, message, data = 0);
            if (there.isNull())
                continue;
            AlarmServer::addAlarm(there, AlarmChannel, alarmMessage(task), key);
            if (!kept || !kept->reminder || ringTime(kept->reminder) != when)
                leaving.append({there, AlarmChannel, message, data});
        }
    }
    if (!leaving.isEmpty())
        AlarmServer::deleteAlarms(leaving);
}

bool TaskManager::sortKeyText(const PIMRecord *record, int column, QString &text) const
{
    const Task *task = dynamic_cast<const Task *>(record);
    if (!task)
        return false;
    switch (column) {
    case FilterCondition::Type: text = task->type; return true;
    case FilterCondition::Amount: text = YMRPIM::amountSortKey(task->amount); return true;
    case FilterCondition::Currency: text = task->currency; return true;
    case FilterCondition::City: text = task->city; return true;
    case FilterCondition::Description: text = YMRPIM::sortKey(!task->description.isEmpty()); return true;
    case FilterCondition::Account: text = task->account; return true;
    case FilterCondition::Date: text = YMRPIM::sortKey(task->date); return true;
    case FilterCondition::Reminder: text = YMRPIM::sortKey(task->reminder != nullptr); return true;
    case FilterCondition::Category: text = task->categoryTitle(false); return true;
    case FilterCondition::Created: text = YMRPIM::sortKey(task->created()); return true;
    case FilterCondition::Updated: text = YMRPIM::sortKey(task->updated()); return true;
    default: return false;
    }
}

int TaskManager::sortKeyLength(int column) const
{
    switch (column) {
    case FilterCondition::Date:
    case FilterCondition::Created:
    case FilterCondition::Updated:
        // a number of days or seconds, as a key of at most 20 characters
        return 20;
    case FilterCondition::Description:
    case FilterCondition::Reminder:
        return 1;
    default:
        return -1;
    }
}

bool TaskManager::needsResort(PIMRecord *old, PIMRecord *record)
{
    Task *a = dynamic_cast<Task *>(old);
    Task *b = dynamic_cast<Task *>(record);
    if (!a || !b)
        return false;
    switch (sortColumn()) {
    case FilterCondition::Type: return a->type != b->type;
    case FilterCondition::Amount: return a->amount != b->amount;
    case FilterCondition::Currency: return a->currency != b->currency;
    case FilterCondition::City: return a->city != b->city;
    case FilterCondition::Description: return a->description.isEmpty() != b->description.isEmpty();
    case FilterCondition::Account: return a->account != b->account;
    case FilterCondition::Date: return a->date != b->date;
    case FilterCondition::Reminder: return (a->reminder != nullptr) != (b->reminder != nullptr);
    case FilterCondition::Category: return a->categoryTitle(false) != b->categoryTitle(false);
    case FilterCondition::Created: return a->created() != b->created();
    case FilterCondition::Updated: return a->updated() != b->updated();
    default: return false;
    }
}
