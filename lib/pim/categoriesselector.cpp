#include "categoriesselector.h"

#include "categoiesdialog.h"
#include "categorymanager.h"
#include "categoryrecord.h"

#include "qt/ymrcombobox.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"

#include <QHBoxLayout>

CategoriesSelector::CategoriesSelector(QWidget *parent, const char *name) : QWidget(parent)
{
    setObjectName(QLatin1String(name));
    auto *box = new QHBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(3);
    m_combo = new YMRComboBox(this);
    m_combo->setSizePolicy(QSizePolicy::Expanding, m_combo->sizePolicy().verticalPolicy());
    box->addWidget(m_combo);
    m_button = new YMRPushButton(YMRResource::loadIconSet(QStringLiteral("category")), QString(),
                                 this);
    box->addWidget(m_button);
    connect(m_button, &YMRPushButton::clicked, this, &CategoriesSelector::edit);
}

CategoriesSelector::~CategoriesSelector() = default;

void CategoriesSelector::setFromRecord(PIMRecord *record)
{
    m_manager = record && record->manager() ? record->manager()->categoryManager() : nullptr;
    setCategories(record ? record->categories() : QStringList());
}

void CategoriesSelector::addEntry(const QString &title, const QStringList &uids)
{
    m_combo->insertItem(YMRResource::loadPixmap(QStringLiteral("category")), title, -1);
    m_sets << uids.join(QLatin1Char('|'));
}

void CategoriesSelector::setCategories(const QStringList &uids)
{
    m_combo->clear();
    m_sets.clear();
    if (!m_manager)
        return;
    QStringList known;
    for (const QString &uid : uids) {
        if (m_manager->findRecord(uid))
            known << uid;
    }
    int current = 0;
    if (known.count() >= 2) {
        for (const QString &lead : qAsConst(known)) {
            QStringList set(lead);
            for (const QString &uid : qAsConst(known)) {
                if (uid != lead)
                    set << uid;
            }
            auto *c = static_cast<CategoryRecord *>(m_manager->findRecord(lead));
            addEntry(c->title + QStringLiteral(" [...]"), set);
        }
    }
    PIMRecord *single = nullptr;
    if (known.count() < 2)
        single = known.isEmpty() ? m_manager->first() : m_manager->findRecord(known.first());
    for (PIMRecord *r : *m_manager->view()) {
        if (r == single)
            current = m_combo->count();
        addEntry(static_cast<CategoryRecord *>(r)->title, QStringList(r->uidString()));
    }
    if (m_combo->count() > 0)
        m_combo->setCurrentItem(current);
}

void CategoriesSelector::saveToRecord(PIMRecord *record)
{
    if (!record)
        return;
    const int i = m_combo->currentItem();
    // an empty combo box (no categories at all) gives the record none
    if (i < 0 || i >= m_sets.count() || m_combo->count() == 0) {
        record->setCategories(QStringList());
        return;
    }
    record->setCategories(m_sets.at(i).split(QLatin1Char('|'), Qt::SkipEmptyParts));
}

void CategoriesSelector::edit()
{
    // nothing to edit before a record was shown
    if (!m_manager)
        return;
    const int i = m_combo->currentItem();
    const QStringList marked = i >= 0 && i < m_sets.count() && m_combo->count() > 0
                                   ? m_sets.at(i).split(QLatin1Char('|'), Qt::SkipEmptyParts)
                                   : QStringList();
    CategoiesDialog dlg(m_manager, &marked, this);
    dlg.exec();
    setCategories(dlg.markedCategories());
}
