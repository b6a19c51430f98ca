#include "ymrtest.h"

#include "bookfixtures.h"

#include "pim/categoriesmanager.h"
#include "pim/categorymanager.h"
#include "pim/categoryrecord.h"
#include "pim/task.h"
#include "pim/taskmanager.h"
#include "pim/templatemanager.h"
#include "pim/ymrpim.h"
#include "qpe/alarmserver.h"
#include "qpe/boundedfile.h"
#include "qpe/categories.h"
#include "qpe/config.h"
#include "qpe/global.h"
#include "qpe/filereplacer.h"
#include "qpe/initext.h"
#include "qpe/loadbudget.h"
#include "qpe/qpeglobal.h"
#include "qpe/sharedfile.h"
#include "qpe/unixsignalnotifier.h"
#include "qpe/unsavedfiles.h"
#include "qpe/utf8text.h"

#include "lockholder.h"
#include "programrun.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QThread>

#include <csignal>
#include <fcntl.h>
#include <malloc.h>
#include <sys/file.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

using namespace fixtures;

// gcc says so by a macro of its own, clang by a feature
#if defined(__SANITIZE_ADDRESS__)
#define YMR_ADDRESS_SANITIZER
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define YMR_ADDRESS_SANITIZER
#endif
#endif

namespace {

// One copy of the program's view of a shared file: read when made, changed
// by ops ("+X" adds X, "-X" removes it, "~X" changes it), written by
// save(), and listed as it holds the file ("X", "X!" when changed, blanks
// as "_").
class Copy
{
public:
    virtual ~Copy() = default;
    virtual void apply(const QString &op) = 0;
    virtual bool save() = 0;
    virtual QStringList list() = 0;
    // The file the copy's saves write (the templates': their index).
    virtual QString file() const = 0;
};

// The book index: books by their paths (a removed book keeps its file).
class IndexCopy : public Copy
{
public:
    IndexCopy() { m_index.load(); }
    void apply(const QString &op) override
    {
        DBRecord *r = m_index.findByPath(bookPath(op.mid(1)));
        if (op.startsWith('+')) {
            QFile::remove(bookPath(op.mid(1)));
            addBook(&m_index, op.mid(1));
        } else if (r) {
            m_index.removeRecord(r);
        }
    }
    bool save() override { return m_index.save(); }
    QStringList list() override
    {
        QStringList titles;
        for (const QString &path : m_index.paths())
            titles << QFileInfo(path).completeBaseName() + (QFileInfo::exists(path) ? "" : "?");
        return titles;
    }
    static void reset() { QFile::remove(Global::applicationFileName("ymrOutlays", "ymrOutlaysIDX")); }
    QString file() const override { return Global::applicationFileName("ymrOutlays", "ymrOutlaysIDX"); }

private:
    DBManager m_index;
};

// The templates: their book and the index that names them.
class TemplatesCopy : public Copy
{
public:
    void apply(const QString &op) override
    {
        const QString name = op.mid(1);
        if (op.startsWith('+')) {
            auto *t = new Task(m_templates.store());
            t->type = name;
            t->store(nullptr);
            m_templates.add(t, name);
        } else if (op.startsWith('-')) {
            m_templates.remove(name);
        } else {
            m_templates.rename(name, name + '!');
        }
    }
    bool save() override { return m_templates.save(m_templates.names()); }
    QStringList list() override
    {
        QStringList names;
        for (const QString &n : m_templates.names()) {
            // every name has its template, and only its own
            auto *t = static_cast<Task *>(m_templates.find(n));
            names << QString(n).replace(' ', '_') + (t && n.startsWith(t->type) ? "" : "?");
        }
        return names;
    }
    static void reset()
    {
        TemplatesCopy c;
        QFile::remove(c.m_templates.indexFileName());
        QFile::remove(c.m_templates.store()->fileName());
    }
    QString file() const override { return m_templates.indexFileName(); }

private:
    TemplateManager m_templates{QStringLiteral("templates")};
};

// A value list: entries by their text.
class ListCopy : public Copy
{
public:
    void apply(const QString &op) override
    {
        if (op.startsWith('+'))
            m_list.append(op.mid(1));
        else
            m_list.removeAll(op.mid(1));
    }
    bool save() override
    {
        if (!YMRPIM::saveList(QStringLiteral("types"), m_list, m_base, &m_list))
            return false;
        m_base = m_list;
        return true;
    }
    QStringList list() override { return m_list; }
    static void reset() { YMRPIM::saveList(QStringLiteral("types"), QStringList()); }
    QString file() const override { return YMRPIM::userListPath(QStringLiteral("types")); }

private:
    QStringList m_base = YMRPIM::loadList(QStringLiteral("types"));
    QStringList m_list = m_base;
};

// A value list written whole in place of whatever the file holds: the
// program's own replacement, or a peer's bytes as the link receives them.
class ReplacementCopy : public Copy
{
public:
    explicit ReplacementCopy(bool peer) : m_peer(peer) {}
    void apply(const QString &op) override
    {
        if (op.startsWith('+'))
            m_list << op.mid(1);
    }
    bool save() override
    {
        if (!m_peer)
            return YMRPIM::saveList(QStringLiteral("types"), m_list);
        return SharedFile::at(file())->writeReceived(*YMRPIM::listKind(QStringLiteral("types")),
                                                     m_list.join('\n').toUtf8())
               == SharedFile::Done;
    }
    QStringList list() override { return YMRPIM::loadList(QStringLiteral("types")); }
    static void reset() { ListCopy::reset(); }
    QString file() const override { return YMRPIM::userListPath(QStringLiteral("types")); }

private:
    bool m_peer;
    QStringList m_list;
};

// The categories: records by their UIDs.
class CategoriesCopy : public Copy
{
public:
    CategoriesCopy() { m_store.load(); }
    void apply(const QString &op) override
    {
        CategoryRecord *c = m_store.findByTitle(op.mid(1));
        if (op.startsWith('+')) {
            c = new CategoryRecord(&m_store);
            c->title = op.mid(1);
            c->store(nullptr);
        } else if (c && op.startsWith('-')) {
            m_store.removeRecord(c);
        } else if (c) {
            auto *old = new CategoryRecord(*c);
            c->backgroundColor = Qt::red;
            c->store(old);
        }
    }
    bool save() override { return m_store.save(); }
    QStringList list() override
    {
        QStringList titles;
        for (PIMRecord *r : *m_store.records()) {
            auto *c = static_cast<CategoryRecord *>(r);
            titles << c->title + (c->backgroundColor == QColor(Qt::red) ? "!" : "");
        }
        return titles;
    }
    // no installed categories: just those of the test
    static void reset() { writeFile(Global::applicationFileName("ymrOutlays", "ymrCategory"), "FOLDER\nEND\n"); }
    QString file() const override { return Global::applicationFileName("ymrOutlays", "ymrCategory"); }

private:
    CategoryManager m_store;
};

// The alarm list: alarms by time and message.
class AlarmsCopy : public Copy
{
public:
    void apply(const QString &op) override
    {
        const QDateTime when(QDate(2031, 5, 6), QTime(7, 8, 9));
        if (op.startsWith('+'))
            m_server.add(when, "A/shared", op.mid(1).toUtf8(), 0);
        else
            m_server.remove(when, "A/shared", op.mid(1).toUtf8(), 0);
    }
    bool save() override { return m_server.flush(); }
    QStringList list() override
    {
        QStringList messages;
        for (const AlarmServer::Alarm &a : m_server.pending())
            messages << QString::fromUtf8(a.message);
        return messages;
    }
    static QString dir() { return Qpe::userRoot() + "/alarmcopies"; }
    static void reset() { QFile::remove(dir() + "/alarms"); }
    QString file() const override { return dir() + "/alarms"; }

private:
    AlarmServer m_server{dir()};
};

// The settings: keys of one group, in the file's order.
class SettingsCopy : public Copy
{
public:
    SettingsCopy() { m_config.setGroup(QStringLiteral("Shared")); }
    void apply(const QString &op) override
    {
        if (op.startsWith('-'))
            m_config.removeEntry(op.mid(1));
        else
            m_config.writeEntry(op.mid(1), op.startsWith('+') ? QStringLiteral("1") : QStringLiteral("changed"));
    }
    bool save() override { return m_config.write(); }
    QStringList list() override
    {
        KeyedMerge::Entries entries;
        LoadBudget budget(1 << 20);
        IniText::read(readAll(file()), entries, budget);
        QStringList keys;
        for (const KeyedMerge::Entry &e : entries)
            keys << QString::fromUtf8(e.key.mid(7)) + (IniText::value(e.value) == "changed" ? "!" : "");
        return keys;
    }
    static void reset() { QFile::remove(Config::configFileName(QStringLiteral("sharedcopies"))); }
    QString file() const override { return m_config.fileName(); }

private:
    Config m_config{QStringLiteral("sharedcopies")};
};

// The platform's categories: the program only ever adds one, and saves at
// once. The copy that writes first is the platform's own class on the file.
class PlatformCategoriesCopy : public Copy
{
public:
    explicit PlatformCategoriesCopy(bool program) : m_program(program)
    {
        m_categories.load(categoryFileName());
        if (program)
            CategoriesManager::refresh();
    }
    void apply(const QString &op) override
    {
        if (m_program)
            CategoriesManager::addCategory(op.mid(1));
        else
            m_categories.addCategory(YMRPIM::applicationName(), op.mid(1));
    }
    bool save() override { return m_program || m_categories.save(categoryFileName()); }
    QStringList list() override { return m_categories.labels(YMRPIM::applicationName(), false); }
    static void reset() { QFile::remove(categoryFileName()); }
    QString file() const override { return categoryFileName(); }

private:
    bool m_program;
    Categories m_categories;
};

template <class C, class... Args>
std::unique_ptr<Copy> make(bool fresh, Args... args)
{
    if (fresh)
        C::reset();
    return std::unique_ptr<Copy>(new C(args...));
}

// A copy of that kind, of the files made afresh when told; the second of a
// pair is the program's own where that matters.
std::unique_ptr<Copy> open(const QString &kind, bool fresh = false, bool second = false)
{
    if (kind == "book index")
        return make<IndexCopy>(fresh);
    if (kind == "templates")
        return make<TemplatesCopy>(fresh);
    if (kind == "value list")
        return make<ListCopy>(fresh);
    if (kind == "categories")
        return make<CategoriesCopy>(fresh);
    if (kind == "alarm list")
        return make<AlarmsCopy>(fresh);
    if (kind == "settings")
        return make<SettingsCopy>(fresh);
    if (kind == "a replacement" || kind == "a peer's bytes")
        return make<ReplacementCopy>(fresh, kind == "a peer's bytes");
    return make<PlatformCategoriesCopy>(fresh, second);
}

// The files of that kind made afresh, holding entries; whether they saved.
bool seed(const QString &kind, const QStringList &entries)
{
    std::unique_ptr<Copy> c = open(kind, true);
    for (const QString &e : entries)
        c->apply('+' + e);
    return c->save();
}

QStringList words(const char *text)
{
    return Utf8Text::decode(QByteArray(text)).split(' ', Qt::SkipEmptyParts);
}

// Waits until fd reports a close of the file named name after reading.
bool waitForRead(int fd, const QByteArray &name, int ms)
{
    QDeadlineTimer until(ms);
    char buffer[4096];
    while (!until.hasExpired()) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, int(qMax<qint64>(1, until.remainingTime()))) <= 0)
            continue;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        for (ssize_t at = 0; at < n;) {
            const auto *e = reinterpret_cast<const inotify_event *>(buffer + at);
            if ((e->mask & IN_CLOSE_NOWRITE) && e->len && name == e->name)
                return true;
            at += ssize_t(sizeof(inotify_event) + e->len);
        }
    }
    return false;
}

// The books a book index lists, and whether anything follows its header.
QStringList indexedBooks(const QString &index, bool *tail)
{
    const QList<QByteArray> lines = readAll(index).split('\n');
    QStringList books;
    int i = lines.value(0) == "FOLDER" ? 1 : int(lines.size());
    for (; i < lines.size() && lines.at(i) != "END"; ++i) {
        if (lines.at(i).startsWith("I="))
            books << QFileInfo(QString::fromUtf8(lines.at(i).mid(2))).completeBaseName();
    }
    *tail = i + 2 < lines.size() || !lines.value(i + 1).isEmpty();
    return books;
}

// Whether the process holds a lock another copy may wait for (a folder's,
// the settings'): one it keeps while it runs (the alarm delivery's) is not.
bool holdsPassingLock(qint64 pid, const QString &home)
{
    struct stat st;
    const QByteArray kept = QFile::encodeName(home + "/Settings/alarms.lock");
    const quint64 keptInode = ::stat(kept.constData(), &st) == 0 ? quint64(st.st_ino) : 0;
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : locks.readAll().split('\n')) {
        // "1: FLOCK  ADVISORY  WRITE 11082 fe:00:10986209 0 EOF"
        const QList<QByteArray> f = line.simplified().split(' ');
        if (f.size() < 6 || f.at(4).toLongLong() != pid)
            continue;
        if (f.at(5).split(':').value(2).toULongLong() != keptInode)
            return true;
    }
    return false;
}

// Setting aside of path made impossible (every name to keep it under taken,
// or a folder the user may not write) while on, and possible again.
void blockAside(const QString &path, bool namesTaken, bool on)
{
    if (!namesTaken) {
        ::chmod(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), on ? 0555 : 0755);
        return;
    }
    for (int n = 1; n <= BoundedFile::MaxAsideNames; ++n) {
        if (on)
            writeFile(BoundedFile::asideName(path, n), "an earlier copy\n");
        else
            QFile::remove(BoundedFile::asideName(path, n));
    }
}

bool isStore(const QString &kind)
{
    return kind == "categories" || kind == "templates" || kind == "book index";
}

// The file a record store's copy keeps its records in: the templates'
// book is beside their index.
QString storeFile(const QString &kind, const Copy &copy)
{
    return kind == "templates" ? copy.file().chopped(4) : copy.file();
}

const char *const Kinds[] = {"book index", "templates", "value list", "categories", "alarm list",
                             "platform categories", "settings"};

// The growth of the process's memory at its peak since the last call.
qint64 peakGrowth(bool start)
{
    static qint64 base = 0;
    // what earlier reads freed goes back to the system, not to this one
    if (start)
        malloc_trim(0);
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    qint64 rss = 0, hwm = 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        if (f.value(0) == "VmRSS:")
            rss = f.value(1).toLongLong() * 1024;
        if (f.value(0) == "VmHWM:")
            hwm = f.value(1).toLongLong() * 1024;
    }
    if (start) {
        // the peak from here on
        QFile reset(QStringLiteral("/proc/self/clear_refs"));
        if (reset.open(QIODevice::WriteOnly))
            reset.write("5");
        base = rss;
        return 0;
    }
    return hwm - base;
}

} // namespace

// Two copies of the program on one home (the lock's "Open Anyway", or two
// logins of one user) write the same shared files: neither loses what the
// other did since it read them.
class TestSharedHome : public QObject
{
    Q_OBJECT
private slots:
    void copiesKeepEachOthersChanges_data();
    void copiesKeepEachOthersChanges();
    void twoProgramsAddABookEach();
    void kinds_data();
    void heldFolderRefusesTellsAndRetries_data();
    void heldFolderRefusesTellsAndRetries();
    void twoSavesAroundAnothersRemoval_data();
    void twoSavesAroundAnothersRemoval();
    void linkOrEmptyFileIsSetAside_data();
    void linkOrEmptyFileIsSetAside();
    void unreadFileSetAsideOrRefused_data();
    void unreadFileSetAsideOrRefused();
    void templatesReadWhileAnotherSaves();
    void fullDiskKeepsAListEntry_data();
    void fullDiskKeepsAListEntry();
    void readersBounded_data();
    void readersBounded();
    void killedCopiesLoseNothing_data() { kinds_data(); }
    void killedCopiesLoseNothing();
    void sharedWriteSizeLimit_data();
    void sharedWriteSizeLimit();
    void staleTemporaryFilesGo_data() { kinds_data(); }
    void staleTemporaryFilesGo();
};

void TestSharedHome::kinds_data()
{
    QTest::addColumn<QString>("kind");
    for (const char *kind : Kinds)
        QTest::newRow(kind) << QString::fromLatin1(kind);
}

void TestSharedHome::heldFolderRefusesTellsAndRetries_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("changedAgain");
    for (const char *kind : Kinds) {
        QTest::newRow(kind) << QString::fromLatin1(kind) << false;
        QTest::newRow(qPrintable(QString::fromLatin1(kind) + ", changed again before the retry"))
            << QString::fromLatin1(kind) << true;
    }
}

// A copy saving while another process holds the folder: refused at once
// (no write around the lock), named for the user, nothing changed on disk;
// written by the retry once the folder is free, or by the next save with
// the change made meanwhile (the program's platform categories read the
// file afresh at each change, with the kept one in it).
void TestSharedHome::heldFolderRefusesTellsAndRetries()
{
    QFETCH(QString, kind);
    QFETCH(bool, changedAgain);
    QVERIFY(seed(kind, {"Household"}));
    std::unique_ptr<Copy> a = open(kind, false, true);
    const QByteArray before = readAll(a->file());
    const pid_t holder = holdFolderInChild(QFileInfo(a->file()).absolutePath());
    QVERIFY(holder > 0);
    auto release = qScopeGuard([holder] { killLockHolder(holder); });
    QElapsedTimer waited;
    waited.start();
    a->apply("+Alpha");
    const bool saved = a->save();
    const qint64 ms = waited.elapsed();
    // the program's own platform categories save as they add
    QVERIFY(!saved || kind == "platform categories");
    // one short wait, however many steps the save has
    QVERIFY2(ms < 600, qPrintable(QString::number(ms)));
    QCOMPARE(UnsavedFiles::instance()->lines().size(), 1);
    QCOMPARE(readAll(a->file()), before);
    qInfo("%s: refused after %lld ms: %s", qPrintable(kind), ms,
          qPrintable(UnsavedFiles::instance()->lines().join(' ')));
    release.dismiss();
    killLockHolder(holder);
    QStringList expected{"Household", "Alpha"};
    if (changedAgain) {
        a->apply("+Beta");
        QVERIFY(a->save());
        expected << "Beta";
    } else {
        QCOMPARE(UnsavedFiles::instance()->retryAll(), 0);
    }
    QVERIFY2(UnsavedFiles::instance()->isEmpty(), qPrintable(UnsavedFiles::instance()->lines().join(", ")));
    a.reset();
    // the platform's labels come sorted
    if (kind == "platform categories")
        expected.sort();
    QCOMPARE(open(kind)->list(), expected);
}

void TestSharedHome::twoSavesAroundAnothersRemoval_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("after");
    for (const char *kind : Kinds)
        QTest::newRow(kind) << QString::fromLatin1(kind) << "-Alpha" << QStringList({"Household", "Beta"});
    // the index alone names a template
    QTest::newRow("templates, a rename") << "templates" << "~Alpha" << QStringList({"Household", "Alpha!", "Beta"});
}

// The base is what a copy last wrote: its second save does not bring back
// what another copy removed after its first, nor undo what it changed.
void TestSharedHome::twoSavesAroundAnothersRemoval()
{
    QFETCH(QString, kind);
    QFETCH(QString, change);
    QFETCH(QStringList, after);
    if (kind == "platform categories")
        QSKIP("the program only adds platform categories");
    QVERIFY(seed(kind, {"Household"}));
    std::unique_ptr<Copy> a = open(kind);
    a->apply("+Alpha");
    QVERIFY(a->save());
    {
        std::unique_ptr<Copy> b = open(kind, false, true);
        b->apply(change);
        QVERIFY(b->save());
    }
    a->apply("+Beta");
    QVERIFY(a->save());
    a.reset();
    QCOMPARE(open(kind)->list(), after);
}

void TestSharedHome::linkOrEmptyFileIsSetAside_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("link");
    QTest::addColumn<QString>("blocked"); // what keeps the link from being set aside
    QStringList writers{"a replacement", "a peer's bytes"};
    for (const char *kind : Kinds) {
        QTest::newRow(qPrintable(QString::fromLatin1(kind) + ", link")) << QString::fromLatin1(kind) << true << "";
        QTest::newRow(qPrintable(QString::fromLatin1(kind) + ", empty")) << QString::fromLatin1(kind) << false << "";
        writers << kind;
    }
    for (const QString &writer : writers) {
        for (const char *blocked : {"every aside name taken", "a folder the user may not write"})
            QTest::newRow(qPrintable(writer + ", link, " + blocked)) << writer << true << blocked;
    }
}

// A link at a shared file's name, or an empty file (a torn write): set
// aside under a name of its own, what the link names never read nor
// written, and never merged as "everything removed". A link that cannot be
// set aside refuses the write (a copy's save, a list written whole, a
// peer's bytes) as a full disk does: told, the program's own change kept
// for its retry and seen by every later reader of a list (a peer's is only
// told); once the link can go, the retry writes the file at its own name.
void TestSharedHome::linkOrEmptyFileIsSetAside()
{
    QFETCH(QString, kind);
    QFETCH(bool, link);
    QFETCH(QString, blocked);
    const bool peer = kind == "a peer's bytes";
    const bool whole = peer || kind == "a replacement";
    const bool namesTaken = blocked == "every aside name taken";
    QVERIFY(seed(kind, {"Household", "Old"}));
    std::unique_ptr<Copy> a = open(kind, false, true);
    const QString file = a->file();
    const QString outside = Qpe::userRoot() + "/outside.txt";
    const QByteArray theirs = "Museum\nPark";
    writeFile(outside, theirs);
    QVERIFY(QFile::remove(file));
    if (link)
        QVERIFY(QFile::link(outside, file));
    else
        writeFile(file, "");
    auto undo = qScopeGuard([&] {
        blockAside(file, namesTaken, false);
        UnsavedFiles::instance()->retryAll();
        if (QFileInfo(file).isSymLink())
            QFile::remove(file);
        QFile::remove(file + ".damaged");
    });
    // the program's platform categories hold nothing of the file beyond a
    // change: what it held is in the file set aside
    const QStringList kept = whole || kind == "platform categories" ? QStringList{"Alpha"}
                                                                     : QStringList{"Household", "Old", "Alpha"};
    if (!blocked.isEmpty()) {
        blockAside(file, namesTaken, true);
        // what a list shows with the link there: the installed one
        QVERIFY(!YMRPIM::loadList("types").contains("Museum"));
        a->apply("+Alpha");
        // the program's own platform categories save as they add
        QCOMPARE(a->save(), kind == "platform categories");
        const QString told = peer ? SharedFile::at(file)->failure() : UnsavedFiles::instance()->lines().join('\n');
        // (a folder the user may not write: root may set the link aside,
        // and is refused the write then)
        QVERIFY2(told.contains(namesTaken ? "a symbolic link stands at its name and could not be set aside (every "
                                            "name to keep it under is taken"
                                          : "read-only"),
                 qPrintable(told));
        // (the templates: their book and their index)
        QCOMPARE(UnsavedFiles::instance()->lines().size(), peer ? 0 : kind == "templates" && !namesTaken ? 2 : 1);
        QVERIFY(QFileInfo(file).isSymLink() || !namesTaken);
        if (kind == "value list" || kind == "a replacement")
            QCOMPARE(YMRPIM::loadList("types"), kept);
        blockAside(file, namesTaken, false);
        QCOMPARE(UnsavedFiles::instance()->retryAll(), 0);
    } else {
        a->apply("+Alpha");
        a->save();
    }
    QCOMPARE(readAll(outside), theirs);
    if (peer)
        return;
    const QFileInfo aside(file + ".damaged");
    QVERIFY(aside.isSymLink() == link && (aside.exists() || aside.isSymLink()));
    QVERIFY(QFileInfo(file).isFile() && !QFileInfo(file).isSymLink());
    a.reset();
    const QStringList after = open(kind)->list();
    for (const QString &entry : kept)
        QVERIFY2(after.contains(entry), qPrintable(after.join(' ')));
    QVERIFY2(!after.contains("Museum"), qPrintable(after.join(' ')));
}

void TestSharedHome::unreadFileSetAsideOrRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("fault");
    for (const char *kind : Kinds) {
        const bool store = isStore(kind);
        for (const char *fault : {"padded", "garbled", "read stopped"}) {
            if (store || fault == QLatin1String("read stopped"))
                QTest::newRow(qPrintable(QString::fromLatin1(kind) + ", " + fault)) << kind << fault;
        }
    }
    // a list's text taken whole or not at all: an editor's save, a list
    // written whole, a peer's
    for (const char *kind : {"value list", "a replacement", "a peer's bytes"}) {
        for (const char *fault : {"a zero byte", "bytes that are no UTF-8"})
            QTest::newRow(qPrintable(QString::fromLatin1(kind) + ", " + fault)) << kind << fault;
    }
    // a list of lines keeps what reads of it, the other copy's entry too
    for (const char *kind : {"alarm list", "templates"})
        QTest::newRow(qPrintable(QString::fromLatin1(kind) + ", a line that is none")) << kind << "a line that is none";
    // and the name it gave a template
    QTest::newRow("templates, a line that is none, a rename") << "templates" << "a line that is none, a rename";
}

// A record store's file that does not read when a copy saves (past its
// size, garbled as another program's bad write leaves it), or a list's
// with a zero byte or bytes that are no UTF-8: set aside byte for byte
// under a name of its own and told, never read in part nor written over;
// the copy's records are written, none taken as removed by the others. A
// read of any shared file that failed otherwise (the program asked to end
// meanwhile) refuses the write: named, kept, written by the retry.
void TestSharedHome::unreadFileSetAsideOrRefused()
{
    QFETCH(QString, kind);
    QFETCH(QString, fault);
    const auto setMaxSize = [&kind](qint64 size) {
        if (kind == "categories")
            CategoryManager::setMaxFileSize(size);
        else if (kind == "templates")
            TaskManager::setMaxBookSize(size);
        else
            DBManager::setMaxFileSize(size);
    };
    auto restore = qScopeGuard([&] {
        setMaxSize(0);
        BoundedFile::setNotifier({});
    });
    QStringList told;
    BoundedFile::setNotifier([&told](const QString &path, const QString &aside) { told << path + " as " + aside; });
    QVERIFY(seed(kind, {"Household"}));
    std::unique_ptr<Copy> first = open(kind);
    {
        std::unique_ptr<Copy> second = open(kind, false, true);
        second->apply("+Travel");
        if (fault.endsWith("a rename"))
            second->apply("~Household");
        QVERIFY(second->save());
    }
    const bool lines = fault.startsWith("a line that is none");
    const QString file = lines ? first->file() : storeFile(kind, *first);
    QByteArray bytes = readAll(file);
    QVERIFY(bytes.contains("Travel"));
    const qint64 max = 64 * 1024;
    if (fault == "padded") {
        setMaxSize(max);
        bytes += QByteArray(int(max - bytes.size() + 1), '\n');
    } else if (fault == "garbled") {
        bytes = bytes.left(bytes.indexOf('\n') + 1) + QByteArray(3 << 19, 'x');
    } else if (fault == "a zero byte") {
        bytes.insert(bytes.size() / 2, '\0');
    } else if (fault == "bytes that are no UTF-8") {
        bytes += "\nCaf\xe9";
    } else if (lines) {
        bytes += "no entry\n";
    }
    writeFile(file, bytes);
    UnixSignalNotifier notifier({SIGUSR1});
    QSignalSpy received(&notifier, &UnixSignalNotifier::received);
    if (fault == "read stopped")
        ::raise(SIGUSR1);
    first->apply("+Rent");
    const bool saved = first->save();
    const QStringList unsaved = UnsavedFiles::instance()->lines();
    qInfo("%s: saved %d; told: %s; unsaved: %s", QTest::currentDataTag(), saved, qPrintable(told.join(", ")),
          qPrintable(unsaved.join(", ")));
    if (fault != "read stopped") {
        QVERIFY(saved);
        QCOMPARE(told, QStringList(file + " as " + file + ".damaged"));
        QCOMPARE(readAll(file + ".damaged"), bytes);
        QVERIFY(unsaved.isEmpty());
        first.reset();
        setMaxSize(0);
        // (a list written whole: its own entries alone)
        const bool whole = kind == "a replacement" || kind == "a peer's bytes";
        QStringList after = open(kind)->list();
        after.sort();
        QCOMPARE(after, whole   ? QStringList{"Rent"}
                        : lines ? QStringList({fault.endsWith("a rename") ? "Household!" : "Household", "Rent", "Travel"})
                                : QStringList({"Household", "Rent"}));
        QVERIFY(QFile::remove(file + ".damaged"));
        return;
    }
    // nothing written, nothing set aside: the change waits for its retry
    QVERIFY(!saved);
    QCOMPARE(readAll(file), bytes);
    QVERIFY(told.isEmpty());
    QVERIFY(!unsaved.isEmpty());
    for (const QString &line : unsaved)
        QVERIFY2(line.endsWith(": the program was asked to end while it was read"), qPrintable(line));
    QTRY_COMPARE(received.count(), 1);
    QCOMPARE(UnsavedFiles::instance()->retryAll(), 0);
    first.reset();
    QStringList after = open(kind)->list();
    after.sort();
    QCOMPARE(after, QStringList({"Household", "Rent", "Travel"}));
}

// A copy starting while another saves its templates: it reads the book and
// the index under the folder's lock (another process cannot take it
// between the two), and what it did not take from the index it does not
// remove at its next save.
void TestSharedHome::templatesReadWhileAnotherSaves()
{
    {
        std::unique_ptr<Copy> c = open(QStringLiteral("templates"), true);
        c->apply("+Household");
        QVERIFY(c->save());
    }
    std::unique_ptr<Copy> other = open(QStringLiteral("templates"));
    const QString folder = QFileInfo(other->file()).absolutePath();
    bool lockedBetween = false;
    TemplateManager::setBetweenReadsHook([&] {
        const pid_t child = holdFolderInChild(folder);
        lockedBetween = child < 0;
        killLockHolder(child);
        // the other copy's save lands between the two reads
        other->apply("+Lunch");
        QVERIFY(other->save());
    });
    std::unique_ptr<Copy> starter = open(QStringLiteral("templates"));
    TemplateManager::setBetweenReadsHook(nullptr);
    QVERIFY(lockedBetween);
    starter->apply("+Taxi");
    QVERIFY(starter->save());
    starter.reset();
    other.reset();
    const QStringList after = open(QStringLiteral("templates"))->list();
    QVERIFY2(after.contains("Lunch") && after.contains("Taxi") && after.contains("Household"),
             qPrintable(after.join(' ')));
}

void TestSharedHome::fullDiskKeepsAListEntry_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QStringList>("written");
    // an editor's save ("+e", "-e"), or another copy's write ("other ...")
    QTest::newRow("one entry") << "+Museum" << QStringList{"Lunch", "Taxi", "Museum"};
    QTest::newRow("two saves in a row") << "+Museum;+Park" << QStringList{"Lunch", "Taxi", "Museum", "Park"};
    QTest::newRow("the second takes the first's entry out") << "+Museum;-Museum" << QStringList{"Lunch", "Taxi"};
    QTest::newRow("another copy writes between the two")
        << "+Museum;other -Taxi +Hotel;+Park" << QStringList{"Lunch", "Hotel", "Museum", "Park"};
    QTest::newRow("another copy writes after the two")
        << "+Museum;+Park;other -Lunch" << QStringList{"Taxi", "Museum", "Park"};
    QTest::newRow("a peer's list received between the two")
        << "+Museum;peer -Taxi +Hotel;+Park" << QStringList{"Lunch", "Hotel", "Museum", "Park"};
}

// A list's saves on a full disk are not written, are named once with their
// reason, are shown as kept by every later load, and reach the disk
// together, merged with the other copies' writes, once there is space.
void TestSharedHome::fullDiskKeepsAListEntry()
{
    QFETCH(QString, steps);
    QFETCH(QStringList, written);
    const QString file = YMRPIM::userListPath("types");
    QVERIFY(YMRPIM::saveList("types", {"Lunch", "Taxi"}));
    FileReplacer::setSpaceLeft(0);
    auto space = qScopeGuard([] { FileReplacer::setSpaceLeft(-1); });
    const auto edit = [](QStringList &list, const QString &step) {
        for (const QString &op : step.split(' ', Qt::SkipEmptyParts)) {
            if (op.startsWith('+'))
                list << op.mid(1);
            else if (op.startsWith('-'))
                list.removeAll(op.mid(1));
        }
    };
    QStringList shown = YMRPIM::loadList("types");
    for (const QString &step : steps.split(';')) {
        QByteArray onDisk = readAll(file);
        if (step.startsWith("other") || step.startsWith("peer")) {
            QStringList other;
            QVERIFY(YMRPIM::readListFile(file, other));
            edit(other, step);
            edit(shown, step);
            // a peer's is written at once, on a disk with room for it
            FileReplacer::setSpaceLeft(step.startsWith("peer") ? -1 : 0);
            if (step.startsWith("other"))
                writeFile(file, other.join('\n').toUtf8());
            else
                QCOMPARE(SharedFile::at(file)->writeReceived(*YMRPIM::listKind("types"), other.join('\n').toUtf8()),
                         SharedFile::Done);
            FileReplacer::setSpaceLeft(0);
        } else {
            QStringList base;
            QStringList list = YMRPIM::loadList("types", &base);
            // the entries the last save kept and the other copy wrote
            QStringList sorted = list;
            sorted.sort();
            shown.sort();
            QCOMPARE(sorted, shown);
            edit(list, step);
            QVERIFY(!YMRPIM::saveList("types", list, base));
            QCOMPARE(readAll(file), onDisk);
            shown = list;
        }
        // one entry, the file's own
        QCOMPARE(UnsavedFiles::instance()->lines().size(), 1);
        QVERIFY2(UnsavedFiles::instance()->lines().first().contains("types"),
                 qPrintable(UnsavedFiles::instance()->lines().first()));
        QVERIFY(SharedFile::at(file)->pendingChange(nullptr, nullptr));
        QVERIFY(SharedFile::at(file)->isUnsaved());
    }
    QCOMPARE(YMRPIM::loadList("types"), written);
    // still full: stays
    QCOMPARE(UnsavedFiles::instance()->retryAll(), 1);
    FileReplacer::setSpaceLeft(-1);
    QCOMPARE(UnsavedFiles::instance()->retryAll(), 0);
    QVERIFY(!SharedFile::at(file)->pendingChange(nullptr, nullptr));
    QStringList disk;
    QVERIFY(YMRPIM::readListFile(file, disk));
    QCOMPARE(disk, written);
}

void TestSharedHome::readersBounded_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("kib");
    QTest::addColumn<bool>("read");
    QTest::newRow("alarm list, 16 MiB of short alarms") << "alarm list" << 16 * 1024 << false;
    QTest::newRow("alarm list, 256 KiB") << "alarm list" << 256 << true;
    QTest::newRow("value list, 1 MiB of one-letter lines") << "value list" << 1024 << false;
    QTest::newRow("value list, 64 KiB") << "value list" << 64 << true;
    // a book beside them: one record of a million empty properties
    QTest::newRow("book, one record of 12 MiB of properties") << "book" << 12 * 1024 << false;
    // the record stores' files as a save reads them to merge
    QTest::newRow("categories, 1 MiB of empty records") << "categories" << 1024 << false;
    QTest::newRow("templates, 1 MiB of empty records") << "templates" << 1024 << false;
    QTest::newRow("book index, 1 MiB of books") << "book index" << 1024 << false;
}

// A file that would take more memory than its size allows (LoadBudget) is
// set aside whole, and reading it never takes more than that.
void TestSharedHome::readersBounded()
{
    QFETCH(QString, kind);
    QFETCH(int, kib);
    QFETCH(bool, read);
    const bool alarms = kind == "alarm list";
    const bool book = kind == "book";
    const bool index = kind == "book index";
    const bool store = isStore(kind);
    std::unique_ptr<Copy> copy;
    if (store) {
        QVERIFY(seed(kind, {"Household"}));
        copy = open(kind);
    }
    const QString list = YMRPIM::userListPath("types");
    const QString file = alarms  ? AlarmsCopy::dir() + "/alarms"
                         : book  ? QFileInfo(list).absolutePath() + "/many.exp"
                         : store ? storeFile(kind, *copy)
                                 : list;
    QDir().mkpath(QFileInfo(file).absolutePath());
    QByteArray text = index ? "FOLDER\n" : book || store ? "FOLDER\nEND\n" : "";
    text.reserve(kib * 1024 + 64);
    for (int i = 0;; ++i) {
        const QByteArray line = alarms  ? "2031-05-06T07:08:09\tA\t" + QByteArray::number(i) + "\t0\n"
                                : book  ? "PROP=" + QByteArray::number(i) + "=\n"
                                : index ? "I=" + QByteArray::number(i) + "\n"
                                : store ? QByteArray("END\n")
                                        : QByteArray(1, char('a' + i % 26)) + '\n';
        if (text.size() + line.size() > kib * 1024)
            break;
        text += line;
    }
    if (book || index)
        text += "END\n";
    writeFile(file, text);
    const qint64 size = text.size();
    text.clear();
    peakGrowth(true);
    int entries = 0;
    if (alarms) {
        AlarmServer server(AlarmsCopy::dir());
        entries = server.pending().size();
    } else if (book) {
        TaskManager store(file);
        QCOMPARE(store.load(), read);
        entries = store.count();
    } else if (store) {
        copy->apply("+Rent");
        QVERIFY(copy->save());
        entries = copy->list().size();
    } else {
        entries = YMRPIM::loadList("types").size();
    }
    const qint64 growth = peakGrowth(false);
    qInfo("%s of %lld bytes: %d entries, peak growth %.1f MiB (bound %.1f MiB)", qPrintable(kind), size, entries,
          growth / 1048576.0, LoadBudget::limitFor(size) / 1048576.0);
#ifndef YMR_ADDRESS_SANITIZER
    // (under AddressSanitizer its own bookkeeping grows with every allocation)
    // (a record's reader settles what it charged in steps of a few hundred KiB)
    QVERIFY(growth <= LoadBudget::limitFor(size) + (book || store ? 4 << 20 : 0));
#endif
    if (book)
        return;
    QCOMPARE(QFileInfo::exists(file + ".damaged"), !read);
    QCOMPARE(entries > 0, read || !alarms);
    QFile::remove(file + ".damaged");
}

void TestSharedHome::copiesKeepEachOthersChanges_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("first");    // the copy that writes first
    QTest::addColumn<QStringList>("second");   // read before the first wrote
    QTest::addColumn<QStringList>("after");
    const auto row = [](const char *kind, const char *name, const char *before, const char *first,
                        const char *second, const char *after) {
        QTest::newRow(qPrintable(QString::fromLatin1(kind) + ", " + name))
            << QString::fromLatin1(kind) << words(before) << words(first) << words(second)
            << words(after);
    };
    for (const char *kind : {"book index", "templates", "value list", "categories", "alarm list", "settings"}) {
        row(kind, "both add", "Household", "+Alpha", "+Beta", "Household Alpha Beta");
        row(kind, "a removal stays", "Household Old", "-Old", "+Beta", "Household Beta");
    }
    row("templates", "both add the same name", "", "+Lunch", "+Lunch", "Lunch_(2) Lunch");
    row("templates", "a rename and a removal", "Taxi Lunch", "~Taxi", "-Lunch", "Taxi!");
    row("categories", "a change and a removal", "Food Taxi Hotel", "~Taxi -Hotel", "-Food",
        "Taxi!");
    row("categories", "a change kept from a stale copy's save", "Food Taxi", "~Taxi", "+Hotel",
        "Food Taxi! Hotel");
    // a leading U+FEFF stays part of its entry, which can then be removed as shown
    row("value list", "a byte-order mark leading an entry", "\xef\xbb\xbfLunch Taxi", "-\xef\xbb\xbfLunch", "+Beta",
        "Taxi Beta");
    row("platform categories", "both add", "Household", "+Alpha", "+Beta",
        "Alpha Beta Household");
}

void TestSharedHome::copiesKeepEachOthersChanges()
{
    QFETCH(QString, kind);
    QFETCH(QStringList, before);
    QFETCH(QStringList, first);
    QFETCH(QStringList, second);
    QFETCH(QStringList, after);
    QVERIFY(seed(kind, before));
    std::unique_ptr<Copy> a = open(kind);
    std::unique_ptr<Copy> b = open(kind, false, true);
    for (const QString &op : first)
        a->apply(op);
    QVERIFY(a->save());
    for (const QString &op : second)
        b->apply(op);
    QVERIFY(b->save());
    b.reset();
    a.reset();
    QCOMPARE(open(kind)->list(), after);
    QVERIFY(!QFileInfo::exists(open(kind)->file() + ".damaged"));
}

// The program itself, twice on one home: the second copy read the book
// index before the first added its book, and adds its own afterwards.
void TestSharedHome::twoProgramsAddABookEach()
{
    YMR_REQUIRE_PROGRAM(program);
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QString appDir = ymrtest::makeProgramHome(home.path());
    QVERIFY(!appDir.isEmpty());
    const QString index = appDir + "/ymrOutlaysIDX";
    QStringList books;
    for (const char *title : {"Household", "AlphaBook", "BetaBook"}) {
        books << appDir + '/' + title + ".exp";
        writeFile(books.last(), "FOLDER\nEND\n");
    }
    writeFile(index, "FOLDER\nI=" + books.at(0).toUtf8() + "\nEND\n");

    const int watch = ::inotify_init1(IN_CLOEXEC);
    QVERIFY(watch >= 0);
    QVERIFY(::inotify_add_watch(watch, QFile::encodeName(appDir).constData(), IN_CLOSE_NOWRITE) >= 0);

    QProcess alpha, beta;
    for (QProcess *p : {&alpha, &beta}) {
        p->setProcessEnvironment(ymrtest::programEnvironment(home.path()));
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }
    const auto end = [](QProcess &p) {
        ::kill(pid_t(p.processId()), SIGCONT);
        ymrtest::endProgram(p, 20000);
    };
    auto cleanup = qScopeGuard([&] {
        end(beta);
        end(alpha);
        ::close(watch);
    });

    // the second copy stops once it has read the index, before it can add
    // its book
    beta.start(program, {books.at(2)});
    QVERIFY(beta.waitForStarted());
    QVERIFY(waitForRead(watch, "ymrOutlaysIDX", 20000));
    const pid_t second = pid_t(beta.processId());
    QCOMPARE(::kill(second, SIGSTOP), 0);
    // not while it holds a lock the first copy would wait for
    for (int tries = 0; tries < 1000 && holdsPassingLock(second, home.path()); ++tries) {
        ::kill(second, SIGCONT);
        ::usleep(200);
        ::kill(second, SIGSTOP);
        QTest::qWait(1);
    }
    QVERIFY(!holdsPassingLock(second, home.path()));
    QVERIFY2(!readAll(index).contains("BetaBook"), "the second copy was stopped too late");

    alpha.start(program, {books.at(1)});
    QVERIFY(alpha.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(readAll(index).contains("AlphaBook"), 20000);

    QCOMPARE(::kill(pid_t(beta.processId()), SIGCONT), 0);
    QTRY_VERIFY_WITH_TIMEOUT(readAll(index).contains("BetaBook"), 20000);

    cleanup.dismiss();
    end(beta);
    end(alpha);
    ::close(watch);
    QCOMPARE(alpha.exitCode(), 0);
    QCOMPARE(beta.exitCode(), 0);
    bool tail = true;
    QCOMPARE(indexedBooks(index, &tail), QStringList({"Household", "AlphaBook", "BetaBook"}));
    QVERIFY2(!tail, readAll(index).constData());
}

// Copies of the program killed at any moment while they save: every entry a
// copy saw saved (and not waiting in UnsavedFiles) is in the file after.
void TestSharedHome::killedCopiesLoseNothing()
{
    QFETCH(QString, kind);
    QVERIFY(seed(kind, {"Household"}));
    std::vector<std::unique_ptr<QProcess>> writers;
    QStringList reported;
    int started = 0, kills = 0;
    const auto start = [&] {
        std::unique_ptr<QProcess> p(new QProcess);
        ymrtest::startChild(*p, {"--writer", kind, "w" + QString::number(started++)});
        writers.push_back(std::move(p));
    };
    const auto collect = [&](QProcess &p) {
        p.waitForFinished(5000);
        reported += QString::fromLatin1(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    };
    for (int i = 0; i < 3; ++i)
        start();
    const int runs = qEnvironmentVariableIntValue("YMR_KILL_RUNS") > 0 ? qEnvironmentVariableIntValue("YMR_KILL_RUNS") : 8;
    for (int run = 0; run < runs; ++run) {
        QTest::qWait(60 + int(QRandomGenerator::global()->bounded(120)));
        const int victim = int(QRandomGenerator::global()->bounded(quint32(writers.size())));
        QProcess &p = *writers.at(size_t(victim));
        ::kill(pid_t(p.processId()), SIGKILL);
        ++kills;
        collect(p);
        writers.erase(writers.begin() + victim);
        start();
    }
    for (auto &p : writers) {
        ::kill(pid_t(p->processId()), SIGKILL);
        collect(*p);
    }
    const QStringList after = open(kind)->list();
    QStringList lost;
    for (const QString &entry : qAsConst(reported)) {
        if (!after.contains(entry))
            lost << entry;
    }
    qInfo("%s: %d kills, %d entries reported saved, %d lost", qPrintable(kind), kills, int(reported.size()),
          int(lost.size()));
    QVERIFY(reported.size() > 0);
    QCOMPARE(lost, QStringList());
}

void TestSharedHome::sharedWriteSizeLimit_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("beyond");   // bytes beyond the limit
    for (const char *kind : {"value list", "a replacement", "a peer's bytes"}) {
        QTest::newRow(qPrintable(QString::fromLatin1(kind) + ", at the limit")) << kind << 0;
        QTest::newRow(qPrintable(QString::fromLatin1(kind) + ", one byte over")) << kind << 1;
    }
}

// What a shared file's reader takes is what its writer writes: a list up to
// its limit (an editor's save, one written whole, a peer's) is written and
// read back, one byte more is refused (and the refusal said) before
// anything is written.
void TestSharedHome::sharedWriteSizeLimit()
{
    QFETCH(QString, kind);
    QFETCH(int, beyond);
    const int limit = 1000;
    QVERIFY(seed(kind, {"Lunch"}));
    std::unique_ptr<Copy> a = open(kind, false, true);
    YMRPIM::setMaxListSize(limit);
    auto restore = qScopeGuard([] {
        YMRPIM::setMaxListSize(0);
        UnsavedFiles::instance()->remove(YMRPIM::userListPath("types"));
        YMRPIM::saveList("types", {});
    });
    const QString entry(limit + beyond, 'a');
    a->apply("-Lunch");
    a->apply('+' + entry);
    QCOMPARE(a->save(), beyond <= 0);
    if (beyond <= 0) {
        QCOMPARE(readAll(a->file()).size(), limit + beyond);
        QCOMPARE(open(kind)->list(), QStringList{entry});
        QVERIFY(UnsavedFiles::instance()->isEmpty());
        return;
    }
    const bool peer = kind == "a peer's bytes";
    QCOMPARE(readAll(a->file()), QByteArray("Lunch"));
    const QString failure = SharedFile::at(a->file())->failure();
    QVERIFY2(failure.contains(peer ? "does not read as" : "larger than the program reads"), qPrintable(failure));
    // the program's own change waits for its retry; a peer's is only said
    QCOMPARE(UnsavedFiles::instance()->lines().size(), peer ? 0 : 1);
}

// A save's temporary file a killed copy left is removed by the next write
// of that folder's shared files once it is a minute old and nobody holds
// it; one being written, a newer one and anything not of the program's own
// naming stay.
void TestSharedHome::staleTemporaryFilesGo()
{
    QFETCH(QString, kind);
    QVERIFY(seed(kind, {"Household"}));
    std::unique_ptr<Copy> a = open(kind, false, true);
    const QString folder = QFileInfo(a->file()).absolutePath() + '/';
    struct Leftover
    {
        const char *name;
        int age;
        bool stays;
    };
    const Leftover leftovers[] = {{".ymr0a1b2c3d.new", 120, false}, {".ymr4e5f6g7h.new", 61, false},
                                  {".ymr8i9j0k1l.new", 10, true},   {".ymrheld0000.new", 120, true},
                                  {".ymrABCDEFGH.new", 120, true},  {"report.csv.new", 120, true}};
    for (const Leftover &l : leftovers) {
        writeFile(folder + l.name, "what a killed copy was writing");
        const timeval times[2] = {{time(nullptr) - l.age, 0}, {time(nullptr) - l.age, 0}};
        ::utimes(QFile::encodeName(folder + l.name).constData(), times);
    }
    // held as a copy writing it holds it
    const int fd = ::open(QFile::encodeName(folder + ".ymrheld0000.new").constData(), O_RDONLY | O_CLOEXEC);
    QVERIFY(fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0);
    auto release = qScopeGuard([fd] { ::close(fd); });
    a->apply("+Alpha");
    QVERIFY(a->save());
    QVERIFY(UnsavedFiles::instance()->isEmpty());
    for (const Leftover &l : leftovers)
        QVERIFY2(QFile::remove(folder + l.name) == l.stays, l.name);
}

namespace {
// A copy of one kind adding entries and saving after each: what it sees
// saved goes to standard output.
int writerMain(int argc, char **argv)
{
    if (argc < 4)
        return 2;
    const QString kind = QString::fromLocal8Bit(argv[2]);
    const QString tag = QString::fromLocal8Bit(argv[3]);
    std::unique_ptr<Copy> copy = open(kind, false, true);
    QStringList unreported;
    for (int i = 0;; ++i) {
        const QString entry = tag + '-' + QString::number(i);
        copy->apply('+' + entry);
        unreported << entry;
        UnsavedFiles::instance()->retryAll();
        if (copy->save() && UnsavedFiles::instance()->isEmpty()) {
            for (const QString &e : qAsConst(unreported))
                printf("%s\n", qPrintable(e));
            fflush(stdout);
            unreported.clear();
        }
        QThread::msleep(2);
    }
}
} // namespace

YMR_TEST_MAIN_WITH_CHILD(TestSharedHome, "--writer", writerMain)
#include "tst_sharedhome.moc"
