// ymr-test-screens: 240x320 480x640
#include "currencieslist.h"
#include "customlistdialog.h"
#include "datetimeformateditor.h"
#include "numberformateditor.h"
#include "taskeditor.h"
#include "ymrtest.h"

#include "pim/formatnumber.h"
#include "pim/ymrpim.h"
#include "qpe/config.h"
#include "qpe/filereplacer.h"
#include "qpe/unsavedfiles.h"
#include "qt/ymrapplication.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrdialog.h"
#include "qt/ymrlistbox.h"
#include "qt/ymrlistview.h"
#include "qt/ymrlistviewitem.h"
#include "qt/ymrpushbutton.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include <cerrno>
#include <cstring>

namespace {

QByteArray fileBytes(const QString &listName)
{
    QFile f(YMRPIM::userListPath(listName));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList texts(YMRListView *list, int column = 0)
{
    QStringList result;
    for (YMRListViewItem *i = list->firstChild(); i; i = i->itemBelow())
        result.append(i->text(column));
    return result;
}

YMRListViewItem *row(YMRListView *list, int n)
{
    YMRListViewItem *i = list->firstChild();
    while (i && n-- > 0)
        i = i->itemBelow();
    return i;
}

} // namespace

class TestListEditors : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        for (const char *name : {"types", "numberformat", "currencies_en", "currencies_ja"})
            QFile::remove(YMRPIM::userListPath(QLatin1String(name)));
        Config config(YMRPIM::applicationName());
        config.setGroup(QStringLiteral("Options"));
        config.removeEntry(QStringLiteral("numberformat"));
        config.removeEntry(QStringLiteral("defcformat"));
        qputenv("LANG", "en");
    }
    void cleanup()
    {
        FileReplacer::setSpaceLeft(-1);
        FileReplacer::setSyncFault(0);
        UnsavedFiles::instance()->retryAll();
        YMRDialog::stopScript();
    }

    void emptyValueList()
    {
        QVERIFY(YMRPIM::saveList(QStringLiteral("types"), {}));
        CustomListDialog d(QStringLiteral("types"), QStringLiteral("Edit Types|Type"),
                           QStringLiteral("completed"));
        QCOMPARE(d.windowTitle(), QStringLiteral("Edit Types"));
        QCOMPARE(d.label->text(), QStringLiteral("Type: "));
        QVERIFY(!d.list->currentItem());
        for (QWidget *w : {static_cast<QWidget *>(d.text), static_cast<QWidget *>(d.btnRemove),
                           static_cast<QWidget *>(d.btnSort), static_cast<QWidget *>(d.btnUp),
                           static_cast<QWidget *>(d.btnDown)})
            QVERIFY(!w->isEnabled());
        QVERIFY(d.btnNew->isEnabled());
        d.btnNew->click();
        QVERIFY(d.text->isEnabled());
        QVERIFY(d.text->text().isEmpty());
        QVERIFY(d.btnRemove->isEnabled() && d.btnSort->isEnabled() && !d.btnUp->isEnabled());
    }

    void editValueList()
    {
        QVERIFY(YMRPIM::saveList(QStringLiteral("types"), {"b", "B", " a "}));
        {
            CustomListDialog d(QStringLiteral("types"), QStringLiteral("Edit Types|Type"),
                               QStringLiteral("completed"));
            QCOMPARE(d.entries(), QStringList({"b", "B", " a "}));
            QVERIFY(!d.btnUp->isEnabled() && d.btnDown->isEnabled());
            // selecting fills the field without renaming; typing renames live
            d.list->setCurrentItem(row(d.list, 2));
            QCOMPARE(d.text->text(), QStringLiteral(" a "));
            QVERIFY(d.btnUp->isEnabled() && !d.btnDown->isEnabled());
            QTest::keyClick(d.text, Qt::Key_Backspace);
            QCOMPARE(d.entries(), QStringList({"b", "B", " a"}));
            d.text->setText(QStringLiteral("a"));
            d.btnSort->click();
            QCOMPARE(d.entries(), QStringList({"B", "a", "b"}));
            QCOMPARE(d.list->currentItem(), d.list->firstChild());
            // positions again after the sort: moving works on them
            d.btnDown->click();
            QCOMPARE(d.entries(), QStringList({"a", "B", "b"}));
            QCOMPARE(d.list->currentItem()->text(0), QStringLiteral("B"));
            d.btnNew->click(); // left empty
            d.reject();
        }
        // written even though cancelled, the empty entry as an empty line
        QCOMPARE(fileBytes(QStringLiteral("types")), QByteArray("a\nB\nb\n"));
        QCOMPARE(YMRPIM::loadList(QStringLiteral("types")), QStringList({"a", "B", "b"}));
    }

    void removeValues()
    {
        QVERIFY(YMRPIM::saveList(QStringLiteral("types"), {"a", "b", "c"}));
        CustomListDialog d(QStringLiteral("types"), QStringLiteral("Edit|X"),
                           QStringLiteral("completed"));
        d.list->setCurrentItem(row(d.list, 1));
        d.btnRemove->click();
        QCOMPARE(d.entries(), QStringList({"a", "c"}));
        QCOMPARE(d.text->text(), QStringLiteral("c"));
        d.btnRemove->click();
        QCOMPARE(d.text->text(), QStringLiteral("a"));
        d.btnRemove->click();
        QVERIFY(!d.list->currentItem());
        QVERIFY(!d.text->isEnabled() && !d.btnRemove->isEnabled());
        d.btnRemove->click(); // nothing current: nothing happens
        QVERIFY(d.entries().isEmpty());
    }

    void numberFormatCodes()
    {
        QVERIFY(YMRPIM::saveList(QStringLiteral("numberformat"), {"#,#", "#.00"}));
        {
            NumberFormatEditor e(QStringLiteral("@ #,##0.00"), QStringLiteral("$"));
            QCOMPARE(e.windowTitle(), QStringLiteral("Number Format Editor [$]"));
            QCOMPARE(e.codes(), QStringList({"#,#", "#.00", "@ #,##0.00"}));
            QCOMPARE(e.list->currentItem(), 2);
            QCOMPARE(e.format(), QStringLiteral("@ #,##0.00"));
            QCOMPARE(e.number->text(), QStringLiteral("1234.5678"));
            QCOMPARE(e.example->text(),
                     formatNumber(1234.5678, QStringLiteral("@ #,##0.00"), QStringLiteral("$")));
            QVERIFY(!e.btnAdd->isEnabled() && !e.btnUpdate->isEnabled());

            e.edit->setText(QStringLiteral("#.00")); // an existing code: selected
            QCOMPARE(e.list->currentItem(), 1);
            QVERIFY(!e.btnAdd->isEnabled() && !e.btnUpdate->isEnabled());
            e.edit->setText(QStringLiteral("#.000"));
            QVERIFY(e.btnAdd->isEnabled() && e.btnUpdate->isEnabled());
            e.edit->clear();
            QVERIFY(!e.btnAdd->isEnabled() && !e.btnUpdate->isEnabled());
            e.edit->setText(QStringLiteral("#.0"));
            e.btnAdd->click();
            QCOMPARE(e.codes().last(), QStringLiteral("#.0"));
            QCOMPARE(e.list->currentItem(), 3);
            QVERIFY(!e.btnAdd->isEnabled());

            e.list->setCurrentItem(0);
            QCOMPARE(e.format(), QStringLiteral("#,#"));
            QVERIFY(!e.btnAdd->isEnabled() && !e.btnUpdate->isEnabled());

            YMRDialog::queueAnswer(2); // Cancel keeps the code
            e.btnRemove->click();
            QCOMPARE(e.codes().size(), 4);
            YMRDialog::queueAnswer(1);
            e.btnRemove->click();
            QCOMPARE(e.codes(), QStringList({"#.00", "@ #,##0.00", "#.0"}));
            const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
            QCOMPARE(boxes.size(), 2);
            QCOMPARE(boxes.at(0).text,
                     QStringLiteral("Are you sure you want to delete\nFormat code [#,#] ?"));
            YMRDialog::stopScript();
        }
        QCOMPARE(YMRPIM::loadList(QStringLiteral("numberformat")),
                 QStringList({"#.00", "@ #,##0.00", "#.0"}));
    }

    void sampleNumber_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("shown");
        QTest::newRow("number") << "12.5" << 12.5;
        QTest::newRow("decimal comma") << "12,5" << 12.5;
        QTest::newRow("group separator") << "1,234.5" << 0.0;
        QTest::newRow("text") << "abc" << 0.0;
        QTest::newRow("infinity") << "inf" << 0.0;
        QTest::newRow("nan") << "nan" << 0.0;
        QTest::newRow("huge") << "1e999" << 0.0;
    }

    void sampleNumber()
    {
        QFETCH(QString, typed);
        QFETCH(double, shown);
        NumberFormatEditor e(QStringLiteral("#.00"), QString());
        QCOMPARE(e.windowTitle(), QStringLiteral("Number Format Editor []"));
        e.number->setText(typed);
        QCOMPARE(e.example->text(), formatNumber(shown, QStringLiteral("#.00"), QString()));
        e.reject();
        Config config(YMRPIM::applicationName());
        config.setGroup(QStringLiteral("Options"));
        QCOMPARE(config.readEntry(QStringLiteral("numberformat")), typed);
    }

    void currencyRows()
    {
        {
            Config config(YMRPIM::applicationName());
            config.setGroup(QStringLiteral("Options"));
            config.writeEntry(QStringLiteral("defcformat"), QStringLiteral("#.0@"));
        }
        QVERIFY(YMRPIM::saveList(QStringLiteral("numberformat"), {"#,#", "@#.00"}));
        QVERIFY(YMRPIM::saveList(QStringLiteral("currencies_en"), {"EUR", "$|@#.00", "Y|"}));
        {
            CurrenciesList c;
            QCOMPARE(c.windowTitle(), QStringLiteral("Edit Currencies"));
            QCOMPARE(texts(c.list), QStringList({"EUR", "$", "Y"}));
            QCOMPARE(texts(c.list, 1), QStringList({"#.0@", "@#.00", "#.0@"}));
            // a format not in the code list shows in the edit field only
            QCOMPARE(c.formats->currentText(), QStringLiteral("#.0@"));
            QCOMPARE(c.formats->count(), 2);
            c.list->setCurrentItem(row(c.list, 1));
            QCOMPARE(c.text->text(), QStringLiteral("$"));
            QCOMPARE(c.formats->currentItem(), 1);

            // "|" cannot be typed into a symbol: it is refused with a hint
            QTest::keyClicks(c.text, QStringLiteral("|x"));
            QCOMPARE(row(c.list, 1)->text(0), QStringLiteral("$x"));
            QVERIFY(c.text->findChild<QWidget *>(QStringLiteral("YMRPIM hint"))->isVisible());

            YMRDialog::queueAnswer(2);
            c.btnRemove->click();
            QCOMPARE(c.list->childCount(), 3);
            YMRDialog::stopScript();

            c.btnNew->click();
            QCOMPARE(c.list->currentItem(), row(c.list, 3));
            QVERIFY(c.text->text().isEmpty());
            QCOMPARE(row(c.list, 3)->text(1), QStringLiteral("#.0@"));
            c.formats->setEditText(QStringLiteral("#,#"));
            QCOMPARE(row(c.list, 3)->text(1), QStringLiteral("#,#"));
            c.btnUp->click();
            QCOMPARE(texts(c.list), QStringList({"EUR", "$x", "", "Y"}));
            c.reject();
        }
        // the currency left without a symbol is not written
        QCOMPARE(fileBytes(QStringLiteral("currencies_en")),
                 QByteArray("EUR|#.0@\n$x|@#.00\nY|#.0@"));
    }

    void currencyListFollowsLang()
    {
        qputenv("LANG", "JA");
        QCOMPARE(CurrenciesList::listName(), QStringLiteral("currencies_ja"));
        QVERIFY(YMRPIM::saveList(QStringLiteral("currencies_ja"), {"JPY|#,#"}));
        {
            CurrenciesList c;
            QCOMPARE(texts(c.list), QStringList({"JPY"}));
            QVERIFY(!c.btnUp->isEnabled() && !c.btnDown->isEnabled());
        }
        QCOMPARE(fileBytes(QStringLiteral("currencies_ja")), QByteArray("JPY|#,#"));
    }

    void emptyCurrencyList()
    {
        QVERIFY(YMRPIM::saveList(QStringLiteral("currencies_en"), {}));
        CurrenciesList c;
        QVERIFY(!c.list->currentItem());
        QVERIFY(!c.text->isEnabled() && !c.formats->isEnabled() && !c.btnFormat->isEnabled());
        QVERIFY(!c.btnRemove->isEnabled() && !c.btnUp->isEnabled() && !c.btnDown->isEnabled());
        QVERIFY(c.btnNew->isEnabled());
    }

    void formatFromEditor()
    {
        QVERIFY(YMRPIM::saveList(QStringLiteral("numberformat"), {"#,#"}));
        QVERIFY(YMRPIM::saveList(QStringLiteral("currencies_en"), {"$|#,#"}));
        CurrenciesList c;
        ymrtest::whenModalShown([](QDialog *d) {
            auto *e = qobject_cast<NumberFormatEditor *>(d);
            QVERIFY(e);
            QCOMPARE(e->windowTitle(), QStringLiteral("Number Format Editor [$]"));
            e->edit->setText(QStringLiteral("@ #.00"));
            e->btnAdd->click();
            e->reject(); // the code counts however the editor closed
        });
        c.btnFormat->click();
        QCOMPARE(c.formats->currentText(), QStringLiteral("@ #.00"));
        QCOMPARE(c.formats->count(), 2);
        QCOMPARE(c.list->firstChild()->text(1), QStringLiteral("@ #.00"));
    }

    // A new entry that a full disk, or a disk that fails the write, keeps
    // off the disk: told at once, kept in what the next editor and the
    // drop-down show (a second change made meanwhile too), and written once
    // the disk takes it again.
    void fullDiskKeepsNewEntries_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("named");
        QTest::addColumn<bool>("full");   // else the disk fails to confirm the bytes (fdatasync)
        for (bool full : {true, false}) {
            const QString cause = full ? QStringLiteral(", full disk") : QStringLiteral(", failed sync");
            QTest::newRow(qPrintable("type, from the expense's edit button" + cause))
                << "types" << "the list \"Type\"" << full;
            QTest::newRow(qPrintable("currencies" + cause)) << "currencies_en" << "the currency list" << full;
            QTest::newRow(qPrintable("number formats" + cause)) << "numberformat" << "the number formats" << full;
            QTest::newRow(qPrintable("date formats" + cause)) << "dateFormat" << "the date formats" << full;
        }
    }

    void fullDiskKeepsNewEntries()
    {
        QFETCH(QString, list);
        QFETCH(QString, named);
        QFETCH(bool, full);
        const auto failWrites = [full](bool fail) {
            if (full)
                FileReplacer::setSpaceLeft(fail ? 0 : -1);
            else
                FileReplacer::setSyncFault(fail ? EIO : 0);
        };
        const QString reason = full ? QStringLiteral("no space") : QString::fromLocal8Bit(strerror(EIO));
        QVERIFY(YMRPIM::saveList(list, {"A|#"}));
        const QByteArray before = fileBytes(list);
        TaskEditor page;
        // adds entry through the list's editor; what the editor showed at its start
        const auto add = [&](const QString &entry) {
            QStringList shown;
            if (list == QLatin1String("types")) {
                ymrtest::whenModalShown([&](QDialog *d) {
                    auto *e = qobject_cast<CustomListDialog *>(d);
                    QVERIFY(e);
                    shown = e->entries();
                    e->btnNew->click();
                    e->text->setText(entry);
                    e->reject();
                });
                page.stype->click();
            } else if (list == QLatin1String("currencies_en")) {
                CurrenciesList c;
                shown = texts(c.list);
                c.btnNew->click();
                c.text->setText(entry);
            } else if (list == QLatin1String("numberformat")) {
                NumberFormatEditor e(entry, QStringLiteral("$"));
                shown = e.codes();
                shown.removeAll(entry);
            } else {
                DateTimeFormatEditor e(list, entry);
                for (int i = 0; i < int(e.list->count()); ++i)
                    shown << e.list->text(i);
                shown.removeAll(entry);
            }
            ymrtest::flushEvents();
            return shown;
        };

        failWrites(true);
        YMRDialog::queueAnswer(1);
        add(QStringLiteral("B"));
        QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes.at(0).text.contains(named) && boxes.at(0).text.contains(reason),
                 qPrintable(boxes.at(0).text));
        QCOMPARE(fileBytes(list), before);
        QCOMPARE(UnsavedFiles::instance()->lines().size(), 1);
        QVERIFY(UnsavedFiles::instance()->lines().at(0).startsWith(named));
        if (list == QLatin1String("types"))
            QCOMPARE(page.type->text(page.type->count() - 1), QStringLiteral("B"));

        // the next editor starts from the kept list; its own change joins it
        YMRDialog::queueAnswer(1);
        const QStringList shown = add(QStringLiteral("C"));
        QCOMPARE(shown.size(), 2);
        QVERIFY2(shown.at(1).startsWith(QLatin1Char('B')), qPrintable(shown.join(',')));
        QCOMPARE(YMRDialog::takeScriptedBoxes().size(), 1);
        QCOMPARE(UnsavedFiles::instance()->lines().size(), 1);
        QCOMPARE(fileBytes(list), before);

        failWrites(false);
        QCOMPARE(UnsavedFiles::instance()->retryAll(), 0);
        const QStringList written = YMRPIM::loadList(list);
        QCOMPARE(written.size(), 3);
        QVERIFY2(written.at(1).startsWith(QLatin1Char('B')) && written.at(2).startsWith(QLatin1Char('C')),
                 qPrintable(written.join(',')));
        // written: an editor now starts from the file
        QCOMPARE(add(QStringLiteral("D")).size(), 3);
        QCOMPARE(YMRPIM::loadList(list).size(), 4);
    }

    void grabs()
    {
        QVERIFY(YMRPIM::saveList(QStringLiteral("types"), {"Lunch", "Taxi", "Hotel"}));
        QVERIFY(YMRPIM::saveList(QStringLiteral("currencies_en"), {"$|@#,##0.00", "EUR"}));
        const QString screen = QString::fromLocal8Bit(qgetenv("QPE_SCREEN"));
        CustomListDialog d(QStringLiteral("types"), QStringLiteral("Edit Types|Type"),
                           QStringLiteral("completed"));
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QVERIFY(!d.grab().isNull());
        d.grab().save(ymrtest::grabPath("ymr-customlist-" + screen));
        CurrenciesList c;
        QVERIFY(QTest::qWaitForWindowExposed(&c));
        c.grab().save(ymrtest::grabPath("ymr-currencies-" + screen));
        NumberFormatEditor e(QStringLiteral("@#,##0.00"), QStringLiteral("$"));
        QVERIFY(QTest::qWaitForWindowExposed(&e));
        e.grab().save(ymrtest::grabPath("ymr-numberformat-" + screen));
        QVERIFY(d.width() <= QPEApplication::screenRect().width());
    }
};

YMR_TEST_MAIN(TestListEditors)
#include "tst_listeditors.moc"
