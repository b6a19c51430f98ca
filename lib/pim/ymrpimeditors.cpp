// The popup editors of YMRPIM: small modal choosers that change one value
// of a record in place.
#include "ymrpim.h"

#include "pimreminder.h"
#include "pimtextedit.h"
#include "pimtextreader.h"

#include "qpe/popupmenu.h"
#include "qpe/wallclock.h"
#include "qt/ymramountvalidator.h"
#include "qt/ymdatetimeedit.h"
#include "qt/ymdatetimeeditor.h"
#include "qt/ymrapplication.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrdialog.h"
#include "qt/ymrfieldhint.h"
#include "qt/ymrlistbox.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"
#include "qt/ymrutil.h"

#include <QDialog>
#include <QLineEdit>
#include <QLocale>
#include <QTextCursor>
#include <QValidator>
#include <QVBoxLayout>

#include <limits>

namespace {

// A one-line text of a record file or list: see YMRPIM::refuseBar.
class LineValidator : public QValidator
{
public:
    LineValidator(int maxBytes, int maxChars, bool barAllowed, QObject *parent)
        : QValidator(parent), m_maxBytes(maxBytes), m_maxChars(maxChars), m_barAllowed(barAllowed)
    {
    }

    State validate(QString &input, int &pos) const override
    {
        m_refusal = None;
        blankLineBreaks(input, pos);
        if (!m_barAllowed && input.contains(QLatin1Char('|'))) {
            m_refusal = Bar;
            return Invalid;
        }
        if (input.size() > m_maxChars && YMRPIM::characterCount(input) > m_maxChars) {
            m_refusal = TooManyCharacters;
            return Invalid;
        }
        if (YMRPIM::utf8Length(input) > m_maxBytes) {
            m_refusal = TooManyBytes;
            return Invalid;
        }
        return Acceptable;
    }

    // Tells why the last text was refused.
    void tell(QWidget *field) const
    {
        if (m_refusal == Bar)
            YMRPIM::tellBarRefused(field);
        else if (m_refusal == TooManyBytes)
            YMRPIM::tellTooLong(field, m_maxBytes, false);
        else if (m_refusal == TooManyCharacters)
            YMRPIM::tellTooLong(field, m_maxChars, true);
    }

private:
    static bool isLineBreak(QChar c)
    {
        switch (c.unicode()) {
        case '\n': case '\r': case 0x0b: case 0x0c: case 0x85: case 0x2028: case 0x2029:
            return true;
        default:
            return false;
        }
    }

    // Each line break becomes a blank, a carriage return and line feed one.
    static void blankLineBreaks(QString &input, int &pos)
    {
        bool any = false;
        for (QChar c : qAsConst(input))
            any = any || isLineBreak(c);
        if (!any)
            return;
        QString out;
        out.reserve(input.size());
        int newPos = pos;
        for (int i = 0; i < input.size(); ++i) {
            const QChar c = input.at(i);
            const bool pair = c == QLatin1Char('\r') && i + 1 < input.size()
                              && input.at(i + 1) == QLatin1Char('\n');
            if (pair) {
                if (i + 1 < pos)
                    --newPos;
                continue;
            }
            out += isLineBreak(c) ? QChar(QLatin1Char(' ')) : c;
        }
        input = out;
        pos = qBound(0, newPos, input.size());
    }

    enum Refusal { None, Bar, TooManyBytes, TooManyCharacters };
    int m_maxBytes;
    int m_maxChars;
    bool m_barAllowed;
    mutable Refusal m_refusal = None;
};

// The field's own length counts UTF-16 units and cuts a paste to it before
// the validator sees it: it takes two units for each character (a pair of
// surrogates), and one more, so that the validator refuses a longer paste
// whole. Not more: the line edit's paste slows down with the square of
// what it cuts.
void installLineValidator(QWidget *field, const char *key, bool barAllowed)
{
    if (auto *box = qobject_cast<YMRComboBox *>(field))
        field = box->lineEdit();
    auto *edit = qobject_cast<QLineEdit *>(field);
    if (!edit || dynamic_cast<const LineValidator *>(edit->validator()))
        return;
    const int maxChars = edit->maxLength();
    auto *validator =
        new LineValidator(YMRPIM::maxValueLength(key), maxChars, barAllowed, edit);
    edit->setMaxLength(int(qMin<qint64>(2 * qint64(maxChars) + 1,
                                        std::numeric_limits<int>::max())));
    edit->setValidator(validator);
    QObject::connect(edit, &QLineEdit::inputRejected, edit, [edit, validator] {
        validator->tell(edit);
    });
}

QString largestAmount()
{
    return QString::number(YMRAmountValidator::Largest, 'f', 0);
}

// A popup menu of widget items. Its buttons are toggle buttons that close
// the popup; after exec the button that is on tells what was chosen, and
// closing the popup any other way leaves every button off.
class Chooser
{
public:
    Chooser() { m_menu.setObjectName(QStringLiteral("YMRPIM chooser")); }

    void addWidget(QWidget *w) { m_menu.insertItem(w); }
    void addSeparator() { m_menu.insertSeparator(); }
    YMRPushButton *addButton(const char *text, const char *icon, bool closes = true)
    {
        auto *b = new YMRPushButton(YMRResource::loadIconSet(QLatin1String(icon)),
                                    YMRPIM::tr(text));
        b->setToggleButton(true);
        if (closes)
            QObject::connect(b, &YMRPushButton::clicked, &m_menu, &QMenu::hide);
        m_menu.insertItem(b);
        return b;
    }
    // An editor with the "Set" button that takes its value. What is being
    // typed is taken first; a typed date that does not exist keeps the popup
    // open, the editor back at its date and telling why.
    YMRPushButton *addEditor(YMDateTimeEditor *editor)
    {
        addWidget(editor);
        YMRPushButton *set = addButton(QT_TR_NOOP("Set"), "button_ok", false);
        // a click leaves the keys in the edit, so that the entry ends here
        set->setFocusPolicy(Qt::TabFocus);
        QObject::connect(set, &YMRPushButton::clicked, &m_menu, [this, editor, set] {
            if (editor->finishTyping())
                m_menu.hide();
            else
                set->setOn(false);
        });
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

void YMRPIM::tellRefused(QWidget *field, const QString &text)
{
    YMRFieldHint::show(field, text, QStringLiteral("YMRPIM hint"));
}

void YMRPIM::tellBarRefused(QWidget *field)
{
    tellRefused(field, tr("A text cannot hold \"|\"."));
}

void YMRPIM::tellTooLong(QWidget *field, int limit, bool characters)
{
    // the exact figure, grouped as the README writes it
    QLocale figures = QLocale::c();
    figures.setNumberOptions(QLocale::DefaultNumberOptions);
    const QString number = figures.toString(limit);
    const QString size = characters ? tr("%1 characters").arg(number) : tr("%1 bytes").arg(number);
    tellRefused(field, tr("This text cannot be any longer (at most %1).").arg(size));
}

int YMRPIM::characterCount(const QString &text)
{
    int count = 0;
    for (int i = 0; i < text.size(); ++i) {
        if (!(text.at(i).isLowSurrogate() && i > 0 && text.at(i - 1).isHighSurrogate()))
            ++count;
    }
    return count;
}

int YMRPIM::maxValueLength(const char *key)
{
    return qMax(0, PIMTextReader::maxLineLength() - int(qstrlen(key)));
}

int YMRPIM::utf8Length(const QChar *text, int size)
{
    int bytes = 0;
    for (int i = 0; i < size; ++i) {
        const ushort u = text[i].unicode();
        if (u < 0x80) {
            bytes += 1;
        } else if (u < 0x800) {
            bytes += 2;
        } else if (QChar::isHighSurrogate(u) && i + 1 < size
                   && QChar::isLowSurrogate(text[i + 1].unicode())) {
            bytes += 4;
            ++i;
        } else {
            // a lone surrogate is written as a replacement character
            bytes += 3;
        }
    }
    return bytes;
}

void YMRPIM::refuseBar(QWidget *field, const char *key)
{
    installLineValidator(field, key, false);
}

void YMRPIM::keepOneLine(QWidget *field, const char *key)
{
    installLineValidator(field, key, true);
}

void YMRPIM::refuseAmountKeys(QLineEdit *field)
{
    if (!field)
        return;
    auto *validator = new YMRAmountValidator(field);
    field->setValidator(validator);
    QObject::connect(field, &QLineEdit::inputRejected, field, [field, validator] {
        if (validator->refusal() == YMRAmountValidator::TooLarge)
            tellRefused(field, tr("An amount can be at most %1.").arg(largestAmount()));
        else
            tellRefused(field, tr("An amount takes only the digits 0 to 9 and the separators "
                                  "\",\" \".\" \"'\" and blank: no sign, no other characters."));
    });
}

bool YMRPIM::fieldAmount(QLineEdit *field, QString &plain, double *value)
{
    if (!field)
        return false;
    if (YMRAmountValidator::read(field->text(), &plain, value))
        return true;
    field->setFocus();
    tellRefused(field, tr("Cannot read \"%1\" as an amount: write it as 1234.56, 1,234.56 or "
                          "1.234,56, with at most two decimals, from 0 to %2.")
                           .arg(field->text(), largestAmount()));
    return false;
}

void YMRPIM::tellSkippedTime(YMDateTimeEditor *editor)
{
    QObject::connect(editor, qOverload<>(&YMDateTimeEditor::changed), editor, [editor] {
        const QDate date = editor->date();
        const QTime time = editor->time();
        // by the alarms' clock, as the reminder rings: Qt's reading differs
        // before 1970 and after 2037
        if (!WallClock::skipped(date, time))
            return;
        const QDateTime rings = YMRUtil::firstValidLocalTime(date, time);
        if (!rings.isValid())
            return;
        tellRefused(editor->timeEdit(),
                    tr("The clocks skip %1 on %2: the reminder rings at %3.")
                        .arg(YMRUtil::timeToString(time).trimmed(),
                             YMRUtil::dateToString(date).trimmed(),
                             YMRUtil::timeToString(rings.time()).trimmed()));
    });
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
    tellSkippedTime(editor);
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
    // a time the clocks skip rings at the first moment after it
    reminder->dateTime = YMRUtil::firstValidLocalTime(
        editor->date(), QTime(editor->time().hour(), editor->time().minute()));
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
