// The pieces under the combination writer: the string list and the chunk writer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "chunk_writer.h"
#include "string_list.h"
#include "temp_folder.h"

namespace {

using chainmaker::StringList;

TEST(StringList, KeepsEveryEntryAsItGrowsIntoLargePages) {
    // Some 6 MB of text in entries of all sizes, past the small pages and past several large
    // ones, the empty string included.
    std::mt19937 random(3);
    std::vector<std::string> expected;
    StringList list;
    for (int i = 0; i < 60000; ++i) {
        std::string entry(random() % 200, ' ');
        for (char& c : entry) c = static_cast<char>(random());
        list.push_back(entry);
        expected.push_back(entry);
    }
    ASSERT_EQ(list.size(), expected.size());
    EXPECT_EQ(list.strings(), expected);
}

TEST(StringList, AnEntryOfItsOwnCanBeAppendedWhileItGrows) {
    StringList list{"first"};
    for (int i = 0; i < 20; ++i)
        list.push_back(
            list[list.size() - 1].size() < 100000 ? std::string(list[list.size() - 1]) + "x" : "");
    for (int i = 0; i < 16; ++i) list.push_back(list[0]);  // the text moves as it grows
    list.push_back(std::string(1 << 20, 'b'));
    list.push_back(list[list.size() - 1]);
    EXPECT_EQ(list[21], "first");
    EXPECT_EQ(list[36], "first");
    EXPECT_EQ(list[list.size() - 1], std::string(1 << 20, 'b'));
    EXPECT_EQ(list[20], "first" + std::string(20, 'x'));
}

TEST(StringList, CopiesAndComparesByEntries) {
    const StringList a{"x", "", "y z"};
    StringList b = a;
    EXPECT_TRUE(a == b);
    b.push_back("w");
    EXPECT_FALSE(a == b);
    b = a;
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a == (StringList{"x", "y z", ""}));
    EXPECT_NE(std::find(a.begin(), a.end(), "y z"), a.end());
    EXPECT_EQ(a.end() - a.begin(), 3);
    EXPECT_TRUE(StringList().empty());
}

// Bytes formed in the chunk and appended small and large reach the file in order.
TEST(ChunkWriter, AppendsAndFormedBytesKeepTheirOrder) {
    testing_support::TempFolder folder;
    std::string expected;
    {
        rt::LineWriter out(folder / "out.txt");
        chainmaker::ChunkWriter writer(out);
        std::mt19937 random(17);
        for (int piece = 0; piece < 200; ++piece) {
            const std::size_t size = piece % 40 == 7 ? (3 << 20) : random() % 60000;
            const std::string text(size, static_cast<char>('a' + piece % 26));
            if (piece % 2 == 0 && size + 64 <= writer.room()) {
                std::copy(text.begin(), text.end(), writer.cursor());
                writer.advance(writer.cursor() + size);
            } else {
                writer.append(text);
            }
            expected += text;
        }
        writer.finish();
        out.close();
    }
    EXPECT_TRUE(folder.read("out.txt") == expected);
}

}  // namespace
