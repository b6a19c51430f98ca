#ifndef MOVEJOURNAL_H
#define MOVEJOURNAL_H

#include <QList>
#include <QPair>
#include <QString>

// What a copy or move of expenses between two books is about to do, on disk
// before the book they go to is written: a move writes that book first and
// the one they leave after it, and a kill between the two would leave them
// in both, each ringing. The record is locked while its action runs and
// goes once the action is done; one a killed program left is finished at
// the next start, or the next opening of either book, before the book is
// shown: where the book they went to holds any of the copies, the
// expenses leave the other book (their alarms with them) and the copies'
// reminders are listed; where it holds none, nothing was moved and the
// record goes. A book's move whose index was not written yet is finished
// by the index (and the last book opened) naming it where it went; a new
// book received whose index was not written by the index listing it.
// Finishing twice changes nothing more. The books' own files
// are as any save writes them. Kept in <home>/Applications/<program>/moves.
class MoveJournal
{
public:
    // Rename: a book moved to another name or folder (pairs none), which
    // the book index is to name where it went. Arrival: a new book received
    // (source and destination alike), which the index is to list.
    enum Kind { Copy, Move, Rename, Arrival };
    // An expense of the source by its UID, and the UID of its copy.
    using Pair = QPair<QString, QString>;

    MoveJournal() = default;
    // Lets go of a record not ended: a later start finishes it.
    ~MoveJournal();
    MoveJournal(const MoveJournal &) = delete;
    MoveJournal &operator=(const MoveJournal &) = delete;

    // Records the action on disk and holds it; false, with nothing left
    // behind, when it could not be (failure() says why).
    bool begin(Kind kind, const QString &source, const QString &destination, const QList<Pair> &pairs);
    // The action is done, or nothing of it reached the disk: the record goes.
    void end();
    // The action could not end here (the source's save failed): the record
    // stays, unheld, for a later start to finish.
    void keep();
    QString failure() const { return m_failure; }

    // Finishes every record no running copy holds: all of them, or those
    // naming book (as source or destination). A record whose books another
    // program holds or that cannot be read or written stays for later.
    // How many were finished.
    static int finishPending(const QString &book = QString());
    // The folder the records are kept in.
    static QString folder();

private:
    struct Record
    {
        Kind kind = Copy;
        QString source;
        QString destination;
        QList<Pair> pairs;
    };
    static QByteArray text(const Record &record);
    // false for a record cut short (its action never began) or damaged
    static bool parse(const QByteArray &bytes, Record &record);
    // true once the record's action is whole: done, or undone
    static bool finish(const Record &record);
    static bool finishRename(const Record &record);
    static bool finishArrival(const Record &record);

    int m_fd = -1;
    QString m_path;
    QString m_failure;
};

#endif
