#include "dateformatselector.h"

#include "datetimeformateditor.h"

#include "pim/ymrpim.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"

#include <QHBoxLayout>
#include <QLineEdit>

DateFormatSelector::DateFormatSelector(QWidget *parent, const char *name)
    : QWidget(parent)
{
    setObjectName(QString::fromLatin1(name));
    auto *box = new QHBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(3);
    m_combo = new YMRComboBox(true, this, "format");
    m_combo->setSizeLimit(7);
    m_combo->setDuplicatesEnabled(false);
    m_combo->setInsertionPolicy(YMRComboBox::NoInsertion);
    m_combo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // a pattern is an entry of a list, as in its editor
    YMRPIM::refuseBar(m_combo);
    box->addWidget(m_combo);
    m_button = new YMRPushButton(this, "edit");
    m_button->setIconSet(YMRResource::loadIconSet(QStringLiteral("package_utilities")));
    box->addWidget(m_button);
    connect(m_combo, qOverload<int>(&YMRComboBox::activated), this, &DateFormatSelector::changed);
    connect(m_button, &QPushButton::clicked, this, &DateFormatSelector::edit);
}

DateFormatSelector::~DateFormatSelector() = default;

void DateFormatSelector::setList(const QString &listName, const QString &pattern)
{
    m_listName = listName;
    m_combo->clear();
    const QStringList patterns = YMRPIM::loadList(listName);
    m_combo->insertStringList(patterns);
    const int found = patterns.indexOf(pattern);
    if (found >= 0)
        m_combo->setCurrentItem(found);
    else if (pattern.isEmpty()) {
        if (m_combo->count() > 0)
            m_combo->setCurrentItem(0);
    }
    else
        m_combo->setEditText(pattern);
    // a pattern longer than the field shows from its start
    m_combo->lineEdit()->home(false);
}

void DateFormatSelector::setFormat(const QString &pattern)
{
    setList(m_listName, pattern);
}

QString DateFormatSelector::format() const
{
    return m_combo->currentText();
}

void DateFormatSelector::edit()
{
    QString pattern = format();
    auto *editor = new DateTimeFormatEditor(m_listName, pattern, this);
    editor->exec();
    if (!editor->format().isEmpty())
        pattern = editor->format();
    delete editor;
    setList(m_listName, pattern);
    emit changed();
}
