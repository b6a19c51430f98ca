#include "ymcalendarview.h"

#include "ymcalendar.h"
#include "ymrapplication.h"
#include "qpe/qpeapplication.h"

#include <QMouseEvent>
#include <QPainter>

YMCalendarView::YMCalendarView(QWidget *parent, const char *name) : QFrame(parent)
{
    setObjectName(QString::fromLatin1(name));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    m_headerHeight = fontMetrics().height() + 2;
    for (int i = 0; i < 7; ++i)
        m_columnWidth =
            qMax(m_columnWidth, fontMetrics().horizontalAdvance(YMCalendar::shortDayName(i, true)));
    m_columnWidth += 4;
    if (ymrApp) {
        connect(ymrApp, &QPEApplication::weekChanged, this, &YMCalendarView::weekChanged);
        // the cached settings may change without the platform's signal
        connect(ymrApp, &YMRApplication::dateTimeSettingChanged, this,
                [this] { weekChanged(ymrApp->weekStartsOnMonday()); });
    }
    setDate(QDate::currentDate());
}

YMCalendarView::~YMCalendarView() = default;

void YMCalendarView::setDate(const QDate &d)
{
    if (!d.isValid())
        return;
    m_date = d;
    m_days = d.daysInMonth();
    const int w = QDate(d.year(), d.month(), 1).dayOfWeek();
    // A month that begins on the week's first day starts in the second row.
    if (ymrApp && ymrApp->weekStartsOnMonday())
        m_firstCell = w == 1 ? 8 : w;
    else
        m_firstCell = w == 7 ? 8 : w + 1;
    update();
}

void YMCalendarView::weekChanged(bool)
{
    setDate(m_date);
}

int YMCalendarView::dayAt(int row, int column) const
{
    if (row < 1 || row > 6 || column < 0 || column > 6)
        return 0;
    const int day = (row - 1) * 7 + column + 1 - m_firstCell + 1;
    return day >= 1 && day <= m_days ? day : 0;
}

int YMCalendarView::cellHeight(int row) const
{
    return row == 0 ? m_headerHeight : (contentsRect().height() - m_headerHeight) / 6;
}

int YMCalendarView::cellWidth() const
{
    return contentsRect().width() / 7;
}

QRect YMCalendarView::cellRect(int row, int column) const
{
    const QRect c = contentsRect();
    const int y = row == 0 ? 0 : m_headerHeight + (row - 1) * cellHeight(1);
    return QRect(c.x() + column * cellWidth(), c.y() + y, cellWidth(), cellHeight(row));
}

int YMCalendarView::rowAt(int y) const
{
    y -= contentsRect().y();
    if (y < 0)
        return -1;
    if (y < m_headerHeight)
        return 0;
    const int h = cellHeight(1);
    const int row = h > 0 ? (y - m_headerHeight) / h + 1 : -1;
    return row <= 6 ? row : -1;
}

int YMCalendarView::columnAt(int x) const
{
    x -= contentsRect().x();
    const int w = cellWidth();
    if (x < 0 || w <= 0)
        return -1;
    const int column = x / w;
    return column <= 6 ? column : -1;
}

QSize YMCalendarView::sizeHint() const
{
    // the pop-up with its frame stays inside the screen's width; the
    // weekday names then take a smaller font
    const int room = (QPEApplication::screenRect().width() - 20) / 7;
    return QSize(qMin(m_columnWidth, room) * 7, m_headerHeight * 7);
}

QFont YMCalendarView::headerFont(int cellWidth) const
{
    QFont f = font();
    for (;;) {
        const QFontMetrics fm(f);
        int widest = 0;
        for (int i = 0; i < 7; ++i)
            widest = qMax(widest, fm.horizontalAdvance(YMCalendar::shortDayName(i, true)));
        if (widest + 2 <= cellWidth || f.pointSizeF() <= 5)
            return f;
        f.setPointSizeF(f.pointSizeF() - 0.5);
    }
}

void YMCalendarView::mousePressEvent(QMouseEvent *e)
{
    const int day = dayAt(rowAt(e->pos().y()), columnAt(e->pos().x()));
    if (day > 0)
        setDate(QDate(m_date.year(), m_date.month(), day));
}

void YMCalendarView::mouseReleaseEvent(QMouseEvent *)
{
    emit dateClicked(m_date);
}

void YMCalendarView::paintEvent(QPaintEvent *e)
{
    QFrame::paintEvent(e);
    QPainter p(this);
    p.setClipRect(contentsRect());
    for (int row = 0; row < 7; ++row) {
        for (int column = 0; column < 7; ++column) {
            const QRect r = cellRect(row, column);
            if (!e->rect().intersects(r))
                continue;
            p.save();
            p.translate(r.topLeft());
            paintCell(&p, row, column, r.width(), r.height());
            p.restore();
        }
    }
}

void YMCalendarView::paintCell(QPainter *p, int row, int column, int w, int h)
{
    p->fillRect(0, 0, w, h, column >= 5 ? QColor(240, 240, 240) : QColor(255, 251, 240));
    if (row == 0) {
        p->fillRect(0, 0, w, h, palette().color(backgroundRole()).darker(200));
        p->setPen(Qt::white);
        p->setFont(headerFont(w));
        const bool monday = ymrApp && ymrApp->weekStartsOnMonday();
        const int index = monday ? column : (column == 0 ? 6 : column - 1);
        p->drawText(QRect(0, 0, w, h), Qt::AlignCenter, YMCalendar::shortDayName(index, true));
        return;
    }
    // The frame overlaps the next cell's, except at the right and bottom.
    p->setPen(QColor(0xD0, 0xD0, 0xD0));
    p->drawRect(0, 0, column == 6 ? w - 1 : w, row == 6 ? h - 1 : h);
    const int day = dayAt(row, column);
    if (day == 0)
        return;
    QFont f = font();
    if (day == m_date.day()) {
        p->fillRect(1, 1, w - 1, h - 1, QColor(0x68, 0xBE, 0x68));
        f.setWeight(75);
        p->setPen(Qt::white);
    } else if (QDate(m_date.year(), m_date.month(), day) == QDate::currentDate()) {
        f.setWeight(75);
        p->setPen(Qt::red);
    } else {
        p->setPen(Qt::black);
    }
    p->setFont(f);
    p->drawText(QRect(3, 1, w - 3, h - 1), Qt::AlignLeft | Qt::AlignTop, QString::number(day));
}
