// ymr-test-screens: 240x320 480x640
#include "ymrtest.h"

#include "filtereditordialog.h"

#include "pim/taskmanager.h"
#include "qpe/qpeapplication.h"
#include "qt/ymrapplication.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrlistview.h"
#include "qt/ymrpushbutton.h"

#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>

// The filter editor on the screen it runs on: the conditions list shows a
// few rows and every editing widget can be brought into view.
class TestFilterEditorLayout : public QObject
{
    Q_OBJECT
private slots:
    void everythingReachable_data();
    void everythingReachable();
};

void TestFilterEditorLayout::everythingReachable_data()
{
    QTest::addColumn<int>("position");
    QTest::newRow("text") << 0;
    QTest::newRow("amount") << 2;
    QTest::newRow("date") << 7;
    QTest::newRow("created") << 10;
}

void TestFilterEditorLayout::everythingReachable()
{
    QFETCH(int, position);
    ymrtest::useDesktopFont();
    QTemporaryDir dir;
    TaskManager book(dir.path() + QStringLiteral("/layout.exp"));
    TaskFilter filter(QStringLiteral("Three"));
    filter.conditions << FilterCondition() << FilterCondition() << FilterCondition();
    book.setFilters({filter});
    FilterEditorDialog editor(&book, 0);
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    editor.fs->setCurrentItem(position);
    editor.fieldChanged(position);
    QCoreApplication::processEvents();

    const QRect screen = QPEApplication::screenRect();
    QVERIFY(editor.height() <= screen.height());
    // the header and three rows at least
    QVERIFY2(editor.list->height() >= 3 * editor.list->fontMetrics().height() + 26,
             qPrintable(QString::number(editor.list->height())));
    QVERIFY(editor.list->geometry().bottom() < editor.height());

    auto *scroll = editor.findChild<QScrollArea *>();
    auto inView = [&](QWidget *w) {
        const QRect shown(w->mapTo(&editor, QPoint(0, 0)), w->size());
        const QRect room = scroll ? QRect(scroll->viewport()->mapTo(&editor, QPoint(0, 0)),
                                          scroll->viewport()->size())
                                  : editor.rect();
        return room.contains(shown);
    };
    // a new value area comes into view by itself, as wide as its value needs
    QTRY_VERIFY(inView(editor.valBase));
    QVERIFY2(editor.valueWidget()->width() >= editor.valueWidget()->minimumSizeHint().width(),
             qPrintable(QString::number(editor.valueWidget()->width())));
    const QList<QWidget *> editing = {editor.fname, editor.fs, editor.cond, editor.valBase,
                                      editor.btnRemove, editor.btnAdd};
    for (QWidget *w : editing) {
        // scrolled to the widget's top, as far as the bar goes
        if (scroll)
            scroll->verticalScrollBar()->setValue(w->mapTo(scroll->widget(), QPoint(0, 0)).y());
        QCoreApplication::processEvents();
        const QRect shown(w->mapTo(&editor, QPoint(0, 0)), w->size());
        const QRect room = scroll ? QRect(scroll->viewport()->mapTo(&editor, QPoint(0, 0)),
                                          scroll->viewport()->size())
                                  : editor.rect();
        QVERIFY2(room.contains(shown), qPrintable(QStringLiteral("%1 %2,%3 %4x%5 in %6,%7 %8x%9").arg(w->objectName()).arg(shown.x()).arg(shown.y()).arg(shown.width()).arg(shown.height()).arg(room.x()).arg(room.y()).arg(room.width()).arg(room.height())));
        QVERIFY2(w->height() >= w->minimumSizeHint().height(), qPrintable(w->objectName()));
    }
}

YMR_TEST_MAIN(TestFilterEditorLayout)
#include "tst_filtereditorlayout.moc"
