#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

// An array kept in the order of a three-way comparator (negative, zero, positive). Elements that
// compare equal keep their insertion order. Add appends without sorting, for callers that want
// the raw order.
template <typename T, int (*Compare)(const T&, const T&)>
class CSortedArrayEx {
public:
    void OrderedInsert(const T& element)
    {
        const auto at = std::upper_bound(items_.begin(), items_.end(), element,
                                         [](const T& a, const T& b) { return Compare(a, b) < 0; });
        items_.insert(at, element);
    }
    void Add(const T& element) { items_.push_back(element); }
    void RemoveAll() { items_.clear(); }

    std::size_t GetSize() const { return items_.size(); }
    bool IsEmpty() const { return items_.empty(); }
    const T& operator[](std::size_t index) const { return items_[index]; }
    const T& GetAt(std::size_t index) const { return items_.at(index); }

    typename std::vector<T>::const_iterator begin() const { return items_.begin(); }
    typename std::vector<T>::const_iterator end() const { return items_.end(); }

private:
    std::vector<T> items_;
};
