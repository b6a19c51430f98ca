#include "ymfileview.h"
#include "sfilelistbox.h"
#include "sfilelistview.h"

#include <QCursor>
#include <QEvent>
#include <QTimer>

YMFileView::YMFileView(bool dirMode, QWidget *parent, const char *name)
    : QStackedWidget(parent), m_dirMode(dirMode), m_filter(QStringLiteral("*"))
{
    setObjectName(QString::fromLatin1(name));
    m_holdTimer = new QTimer(this);
    m_holdTimer->setSingleShot(true);

    m_listView = new SFileListView(this, this);
    m_listBox = new SFileListBox(this, this);
    addWidget(m_listView);
    addWidget(m_listBox);
    m_listView->viewport()->installEventFilter(this);
    m_listBox->viewport()->installEventFilter(this);

    connect(m_holdTimer, &QTimer::timeout, this, &YMFileView::popupMenu);
    connect(m_listView, &SFileListView::dirChanged, this, &YMFileView::dirChanged);
    connect(m_listView, &SFileListView::dirChanged, this, &YMFileView::setDirInternal);
    connect(m_listBox, &SFileListBox::dirChanged, this, &YMFileView::dirChanged);
    connect(m_listBox, &SFileListBox::dirChanged, this, &YMFileView::setDirInternal);
    connect(m_listView, QOverload<>::of(&YMRListView::selectionChanged), this,
            &YMFileView::selectionChanging);
    connect(m_listBox, QOverload<>::of(&YMRListBox::selectionChanged), this,
            &YMFileView::selectionChanging);
    connect(m_listView, QOverload<YMRListViewItem *>::of(&YMRListView::clicked), this,
            &YMFileView::clicked);
    connect(m_listBox, QOverload<YMRListBoxItem *>::of(&YMRListBox::clicked), this,
            &YMFileView::clicked);

    // the stack already shows its first page: give it the focus role here
    setCurrentWidget(m_listView);
    setFocusProxy(m_listView);
}

YMFileView::~YMFileView() = default;

void YMFileView::setDir(const QString &path)
{
    m_dir = path;
    refresh();
}

void YMFileView::setFilter(const QString &filter)
{
    m_filter = filter;
    refresh();
}

void YMFileView::setSort(int sort)
{
    if (sort == m_sort)
        return;
    m_sort = sort;
    refresh();
}

void YMFileView::setDirsToo(bool on)
{
    if (on == m_dirsToo)
        return;
    m_dirsToo = on;
    refresh();
}

void YMFileView::setHiddenToo(bool on)
{
    if (on == m_hiddenToo)
        return;
    m_hiddenToo = on;
    refresh();
}

int YMFileView::mode() const
{
    return currentWidget() != m_listBox ? 1 : 0;
}

void YMFileView::setMode(int mode)
{
    QWidget *target = mode == 0 ? static_cast<QWidget *>(m_listBox) : m_listView;
    if (currentWidget() == target)
        return;
    setCurrentWidget(target);
    setFocusProxy(target);
    refresh();
}

void YMFileView::setMultiSelection(bool on)
{
    m_listView->setSelectionMode(on ? YMRListView::Multi : YMRListView::Single);
    m_listBox->setSelectionMode(on ? YMRListBox::Multi : YMRListBox::Single);
}

QString YMFileView::currentFile() const
{
    return mode() == 0 ? m_listBox->currentFile() : m_listView->currentFile();
}

void YMFileView::selection(QStringList &list, QString *current) const
{
    list.clear();
    QString cur;
    if (mode() == 0) {
        cur = m_listBox->currentFile();
        list = m_listBox->selectedFiles();
    } else {
        cur = m_listView->currentFile();
        list = m_listView->selectedFiles();
    }
    if (cur.isEmpty() && !list.isEmpty())
        cur = list.first();
    if (current)
        *current = cur;
}

void YMFileView::refresh()
{
    m_holdTimer->stop();
    if (mode() == 0)
        m_listBox->setDir(m_dir);
    else
        m_listView->setDir(m_dir);
}

bool YMFileView::isEmpty() const
{
    return mode() == 0 ? m_listBox->count() == 0 : m_listView->childCount() == 0;
}

void YMFileView::selectAll()
{
    m_holdTimer->stop();
    if (mode() == 0)
        m_listBox->selectAll(true);
    else
        m_listView->selectAll(true);
}

void YMFileView::unselectAll()
{
    m_holdTimer->stop();
    if (mode() == 0)
        m_listBox->selectAll(false);
    else
        m_listView->selectAll(false);
}

void YMFileView::clear()
{
    m_holdTimer->stop();
    m_listView->clear();
    m_listBox->clear();
}

void YMFileView::setDirInternal(const QString &path)
{
    m_dir = path;
}

void YMFileView::selectionChanging()
{
    emit selectionChanged();
}

void YMFileView::popupMenu()
{
    emit popup(QCursor::pos());
}

bool YMFileView::eventFilter(QObject *o, QEvent *e)
{
    if (o == m_listView->viewport() || o == m_listBox->viewport()) {
        switch (e->type()) {
        case QEvent::MouseButtonPress:
            m_holdTimer->start(500);
            break;
        case QEvent::MouseButtonRelease:
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            m_holdTimer->stop();
            break;
        default:
            break;
        }
    }
    return QStackedWidget::eventFilter(o, e);
}
