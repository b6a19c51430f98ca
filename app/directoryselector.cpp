#include "directoryselector.h"

#include "filedialog/ymfiledialog.h"
#include "pim/ymrpim.h"
#include "qpe/global.h"
#include "qpe/qpeglobal.h"
#include "qt/ymrapplication.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"

#include <QDir>
#include <QHBoxLayout>

namespace {

enum { FixedPlaces = 5 };

QString withoutFinalSeparator(QString path)
{
    if (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

} // namespace

DirectorySelector::DirectorySelector(QWidget *parent, const char *name)
    : QWidget(parent)
{
    setObjectName(QString::fromLatin1(name));
    auto *box = new QHBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(3);
    m_combo = new YMRComboBox(this, "directory");
    m_combo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    box->addWidget(m_combo);
    m_button = new YMRPushButton(this, "browse");
    m_button->setIconSet(YMRResource::loadIconSet(QStringLiteral("fileopen")));
    box->addWidget(m_button);

    m_combo->insertItem(YMRResource::loadPixmap(QStringLiteral("std/c07")), tr("Documents"));
    m_combo->insertItem(YMRResource::loadPixmap(QStringLiteral("std/c13")), tr("Home Dir"));
    m_combo->insertItem(YMRResource::loadPixmap(QStringLiteral("std/exec")),
                        tr("Applications Data"));
    m_combo->insertItem(YMRResource::loadPixmap(QStringLiteral("std/a01")), tr("Compact Flash"));
    m_combo->insertItem(YMRResource::loadPixmap(QStringLiteral("std/a03")), tr("SD Card"));
    m_combo->setCurrentItem(0);
    connect(m_combo, qOverload<int>(&YMRComboBox::activated), this, &DirectorySelector::changed);
    connect(m_button, &QPushButton::clicked, this, &DirectorySelector::edit);
}

DirectorySelector::~DirectorySelector() = default;

QString DirectorySelector::path(int index) const
{
    switch (index) {
    case 0: return withoutFinalSeparator(YMRApplication::documentDir());
    case 1: return withoutFinalSeparator(Qpe::userRoot());
    case 2:
        return withoutFinalSeparator(
            Global::applicationFileName(YMRPIM::applicationName(), QString()));
    case 3: return QStringLiteral("/mnt/cf");
    case 4: return QStringLiteral("/mnt/card");
    default: return index < m_combo->count() ? withoutFinalSeparator(m_combo->text(index)) : QString();
    }
}

QString DirectorySelector::directory() const
{
    return path(m_combo->currentItem());
}

void DirectorySelector::setDirectory(const QString &dir)
{
    if (dir.isEmpty())
        return;
    const QString wanted = QDir::cleanPath(dir);
    for (int i = 0; i < m_combo->count(); ++i) {
        if (QDir::cleanPath(path(i)) == wanted) {
            m_combo->setCurrentItem(i);
            return;
        }
    }
    m_combo->insertItem(YMRResource::loadPixmap(QStringLiteral("fileopen")), dir);
    m_combo->setCurrentItem(m_combo->count() - 1);
}

void DirectorySelector::edit()
{
    const QString chosen = YMFileDialog::getExistingDirectory(directory(), this);
    if (chosen.isEmpty())
        return;
    setDirectory(chosen);
    emit changed();
}
