#include "counter.h"

#include <gtest/gtest.h>

#include "runtime_error.h"

namespace {

TEST(Counter32, CountsUpToTheLimitThenFailsWithOverflow) {
    rt::Counter32 counter(2147483645);
    ++counter;
    ++counter;
    EXPECT_EQ(counter.value(), 2147483647);
    try {
        ++counter;
        FAIL() << "no overflow";
    } catch (const rt::RuntimeError& e) {
        EXPECT_EQ(e.number(), 6);
    }
    EXPECT_EQ(counter.value(), 2147483647) << "a failed step leaves the count as it was";
}

TEST(Counter32, AddingPastTheLimitFails) {
    rt::Counter32 counter(2147483000);
    counter += 647;
    EXPECT_EQ(counter.value(), 2147483647);
    EXPECT_THROW(counter += 1, rt::RuntimeError);
}

}  // namespace
