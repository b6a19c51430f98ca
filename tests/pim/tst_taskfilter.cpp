#include "ymrtest.h"
#include "ymrlocale.h"

#include "pim/categorymanager.h"
#include "pim/categoryrecord.h"
#include "pim/filtercondition.h"
#include "pim/pimreminder.h"
#include "pim/task.h"
#include "pim/taskfilter.h"
#include "pim/taskmanager.h"
#include "qt/ymrapplication.h"

#include <memory>

class TestTaskFilter : public QObject
{
    Q_OBJECT

private:
    static FilterCondition cond(int field, int code, const QString &text = QString())
    {
        FilterCondition c;
        c.field = field;
        c.condition = code;
        c.text = text;
        return c;
    }

    std::unique_ptr<TaskManager> m_book;
    QString m_food;
    QString m_travel;

private slots:
    void initTestCase();
    void cleanupTestCase();
    void caseIsIgnoredOneWay_data();
    void caseIsIgnoredOneWay();

    void textForm();
    void textFormRoundTrip();
    void amountKeepsPrecision();
    void truncatedText();
    void malformedText();

    void textCodes_data();
    void textCodes();
    void textFieldsEachField();
    void allTextFields();
    void categoryField();
    void amountCodes_data();
    void amountCodes();
    void dateCodes();
    void reminderField();
    void createdMinuteWindow();
    void unknownFieldOrCode();
    void filterNeedsEveryCondition();
};

void TestTaskFilter::initTestCase()
{
    m_book.reset(new TaskManager(QStringLiteral("filters.exp")));
    CategoryManager *cats = TaskManager::sharedCategoryManager();
    auto *food = new CategoryRecord(cats);
    food->title = QStringLiteral("Food");
    cats->addRecord(food);
    auto *travel = new CategoryRecord(cats);
    travel->title = QStringLiteral("Travel");
    cats->addRecord(travel);
    m_food = food->uidString();
    m_travel = travel->uidString();
}

void TestTaskFilter::cleanupTestCase()
{
    m_book.reset();
    TaskManager::releaseSharedCategoryManager();
}

void TestTaskFilter::textForm()
{
    TaskFilter food(QStringLiteral("Food"));
    food.conditions << cond(FilterCondition::Type, 0, QStringLiteral("food"));
    FilterCondition amount = cond(FilterCondition::Amount, 3);
    amount.amount = 10;
    food.conditions << amount;
    TaskFilter taxi(QStringLiteral("Taxi"));
    taxi.conditions << cond(FilterCondition::AllText, 0, QStringLiteral("taxi"));
    QCOMPARE(TaskFilter::toText({food, taxi}),
             QStringLiteral("2 4 Food 2 0 0 4 food 1 3 2 10 4 Taxi 1 -1 0 4 taxi "));

    TaskFilter byDate(QStringLiteral("D"));
    FilterCondition on = cond(FilterCondition::Date, 0);
    on.date = QDate(2004, 12, 31);
    byDate.conditions << on;
    QCOMPARE(TaskFilter::toText({byDate}), QStringLiteral("1 1 D 1 6 0 10 31 12 2004 "));

    QCOMPARE(TaskFilter::toText({TaskFilter(QStringLiteral("A"))}), QStringLiteral("1 1 A 0 "));
    QCOMPARE(TaskFilter::toText({}), QStringLiteral("0 "));

    // an unknown field carries no value
    TaskFilter odd(QStringLiteral("X"));
    FilterCondition eleven = cond(11, 0, QStringLiteral("ignored"));
    odd.conditions << eleven;
    QCOMPARE(TaskFilter::toText({odd}), QStringLiteral("1 1 X 1 11 0 0  "));
}

void TestTaskFilter::textFormRoundTrip()
{
    TaskFilter a(QStringLiteral("two words = sign"));
    a.conditions << cond(FilterCondition::City, 1, QStringLiteral(" spaced  out "));
    a.conditions << cond(FilterCondition::Description, 0, QStringLiteral("line\nbreak"));
    FilterCondition created = cond(FilterCondition::Created, 1);
    created.date = QDate(2005, 3, 5);
    created.time = QTime(14, 7);
    a.conditions << created;
    FilterCondition reminder = cond(FilterCondition::Reminder, 0);
    reminder.number = 1;
    a.conditions << reminder;
    FilterCondition date = cond(FilterCondition::Date, 2);
    date.date = QDate(2004, 1, 2);
    a.conditions << date;
    TaskFilter empty;
    TaskFilter b(QStringLiteral("\u65e5\u672c"));
    b.conditions << cond(FilterCondition::Category, 6, QStringLiteral("od"));

    const QList<TaskFilter> filters{a, empty, b};
    const QString text = TaskFilter::toText(filters);
    QList<TaskFilter> read;
    TaskFilter::parseText(text, read);
    QCOMPARE(read.size(), 3);
    QVERIFY(read == filters);

    // parsing appends to what is there
    TaskFilter::parseText(text, read);
    QCOMPARE(read.size(), 6);
}

void TestTaskFilter::amountKeepsPrecision()
{
    const QList<double> values{1234567.0, 12.5, 10.0, 0.1, 1234567.891, -42.25, 1e21};
    for (double v : values) {
        TaskFilter f(QStringLiteral("A"));
        FilterCondition c = cond(FilterCondition::Amount, 0);
        c.amount = v;
        f.conditions << c;
        QList<TaskFilter> read;
        TaskFilter::parseText(TaskFilter::toText({f}), read);
        QCOMPARE(read.size(), 1);
        QCOMPARE(read.first().conditions.first().amount, v);
    }
    FilterCondition c = cond(FilterCondition::Amount, 0);
    c.amount = 12.5;
    QCOMPARE(c.valueText(), QStringLiteral("12.5"));
    c.amount = 1234567;
    QCOMPARE(c.valueText(), QStringLiteral("1234567"));
    // books written in the six-digit form still read
    QList<TaskFilter> old;
    TaskFilter::parseText(QStringLiteral("1 1 A 1 1 3 11 1.23457e+06 "), old);
    QCOMPARE(old.size(), 1);
    QCOMPARE(old.first().conditions.first().amount, 1234570.0);
}

void TestTaskFilter::truncatedText()
{
    QList<TaskFilter> filters;
    for (const char *name : {"First", "Second", "Third"}) {
        TaskFilter f(QString::fromLatin1(name));
        f.conditions << cond(FilterCondition::Type, 0, QStringLiteral("t"));
        f.conditions << cond(FilterCondition::City, 5, QStringLiteral("abc"));
        filters << f;
    }
    const QString text = TaskFilter::toText(filters);

    // cut inside the second filter's name: the first filter alone
    const int second = text.indexOf(QStringLiteral("Second"));
    QList<TaskFilter> read;
    TaskFilter::parseText(text.left(second + 3), read);
    QCOMPARE(read.size(), 1);
    QVERIFY(read.first() == filters.first());

    // every cut keeps complete filters complete and never reads beyond
    for (int cut = 0; cut <= text.size(); ++cut) {
        QList<TaskFilter> part;
        TaskFilter::parseText(text.left(cut), part);
        QVERIFY(part.size() <= 3);
        for (int i = 0; i + 1 < part.size(); ++i)
            QVERIFY(part.at(i) == filters.at(i));
    }
}

void TestTaskFilter::malformedText()
{
    QList<TaskFilter> read;
    TaskFilter::parseText(QStringLiteral("3"), read);
    QVERIFY(read.isEmpty());
    TaskFilter::parseText(QString(), read);
    QVERIFY(read.isEmpty());

    // a negative length reads nothing and skips one character
    TaskFilter::parseText(QStringLiteral("1 -5 abc 0 "), read);
    QCOMPARE(read.size(), 1);
    QCOMPARE(read.first().name, QString());
    QVERIFY(read.first().conditions.isEmpty());

    // a length beyond the text takes what is left, then finds no count
    read.clear();
    TaskFilter::parseText(QStringLiteral("1 999 ab"), read);
    QVERIFY(read.isEmpty());

    // a negative value length with a condition
    read.clear();
    TaskFilter::parseText(QStringLiteral("1 1 N 1 0 0 -7 x "), read);
    QCOMPARE(read.size(), 1);
    QCOMPARE(read.first().conditions.size(), 1);
    QCOMPARE(read.first().conditions.first().text, QString());

    // tokens that are no numbers read as 0
    read.clear();
    TaskFilter::parseText(QStringLiteral("x "), read);
    QVERIFY(read.isEmpty());
    TaskFilter::parseText(QStringLiteral("1 1 N zz "), read);
    QCOMPARE(read.size(), 1);
    QVERIFY(read.first().conditions.isEmpty());

    // a huge announced count stops at the end of the text
    read.clear();
    TaskFilter::parseText(QStringLiteral("2147483647 1 A 0 "), read);
    QCOMPARE(read.size(), 1);
}

void TestTaskFilter::textCodes_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("holds");

    QTest::newRow("contains, any case") << 0 << "TAX" << "taxi" << true;
    QTest::newRow("contains, absent") << 0 << "bus" << "taxi" << false;
    QTest::newRow("exactly, case differs") << 1 << "Taxi" << "taxi" << false;
    QTest::newRow("exactly") << 1 << "Taxi" << "Taxi" << true;
    QTest::newRow("doesn't contain") << 2 << "bus" << "taxi" << true;
    QTest::newRow("doesn't contain, present") << 2 << "AX" << "taxi" << false;
    QTest::newRow("is empty") << 3 << "x" << "" << true;
    QTest::newRow("is empty, text") << 3 << "" << "a" << false;
    QTest::newRow("is not empty") << 4 << "" << "a" << true;
    QTest::newRow("is not empty, empty") << 4 << "x" << "" << false;
    QTest::newRow("starts with") << 5 << "TA" << "taxi" << true;
    QTest::newRow("starts with, middle") << 5 << "ax" << "taxi" << false;
    QTest::newRow("ends with") << 6 << "ab" << "abab" << true;
    QTest::newRow("ends with, case") << 6 << "XI" << "taxi" << true;
    QTest::newRow("ends with, start") << 6 << "ta" << "taxi" << false;
    QTest::newRow("unknown code") << 7 << "" << "taxi" << false;
    QTest::newRow("negative code") << -1 << "" << "" << false;
}

void TestTaskFilter::textCodes()
{
    QFETCH(int, code);
    QFETCH(QString, value);
    QFETCH(QString, text);
    QFETCH(bool, holds);
    QCOMPARE(TaskManager::matchesText(value, text, code), holds);
    QCOMPARE(TaskManager::matchesAnyText(value, {QStringLiteral("zzz"), text}, code),
             holds || TaskManager::matchesText(value, QStringLiteral("zzz"), code));
    QVERIFY(!TaskManager::matchesAnyText(value, QStringList(), code));
}

void TestTaskFilter::textFieldsEachField()
{
    // every text field is tested against its own member only
    const QList<int> fields{FilterCondition::Type, FilterCondition::Currency, FilterCondition::City,
                            FilterCondition::Description, FilterCondition::Account};
    for (int field : fields) {
        Task task(m_book.get());
        task.type = QStringLiteral("type");
        task.currency = QStringLiteral("currency");
        task.city = QStringLiteral("city");
        task.description = QStringLiteral("description");
        task.account = QStringLiteral("account");
        QString *member = field == FilterCondition::Type ? &task.type
            : field == FilterCondition::Currency         ? &task.currency
            : field == FilterCondition::City             ? &task.city
            : field == FilterCondition::Description      ? &task.description
                                                         : &task.account;
        *member = QStringLiteral("Match here");
        for (int code = 0; code <= 6; ++code) {
            const QString value = code == 6 ? QStringLiteral("HERE") : QStringLiteral("match");
            const bool expected = TaskManager::matchesText(value, *member, code);
            QVERIFY2(cond(field, code, value).holds(&task) == expected,
                     qPrintable(QStringLiteral("field %1 code %2").arg(field).arg(code)));
        }
        QVERIFY(cond(field, 0, QStringLiteral("match")).holds(&task));
        QVERIFY(!cond(field, 0, QStringLiteral("account")).holds(&task)
                || field == FilterCondition::Account);
        member->clear();
        QVERIFY(cond(field, 3).holds(&task));
        QVERIFY(!cond(field, 4).holds(&task));
    }
}

void TestTaskFilter::allTextFields()
{
    Task task(m_book.get());
    task.type = QStringLiteral("Meal");
    task.amount = QStringLiteral("500");
    task.city = QStringLiteral("Tokyo");
    QVERIFY(cond(FilterCondition::AllText, 0, QStringLiteral("tok")).holds(&task));
    QVERIFY(cond(FilterCondition::AllText, 1, QStringLiteral("Meal")).holds(&task));
    // the amount is not searched
    QVERIFY(!cond(FilterCondition::AllText, 0, QStringLiteral("500")).holds(&task));
    // category titles are searched last
    QVERIFY(!cond(FilterCondition::AllText, 0, QStringLiteral("trav")).holds(&task));
    task.setCategories({m_travel});
    QVERIFY(cond(FilterCondition::AllText, 0, QStringLiteral("trav")).holds(&task));
    // "is empty" holds since some field is empty
    QVERIFY(cond(FilterCondition::AllText, 3).holds(&task));
}

void TestTaskFilter::categoryField()
{
    Task task(m_book.get());
    // no known category: no Category condition holds
    for (int code = 0; code <= 6; ++code)
        QVERIFY(!cond(FilterCondition::Category, code, QStringLiteral("x")).holds(&task));
    task.setCategories({QStringLiteral("00000000-0000-0000-0000-000000000000")});
    QVERIFY(!cond(FilterCondition::Category, 2, QStringLiteral("x")).holds(&task));

    task.setCategories({m_food, m_travel});
    QVERIFY(cond(FilterCondition::Category, 0, QStringLiteral("OO")).holds(&task));
    QVERIFY(cond(FilterCondition::Category, 1, QStringLiteral("Travel")).holds(&task));
    QVERIFY(!cond(FilterCondition::Category, 1, QStringLiteral("travel")).holds(&task));
    // one title without "Food" is enough
    QVERIFY(cond(FilterCondition::Category, 2, QStringLiteral("Food")).holds(&task));
    QVERIFY(!cond(FilterCondition::Category, 3).holds(&task));
    QVERIFY(cond(FilterCondition::Category, 4).holds(&task));
    QVERIFY(cond(FilterCondition::Category, 5, QStringLiteral("tra")).holds(&task));
    QVERIFY(cond(FilterCondition::Category, 6, QStringLiteral("OD")).holds(&task));
    QVERIFY(!cond(FilterCondition::Category, 6, QStringLiteral("x")).holds(&task));
}

void TestTaskFilter::amountCodes_data()
{
    QTest::addColumn<QString>("amount");
    QTest::addColumn<double>("limit");
    QTest::addColumn<QString>("holding"); // the codes 0..6 that hold

    QTest::newRow("equal") << "10" << 10.0 << "023";
    QTest::newRow("less") << "9.99" << 10.0 << "125";
    QTest::newRow("more") << "1234567" << 1234566.0 << "134";
    QTest::newRow("not a number is 0") << "abc" << 0.0 << "023";
    QTest::newRow("negative") << "-3" << -10.0 << "134";
}

void TestTaskFilter::amountCodes()
{
    QFETCH(QString, amount);
    QFETCH(double, limit);
    QFETCH(QString, holding);
    Task task(m_book.get());
    task.amount = amount;
    for (int code = 0; code <= 6; ++code) {
        FilterCondition c = cond(FilterCondition::Amount, code);
        c.amount = limit;
        QVERIFY2(c.holds(&task) == holding.contains(QString::number(code)),
                 qPrintable(QStringLiteral("code %1").arg(code)));
    }
}

void TestTaskFilter::dateCodes()
{
    Task task(m_book.get());
    task.date = QDate(2004, 12, 31);
    const struct { QDate limit; bool on, after, before; } rows[] = {
        {QDate(2004, 12, 31), true, true, true},
        {QDate(2004, 12, 30), false, true, false},
        {QDate(2005, 1, 1), false, false, true},
    };
    for (const auto &row : rows) {
        for (int code = 0; code <= 3; ++code) {
            FilterCondition c = cond(FilterCondition::Date, code);
            c.date = row.limit;
            const bool expected = code == 0 ? row.on : code == 1 ? row.after
                                : code == 2 ? row.before : false;
            QCOMPARE(c.holds(&task), expected);
        }
    }
}

void TestTaskFilter::reminderField()
{
    Task task(m_book.get());
    FilterCondition has = cond(FilterCondition::Reminder, 0);
    FilterCondition none = cond(FilterCondition::Reminder, 0);
    none.number = 1;
    QVERIFY(!has.holds(&task));
    QVERIFY(none.holds(&task));
    task.reminder = new PIMReminder;
    task.reminder->dateTime = QDateTime(QDate(2030, 1, 1), QTime(9, 0));
    QVERIFY(has.holds(&task));
    QVERIFY(!none.holds(&task));
    // the code is not consulted
    has.condition = 5;
    QVERIFY(has.holds(&task));
}

void TestTaskFilter::createdMinuteWindow()
{
    Task task(m_book.get());
    FilterCondition on = cond(FilterCondition::Created, 0);
    on.date = QDate(2004, 3, 5);
    on.time = QTime(10, 15);
    FilterCondition after = on;
    after.condition = 1;
    FilterCondition before = on;
    before.condition = 2;
    FilterCondition updated = on;
    updated.field = FilterCondition::Updated;

    const QDate day(2004, 3, 5);
    task.setUpdated(QDateTime(day, QTime(8, 0)));
    task.setCreated(QDateTime(day, QTime(10, 15, 0)));
    QVERIFY(on.holds(&task) && after.holds(&task) && before.holds(&task));
    task.setCreated(QDateTime(day, QTime(10, 15, 59, 999)));
    QVERIFY(on.holds(&task) && after.holds(&task) && before.holds(&task));
    task.setCreated(QDateTime(day, QTime(10, 16, 0)));
    QVERIFY(!on.holds(&task) && after.holds(&task) && !before.holds(&task));
    task.setCreated(QDateTime(day, QTime(10, 14, 59)));
    QVERIFY(!on.holds(&task) && !after.holds(&task) && before.holds(&task));
    // Updated reads the update time
    QVERIFY(!updated.holds(&task));
    task.setUpdated(QDateTime(day, QTime(10, 15, 30)));
    QVERIFY(updated.holds(&task));

    FilterCondition bad = on;
    bad.condition = 3;
    QVERIFY(!bad.holds(&task));
}

void TestTaskFilter::unknownFieldOrCode()
{
    Task task(m_book.get());
    QVERIFY(!cond(11, 0).holds(&task));
    QVERIFY(!cond(-2, 3).holds(&task));
    QVERIFY(!cond(FilterCondition::Type, 0).holds(nullptr));
}

void TestTaskFilter::filterNeedsEveryCondition()
{
    Task task(m_book.get());
    task.type = QStringLiteral("Taxi");
    task.amount = QStringLiteral("12");
    TaskFilter f;
    QVERIFY(f.accepts(&task));
    f.conditions << cond(FilterCondition::Type, 0, QStringLiteral("tax"));
    FilterCondition c = cond(FilterCondition::Amount, 3);
    c.amount = 10;
    f.conditions << c;
    QVERIFY(f.accepts(&task));
    f.conditions.last().amount = 13;
    QVERIFY(!f.accepts(&task));
}

void TestTaskFilter::caseIsIgnoredOneWay_data()
{
    QTest::addColumn<QByteArray>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("contains");
    QTest::addColumn<bool>("startsWith");
    QTest::addColumn<bool>("endsWith");
    struct Row {
        const char *tag;
        QString text;
        QString value;
        bool contains, startsWith, endsWith;
    };
    const Row rows[] = {
        {"ascii", "Taxi ride", "TAXI", true, true, false},
        {"dotted capital, i", "\u0130stanbul", "i", true, true, false},
        {"dotted capital, word", "\u0130stanbul", "istanbul", true, true, true},
        {"dotted capital, capitals", "\u0130stanbul", "ISTANBUL", true, true, true},
        {"dotted capital inside", "Bah\u00e7e\u015fehir \u0130zmir", "izmir", true, false, true},
        {"dotless i stays apart", "Kad\u0131k\u00f6y", "KADIK\u00d6Y", false, false, false},
        {"final sigma", "\u03a3\u03bf\u03c6\u03cc\u03c2", "\u03a3\u039f\u03a6\u038c\u03a3",
         true, true, true},
        {"accented", "\u00c9t\u00e9", "\u00c9T\u00c9", true, true, true},
        {"longer value", "Tax", "taxi", false, false, false},
        {"empty value", "Tax", "", true, true, true},
    };
    for (const char *locale : {"C", "de_DE.UTF-8", "tr_TR.UTF-8"}) {
        for (const Row &r : rows) {
            QTest::addRow("%s, %s", locale, r.tag) << QByteArray(locale) << r.text << r.value
                                                   << r.contains << r.startsWith << r.endsWith;
        }
    }
}

// Every condition that ignores case ignores it the same way, in the filter
// and the find alike, whatever the locale.
void TestTaskFilter::caseIsIgnoredOneWay()
{
    QFETCH(QByteArray, locale);
    QFETCH(QString, text);
    QFETCH(QString, value);
    QFETCH(bool, contains);
    QFETCH(bool, startsWith);
    QFETCH(bool, endsWith);
    YMR_USE_LOCALE(locale.constData());
    QCOMPARE(TaskManager::matchesText(value, text, FilterCondition::Contains), contains);
    QCOMPARE(TaskManager::matchesText(value, text, FilterCondition::DoesNotContain), !contains);
    QCOMPARE(TaskManager::matchesText(value, text, FilterCondition::StartsWith), startsWith);
    QCOMPARE(TaskManager::matchesText(value, text, FilterCondition::EndsWith), endsWith);

    // the find: a filter of one condition on the type
    Task task(m_book.get());
    task.type = text;
    TaskFilter find;
    find.conditions.append(cond(FilterCondition::Type, FilterCondition::StartsWith, value));
    QCOMPARE(find.accepts(&task), startsWith);
}

YMR_TEST_MAIN(TestTaskFilter)
#include "tst_taskfilter.moc"
