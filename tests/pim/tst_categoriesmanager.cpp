#include "ymrtest.h"

#include "pim/categoriesmanager.h"
#include "qpe/categories.h"
#include "qpe/config.h"
#include "qt/ymrapplication.h"

#include <QSettings>

class TestCategoriesManager : public QObject
{
    Q_OBJECT

private:
    static QStringList colorKeys()
    {
        QSettings settings(Config::configFileName(QStringLiteral("ymrOutlays")), QSettings::IniFormat);
        settings.beginGroup(QStringLiteral("CategoriesColors"));
        QStringList keys = settings.childKeys();
        keys.sort();
        return keys;
    }

    int m_food = 0;
    int m_home = 0;
    int m_foreign = 0;

private slots:
    void initTestCase();
    void labelsAndIds();
    void colours();
    void addCategory();
};

void TestCategoriesManager::initTestCase()
{
    Categories cats;
    m_food = cats.addCategory(QStringLiteral("ymrOutlays"), QStringLiteral("Food"));
    m_home = cats.addGlobalCategory(QStringLiteral("Home"));
    m_foreign = cats.addCategory(QStringLiteral("other"), QStringLiteral("Foreign"));
    QVERIFY(cats.save(categoryFileName()));
    Config config(QStringLiteral("ymrOutlays"));
    config.setGroup(QStringLiteral("CategoriesColors"));
    config.writeEntry(QString::number(m_food) + QLatin1Char('b'), QStringLiteral("#102030"));
    config.writeEntry(QStringLiteral("999f"), QStringLiteral("#ffffff"));
}

void TestCategoriesManager::labelsAndIds()
{
    QCOMPARE(CategoriesManager::labels(), QStringList({"Food", "Home", "Unfiled"}));
    QCOMPARE(CategoriesManager::label(m_food), QStringLiteral("Food"));
    QCOMPARE(CategoriesManager::label(m_home), QStringLiteral("Home"));
    QCOMPARE(CategoriesManager::label(m_foreign), QString());
    QCOMPARE(CategoriesManager::label(QStringLiteral("other"), m_foreign), QStringLiteral("Foreign"));
    QCOMPARE(CategoriesManager::label(12345), QString());
    QCOMPARE(CategoriesManager::id(QStringLiteral("Food")), m_food);
    QCOMPARE(CategoriesManager::instance(), CategoriesManager::instance());
    QCOMPARE(CategoriesManager::instance()->parent(), QCoreApplication::instance());
}

void TestCategoriesManager::colours()
{
    CategoriesManager::refresh();
    QCOMPARE(CategoriesManager::backgroundColor(QStringLiteral("Food")), QColor(0x10, 0x20, 0x30));
    QCOMPARE(CategoriesManager::foregroundColor(QStringLiteral("Food")), QColor(Qt::black));
    QCOMPARE(CategoriesManager::backgroundColor(QStringLiteral("Home")), QColor(Qt::white));
    QCOMPARE(CategoriesManager::backgroundColor(QVector<int>{m_food, m_home}), QColor(0x10, 0x20, 0x30));

    CategoriesManager::setForegroundColor(QStringLiteral("Home"), QColor(200, 0, 0));
    CategoriesManager::setBackgroundColor(QStringLiteral("Unfiled"), QColor(0, 0, 90));
    // exactly the known ids, both keys each; the stray key is gone
    const QString f = QString::number(m_food), h = QString::number(m_home);
    QStringList expected{f + "b", f + "f", h + "b", h + "f", "0b", "0f"};
    expected.sort();
    QCOMPARE(colorKeys(), expected);

    CategoriesManager::refresh();
    QCOMPARE(CategoriesManager::foregroundColor(QStringLiteral("Home")), QColor(200, 0, 0));
    QCOMPARE(CategoriesManager::foregroundColor(QStringLiteral("Home")).alpha(), 255);
    QCOMPARE(CategoriesManager::backgroundColor(QStringLiteral("Food")), QColor(0x10, 0x20, 0x30));
    // a label the platform does not know takes the colours of the id it answers
    QCOMPARE(CategoriesManager::backgroundColor(QStringLiteral("no such")), QColor(0, 0, 90));
    QCOMPARE(CategoriesManager::backgroundColor(QVector<int>()), QColor(0, 0, 90));
    QCOMPARE(CategoriesManager::foregroundColor(QVector<int>{4242}), QColor(Qt::black));
}

void TestCategoriesManager::addCategory()
{
    const int id = CategoriesManager::addCategory(QStringLiteral("Books"));
    QVERIFY(id != 0);
    Categories onDisk;
    QVERIFY(onDisk.load(categoryFileName()));
    QCOMPARE(onDisk.label(QStringLiteral("ymrOutlays"), id), QStringLiteral("Books"));
    QCOMPARE(CategoriesManager::labels(), QStringList({"Books", "Food", "Home", "Unfiled"}));
}

YMR_TEST_MAIN(TestCategoriesManager)
#include "tst_categoriesmanager.moc"
