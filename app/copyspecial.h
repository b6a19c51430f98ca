#ifndef COPYSPECIAL_H
#define COPYSPECIAL_H

#include <QDialog>
#include <QList>
#include <QProgressDialog>

#include "pim/movejournal.h"

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

    // The writes of a copy or move, in their order (a copy has no source's).
    enum Step {
        BeforeRecord,
        BeforeDestination,
        BeforeDestinationAlarms,
        BeforeSource,
        BeforeSourceAlarms,
        BeforeRecordEnds
    };
    // For tests: called as each step begins.
    static void setStepHook(void (*hook)(Step));

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

    // Copies the marked records into the destination and saves it, the
    // action recorded in journal first; false (after telling the user, the
    // record gone) when the record or the destination could not be written.
    bool copyMarked(MoveJournal *journal, MoveJournal::Kind kind);
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
