#ifndef BOOKICONS_H
#define BOOKICONS_H

// Book icon names as a peer or a damaged file may give them, and the icon
// the program shows for each.
#include "pim/pimlistview.h"
#include "pim/pimlistviewitem.h"
#include "qt/ymrresource.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QtTest>

#include <sys/stat.h>

namespace bookicons {

// Icon names that may come for a book, and the icon shown for each: its
// own for a name, the default one for anything else. In an icon, "<fifo>"
// and "<png>" stand for "../" steps out of the icon folder to a FIFO and to
// a picture of the test's (see iconName()).
inline void iconNameRows()
{
    QTest::addColumn<QByteArray>("icon");
    QTest::addColumn<QString>("shown");
    QTest::newRow("an icon's name") << QByteArray("15") << "15";
    QTest::newRow("up to a FIFO") << QByteArray("<fifo>") << "12";
    QTest::newRow("up to any picture") << QByteArray("<png>") << "12";
    QTest::newRow("back in by a sub-folder") << QByteArray("../icons/15") << "12";
    QTest::newRow("dot-dot") << QByteArray("..") << "12";
    QTest::newRow("a control character") << QByteArray("1\x01" "5") << "12";
}

// The icon name of a row, made in outside: a FIFO "fifo.png" and a
// picture "any.png" there, reached from any folder of the platform's.
inline QString iconName(const QByteArray &icon, const QString &outside)
{
    const QString png = outside + "/any.png", fifo = outside + "/fifo.png";
    if (!QFileInfo::exists(png)) {
        QImage picture(7, 7, QImage::Format_ARGB32);
        picture.fill(Qt::green);
        picture.save(png, "PNG");
        ::mkfifo(QFile::encodeName(fifo).constData(), 0644);
    }
    const QString up = QString("../").repeated(40) + outside.mid(1);
    if (icon == "<fifo>")
        return up + "/fifo";
    if (icon == "<png>")
        return up + "/any";
    return QString::fromUtf8(icon);
}

// The book icon a list shows for a record, null when none.
inline QImage shownIcon(PIMListView *list, PIMRecord *record)
{
    PIMListViewItem *item = list->findItem(record);
    const int column = list->columnIds().indexOf(0);
    const QPixmap *shown = item && column >= 0 ? item->pixmap(column) : nullptr;
    return shown ? shown->toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied) : QImage();
}

// The picture of a book icon by a plain name of an installed one.
inline QImage bookIcon(const QString &name)
{
    return YMRResource::loadImage("icons/" + name).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace bookicons

#endif
