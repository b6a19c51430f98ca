#ifndef TASKMANAGER_H
#define TASKMANAGER_H

#include "pimmanager.h"
#include "taskfilter.h"

#include "qpe/alarmserver.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

class CategoryManager;
class Task;

// The store of one Expense Book: the base store plus the book's header
// values (description, icon, password, saved filters, current filter), the
// filtered view, sort keys per expense column, reminder registration with the
// alarm server and the defaults for new expenses.
class TaskManager : public PIMManager
{
    Q_OBJECT
public:
    // A relative file name resolves in the application folder "expense"
    // ("expensetemplates" in templates mode). Does not load.
    explicit TaskManager(const QString &fileName, bool templates = false,
                         bool headerOnly = false);
    ~TaskManager() override;

    QString description() const { return m_description; }
    void setDescription(const QString &description);
    QString icon() const { return m_icon; }
    void setIcon(const QString &icon);
    QString password() const { return m_password; }
    void setPassword(const QString &password);

    QList<TaskFilter> filters() const { return m_filters; }
    // Replaces the saved filters; the current filter becomes -1.
    void setFilters(const QList<TaskFilter> &filters);
    // -1 no filter, -2 the find filter, else an index into the saved filters.
    // An index that names no saved filter lets every expense pass.
    int currentFilter() const { return m_currentFilter; }
    void setCurrentFilter(int index);
    TaskFilter findFilter() const { return m_findFilter; }
    void setFindFilter(const TaskFilter &filter);

    // A new expense of this book with the last used defaults; not added.
    Task *createWithDefaults();
    void saveDefaults(PIMRecord *record);

    // Many expenses added or removed in one stroke (Copy Special's copies,
    // a purge): their alarms and the new defaults are written once, as the
    // stroke ends, not once each with a write to disk; no autosave is asked
    // for in its course (the caller saves). Strokes nest.
    class Stroke
    {
    public:
        explicit Stroke(TaskManager *book);
        ~Stroke();
        Stroke(const Stroke &) = delete;
        Stroke &operator=(const Stroke &) = delete;

    private:
        TaskManager *m_book;
        std::optional<AlarmServer::WriteHold> m_alarms;
    };

    // "alarm(QDateTime,int)" followed by the record's UID.
    static QByteArray alarmMessage(const PIMRecord *record);
    // The data of the alarms of the book at path: the book they belong to,
    // so that two books holding one UID (a copy of a book) list an entry
    // each. A number of the book file's canonical path, never 0: an alarm
    // of data 0 is an earlier version's, which names no book (those
    // versions read, ring and dismiss these alike; they cancel by data 0
    // alone, so an entry left by one of their changes rings into the
    // check against the book and goes).
    static int bookKey(const QString &path);
    // This book's, of its file name.
    int alarmKey() const;
    // The channel the expenses' alarms are registered on.
    static QByteArray alarmChannel();
    // Whether an alarm of the expense's UID at when is the one its own
    // reminder set: it rings then, by its moment or by the wall time the
    // alarm list keeps. Another book's expense of the same UID (a copy of
    // a book, a received one) has no say over it. Any reminder counts for
    // a null when (an alarm that names no time).
    static bool setsAlarmAt(const Task *task, const QDateTime &when);

    // An earlier version kept a moment it chose for a reminder (a snooze
    // into the second showing of a repeated hour) in the alarm list alone,
    // its book holding the wall time: the expense's reminder takes that
    // moment back, so that a change or a copy of it rings as it would.
    static void takeRegisteredMoment(Task *task);

    // Removes every expense; their alarms are cancelled first.
    bool removeAll() override;

    // Opens the book at path for its alarms alone, as any opening of it
    // does (loaded()): its reminders to come are listed. Only reads.
    static void listRemindersOf(const QString &path);

    // The largest book any store reads (and a peer may send); for tests,
    // 0 brings back the default.
    static qint64 maxBookSize();
    static void setMaxBookSize(qint64 size);

    // The category store every book shares, made and loaded on first use.
    // Released while books are open, it goes when the last of them goes.
    static CategoryManager *sharedCategoryManager();
    static void releaseSharedCategoryManager();

    // condition: a FilterCondition::TextCondition code
    static bool matchesText(const QString &value, const QString &text, int condition);
    // True when the test holds for at least one entry; never for no entries.
    static bool matchesAnyText(const QString &value, const QStringList &texts, int condition);

    // The full book store (not header-only, not templates) open on the
    // given book file, if any. The book index changes, moves and deletes a
    // book through it, so that the store never saves stale header values or
    // writes the book back at its old place.
    static TaskManager *openStore(const QString &path);

    // Whether the file at path opens as a book, whole (RecordFileReader:
    // its header, every record to its END and as many as its header
    // counts, no zero byte), within every limit of the reader. The one test
    // of a book that may replace another (a received one) or keep its
    // record part under a new header (a header-only save). Only reads.
    static bool readsWhole(const QString &path);

    PIMRecord *createRecord() override;
    bool accept(PIMRecord *record) override;
    bool filtering() const override;

protected:
    void writeHeader(PIMTextWriter &out) override;
    void readHeader(QStringList &parts) override;
    qint64 headerCost(const QStringList &parts) const override;
    void clearHeader() override;
    qint64 fileSizeLimit() const override;
    bool recordPartReadsWhole() override;
    int sortColumnCount() const override;
    void recordAdded(PIMRecord *record) override;
    void recordUpdated(PIMRecord *old, PIMRecord *record) override;
    void recordRemoved(PIMRecord *record) override;
    void recordsRemoved(const QList<PIMRecord *> &records) override;
    void loaded() override;
    bool sortKeyText(const PIMRecord *record, int column, QString &text) const override;
    int sortKeyLength(int column) const override;
    bool needsResort(PIMRecord *old, PIMRecord *record) override;

private:
    // type, currency, city, account and categories of an expense, as the
    // defaults keep them
    static QStringList defaultsOf(const Task *task);
    static void writeDefaults(const QStringList &values);
    void registerAlarm(Task *task);
    void cancelAlarm(Task *task);
    // The alarms of these expenses' reminders taken out of the list at once.
    template <typename Records>
    void cancelAlarms(const Records &records);
    void followRenamedAlarms();
    // The book's entries in the alarm list made its reminders still to
    // come (a kill before the list's write, a cut list, a book received or
    // copied in, another zone), and those past it holds, not yet dealt
    // with; with whole, an entry of the book no reminder names leaves.
    void listReminders(bool whole);

    QList<TaskFilter> m_filters;
    int m_currentFilter = -1;
    TaskFilter m_findFilter;
    QString m_description;
    QString m_icon;
    QString m_password;
    // a store that only checks a file (readsWhole()) leaves the alarms alone
    bool m_checkOnly = false;
    // alarmKey() and the file name it is of
    mutable int m_alarmKey = 0;
    mutable QString m_alarmKeyOf;
    int m_strokes = 0;
    // the defaults of the last expense added in a stroke, none when empty
    QStringList m_strokeDefaults;

    static CategoryManager *s_categoryManager;
    static bool s_categoryReleasePending;
};

#endif
