#pragma once
// A list of strings kept one after another in one block of memory, each followed by the same
// terminator (none, or CR LF), with where each one begins. A list read from a file of 100,000
// lines is then two blocks that grow by moving their pages, instead of 100,000 allocations and a
// vector that is copied each time it doubles. With a terminator the block is the text of the
// list, one entry a line; behind the last entry lie rt::kPadding bytes (padded_buffer.h), for
// code that copies entries in whole pieces.

#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "large_pages.h"
#include "padded_buffer.h"

namespace rt {

class PackedStrings {
  public:
    // What follows every entry.
    enum class Terminator : unsigned char { kNone, kCrLf };

    PackedStrings() = default;
    explicit PackedStrings(Terminator terminator);
    PackedStrings(std::initializer_list<std::string_view> entries);
    PackedStrings(const PackedStrings& other);
    PackedStrings& operator=(const PackedStrings& other);
    PackedStrings(PackedStrings&&) noexcept = default;
    PackedStrings& operator=(PackedStrings&&) noexcept = default;

    std::size_t size() const noexcept { return count_; }
    bool empty() const noexcept { return count_ == 0; }
    // Entry i without its terminator; valid until the list next grows.
    std::string_view operator[](std::size_t i) const noexcept {
        const std::size_t begin = startOf(i);
        return std::string_view(text_.data() + begin, endOf(i) - begin - terminatorSize_);
    }
    // Where entry i begins in bytes(), and where it ends with its terminator (i < size()).
    std::size_t startOf(std::size_t i) const noexcept { return offsets_.as<std::size_t>()[i]; }
    std::size_t endOf(std::size_t i) const noexcept { return offsets_.as<std::size_t>()[i + 1]; }
    // All entries, each followed by the terminator (the spare bytes not included).
    std::string_view bytes() const noexcept { return std::string_view(text_.data(), used_); }

    // Room for entries of `bytes` in all (terminators included) and `entries` entries, so that
    // adding them does not make the list grow.
    void reserve(std::size_t bytes, std::size_t entries);
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
        const_iterator(const PackedStrings* list, std::size_t at) : list_(list), at_(at) {}
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
        const PackedStrings* list_ = nullptr;
        std::size_t at_ = 0;
    };
    using iterator = const_iterator;
    using value_type = std::string_view;

    const_iterator begin() const noexcept { return const_iterator(this, 0); }
    const_iterator end() const noexcept { return const_iterator(this, count_); }

    // Whether both hold the same entries (terminators aside).
    friend bool operator==(const PackedStrings& a, const PackedStrings& b);
    // The entries as strings of their own.
    std::vector<std::string> strings() const;

  private:
    PaddedBuffer text_{PaddedBuffer::Memory::kLargePages};  // the entries, each terminated
    LargePages offsets_;  // of std::size_t: offsets[i] is where entry i begins, offsets[0] is 0
    std::size_t count_ = 0;
    std::size_t used_ = 0;            // bytes of text_ in use
    std::size_t terminatorSize_ = 0;  // 0, or 2 for CR LF
};

}  // namespace rt
