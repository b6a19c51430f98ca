#include "remindereditor.h"

#include "alert.h"
#include "pim/pimreminder.h"
#include "pim/ymrpim.h"
#include "qpe/qpedevice.h"
#include "qt/ymdatetimeeditor.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"
#include "qt/ymrutil.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QSignalBlocker>

ReminderEditor::ReminderEditor(QWidget *parent, const char *name)
    : ReminderEditorBase(parent, name)
{
    // the page scrolls where a small screen has no room for all of it
    auto *content = new QWidget;
    content->setObjectName(QStringLiteral("content"));
    auto *column = new QVBoxLayout(content);
    column->setContentsMargins(ReminderEditorBaseLayout->contentsMargins());
    column->setSpacing(ReminderEditorBaseLayout->spacing());
    while (QLayoutItem *item = ReminderEditorBaseLayout->takeAt(0)) {
        if (item->widget()) {
            column->addWidget(item->widget());
            delete item;
        } else {
            column->addItem(item);
        }
    }
    delete ReminderEditorBaseLayout;
    ReminderEditorBaseLayout = column;
    QScrollArea *scroll = YMRUtil::scrollRows(content, this);
    scroll->setObjectName(QStringLiteral("scroll"));
    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(scroll);

    setFocusProxy(alarm);
    YMRPIM::tellSkippedTime(dt);
    YMRUtil::wrapCheckBoxText(alarm, alarm->text());
    icon->setPixmap(YMRResource::loadPixmap(QStringLiteral("clock")));
    btnTest->setIconSet(YMRResource::loadIconSet(QStringLiteral("clock")));
}

ReminderEditor::~ReminderEditor() = default;

void ReminderEditor::load(const PIMReminder *reminder)
{
    {
        const QSignalBlocker blocker(alarm);
        alarm->setChecked(reminder != nullptr);
    }
    alarmOnOff(reminder != nullptr);
    m_loaded = reminder ? reminder->dateTime : QDateTime();
    if (!reminder)
        return;
    dt->setDateTime(reminder->dateTime);
    sound->setChecked(reminder->sound);
    ledbox->setChecked(reminder->led);
    if (reminder->type >= 0 && reminder->type < led->count())
        led->setCurrentItem(reminder->type);
}

PIMReminder *ReminderEditor::reminder() const
{
    if (!alarm->isChecked())
        return nullptr;
    auto *r = new PIMReminder;
    // a time the clocks skip rings at the first moment after it, as the
    // page told when it was set
    const QTime time = dt->time();
    r->dateTime = YMRUtil::firstValidLocalTime(dt->date(), QTime(time.hour(), time.minute()));
    // the page shows minutes: a time it shows unchanged keeps its seconds
    // (a snoozed reminder's), else OK would move it and its alarm
    if (m_loaded.isValid() && dt->date() == m_loaded.date() && time.hour() == m_loaded.time().hour()
        && time.minute() == m_loaded.time().minute())
        r->dateTime = m_loaded;
    r->sound = sound->isChecked();
    r->led = ledbox->isChecked();
    r->type = led->currentItem();
    return r;
}

void ReminderEditor::alarmOnOff(bool on)
{
    dt->setEnabled(on);
    panel->setEnabled(on);
    if (!on)
        return;
    dt->setDateTime(QDateTime::currentDateTime());
    sound->setChecked(true);
    ledbox->setChecked(true);
    led->setCurrentItem(4);
}

void ReminderEditor::typeChanged()
{
    btnTest->setEnabled(sound->isChecked() || ledbox->isChecked());
}

void ReminderEditor::test()
{
    btnTest->setEnabled(false);
    QCoreApplication::processEvents();
    const bool useLed = ledbox->isChecked();
    if (useLed)
        Alert::setLed(true, led->currentItem());
    if (sound->isChecked())
        Alert::soundAlarm();
    else
        QpeDevice::sleepSeconds(2);
    if (useLed)
        Alert::setLed(false, -1);
    btnTest->setEnabled(true);
}
