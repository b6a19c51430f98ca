#include "ymrapplication.h"

#include "qpe/config.h"
#include "qpe/qcopchannel.h"
#include "ymrdialog.h"

#include <QFile>
#include <QImageReader>
#include <QStyle>
#include <QStyleFactory>
#include <QDateTime>

#include <algorithm>
#include <crypt.h>
#include <ctime>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>
#include <cstdlib>

YMRApplication *ymrApp = nullptr;

YMRApplication::YMRApplication(const char *appName, int &argc, char **argv)
    : QPEApplication(argc, argv, GuiClient)
{
    ymrApp = this;
    setObjectName(QString::fromLatin1(appName));
    setApplicationName(objectName());

    {
        Config cfg(QStringLiteral("ymr"));
        cfg.setGroup(QStringLiteral("Style"));
        if (cfg.readNumEntry(QStringLiteral("id"), -1) != -1 && isQVGAScreen())
            loadStyle();
    }

    auto *sys = new QCopChannel("QPE/System", this);
    connect(sys, &QCopChannel::received, this, &YMRApplication::ymrAppReceive);
    connect(this, &QPEApplication::clockChanged, this, &YMRApplication::updateDateTimeFormats);
    connect(this, &QPEApplication::dateFormatChanged, this, &YMRApplication::updateDateTimeFormats);
    connect(this, &QPEApplication::weekChanged, this, &YMRApplication::updateDateTimeFormats);
}

YMRApplication::~YMRApplication()
{
    // no object of the plug-in may be in use when its library goes
    if (style() && style()->objectName() == QLatin1String("xp"))
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Windows")));
    unloadStyle();
    ymrApp = nullptr;
}

void YMRApplication::loadStyle()
{
    if (!m_styleHandle) {
        const QString path = qpeDir() + QStringLiteral("/lib/libymrstyle.so");
        m_styleHandle = dlopen(QFile::encodeName(path).constData(), RTLD_LAZY);
    }
    if (!m_styleHandle)
        return;
    dlerror();   // forget an earlier failure: only this look-up counts
    void *sym = dlsym(m_styleHandle, "ymr_style_instantiate");
    const char *err = dlerror();
    if (!err && sym) {
        qDebug("Load ymrStyle library");
        using Instantiate = QStyle *(*)();
        QStyle *st = reinterpret_cast<Instantiate>(sym)();
        if (st)
            QApplication::setStyle(st);
    } else {
        qDebug("%s", err ? err : "ymr_style_instantiate: null symbol");
    }
}

void YMRApplication::unloadStyle()
{
    if (m_styleHandle) {
        if (dlclose(m_styleHandle) == 0) {
            m_styleHandle = nullptr;
            qDebug("Unload ymrStyle library");
        }
        return;
    }
    if (const char *err = dlerror())
        qDebug("%s", err);
}

void YMRApplication::ymrAppReceive(const QByteArray &msg, const QByteArray &)
{
    if (msg == "applyYMRStyle()")
        loadStyle();
}

void YMRApplication::updateDateTimeFormats()
{
    m_settingsRead = true;
    const DateTimeSettings s = readDateTimeSettings();
    const QChar sep = s.format.separator();
    const int shortOrder = s.format.shortOrder(), longOrder = s.format.longOrder();
    if (s.ampm == m_ampm && s.mondayFirst == m_weekStartsOnMonday && sep == m_dateSeparator
        && shortOrder == m_shortDateOrder && longOrder == m_longDateOrder)
        return;
    m_ampm = s.ampm;
    m_weekStartsOnMonday = s.mondayFirst;
    m_dateSeparator = sep;
    m_shortDateOrder = shortOrder;
    m_longDateOrder = longOrder;
    emit dateTimeSettingChanged();
}

void YMRApplication::readSettingsOnce()
{
    if (!m_settingsRead)
        updateDateTimeFormats();
}

bool YMRApplication::ampm()
{
    readSettingsOnce();
    return m_ampm;
}

bool YMRApplication::weekStartsOnMonday()
{
    readSettingsOnce();
    return m_weekStartsOnMonday;
}

QChar YMRApplication::dateSeparator()
{
    readSettingsOnce();
    return m_dateSeparator;
}

int YMRApplication::shortDateOrder()
{
    readSettingsOnce();
    return m_shortDateOrder;
}

int YMRApplication::longDateOrder()
{
    readSettingsOnce();
    return m_longDateOrder;
}

namespace {

// A screen class: the width, read on the first call only, is one of two;
// the answer stays, also after a rotation.
bool widthIsOneOf(bool &computed, bool &result, int first, int second)
{
    if (!computed) {
        const int w = QPEApplication::screenRect().width();
        result = (w == first || w == second);
        computed = true;
    }
    return result;
}

} // namespace

bool YMRApplication::isVGAScreen()
{
    static bool computed = false, result = false;
    return widthIsOneOf(computed, result, 640, 480);
}

bool YMRApplication::isQVGAScreen()
{
    static bool computed = false, result = false;
    return widthIsOneOf(computed, result, 240, 320);
}

QString YMRApplication::qpeDir()
{
    return QPEApplication::qpeDir();
}

QString YMRApplication::documentDir()
{
    return QPEApplication::documentDir();
}

void YMRApplication::showMainDocumentWidget(QWidget *w)
{
    QPEApplication::showMainDocumentWidget(w, false);
}

void YMRApplication::showMaximized(QWidget *w, bool maximize)
{
    if (maximize)
        QPEApplication::showWidgetMaximized(w);
}

int YMRApplication::random()
{
    static bool seeded = false;
    if (!seeded) {
        seeded = true;
        unsigned int seed = 0;
        bool ok = false;
        const int fd = ::open("/dev/urandom", O_RDONLY);
        if (fd >= 0) {
            ok = ::read(fd, &seed, sizeof(seed)) == static_cast<ssize_t>(sizeof(seed));
            ::close(fd);
        }
        if (!ok) {
            srand(static_cast<unsigned>(getpid()));
            seed = static_cast<unsigned>(rand()) + static_cast<unsigned>(time(nullptr));
        }
        srand(seed);
    }
    return rand();
}

QString YMRApplication::cryptPassword(const QString &password)
{
    if (password.isEmpty())
        return QString();
    QByteArray salt("$1$");
    for (int i = 0; i < 8; ++i)
        salt.append(char('a' + random() % 26));
    salt.append('$');
    // the UTF-8 bytes: every character counts, in or out of Latin-1
    const char *res = crypt(password.toUtf8().constData(), salt.constData());
    // crypt signals failure by null or a "*"-prefixed text
    if (!res || res[0] == '*')
        return QString();
    return QString::fromLatin1(res);
}

bool YMRApplication::checkPassword(const QString &password, const QString &hash)
{
    if (password.isEmpty() || hash.isEmpty())
        return false;
    // copy the hash first: crypt's static buffer must not be its own salt
    const QByteArray salt = hash.toLatin1();
    const auto matches = [&salt, &hash](const QByteArray &bytes) {
        const char *res = crypt(bytes.constData(), salt.constData());
        return res && res[0] != '*' && QString::fromLatin1(res) == hash;
    };
    if (matches(password.toUtf8()))
        return true;
    // hashes made earlier from Latin-1 bytes stay valid for the passwords
    // Latin-1 can hold (outside it those bytes were "?"s, which any
    // password of the length matched: never accepted)
    const bool latin1 = std::all_of(password.begin(), password.end(),
                                    [](QChar c) { return c.unicode() < 0x100; });
    return latin1 && password.toLatin1() != password.toUtf8() && matches(password.toLatin1());
}

static void showScreenRefusal(const QString &caption)
{
    YMRDialog::critical(caption,
                        YMRApplication::translate("YMRApplication",
                                                  "This software version\ndoes not run on this device."));
}

bool YMRApplication::checkScreen()
{
    const QString name = ymrApp ? ymrApp->objectName() : QString();
    int want = 0;
    QString path;
    if (isQVGAScreen()) {
        want = 32;
        path = qpeDir() + QStringLiteral("/pics/") + name + QStringLiteral(".png");
    } else if (isVGAScreen()) {
        want = 64;
        path = qpeDir() + QStringLiteral("/pics144/") + name + QStringLiteral(".png");
    } else {
        return true;
    }
    // the header says the width: no need to decode the picture
    QImageReader reader(path);
    if (reader.canRead() && reader.size().width() == want)
        return true;
    showScreenRefusal(name);
    return false;
}
