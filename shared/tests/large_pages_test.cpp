// Memory in large pages: what it keeps as it grows, and that it starts as zero bytes.
#include "large_pages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace {

TEST(LargePages, GrowingKeepsTheBytesWhereverTheyMove) {
    rt::LargePages pages(1000);
    std::size_t used = 0;
    std::mt19937 random(5);
    std::vector<char> expected;
    // Small pages, then large ones, then larger ones.
    for (const std::size_t size :
         {std::size_t{5000}, std::size_t{300} << 10, std::size_t{3} << 20, std::size_t{9} << 20}) {
        pages.grow(size, used);
        ASSERT_GE(pages.size(), size);
        for (std::size_t i = 0; i < used; ++i) ASSERT_EQ(pages.data()[i], expected[i]) << i;
        for (; used < size; ++used) {
            expected.push_back(static_cast<char>(random()));
            pages.data()[used] = expected.back();
        }
    }
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), pages.data()));
}

TEST(LargePages, NewMemoryIsZero) {
    const rt::LargePages pages(std::size_t{5} << 20);
    EXPECT_TRUE(std::all_of(pages.data(), pages.data() + (std::size_t{5} << 20),
                            [](char c) { return c == 0; }));
}

TEST(LargeArray, GrowingKeepsTheFirstValuesAndZeroesTheRest) {
    // Large enough that growing moves its pages with what they hold.
    rt::LargeArray<std::uint64_t> values(std::size_t{1} << 15);
    for (std::size_t k = 0; k < values.size(); ++k) values[k] = k + 1;
    values.grow(std::size_t{1} << 20, 40);
    ASSERT_EQ(values.size(), std::size_t{1} << 20);
    for (std::size_t k = 0; k < values.size(); ++k) ASSERT_EQ(values[k], k < 40 ? k + 1 : 0) << k;
}

}  // namespace
