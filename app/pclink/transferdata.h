#ifndef TRANSFERDATA_H
#define TRANSFERDATA_H

#include "transferdatabase.h"

#include <QSet>
#include <QStringList>

class DBManager;
class PIMRecord;

// The user's side of the PC link: sends the marked local books (and the
// categories and value lists) to the device, or fetches the device's book
// index, lets the user mark its books and gets them.
class TransferData : public TransferDataBase
{
    Q_OBJECT
public:
    TransferData(bool send, DBManager *bookIndex, const QString &currentBook, QWidget *parent = nullptr,
                 const char *name = nullptr);
    ~TransferData() override;

    DBManager *deviceIndexStore() const { return deviceIndex; }
    // The (source, destination) pairs of a Start, flat; may ask before
    // overwriting a local book.
    QStringList buildPairs();
    // Where a device book lands here: the indexed book of the same file
    // name, else the application folder.
    QString localBookPath(const QString &devicePath) const;

public slots:
    void doConnect() override;
    void start() override;
    void select(PIMRecord *record);
    void sendFileFailed(const QString &source, bool &stop);
    void getFileFailed(const QString &source, bool &stop);
    void sendFileSuccess(const QString &source);
    void getFileSuccess(const QString &source);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fitTitle();
    void saveSettings();
    QStringList dataPairs() const;
    static void setMark(PIMRecord *record, bool on);

    DBManager *bookIndex;
    // Where Connect puts the device's index; removed at every end.
    static QString fetchedIndexPath();
    DBManager *deviceIndex = nullptr;
    bool send;
    QStringList m_failed;
};

#endif
