#include "packed_strings.h"

#include <cstring>
#include <utility>

namespace rt {

PackedStrings::PackedStrings(Terminator terminator)
    : terminatorSize_(terminator == Terminator::kCrLf ? 2 : 0) {}

PackedStrings::PackedStrings(std::initializer_list<std::string_view> entries) {
    for (const std::string_view entry : entries) push_back(entry);
}

PackedStrings::PackedStrings(const PackedStrings& other) : terminatorSize_(other.terminatorSize_) {
    if (other.count_ == 0) return;
    reserve(other.used_, other.count_);
    std::memcpy(text_.data(), other.text_.data(), other.used_);
    std::memcpy(offsets_.data(), other.offsets_.data(), (other.count_ + 1) * sizeof(std::size_t));
    count_ = other.count_;
    used_ = other.used_;
}

PackedStrings& PackedStrings::operator=(const PackedStrings& other) {
    if (this != &other) {
        PackedStrings copy(other);
        *this = std::move(copy);
    }
    return *this;
}

void PackedStrings::reserve(std::size_t bytes, std::size_t entries) {
    text_.grow(bytes, used_);
    if ((entries + 1) * sizeof(std::size_t) > offsets_.size())
        offsets_.grow((entries + 1) * sizeof(std::size_t), (count_ + 1) * sizeof(std::size_t));
}

void PackedStrings::push_back(std::string_view entry) {
    // An entry of this list moves when the text grows: hold where it is instead.
    const char* const text = text_.data();
    const bool own = text && entry.data() >= text && entry.data() < text + used_;
    const std::size_t ownAt = own ? static_cast<std::size_t>(entry.data() - text) : 0;

    const std::size_t size = entry.size() + terminatorSize_;
    if (size > text_.size() - used_) text_.grow(used_ + size, used_);
    if ((count_ + 2) * sizeof(std::size_t) > offsets_.size())
        offsets_.grow((count_ + 2) * sizeof(std::size_t), (count_ + 1) * sizeof(std::size_t));
    char* const at = text_.data() + used_;
    if (!entry.empty()) std::memcpy(at, own ? text_.data() + ownAt : entry.data(), entry.size());
    if (terminatorSize_ > 0) {
        at[entry.size()] = '\r';
        at[entry.size() + 1] = '\n';
    }
    used_ += size;
    offsets_.as<std::size_t>()[++count_] = used_;
}

bool operator==(const PackedStrings& a, const PackedStrings& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) return false;
    return true;
}

std::vector<std::string> PackedStrings::strings() const {
    return std::vector<std::string>(begin(), end());
}

}  // namespace rt
