#ifndef DBLISTVIEW_H
#define DBLISTVIEW_H

#include "pimlistview.h"

#include <QHash>
#include <QPixmap>

class DBRecord;

// The Expense Books of a book index: icon, title, description and password
// marks and the folder of each book file, in alternating row colours.
class DBListView : public PIMListView
{
    Q_OBJECT
public:
    explicit DBListView(QWidget *parent = nullptr, const char *name = nullptr);

    // The book's icon (DBRecord::icon()), found and drawn once for all the
    // rows that show it. An index naming more icons than any installation
    // has (a planted one) shows no picture for the names beyond those.
    QPixmap bookIcon(const DBRecord *book);
    static const int MaxIconNames = 256;

protected:
    void saveColumnWidth(int section, int width) override;
    void setupColumns(int id, Config *settings) override;
    PIMListViewItem *createItem(PIMRecord *record) override;
    PIMListViewItem *createItem(PIMRecord *record, YMRListViewItem *after) override;
    // An icon-only column sized by its content, which the user cannot resize.
    void addIconColumn(const QString &icon);

private:
    QHash<QString, QPixmap> m_bookIcons;
};

#endif
