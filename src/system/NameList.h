#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace System {

// A list of names kept in one block of characters: a long name list costs a few
// allocations in all, not one or two per name. The names are read as views, which stay
// valid until the list next changes.
class NameList {
public:
    class const_iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using reference = std::string_view;
        using pointer = void;

        const_iterator() = default;
        const_iterator(const NameList* list, std::size_t index) : list_(list), index_(index) {}

        std::string_view operator*() const { return (*list_)[index_]; }
        std::string_view operator[](difference_type n) const { return (*list_)[index_ + n]; }
        const_iterator& operator++() { return ++index_, *this; }
        const_iterator operator++(int) { return {list_, index_++}; }
        const_iterator& operator--() { return --index_, *this; }
        const_iterator operator--(int) { return {list_, index_--}; }
        const_iterator& operator+=(difference_type n) { return index_ += n, *this; }
        const_iterator& operator-=(difference_type n) { return index_ -= n, *this; }
        friend const_iterator operator+(const_iterator at, difference_type n) { return at += n; }
        friend const_iterator operator+(difference_type n, const_iterator at) { return at += n; }
        friend const_iterator operator-(const_iterator at, difference_type n) { return at -= n; }
        friend difference_type operator-(const const_iterator& a, const const_iterator& b) {
            return static_cast<difference_type>(a.index_) - static_cast<difference_type>(b.index_);
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.index_ == b.index_; }
        friend auto operator<=>(const const_iterator& a, const const_iterator& b) { return a.index_ <=> b.index_; }

    private:
        const NameList* list_ = nullptr;
        std::size_t index_ = 0;
    };
    using iterator = const_iterator;
    using value_type = std::string_view;
    using size_type = std::size_t;

    NameList() = default;
    NameList(std::initializer_list<std::string_view> names);

    void push_back(std::string_view name);
    void emplace_back(std::string_view name) { push_back(name); }
    // Names are only ever added at the end: `where` is taken to be `end()`.
    template <typename Names>
    const_iterator insert(const_iterator /*where*/, Names first, Names last) {
        const std::size_t at = size();
        for (; first != last; ++first) push_back(*first);
        return {this, at};
    }
    void clear();
    // Room for that many more names of that many characters in all.
    void reserve(std::size_t names, std::size_t characters);

    bool empty() const { return ends_.empty(); }
    std::size_t size() const { return ends_.size(); }
    std::string_view operator[](std::size_t index) const {
        const std::size_t begin = index == 0 ? 0 : ends_[index - 1];
        return std::string_view(characters_).substr(begin, ends_[index] - begin);
    }
    std::string_view front() const { return (*this)[0]; }
    std::string_view back() const { return (*this)[size() - 1]; }
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

    friend bool operator==(const NameList& a, const NameList& b) {
        return a.ends_ == b.ends_ && a.characters_ == b.characters_;
    }

private:
    std::string characters_;
    // Where each name ends; a list of names is far below 4 GB of characters.
    std::vector<std::uint32_t> ends_;
};

}  // namespace System
