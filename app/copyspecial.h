#ifndef COPYSPECIAL_H
#define COPYSPECIAL_H

#include <QDialog>
#include <QList>
#include <QProgressDialog>

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
    // The progress of a stroke over many records.
    class Progress
    {
    public:
        Progress(const QString &label, int count, QWidget *parent);
        void step();

    private:
        QProgressDialog m_dialog;
        int m_done = 0;
    };

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
