#pragma once
// What a folder holds, taken before a run and compared after it: every entry by name, a file with
// all its bytes, a symbolic link with its target (never followed, so that a link to a device is
// not read), a folder with the names inside it.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace badinput {

struct Entry {
    enum class Kind { File, Folder, Link, Other };
    Kind kind = Kind::Other;
    std::string bytes;  // a file's contents, a link's target, a folder's names one a line

    bool operator==(const Entry&) const = default;
};

using Snapshot = std::map<std::string, Entry>;

// `leaveOut` names entries whose contents are not read (they are listed with kind Other).
Snapshot TakeSnapshot(const std::filesystem::path& folder,
                      const std::set<std::string>& leaveOut = {});

// The differences between `before` and the folder now, one text each, leaving out the names in
// `outputs` (the files a run may write, checked on their own). Empty when nothing else changed:
// no entry changed, vanished or appeared.
std::vector<std::string> ChangesBesides(const Snapshot& before, const std::filesystem::path& folder,
                                        const std::set<std::string>& outputs);

// The difference of one entry: empty when `name` is now as it was in `before` (absent then and
// now counts as the same).
std::string ChangeOf(const Snapshot& before, const std::filesystem::path& folder,
                     const std::string& name);

// Whether the file at `path` holds exactly `expected`; otherwise where it first differs.
::testing::AssertionResult FileHolds(const std::filesystem::path& path, std::string_view expected);

// The bytes of a file; an empty text when it cannot be read.
std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, std::string_view bytes);

// Where two texts first differ, for failure messages about big files (which are not printed).
std::string FirstDifference(std::string_view actual, std::string_view expected);

}  // namespace badinput
