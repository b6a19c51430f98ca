#ifndef OPENBOOK_H
#define OPENBOOK_H

// A book with expenses on disk and in the index, opened in the main window
// as the program opens the last book at start-up.

#include "bookfixtures.h"

#include "todowindow.h"

#include "pim/pimlistviewitem.h"
#include "pim/task.h"
#include "pim/taskmanager.h"
#include "qpe/popupmenu.h"
#include "qt/ymraction.h"
#include "qt/ymrapplication.h"

#include <QAction>

namespace fixtures {

struct Expense {
    QString type;
    QString amount;
    QString city;
    QString description;
    QDate date;
};

// Writes a book of these expenses and enters it in the index.
inline QString makeBook(const QString &title, const QList<Expense> &expenses,
                        const QString &password = QString())
{
    const QString path = bookPath(title);
    QFile::remove(path);
    {
        DBManager index(false);
        index.load();
        if (!index.findByPath(path))
            addBook(&index, title, password);
        index.save();
    }
    TaskManager book(path);
    book.load();
    if (!password.isEmpty())
        book.setPassword(password);
    for (const Expense &e : expenses) {
        auto *t = new Task(&book);
        t->type = e.type;
        t->amount = e.amount;
        t->currency = QStringLiteral("EUR");
        t->city = e.city;
        t->description = e.description;
        t->date = e.date.isValid() ? e.date : QDate(2026, 3, 1);
        book.addRecord(t);
    }
    book.forceSave();
    return path;
}

// A change of the type of the window's first expense, as its dialog makes it.
inline void changeType(ToDoWindow &w, const char *type)
{
    auto *task = static_cast<Task *>(w.manager()->first());
    auto *old = new Task(*task);
    task->type = QLatin1String(type);
    task->store(old);
}

// A book entered in the window's index, which it saves.
inline bool indexBook(ToDoWindow &w, const QString &title)
{
    addBook(w.bookIndex(), title);
    return w.bookIndex()->save();
}

// Opens the book in the window as the last one used.
inline bool openInWindow(ToDoWindow &w, const QString &path)
{
    setSetting("Options", "book", path);
    ymrApp->showMainDocumentWidget(&w);
    return QTest::qWaitFor([&w] { return w.manager() != nullptr; }, 5000);
}

inline PopupMenu *menu(ToDoWindow &w, const char *name)
{
    return w.findChild<PopupMenu *>(QLatin1String(name));
}

// Chooses the menu entry as a user does.
inline void choose(PopupMenu *m, int id)
{
    QAction *a = m->itemAction(id);
    QVERIFY2(a, qPrintable(QString::number(id)));
    a->trigger();
}

// The id of the entry with that text; -1000 when there is none.
inline int entry(PopupMenu *m, const QString &text)
{
    for (int i = 0; i < m->count(); ++i) {
        const int id = m->idAt(i);
        if (m->text(id) == text)
            return id;
    }
    return -1000;
}

inline void trigger(ToDoWindow &w, const char *name)
{
    YMRAction *a = w.action(name);
    QVERIFY2(a, name);
    QVERIFY2(a->isEnabled(), name);
    emit a->activated();
}

} // namespace fixtures

#endif
