#include "senddatadialogserver.h"
#include "pclink.h"
#include "pclinkserver.h"

#include "pim/dbmanager.h"
#include "pim/dbrecord.h"
#include "pim/pimrecordarray.h"
#include "pim/ymrpim.h"
#include "qt/ymrdialog.h"
#include "qt/ymrapplication.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"

#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

SendDataDialogServer::SendDataDialogServer(DBManager *bookIndex, QWidget *parent, const char *name)
    : QDialog(parent), m_bookIndex(bookIndex)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    setModal(true);
    setWindowTitle(YMRPIM::applicationName());

    m_server = new PCLinkServer(this, PCLinkServer::port());
    connect(m_server, &PCLinkServer::connected, this, &SendDataDialogServer::connected);

    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(6, 6, 6, 6);
    box->setSpacing(3);
    box->addStretch();
    m_upper = new QLabel(tr("Waiting for connection") + QStringLiteral(" ..."), this);
    m_upper->setAlignment(Qt::AlignCenter);
    // "File [path]": a long path wraps after its separators rather than
    // widen the window
    m_upper->setWordWrap(true);
    box->addWidget(m_upper);
    m_lower = new QLabel(this);
    m_lower->setAlignment(Qt::AlignCenter);
    // a failure names its file: wrapped like the one above
    m_lower->setWordWrap(true);
    box->addWidget(m_lower);
    box->addSpacing(32);
    m_progress = new QProgressBar(this);
    // a 0..0 range would show a busy bar
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setAlignment(Qt::AlignCenter);
    box->addWidget(m_progress);
    box->addSpacing(32);
    m_picture = new QLabel(this);
    m_picture->setPixmap(YMRResource::loadPixmap(QStringLiteral("syncing")));
    m_picture->setAlignment(Qt::AlignCenter);
    box->addWidget(m_picture);
    box->addStretch();
    m_close = new YMRPushButton(tr("Close"), this);
    connect(m_close, &QAbstractButton::clicked, this, &QDialog::reject);
    box->addWidget(m_close);

    // nothing will connect: the window says so, and Close ends it
    if (!m_server->isListening()) {
        m_upper->setText(tr("Cannot listen on port %1: %2").arg(PCLinkServer::port()).arg(m_server->errorString()));
        m_picture->hide();
    }

    YMRApplication::showMaximized(this, true);
}

SendDataDialogServer::~SendDataDialogServer()
{
    delete m_link;
}

PCLink *SendDataDialogServer::link() const
{
    return m_link;
}

QString SendDataDialogServer::upperText() const
{
    return m_upper->text();
}

QString SendDataDialogServer::lowerText() const
{
    return m_lower->text();
}

QStringList SendDataDialogServer::bookPaths() const
{
    QStringList paths;
    if (!m_bookIndex)
        return paths;
    PIMRecordArray *records = m_bookIndex->records();
    for (int i = 0; i < records->count(); ++i)
        paths << static_cast<DBRecord *>(records->at(i))->path();
    return paths;
}

void SendDataDialogServer::connected(int descriptor)
{
    // a session is not cut by another copy connecting, in a file or
    // between two: the newcomer may come once it has ended
    if (m_link && m_link->isConnected()) {
        PCLinkServer::refuse(descriptor);
        return;
    }
    m_upper->setText(tr("Connect"));
    m_lower->clear();
    m_failure.clear();
    if (m_link) {
        m_link->disconnect(this);
        m_link->deleteLater();
    }
    m_link = new PCLink(m_server);
    m_link->setBookPaths(bookPaths());
    connect(m_link, &PCLink::connectionClosed, this, &SendDataDialogServer::linkClosed);
    connect(m_link, &PCLink::progress, this, &SendDataDialogServer::progress);
    connect(m_link, &PCLink::receiveFile, this, &SendDataDialogServer::receiveFile);
    connect(m_link, &PCLink::receiveFileFinished, this, &SendDataDialogServer::receiveFileFinished);
    connect(m_link, &PCLink::receiveFileFailed, this, &SendDataDialogServer::receiveFileFailed);
    connect(m_link, &PCLink::sendingFile, this, &SendDataDialogServer::sendingFile);
    connect(m_link, &PCLink::sendingFileFinished, this, &SendDataDialogServer::sendingFileFinished);
    m_link->setSocket(descriptor);
}

void SendDataDialogServer::linkClosed()
{
    m_upper->setText(tr("Waiting for connection") + QStringLiteral(" ..."));
    m_lower->setText(m_failure);
    m_progress->setValue(0);
}

void SendDataDialogServer::progress(int done, int total)
{
    m_progress->setMaximum(qMax(total, 1));
    m_progress->setValue(done);
}

void SendDataDialogServer::sendingFile(const QString &path)
{
    m_upper->setText(tr("File [%1]").arg(path));
    m_lower->setText(tr("Sending") + QStringLiteral(" ..."));
}

void SendDataDialogServer::sendingFileFinished()
{
    m_upper->setText(tr("Send Finished"));
    m_lower->clear();
    m_progress->setValue(0);
}

void SendDataDialogServer::receiveFile(const QString &path)
{
    m_receiving = path;
    m_upper->setText(tr("File [%1]").arg(path));
    m_lower->setText(tr("Receiving") + QStringLiteral(" ..."));
}

void SendDataDialogServer::receiveFileFinished(const QString &path)
{
    m_receiving.clear();
    m_upper->setText(tr("Receive Finished"));
    m_lower->clear();
    m_progress->setValue(0);
    registerBook(path);
}

void SendDataDialogServer::receiveFileFailed()
{
    // a refused announce names no file; one that did not read does, and
    // one its owner could not write says why
    m_failure = m_receiving.isEmpty() ? tr("Receive Failed") : tr("Receive Failed: %1").arg(m_receiving);
    if (m_link && !m_link->receiveFailure().isEmpty())
        m_failure += QLatin1Char('\n') + m_link->receiveFailure();
    m_receiving.clear();
    m_upper->setText(m_failure);
    m_lower->clear();
    m_progress->setValue(0);
}

void SendDataDialogServer::registerBook(const QString &path)
{
    if (!m_bookIndex || QFileInfo(path).suffix() != QLatin1String("exp"))
        return;
    DBRecord *record = m_bookIndex->findByPath(path);
    if (!record) {
        record = new DBRecord(m_bookIndex);
        record->setPath(path);
        m_bookIndex->refreshRecord(record);
        if (!m_bookIndex->addRecord(record)) {
            YMRDialog::warning(tr("Receive Data"), m_bookIndex->addRefusal());
            delete record;
        }
    } else {
        m_bookIndex->refreshRecord(record);
    }
    m_bookIndex->save();
    if (m_link)
        m_link->setBookPaths(bookPaths());
}
