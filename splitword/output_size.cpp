#include "output_size.h"

#include "splitword_files.h"

namespace splitword {

std::string TooLargeMessage(const OutputSize& size, std::uint64_t room, std::string_view whatToDo) {
    return rt::TooLargeForDiskMessage({size.lines, size.bytes}, kOutputName, room, whatToDo);
}

std::string LargeMessage(const OutputSize& size, std::optional<std::uint64_t> room,
                         std::string_view whatToDo) {
    return rt::LargeForDiskMessage({size.lines, size.bytes}, kOutputName, room, whatToDo);
}

}  // namespace splitword
