// The size of a run worked out before it writes: it must be the bytes the run then writes, never
// wrap however many strings and blocks, and read as people read sizes.
#include "output_size.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <string>

#include "combination_writer.h"
#include "temp_folder.h"

namespace {

using chainmaker::BigCount;
using chainmaker::OutputSize;
using chainmaker::SizeVerdict;

TEST(OutputSize, IsWhatTheRunWrites) {
    std::mt19937 random(5);
    testing_support::TempFolder folder;
    for (int round = 0; round < 20; ++round) {
        chainmaker::StringList list;
        const int n = static_cast<int>(random() % 6);
        for (int i = 0; i < n; ++i) list.push_back(std::string(random() % 4, 'x'));
        const std::string separator(random() % 3, '-');
        const unsigned blocks = random() % 64;
        const chainmaker::BlockWanted wanted = [&](int k) { return (blocks >> (k - 1)) & 1; };
        chainmaker::WriteCombinations(folder / "out.txt", list, n, separator, wanted, nullptr);
        const std::string written = folder.read("out.txt");
        const OutputSize size = chainmaker::SizeOfOutput(list, n, separator.size(), wanted);
        ASSERT_EQ(size.bytes, written.size()) << round;
        std::size_t lines = 0;
        for (std::size_t at = 0; (at = written.find("\r\n", at)) != std::string::npos; at += 2)
            ++lines;
        ASSERT_EQ(size.lines, lines) << round;
    }
}

TEST(OutputSize, GrowsBeyondSixtyFourBitsAndSaturatesInsteadOfWrapping) {
    const auto all = [](int) { return true; };
    chainmaker::StringList hundred;
    for (int i = 0; i < 100; ++i) hundred.push_back("0123456789");
    const OutputSize six = chainmaker::SizeOfOutput(hundred, 100, 1, [](int k) { return k == 6; });
    EXPECT_EQ(six.lines, BigCount{1000000000000});
    EXPECT_EQ(six.bytes, BigCount{1000000000000} * (60 + 5 + 2));

    chainmaker::StringList many;
    for (int i = 0; i < 1000000; ++i) many.push_back("word");
    const BigCount million = 1000000;
    const OutputSize large =
        chainmaker::SizeOfOutput(many, 1000000, 1, [](int k) { return k == 6; });
    EXPECT_EQ(large.lines, million * million * million * million * million * million);
    EXPECT_EQ(large.bytes, large.lines * (24 + 5 + 2));
    // 3 million strings in block six: more lines than 128 bits count.
    for (int i = 0; i < 2000000; ++i) many.push_back("w");
    const OutputSize huge = chainmaker::SizeOfOutput(many, 3000000, 1, all);
    EXPECT_EQ(huge.lines, std::numeric_limits<BigCount>::max());
    EXPECT_EQ(huge.bytes, std::numeric_limits<BigCount>::max());
    EXPECT_EQ(chainmaker::JudgeSize(huge, std::uint64_t{1} << 40), SizeVerdict::TooLarge);
}

TEST(OutputSize, VerdictAndTexts) {
    const std::uint64_t gib = std::uint64_t{1} << 30;
    struct Case {
        BigCount bytes;
        std::optional<std::uint64_t> room;
        SizeVerdict verdict;
    } const cases[] = {
        {1000, 100 * gib, SizeVerdict::Fits},
        {10 * gib, 100 * gib, SizeVerdict::Fits},
        {10 * gib + 1, 100 * gib, SizeVerdict::Large},
        {6 * gib, 10 * gib, SizeVerdict::Large},  // more than half of what is free
        {11 * gib, 11 * gib, SizeVerdict::Large},
        {11 * gib + 1, 11 * gib, SizeVerdict::TooLarge},
        {11 * gib, std::nullopt, SizeVerdict::Large},  // a device: nothing to compare with
        {gib, std::nullopt, SizeVerdict::Fits},
    };
    for (const Case& c : cases)
        EXPECT_EQ(chainmaker::JudgeSize({1, c.bytes}, c.room), c.verdict)
            << static_cast<std::uint64_t>(c.bytes);

    const std::pair<BigCount, const char*> sizes[] = {
        {0, "0 bytes"},
        {1, "1 byte"},
        {1023, "1,023 bytes"},
        {1024, "1.0 KiB"},
        {1075, "1.0 KiB"},
        {1076, "1.1 KiB"},
        {1048575, "1,024.0 KiB"},
        {1048576, "1.0 MiB"},
        {49284145971, "45.9 GiB"},
        {BigCount{12346} * (BigCount{1} << 40) / 10, "1,234.6 TiB"},
    };
    for (const auto& [bytes, text] : sizes) EXPECT_EQ(chainmaker::ReadableSize(bytes), text);
    EXPECT_EQ(chainmaker::GroupedCount(1111110), "1,111,110");
    EXPECT_EQ(chainmaker::GroupedCount(999), "999");

    EXPECT_EQ(chainmaker::TooLargeMessage({1111110, 45900000000}, 12300000000, true),
              "This run would write at most 1,111,110 lines (42.7 GiB) to out.txt, but its disk "
              "has only 11.5 GiB free for it.  Nothing has been written.  Tick fewer blocks, or "
              "put fewer strings into in.txt, and click Go again.");
}

}  // namespace
