// The hash filter: never "no" for a hash that was added, "no" for most others.
#include "hash_filter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "hash_seed.h"

namespace {

// A hash spread as the filter's callers spread theirs.
std::uint64_t Spread(std::uint64_t hash) {
    return hash * rt::kGoldenRatio64;
}

TEST(HashFilter, NeverTurnsAwayAHashThatWasAdded) {
    std::mt19937_64 random(11);
    for (const int bits : {7, 12, rt::HashFilter::BitsFor(20000, 32, 12, 24)}) {
        rt::HashFilter filter(bits);
        std::vector<std::uint64_t> added;
        for (int i = 0; i < 20000; ++i) {
            added.push_back(Spread(i % 3 == 0 ? random() : static_cast<std::uint64_t>(i)));
            filter.add(added.back());
        }
        // Through a copy of its view, and after the filter has moved.
        const rt::HashFilter::View view = filter.view();
        for (const std::uint64_t hash : added) ASSERT_TRUE(view.mayContain(hash)) << bits;
        const rt::HashFilter moved = std::move(filter);
        for (const std::uint64_t hash : added) ASSERT_TRUE(moved.mayContain(hash)) << bits;
    }
}

TEST(HashFilter, TurnsAwayMostOtherHashes) {
    rt::HashFilter filter(rt::HashFilter::BitsFor(10000, 32, 12, 24));
    for (std::uint64_t i = 0; i < 10000; ++i) filter.add(Spread(i * 0x100000001B3ull));
    int passed = 0;
    for (std::uint64_t i = 10000; i < 110000; ++i)
        passed += filter.mayContain(Spread(i * 0x100000001B3ull));
    EXPECT_LT(passed, 1000);  // less than 1 in 100
    EXPECT_FALSE(rt::HashFilter().mayContain(0));
}

}  // namespace
