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
#include "qpe/categories.h"
#include "qpe/global.h"
#include "qpe/qpeglobal.h"

#include <QProcess>

#include <csignal>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace fixtures;

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
    bool save() override { return YMRPIM::saveList(QStringLiteral("types"), m_list, m_base); }
    QStringList list() override { return m_list; }
    static void reset() { YMRPIM::saveList(QStringLiteral("types"), QStringList()); }

private:
    QStringList m_base = YMRPIM::loadList(QStringLiteral("types"));
    QStringList m_list = m_base;
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

private:
    AlarmServer m_server{dir()};
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
    return make<PlatformCategoriesCopy>(fresh, second);
}

QStringList words(const char *text)
{
    return QString::fromLatin1(text).split(' ', Qt::SkipEmptyParts);
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
};

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
    for (const char *kind : {"book index", "templates", "value list", "categories", "alarm list"}) {
        row(kind, "both add", "Household", "+Alpha", "+Beta", "Household Alpha Beta");
        row(kind, "a removal stays", "Household Old", "-Old", "+Beta", "Household Beta");
    }
    row("templates", "both add the same name", "", "+Lunch", "+Lunch", "Lunch_(2) Lunch");
    row("templates", "a rename and a removal", "Taxi Lunch", "~Taxi", "-Lunch", "Taxi!");
    row("categories", "a change and a removal", "Food Taxi Hotel", "~Taxi -Hotel", "-Food",
        "Taxi!");
    row("categories", "a change kept from a stale copy's save", "Food Taxi", "~Taxi", "+Hotel",
        "Food Taxi! Hotel");
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
    {
        std::unique_ptr<Copy> c = open(kind, true);
        for (const QString &e : before)
            c->apply('+' + e);
        QVERIFY(c->save());
    }
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
}

// The program itself, twice on one home: the second copy read the book
// index before the first added its book, and adds its own afterwards.
void TestSharedHome::twoProgramsAddABookEach()
{
    const QString program = QCoreApplication::applicationDirPath() + "/../app/ymroutlays";
    if (!QFileInfo::exists(program))
        QSKIP("the program is not built");
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QString appDir = home.path() + "/Applications/ymrOutlays";
    QVERIFY(QDir().mkpath(appDir));
    QVERIFY(QDir().mkpath(home.path() + "/Settings"));
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

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QPE_HOME", home.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("LANG", "en");
    QProcess alpha, beta;
    for (QProcess *p : {&alpha, &beta}) {
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }
    const auto end = [](QProcess &p) {
        ::kill(pid_t(p.processId()), SIGCONT);
        p.terminate();
        if (!p.waitForFinished(20000)) {
            p.kill();
            p.waitForFinished();
        }
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

YMR_TEST_MAIN(TestSharedHome)
#include "tst_sharedhome.moc"
