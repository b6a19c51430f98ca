#ifndef BENCHBOOK_H
#define BENCHBOOK_H

// The expense the book benchmarks fill their books with: the i-th of a
// book, its fields varied by i the same way in every benchmark.

#include "pim/task.h"
#include "pim/taskmanager.h"

#include <QDate>
#include <QDateTime>
#include <QStringList>

namespace bench {

inline Task *sampleExpense(TaskManager &book, int i)
{
    static const QStringList types = {"Food", "Drinks", "Transport", "Lodging", "Shopping", "Gifts"};
    static const QStringList cities = {"Tokyo", "Osaka", "Paris", "London", "New York"};
    static const QStringList accounts = {"Cash", "Credit Card", "Bank Account"};
    auto *t = new Task(&book);
    t->type = types.at(i % types.size());
    t->amount = QString::number((i * 7919) % 100000 / 100.0, 'f', 2);
    t->currency = i % 5 ? QStringLiteral("$") : QStringLiteral("EUR");
    t->city = cities.at(i % cities.size());
    t->account = accounts.at(i % accounts.size());
    t->description = QStringLiteral("Expense number %1\nsecond line").arg(i);
    t->date = QDate(2000, 1, 1).addDays((i * 37) % 3650);
    t->setCreated(QDateTime(t->date, QTime(i % 24, i % 60, (i * 7) % 60)));
    t->setUpdated(QDateTime(t->date.addDays(i % 30), QTime((i * 5) % 24, (i * 3) % 60, i % 60)));
    return t;
}

} // namespace bench

#endif
