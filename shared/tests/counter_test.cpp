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

TEST(RuntimeErrors, NumbersAndMeanings) {
    const struct {
        int number;
        const char* meaning;
    } cases[] = {{6, "Overflow"},         {9, "Subscript out of range"},
                 {13, "Type mismatch"},   {53, "File not found"},
                 {61, "Disk full"},       {70, "Permission denied"},
                 {52, "Bad file name or number"}, {62, "Input past end of file"}};
    for (const auto& c : cases) {
        const rt::RuntimeError error(c.number);
        EXPECT_EQ(error.number(), c.number);
        EXPECT_STREQ(error.meaning(), c.meaning);
    }
    EXPECT_EQ(rt::UnhandledErrorText(rt::RuntimeError(53)), "Run-time error '53':\n\nFile not found");
}

}  // namespace
