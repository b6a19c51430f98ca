#include "ymrtest.h"

#include "qt/ymrapplication.h"
#include "qt/ymrpushbutton.h"

#include <QMenu>
#include <QPainter>

class TestYMRPushButton : public QObject
{
    Q_OBJECT
private slots:
    void sizeHintFromTextAndIcon();
    void iconModeFollowsEnabledThenFocus();
};

static QPixmap filled(int w, int h, Qt::GlobalColor c)
{
    QPixmap pm(w, h);
    pm.fill(c);
    return pm;
}

void TestYMRPushButton::sizeHintFromTextAndIcon()
{
    YMRPushButton empty;
    QCOMPARE(empty.sizeHint(), QSize(0, 0));

    YMRPushButton text(QStringLiteral("&OK"));
    const QSize ts = text.fontMetrics().size(Qt::TextShowMnemonic, QStringLiteral("&OK"));
    const int e = ts.height() / 8;
    const QSize textOnly(ts.width() + 12 + e, ts.height() + e + 8);
    QCOMPARE(text.sizeHint(), textOnly);
    // the mnemonic marker takes no room
    QCOMPARE(ts.width(), text.fontMetrics().size(0, QStringLiteral("OK")).width());

    const QIcon icon(filled(16, 16, Qt::red));
    YMRPushButton iconOnly(icon, QString());
    QCOMPARE(iconOnly.sizeHint(), QSize(24, 24));

    YMRPushButton both(icon, QStringLiteral("&OK"));
    QCOMPARE(both.sizeHint(), QSize(textOnly.width() + 16 + 4, qMax(textOnly.height(), 24)));

    const QIcon tall(filled(10, 40, Qt::red));
    YMRPushButton tallButton(tall, QStringLiteral("&OK"));
    QCOMPARE(tallButton.sizeHint(), QSize(textOnly.width() + 10 + 4, 48));

    // a menu button makes room for its indicator
    QMenu menu;
    YMRPushButton withMenu(QStringLiteral("&OK"));
    withMenu.setPopup(&menu);
    QVERIFY(withMenu.sizeHint().width() > textOnly.width() + 3);
    QCOMPARE(withMenu.sizeHint().height(), textOnly.height());
}

void TestYMRPushButton::iconModeFollowsEnabledThenFocus()
{
    QIcon icon;
    icon.addPixmap(filled(16, 16, Qt::red), QIcon::Normal);
    icon.addPixmap(filled(16, 16, Qt::green), QIcon::Active);
    icon.addPixmap(filled(16, 16, Qt::blue), QIcon::Disabled);

    QWidget window;
    auto *other = new YMRPushButton(QStringLiteral("x"), &window);
    auto *b = new YMRPushButton(icon, QString(), &window);
    other->setGeometry(0, 0, 40, 24);
    b->setGeometry(50, 0, 40, 24);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));

    // the icon sits 4 pixels from the left, centred vertically
    auto colourAt = [b](int x, int y) { return b->grab().toImage().pixelColor(x, y); };
    other->setFocus();
    QCOMPARE(colourAt(4 + 8, 12), QColor(Qt::red));
    QCOMPARE(colourAt(3, 12) == QColor(Qt::red), false);

    b->setFocus();
    QVERIFY(b->hasFocus());
    QCOMPARE(colourAt(12, 12), QColor(Qt::green));

    b->setEnabled(false);
    b->setFocusPolicy(Qt::NoFocus);
    QCOMPARE(colourAt(12, 12), QColor(Qt::blue));
}

YMR_TEST_MAIN(TestYMRPushButton)
#include "tst_ymrpushbutton.moc"
