#pragma once
// A list of strings kept one after another in one block of memory, with where each one ends.
// A list read from a file of 100,000 lines is then two blocks that grow by moving their pages,
// instead of 100,000 allocations and a vector that is copied each time it doubles.

#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "large_pages.h"

namespace chainmaker {

class StringList {
  public:
    StringList() = default;
    StringList(std::initializer_list<std::string_view> entries);
    StringList(const StringList& other);
    StringList& operator=(const StringList& other);
    StringList(StringList&&) noexcept = default;
    StringList& operator=(StringList&&) noexcept = default;

    std::size_t size() const noexcept { return count_; }
    bool empty() const noexcept { return count_ == 0; }
    // Valid until the list next grows.
    std::string_view operator[](std::size_t i) const noexcept {
        const std::size_t* const ends = ends_.as<std::size_t>();
        const std::size_t begin = i == 0 ? 0 : ends[i - 1];
        return std::string_view(text_.data() + begin, ends[i] - begin);
    }
    // Appends a copy of `entry` (which may be an entry of this list).
    void push_back(std::string_view entry);
    void emplace_back(std::string_view entry) { push_back(entry); }

    class const_iterator {
      public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string_view;

        const_iterator() = default;
        const_iterator(const StringList* list, std::size_t at) : list_(list), at_(at) {}
        std::string_view operator*() const { return (*list_)[at_]; }
        std::string_view operator[](difference_type d) const { return *(*this + d); }
        const_iterator& operator++() { return ++at_, *this; }
        const_iterator operator++(int) { return const_iterator(list_, at_++); }
        const_iterator& operator--() { return --at_, *this; }
        const_iterator operator--(int) { return const_iterator(list_, at_--); }
        const_iterator& operator+=(difference_type d) { return at_ += d, *this; }
        const_iterator& operator-=(difference_type d) { return at_ -= d, *this; }
        friend const_iterator operator+(const_iterator it, difference_type d) { return it += d; }
        friend const_iterator operator+(difference_type d, const_iterator it) { return it += d; }
        friend const_iterator operator-(const_iterator it, difference_type d) { return it -= d; }
        friend difference_type operator-(const_iterator a, const_iterator b) {
            return static_cast<difference_type>(a.at_) - static_cast<difference_type>(b.at_);
        }
        friend bool operator==(const_iterator a, const_iterator b) { return a.at_ == b.at_; }
        friend auto operator<=>(const_iterator a, const_iterator b) { return a.at_ <=> b.at_; }

      private:
        const StringList* list_ = nullptr;
        std::size_t at_ = 0;
    };
    using iterator = const_iterator;
    using value_type = std::string_view;

    const_iterator begin() const noexcept { return const_iterator(this, 0); }
    const_iterator end() const noexcept { return const_iterator(this, count_); }

    friend bool operator==(const StringList& a, const StringList& b);
    // The entries as strings of their own.
    std::vector<std::string> strings() const;

  private:
    rt::LargePages text_;  // the entries one after another
    rt::LargePages ends_;  // of std::size_t: where entry i ends in text_
    std::size_t count_ = 0;
    std::size_t used_ = 0;  // bytes of text_ in use
};

}  // namespace chainmaker
