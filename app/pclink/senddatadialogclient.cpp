#include "senddatadialogclient.h"
#include "pclink.h"
#include "pclinkserver.h"

#include "pim/ymrpim.h"
#include "qt/ymrapplication.h"
#include "qt/ymrdialog.h"
#include "qt/ymrpushbutton.h"

#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

SendDataDialogClient::SendDataDialogClient(const QString &host, bool send, const QStringList &files,
                                           QWidget *parent, const char *name)
    : QDialog(parent), m_send(send), m_files(files), m_host(host)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    setModal(true);
    setWindowTitle(YMRPIM::applicationName());
    // a lone source has no destination to go to
    if (m_files.size() % 2)
        m_files.removeLast();

    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(6, 6, 6, 6);
    box->setSpacing(3);
    box->addStretch();
    m_status = new QLabel(this);
    m_status->setAlignment(Qt::AlignCenter);
    box->addWidget(m_status);
    m_file = new QLabel(this);
    m_file->setAlignment(Qt::AlignCenter);
    // a long path wraps after its separators rather than widen the window
    m_file->setWordWrap(true);
    box->addWidget(m_file);
    box->addSpacing(32);
    m_progress = new QProgressBar(this);
    m_progress->setAlignment(Qt::AlignCenter);
    resetProgress();
    box->addWidget(m_progress);
    box->addStretch();
    m_close = new YMRPushButton(tr("Close"), this);
    connect(m_close, &QAbstractButton::clicked, this, &QDialog::reject);
    box->addWidget(m_close);

    m_link = new PCLink(this);
    connect(m_link, &PCLink::connectionClosed, this, &SendDataDialogClient::socketConnectionClosed);
    connect(m_link, &PCLink::error, this, &SendDataDialogClient::socketError);
    connect(m_link, &PCLink::connected, this, &SendDataDialogClient::start);
    connect(m_link, &PCLink::progress, this, &SendDataDialogClient::progress);
    connect(m_link, &PCLink::receiveFile, this, &SendDataDialogClient::receiveFile);
    connect(m_link, &PCLink::receiveFileFinished, this, &SendDataDialogClient::receiveFileFinished);
    connect(m_link, &PCLink::receiveFileFailed, this, &SendDataDialogClient::receiveFileFailed);
    connect(m_link, &PCLink::sendingFile, this, &SendDataDialogClient::sendingFile);
    connect(m_link, &PCLink::sendingFileFinished, this, &SendDataDialogClient::sendingFileFinished);
    connect(m_link, &PCLink::sendingFileFailed, this, &SendDataDialogClient::sendingFileFailed);

    m_status->setText(tr("Connecting") + QStringLiteral(" ..."));
    YMRApplication::showMaximized(this, true);
    QTimer::singleShot(500, this, &SendDataDialogClient::connecting);
}

SendDataDialogClient::~SendDataDialogClient()
{
    // the link's own destructor would report its close into this half-destroyed dialog
    m_link->disconnect(this);
    delete m_link;
}

QString SendDataDialogClient::statusText() const
{
    return m_status->text();
}

QString SendDataDialogClient::fileText() const
{
    return m_file->text();
}

void SendDataDialogClient::done(int result)
{
    // the window's own OK must not report a run that is not through
    if (!m_completed)
        result = QDialog::Rejected;
    // Close, or a receiver's stop: the run is given up
    const bool givenUp = !m_finished && !m_completed;
    m_finished = true;
    if (givenUp)
        endRun();
    QDialog::done(result);
}

void SendDataDialogClient::endRun()
{
    // a reply still on its way is given up with its file: never written
    m_link->abort();
    // the file sent last that the device never confirmed, and every pair
    // not through: none of them arrived
    QStringList left;
    if (!m_unconfirmed.isEmpty())
        left << m_unconfirmed;
    m_unconfirmed.clear();
    for (int i = 0; i + 1 < m_files.size(); i += 2)
        left << m_files.at(i);
    m_files.clear();
    m_requestOut = false;
    for (const QString &source : qAsConst(left)) {
        bool stop = true;
        if (m_send)
            emit sendFileFailed(source, stop);
        else
            emit getFileFailed(source, stop);
    }
}

void SendDataDialogClient::resetProgress()
{
    // a 0..0 range would show a busy bar
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
}

void SendDataDialogClient::connecting()
{
    if (!m_finished)
        m_link->connectToHost(m_host, PCLinkServer::port());
}

void SendDataDialogClient::start()
{
    if (m_finished)
        return;
    m_status->setText(tr("Connect"));
    nextFile();
}

void SendDataDialogClient::nextFile()
{
    // one request out at a time: the next goes once the last one's answer came
    if (m_finished || m_requestOut)
        return;
    if (m_files.isEmpty()) {
        if (!m_unconfirmed.isEmpty() && !m_probing) {
            // the device answers only after it has taken the last file
            m_probing = true;
            m_requestOut = true;
            m_link->requestFile(QString(), QString());
            return;
        }
        m_completed = true;
        accept();
        return;
    }
    m_requestOut = true;
    if (m_send)
        m_link->sendFile(m_files.at(0), m_files.at(1));
    else
        m_link->requestFile(m_files.at(0), m_files.at(1));
}

void SendDataDialogClient::socketError(int)
{
    if (m_finished)
        return;
    m_finished = true;
    YMRDialog::critical(tr("Connection error"), tr("Run server part first."));
    endRun();
    reject();
}

void SendDataDialogClient::socketConnectionClosed()
{
    if (m_finished)
        return;
    // every pair through, the last one's end told: the run is done
    if (m_files.isEmpty() && m_unconfirmed.isEmpty() && !m_requestOut) {
        m_completed = true;
        accept();
        return;
    }
    // lost, or ended by this side for a message it did not ask for
    cutShort();
}

void SendDataDialogClient::cutShort()
{
    m_finished = true;
    YMRDialog::critical(tr("Connection error"), tr("Data transfer is not completed."));
    endRun();
    reject();
}

void SendDataDialogClient::confirmSent()
{
    if (m_unconfirmed.isEmpty())
        return;
    const QString source = m_unconfirmed;
    m_unconfirmed.clear();
    emit sendFileSuccess(source);
}

void SendDataDialogClient::progress(int done, int total)
{
    m_progress->setMaximum(qMax(total, 1));
    m_progress->setValue(done);
}

void SendDataDialogClient::sendingFile(const QString &path)
{
    // the device took the next file: it had taken the one before
    confirmSent();
    m_status->setText(tr("Sending") + QStringLiteral(" ..."));
    m_file->setText(path);
    resetProgress();
}

void SendDataDialogClient::receiveFile(const QString &path)
{
    m_status->setText(tr("Receiving") + QStringLiteral(" ..."));
    m_file->setText(path);
    resetProgress();
}

void SendDataDialogClient::sendingFileFinished()
{
    if (m_finished)
        return;
    m_status->setText(tr("Send Finished"));
    m_file->clear();
    resetProgress();
    fileEnded(true);
}

void SendDataDialogClient::receiveFileFinished(const QString &)
{
    if (m_finished)
        return;
    m_status->setText(tr("Receive Finished"));
    m_file->clear();
    resetProgress();
    fileEnded(true);
}

void SendDataDialogClient::sendingFileFailed()
{
    if (m_finished)
        return;
    m_status->setText(tr("Connect"));
    fileEnded(false);
}

void SendDataDialogClient::receiveFileFailed()
{
    if (m_finished)
        return;
    if (m_probing) {
        // the device's refusal of nothing: it is there, the last file taken
        m_probing = false;
        m_requestOut = false;
        confirmSent();
        if (!m_finished)
            nextFile();
        return;
    }
    m_status->setText(tr("Connect"));
    fileEnded(false);
}

void SendDataDialogClient::fileEnded(bool ok)
{
    // the end of the pair asked for, and of no other: an end nobody asked
    // for is out of step, as a message nobody asked for is
    if (!m_requestOut || m_files.size() < 2) {
        cutShort();
        return;
    }
    m_requestOut = false;
    const QString source = m_files.at(0);
    m_files.removeFirst();
    m_files.removeFirst();
    bool stop = false;
    if (ok) {
        if (m_send)
            m_unconfirmed = source;
        else
            emit getFileSuccess(source);
    } else if (m_send) {
        emit sendFileFailed(source, stop);
    } else {
        emit getFileFailed(source, stop);
    }
    if (m_finished)
        return;
    if (stop) {
        reject();
        return;
    }
    // queued: a run of missing files must not nest one call per file
    QMetaObject::invokeMethod(this, "nextFile", Qt::QueuedConnection);
}
