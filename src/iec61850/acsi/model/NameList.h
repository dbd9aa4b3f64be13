#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace Iec61850::Acsi {

// Names in the order they were given, kept one after the other in one text: a device's
// directory lists every name down to the leaves (tens of thousands), which a list of
// strings would hold at three times the size. Reads like a list of strings, except that
// iteration, `front` and `back` give copies (`View` gives a view).
class NameList {
public:
    class const_iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = std::string;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string;

        const_iterator() = default;
        std::string operator*() const { return std::string(list_->View(index_)); }
        const_iterator& operator++() {
            ++index_;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator before = *this;
            ++index_;
            return before;
        }
        bool operator==(const const_iterator& other) const { return index_ == other.index_; }

    private:
        friend class NameList;
        const_iterator(const NameList* list, std::size_t index) : list_(list), index_(index) {}

        const NameList* list_ = nullptr;
        std::size_t index_ = 0;
    };
    using iterator = const_iterator;
    using value_type = std::string;

    NameList() = default;
    NameList(std::initializer_list<std::string_view> names) { *this = names; }
    NameList& operator=(std::initializer_list<std::string_view> names) {
        clear();
        for (std::string_view name : names) push_back(name);
        return *this;
    }

    bool empty() const { return ends_.empty(); }
    std::size_t size() const { return ends_.size(); }
    std::string_view View(std::size_t index) const {
        const std::size_t begin = index == 0 ? 0 : ends_[index - 1];
        return std::string_view(text_).substr(begin, ends_[index] - begin);
    }
    std::string front() const { return std::string(View(0)); }
    std::string back() const { return std::string(View(ends_.size() - 1)); }

    void push_back(std::string_view name) {
        text_.append(name);
        ends_.push_back(static_cast<std::uint32_t>(text_.size()));
    }
    void emplace_back(std::string_view name) { push_back(name); }
    // Names are only ever added at the end: `where` is taken to be `end()`.
    template <typename Names>
    const_iterator insert(const_iterator where, Names first, Names last) {
        const std::size_t at = ends_.size();
        for (; first != last; ++first) push_back(*first);
        return const_iterator(this, at);
    }
    void clear() {
        text_.clear();
        ends_.clear();
    }

    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, ends_.size()); }

private:
    std::string text_;
    // Where each name ends in the text.
    std::vector<std::uint32_t> ends_;
};

}  // namespace Iec61850::Acsi
