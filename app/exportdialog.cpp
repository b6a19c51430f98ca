#include "exportdialog.h"

#include "dateformatselector.h"
#include "textcodecselector.h"

#include "filedialog/ymfiledialog.h"
#include "pim/pimrecord.h"
#include "pim/task.h"
#include "pim/ymrpim.h"
#include "qpe/config.h"
#include "qpe/qpeapplication.h"
#include "qt/ymrapplication.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrdialog.h"
#include "qt/ymrmainwindow.h"
#include "qt/ymrokcancelwidget.h"
#include "qt/ymrutil.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QHash>
#include <QTextStream>

#include <vector>

namespace {

const char delimiters[] = "\t ;,!:-|/";

Config appSettings()
{
    return Config(YMRPIM::applicationName());
}

const QString group = QStringLiteral("ExportOptions");

} // namespace

ExportDialog::ExportDialog(QWidget *parent, const char *name)
    : ExportDialogBase(parent, name, true)
{
    layOut();
    readSettings();
    delimiterChanged();
    okCancelWidget->hide();
    YMRApplication::showMaximized(this, true);
}

ExportDialog::~ExportDialog()
{
    writeSettings();
}

void ExportDialog::layOut()
{
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(3, 3, 3, 3);
    grid->setSpacing(2);
    int row = 0;
    grid->addWidget(TextLabel1, row, 0);
    grid->addWidget(type, row++, 1);
    grid->addWidget(TextLabel2, row, 0);
    if (YMRMainWindow::isPortrait()) {
        grid->addWidget(delimiter, row++, 1);
        grid->addWidget(other, row, 0);
        grid->addWidget(otherDelimiter, row++, 1);
    } else {
        auto *box = new QHBoxLayout();
        box->setContentsMargins(0, 0, 0, 0);
        box->setSpacing(2);
        box->addWidget(delimiter, 1);
        box->addWidget(other);
        box->addWidget(otherDelimiter, 1);
        grid->addLayout(box, row++, 1);
    }
    const std::pair<QLabel *, QWidget *> rows[] = {
        {TextLabel3, qualifier}, {TextLabel4, unicode}, {TextLabel5, dateFormat},
        {TextLabel6, timeFormat}, {TextLabel7, dateTimeFormat}};
    for (const auto &r : rows) {
        grid->addWidget(r.first, row, 0);
        grid->addWidget(r.second, row++, 1);
    }
    // on a narrow screen the long labels take two lines, leaving the
    // fields room for their patterns
    if (QPEApplication::screenRect().width() < 480) {
        for (QLabel *l : {TextLabel3, TextLabel8})
            l->setWordWrap(true);
    }
    auto *mlBox = new QHBoxLayout();
    mlBox->setContentsMargins(0, 0, 0, 0);
    mlBox->setSpacing(2);
    mlBox->addWidget(TextLabel8);
    mlBox->addWidget(ml, 2);
    grid->addLayout(mlBox, row++, 0, 1, 2);
    grid->setRowStretch(row++, 1);
    grid->addWidget(okCancelWidget, row, 0, 1, 2);
    grid->setColumnStretch(1, 1);
}

void ExportDialog::readSettings()
{
    Config cfg = appSettings();
    cfg.setGroup(group);
    dateFormat->setList(QStringLiteral("dateFormat"), cfg.readEntry(QStringLiteral("date")));
    timeFormat->setList(QStringLiteral("timeFormat"), cfg.readEntry(QStringLiteral("time")));
    dateTimeFormat->setList(QStringLiteral("dateTimeFormat"),
                            cfg.readEntry(QStringLiteral("datetime")));
    delimiter->setCurrentItem(cfg.readNumEntry(QStringLiteral("delimiter"), 0));
    unicode->setCurrentItem(cfg.readNumEntry(QStringLiteral("unicode"), 0));
    otherDelimiter->setText(cfg.readEntry(QStringLiteral("otherDelimiter"), QStringLiteral(" ")));
    other->setChecked(cfg.readNumEntry(QStringLiteral("other"), 0) != 0);
    // a qualifier stored empty means none, not the default
    const QString q = cfg.readEntry(QStringLiteral("textqualifier"), QStringLiteral("\""));
    YMRPIM::selectItem(qualifier, q, cfg.hasKey(QStringLiteral("textqualifier")));
    if (cfg.hasKey(QStringLiteral("multiline2")))
        YMRPIM::selectItem(ml, cfg.readEntry(QStringLiteral("multiline2")), true);
    else
        ml->setCurrentItem(cfg.readNumEntry(QStringLiteral("multiline1"), 0));
}

void ExportDialog::writeSettings()
{
    Config cfg = appSettings();
    cfg.setGroup(group);
    cfg.writeEntry(QStringLiteral("delimiter"), delimiter->currentItem());
    cfg.writeEntry(QStringLiteral("textqualifier"), qualifier->currentText());
    cfg.writeEntry(QStringLiteral("unicode"), unicode->currentItem());
    cfg.writeEntry(QStringLiteral("otherDelimiter"), otherDelimiter->text());
    cfg.writeEntry(QStringLiteral("other"), other->isChecked() ? 1 : 0);
    cfg.writeEntry(QStringLiteral("date"), dateFormat->format());
    cfg.writeEntry(QStringLiteral("time"), timeFormat->format());
    cfg.writeEntry(QStringLiteral("datetime"), dateTimeFormat->format());
    cfg.removeEntry(QStringLiteral("multiline2"));
    if (ml->currentText() != ml->text(ml->currentItem()))
        cfg.writeEntry(QStringLiteral("multiline2"), ml->currentText());
    cfg.writeEntry(QStringLiteral("multiline1"), ml->currentItem());
}

void ExportDialog::delimiterChanged()
{
    delimiter->setEnabled(!other->isChecked());
    otherDelimiter->setEnabled(other->isChecked());
}

void ExportDialog::values(QString &date, QString &time, QString &dateTime,
                          QString &textQualifier, QString &delim, QString &multiline) const
{
    date = dateFormat->format();
    time = timeFormat->format();
    dateTime = dateTimeFormat->format();
    textQualifier = qualifier->currentText();
    if (other->isChecked()) {
        delim = otherDelimiter->text();
    } else {
        const int i = delimiter->currentItem();
        delim = i >= 0 && i < int(sizeof delimiters) - 1 ? QString(QLatin1Char(delimiters[i]))
                                                         : QString();
    }
    if (delim.isEmpty())
        delim = QStringLiteral(" ");
    const int entry = ml->currentItem();
    if (ml->currentText() != ml->text(entry))
        multiline = ml->currentText();
    else if (entry == 0)
        multiline = QStringLiteral("\n");
    else if (entry == 1)
        multiline = QStringLiteral(" ");
    else
        multiline = ml->text(entry);
}

QString ExportDialog::exportFileName(const QString &baseName)
{
    Config cfg = appSettings();
    cfg.setGroup(group);
    const QString start = cfg.readEntry(QStringLiteral("path"), QDir::homePath());
    for (;;) {
        QString name = YMFileDialog::getSaveFileName(
            start, tr("All Files (*);;") + tr("CSV Files (*.csv);;"), nullptr, nullptr,
            tr("Export to CSV"), baseName + QStringLiteral(".csv"));
        if (name.isNull())
            return QString();
        if (QFileInfo(name).suffix() != QLatin1String("csv"))
            name += QStringLiteral(".csv");
        if (QFileInfo::exists(name)) {
            const int answer = YMRDialog::message2(
                tr("Export"),
                tr("The file: %1\nalready exists.\nDo you want to replace the existing file?")
                    .arg(QFileInfo(name).fileName()),
                "dialog_warning", tr("Replace"), "button_ok", tr("Cancel"), "button_cancel", 2, 2);
            if (answer != 1)
                continue;
        }
        cfg.writeEntry(QStringLiteral("path"), name);
        return name;
    }
}

void ExportDialog::setCodec(QTextStream *stream) const
{
    unicode->setCodec(stream);
}

namespace {

// A date pattern split once into literal runs and fields, so that a long
// export does not read the pattern again for every value; the values are
// those of YMRUtil::formatDateTime.
class CompiledPattern
{
public:
    explicit CompiledPattern(const QString &pattern)
    {
        QString pat = pattern;
        const int at = pat.indexOf(QLatin1String("AM/PM"));
        if (at >= 0) {
            pat.replace(at, 5, QLatin1Char('^'));
            m_twelveHour = true;
        }
        QString token;
        QString literal;
        auto flushToken = [&] {
            if (!token.isEmpty())
                m_pieces.push_back({false, token});
            token.clear();
        };
        for (const QChar c : qAsConst(pat)) {
            if (QStringLiteral("DMYhms^").contains(c)) {
                if (!literal.isEmpty()) {
                    m_pieces.push_back({true, literal});
                    literal.clear();
                }
                if (!token.isEmpty() && token.at(0) != c)
                    flushToken();
                token += c;
            } else {
                flushToken();
                literal += c;
            }
        }
        flushToken();
        if (!literal.isEmpty())
            m_pieces.push_back({true, literal});
    }

    void append(QString &out, const QDate &date, const QTime &time) const
    {
        if (!date.isValid() || !time.isValid())
            return;
        // the stored wall-clock values as they are: no time zone involved
        int year, month, day;
        date.getDate(&year, &month, &day);
        for (const Piece &p : m_pieces) {
            if (p.literal) {
                out += p.text;
                continue;
            }
            const int n = p.text.size();
            switch (p.text.at(0).unicode()) {
            case 'D':
                if (n > 2)
                    break;
                appendNumber(out, day, n == 2);
                continue;
            case 'M':
                if (n > 2)
                    break;
                appendNumber(out, month, n == 2);
                continue;
            case 'Y': {
                const QString y = QString::number(year);
                out += n <= 2 ? y.right(2) : y;
                continue;
            }
            case 'h': {
                int h = time.hour();
                if (m_twelveHour)
                    h = h == 0 ? 12 : h > 12 ? h - 12 : h;
                appendNumber(out, h, n > 1);
                continue;
            }
            case 'm':
                appendNumber(out, time.minute(), n > 1);
                continue;
            case 's':
                appendNumber(out, time.second(), n > 1);
                continue;
            default:
                break;
            }
            // names and the AM/PM marker as the toolkit writes them
            out += YMRUtil::expandDateToken(QDateTime(date, time, Qt::UTC), p.text, m_twelveHour);
        }
    }

private:
    static void appendNumber(QString &out, int value, bool twoDigits)
    {
        if (value >= 0 && value < 100) {
            if (value >= 10 || twoDigits)
                out += QLatin1Char(char('0' + value / 10));
            out += QLatin1Char(char('0' + value % 10));
        } else {
            out += QString::number(value);
        }
    }

    struct Piece {
        bool literal;
        QString text;
    };
    std::vector<Piece> m_pieces;
    bool m_twelveHour = false;
};

// One field and its delimiter; the rules of YMRPIM::csvQuote.
void appendField(QString &line, const QString &text, const QString &qualifier,
                 const QString &delim)
{
    QString q = qualifier;
    if (q.isEmpty()) {
        for (const QChar c : text) {
            if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('"')) {
                q = QStringLiteral("\"");
                break;
            }
        }
        if (q.isEmpty() && text.contains(delim))
            q = QStringLiteral("\"");
    }
    line += q;
    if (!q.isEmpty() && text.contains(q))
        line += QString(text).replace(q, q + q);
    else
        line += text;
    line += q;
    line += delim;
}

} // namespace

void ExportDialog::writeRows(QTextStream &out, const QList<PIMRecord *> &records,
                             const QString &date, const QString &dateTime,
                             const QString &textQualifier, const QString &delim,
                             const QString &multiline)
{
    QString line;
    auto endRow = [&] {
        line.chop(delim.size());
        line += QLatin1Char('\n');
        out << line;
        line.clear();
    };
    for (const QString &label :
         {tr("Date"), tr("Type"), tr("Amount"), tr("Currency"), tr("City"), tr("Account"),
          tr("Description"), tr("Created Date"), tr("Updated Date"), tr("Categories")})
        appendField(line, label, textQualifier, delim);
    endRow();

    const CompiledPattern datePattern(date);
    const CompiledPattern stampPattern(dateTime);
    // many expenses share a day; the date texts are made once per day
    QHash<qint64, QString> dayTexts;
    QString text;
    const QString newline(QLatin1Char('\n'));
    for (PIMRecord *r : records) {
        const auto *t = dynamic_cast<const Task *>(r);
        if (!t)
            continue;
        const qint64 day = t->date.toJulianDay();
        auto found = dayTexts.constFind(day);
        if (found == dayTexts.constEnd()) {
            text.clear();
            datePattern.append(text, t->date, QTime(0, 0));
            found = dayTexts.insert(day, text);
        }
        appendField(line, *found, textQualifier, delim);
        appendField(line, t->type, textQualifier, delim);
        appendField(line, t->amount, textQualifier, delim);
        appendField(line, t->currency, textQualifier, delim);
        appendField(line, t->city, textQualifier, delim);
        appendField(line, t->account, textQualifier, delim);
        if (t->description.contains(newline))
            appendField(line, QString(t->description).replace(newline, multiline), textQualifier,
                        delim);
        else
            appendField(line, t->description, textQualifier, delim);
        QDate d;
        QTime tm;
        text.clear();
        t->createdParts(d, tm);
        stampPattern.append(text, d, tm);
        appendField(line, text, textQualifier, delim);
        text.clear();
        t->updatedParts(d, tm);
        stampPattern.append(text, d, tm);
        appendField(line, text, textQualifier, delim);
        appendField(line, t->categoryTitles().join(QStringLiteral(", ")), textQualifier, delim);
        endRow();
    }
}
