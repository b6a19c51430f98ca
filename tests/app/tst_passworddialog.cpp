// ymr-test-screens: 240x320 480x640
#include "ymrtest.h"

#include "bookfixtures.h"
#include "modaldriver.h"

#include "passworddialog.h"
#include "passworddialog2.h"

#include "pim/taskmanager.h"
#include "qpe/qpeapplication.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrdialog.h"
#include "qt/ymrpushbutton.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>

using namespace fixtures;

class TestPasswordDialog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase() { delete m_index; }
    void cleanup();
    void formAndMask();
    void confirmAsksAgainUntilBothMatch_data();
    void confirmAsksAgainUntilBothMatch();
    void checkPassword_data();
    void checkPassword();
    void askPassword_data();
    void askPassword();
    void pastedLineBreakOpensAgain();
    void sameTitleResolvesToFirstBook();
    void promptsOpenOverTheProgram();
    void grabs();

private:
    DBManager *m_index = nullptr;
};

void TestPasswordDialog::initTestCase()
{
    PasswordDialog2::installPrompts();
    m_index = new DBManager();
    addBook(m_index, QStringLiteral("Alpha"), QStringLiteral("Secret"));
    addBook(m_index, QStringLiteral("Open"));
    addBook(m_index, QStringLiteral("Gamma"), QStringLiteral("g"));
    QCOMPARE(m_index->count(), 3);
}

void TestPasswordDialog::cleanup()
{
    YMRDialog::stopScript();
}

void TestPasswordDialog::formAndMask()
{
    PasswordDialog plain(false);
    QCOMPARE(plain.objectName(), QStringLiteral("PasswordDialogBase"));
    QCOMPARE(plain.windowTitle(), QStringLiteral("Enter password"));
    QCOMPARE(plain.width(), QPEApplication::screenRect().width() - 20);
    QVERIFY(plain.p2->isHidden());
    QVERIFY(plain.icon->isHidden());
    QVERIFY(plain.btnMask->isOn());
    QCOMPARE(plain.p1->echoMode(), QLineEdit::Password);
    plain.btnMask->click();
    QCOMPARE(plain.p1->echoMode(), QLineEdit::Normal);
    QCOMPARE(plain.p2->echoMode(), QLineEdit::Normal);
    plain.btnMask->click();
    QCOMPARE(plain.p2->echoMode(), QLineEdit::Password);

    PasswordDialog confirm(true);
    QVERIFY(!confirm.p2->isHidden());
    QVERIFY(!confirm.icon->pixmap(Qt::ReturnByValue).isNull());
}

void TestPasswordDialog::confirmAsksAgainUntilBothMatch_data()
{
    QTest::addColumn<QStringList>("tries");   // pairs typed, "" pair last
    QTest::addColumn<bool>("cancelLast");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("mismatches");
    QTest::newRow("equal") << QStringList{"pw", "pw"} << false << "pw" << 0;
    QTest::newRow("mismatch then equal") << QStringList{"a", "b", "x", "x"} << false << "x" << 1;
    QTest::newRow("both empty") << QStringList{"", ""} << false << "" << 0;
    QTest::newRow("mismatch then cancel") << QStringList{"a", "A"} << true << QString() << 1;
}

void TestPasswordDialog::confirmAsksAgainUntilBothMatch()
{
    QFETCH(QStringList, tries);
    QFETCH(bool, cancelLast);
    QFETCH(QString, result);
    QFETCH(int, mismatches);

    PasswordDialog dialog(true);
    ModalDriver driver;
    QStringList seenBefore;
    for (int i = 0; i < tries.size(); i += 2) {
        const QString a = tries.at(i);
        const QString b = tries.at(i + 1);
        driver.expect("PasswordDialog", [&seenBefore, a, b](QWidget *w) {
            auto *d = static_cast<PasswordDialog *>(w);
            seenBefore << d->p1->text() + d->p2->text();   // cleared before each run
            type(w, "p1", a);
            type(w, "p2", b);
            QTest::keyClick(d->p2, Qt::Key_Return);
        });
        if (a != b)
            YMRDialog::queueAnswer(1);
    }
    if (cancelLast)
        driver.expect("PasswordDialog", [](QWidget *w) {
            static_cast<PasswordDialog *>(w)->btnCancel->click();
        });

    const QString got = dialog.getPassword();
    QCOMPARE(got, result);
    QCOMPARE(got.isNull(), result.isNull());
    QCOMPARE(driver.pending(), 0);
    for (const QString &s : qAsConst(seenBefore))
        QVERIFY(s.isEmpty());
    const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
    QCOMPARE(boxes.size(), mismatches);
    for (const auto &box : boxes) {
        QCOMPARE(box.caption, QStringLiteral("Enter password ..."));
        QCOMPARE(box.text, QStringLiteral("Passwords do not match."));
    }
}

void TestPasswordDialog::checkPassword_data()
{
    QTest::addColumn<QString>("book");
    QTest::addColumn<QString>("typed");   // null: cancelled
    QTest::addColumn<bool>("allowed");
    QTest::newRow("no password, no prompt") << "Open" << "-" << true;
    QTest::newRow("exact") << "Alpha" << "Secret" << true;
    QTest::newRow("other case") << "Alpha" << "secret" << false;
    QTest::newRow("empty") << "Alpha" << "" << false;
    QTest::newRow("cancelled") << "Alpha" << QString() << false;
}

void TestPasswordDialog::checkPassword()
{
    QFETCH(QString, book);
    QFETCH(QString, typed);
    QFETCH(bool, allowed);
    DBRecord *record = m_index->findByTitle(book);
    QVERIFY(record);

    ModalDriver driver;
    if (!record->password().isEmpty()) {
        driver.expect("PasswordDialog", [typed](QWidget *w) {
            if (typed.isNull()) {
                ModalDriver::reject(w);
                return;
            }
            type(w, "p1", typed);
            static_cast<PasswordDialog *>(w)->btnOk->click();
        });
    }
    if (!allowed)
        YMRDialog::queueAnswer(1);
    QCOMPARE(DBManager::checkPassword(record), allowed);
    QCOMPARE(driver.pending(), 0);
    QVERIFY(driver.unexpected.isEmpty());
    const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
    if (allowed) {
        QVERIFY(boxes.isEmpty());
    } else {
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.at(0).caption, QStringLiteral("Invalid password ..."));
        QCOMPARE(boxes.at(0).text, QStringLiteral("Access denied."));
    }
}

void TestPasswordDialog::askPassword_data()
{
    QTest::addColumn<QString>("book");
    QTest::addColumn<QString>("choose");    // another book picked in the combo, or empty
    QTest::addColumn<QString>("typed");     // "<exit>", "<books>" or the text
    QTest::addColumn<QString>("opened");    // title, or empty for none
    QTest::addColumn<bool>("manager");
    QTest::newRow("no password") << "Open" << "" << "" << "Open" << false;
    QTest::newRow("right password") << "Alpha" << "" << "Secret" << "Alpha" << false;
    QTest::newRow("wrong password") << "Alpha" << "" << "Secre" << "" << false;
    QTest::newRow("exit") << "Alpha" << "" << "<exit>" << "" << false;
    QTest::newRow("books button") << "Alpha" << "" << "Secret" << "" << true;
    QTest::newRow("unprotected book chosen") << "Alpha" << "Open" << "" << "Open" << false;
    QTest::newRow("protected book chosen") << "Alpha" << "Gamma" << "g" << "Gamma" << false;
    QTest::newRow("its own password needed") << "Alpha" << "Gamma" << "Secret" << "" << false;
}

void TestPasswordDialog::askPassword()
{
    QFETCH(QString, book);
    QFETCH(QString, choose);
    QFETCH(QString, typed);
    QFETCH(QString, opened);
    QFETCH(bool, manager);
    DBRecord *record = m_index->findByTitle(book);
    QVERIFY(record);

    ModalDriver driver;
    if (!record->password().isEmpty()) {
        driver.expect("PasswordDialog2", [=](QWidget *w) {
            auto *d = static_cast<PasswordDialog2 *>(w);
            QCOMPARE(d->booksCombo()->currentText(), book);
            QCOMPARE(d->btnCancel->text(), QStringLiteral("Exit"));
            QVERIFY(d->p2->isHidden());
            if (!choose.isEmpty()) {
                type(w, "p1", QStringLiteral("typed before"));
                YMRComboBox *combo = d->booksCombo();
                for (int i = 0; i < combo->count(); ++i) {
                    if (combo->text(i) == choose)
                        combo->setCurrentItem(i);
                }
                emit combo->activated(choose);
                if (!d->isVisible())
                    return;   // an unprotected book opens at once
                QVERIFY(d->p1->text().isEmpty());
            }
            if (manager) {
                type(w, "p1", typed);
                d->booksButton()->click();
            } else if (typed == QLatin1String("<exit>")) {
                d->btnCancel->click();
            } else {
                type(w, "p1", typed);
                d->btnOk->click();
            }
        });
    }
    bool requested = !manager;
    DBRecord *result = m_index->askPassword(record, &requested);
    QCOMPARE(requested, manager);
    QCOMPARE(result ? result->title() : QString(), opened);
    QCOMPARE(driver.pending(), 0);
    QVERIFY(driver.unexpected.isEmpty());
    QVERIFY(YMRDialog::takeScriptedBoxes().isEmpty());   // refusals say nothing
}

// A line break pasted into a password shows as a blank, as in any one-line
// field, and is stored as one: the password typed as it was shown opens the
// book again. A book whose password an older copy stored with the line
// break opens with the blank shown then, or with the "|" of its file.
void TestPasswordDialog::pastedLineBreakOpensAgain()
{
    PasswordDialog set(true);
    ModalDriver driver;
    QString shown;
    driver.expect("PasswordDialog", [&](QWidget *w) {
        auto *d = static_cast<PasswordDialog *>(w);
        d->btnMask->click();   // shown as typed
        for (QLineEdit *field : {d->p1, d->p2}) {
            QApplication::clipboard()->setText(QStringLiteral("secret\nmore"));
            QTest::keySequence(field, QKeySequence::Paste);
        }
        shown = d->p1->displayText();
        QTest::keyClick(d->p2, Qt::Key_Return);
    });
    const QString password = set.getPassword();
    QCOMPARE(shown, QStringLiteral("secret more"));
    QCOMPARE(password, shown);

    const QString path = bookPath(QStringLiteral("Pasted"));
    {
        TaskManager book(path);
        book.setPassword(password);
        QVERIFY(book.save());
    }
    writeFile(bookPath(QStringLiteral("Older")),
              "FOLDER\nPWD=old|pasted\nEND\n");
    struct Try { const char *book; const char *typed; bool opens; };
    const Try tries[] = {{"Pasted", "secret more", true},
                         {"Pasted", "secret|more", false},
                         {"Older", "old pasted", true},
                         {"Older", "old|pasted", true},
                         {"Older", "oldpasted", false}};
    for (const Try &t : tries) {
        DBManager index;
        TaskManager book(bookPath(QLatin1String(t.book)), false, true);
        QVERIFY(book.load());
        DBRecord *record = addBook(&index, QLatin1String(t.book), book.password());
        const QString typed = QLatin1String(t.typed);
        driver.expect("PasswordDialog2", [typed](QWidget *w) {
            type(w, "p1", typed);
            static_cast<PasswordDialog *>(w)->btnOk->click();
        });
        bool requested = false;
        QCOMPARE(index.askPassword(record, &requested) == record, t.opens);
    }
    QCOMPARE(driver.pending(), 0);
    QVERIFY(driver.unexpected.isEmpty());
}

void TestPasswordDialog::sameTitleResolvesToFirstBook()
{
    DBManager index;
    QDir().mkpath(booksDir() + "/other");
    DBRecord *first = addBook(&index, QStringLiteral("Same"), QStringLiteral("one"));
    DBRecord *second = addBook(&index, QStringLiteral("Same"), QStringLiteral("two"),
                               booksDir() + "/other/Same.exp");
    PasswordDialog2 dialog(&index, second);
    QCOMPARE(dialog.selectedRecord(), first);
}

void TestPasswordDialog::promptsOpenOverTheProgram()
{
    // the program's window, moved away from the desktop's corner
    QWidget main;
    ymrApp->showMainDocumentWidget(&main);
    main.move(30, 20);
    // (the screen there, or moved up where it would hang below the desktop)
    QTRY_COMPARE(main.frameGeometry().topLeft(), QPoint(30, 20));
    DBRecord *alpha = m_index->findByTitle(QStringLiteral("Alpha"));
    QVERIFY(alpha);
    ModalDriver driver;
    const auto overMain = [&main](QWidget *w) {
        ModalDriver::reject(w);
        QCOMPARE(w->parentWidget(), &main);
        // in the middle of the screen (give or take the frame)
        const QPoint off = w->geometry().center() - QPEApplication::screenRect().center();
        QVERIFY2(off.manhattanLength() <= 8, qPrintable(QString::number(off.manhattanLength())));
    };
    driver.expect("PasswordDialog2", overMain);
    driver.expect("PasswordDialog", overMain);
    bool requested = false;
    QVERIFY(!m_index->askPassword(alpha, &requested));
    YMRDialog::queueAnswer(1);
    QVERIFY(!DBManager::checkPassword(alpha));
    QCOMPARE(driver.pending(), 0);
    YMRDialog::takeScriptedBoxes();
}

void TestPasswordDialog::grabs()
{
    const QString size = QString::number(QPEApplication::screenRect().width());
    PasswordDialog confirm(true);
    confirm.show();
    QVERIFY(QTest::qWaitForWindowExposed(&confirm));
    QVERIFY(confirm.grab().save(ymrtest::grabPath("ymr-password-confirm-" + size)));
    PasswordDialog2 open(m_index, m_index->findByTitle(QStringLiteral("Alpha")));
    open.show();
    QVERIFY(QTest::qWaitForWindowExposed(&open));
    QVERIFY(open.btnOk->isVisible() && open.booksButton()->isVisible());
    QVERIFY(open.booksCombo()->geometry().bottom() < open.p1->geometry().top());
    QVERIFY(open.grab().save(ymrtest::grabPath("ymr-password-open-" + size)));
}

YMR_TEST_MAIN(TestPasswordDialog)
#include "tst_passworddialog.moc"
