#include "string_list.h"

#include <cstring>

namespace chainmaker {

StringList::StringList(std::initializer_list<std::string_view> entries) {
    for (const std::string_view entry : entries) push_back(entry);
}

StringList::StringList(const StringList& other) {
    for (const std::string_view entry : other) push_back(entry);
}

StringList& StringList::operator=(const StringList& other) {
    if (this != &other) {
        StringList copy(other);
        *this = std::move(copy);
    }
    return *this;
}

void StringList::push_back(std::string_view entry) {
    // An entry of this list moves when the text grows: hold where it is instead.
    const char* const text = text_.data();
    const bool own = text && entry.data() >= text && entry.data() < text + used_;
    const std::size_t ownAt = own ? static_cast<std::size_t>(entry.data() - text) : 0;

    if (entry.size() > text_.size() - used_) text_.grow(used_ + entry.size(), used_);
    if ((count_ + 1) * sizeof(std::size_t) > ends_.size())
        ends_.grow((count_ + 1) * sizeof(std::size_t), count_ * sizeof(std::size_t));
    if (!entry.empty()) {
        const char* const from = own ? text_.data() + ownAt : entry.data();
        std::memcpy(text_.data() + used_, from, entry.size());
    }
    used_ += entry.size();
    ends_.as<std::size_t>()[count_++] = used_;
}

bool operator==(const StringList& a, const StringList& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) return false;
    return true;
}

std::vector<std::string> StringList::strings() const {
    return std::vector<std::string>(begin(), end());
}

}  // namespace chainmaker
