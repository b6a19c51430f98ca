#include "pimlistview.h"

#include "pimlistviewitem.h"
#include "pimmanager.h"
#include "pimrecord.h"
#include "categorymanager.h"
#include "ymrpim.h"

#include "qpe/config.h"
#include "qpe/popupmenu.h"
#include "qt/ymrapplication.h"
#include "qt/ymrheader.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"
#include "qt/ymrspinbox.h"
#include "qt/ymrutil.h"

#include <QApplication>
#include <QCursor>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPolygon>
#include <QScrollBar>
#include <QSet>
#include <QToolButton>

#include <climits>

namespace {
const int DefaultPerPage = 15;
}

PIMListView::PIMListView(QWidget *parent, const char *name) : YMRListView(parent, name)
{
    m_icons.push_back(YMRResource::loadPixmap(QStringLiteral("empty")));
    createPager();
    setSorting(-1, true);
    if (ymrApp)
        connect(ymrApp, &YMRApplication::dateTimeSettingChanged, this,
                &PIMListView::dateFormatChanged);
    dateFormatChanged();
    setAllColumnsShowFocus(true);
    header()->setTracking(false);
    connect(header(), &YMRHeader::clicked, this, &PIMListView::sectionClicked);
    connect(header(), &YMRHeader::sizeChange, this, &PIMListView::headerSizeChange);
    connect(this, &YMRListView::currentChanged, this, &PIMListView::currentTaskChanged);
    connect(this, qOverload<YMRListViewItem *>(&YMRListView::clicked), this,
            &PIMListView::taskClicked);
    connect(&m_holdTimer, &QTimer::timeout, this, &PIMListView::timeout);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->installEventFilter(this);
    setPaging(false);
}

PIMListView::~PIMListView()
{
    m_holdTimer.stop();
    m_manager = nullptr;
    blockSignals(true);
}

// ---- pager widgets ----------------------------------------------------------

QIcon PIMListView::arrowIcon(int size, bool up)
{
    const int s = size;
    const int h = (s - 1) / 2;
    QPolygon triangle;
    if (up) {
        triangle << QPoint(0, s - 1) << QPoint(s - 1, s - 1) << QPoint(h, h);
        triangle.translate(0, -((s - h - 1) / 2) - 1);
    } else {
        triangle << QPoint(0, 0) << QPoint(s - 1, 0) << QPoint(h, h);
        triangle.translate(0, (s - h - 2) - (s - h - 1) / 2);
    }
    QIcon icon;
    const QPalette pal = QApplication::palette();
    const QPair<QIcon::Mode, QPalette::ColorGroup> modes[] = {
        { QIcon::Normal, QPalette::Normal }, { QIcon::Disabled, QPalette::Disabled }
    };
    for (const auto &m : modes) {
        QPixmap pm(s, s);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        const QColor c = pal.color(m.second, QPalette::Text);
        p.setPen(c);
        p.setBrush(c);
        p.drawPolygon(triangle);
        p.end();
        icon.addPixmap(pm, m.first);
    }
    return icon;
}

void PIMListView::createPager()
{
    m_pagerBar = new QWidget(this);
    const int H = horizontalScrollBar()->sizeHint().height();
    m_pagerBar->setFixedHeight(H);
    auto *box = new QHBoxLayout(m_pagerBar);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    const int n = H / 2 - H / 10;
    const int s = (n % 2) ? n : n + 1;
    m_previousButton = new QToolButton(m_pagerBar);
    m_pageLabel = new QLabel(m_pagerBar);
    m_nextButton = new QToolButton(m_pagerBar);
    const struct {
        QToolButton *button;
        bool up;
    } buttons[] = { { m_previousButton, true }, { m_nextButton, false } };
    for (const auto &b : buttons) {
        b.button->setFixedSize(H, H);
        b.button->setAutoRepeat(true);
        b.button->setIcon(arrowIcon(s, b.up));
        b.button->setIconSize(QSize(s, s));
        b.button->setFocusPolicy(Qt::NoFocus);
    }
    // a font taller than the bar would cut the page's text: it takes a smaller one
    QFont font = m_pageLabel->font();
    while (QFontMetrics(font).height() > H && font.pointSizeF() > 6)
        font.setPointSizeF(font.pointSizeF() - 1);
    m_pageLabel->setFont(font);
    m_pageLabel->installEventFilter(this);
    box->addWidget(m_previousButton);
    box->addWidget(m_pageLabel);
    box->addWidget(m_nextButton);
    connect(m_previousButton, &QToolButton::clicked, this, &PIMListView::pageDown);
    connect(m_nextButton, &QToolButton::clicked, this, &PIMListView::pageUp);
    addScrollBarWidget(m_pagerBar, Qt::AlignLeft);
    m_pagerBar->setEnabled(false);
    m_pagerBar->hide();

    m_pagerMenu = new PopupMenu(this);
    auto *panel = new QWidget;
    auto *grid = new QGridLayout(panel);
    grid->setContentsMargins(3, 3, 3, 3);
    grid->setSpacing(1);
    m_totalLabel = new QLabel(panel);
    grid->addWidget(m_totalLabel, 0, 0, 1, 2);
    auto *line = new QFrame(panel);
    line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    grid->addWidget(line, 1, 0, 1, 2);
    grid->addWidget(new QLabel(tr("Page") + QLatin1Char(':'), panel), 2, 0);
    m_pageSpin = new YMRSpinBox(panel);
    grid->addWidget(m_pageSpin, 2, 1);
    grid->addWidget(new QLabel(tr("Records per Page") + QLatin1Char(':'), panel), 3, 0);
    m_perPageSpin = new YMRSpinBox(panel);
    grid->addWidget(m_perPageSpin, 3, 1);
    auto *first = new YMRPushButton(YMRResource::loadIconSet(QStringLiteral("back")),
                                    tr("Go To First page"), panel);
    auto *last = new YMRPushButton(YMRResource::loadIconSet(QStringLiteral("forward")),
                                   tr("Go To Last page"), panel);
    grid->addWidget(first, 5, 0, 1, 2);
    grid->addWidget(last, 6, 0, 1, 2);
    connect(m_pageSpin, qOverload<int>(&YMRSpinBox::valueChanged), this, &PIMListView::setPage);
    connect(m_perPageSpin, qOverload<int>(&YMRSpinBox::valueChanged), this,
            &PIMListView::setPerPage);
    connect(first, &YMRPushButton::clicked, this, &PIMListView::gotoFirstPage);
    connect(last, &YMRPushButton::clicked, this, &PIMListView::gotoLastPage);
    m_pagerMenu->insertItem(panel);
}

void PIMListView::showPagerMenu()
{
    const QSize size = m_pagerMenu->sizeHint();
    const QPoint at = m_pagerBar->mapToGlobal(
        QPoint(m_pagerBar->width() - size.width() + 1, -size.height() - 1));
    m_pagerMenu->popup(at);
}

void PIMListView::updatePager()
{
    if (!m_paging)
        return;
    const int count = m_manager ? m_manager->view()->count() : 0;
    const int pages = pageCount();
    m_pageLabel->setText(QLatin1Char(' ') + tr("Page %1 [%2]").arg(m_page).arg(pages)
                         + QLatin1Char(' '));
    m_nextButton->setEnabled(m_page < pages);
    m_previousButton->setEnabled(m_page > 1);
    setHScrollBarMode(AlwaysOn);
    m_pagerBar->setEnabled(true);
    m_pagerBar->show();
    bool b = m_pageSpin->blockSignals(true);
    m_pageSpin->setRange(pages > 0 ? 1 : 0, pages);
    m_pageSpin->setValue(m_page);
    m_pageSpin->blockSignals(b);
    b = m_perPageSpin->blockSignals(true);
    m_perPageSpin->setRange(1, INT_MAX);
    m_perPageSpin->setValue(m_perPage);
    m_perPageSpin->blockSignals(b);
    m_totalLabel->setText(tr("Total records count: %1").arg(count));
    updateScrollBars();
}

int PIMListView::pageCount() const
{
    const int count = m_manager ? m_manager->view()->count() : 0;
    if (count == 0 || m_perPage < 1)
        return 0;
    return int((qint64(count) + m_perPage - 1) / m_perPage);
}

// ---- binding ----------------------------------------------------------------

void PIMListView::setManager(PIMManager *manager, bool follow)
{
    clear();
    // signals of a store bound before would otherwise still reach the rows
    if (m_manager && m_manager != manager)
        disconnect(m_manager, nullptr, this, nullptr);
    m_follow = manager ? follow : false;
    m_manager = manager;
    if (!manager)
        return;
    connect(manager, &QObject::destroyed, this, &PIMListView::unsetManager, Qt::UniqueConnection);
    connect(manager, &PIMManager::taskUpdated, this, &PIMListView::updateTask,
            Qt::UniqueConnection);
    connect(manager, &PIMManager::taskRemoved, this, &PIMListView::removeTask,
            Qt::UniqueConnection);
    connect(manager, &PIMManager::updated, this, &PIMListView::init, Qt::UniqueConnection);
    connect(manager, &PIMManager::tasksUpdated, this, &PIMListView::updateTasks, Qt::UniqueConnection);
    connect(manager, &PIMManager::tasksRemoved, this, &PIMListView::removeTasks, Qt::UniqueConnection);
    if (follow) {
        connect(manager, &PIMManager::newTask, this, &PIMListView::newTask, Qt::UniqueConnection);
        connect(manager, &PIMManager::taskSelected, this, &PIMListView::taskSelected,
                Qt::UniqueConnection);
        if (CategoryManager *cats = manager->categoryManager())
            connect(cats, &PIMManager::changed, this, &PIMListView::init, Qt::UniqueConnection);
    }
}

void PIMListView::unsetManager()
{
    // the store's records are gone already: never touch them
    m_manager = nullptr;
    m_follow = false;
    m_holdTimer.stop();
    const bool blocked = blockSignals(true);
    clear();
    while (columns() > 0)
        removeColumn(0);
    blockSignals(blocked);
}

void PIMListView::setPaging(bool on)
{
    m_paging = on;
    if (m_manager)
        init();
}

// ---- columns ----------------------------------------------------------------

QString PIMListView::columnsGroup() const
{
    return objectName() + QStringLiteral("_columns");
}

void PIMListView::restoreColumns()
{
    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(columnsGroup());
    const QStringList parts =
        cfg.readEntry(QStringLiteral("column")).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    m_columnIds.clear();
    for (const QString &p : parts)
        m_columnIds << p.toInt(); // not a number: 0
    rebuildColumns();
}

void PIMListView::setColumns(const QList<int> &ids)
{
    m_columnIds = ids;
    rebuildColumns();
}

void PIMListView::rebuildColumns()
{
    clear();
    while (columns() > 0)
        removeColumn(0);
    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(columnsGroup());
    QList<int> shown;
    for (int id : qAsConst(m_columnIds)) {
        const int before = columns();
        setupColumns(id, &cfg);
        // an id that adds no column must not shift the ids of the columns after it
        if (columns() > before)
            shown << id;
    }
    m_columnIds = shown;
}

int PIMListView::columnId(int section) const
{
    return section >= 0 && section < m_columnIds.count() ? m_columnIds.at(section) : -1;
}

int PIMListView::columnIndex(int id) const
{
    return m_columnIds.indexOf(id);
}

void PIMListView::headerSizeChange(int section, int, int newSize)
{
    saveColumnWidth(section, newSize);
}

void PIMListView::writeColumnWidth(const QString &key, int width) const
{
    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(columnsGroup());
    cfg.writeEntry(key, width);
}

void PIMListView::dateWidthsChanged(int, int, int)
{
}

void PIMListView::saveColumnWidth(int, int)
{
}

void PIMListView::setupColumns(int, Config *)
{
}

PIMListViewItem *PIMListView::createItem(PIMRecord *)
{
    return nullptr;
}

PIMListViewItem *PIMListView::createItem(PIMRecord *, YMRListViewItem *)
{
    return nullptr;
}

// ---- rows -------------------------------------------------------------------

PIMRecord *PIMListView::currentRecord() const
{
    auto *item = static_cast<PIMListViewItem *>(currentItem());
    return item ? item->record() : nullptr;
}

PIMListViewItem *PIMListView::findItem(PIMRecord *record) const
{
    for (YMRListViewItem *i = firstChild(); i; i = i->nextSibling()) {
        auto *item = static_cast<PIMListViewItem *>(i);
        if (item->record() == record)
            return item;
    }
    return nullptr;
}

QList<PIMRecord *> PIMListView::pageRecords() const
{
    QList<PIMRecord *> out;
    for (YMRListViewItem *i = firstChild(); i; i = i->nextSibling())
        out << static_cast<PIMListViewItem *>(i)->record();
    return out;
}

YMRListViewItem *PIMListView::itemAtRow(int row) const
{
    if (row < 0)
        return nullptr;
    YMRListViewItem *i = firstChild();
    while (i && row-- > 0)
        i = i->nextSibling();
    return i;
}

QPixmap PIMListView::icon(int index) const
{
    return index >= 0 && size_t(index) < m_icons.size() ? m_icons[size_t(index)] : QPixmap();
}

PIMListViewItem *PIMListView::makeItem(PIMRecord *record, YMRListViewItem *after, bool top)
{
    PIMListViewItem *item = top ? createItem(record) : createItem(record, after);
    if (item)
        item->refresh();
    return item;
}

// ---- pages ------------------------------------------------------------------

void PIMListView::readPerPage()
{
    if (!m_manager)
        return;
    if (m_paging) {
        m_perPage = m_manager->perPage();
        if (m_perPage < 1)
            m_perPage = DefaultPerPage;
    } else {
        m_perPage = m_manager->view()->count();
    }
}

int PIMListView::pageOf(int position) const
{
    return position / qMax(1, m_perPage) + 1;
}

void PIMListView::fillPage(PIMRecord *record)
{
    const bool blocked = blockSignals(true);
    updatePager();
    clear();
    PIMListViewItem *current = nullptr;
    PIMListViewItem *last = nullptr;
    if (m_manager && m_perPage > 0 && m_page >= 1) {
        PIMRecordArray *view = m_manager->view();
        const qint64 first = qint64(m_page - 1) * m_perPage;
        const qint64 end = qMin<qint64>(first + m_perPage, view->count());
        // from the page's end up, each at the top: the rows end in view order
        for (qint64 pos = end - 1; pos >= first; --pos) {
            PIMRecord *r = view->at(int(pos));
            PIMListViewItem *item = makeItem(r, nullptr, true);
            if (!item)
                continue;
            last = item;
            if (r == record)
                current = item;
        }
    }
    if (!current)
        current = last;
    if (current)
        setCurrentItem(current);
    blockSignals(blocked);
    currentTaskChanged();
}

void PIMListView::showRecordPage(PIMRecord *record)
{
    const int i = m_manager && record ? m_manager->view()->find(record) : -1;
    m_page = i == -1 ? 1 : pageOf(i);
    fillPage(record);
}

void PIMListView::refillPage(PIMRecord *record)
{
    if (record) {
        showRecordPage(record);
        return;
    }
    m_page = qBound(1, m_page, qMax(1, pageCount()));
    fillPage(nullptr);
}

bool PIMListView::pageMatchesView() const
{
    PIMRecordArray *view = m_manager->view();
    const qint64 first = qint64(m_page - 1) * m_perPage;
    const qint64 end = qMax(first, qMin<qint64>(first + m_perPage, view->count()));
    qint64 pos = first;
    for (YMRListViewItem *i = firstChild(); i; i = i->nextSibling(), ++pos) {
        if (pos >= end || static_cast<PIMListViewItem *>(i)->record() != view->at(int(pos)))
            return false;
    }
    return pos == end;
}

void PIMListView::init()
{
    if (!m_manager)
        return;
    m_page = 1;
    readPerPage();
    m_pagerBar->setEnabled(m_paging);
    m_pagerBar->setVisible(m_paging);
    updateScrollBars();
    auto *cur = static_cast<PIMListViewItem *>(currentItem());
    const QString key = cur ? cur->uid() : m_manager->lastCurrent();
    if (m_follow) {
        if (key.isEmpty())
            fillPage(nullptr);
        else
            showRecordPage(m_manager->findRecord(key));
        updatePager();
        return;
    }
    QStringList uids;
    for (YMRListViewItem *i = firstChild(); i; i = i->nextSibling())
        uids << static_cast<PIMListViewItem *>(i)->uid();
    const bool blocked = blockSignals(true);
    clear();
    PIMListViewItem *after = nullptr;
    PIMListViewItem *current = nullptr;
    for (const QString &uid : qAsConst(uids)) {
        PIMRecord *r = m_manager->findRecord(uid);
        if (!r)
            continue;
        PIMListViewItem *item = makeItem(r, after, after == nullptr);
        if (!item)
            continue;
        after = item;
        if (uid == key)
            current = item;
    }
    if (current)
        setCurrentItem(current);
    blockSignals(blocked);
    currentTaskChanged();
}

void PIMListView::newTask(PIMRecord *record)
{
    if (!m_manager || !record)
        return;
    readPerPage();
    if (!m_follow) {
        const bool blocked = blockSignals(true);
        PIMListViewItem *item = findItem(record);
        if (!item)
            item = makeItem(record, itemAtRow(childCount() - 1), childCount() == 0);
        if (item)
            setCurrentItem(item);
        blockSignals(blocked);
        currentTaskChanged();
        return;
    }
    PIMRecordArray *view = m_manager->view();
    const int i = view->find(record);
    if (i == -1)
        return;
    if (pageOf(i) != m_page) {
        showRecordPage(record);
        return;
    }
    YMRListViewItem *after = nullptr;
    const bool top = i % m_perPage == 0;
    if (!top) {
        after = findItem(view->at(i - 1));
        if (!after) {
            // the rows no longer match the view: show the record's page afresh
            showRecordPage(record);
            return;
        }
    }
    const bool blocked = blockSignals(true);
    // a full page passes its last row on to the next page
    if (childCount() >= m_perPage) {
        YMRListViewItem *last = itemAtRow(m_perPage - 1);
        if (last == after) {
            // rows left behind by removals on earlier pages: show the page afresh
            blockSignals(blocked);
            showRecordPage(record);
            return;
        }
        delete last;
    }
    PIMListViewItem *item = makeItem(record, after, top);
    if (item)
        setCurrentItem(item);
    blockSignals(blocked);
    currentTaskChanged();
    updatePager();
}

void PIMListView::updateTask(PIMRecord *record)
{
    if (!m_manager || !record)
        return;
    PIMListViewItem *item = findItem(record);
    if (!m_follow) {
        if (!item)
            return;
        item->setup();
        item->refresh();
        const bool blocked = blockSignals(true);
        setCurrentItem(item);
        blockSignals(blocked);
        currentTaskChanged();
        return;
    }
    PIMRecordArray *view = m_manager->view();
    const int i = view->find(record);
    if (item && i == -1) {
        removeTask(record);
        return;
    }
    if (!item && i != -1) {
        newTask(record);
        return;
    }
    if (!item)
        return;
    item->setup();
    item->refresh();
    readPerPage();
    if (pageOf(i) != m_page) {
        showRecordPage(record);
        return;
    }
    YMRListViewItem *after = nullptr;
    if (i % m_perPage != 0) {
        after = findItem(view->at(i - 1));
        if (!after) {
            showRecordPage(record);
            return;
        }
    }
    const bool blocked = blockSignals(true);
    if (!after) {
        takeItem(item);
        insertItem(item);
    } else {
        item->moveItem(after);
    }
    setCurrentItem(item);
    blockSignals(blocked);
    currentTaskChanged();
}

void PIMListView::removeTask(PIMRecord *record)
{
    if (!m_manager)
        return;
    PIMListViewItem *item = findItem(record);
    if (!m_follow) {
        const bool blocked = blockSignals(true);
        delete item;
        blockSignals(blocked);
        currentTaskChanged();
        return;
    }
    const bool blocked = blockSignals(true);
    const bool deleted = item != nullptr;
    delete item;
    YMRListViewItem *noted = currentItem();
    if (m_paging && m_perPage > 0) {
        PIMRecordArray *view = m_manager->view();
        const qint64 l = qint64(m_page) * m_perPage - 1;
        if (l < view->count()) {
            if (deleted)
                makeItem(view->at(int(l)), itemAtRow(m_perPage - 2), m_perPage < 2);
        } else if (childCount() == 0 && m_page > 1) {
            // the page became empty: step back to the new last page
            blockSignals(blocked);
            showRecordPage(view->last());
            return;
        }
    }
    readPerPage();
    if (noted)
        setCurrentItem(noted);
    blockSignals(blocked);
    updatePager();
    currentTaskChanged();
}

void PIMListView::updateTasks(const QList<PIMRecord *> &records)
{
    if (!m_manager)
        return;
    if (m_follow) {
        readPerPage();
        // records that moved in the view, or came into it or left it
        if (!pageMatchesView()) {
            refillPage(currentRecord());
            return;
        }
    }
    const QSet<const PIMRecord *> changed(records.cbegin(), records.cend());
    for (YMRListViewItem *i = firstChild(); i; i = i->nextSibling()) {
        auto *item = static_cast<PIMListViewItem *>(i);
        if (changed.contains(item->record())) {
            item->setup();
            item->refresh();
        }
    }
}

void PIMListView::removeTasks(const QList<PIMRecord *> &records)
{
    if (!m_manager)
        return;
    const QSet<const PIMRecord *> gone(records.cbegin(), records.cend());
    // the current row's record, or where it leaves the first row after it
    // that stays (else the last before it), as a row taken out passes it on
    PIMRecord *current = nullptr;
    PIMRecord *before = nullptr;
    bool passed = false;
    for (YMRListViewItem *i = firstChild(); i && !current; i = i->nextSibling()) {
        PIMRecord *r = static_cast<PIMListViewItem *>(i)->record();
        passed = passed || i == currentItem();
        if (gone.contains(r))
            continue;
        if (passed)
            current = r;
        else
            before = r;
    }
    if (!current && passed)
        current = before;
    if (m_follow) {
        readPerPage();
        // the page emptied: back to the new last page, its last record
        // current, as one removal steps back
        PIMRecordArray *view = m_manager->view();
        if (!current && m_paging && m_page > pageCount() && !view->isEmpty())
            current = view->last();
        refillPage(current);
        return;
    }
    const bool blocked = blockSignals(true);
    for (YMRListViewItem *i = firstChild(); i;) {
        YMRListViewItem *next = i->nextSibling();
        if (gone.contains(static_cast<PIMListViewItem *>(i)->record()))
            delete i;
        i = next;
    }
    if (PIMListViewItem *item = current ? findItem(current) : nullptr)
        setCurrentItem(item);
    blockSignals(blocked);
    currentTaskChanged();
}

void PIMListView::taskSelected(PIMRecord *record)
{
    const bool blocked = blockSignals(true);
    if (!record) {
        selectAll(false);
    } else if (PIMListViewItem *item = findItem(record)) {
        setCurrentItem(item);
    }
    blockSignals(blocked);
    currentTaskChanged();
}

void PIMListView::currentTaskChanged()
{
    auto *item = static_cast<PIMListViewItem *>(currentItem());
    if (!item) {
        emit selectionCleared();
        return;
    }
    setSelected(item, true);
    ensureItemVisible(item);
    if (m_manager)
        m_manager->setLastCurrent(item->uid());
    emit selected(item->record());
}

void PIMListView::taskClicked()
{
    emit clicked(currentRecord());
}

void PIMListView::sectionClicked(int section)
{
    if (!m_follow || !m_manager)
        return;
    const int id = columnId(section);
    if (id >= 0)
        m_manager->setSort(id);
}

void PIMListView::pageUp()
{
    ++m_page;
    fillPage(nullptr);
}

void PIMListView::pageDown()
{
    --m_page;
    fillPage(nullptr);
}

void PIMListView::setPage(int page)
{
    m_page = page;
    fillPage(nullptr);
}

void PIMListView::gotoFirstPage()
{
    m_pagerMenu->hide();
    m_page = 1;
    fillPage(nullptr);
}

void PIMListView::gotoLastPage()
{
    m_pagerMenu->hide();
    m_page = pageCount();
    fillPage(nullptr);
}

void PIMListView::setPerPage(int perPage)
{
    if (m_manager)
        m_manager->setPerPage(perPage);
    m_perPage = perPage < 1 ? DefaultPerPage : perPage;
    showRecordPage(currentRecord());
}

// ---- gestures, keys, fonts --------------------------------------------------

int PIMListView::gestureColumn() const
{
    const QPoint p = viewport()->mapFromGlobal(QCursor::pos());
    const int section = header()->sectionAt(p.x());
    if (section < 0)
        return -1;
    return columnId(header()->mapToSection(section));
}

bool PIMListView::eventFilter(QObject *o, QEvent *e)
{
    if (o == viewport()) {
        if (e->type() == QEvent::MouseButtonPress) {
            if (itemAt(static_cast<QMouseEvent *>(e)->pos()))
                QCoreApplication::postEvent(this, new QEvent(QEvent::Type(PressEvent)));
        } else if (e->type() == QEvent::MouseButtonRelease || e->type() == QEvent::KeyRelease) {
            QCoreApplication::postEvent(this, new QEvent(QEvent::Type(ReleaseEvent)));
        }
    } else if (o == m_pageLabel && e->type() == QEvent::MouseButtonRelease) {
        showPagerMenu();
    }
    return YMRListView::eventFilter(o, e);
}

bool PIMListView::event(QEvent *e)
{
    PIMRecord *record = currentRecord();
    if (record) {
        if (e->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(e)->key();
            if (key == Qt::Key_Space) {
                const QRect r = itemRect(currentItem());
                emit popup(viewport()->mapToGlobal(QPoint(50, r.top() + 10)), record);
            } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                emit activate(record);
            }
        } else if (e->type() == QEvent::Type(PressEvent)) {
            m_holdTimer.start(HoldTime);
        } else if (e->type() == QEvent::Type(ReleaseEvent) && m_holdTimer.isActive()) {
            m_holdTimer.stop();
            emit activate(QCursor::pos(), record, gestureColumn());
        }
    }
    return YMRListView::event(e);
}

void PIMListView::timeout()
{
    m_holdTimer.stop();
    if (PIMRecord *record = currentRecord())
        emit popup(QCursor::pos(), record, gestureColumn());
}

void PIMListView::dateFormatChanged()
{
    const QFontMetrics fm(font());
    const QDateTime now = QDateTime::currentDateTime();
    dateWidthsChanged(fm.horizontalAdvance(YMRUtil::dateToString(now.date())) + 6,
                      fm.horizontalAdvance(YMRUtil::timeToString(now.time())) + 6,
                      fm.horizontalAdvance(YMRUtil::dateTimeToString(now)) + 6);
}

void PIMListView::setFont(const QFont &font)
{
    YMRListView::setFont(font);
    dateFormatChanged();
}
