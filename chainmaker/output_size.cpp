#include "output_size.h"

#include <algorithm>

#include "chainmaker_files.h"

namespace chainmaker {
namespace {

rt::WrittenSize Written(const OutputSize& size, bool bounded) {
    return {size.lines, size.bytes, bounded, false};
}

}  // namespace

OutputSize SizeOfOutput(const StringList& list, std::int32_t count, std::size_t separatorLength,
                        const BlockWanted& wanted) {
    const std::size_t n =
        std::min(static_cast<std::size_t>(std::max(count, std::int32_t{0})), list.size());
    BigCount text = 0;  // the strings' bytes, all together
    for (std::size_t i = 0; i < n; ++i) text += list[i].size();
    OutputSize size;
    BigCount tuples = 1;  // n^(k-1), then n^k
    for (int k = 1; k <= kMaxMembers; ++k) {
        const BigCount before = tuples;  // n^(k-1)
        tuples = rt::SaturatingTimes(tuples, n);
        if (!wanted(k)) continue;
        // Each string stands k * n^(k-1) times in block k; each line has k-1 separators and CR LF.
        const BigCount members = rt::SaturatingTimes(rt::SaturatingTimes(k, before), text);
        const BigCount rest =
            rt::SaturatingTimes(tuples, static_cast<BigCount>(k - 1) * separatorLength + 2);
        size.lines = rt::SaturatingPlus(size.lines, tuples);
        size.bytes = rt::SaturatingPlus(size.bytes, rt::SaturatingPlus(members, rest));
    }
    return size;
}

SizeVerdict JudgeSize(const OutputSize& size, std::optional<std::uint64_t> room) {
    return rt::JudgeSize(size.bytes, room);
}

std::string TooLargeMessage(const OutputSize& size, std::uint64_t room, bool bounded,
                            std::string_view whatToDo) {
    return rt::TooLargeForDiskMessage(Written(size, bounded), kOutputName, room, whatToDo);
}

std::string LargeMessage(const OutputSize& size, std::optional<std::uint64_t> room, bool bounded,
                         std::string_view whatToDo) {
    return rt::LargeForDiskMessage(Written(size, bounded), kOutputName, room, whatToDo);
}

}  // namespace chainmaker
