// The popup editors of YMRPIM: small modal choosers that change one value
// of a record in place.
#include "ymrpim.h"

#include "pimreminder.h"
#include "pimtextedit.h"

#include "qpe/popupmenu.h"
#include "qt/ymdatetimeeditor.h"
#include "qt/ymrapplication.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrdialog.h"
#include "qt/ymrlistbox.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// A popup menu of widget items. Its buttons are toggle buttons that close
// the popup; after exec the button that is on tells what was chosen, and
// closing the popup any other way leaves every button off.
class Chooser
{
public:
    Chooser() { m_menu.setObjectName(QStringLiteral("YMRPIM chooser")); }

    void addWidget(QWidget *w) { m_menu.insertItem(w); }
    void addSeparator() { m_menu.insertSeparator(); }
    YMRPushButton *addButton(const char *text, const char *icon)
    {
        auto *b = new YMRPushButton(YMRResource::loadIconSet(QLatin1String(icon)),
                                    YMRPIM::tr(text));
        b->setToggleButton(true);
        QObject::connect(b, &YMRPushButton::clicked, &m_menu, &QMenu::hide);
        m_menu.insertItem(b);
        return b;
    }
    // An editor with the "Set" button that takes its value.
    YMRPushButton *addEditor(QWidget *editor)
    {
        addWidget(editor);
        YMRPushButton *set = addButton(QT_TR_NOOP("Set"), "button_ok");
        addSeparator();
        return set;
    }
    PopupMenu *menu() { return &m_menu; }
    void exec(const QPoint &pos) { m_menu.exec(pos); }

private:
    PopupMenu m_menu;
};

YMRListBox *makeListBox(const QString &value, const QString &listName)
{
    auto *box = new YMRListBox;
    box->insertStringList(YMRPIM::loadList(listName));
    YMRPIM::selectItem(box, value, false);
    return box;
}

} // namespace

void YMRPIM::tellBarRefused(QWidget *field)
{
    if (!field)
        return;
    // A modal box would take the keys typed after the "|": a tooltip-like
    // label instead, owned by the field so that it goes with it.
    const QString name = QStringLiteral("YMRPIM hint");
    auto *hint = field->findChild<QLabel *>(name, Qt::FindDirectChildrenOnly);
    if (!hint) {
        hint = new QLabel(field, Qt::ToolTip);
        hint->setObjectName(name);
        hint->setAttribute(Qt::WA_ShowWithoutActivating);
        hint->setForegroundRole(QPalette::ToolTipText);
        hint->setBackgroundRole(QPalette::ToolTipBase);
        hint->setAutoFillBackground(true);
        hint->setFrameStyle(QFrame::Box | QFrame::Plain);
        hint->setMargin(2);
        auto *timer = new QTimer(hint);
        timer->setSingleShot(true);
        timer->setInterval(4000);
        QObject::connect(timer, &QTimer::timeout, hint, &QWidget::hide);
    }
    hint->setText(tr("A text cannot hold \"|\"."));
    hint->adjustSize();
    // above the line typed in, which the next keys continue below
    const QRect at = field->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    QPoint pos = field->mapToGlobal(at.isValid() ? at.topLeft() : QPoint(0, 0))
                 - QPoint(0, hint->height() + 2);
    if (const QScreen *screen = field->screen()) {
        const QRect room = screen->availableGeometry();
        pos.setX(qBound(room.left(), pos.x(), qMax(room.left(), room.right() - hint->width())));
        pos.setY(qBound(room.top(), pos.y(), qMax(room.top(), room.bottom() - hint->height())));
    }
    hint->move(pos);
    hint->show();
    hint->raise();
    hint->findChild<QTimer *>()->start();
}

void YMRPIM::refuseBar(QWidget *field)
{
    if (auto *box = qobject_cast<YMRComboBox *>(field))
        field = box->lineEdit();
    if (auto *edit = qobject_cast<QLineEdit *>(field)) {
        edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^|]*")), edit));
        QObject::connect(edit, &QLineEdit::inputRejected, edit, [edit] { tellBarRefused(edit); });
    }
}

bool YMRPIM::editText(const QString &caption, QString &text)
{
    QDialog dlg;
    dlg.setModal(true);
    dlg.setWindowTitle(caption);
    auto *box = new QVBoxLayout(&dlg);
    box->setContentsMargins(3, 3, 3, 3);
    box->setSpacing(3);
    auto *edit = new PIMTextEdit(&dlg);
    edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    edit->setWordWrapMode(QTextOption::WrapAnywhere);
    box->addWidget(edit);
    auto *close = new YMRPushButton(YMRResource::loadIconSet(QStringLiteral("button_ok")),
                                    tr("Close"), &dlg);
    box->addWidget(close);
    QObject::connect(close, &YMRPushButton::clicked, &dlg, &QDialog::accept);
    edit->setPlainText(text);
    edit->moveCursor(QTextCursor::End);
    edit->setFocus();
    YMRApplication::showMaximized(&dlg, true);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    text = edit->toPlainText();
    return true;
}

namespace {
YMDateTimeEditor *makeEditor()
{
    return new YMDateTimeEditor(nullptr, nullptr, true);
}
} // namespace

bool YMRPIM::popupDate(QDate &date, const QPoint &pos)
{
    Chooser chooser;
    YMDateTimeEditor *editor = makeEditor();
    editor->hideTime(true);
    if (date.isValid())
        editor->setDate(date);
    YMRPushButton *set = chooser.addEditor(editor);
    YMRPushButton *today = chooser.addButton(QT_TR_NOOP("Today"), "clock");
    chooser.addSeparator();
    YMRPushButton *none = chooser.addButton(QT_TR_NOOP("None"), "button_cancel");
    chooser.exec(pos);
    if (set->isOn())
        date = editor->date();
    else if (today->isOn())
        date = QDate::currentDate();
    else if (none->isOn())
        date = QDate();
    else
        return false;
    return true;
}

bool YMRPIM::popupReminder(PIMReminder *&reminder, bool &removed, const QPoint &pos)
{
    if (!reminder)
        return false;
    Chooser chooser;
    YMDateTimeEditor *editor = makeEditor();
    editor->setDateTime(reminder->dateTime);
    YMRPushButton *set = chooser.addEditor(editor);
    YMRPushButton *remove = chooser.addButton(QT_TR_NOOP("Remove Reminder"), "button_cancel");
    chooser.exec(pos);
    if (remove->isOn()) {
        // the caller's pointer goes with the object, so nothing deletes it twice
        delete reminder;
        reminder = nullptr;
        removed = true;
        return true;
    }
    if (!set->isOn())
        return false;
    const QDateTime chosen = editor->dateTime();
    reminder->dateTime =
        QDateTime(chosen.date(), QTime(chosen.time().hour(), chosen.time().minute()));
    removed = false;
    return true;
}

bool YMRPIM::popupTime(QTime &time, const QPoint &pos)
{
    Chooser chooser;
    YMDateTimeEditor *editor = makeEditor();
    editor->hideDate(true);
    editor->setTime(time);
    YMRPushButton *set = chooser.addEditor(editor);
    YMRPushButton *current = chooser.addButton(QT_TR_NOOP("Current"), "clock");
    chooser.exec(pos);
    if (set->isOn())
        time = editor->time();
    else if (current->isOn())
        time = QTime::currentTime();
    else
        return false;
    return true;
}

bool YMRPIM::popupDateTime(QDateTime &dateTime, const QPoint &pos)
{
    Chooser chooser;
    YMDateTimeEditor *editor = makeEditor();
    editor->setDateTime(dateTime);
    YMRPushButton *set = chooser.addEditor(editor);
    YMRPushButton *current = chooser.addButton(QT_TR_NOOP("Current"), "clock");
    chooser.exec(pos);
    if (set->isOn())
        dateTime = editor->dateTime();
    else if (current->isOn())
        dateTime = QDateTime::currentDateTime();
    else
        return false;
    return true;
}

bool YMRPIM::popupList(QString &value, const QString &listName, const QPoint &pos)
{
    Chooser chooser;
    YMRListBox *box = makeListBox(value, listName);
    box->setHScrollBarMode(ScrollView::AlwaysOff);
    QObject::connect(box, qOverload<YMRListBoxItem *>(&YMRListBox::clicked), chooser.menu(),
                     &QMenu::hide);
    QObject::connect(box, &YMRListBox::returnPressed, chooser.menu(), &QMenu::hide);
    chooser.addWidget(box);
    chooser.addSeparator();
    YMRPushButton *cancel = chooser.addButton(QT_TR_NOOP("Cancel"), "button_cancel");
    chooser.exec(pos);
    if (cancel->isOn() || box->currentItem() < 0)
        return false;
    value = box->text(box->currentItem());
    return true;
}

bool YMRPIM::selectFromList(QString &value, const QString &listName, const QString &caption)
{
    QDialog dlg;
    dlg.setModal(true);
    dlg.setWindowTitle(caption);
    auto *layout = new QVBoxLayout(&dlg);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->setSpacing(0);
    YMRListBox *box = makeListBox(value, listName);
    box->setParent(&dlg);
    layout->addWidget(box);
    QObject::connect(box, qOverload<YMRListBoxItem *>(&YMRListBox::clicked), &dlg,
                     &QDialog::accept);
    QObject::connect(box, &YMRListBox::returnPressed, &dlg, &QDialog::accept);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    value = box->currentItem() >= 0 ? box->text(box->currentItem()) : QString(QLatin1String(""));
    return true;
}
