#include "pimrecordarray.h"

#include "pimrecord.h"

#include <algorithm>

PIMRecordArray::~PIMRecordArray()
{
    clear();
}

int PIMRecordArray::find(const PIMRecord *record) const
{
    const auto it = std::find(m_items.begin(), m_items.end(), record);
    return it == m_items.end() ? -1 : int(it - m_items.begin());
}

void PIMRecordArray::insert(int index, PIMRecord *record)
{
    if (index < 0)
        index = 0;
    if (index > count())
        index = count();
    m_items.insert(m_items.begin() + index, record);
}

void PIMRecordArray::remove(PIMRecord *record)
{
    const auto it = std::find(m_items.begin(), m_items.end(), record);
    if (it == m_items.end())
        return;
    m_items.erase(it);
    if (m_autoDelete && record)
        delete record;
}

PIMRecord *PIMRecordArray::take(int index)
{
    PIMRecord *r = m_items[size_t(index)];
    m_items.erase(m_items.begin() + index);
    return r;
}

int PIMRecordArray::takeWhere(const std::function<bool(const PIMRecord *)> &test)
{
    const auto kept = std::remove_if(m_items.begin(), m_items.end(), test);
    const int taken = int(m_items.end() - kept);
    m_items.erase(kept, m_items.end());
    return taken;
}

void PIMRecordArray::clear()
{
    std::vector<PIMRecord *> items;
    items.swap(m_items);
    if (m_autoDelete) {
        for (PIMRecord *r : items)
            delete r;
    }
}

void PIMRecordArray::reverse()
{
    std::reverse(m_items.begin(), m_items.end());
}
