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

// One copy of the program's view of a shared file: read when opened,
// changed by ops ("+X" adds X, "-X" removes it, "~X" changes it), written
// by save().
class Copy
{
public:
    virtual ~Copy() = default;
    virtual void apply(const QString &op) = 0;
    virtual bool save() = 0;
};

// A kind of shared file: made afresh with its entries, opened by a copy,
// and read back as it ends up on disk ("X" for an entry, "X!" when it was
// changed, blanks as "_").
class SharedFile
{
public:
    virtual ~SharedFile() = default;
    virtual void prepare(const QStringList &entries) = 0;
    virtual std::unique_ptr<Copy> open() = 0;
    virtual QStringList onDisk() = 0;
};

// The book index: books by their paths.
class IndexCopy : public Copy
{
public:
    IndexCopy() { m_index.load(); }
    void apply(const QString &op) override
    {
        const QString title = op.mid(1);
        if (op.startsWith('+')) {
            addBook(&m_index, title);
        } else if (DBRecord *r = m_index.findByPath(bookPath(title))) {
            // out of the list; its file stays
            r->setDeleteFile(false);
            m_index.removeRecord(r);
        }
    }
    bool save() override { return m_index.save(); }

private:
    DBManager m_index;
};

class IndexFile : public SharedFile
{
public:
    void prepare(const QStringList &entries) override
    {
        QFile::remove(Global::applicationFileName("ymrOutlays", "ymrOutlaysIDX"));
        IndexCopy copy;
        for (const QString &e : entries) {
            QFile::remove(bookPath(e));
            copy.apply('+' + e);
        }
        copy.save();
    }
    std::unique_ptr<Copy> open() override { return std::unique_ptr<Copy>(new IndexCopy); }
    QStringList onDisk() override
    {
        DBManager index;
        index.load();
        QStringList titles;
        for (const QString &path : index.paths())
            titles << QFileInfo(path).completeBaseName() + (QFileInfo::exists(path) ? "" : "?");
        return titles;
    }
};

// The templates: their book and the index that names them.
class TemplatesCopy : public Copy
{
public:
    TemplatesCopy() : m_templates(QStringLiteral("templates")) {}
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
    TemplateManager m_templates;
};

class TemplatesFile : public SharedFile
{
public:
    void prepare(const QStringList &entries) override
    {
        {
            TemplatesCopy clear;
            QFile::remove(clear.m_templates.indexFileName());
            QFile::remove(clear.m_templates.store()->fileName());
        }
        TemplatesCopy copy;
        for (const QString &e : entries)
            copy.apply('+' + e);
        copy.save();
    }
    std::unique_ptr<Copy> open() override { return std::unique_ptr<Copy>(new TemplatesCopy); }
    QStringList onDisk() override
    {
        TemplateManager templates(QStringLiteral("templates"));
        QStringList names;
        for (const QString &n : templates.names()) {
            // every name has its template, and only its own
            auto *t = static_cast<Task *>(templates.find(n));
            const QString shown = QString(n).replace(' ', '_');
            names << (t && n.startsWith(t->type) ? shown : shown + '?');
        }
        return names;
    }
};

// A value list: entries by their text.
class ListCopy : public Copy
{
public:
    ListCopy() : m_base(YMRPIM::loadList(QStringLiteral("types"))), m_list(m_base) {}
    void apply(const QString &op) override
    {
        if (op.startsWith('+'))
            m_list.append(op.mid(1));
        else
            m_list.removeAll(op.mid(1));
    }
    bool save() override { return YMRPIM::saveList(QStringLiteral("types"), m_list, m_base); }

private:
    QStringList m_base;
    QStringList m_list;
};

class ListFile : public SharedFile
{
public:
    void prepare(const QStringList &entries) override
    {
        YMRPIM::saveList(QStringLiteral("types"), entries);
    }
    std::unique_ptr<Copy> open() override { return std::unique_ptr<Copy>(new ListCopy); }
    QStringList onDisk() override { return YMRPIM::loadList(QStringLiteral("types")); }
};

// The categories: records by their UIDs.
class CategoriesCopy : public Copy
{
public:
    CategoriesCopy() { m_store.load(); }
    void apply(const QString &op) override
    {
        const QString title = op.mid(1);
        if (op.startsWith('+')) {
            auto *c = new CategoryRecord(&m_store);
            c->title = title;
            c->store(nullptr);
            return;
        }
        CategoryRecord *c = m_store.findByTitle(title);
        if (!c)
            return;
        if (op.startsWith('-')) {
            m_store.removeRecord(c);
        } else {
            auto *old = new CategoryRecord(*c);
            c->backgroundColor = Qt::red;
            c->store(old);
        }
    }
    bool save() override { return m_store.save(); }
    CategoryManager m_store;
};

class CategoriesFile : public SharedFile
{
public:
    void prepare(const QStringList &entries) override
    {
        const QString file = Global::applicationFileName("ymrOutlays", "ymrCategory");
        // no installed categories: just these
        writeFile(file, "FOLDER\nEND\n");
        CategoriesCopy copy;
        for (const QString &e : entries)
            copy.apply('+' + e);
        copy.save();
    }
    std::unique_ptr<Copy> open() override { return std::unique_ptr<Copy>(new CategoriesCopy); }
    QStringList onDisk() override
    {
        CategoriesCopy now;
        QStringList titles;
        for (PIMRecord *r : *now.m_store.records()) {
            auto *c = static_cast<CategoryRecord *>(r);
            titles << c->title + (c->backgroundColor == QColor(Qt::red) ? "!" : "");
        }
        return titles;
    }
};

// The alarm list: alarms by time and message.
const QDateTime AlarmTime(QDate(2031, 5, 6), QTime(7, 8, 9));

class AlarmsCopy : public Copy
{
public:
    explicit AlarmsCopy(const QString &dir) : m_server(dir) {}
    void apply(const QString &op) override
    {
        if (op.startsWith('+'))
            m_server.add(AlarmTime, "A/shared", op.mid(1).toUtf8(), 0);
        else
            m_server.remove(AlarmTime, "A/shared", op.mid(1).toUtf8(), 0);
    }
    bool save() override { return m_server.flush(); }

private:
    AlarmServer m_server;
};

class AlarmsFile : public SharedFile
{
public:
    void prepare(const QStringList &entries) override
    {
        QFile::remove(dir() + "/alarms");
        AlarmsCopy copy(dir());
        for (const QString &e : entries)
            copy.apply('+' + e);
    }
    std::unique_ptr<Copy> open() override { return std::unique_ptr<Copy>(new AlarmsCopy(dir())); }
    QStringList onDisk() override
    {
        AlarmServer now(dir());
        QStringList messages;
        for (const AlarmServer::Alarm &a : now.pending())
            messages << QString::fromUtf8(a.message);
        return messages;
    }

private:
    static QString dir() { return Qpe::userRoot() + "/alarmcopies"; }
};

// The platform's categories: the program only ever adds one, and saves at
// once. The other copy is the platform's own class on the file.
class PlatformCategoriesCopy : public Copy
{
public:
    PlatformCategoriesCopy() { m_categories.load(categoryFileName()); }
    void apply(const QString &op) override
    {
        m_categories.addCategory(YMRPIM::applicationName(), op.mid(1));
    }
    bool save() override { return m_categories.save(categoryFileName()); }

private:
    Categories m_categories;
};

class ProgramCategoriesCopy : public Copy
{
public:
    ProgramCategoriesCopy() { CategoriesManager::refresh(); }
    void apply(const QString &op) override { CategoriesManager::addCategory(op.mid(1)); }
    bool save() override { return true; }
};

class PlatformCategoriesFile : public SharedFile
{
public:
    void prepare(const QStringList &entries) override
    {
        QFile::remove(categoryFileName());
        PlatformCategoriesCopy copy;
        for (const QString &e : entries)
            copy.apply('+' + e);
        copy.save();
        m_opened = 0;
    }
    // the program's copy second: it read the file before the other wrote
    std::unique_ptr<Copy> open() override
    {
        if (m_opened++ == 0)
            return std::unique_ptr<Copy>(new PlatformCategoriesCopy);
        return std::unique_ptr<Copy>(new ProgramCategoriesCopy);
    }
    QStringList onDisk() override
    {
        Categories now;
        now.load(categoryFileName());
        return now.labels(YMRPIM::applicationName(), false);
    }

private:
    int m_opened = 0;
};

std::unique_ptr<SharedFile> fileOfKind(const QString &kind)
{
    if (kind == "book index")
        return std::unique_ptr<SharedFile>(new IndexFile);
    if (kind == "templates")
        return std::unique_ptr<SharedFile>(new TemplatesFile);
    if (kind == "value list")
        return std::unique_ptr<SharedFile>(new ListFile);
    if (kind == "categories")
        return std::unique_ptr<SharedFile>(new CategoriesFile);
    if (kind == "alarm list")
        return std::unique_ptr<SharedFile>(new AlarmsFile);
    return std::unique_ptr<SharedFile>(new PlatformCategoriesFile);
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
    const std::unique_ptr<SharedFile> file = fileOfKind(kind);
    file->prepare(before);
    std::unique_ptr<Copy> a = file->open();
    std::unique_ptr<Copy> b = file->open();
    for (const QString &op : first)
        a->apply(op);
    QVERIFY(a->save());
    for (const QString &op : second)
        b->apply(op);
    QVERIFY(b->save());
    b.reset();
    a.reset();
    QCOMPARE(file->onDisk(), after);
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
