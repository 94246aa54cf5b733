#include "runtime_error.h"

#include <gtest/gtest.h>

namespace {

TEST(RuntimeErrors, NumbersAndMeanings) {
    const struct {
        int number;
        const char* meaning;
    } cases[] = {{6, "Overflow"},
                 {9, "Subscript out of range"},
                 {13, "Type mismatch"},
                 {53, "File not found"},
                 {61, "Disk full"},
                 {70, "Permission denied"},
                 {52, "Bad file name or number"},
                 {62, "Input past end of file"}};
    for (const auto& c : cases) {
        const rt::RuntimeError error(c.number);
        EXPECT_EQ(error.number(), c.number);
        EXPECT_STREQ(error.meaning(), c.meaning);
    }
    EXPECT_EQ(rt::UnhandledErrorText(rt::RuntimeError(53)),
              "Run-time error '53':\n\nFile not found");
}

}  // namespace
