#include "text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TabCase {
    std::string line, before, after;
};

TEST(TabFields, SplitAtTheFirstTab) {
    const TabCase cases[] = {
        {"", "", ""},           {"abc", "abc", ""},
        {"\tabc", "", "abc"},   {"abc\t", "abc", ""},
        {"\t", "", ""},         {"a\tb\tc", "a", "b\tc"},
        {"a\t\tb", "a", "\tb"}, {"1 \t 2", "1 ", " 2"},
        {"a b", "a b", ""},     {std::string("x\0y\tz", 5), std::string("x\0y", 3), "z"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(rt::TextBeforeTab(c.line), c.before);
        EXPECT_EQ(rt::TextAfterTab(c.line), c.after);
        if (c.line.find('\t') != std::string::npos) {
            EXPECT_EQ(std::string(rt::TextBeforeTab(c.line)) + "\t" +
                          std::string(rt::TextAfterTab(c.line)),
                      c.line);
        }
    }
    // The second field is the first field of what follows the first tab.
    EXPECT_EQ(rt::TextBeforeTab(rt::TextAfterTab("1\t2\t3")), "2");
}

}  // namespace
