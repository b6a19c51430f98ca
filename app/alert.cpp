#include "alert.h"

#include "pim/pimreminder.h"
#include "qpe/config.h"
#include "qpe/qpedevice.h"
#include "qpe/qpesound.h"
#include "qpe/resource.h"
#include "qpe/sound.h"
#include "qt/ymrapplication.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"
#include "qt/ymrutil.h"

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const int defaultKeyRest = 1500;
int s_keyRest = defaultKeyRest;
const char buzzerDevice[] = "/dev/pda_buz";
const char ledDevice[] = "/dev/pda_led";
const unsigned long buzzerSetup1 = 0x5684;
const unsigned long buzzerSetup2 = 0x5681;
const unsigned long buzzerBeep = 0x5680;
const unsigned long ledRequest = 0x5681;
}

Alert::Alert(QWidget *parent, const char *name)
    : QDialog(parent)
{
    setObjectName(QString::fromLatin1(name ? name : "Alert"));
    setModal(true);

    auto *picture = new QLabel(this);
    picture->setPixmap(YMRResource::loadPixmap(QStringLiteral("clock2")));
    picture->setAlignment(Qt::AlignCenter);

    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("text"));
    m_text->setTextFormat(Qt::RichText);
    m_text->setWordWrap(true);
    updateTime();

    m_note = new QLabel;
    m_note->setObjectName(QStringLiteral("note"));
    m_note->setTextFormat(Qt::PlainText);
    m_note->setWordWrap(true);
    m_note->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_noteArea = YMRUtil::scrollRows(m_note, this);
    m_noteArea->hide();

    auto *ok = new YMRPushButton(tr("Ok"), this, "ok");
    ok->setIconSet(YMRResource::loadIconSet(QStringLiteral("button_ok")));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);
    layout->addWidget(picture, 1);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_noteArea, 8);
    layout->addWidget(ok, 0);

    m_clockTimer = new QTimer(this);
    connect(m_clockTimer, &QTimer::timeout, this, &Alert::updateTime);
    m_clockTimer->start(30000);

    setWindowTitle(tr("Expense Alarm"));
    // it comes up while the user may be typing elsewhere: it leaves the
    // keyboard there, and keys typed on without a rest once the user has
    // come to it were meant for another window and never press its Ok
    m_keysRest.start();
    qApp->installEventFilter(this);
    // (with the user in the program, as after a wait for it, it takes it)
    if (QPEApplication::noWindowHasKeyboard())
        QPEApplication::leaveKeyboardAtShow(this);
    YMRApplication::showMaximized(this, true);
}

Alert::~Alert()
{
    if (m_ledOn)
        setLed(false, -1);
}

void Alert::setKeyRest(int ms)
{
    s_keyRest = ms < 0 ? defaultKeyRest : ms;
}

bool Alert::eventFilter(QObject *watched, QEvent *e)
{
    const QEvent::Type type = e->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return false;
    const bool rested = m_keysRest.elapsed() >= s_keyRest;
    if (type == QEvent::KeyPress && !rested)
        m_keysRest.restart();
    if (rested || !watched->isWidgetType())
        return false;
    // ahead of the application's own filter: Ctrl+Return, the OK of the
    // dialog in front, waits for the rest too
    return static_cast<QWidget *>(watched)->window() == this;
}

QString Alert::text() const
{
    return m_note->text().isEmpty() ? m_text->text()
                                    : m_text->text() + QLatin1Char('\n') + m_note->text();
}

void Alert::start(PIMReminder *reminder)
{
    m_reminder = reminder;
    if (!reminder)
        return;
    if (reminder->led) {
        m_ledOn = true;
        setLed(true, reminder->type);
    }
    if (reminder->sound) {
        soundAlarm();
        auto *timer = new QTimer(this);
        timer->setObjectName(QStringLiteral("soundTimer"));
        connect(timer, &QTimer::timeout, this, &Alert::repeatSound);
        timer->start(60000);
    }
}

void Alert::updateTime()
{
    m_text->setText(QStringLiteral("<center><h1><font color=\"#000099\">") + tr("Expense Alarm")
                    + QStringLiteral("</font></h1></center><br><center>")
                    + QDateTime::currentDateTime().toString() + QStringLiteral("</center>"));
}

void Alert::setNote(const QString &note)
{
    m_note->setText(note);
    // a long one scrolls on a small screen
    m_noteArea->setVisible(!note.isEmpty());
}

void Alert::repeatSound()
{
    soundAlarm();
}

void Alert::soundAlarm()
{
    Sound::soundAlarm();

    Config config(QStringLiteral("deviceqpe"));
    config.setGroup(QStringLiteral("Sound"));
    const QString name =
        QFileInfo(config.readEntry(QStringLiteral("ScheduleAlarm"), QStringLiteral("alarma300")))
            .baseName();
    const QString path = Resource::findSound(name);
    if (!path.isEmpty())
        QpeSound::play(path);

    const int fd = QpeDevice::open(buzzerDevice);
    if (fd < 0) {
        QpeDevice::sleepSeconds(2);
        return;
    }
    const int setup[3] = {4, 100, 0};
    QpeDevice::ioctlRecord(fd, buzzerSetup1, setup, 3);
    QpeDevice::ioctlRecord(fd, buzzerSetup2, setup, 3);
    QpeDevice::ioctlValue(fd, buzzerBeep, 4);
    QpeDevice::sleepSeconds(1);
    QpeDevice::ioctlValue(fd, buzzerBeep, 4);
    QpeDevice::sleepSeconds(1);
    QpeDevice::ioctlValue(fd, buzzerBeep, 4);
    // the driver finishes a beep on its own; the descriptor is not needed for it
    QpeDevice::close(fd);
}

void Alert::setLed(bool on, int pattern)
{
    const int led = QpeDevice::open(ledDevice);
    if (led < 0)
        return;
    int record[2];
    const int buzzer = QpeDevice::open(buzzerDevice);
    if (buzzer >= 0) {
        record[0] = 13;
        record[1] = on ? pattern + 3 : 0;
        QpeDevice::close(buzzer);
    } else {
        record[0] = 2;
        record[1] = on ? 1 : 0;
    }
    QpeDevice::ioctlRecord(led, ledRequest, record, 2);
    QpeDevice::close(led);
}
