#include "dblistview.h"

#include "dblistviewitem.h"
#include "dbrecord.h"

#include "qpe/config.h"
#include "qt/ymrheader.h"
#include "qt/ymrresource.h"

DBListView::DBListView(QWidget *parent, const char *name) : PIMListView(parent, name)
{
    appendIcon(YMRResource::loadPixmap(QStringLiteral("document")));
    appendIcon(YMRResource::loadPixmap(QStringLiteral("lock")));
    setColorMode(1);
    // the row colours belong to the object name, which an owner may set later
    connect(this, &QObject::objectNameChanged, this, [this]() {
        if (colorMode() == 1)
            setColorMode(1);
    });
}

QPixmap DBListView::bookIcon(const DBRecord *book)
{
    // the picture depends on the name, the lock and the availability
    const QString key = book->iconName() + QLatin1Char(book->password().isEmpty() ? '-' : 'p')
                        + QLatin1Char(book->isAvailable() ? 'a' : '-');
    const auto it = m_bookIcons.constFind(key);
    if (it != m_bookIcons.constEnd())
        return it.value();
    if (m_bookIcons.size() >= MaxIconNames)
        return QPixmap();
    const QPixmap picture = book->icon();
    m_bookIcons.insert(key, picture);
    return picture;
}

void DBListView::addIconColumn(const QString &icon)
{
    const int col = addColumn(YMRResource::loadIconSet(icon), QString(), -1);
    header()->setResizeEnabled(false, col);
}

void DBListView::setupColumns(int id, Config *settings)
{
    switch (id) {
    case 0:
        addIconColumn(QStringLiteral("books"));
        break;
    case 1:
        addColumn(YMRResource::loadIconSet(QStringLiteral("editcopy")), tr("Title"),
                  settings ? settings->readNumEntry(QStringLiteral("title_width"), 113) : 113);
        break;
    case 2:
        addIconColumn(QStringLiteral("document"));
        break;
    case 3:
        addIconColumn(QStringLiteral("lock"));
        break;
    case 4:
        addColumn(YMRResource::loadIconSet(QStringLiteral("fileopen")), tr("Directory Path"),
                  settings ? settings->readNumEntry(QStringLiteral("path_width"), 113) : 113);
        break;
    default:
        break;
    }
}

void DBListView::saveColumnWidth(int section, int width)
{
    const int id = columnId(section);
    if (id == 1)
        writeColumnWidth(QStringLiteral("title_width"), width);
    else if (id == 4)
        writeColumnWidth(QStringLiteral("path_width"), width);
}

PIMListViewItem *DBListView::createItem(PIMRecord *record)
{
    return new DBListViewItem(this, record);
}

PIMListViewItem *DBListView::createItem(PIMRecord *record, YMRListViewItem *after)
{
    return new DBListViewItem(this, after, record);
}
