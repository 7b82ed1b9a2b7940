// The framework's ordered arrays and their iterators, through which the host hands out lists.
#pragma once

#include <cstdint>
#include <vector>

// An ordered array of values; positions count from 1, as the framework's arrays do.
template <typename T> class LArray {
public:
    int GetCount() const { return int(mItems.size()); }
    // The item at a position from 1; false (and the item untouched) outside the array.
    bool FetchItemAt(int index, T& item) const
    {
        if (index < 1 || index > GetCount())
            return false;
        item = mItems[size_t(index - 1)];
        return true;
    }
    void AddItem(const T& item) { mItems.push_back(item); }
    void RemoveAllItems() { mItems.clear(); }
    template <typename Range> void Assign(const Range& items) { mItems.assign(items.begin(), items.end()); }

private:
    std::vector<T> mItems;
};

// Walks an array from its first item to its last.
template <typename T> class LArrayIterator {
public:
    explicit LArrayIterator(const LArray<T>& array) : mArray(array) {}
    // The next item; false once the array is exhausted.
    bool Next(T& item) { return mArray.FetchItemAt(++mPosition, item); }

private:
    const LArray<T>& mArray;
    int mPosition = 0;
};
