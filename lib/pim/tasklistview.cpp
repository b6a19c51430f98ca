#include "tasklistview.h"

#include "formatnumber.h"
#include "pimmanager.h"
#include "task.h"
#include "tasklistviewitem.h"
#include "ymrpim.h"

#include "qpe/config.h"
#include "qpe/popupmenu.h"
#include "qpe/qpekeys.h"
#include "qt/ymrheader.h"
#include "qt/ymrresource.h"
#include "qt/ymrutil.h"

#include <QKeyEvent>
#include <QLabel>

namespace {
struct ColumnInfo {
    const char *name;
    const char *widthKey;
    int defaultWidth;
};

// Indexed by column id 0 to 10; columns without a width key are sized by
// their content or by the date texts.
const ColumnInfo columnInfo[] = {
    { QT_TRANSLATE_NOOP("TaskListView", "Type"), "type_width", 113 },
    { QT_TRANSLATE_NOOP("TaskListView", "Amount"), "amount_width", 50 },
    { QT_TRANSLATE_NOOP("TaskListView", "Currency"), "currency_width", 50 },
    { QT_TRANSLATE_NOOP("TaskListView", "City"), "city_width", 50 },
    { QT_TRANSLATE_NOOP("TaskListView", "Description"), nullptr, 0 },
    { QT_TRANSLATE_NOOP("TaskListView", "Account"), "account_width", 50 },
    { QT_TRANSLATE_NOOP("TaskListView", "Date"), nullptr, 0 },
    { QT_TRANSLATE_NOOP("TaskListView", "Reminder"), nullptr, 0 },
    { QT_TRANSLATE_NOOP("TaskListView", "Category"), "category_width", 113 },
    { QT_TRANSLATE_NOOP("TaskListView", "Created"), nullptr, 0 },
    { QT_TRANSLATE_NOOP("TaskListView", "Updated"), nullptr, 0 },
};
const int ColumnCount = 11;

double amountValue(const QString &text)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    return ok ? v : 0.0;
}
} // namespace

TaskListView::TaskListView(QWidget *parent, const char *name)
    : PIMListView(parent, name),
      m_totalsMenu(new PopupMenu(this)),
      m_totalsButton(new QLabel(this))
{
    appendIcon(YMRResource::loadPixmap(QStringLiteral("reminder")));
    appendIcon(YMRResource::loadPixmap(QStringLiteral("document")));
    m_totalsButton->setPixmap(YMRResource::loadPixmap(QStringLiteral("info")));
    m_totalsButton->setScaledContents(true);
    m_totalsButton->installEventFilter(this);
    setCornerWidget(m_totalsButton);
    setColorMode(2);
}

TaskListView::~TaskListView() = default;

QString TaskListView::columnName(int id)
{
    if (id < 0 || id >= ColumnCount)
        return QString();
    return tr(columnInfo[id].name);
}

QPixmap TaskListView::columnIcon(int id)
{
    const char *name = "empty";
    switch (id) {
    case 4:
        name = "document";
        break;
    case 6:
    case 9:
    case 10:
        name = "date";
        break;
    case 7:
        name = "reminder";
        break;
    case 8:
        name = "category";
        break;
    default:
        break;
    }
    return YMRResource::loadPixmap(QLatin1String(name));
}

void TaskListView::setupColumns(int id, Config *settings)
{
    if (id < 0 || id >= ColumnCount)
        return;
    const ColumnInfo &info = columnInfo[id];
    int col = -1;
    switch (id) {
    case 4:
    case 7:
        col = addColumn(YMRResource::loadIconSet(QLatin1String(id == 4 ? "document" : "reminder")),
                        QString(), -1);
        header()->setResizeEnabled(false, col);
        break;
    case 6:
        col = addColumn(YMRResource::loadIconSet(QStringLiteral("date")), QString(),
                        dateColumnWidth());
        setColumnAlignment(col, Qt::AlignRight);
        header()->setResizeEnabled(false, col);
        break;
    case 9:
    case 10:
        col = addColumn(YMRResource::loadIconSet(QStringLiteral("date")), tr(info.name),
                        dateTimeColumnWidth());
        setColumnAlignment(col, Qt::AlignRight);
        header()->setResizeEnabled(false, col);
        break;
    default: {
        const int fallback = id == 1 ? amountColumnWidth() : info.defaultWidth;
        const int width = settings ? settings->readNumEntry(QLatin1String(info.widthKey), fallback)
                                   : fallback;
        if (id == 8)
            col = addColumn(YMRResource::loadIconSet(QStringLiteral("category")), tr(info.name),
                            width);
        else
            col = addColumn(tr(info.name), width);
        if (id == 1)
            setColumnAlignment(col, Qt::AlignRight);
        break;
    }
    }
}

void TaskListView::saveColumnWidth(int section, int width)
{
    const int id = columnId(section);
    if (id < 0 || id >= ColumnCount || !columnInfo[id].widthKey || id == 4)
        return;
    writeColumnWidth(QLatin1String(columnInfo[id].widthKey), width);
}

PIMListViewItem *TaskListView::createItem(PIMRecord *record)
{
    return new TaskListViewItem(this, record);
}

PIMListViewItem *TaskListView::createItem(PIMRecord *record, YMRListViewItem *after)
{
    return new TaskListViewItem(this, after, record);
}

// ---- dates --------------------------------------------------------------------

void TaskListView::readDateFormats()
{
    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(QStringLiteral("Options"));
    m_datePattern = cfg.readEntry(QStringLiteral("defdate"), QStringLiteral("YYYY/MM/DD"));
    m_dateTimePattern =
        cfg.readEntry(QStringLiteral("defdatetime"), QStringLiteral("YYYY/MM/DD hh:mm AM/PM"));
    const int date = columnIndex(6);
    if (date >= 0)
        setColumnWidth(date, dateColumnWidth());
    const int dateTime = dateTimeColumnWidth();
    for (int id : { 9, 10 }) {
        const int col = columnIndex(id);
        if (col >= 0)
            setColumnWidth(col, dateTime);
    }
}

QString TaskListView::dateText(const QDate &date) const
{
    return YMRUtil::formatDateTime(QDateTime(date, QTime(0, 0)), m_datePattern);
}

QString TaskListView::dateTimeText(const QDateTime &dateTime) const
{
    return YMRUtil::formatDateTime(dateTime, m_dateTimePattern);
}

int TaskListView::dateColumnWidth() const
{
    const QFontMetrics fm(font());
    const int year = QDate::currentDate().year();
    int widest = 0;
    for (int month = 1; month <= 11; ++month)
        widest = qMax(widest, fm.horizontalAdvance(dateText(QDate(year, month, 1))));
    return 6 + widest;
}

int TaskListView::amountColumnWidth() const
{
    const QFontMetrics fm(font());
    const double typical = 1234.56;
    int widest = fm.horizontalAdvance(formatAmount(QString(), typical));
    for (auto it = m_currencyFormats.constBegin(); it != m_currencyFormats.constEnd(); ++it)
        widest = qMax(widest, fm.horizontalAdvance(formatAmount(it.key(), typical)));
    return qMax(columnInfo[1].defaultWidth, widest + 2 * itemMargin());
}

int TaskListView::dateTimeColumnWidth() const
{
    const QFontMetrics fm(font());
    const int year = QDate::currentDate().year();
    int widest = 0;
    for (int month = 1; month <= 11; ++month) {
        for (const QTime &t : { QTime(11, 15, 15), QTime(23, 15, 15) })
            widest = qMax(widest,
                          fm.horizontalAdvance(dateTimeText(QDateTime(QDate(year, month, 1), t))));
    }
    return 6 + widest;
}

void TaskListView::changeEvent(QEvent *e)
{
    PIMListView::changeEvent(e);
    if (e->type() == QEvent::FontChange)
        readDateFormats();
}

// ---- amounts ------------------------------------------------------------------

void TaskListView::readCurrencyFormats()
{
    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(QStringLiteral("Options"));
    m_defaultCurrencyFormat = cfg.readEntry(QStringLiteral("defcformat"), QStringLiteral("@#,#"));
    const QString lang = QString::fromLocal8Bit(qgetenv("LANG")).toLower();
    const QStringList lines = YMRPIM::loadList(QStringLiteral("currencies_") + lang);
    m_currencyFormats.clear();
    m_currencyFormats.reserve(lines.count());
    for (const QString &line : lines) {
        const QStringList parts = line.split(QLatin1Char('|'), Qt::SkipEmptyParts);
        if (parts.isEmpty())
            continue;
        m_currencyFormats.insert(parts.at(0),
                                 parts.count() > 1 ? parts.at(1) : m_defaultCurrencyFormat);
    }
    const int col = columnIndex(1);
    if (col >= 0) {
        for (YMRListViewItem *i = firstChild(); i; i = i->nextSibling())
            i->setText(col, amountText(static_cast<PIMListViewItem *>(i)->record()));
    }
    triggerUpdate();
}

QString TaskListView::formatOf(const QString &currency) const
{
    if (!currency.isEmpty() && !m_currencyFormats.isEmpty()) {
        const auto it = m_currencyFormats.constFind(currency);
        if (it != m_currencyFormats.constEnd())
            return it.value();
    }
    return m_defaultCurrencyFormat;
}

QString TaskListView::formatAmount(const QString &currency, double value) const
{
    return formatNumber(value, formatOf(currency), currency);
}

QString TaskListView::amountText(PIMRecord *record) const
{
    auto *task = static_cast<Task *>(record);
    if (!task)
        return QString();
    const double value = amountValue(task->amount);
    if (!m_currencyFormats.contains(task->currency))
        return namedAmount(task->currency, value);
    return formatAmount(task->currency, value);
}

QString TaskListView::namedAmount(const QString &currency, double value) const
{
    const QString code = formatOf(currency);
    QString text = formatNumber(value, code, currency);
    if (!currency.isEmpty() && !formatShowsCurrency(code))
        text += QLatin1Char(' ') + currency;
    return text;
}

// ---- totals -------------------------------------------------------------------

void TaskListView::fillTotals()
{
    m_totalsMenu->clear();
    if (!manager())
        return;
    QStringList order;
    QHash<QString, double> sums;
    for (PIMRecord *r : *manager()->view()) {
        auto *task = static_cast<Task *>(r);
        auto it = sums.find(task->currency);
        if (it == sums.end()) {
            order << task->currency;
            it = sums.insert(task->currency, 0.0);
        }
        it.value() += amountValue(task->amount);
    }
    for (const QString &currency : qAsConst(order))
        m_totalsMenu->insertItem(tr("Total") + QStringLiteral(" : ")
                                 + namedAmount(currency, sums.value(currency)));
}

void TaskListView::showTotals()
{
    fillTotals();
    const QSize size = m_totalsMenu->sizeHint();
    const QPoint at = m_totalsButton->mapToGlobal(QPoint(m_totalsButton->width(), 0))
                      - QPoint(size.width(), size.height() + 1);
    m_totalsMenu->popup(at);
}

bool TaskListView::eventFilter(QObject *o, QEvent *e)
{
    if (o == m_totalsButton && e->type() == QEvent::MouseButtonRelease)
        showTotals();
    return PIMListView::eventFilter(o, e);
}

// ---- keys ---------------------------------------------------------------------

void TaskListView::keyPressEvent(QKeyEvent *e)
{
    const int code = QpeKeys::bindingCode(e);
    if (code == 0) {
        PIMListView::keyPressEvent(e);
        return;
    }
    bool taken = false;
    emit checkKey(taken, code);
    if (taken) {
        // the parent widgets act on the key
        e->ignore();
        return;
    }
    PIMListView::keyPressEvent(e);
}
