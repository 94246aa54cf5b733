#include "output_size.h"

namespace splitword {
namespace {

std::string Lines(const OutputSize& size) {
    return rt::GroupedCount(size.lines) + (size.lines == 1 ? " line" : " lines") + " (" +
           rt::ReadableSize(size.bytes) + ")";
}

}  // namespace

std::string TooLargeMessage(const OutputSize& size, std::uint64_t room, std::string_view whatToDo) {
    return "This run would write " + Lines(size) + " to out.txt, but its disk has only " +
           rt::ReadableSize(room) + " free for it.  Nothing has been written.  " +
           std::string(whatToDo);
}

std::string LargeMessage(const OutputSize& size, std::optional<std::uint64_t> room,
                         std::string_view whatToDo) {
    std::string text = "This run will write " + Lines(size) + " to out.txt";
    if (room) text += ", on a disk with " + rt::ReadableSize(*room) + " free";
    return text + ".  " + std::string(whatToDo);
}

}  // namespace splitword
