#include "taskfilter.h"

#include "task.h"

namespace {

const QChar Blank(QLatin1Char(' '));

// Walks a filter text. Lengths are clamped to the text that is left, so a
// damaged or hand-edited header never reads outside it.
class FilterTextReader
{
public:
    explicit FilterTextReader(const QString &text) : m_text(text) {}

    // The token before the next blank as a decimal number (0 when it is not
    // one); false when no blank is left.
    bool number(int &value)
    {
        const int blank = m_text.indexOf(Blank, m_pos);
        if (blank < 0)
            return false;
        value = m_text.mid(m_pos, blank - m_pos).toInt();
        m_pos = blank + 1;
        return true;
    }

    // The next length characters (fewer at the end), then one more character
    // is skipped, the blank that should follow.
    QString chars(int length)
    {
        const int left = m_text.size() - m_pos;
        length = qBound(0, length, left);
        const QString result = m_text.mid(m_pos, length);
        m_pos = qMin(m_pos + length + 1, m_text.size());
        return result;
    }

private:
    const QString &m_text;
    int m_pos = 0;
};

void appendNumber(QString &out, int n)
{
    out += QString::number(n);
    out += Blank;
}

void appendText(QString &out, const QString &s)
{
    appendNumber(out, s.size());
    out += s;
    out += Blank;
}

} // namespace

bool TaskFilter::accepts(const Task *task) const
{
    for (const FilterCondition &c : conditions) {
        if (!c.holds(task))
            return false;
    }
    return true;
}

QString TaskFilter::toText(const QList<TaskFilter> &filters)
{
    QString out;
    appendNumber(out, filters.size());
    for (const TaskFilter &f : filters) {
        appendText(out, f.name);
        appendNumber(out, f.conditions.size());
        for (const FilterCondition &c : f.conditions) {
            appendNumber(out, c.field);
            appendNumber(out, c.condition);
            appendText(out, c.valueText());
        }
    }
    return out;
}

void TaskFilter::parseText(const QString &text, QList<TaskFilter> &filters)
{
    FilterTextReader in(text);
    int count = 0;
    if (!in.number(count))
        return;
    for (int i = 0; i < count; ++i) {
        TaskFilter filter;
        int length = 0;
        if (!in.number(length))
            return;
        filter.name = in.chars(length);
        int conditionCount = 0;
        if (!in.number(conditionCount))
            return;
        for (int j = 0; j < conditionCount; ++j) {
            FilterCondition c;
            int valueLength = 0;
            if (!in.number(c.field) || !in.number(c.condition) || !in.number(valueLength))
                return;
            c.setValueText(in.chars(valueLength));
            filter.conditions.append(c);
        }
        filters.append(filter);
    }
}
