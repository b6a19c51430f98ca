#include "optionsdialog.h"

#include "colorswidget.h"
#include "columnsetup.h"
#include "dateformatselector.h"
#include "formatsetup.h"
#include "keyswidget.h"

#include "pim/ymrpim.h"
#include "qpe/config.h"
#include "qt/ymrapplication.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrdialog.h"
#include "qt/ymrresource.h"
#include "qt/ymrutil.h"
#include "qt/ymtabwidget.h"

#include <QDateTime>
#include <QVBoxLayout>

OptionsDialog::OptionsDialog(QWidget *parent, const char *name)
    : QDialog(parent)
{
    setObjectName(QString::fromLatin1(name ? name : "OptionsDialog"));
    setModal(true);
    m_tabs = new YMTabWidget(this, "tabs");
    m_tabs->setTabFlags(0x29);

    m_columns = new ColumnSetup(this);
    m_format = new FormatSetup(this);
    m_colors = new ColorsWidget(this);
    m_keys = new KeysWidget(this);
    m_tabs->addTab(m_format, tr("Options"),
                   YMRResource::loadIconSet(QStringLiteral("package_utilities")));
    m_tabs->addTab(m_columns, tr("Columns"),
                   YMRResource::loadIconSet(QStringLiteral("view_detailed")));
    m_tabs->addTab(m_colors, tr("Colors"), YMRResource::loadIconSet(QStringLiteral("color")));
    m_tabs->addTab(m_keys, tr("Key"), YMRResource::loadIconSet(QStringLiteral("key_bindings")));

    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    box->addWidget(m_tabs);
    setWindowTitle(tr("Options"));

    connect(m_tabs, &YMTabWidget::currentChanged, this, &OptionsDialog::pageActivated);

    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(QStringLiteral("Options"));
    const int page = cfg.readNumEntry(QStringLiteral("optionsPage"), 1);
    QWidget *const pages[] = {m_format, m_columns, m_colors, m_keys};
    if (page >= 1 && page <= 4)
        m_tabs->showPage(pages[page - 1]);

    YMRApplication::showMaximized(this, true);
}

OptionsDialog::~OptionsDialog() = default;

int OptionsDialog::pageNumber(QWidget *page) const
{
    if (page == m_format)
        return 1;
    if (page == m_columns)
        return 2;
    if (page == m_colors)
        return 3;
    if (page == m_keys)
        return 4;
    return 0;
}

void OptionsDialog::pageActivated(QWidget *page)
{
    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(QStringLiteral("Options"));
    cfg.writeEntry(QStringLiteral("optionsPage"), pageNumber(page));
}

namespace {

// A pattern that writes two moments differing in every part the same way
// shows none of them (only literal text).
bool showsNothing(const QString &pattern)
{
    const QDateTime one(QDate(2001, 2, 3), QTime(4, 5, 6));
    const QDateTime other(QDate(2012, 11, 25), QTime(16, 17, 18));
    return YMRUtil::formatDateTime(one, pattern) == YMRUtil::formatDateTime(other, pattern);
}

} // namespace

void OptionsDialog::done(int result)
{
    // the format page stores what it shows however the dialog closes: a
    // format without fields would leave the list's dates or amounts blank
    const QString date = m_format->dateFormat->format();
    const QString dateTime = m_format->dateTimeFormat->format();
    QString problem;
    QWidget *field = nullptr;
    if (date.trimmed().isEmpty()) {
        problem = tr("The date format cannot be empty.");
        field = m_format->dateFormat->comboBox();
    } else if (showsNothing(date)) {
        problem = tr("The date format [%1] shows no part of the date.").arg(date);
        field = m_format->dateFormat->comboBox();
    } else if (dateTime.trimmed().isEmpty()) {
        problem = tr("The date and time format cannot be empty.");
        field = m_format->dateTimeFormat->comboBox();
    } else if (showsNothing(dateTime)) {
        problem = tr("The date and time format [%1] shows no part of the date.").arg(dateTime);
        field = m_format->dateTimeFormat->comboBox();
    } else if (m_format->formats->currentText().trimmed().isEmpty()) {
        problem = tr("The amount format cannot be empty.");
        field = m_format->formats;
    }
    if (field) {
        m_tabs->showPage(m_format);
        YMRDialog::warning(tr("Options"), problem);
        field->setFocus();
        return;
    }
    QDialog::done(result);
}
