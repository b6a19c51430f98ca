#include "ymrtest.h"

#include "openbook.h"

#include "pim/pimtextreader.h"
#include "pim/taskmanager.h"
#include "qpe/filereplacer.h"
#include "qt/ymrdialog.h"

#include <QLabel>
#include <QPushButton>

using namespace fixtures;

// A save that fails is told in the window without a box under the user's
// keys and tried again; closing then asks; the saves on timers wait for
// dialogs; a book another program holds or changed is not written over
// without the user's word.
class TestSaveFailures : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qApp->setQuitOnLastWindowClosed(false); }
    void cleanup()
    {
        FileReplacer::setSpaceLeft(-1);
        YMRDialog::stopScript();
    }
    void fullDiskIsToldAndTriedAgain();
    void closingWhileUnsavedAsks_data();
    void closingWhileUnsavedAsks();
    void timedSavesWaitForDialogs();
    void bookChangedElsewhere_data();
    void bookChangedElsewhere();
    void bookOpenInAnotherStore();
    void alarmNeverAdoptsAPartlyReadBook();

private:
    static void change(ToDoWindow &w, const char *type)
    {
        auto *task = static_cast<Task *>(w.manager()->first());
        auto *old = new Task(*task);
        task->type = QLatin1String(type);
        task->store(old);
    }
};

void TestSaveFailures::fullDiskIsToldAndTriedAgain()
{
    const QString path = makeBook(QStringLiteral("Full"), {{"Taxi", "3", "", "", QDate()}});
    ToDoWindow w;
    QVERIFY(openInWindow(w, path));
    QLabel *notice = w.saveNotice();
    QVERIFY(!notice->isVisibleTo(&w));
    FileReplacer::setSpaceLeft(0);

    change(w, "Bus");
    w.idleSaveTimer()->start(1);
    QTRY_VERIFY(notice->isVisibleTo(&w));
    QVERIFY2(notice->text().contains(QLatin1String("[Full]"))
                 && notice->text().contains(QLatin1String("no space")),
             qPrintable(notice->text()));
    // no box took the keyboard; the change is kept and tried again
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(w.manager()->isDirty());
    QVERIFY(!readAll(path).contains("TYPE=Bus"));
    QVERIFY(w.saveRetryTimer()->isActive());
    QCOMPARE(w.saveRetryTimer()->interval(), 30000);

    FileReplacer::setSpaceLeft(-1);
    w.saveRetryTimer()->start(1);
    QTRY_VERIFY(readAll(path).contains("TYPE=Bus"));
    QVERIFY(!notice->isVisibleTo(&w));
    QVERIFY(!w.manager()->isDirty());
    QVERIFY(w.unsavedText().isEmpty());
}

void TestSaveFailures::closingWhileUnsavedAsks_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<bool>("saved");
    QTest::newRow("cancel keeps the window") << "Cancel" << false << false;
    QTest::newRow("try again once there is room") << "Try Again" << true << true;
    QTest::newRow("lose the changes") << "Lose Changes" << true << false;
}

void TestSaveFailures::closingWhileUnsavedAsks()
{
    QFETCH(QString, answer);
    QFETCH(bool, closed);
    QFETCH(bool, saved);
    const QString path = makeBook(QStringLiteral("Close"), {{"Taxi", "3", "", "", QDate()}});
    ToDoWindow w;
    QVERIFY(openInWindow(w, path));
    FileReplacer::setSpaceLeft(0);
    change(w, "Bus");

    QString asked;
    ymrtest::whenModalShown([&](QDialog *d) {
        for (QLabel *l : d->findChildren<QLabel *>())
            asked += l->text();
        if (answer == QLatin1String("Try Again"))
            FileReplacer::setSpaceLeft(-1);
        for (QPushButton *b : d->findChildren<QPushButton *>()) {
            if (b->text().remove(QLatin1Char('&')).simplified() == answer)
                b->click();
        }
    });
    QCOMPARE(w.close(), closed);
    QVERIFY2(asked.contains(QLatin1String("no space")), qPrintable(asked));
    QCOMPARE(readAll(path).contains("TYPE=Bus"), saved);
    QCOMPARE(w.manager()->isDirty(), !closed);
    QCOMPARE(w.unsavedText().isEmpty(), closed);
    FileReplacer::setSpaceLeft(-1);
    w.manager()->load();
}

void TestSaveFailures::timedSavesWaitForDialogs()
{
    const QString path = makeBook(QStringLiteral("Dialogs"), {{"Taxi", "3", "", "", QDate()}});
    ToDoWindow w;
    QVERIFY(openInWindow(w, path));

    // the save after every eleventh change follows the idle save's rule
    ymrtest::whenModalShown([&](QDialog *d) {
        for (int i = 0; i < 12; ++i)
            change(w, i % 2 ? "Bus" : "Tram");
        ymrtest::flushEvents();
        QVERIFY(readAll(path).contains("TYPE=Taxi"));
        QVERIFY(w.manager()->isDirty());
        d->reject();
    });
    trigger(w, "new");
    QVERIFY(readAll(path).contains("TYPE=Taxi"));
    const int idle = w.idleSaveTimer()->interval();
    w.idleSaveTimer()->start(1);
    QTRY_VERIFY(readAll(path).contains("TYPE=Bus"));
    // an idle save in the wait below would start the deadline anew
    w.idleSaveTimer()->setInterval(idle);

    // a user who never stops gets a save within the minute all the same
    change(w, "Tram");
    QTimer *deadline = w.saveDeadlineTimer();
    QVERIFY(deadline->isActive());
    QCOMPARE(deadline->interval(), 60000);
    const int left = deadline->remainingTime();
    QTest::qWait(20);
    change(w, "Ferry");
    QVERIFY(deadline->remainingTime() < left);
    QVERIFY(w.idleSaveTimer()->isActive());
    deadline->start(1);
    QTRY_VERIFY(readAll(path).contains("TYPE=Ferry"));
    QVERIFY(!deadline->isActive());
}

void TestSaveFailures::bookChangedElsewhere_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QByteArray>("kept");
    QTest::addColumn<QByteArray>("lost");
    QTest::newRow("keep the other version") << 1 << QByteArray("TYPE=Other")
                                            << QByteArray("TYPE=Bus");
    QTest::newRow("write over it") << 2 << QByteArray("TYPE=Bus") << QByteArray("TYPE=Other");
}

void TestSaveFailures::bookChangedElsewhere()
{
    QFETCH(int, answer);
    QFETCH(QByteArray, kept);
    QFETCH(QByteArray, lost);
    const QString path = makeBook(QStringLiteral("Elsewhere"), {{"Taxi", "3", "", "", QDate()}});
    ToDoWindow w;
    QVERIFY(openInWindow(w, path));
    change(w, "Bus");
    {
        // another program puts its own version in place
        QByteArray other = readAll(path);
        other.replace("TYPE=Taxi", "TYPE=Other");
        writeFile(path + QStringLiteral(".x"), other);
        QVERIFY(::rename(QFile::encodeName(path + QStringLiteral(".x")).constData(),
                         QFile::encodeName(path).constData()) == 0);
    }
    YMRDialog::queueAnswer(answer);
    w.idleSaveTimer()->start(1);
    QTRY_COMPARE(YMRDialog::queuedAnswers(), 0);
    const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
    QCOMPARE(boxes.size(), 1);
    QVERIFY2(boxes.at(0).text.contains(QLatin1String("changed by another program")),
             qPrintable(boxes.at(0).text));
    QTRY_VERIFY(!w.manager()->isDirty());
    QVERIFY(readAll(path).contains(kept));
    QVERIFY(!readAll(path).contains(lost));
    QCOMPARE(static_cast<Task *>(w.manager()->first())->type, QString::fromLatin1(kept.mid(5)));
    QVERIFY(!w.saveNotice()->isVisibleTo(&w));
}

void TestSaveFailures::bookOpenInAnotherStore()
{
    const QString path = makeBook(QStringLiteral("Held"), {{"Taxi", "3", "", "", QDate()}});
    TaskManager other(path);
    QVERIFY(other.load());
    QVERIFY(other.lockFile());

    // told who holds it; opened at the user's word
    YMRDialog::queueAnswer(2);
    ToDoWindow w;
    QVERIFY(openInWindow(w, path));
    const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
    QCOMPARE(boxes.size(), 1);
    QVERIFY2(boxes.at(0).text.contains(QString::number(QCoreApplication::applicationPid()))
                 && boxes.at(0).text.contains(QSysInfo::machineHostName()),
             qPrintable(boxes.at(0).text));
    QVERIFY(!w.manager()->hasLock());
}

void TestSaveFailures::alarmNeverAdoptsAPartlyReadBook()
{
    const QString open = makeBook(QStringLiteral("Open"), {{"Taxi", "3", "", "", QDate()}});
    const QString other = makeBook(QStringLiteral("Partly"), {{"Bus", "2", "", "", QDate()},
                                                             {"Tram", "1", "", QString(400, 'x'), QDate()}});
    QString uid;
    {
        TaskManager store(other);
        QVERIFY(store.load());
        for (PIMRecord *r : *store.records())
            uid = static_cast<Task *>(r)->type == QLatin1String("Bus") ? r->uidString() : uid;
    }
    QVERIFY(!uid.isEmpty());
    const QByteArray before = readAll(other);
    ToDoWindow w;
    QVERIFY(openInWindow(w, open));

    // the expense of the reminder reads, the long line after it does not
    const int limit = PIMTextReader::maxLineLength();
    PIMTextReader::setMaxLineLength(200);
    Task *task = nullptr;
    w.getTask(&task, uid);
    PIMTextReader::setMaxLineLength(limit);
    QVERIFY(!task);
    QVERIFY(w.alarmStores().isEmpty());
    QCOMPARE(readAll(other), before);
}

YMR_TEST_MAIN(TestSaveFailures)
#include "tst_savefailures.moc"
