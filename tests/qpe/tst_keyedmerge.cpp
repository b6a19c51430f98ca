#include "ymrtest.h"

#include "qpe/keyedmerge.h"
#include "qpe/qpeapplication.h"

namespace {

// "a b=2 c": entries a, b (value 2) and c; "*" after an entry of a result
// marks one taken from the other side.
KeyedMerge::Entries entries(const QString &text)
{
    KeyedMerge::Entries list;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList kv = word.split(QLatin1Char('='));
        list.append({kv.at(0).toUtf8(), kv.value(1).toUtf8()});
    }
    return list;
}

QString text(const KeyedMerge::Entries &list, const QVector<bool> &theirs)
{
    QStringList words;
    for (int i = 0; i < list.size(); ++i) {
        QString w = QString::fromUtf8(list.at(i).key);
        if (!list.at(i).value.isEmpty())
            w += QLatin1Char('=') + QString::fromUtf8(list.at(i).value);
        if (theirs.value(i))
            w += QLatin1Char('*');
        words << w;
    }
    return words.join(QLatin1Char(' '));
}

} // namespace

// What two copies of the program did to one shared file since this copy
// read it (base): this copy's changes (ours) applied to what is on disk now
// (theirs), nothing of either lost.
class TestKeyedMerge : public QObject
{
    Q_OBJECT
private slots:
    void merge_data();
    void merge();
};

void TestKeyedMerge::merge_data()
{
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("ours");
    QTest::addColumn<QString>("theirs");
    QTest::addColumn<QString>("result");
    QTest::newRow("nothing changed") << "a b" << "a b" << "a b" << "a b";
    QTest::newRow("both added") << "" << "alpha" << "beta" << "beta* alpha";
    QTest::newRow("their addition after its neighbour")
        << "a b c" << "a b c x" << "a b y c" << "a b y* c x";
    QTest::newRow("a run of their additions") << "a b" << "a b" << "a p q r b" << "a p* q* r* b";
    QTest::newRow("their removal goes") << "a b c" << "a b c" << "a c" << "a c";
    QTest::newRow("our removal stays gone, their stale copy kept it")
        << "a b c" << "a c" << "a b c" << "a c";
    QTest::newRow("our removal beats their change") << "a b=1" << "a" << "a b=2" << "a";
    QTest::newRow("their removal gives way to our change") << "a b=1" << "a b=2" << "a" << "a b=2";
    QTest::newRow("their change taken") << "a=1 b=1" << "a=1 b=1" << "a=1 b=2" << "a=1 b=2*";
    QTest::newRow("our change kept") << "a=1 b=1" << "a=2 b=1" << "a=1 b=1" << "a=2 b=1";
    QTest::newRow("changes to different entries")
        << "a=1 b=1" << "a=2 b=1" << "a=1 b=3" << "a=2 b=3*";
    QTest::newRow("both changed one entry: the later writer's")
        << "a=1" << "a=2" << "a=3" << "a=2";
    QTest::newRow("our order holds") << "a b c" << "c b a" << "a b c d" << "c d* b a";
    QTest::newRow("removed on both sides") << "a b" << "a" << "a" << "a";
    QTest::newRow("the same addition on both sides") << "a" << "a n=1" << "a n=2" << "a n=1";
    QTest::newRow("a move here, an addition there")
        << "old keep" << "keep new" << "old keep other" << "keep other* new";
    QTest::newRow("their addition before everything") << "a" << "a" << "z a" << "z* a";
    QTest::newRow("their addition behind an entry we removed")
        << "a b" << "a" << "a b x" << "a x*";
    QTest::newRow("a repeated key of ours kept, counted once")
        << "a" << "a a b" << "a c" << "a c* a b";
    QTest::newRow("file gone empty: everything unchanged goes") << "a b" << "a b=2" << "" << "b=2";
}

void TestKeyedMerge::merge()
{
    QFETCH(QString, base);
    QFETCH(QString, ours);
    QFETCH(QString, theirs);
    QFETCH(QString, result);
    QVector<bool> taken;
    const KeyedMerge::Entries merged =
        KeyedMerge::merge(entries(base), entries(ours), entries(theirs), &taken);
    QCOMPARE(taken.size(), merged.size());
    QCOMPARE(text(merged, taken), result);
}

QPE_TEST_MAIN(TestKeyedMerge)
#include "tst_keyedmerge.moc"
