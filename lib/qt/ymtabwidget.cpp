#include "ymtabwidget.h"

#include "widgetstack.h"
#include "ymtabbar.h"

#include <QApplication>
#include <QChildEvent>
#include <QGridLayout>
#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>

YMTabWidget::YMTabWidget(QWidget *parent, const char *name, Qt::WindowFlags f)
    : QWidget(parent, f)
{
    setObjectName(QLatin1String(name));
    m_stack = new WidgetStack(this);
    m_bar = new YMTabBar(this);
    connect(m_bar, &YMTabBar::currentChanged, this, &YMTabWidget::currentTabChanged);
    connect(m_bar, &YMTabBar::startTabDrag, this, &YMTabWidget::tabDragStart);
    connect(m_bar, &YMTabBar::continueTabDrag, this, &YMTabWidget::tabDragContinue);
    connect(m_bar, &YMTabBar::finishTabDrag, this, &YMTabWidget::tabDragFinish);
    connect(m_bar, &YMTabBar::cancelTabDrag, this, &YMTabWidget::tabDragCancel);
    connect(m_bar, &YMTabBar::closeTab, this, &YMTabWidget::tabClose);
    connect(m_bar, &YMTabBar::tabRightButtonPressed, this,
            &YMTabWidget::tabRightButtonPressed);
    m_bar->hide();
    m_stack->installEventFilter(this);
    setFocusPolicy(Qt::TabFocus);
    setFocusProxy(m_bar);
    setTabPosition(0);
}

YMTabWidget::~YMTabWidget()
{
    // the pages go with the stack; their removal needs no bookkeeping
    m_stack->removeEventFilter(this);
    disconnect(m_bar, nullptr, this, nullptr);
}

void YMTabWidget::addTab(QWidget *page, const QString &label)
{
    addTab(page, label, QIcon());
}

void YMTabWidget::addTab(QWidget *page, const QString &label, const QIcon &icon)
{
    if (!page || idOf(page) != -1)
        return;
    setupPage(page, m_bar->addTab(label, icon, -1));
}

void YMTabWidget::insertTab(QWidget *page, const QString &label, QWidget *after)
{
    insertTab(page, label, QIcon(), after);
}

void YMTabWidget::insertTab(QWidget *page, const QString &label, const QIcon &icon,
                            QWidget *after)
{
    if (!page || idOf(page) != -1)
        return;
    setupPage(page, m_bar->insertTab(label, icon, idOf(after), -1));
}

void YMTabWidget::addPage(QWidget *page)
{
    if (!page || idOf(page) != -1)
        return;
    m_followed.append(page);
    addTab(page, page->windowTitle(), pageIcon(page));
}

void YMTabWidget::insertPage(QWidget *page, QWidget *after)
{
    if (!page || idOf(page) != -1)
        return;
    m_followed.append(page);
    insertTab(page, page->windowTitle(), pageIcon(page), after);
}

QIcon YMTabWidget::pageIcon(QWidget *page) const
{
    // a widget without an icon of its own reports its window's or the
    // application's
    const QIcon own = page->windowIcon();
    const QIcon inherited = page->isWindow() ? QApplication::windowIcon()
                                             : page->parentWidget()->windowIcon();
    if (own.isNull() || own.cacheKey() == inherited.cacheKey())
        return QIcon();
    return own;
}

void YMTabWidget::setupPage(QWidget *page, int id)
{
    m_stack->addWidget(page, id);
    m_pageToId.insert(page, id);
    m_idToPage.insert(id, page);
    if (m_bar->isHidden()) {
        m_bar->show();
        updateLayout();
    }
    page->installEventFilter(this);
    if (count() == 1)
        showPage(page);
}

void YMTabWidget::removePage(QWidget *page)
{
    // page may be a widget being destroyed: its pointer is only compared
    const int id = idOf(page);
    if (id == -1)
        return;
    m_bar->removeTab(id);
    m_pageToId.remove(page);
    m_idToPage.remove(id);
    m_followed.removeAll(page);
    m_stack->removeWidget(page);
}

void YMTabWidget::showPage(QWidget *page)
{
    const int id = idOf(page);
    if (id != -1)
        m_bar->setCurrentTab(id);
}

QWidget *YMTabWidget::currentPage() const
{
    return m_idToPage.value(m_bar->currentTab());
}

void YMTabWidget::setTabLabel(QWidget *page, const QString &label)
{
    const int id = idOf(page);
    if (id != -1)
        m_bar->setTabLabel(id, label);
}

void YMTabWidget::setTabIconSet(QWidget *page, const QIcon &icon)
{
    const int id = idOf(page);
    if (id != -1)
        m_bar->setTabIconSet(id, icon);
}

void YMTabWidget::setTabEnabled(QWidget *page, bool enabled)
{
    const int id = idOf(page);
    if (id != -1)
        m_bar->setTabEnabled(id, enabled);
}

QString YMTabWidget::tabLabel(QWidget *page) const
{
    const int id = idOf(page);
    return id == -1 ? QString() : m_bar->tabLabel(id);
}

QIcon YMTabWidget::tabIconSet(QWidget *page) const
{
    const int id = idOf(page);
    return id == -1 ? QIcon() : m_bar->tabIconSet(id);
}

bool YMTabWidget::isTabEnabled(QWidget *page) const
{
    const int id = idOf(page);
    return id != -1 && m_bar->isTabEnabled(id);
}

QWidget *YMTabWidget::firstPage() const
{
    const QList<int> ids = m_bar->tabIds();
    return ids.isEmpty() ? nullptr : m_idToPage.value(ids.first());
}

QWidget *YMTabWidget::lastPage() const
{
    const QList<int> ids = m_bar->tabIds();
    return ids.isEmpty() ? nullptr : m_idToPage.value(ids.last());
}

QWidget *YMTabWidget::pageAtOffset(QWidget *page, int offset) const
{
    const int id = idOf(page);
    if (id == -1)
        return nullptr;
    const QList<int> ids = m_bar->tabIds();
    const int i = ids.indexOf(id) + offset;
    return i < 0 || i >= ids.size() ? nullptr : m_idToPage.value(ids.at(i));
}

QWidget *YMTabWidget::previousPage(QWidget *page) const
{
    return pageAtOffset(page, -1);
}

QWidget *YMTabWidget::nextPage(QWidget *page) const
{
    return pageAtOffset(page, 1);
}

void YMTabWidget::setTabFlags(int flags)
{
    m_bar->setTabFlags(flags);
    update();
}

int YMTabWidget::tabFlags() const
{
    return m_bar->tabFlags();
}

void YMTabWidget::setTabPosition(int position)
{
    m_position = qBound(0, position, 3);
    updateLayout();
}

void YMTabWidget::updateLayout()
{
    delete m_layout;
    m_layout = new QGridLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    if (m_bar->isHidden()) {
        m_layout->setSpacing(0);
        m_layout->addWidget(m_stack, 0, 0);
        return;
    }
    m_layout->setSpacing(6);
    switch (m_position) {
    case 1:
        m_layout->addWidget(m_stack, 0, 0);
        m_layout->addWidget(m_bar, 1, 0);
        break;
    case 2:
        m_layout->addWidget(m_bar, 0, 0);
        m_layout->addWidget(m_stack, 0, 1);
        break;
    case 3:
        m_layout->addWidget(m_stack, 0, 0);
        m_layout->addWidget(m_bar, 0, 1);
        break;
    default:
        m_layout->addWidget(m_bar, 0, 0);
        m_layout->addWidget(m_stack, 1, 0);
        break;
    }
    m_bar->setOrientation(m_position);
    m_layout->activate();
}

void YMTabWidget::currentTabChanged(int id)
{
    if (id == -1) {
        m_bar->hide();
        updateLayout();
        return;
    }
    m_stack->raiseWidget(id);
    QWidget *page = m_idToPage.value(id);
    if (page) {
        if (page->focusPolicy() != Qt::NoFocus) {
            page->setFocus();
        } else {
            const QList<QWidget *> all = page->findChildren<QWidget *>();
            for (QWidget *w : all) {
                if (w->focusPolicy() != Qt::NoFocus) {
                    w->setFocus();
                    break;
                }
            }
        }
    }
    emit currentChanged(page);
}

void YMTabWidget::tabDragStart(int id, QMouseEvent *e)
{
    QWidget *page = m_idToPage.value(id);
    if (!page)
        return;
    page->setGeometry(m_stack->contentsRect());
    emit startPageDrag(page, e);
}

void YMTabWidget::tabDragContinue(QMouseEvent *e)
{
    emit continuePageDrag(e);
}

void YMTabWidget::tabDragFinish(QMouseEvent *e)
{
    emit finishPageDrag(e);
}

void YMTabWidget::tabDragCancel(QMouseEvent *e)
{
    emit cancelPageDrag(e);
}

void YMTabWidget::tabClose(int id)
{
    if (QWidget *page = m_idToPage.value(id))
        emit closePage(page);
}

void YMTabWidget::tabRightButtonPressed(int id, const QPoint &globalPos)
{
    emit rightButtonPressed(m_idToPage.value(id), globalPos);
}

bool YMTabWidget::eventFilter(QObject *o, QEvent *e)
{
    if (o == m_stack && e->type() == QEvent::ChildRemoved) {
        QObject *child = static_cast<QChildEvent *>(e)->child();
        if (child->isWidgetType()) {
            // a page deleted or taken away; a deleted one is half destroyed,
            // so it is found by its address alone
            const void *address = child;
            for (auto it = m_pageToId.cbegin(); it != m_pageToId.cend(); ++it) {
                if (static_cast<const void *>(it.key()) == address) {
                    removePage(it.key());
                    break;
                }
            }
            return true;
        }
        return false;
    }
    if (e->type() == QEvent::WindowTitleChange || e->type() == QEvent::WindowIconChange) {
        QWidget *page = qobject_cast<QWidget *>(o);
        if (page && m_followed.contains(page)) {
            if (e->type() == QEvent::WindowTitleChange)
                setTabLabel(page, page->windowTitle());
            else
                setTabIconSet(page, pageIcon(page));
        }
    }
    return QWidget::eventFilter(o, e);
}

void YMTabWidget::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (m_bar->tabFlags() & YMTabBar::Flat)
        p.fillRect(rect(), palette().color(QPalette::Window));
    else
        qDrawShadePanel(&p, rect(), palette(), false, 1, nullptr);
}
