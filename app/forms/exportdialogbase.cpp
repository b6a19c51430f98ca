#include "exportdialogbase.h"

#include "dateformatselector.h"
#include "textcodecselector.h"

#include "qt/ymrcombobox.h"
#include "qt/ymrokcancelwidget.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

ExportDialogBase::ExportDialogBase(QWidget *parent, const char *name, bool modal,
                                   Qt::WindowFlags fl)
    : QDialog(parent, fl)
{
    setObjectName(QString::fromLatin1(name ? name : "ExportDialogBase"));
    setModal(modal);
    setWindowTitle(tr("Export"));

    auto label = [this](const char *objectName, const QString &text) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QLatin1String(objectName));
        return l;
    };

    TextLabel1 = label("TextLabel1", tr("Export to:"));
    type = new YMRComboBox(this, "type");
    type->insertItem(tr("CSV"));

    TextLabel2 = label("TextLabel2", tr("Delimiters:"));
    delimiter = new YMRComboBox(this, "delimiter");
    for (const char *d : {QT_TR_NOOP("Tab"), QT_TR_NOOP("Space"), QT_TR_NOOP("Semicolon"),
                          QT_TR_NOOP("Comma"), QT_TR_NOOP("Bang"), QT_TR_NOOP("Colon"),
                          QT_TR_NOOP("Hyphen"), QT_TR_NOOP("Pipe"), QT_TR_NOOP("Slash")})
        delimiter->insertItem(tr(d));

    other = new QCheckBox(tr("Other:"), this);
    other->setObjectName(QStringLiteral("other"));
    otherDelimiter = new QLineEdit(this);
    otherDelimiter->setObjectName(QStringLiteral("otherDelimiter"));

    TextLabel3 = label("TextLabel3", tr("Text qualifier:"));
    qualifier = new YMRComboBox(true, this, "qualifier");
    qualifier->insertStringList({QStringLiteral("\""), QStringLiteral("'"), QStringLiteral("`")});

    TextLabel4 = label("TextLabel4", tr("Codec:"));
    unicode = new TextCodecSelector(this, "unicode");

    TextLabel5 = label("TextLabel5", tr("Date:"));
    dateFormat = new DateFormatSelector(this, "dateFormat");
    TextLabel6 = label("TextLabel6", tr("Time:"));
    timeFormat = new DateFormatSelector(this, "timeFormat");
    TextLabel7 = label("TextLabel7", tr("DateTime:"));
    dateTimeFormat = new DateFormatSelector(this, "dateTimeFormat");

    TextLabel8 = label("TextLabel8", tr("Multiline text separator:"));
    ml = new YMRComboBox(true, this, "ml");
    ml->insertStringList({tr("new line"), tr("space"), QStringLiteral(","), QStringLiteral(";")});

    okCancelWidget = new YMROkCancelWidget(this, "okCancelWidget");

    QWidget *order[] = {type, delimiter, other, otherDelimiter, qualifier, unicode,
                        dateFormat, timeFormat, dateTimeFormat, ml, okCancelWidget};
    for (size_t i = 1; i < sizeof order / sizeof *order; ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(other, &QCheckBox::clicked, this, &ExportDialogBase::delimiterChanged);
}

ExportDialogBase::~ExportDialogBase() = default;

void ExportDialogBase::delimiterChanged()
{
    qWarning("ExportDialogBase::delimiterChanged(): Not implemented yet!");
}
