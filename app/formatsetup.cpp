#include "formatsetup.h"

#include "dateformatselector.h"
#include "numberformateditor.h"

#include "pim/ymrpim.h"
#include "qpe/config.h"
#include "qpe/qpeapplication.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

FormatSetup::FormatSetup(QWidget *parent, const char *name)
    : FormatSetupBase(parent, name)
{
    btnEdit->setIconSet(YMRResource::loadIconSet(QStringLiteral("package_utilities")));
    // the amount format becomes the format of new currencies, joined to
    // their symbol with "|"
    YMRPIM::refuseBar(formats);
    if (QPEApplication::screenRect().width() < 320) {
        // Beside a column of labels the patterns would be cut: the date and
        // the amount have their label at its own width, the date-time
        // pattern the row under its label.
        QGridLayout *grid = GroupBox4Layout;
        for (QWidget *w : std::initializer_list<QWidget *>{TextLabel1, dateFormat, TextLabel2,
                                                            dateTimeFormat, TextLabel3, formats,
                                                            btnEdit})
            grid->removeWidget(w);
        auto *date = new QHBoxLayout();
        date->setSpacing(grid->spacing());
        date->addWidget(TextLabel1);
        date->addWidget(dateFormat, 1);
        grid->addLayout(date, 0, 0, 1, 3);
        grid->addWidget(TextLabel2, 1, 0, 1, 3);
        grid->addWidget(dateTimeFormat, 2, 0, 1, 3);
        auto *amount = new QHBoxLayout();
        amount->setSpacing(grid->spacing());
        amount->addWidget(TextLabel3);
        amount->addWidget(formats, 1);
        amount->addWidget(btnEdit);
        grid->addLayout(amount, 3, 0, 1, 3);
    }
    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(QStringLiteral("Options"));
    dateFormat->setList(QStringLiteral("dateFormat"),
                        cfg.readEntry(QStringLiteral("defdate"), QStringLiteral("YYYY/MM/DD")));
    dateTimeFormat->setList(QStringLiteral("dateTimeFormat"),
                            cfg.readEntry(QStringLiteral("defdatetime"),
                                          QStringLiteral("YYYY/MM/DD hh:mm AM/PM")));
    colors->setCurrentItem(cfg.readNumEntry(QStringLiteral("colormode"), 1));
    loadNumberFormats(cfg.readEntry(QStringLiteral("defcformat"), QStringLiteral("@#,#")));
    // a long code shows from its start
    formats->lineEdit()->home(false);
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
