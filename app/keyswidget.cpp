#include "keyswidget.h"

#include "pim/ymrpim.h"
#include "qpe/config.h"
#include "qpe/qpekeys.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrutil.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QKeyEvent>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

// The button keeps its row's code here; its text shows the key's name.
const char *const CodeProperty = "caption";

QString settingKey(int row)
{
    return QStringLiteral("key_") + QString::number(row);
}

} // namespace

KeysWidget::KeysWidget(QWidget *parent, const char *name)
    : KeysWidgetBase(parent, name)
{
    QScrollArea *scroll = YMRUtil::scrollRows(panel, this);
    scroll->setObjectName(QStringLiteral("scroll"));
    // the page itself takes the keys, so nothing in it may take the focus
    scroll->setFocusPolicy(Qt::NoFocus);

    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    // the rows stay at the top of the panel; the scroll view takes the
    // page's height, so all rows show when there is room for them
    box->addWidget(scroll, 1);

    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(QStringLiteral("Options"));
    for (int row = 1; row <= 10; ++row) {
        QPushButton *button = keyButton(row);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QPushButton::toggled, this, [this](bool on) {
            if (on)
                setFocus();
        });
        setKey(button, cfg.readNumEntry(settingKey(row), 0), true);
    }
}

KeysWidget::~KeysWidget()
{
    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(QStringLiteral("Options"));
    for (int row = 1; row <= 10; ++row)
        cfg.writeEntry(settingKey(row), keyCode(keyButton(row)));
}

QPushButton *KeysWidget::keyButton(int row) const
{
    return static_cast<QPushButton *>(group->button(row));
}

int KeysWidget::keyCode(const QPushButton *button)
{
    return button->property(CodeProperty).toString().toInt();
}

QPushButton *KeysWidget::waitingButton() const
{
    for (int row = 1; row <= 10; ++row) {
        if (keyButton(row)->isChecked())
            return keyButton(row);
    }
    return nullptr;
}

void KeysWidget::switchOff(QPushButton *button)
{
    // an exclusive group keeps its one switched-on button on
    group->setExclusive(false);
    button->setChecked(false);
    group->setExclusive(true);
}

void KeysWidget::setKey(QPushButton *button, int code, bool initial)
{
    // Backspace clears a bound row; an unbound one takes it like any key
    if (code == QpeKeys::Key_Backspace && !initial && keyCode(button) != 0)
        code = 0;
    if (code == 0) {
        button->setText(tr("None"));
        button->setProperty(CodeProperty, QStringLiteral("0"));
    } else {
        button->setText(code == QpeKeys::Key_F11 ? tr("Menu") : QpeKeys::keyName(code));
        button->setProperty(CodeProperty, QString::number(code));
        // the latest row bound to a key keeps it
        for (int row = 1; row <= 10; ++row) {
            QPushButton *other = keyButton(row);
            if (other != button && keyCode(other) == code)
                setKey(other, 0, false);
        }
    }
    switchOff(button);
}

bool KeysWidget::event(QEvent *e)
{
    // Tab and Backtab are keys to bind while a row waits, not focus moves
    if (e->type() == QEvent::KeyPress && waitingButton()) {
        auto *ke = static_cast<QKeyEvent *>(e);
        if (ke->key() == Qt::Key_Tab || ke->key() == Qt::Key_Backtab) {
            keyPressEvent(ke);
            return true;
        }
    }
    return KeysWidgetBase::event(e);
}

void KeysWidget::keyPressEvent(QKeyEvent *e)
{
    const int key = QpeKeys::key(e);
    if (key == QpeKeys::Key_Escape) {
        KeysWidgetBase::keyPressEvent(e);
        return;
    }
    // a key without a code of its own would clear the row instead
    const int code = QpeKeys::bindingCode(e);
    if (code != 0) {
        if (QPushButton *button = waitingButton())
            setKey(button, code, false);
    }
    e->accept();
}
