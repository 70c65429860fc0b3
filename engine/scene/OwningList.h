#pragma once
#include <cstddef>
#include <iterator>
#include <memory>
#include <vector>

// A list that owns what it holds: an item handed to push_back is deleted
// when it is erased, when the list is cleared and when the list goes. It
// hands out plain pointers, which never own: whatever else points at an item
// (the item tree, the game) must let go of it before the list frees it.
template <typename T>
class OwningList {
public:
    class const_iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = T*;
        using difference_type = std::ptrdiff_t;
        using pointer = T* const*;
        using reference = T*;

        const_iterator() = default;
        explicit const_iterator(typename std::vector<std::unique_ptr<T>>::const_iterator at) : m_at(at) {}
        T* operator*() const { return m_at->get(); }
        T* operator[](difference_type d) const { return m_at[d].get(); }
        const_iterator& operator++()
        {
            ++m_at;
            return *this;
        }
        const_iterator operator++(int) { return const_iterator(m_at++); }
        const_iterator& operator--()
        {
            --m_at;
            return *this;
        }
        const_iterator operator--(int) { return const_iterator(m_at--); }
        const_iterator& operator+=(difference_type d)
        {
            m_at += d;
            return *this;
        }
        const_iterator& operator-=(difference_type d)
        {
            m_at -= d;
            return *this;
        }
        friend const_iterator operator+(const_iterator i, difference_type d) { return i += d; }
        friend const_iterator operator+(difference_type d, const_iterator i) { return i += d; }
        friend const_iterator operator-(const_iterator i, difference_type d) { return i -= d; }
        friend difference_type operator-(const const_iterator& a, const const_iterator& b) { return a.m_at - b.m_at; }
        friend auto operator<=>(const const_iterator&, const const_iterator&) = default;

    private:
        typename std::vector<std::unique_ptr<T>>::const_iterator m_at;
    };
    using iterator = const_iterator;

    OwningList() = default;
    OwningList(const OwningList&) = delete;
    OwningList& operator=(const OwningList&) = delete;

    // Takes ownership of `item`.
    void push_back(T* item) { m_items.emplace_back(item); }
    // Hands `item` back to the caller without deleting it; null when it is
    // not in the list.
    std::unique_ptr<T> release(T* item)
    {
        for (auto it = m_items.begin(); it != m_items.end(); ++it) {
            if (it->get() == item) {
                std::unique_ptr<T> owned = std::move(*it);
                m_items.erase(it);
                return owned;
            }
        }
        return nullptr;
    }
    // Puts `item` in the place of entry `index` and hands the old entry
    // back to the caller.
    std::unique_ptr<T> replace(size_t index, T* item)
    {
        std::unique_ptr<T> old = std::move(m_items[index]);
        m_items[index].reset(item);
        return old;
    }
    // Deletes `item`; false when it is not in the list.
    bool erase(T* item) { return release(item) != nullptr; }
    // Deletes every item, the last first.
    void clear()
    {
        while (!m_items.empty())
            m_items.pop_back();
    }
    ~OwningList() { clear(); }

    bool empty() const { return m_items.empty(); }
    size_t size() const { return m_items.size(); }
    T* operator[](size_t index) const { return m_items[index].get(); }
    T* front() const { return m_items.front().get(); }
    T* back() const { return m_items.back().get(); }
    const_iterator begin() const { return const_iterator(m_items.begin()); }
    const_iterator end() const { return const_iterator(m_items.end()); }

private:
    std::vector<std::unique_ptr<T>> m_items;
};
