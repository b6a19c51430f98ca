#include "exportdialog.h"

#include "dateformatselector.h"
#include "textcodecselector.h"

#include "filedialog/ymfiledialog.h"
#include "pim/ymrpim.h"
#include "qpe/config.h"
#include "qpe/qpeapplication.h"
#include "qpe/qpeglobal.h"
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
#include <QScrollArea>

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
    // On a narrow screen the column of labels would leave the patterns too
    // little room: they have the row under their labels, the qualifier's and
    // the long label's rows stand on their own, and the rows scroll.
    const bool narrow = QPEApplication::screenRect().width() < 480;
    QWidget *body = this;
    if (narrow) {
        body = new QWidget(this);
        body->setMinimumSize(1, 0);
        auto *outer = new QVBoxLayout(this);
        outer->setContentsMargins(0, 0, 0, 0);
        outer->addWidget(YMRUtil::scrollRows(body, this));
    }
    auto *grid = new QGridLayout(body);
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
    // a label at its own width beside its field, in a row of their own
    const auto beside = [](QLabel *label, QWidget *field, int stretch) {
        auto *box = new QHBoxLayout();
        box->setContentsMargins(0, 0, 0, 0);
        box->setSpacing(2);
        box->addWidget(label);
        box->addWidget(field, stretch);
        return box;
    };
    const std::pair<QLabel *, QWidget *> rows[] = {
        {TextLabel3, qualifier}, {TextLabel4, unicode}, {TextLabel5, dateFormat},
        {TextLabel6, timeFormat}, {TextLabel7, dateTimeFormat}};
    for (const auto &r : rows) {
        if (narrow && r.second == qualifier) {
            grid->addLayout(beside(r.first, r.second, 1), row++, 0, 1, 2);
        } else if (narrow && r.second != unicode) {
            grid->addWidget(r.first, row++, 0, 1, 2);
            grid->addWidget(r.second, row++, 0, 1, 2);
        } else {
            grid->addWidget(r.first, row, 0);
            grid->addWidget(r.second, row++, 1);
        }
    }
    // the long label takes two lines, leaving the field room
    TextLabel8->setWordWrap(narrow);
    grid->addLayout(beside(TextLabel8, ml, 2), row++, 0, 1, 2);
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

void ExportDialog::accept()
{
    QString date, time, dateTime, textQualifier, delim, multiline;
    values(date, time, dateTime, textQualifier, delim, multiline);
    for (QChar c : qAsConst(textQualifier)) {
        if (!delim.contains(c))
            continue;
        QWidget *field = qualifier->lineEdit() ? static_cast<QWidget *>(qualifier->lineEdit())
                                               : qualifier;
        field->setFocus();
        YMRPIM::tellRefused(field, tr("The text qualifier and the delimiter cannot share a "
                                      "character: no reader could split the fields."));
        return;
    }
    ExportDialogBase::accept();
}

QString ExportDialog::exportFileName(const QString &baseName)
{
    Config cfg = appSettings();
    cfg.setGroup(group);
    const QString start = cfg.readEntry(QStringLiteral("path"), Qpe::userRoot());
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

QTextCodec *ExportDialog::codec() const
{
    return unicode->currentCodec();
}
