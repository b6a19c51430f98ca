#ifndef COPYSPECIAL_H
#define COPYSPECIAL_H

#include <QDialog>
#include <QList>

class DBManager;
class PIMRecord;
class TaskManager;
class TaskSelectListView;
class YMRPushButton;

// Copies or moves the marked expenses of the open book into another book,
// chosen in the books dialog. Stays open until the user closes it; closing
// clears the marks.
class CopySpecial : public QDialog
{
    Q_OBJECT
public:
    CopySpecial(DBManager *index, TaskManager *book, QWidget *parent = nullptr,
                const char *name = nullptr);
    ~CopySpecial() override;

    void clearSelection();
    bool chooseDestination();

    TaskSelectListView *listView() const { return m_list; }
    YMRPushButton *copyButton() const { return m_copy; }
    YMRPushButton *moveButton() const { return m_move; }

public slots:
    void doCopy();
    void doMove();

private:
    // Copies the marked records into the destination and saves it; false
    // (after telling the user) when the destination could not be saved.
    bool copyMarked();
    void closeDestination();

    DBManager *m_index;
    TaskManager *m_source;
    TaskManager *m_destination = nullptr;
    TaskSelectListView *m_list;
    YMRPushButton *m_copy;
    YMRPushButton *m_move;
    QList<PIMRecord *> m_marked;
};

#endif
