#include "ymabout.h"

#include "ymrapplication.h"
#include "ymrpushbutton.h"
#include "ymrresource.h"
#include "ymrutil.h"
#include "qpe/qpeapplication.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

namespace {

QString &version()
{
    static QString v;
    return v;
}

} // namespace

void YMAbout::setAppVersion(const QString &v)
{
    version() = v;
}

QString YMAbout::appVersion()
{
    return version();
}

QString YMAbout::versionText(const QString &v, const QString &buildDate)
{
    const QDateTime built = YMRUtil::parseDateTime(buildDate, QStringLiteral("MMM DD YYYY"));
    return tr("Version") + QStringLiteral(": ") + v + QLatin1Char('-')
           + YMRUtil::formatDateTime(built, QStringLiteral("YYMMDD"));
}

YMAbout::YMAbout()
    : QDialog(nullptr)
{
    setModal(true);
    const QString app = ymrApp ? ymrApp->objectName() : QCoreApplication::applicationName();
    setWindowTitle(tr("About") + QLatin1Char(' ') + app + QStringLiteral(" ..."));

    const QPixmap splash(YMRApplication::qpeDir() + QStringLiteral("/pics/") + app.toLower()
                         + QStringLiteral("splash.png"));

    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(3);

    auto *versionLabel = new QLabel(versionText(appVersion(), QStringLiteral(__DATE__)), this);
    versionLabel->setObjectName(QStringLiteral("version"));
    versionLabel->setAlignment(Qt::AlignCenter);
    box->addWidget(versionLabel);

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("picture"));
    picture->setAlignment(Qt::AlignCenter);
    picture->setPixmap(splash);
    box->addWidget(picture);

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    box->addWidget(line);

    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(3);
    row->addStretch();
    auto *close = new YMRPushButton(YMRResource::loadIconSet("button_ok"), tr("Close"), this, "close");
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    row->addWidget(close);
    row->addStretch();
    box->addLayout(row);

    // at its own size on the device's screen (Qt would centre a window
    // without parent on the desktop)
    adjustSize();
    QPEApplication::centerOnScreen(this);
    exec();
}
