#include "filtereditordialogbase.h"

#include "qt/ymrcombobox.h"
#include "qt/ymrheader.h"
#include "qt/ymrlistview.h"
#include "qt/ymrpushbutton.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>

namespace {

QFrame *makeLine(QWidget *parent, const char *name)
{
    auto *line = new QFrame(parent);
    line->setObjectName(QLatin1String(name));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

} // namespace

FilterEditorDialogBase::FilterEditorDialogBase(QWidget *parent, const char *name, bool modal,
                                               Qt::WindowFlags fl)
    : QDialog(parent, fl)
{
    setObjectName(QString::fromLatin1(name ? name : "FilterEditorDialogBase"));
    setModal(modal);
    setWindowTitle(tr("Filter Editor"));

    l0 = makeLabel(this, "l0", tr("Filter name:"));
    fname = new QLineEdit(this);
    fname->setObjectName(QStringLiteral("fname"));
    line3 = makeLine(this, "line3");

    la1 = makeLabel(this, "la1", tr("Field:"));
    fs = new YMRComboBox(this, "fs");
    fs->setFocusPolicy(Qt::NoFocus);
    la2 = makeLabel(this, "la2", tr("Condition:"));
    cond = new YMRComboBox(this, "cond");
    cond->setFocusPolicy(Qt::NoFocus);
    la3 = makeLabel(this, "la3", tr("Value:"));
    valBase = new QFrame(this);
    valBase->setObjectName(QStringLiteral("valBase"));
    valBase->setFrameShape(QFrame::NoFrame);
    line2 = makeLine(this, "line2");

    btnRemove = new YMRPushButton(tr("Remove from List"), this, "btnRemove");
    btnRemove->setFocusPolicy(Qt::NoFocus);
    btnAdd = new YMRPushButton(tr("Add to List"), this, "btnAdd");
    btnAdd->setFocusPolicy(Qt::NoFocus);
    line1 = makeLine(this, "line1");
    action = makeLabel(this, "action", tr("Action"));

    list = new YMRListView(this, "list");
    list->addColumn(tr("Field"));
    list->addColumn(tr("Condition"));
    list->addColumn(tr("Value"));
    list->header()->setClickEnabled(false);
    list->setAllColumnsShowFocus(true);
    list->setFocusPolicy(Qt::NoFocus);

    connect(fs, QOverload<int>::of(&YMRComboBox::activated), this,
            &FilterEditorDialogBase::fieldChanged);
    connect(cond, QOverload<int>::of(&YMRComboBox::activated), this,
            &FilterEditorDialogBase::conditionChanged);
    connect(btnRemove, &QPushButton::clicked, this, &FilterEditorDialogBase::removeCondition);
    connect(btnAdd, &QPushButton::clicked, this, &FilterEditorDialogBase::addCondition);
}

FilterEditorDialogBase::~FilterEditorDialogBase() = default;

void FilterEditorDialogBase::addCondition()
{
    qWarning("FilterEditorDialogBase::addCondition(): Not implemented yet!");
}

void FilterEditorDialogBase::conditionChanged(int)
{
    qWarning("FilterEditorDialogBase::conditionChanged(int): Not implemented yet!");
}

void FilterEditorDialogBase::fieldChanged(int)
{
    qWarning("FilterEditorDialogBase::fieldChanged(int): Not implemented yet!");
}

void FilterEditorDialogBase::removeCondition()
{
    qWarning("FilterEditorDialogBase::removeCondition(): Not implemented yet!");
}
