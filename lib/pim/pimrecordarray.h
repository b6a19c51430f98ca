#ifndef PIMRECORDARRAY_H
#define PIMRECORDARRAY_H

#include <cstddef>
#include <functional>
#include <vector>

class PIMRecord;

// Array of record pointers. With autoDelete on it owns the records:
// remove() and clear() delete them.
class PIMRecordArray
{
public:
    PIMRecordArray() = default;
    ~PIMRecordArray();

    PIMRecordArray(const PIMRecordArray &) = delete;
    PIMRecordArray &operator=(const PIMRecordArray &) = delete;

    void setAutoDelete(bool on) { m_autoDelete = on; }
    bool autoDelete() const { return m_autoDelete; }

    int count() const { return int(m_items.size()); }
    int size() const { return count(); }
    bool isEmpty() const { return m_items.empty(); }
    PIMRecord *at(int i) const { return m_items[size_t(i)]; }
    PIMRecord *operator[](int i) const { return m_items[size_t(i)]; }
    // index of the first element equal to the pointer, -1 when none
    int find(const PIMRecord *record) const;
    bool contains(const PIMRecord *record) const { return find(record) >= 0; }

    void append(PIMRecord *record) { m_items.push_back(record); }
    void insert(int index, PIMRecord *record);
    // Removes the first element equal to the pointer (deleting the record
    // with autoDelete on); a pointer not held does nothing.
    void remove(PIMRecord *record);
    // Removes the element without deleting it, whatever autoDelete says.
    PIMRecord *take(int index);
    // Removes every element the test holds for, in one pass, without
    // deleting it; the others keep their order. The number removed.
    int takeWhere(const std::function<bool(const PIMRecord *)> &test);
    void clear();
    void reserve(int n) { m_items.reserve(size_t(n)); }
    void reverse();

    PIMRecord *first() const { return m_items.empty() ? nullptr : m_items.front(); }
    PIMRecord *last() const { return m_items.empty() ? nullptr : m_items.back(); }

    std::vector<PIMRecord *>::const_iterator begin() const { return m_items.begin(); }
    std::vector<PIMRecord *>::const_iterator end() const { return m_items.end(); }

private:
    std::vector<PIMRecord *> m_items;
    bool m_autoDelete = false;
};

#endif
