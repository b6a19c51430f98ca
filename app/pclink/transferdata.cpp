#include "transferdata.h"
#include "pclink.h"
#include "pclinkprotocol.h"
#include "senddatadialogclient.h"

#include "pim/dbmanager.h"
#include "pim/dbrecord.h"
#include "pim/dbselectlistview.h"
#include "pim/pimlistviewitem.h"
#include "pim/pimrecordarray.h"
#include "pim/taskmanager.h"
#include "pim/ymrpim.h"
#include "qpe/config.h"
#include "qpe/global.h"
#include "qpe/qpeapplication.h"
#include "qpe/unixsignalnotifier.h"
#include "qt/ymrapplication.h"
#include "qt/ymrdialog.h"
#include "qt/ymrheader.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"
#include "qt/ymrutil.h"

#include <QCheckBox>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

const QLatin1String defaultAddress("127.0.0.1");
const QLatin1String markKey("transfer");
const QLatin1String devicePathKey("device_path");

const char *const dataLists[] = {"accounts", "cities", "types", "currencies_en", "dateFormat",
                                 "timeFormat", "dateTimeFormat", "numberformat"};

QString appName()
{
    return YMRPIM::applicationName();
}

QString checkKey(bool send)
{
    return send ? QStringLiteral("pclink_sdata") : QStringLiteral("pclink_gdata");
}

QList<DBRecord *> marked(DBManager *index)
{
    QList<DBRecord *> books;
    if (!index)
        return books;
    PIMRecordArray *records = index->records();
    for (int i = 0; i < records->count(); ++i) {
        auto *r = static_cast<DBRecord *>(records->at(i));
        if (r->hasProperty(markKey))
            books << r;
    }
    return books;
}

} // namespace

TransferData::TransferData(bool sendMode, DBManager *index, const QString &currentBook, QWidget *parent,
                           const char *name)
    : TransferDataBase(parent, name, true), bookIndex(index), send(sendMode)
{
    {
        Config cfg(appName());
        cfg.setGroup(QStringLiteral("Options"));
        addr->setText(cfg.readEntry(QStringLiteral("ip"), defaultAddress));
        data->setChecked(cfg.readNumEntry(checkKey(send), 1) != 0);
    }
    btnCancel->setIconSet(YMRResource::loadIconSet(QStringLiteral("button_cancel")));
    btnOk->setIconSet(YMRResource::loadIconSet(QStringLiteral("button_ok")));
    btnConnect->setIconSet(YMRResource::loadIconSet(QStringLiteral("connect")));
    {
        Config cfg(appName());
        cfg.setGroup(QStringLiteral("dbs_columns"));
        cfg.writeEntry(QStringLiteral("column"), QStringLiteral("5;0;1;2;3;4"));
    }
    list->setObjectName(QStringLiteral("dbs"));

    if (QPEApplication::screenRect().width() < 320) {
        // the address beside its label would be cut: it has the row below
        auto *grid = static_cast<QGridLayout *>(GroupBox1->layout());
        grid->removeWidget(addr);
        grid->removeWidget(btnConnect);
        grid->addWidget(addr, 1, 0, 1, 3);
        grid->addWidget(btnConnect, 2, 0, 1, 3);
        // The groups are taller than the screen leaves them: they scroll
        // above the buttons, the book list showing its header and three rows.
        for (QGroupBox *group : {GroupBox1, dbbox})
            group->layout()->setContentsMargins(3, 3, 3, 3);
        auto *body = new QWidget(this);
        body->setMinimumSize(1, 0);
        auto *box = new QVBoxLayout(body);
        box->setContentsMargins(0, 0, 0, 0);
        box->setSpacing(layout()->spacing());
        box->addWidget(GroupBox1);
        box->addWidget(dbbox);
        static_cast<QVBoxLayout *>(layout())->insertWidget(0, YMRUtil::scrollRows(body, this), 1);
        const int row = list->fontMetrics().height() + 4;
        list->setMinimumHeight(list->header()->sizeHint().height() + 3 * row
                               + list->horizontalScrollBar()->sizeHint().height()
                               + 2 * list->frameWidth());
    }
    // The group's title is cut to its width (fitTitle), whole in its tool
    // tip; the check box's text is broken into lines.
    dbbox->installEventFilter(this);
    if (!send) {
        dbbox->setToolTip(tr("Select expense books for receive"));
        btnOk->setEnabled(false);
        YMRUtil::wrapCheckBoxText(data, tr("Receive Categories and Data lists from device"));
    } else {
        btnConnect->hide();
        list->setManager(bookIndex, true);
        list->restoreColumns();
        list->init();
        dbbox->setToolTip(tr("Select expense books for transfer to device"));
        QList<PIMRecord *> shown;
        for (YMRListViewItem *i = list->firstChild(); i; i = i->nextSibling())
            shown << static_cast<PIMListViewItem *>(i)->record();
        PIMRecord *current = nullptr;
        for (PIMRecord *r : shown) {
            const bool isCurrent = static_cast<DBRecord *>(r)->path() == currentBook;
            if (isCurrent)
                current = r;
            // storing a record of the main index rewrites its book's header: only real changes
            if (r->hasProperty(markKey) != isCurrent)
                setMark(r, isCurrent);
        }
        if (current) {
            if (PIMListViewItem *item = list->findItem(current))
                list->setCurrentItem(item);
        }
        YMRUtil::wrapCheckBoxText(data, tr("Send Categories and Data lists to device"));
    }
    fitTitle();
    connect(list, &PIMListView::clicked, this, &TransferData::select);
    YMRApplication::showMaximized(this, true);
}

bool TransferData::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == dbbox && event->type() == QEvent::Resize)
        fitTitle();
    return TransferDataBase::eventFilter(watched, event);
}

void TransferData::fitTitle()
{
    // a title wider than the group is cut short
    dbbox->setTitle(dbbox->fontMetrics().elidedText(dbbox->toolTip(), Qt::ElideRight,
                                                    dbbox->width() - 16));
}

QString TransferData::fetchedIndexPath()
{
    return Global::applicationFileName(appName(), QStringLiteral("ymrOutlaysIDX_EXT"));
}

TransferData::~TransferData()
{
    if (deviceIndex) {
        // its own save must not bring the fetched file back
        deviceIndex->setFileName(deviceIndex->fileName() + QStringLiteral(".old"));
        const QString scratch = deviceIndex->fileName();
        delete deviceIndex;
        QFile::remove(scratch);
    }
    // however the dialog ends, nothing of the device stays behind
    QFile::remove(fetchedIndexPath());
    QFile::remove(fetchedIndexPath() + QStringLiteral(".damaged"));
}

void TransferData::setMark(PIMRecord *record, bool on)
{
    auto *old = new DBRecord(*static_cast<DBRecord *>(record));
    if (on)
        record->setProperty(markKey, QStringLiteral("1"));
    else
        record->removeProperty(markKey);
    record->store(old); // takes old in every case
}

void TransferData::select(PIMRecord *record)
{
    if (!record)
        return;
    const bool blocked = list->blockSignals(true);
    auto *book = static_cast<DBRecord *>(record);
    if (book->hasProperty(markKey))
        setMark(book, false);
    else if (book->isAvailable())
        setMark(book, true);
    list->blockSignals(blocked);
}

void TransferData::saveSettings()
{
    Config cfg(appName());
    cfg.setGroup(QStringLiteral("Options"));
    cfg.writeEntry(QStringLiteral("ip"), addr->text());
    cfg.writeEntry(checkKey(send), data->isChecked() ? 1 : 0);
    cfg.write();
}

void TransferData::doConnect()
{
    btnOk->setEnabled(false);
    saveSettings();
    const QStringList pairs = {QStringLiteral("[A]ymrOutlaysIDX_EXT"), fetchedIndexPath()};
    if (deviceIndex) {
        // its own save must not land on the copy about to be fetched
        const QString scratch = deviceIndex->fileName() + QStringLiteral(".old");
        deviceIndex->setFileName(scratch);
        list->setManager(nullptr, true);
        delete deviceIndex;
        deviceIndex = nullptr;
        QFile::remove(scratch);
    }
    // a list from an earlier Connect is never taken for this one's
    QFile::remove(fetchedIndexPath());
    int result;
    bool fetched = false, failed = false;
    {
        SendDataDialogClient client(addr->text(), false, pairs, this);
        connect(&client, &SendDataDialogClient::getFileSuccess, this, [&fetched] { fetched = true; });
        // a refusal of the index; a run cut short the client has told of
        connect(&client, &SendDataDialogClient::getFileFailed, this,
                [&failed](const QString &, bool &ended) { failed = failed || !ended; });
        result = client.exec();
    }
    // only an index that arrived whole and reads is listed
    QString why;
    if (result == 1 && fetched) {
        deviceIndex = new DBManager(true);
        if (!deviceIndex->load()) {
            why = deviceIndex->loadFailure();
            deviceIndex->setFileName(fetchedIndexPath() + QStringLiteral(".old"));
            delete deviceIndex;
            deviceIndex = nullptr;
        }
    }
    if (!deviceIndex) {
        QFile::remove(fetchedIndexPath());
        // a Close or a lost connection the client dialog has told of; the
        // program about to end tells nothing
        if ((result == 1 || failed) && !UnixSignalNotifier::pending()) {
            QString text = tr("Failed receive file: %1.").arg(pairs.first());
            if (!why.isEmpty())
                text += QLatin1Char('\n') + why;
            YMRDialog::critical(tr("Receive File Failed"), text);
        }
        return;
    }
    // no list follows the store yet: the marks go without an update each,
    // which would look every record up among all
    PIMRecordArray *records = deviceIndex->records();
    for (int i = 0; i < records->count(); ++i) {
        if (records->at(i)->hasProperty(markKey))
            records->at(i)->removeProperty(markKey);
    }
    list->setManager(deviceIndex, true);
    list->restoreColumns();
    list->init();
    btnOk->setEnabled(true);
}

QString TransferData::localBookPath(const QString &devicePath) const
{
    const QString name = QFileInfo(devicePath).fileName();
    if (bookIndex) {
        PIMRecordArray *records = bookIndex->records();
        for (int i = 0; i < records->count(); ++i) {
            const QString path = static_cast<DBRecord *>(records->at(i))->path();
            if (QFileInfo(path).fileName() == name)
                return path;
        }
    }
    return Global::applicationFileName(appName(), name);
}

QStringList TransferData::dataPairs() const
{
    // (device, local) as fetched; sending reverses each pair
    QStringList pairs = {QStringLiteral("[A]ymrCategory"),
                         Global::applicationFileName(appName(), QStringLiteral("ymrCategory"))};
    for (const char *name : dataLists) {
        const QString list = QString::fromLatin1(name);
        // a list never edited here is the installed one, as the device serves it
        pairs << QStringLiteral("[D]") + list << (send ? YMRPIM::listPath(list) : YMRPIM::userListPath(list));
    }
    return pairs;
}

QStringList TransferData::buildPairs()
{
    QStringList pairs;
    if (data->isChecked()) {
        const QStringList fixed = dataPairs();
        for (int i = 0; i < fixed.size(); i += 2) {
            if (send)
                pairs << fixed.at(i + 1) << fixed.at(i);
            else
                pairs << fixed.at(i) << fixed.at(i + 1);
        }
    }
    if (!send) {
        QSet<QString> taken;
        for (DBRecord *book : marked(deviceIndex)) {
            // the device's index names the local file: only as a plain book
            const QString name = QFileInfo(book->path()).fileName();
            if (!PCLinkProtocol::isPlainName(book->path()) || !PCLink::isBookName(name)) {
                bool stop = false;
                getFileFailed(book->path(), stop);
                continue;
            }
            const QString local = localBookPath(book->path());
            // a second device book of the same file name would land on the first
            if (QFileInfo::exists(local) || taken.contains(local)) {
                const int answer = YMRDialog::message2(
                    tr("Receive Data"),
                    tr("Expense Book [%1] already exists on %2.\nDo you want overwrite it?")
                        .arg(QFileInfo(book->path()).baseName(), local),
                    "dialog_critical", tr("Overwrite"), "button_ok", tr("Cancel"), "button_cancel", 2, 0);
                if (answer != 1) {
                    setMark(book, false);
                    continue;
                }
            }
            taken.insert(local);
            pairs << book->path() << local;
        }
        return pairs;
    }
    for (DBRecord *book : marked(bookIndex)) {
        const QString source = book->path();
        const QString name = QFileInfo(source).fileName();
        QString devicePath;
        {
            // the header alone holds the store property
            TaskManager store(source, false, true);
            store.load();
            devicePath = store.property(devicePathKey);
        }
        pairs << source << (devicePath.isEmpty() ? QStringLiteral("[A]") + name : devicePath + QLatin1Char('/') + name);
    }
    return pairs;
}

void TransferData::start()
{
    saveSettings();
    m_failed.clear();
    const QStringList pairs = buildPairs();
    int result;
    {
        SendDataDialogClient client(addr->text(), send, pairs, this);
        if (send) {
            connect(&client, &SendDataDialogClient::sendFileFailed, this, &TransferData::sendFileFailed);
            connect(&client, &SendDataDialogClient::sendFileSuccess, this, &TransferData::sendFileSuccess);
        } else {
            connect(&client, &SendDataDialogClient::getFileFailed, this, &TransferData::getFileFailed);
            connect(&client, &SendDataDialogClient::getFileSuccess, this, &TransferData::getFileSuccess);
        }
        result = client.exec();
    }
    const QString caption = send ? tr("Sending Data") : tr("Get Data");
    if (result == 1 && m_failed.isEmpty()) {
        YMRDialog::information(caption, send ? tr("Data send successful.") : tr("Data get successful."));
        accept();
        return;
    }
    // the files that failed are named, so a partial run never reads as a success
    QString text = send ? tr("Data send failed.") : tr("Data get failed.");
    if (!m_failed.isEmpty())
        text += QLatin1Char('\n') + m_failed.join(QLatin1Char('\n'));
    YMRDialog::critical(caption, text);
}

// A book of a run that has ended (ended set) is named with the others in
// the final message alone.
void TransferData::sendFileFailed(const QString &source, bool &ended)
{
    m_failed << source;
    if (!ended && QFileInfo(source).suffix() == QLatin1String("exp"))
        YMRDialog::critical(tr("Send File Failed"), tr("Failed send file: %1.").arg(source));
}

void TransferData::getFileFailed(const QString &source, bool &ended)
{
    m_failed << source;
    if (!ended && QFileInfo(source).suffix() == QLatin1String("exp"))
        YMRDialog::critical(tr("Receive File Failed"), tr("Failed receive file: %1.").arg(source));
}

void TransferData::sendFileSuccess(const QString &source)
{
    for (DBRecord *book : marked(bookIndex)) {
        if (book->path() == source)
            setMark(book, false);
    }
}

void TransferData::getFileSuccess(const QString &source)
{
    if (QFileInfo(source).suffix() != QLatin1String("exp"))
        return;
    for (DBRecord *book : marked(deviceIndex)) {
        if (book->path() == source)
            setMark(book, false);
    }
    const QString local = localBookPath(source);
    if (bookIndex) {
        DBRecord *record = bookIndex->findByPath(local);
        if (record) {
            bookIndex->refreshRecord(record);
        } else {
            record = new DBRecord(bookIndex);
            record->setPath(local);
            bookIndex->refreshRecord(record);
            if (!bookIndex->addRecord(record)) {
                YMRDialog::warning(tr("Receive Data"), bookIndex->addRefusal());
                delete record;
            }
        }
        bookIndex->save();
    }
    // the received book remembers where it came from, saved as any book
    // is; it is here all the same when that save fails, and the user is
    // told what it lacks
    TaskManager book(local, false, false);
    QString holder;
    const bool saved = book.lockFile(&holder) && book.load() && !book.isDamaged()
                       && (book.setProperty(devicePathKey, QFileInfo(source).path()), book.save());
    if (!saved) {
        book.forgetChanges();
        const QString why = !holder.isEmpty() ? tr("it is open in another program: %1").arg(holder)
                                              : book.saveFailure();
        YMRDialog::warning(tr("Receive Data"),
                           tr("Received %1, but the folder it came from could not be noted in it, for "
                              "the next Send Data.")
                                   .arg(source)
                               + (why.isEmpty() ? QString() : QLatin1Char('\n') + why));
    }
}
