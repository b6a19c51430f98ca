#include "ymrdialog.h"

#include "ymrpushbutton.h"
#include "ymrresource.h"
#include "qpe/qpeapplication.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpacerItem>
#include <QTimer>
#include <QVBoxLayout>

namespace {

struct Script {
    bool active = false;
    QList<QPair<int, QString>> answers;
    QList<YMRDialog::ScriptedBox> answered;
};

Script &script()
{
    static Script s;
    return s;
}

int s_unasked = 0;

} // namespace

YMRDialog::Unasked::Unasked()
{
    ++s_unasked;
}

YMRDialog::Unasked::~Unasked()
{
    --s_unasked;
}

YMRDialog::YMRDialog(QWidget *parent, const char *name, bool modal)
    : QDialog(parent)
{
    setObjectName(QLatin1String(name));
    setModal(modal);

    m_grid = new QGridLayout(this);
    m_grid->setContentsMargins(3, 3, 3, 3);
    m_grid->setSpacing(3);

    m_iconLabel = new QLabel(this);
    m_grid->addWidget(m_iconLabel, 0, 0, Qt::AlignLeft | Qt::AlignTop);
    m_textLabel = new QLabel(this);
    m_textLabel->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);
    m_grid->addWidget(m_textLabel, 0, 2);

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    m_grid->addWidget(line, 3, 0, 1, 3);

    m_buttonRow = new QHBoxLayout;
    m_buttonRow->setContentsMargins(0, 0, 0, 0);
    m_buttonRow->setSpacing(3);
    m_leftSpacer = new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum);
    m_rightSpacer = new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum);
    m_button1 = new YMRPushButton(this, "button1");
    m_button2 = new YMRPushButton(this, "button2");
    m_button3 = new YMRPushButton(this, "button3");
    m_buttonRow->addItem(m_leftSpacer);
    m_buttonRow->addWidget(m_button1);
    m_buttonRow->addWidget(m_button2);
    m_buttonRow->addWidget(m_button3);
    m_buttonRow->addItem(m_rightSpacer);
    m_grid->addLayout(m_buttonRow, 4, 0, 1, 3);

    for (YMRPushButton *b : {m_button1, m_button2, m_button3})
        connect(b, &QPushButton::clicked, this, &YMRDialog::buttonClicked);
    m_button1->setFocus();
    m_button2->hide();
    m_button3->hide();

    m_result = 1;
    m_escapeButton = 0;
    setMaximumWidth(QPEApplication::screenRect().width() - 20);
}

YMRDialog::~YMRDialog() = default;

void YMRDialog::setText(const QString &text)
{
    if (m_textLabel)
        m_textLabel->setText(text);
}

void YMRDialog::setIcon(const char *name)
{
    m_iconLabel->setPixmap(YMRResource::loadPixmap(name));
}

YMRPushButton *YMRDialog::setButton(int number, const QString &text, const char *iconName,
                                    int flags)
{
    YMRPushButton *b = number == 1 ? m_button1 : number == 2 ? m_button2 : m_button3;
    b->setText(text);
    b->setIcon(YMRResource::loadIconSet(iconName));
    if (number > 1) {
        b->show();
        // two or three buttons stand at the right end of the row
        m_rightSpacer->changeSize(0, 0, QSizePolicy::Minimum, QSizePolicy::Minimum);
        m_buttonRow->invalidate();
    }
    if (flags & Escape)
        m_escapeButton = number;
    if (flags & Default) {
        b->setFocus();
        b->setDefault(true);
    }
    return b;
}

YMRPushButton *YMRDialog::setButton1(const QString &text, const char *iconName, int flags)
{
    return setButton(1, text, iconName, flags);
}

YMRPushButton *YMRDialog::setButton2(const QString &text, const char *iconName, int flags)
{
    return setButton(2, text, iconName, flags);
}

YMRPushButton *YMRDialog::setButton3(const QString &text, const char *iconName, int flags)
{
    return setButton(3, text, iconName, flags);
}

void YMRDialog::buttonClicked()
{
    const QObject *s = sender();
    m_result = s == m_button1 ? 1 : s == m_button2 ? 2 : s == m_button3 ? 3 : m_result;
    accept();
}

void YMRDialog::fitWidth()
{
    layout()->activate();
    // buttons too wide side by side for the screen stand one above the other
    const QMargins margins = m_grid->contentsMargins();
    if (m_buttonRow->direction() == QBoxLayout::LeftToRight
        && m_buttonRow->minimumSize().width() + margins.left() + margins.right() > maximumWidth()) {
        m_buttonRow->setDirection(QBoxLayout::TopToBottom);
        layout()->activate();
    }
    // a text wider than the screen wraps inside it (paths break after
    // their separators)
    if (m_textLabel && sizeHint().width() + 32 > maximumWidth()) {
        m_textLabel->setWordWrap(true);
        layout()->activate();
    }
    QFont bold = font();
    bold.setWeight(75);
    const int captionWidth = QFontMetrics(bold).horizontalAdvance(windowTitle());
    const int textWidth = m_textLabel ? fontMetrics().size(0, m_textLabel->text()).width() : 0;
    if (m_textLabel && captionWidth > textWidth) {
        // the box is at least as wide as its caption in bold
        const QString text = m_textLabel->text();
        const QFont labelFont = m_textLabel->font();
        m_textLabel->setText(windowTitle());
        m_textLabel->setFont(bold);
        layout()->activate();
        const QSize hint = sizeHint();
        m_textLabel->setText(text);
        m_textLabel->setFont(labelFont);
        layout()->activate();
        // once the label is back: holding the caption, its width would
        // stretch the box past its maximum
        resize(hint.width() + 32, hint.height());
    } else {
        const QSize hint = sizeHint();
        resize(hint.width() + 32, hint.height());
    }
    if (m_textLabel && m_textLabel->wordWrap())
        resize(width(), heightForWidth(width()));
}

void YMRDialog::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    // above the window it speaks for, also when that one came up in the
    // same turn of the event loop
    raise();
    // one that came up on its own waits for the user to come to it
    if (!testAttribute(Qt::WA_ShowWithoutActivating))
        activateWindow();
}

int YMRDialog::exec()
{
    m_result = -1;
    fitWidth();
    QPEApplication::centerOnScreen(this);
    if (script().active)
        QTimer::singleShot(0, this, &YMRDialog::answerFromScript);
    const int code = QDialog::exec();
    if (m_result == -1) {
        if (code == QDialog::Accepted) {
            // accepted by the device's OK: the button holding the focus
            const QWidget *f = focusWidget();
            m_result = f == m_button1 ? 1 : f == m_button2 ? 2 : f == m_button3 ? 3 : -1;
        } else {
            m_result = m_escapeButton;
        }
    }
    if (script().active) {
        ScriptedBox box;
        box.caption = windowTitle();
        box.text = m_textLabel ? m_textLabel->text() : QString();
        box.result = m_result;
        script().answered.append(box);
    }
    return m_result;
}

void YMRDialog::answerFromScript()
{
    Script &s = script();
    if (s.answers.isEmpty()) {
        qWarning("YMRDialog: no answer queued for \"%s\"", qPrintable(windowTitle()));
        reject();
        return;
    }
    const QPair<int, QString> answer = s.answers.takeFirst();
    if (m_renameEdit && !answer.second.isNull())
        m_renameEdit->setText(answer.second);
    YMRPushButton *b = answer.first == 1   ? m_button1
                       : answer.first == 2 ? m_button2
                       : answer.first == 3 ? m_button3
                                           : nullptr;
    if (b && !b->isHidden())
        b->click();
    else
        reject();
}

void YMRDialog::queueAnswer(int button, const QString &newName)
{
    script().active = true;
    script().answers.append(qMakePair(button, newName));
}

int YMRDialog::queuedAnswers()
{
    return script().answers.size();
}

QList<YMRDialog::ScriptedBox> YMRDialog::takeScriptedBoxes()
{
    QList<ScriptedBox> res;
    res.swap(script().answered);
    return res;
}

void YMRDialog::stopScript()
{
    script() = Script();
}

int YMRDialog::runMessage(const QString &caption, const QString &text, const char *icon,
                          const QString *texts, const char *const *icons, int count,
                          int defaultButton, int escapeButton)
{
    YMRDialog box(QPEApplication::dialogParent(), nullptr, true);
    box.setWindowTitle(caption + QStringLiteral(" ..."));
    box.setIcon(icon);
    box.setText(text);
    for (int n = 1; n <= count; ++n) {
        int flags = 0;
        if (n == defaultButton)
            flags |= Default;
        if (n == escapeButton)
            flags |= Escape;
        box.setButton(n, texts[n - 1], icons[n - 1], flags);
    }
    if (s_unasked > 0) {
        if (!QPEApplication::waitToComeUp(box.parentWidget()))
            return escapeButton;
        QPEApplication::leaveKeyboardAtShow(&box);
    }
    return box.exec();
}

void YMRDialog::runOkBox(const QString &caption, const QString &text, const char *icon)
{
    const QString ok = tr("Ok");
    const char *okIcon = "button_ok";
    runMessage(caption, text, icon, &ok, &okIcon, 1, 0, 0);
}

void YMRDialog::critical(const QString &caption, const QString &text)
{
    runOkBox(caption, text, "dialog_critical");
}

void YMRDialog::warning(const QString &caption, const QString &text)
{
    runOkBox(caption, text, "dialog_warning");
}

void YMRDialog::information(const QString &caption, const QString &text)
{
    runOkBox(caption, text, "dialog_info");
}

bool YMRDialog::confirmDelete(const QString &text, const QString &caption)
{
    const QString texts[] = {tr("Ok"), tr("Cancel")};
    const char *const icons[] = {"button_ok", "button_cancel"};
    return runMessage(caption.isEmpty() ? tr("Delete") : caption, text, "remove2", texts, icons,
                      2, 2, 2)
           == 1;
}

bool YMRDialog::rename(const QString &oldName, QString &newName, const QString &caption)
{
    YMRDialog box(QPEApplication::dialogParent(), nullptr, true);
    box.setWindowTitle((caption.isEmpty() ? tr("Rename") : caption) + QStringLiteral(" ..."));
    box.setIcon("rename2");
    box.setButton1(tr("Ok"), "button_ok", Default);
    box.setButton2(tr("Cancel"), "button_cancel", Escape);

    box.m_grid->removeWidget(box.m_textLabel);
    delete box.m_textLabel;
    box.m_textLabel = nullptr;
    auto *lines = new QVBoxLayout;
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(3);
    auto *oldLine = new QLineEdit(oldName, &box);
    oldLine->setEnabled(false);
    auto *newLine = new QLineEdit(oldName, &box);
    newLine->selectAll();
    lines->addWidget(oldLine);
    lines->addWidget(newLine);
    box.m_grid->addLayout(lines, 0, 2);
    newLine->setFocus();
    box.m_renameEdit = newLine;
    box.layout()->activate();
    box.setFixedSize(QPEApplication::screenRect().width() - 20, box.sizeHint().height());

    const int res = box.exec();
    newName = newLine->text();
    return res == 1;
}

int YMRDialog::message1(const QString &caption, const QString &text, const char *icon,
                        const QString &buttonText, const char *buttonIcon)
{
    return runMessage(caption, text, icon, &buttonText, &buttonIcon, 1, 0, 0);
}

int YMRDialog::message2(const QString &caption, const QString &text, const char *icon,
                        const QString &text1, const char *icon1, const QString &text2,
                        const char *icon2, int defaultButton, int escapeButton)
{
    const QString texts[] = {text1, text2};
    const char *const icons[] = {icon1, icon2};
    return runMessage(caption, text, icon, texts, icons, 2, defaultButton, escapeButton);
}

int YMRDialog::message3(const QString &caption, const QString &text, const char *icon,
                        const QString &text1, const char *icon1, const QString &text2,
                        const char *icon2, const QString &text3, const char *icon3,
                        int defaultButton, int escapeButton)
{
    const QString texts[] = {text1, text2, text3};
    const char *const icons[] = {icon1, icon2, icon3};
    return runMessage(caption, text, icon, texts, icons, 3, defaultButton, escapeButton);
}
