#include "formatsetup.h"

#include "dateformatselector.h"
#include "numberformateditor.h"

#include "pim/ymrpim.h"
#include "qpe/config.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"

#include <QLineEdit>

FormatSetup::FormatSetup(QWidget *parent, const char *name)
    : FormatSetupBase(parent, name)
{
    btnEdit->setIconSet(YMRResource::loadIconSet(QStringLiteral("package_utilities")));
    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(QStringLiteral("Options"));
    dateFormat->setList(QStringLiteral("dateFormat"),
                        cfg.readEntry(QStringLiteral("defdate"), QStringLiteral("YYYY/MM/DD")));
    dateTimeFormat->setList(QStringLiteral("dateTimeFormat"),
                            cfg.readEntry(QStringLiteral("defdatetime"),
                                          QStringLiteral("YYYY/MM/DD hh:mm AM/PM")));
    colors->setCurrentItem(cfg.readNumEntry(QStringLiteral("colormode"), 1));
    loadNumberFormats(cfg.readEntry(QStringLiteral("defcformat"), QStringLiteral("@#,#")));
    // long patterns show from their start
    for (YMRComboBox *box : {dateFormat->comboBox(), dateTimeFormat->comboBox(), formats})
        box->lineEdit()->home(false);
}

FormatSetup::~FormatSetup()
{
    save();
}

void FormatSetup::save()
{
    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(QStringLiteral("Options"));
    cfg.writeEntry(QStringLiteral("defdate"), dateFormat->format());
    cfg.writeEntry(QStringLiteral("defdatetime"), dateTimeFormat->format());
    cfg.writeEntry(QStringLiteral("defcformat"), formats->currentText());
    cfg.writeEntry(QStringLiteral("colormode"), colors->currentItem());
}

void FormatSetup::loadNumberFormats(const QString &code)
{
    formats->clear();
    const QStringList codes = YMRPIM::loadList(QStringLiteral("numberformat"));
    formats->insertStringList(codes);
    const int found = codes.indexOf(code);
    if (found >= 0)
        formats->setCurrentItem(found);
    else
        formats->setEditText(code);
}

void FormatSetup::editNumberFormat()
{
    QString code = formats->currentText();
    auto *editor = new NumberFormatEditor(code, QString(), this);
    editor->exec();
    if (!editor->format().isEmpty())
        code = editor->format();
    delete editor;
    loadNumberFormats(code);
}
