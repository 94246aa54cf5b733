#include "folder_snapshot.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace badinput {

namespace fs = std::filesystem;

namespace {

Entry EntryOf(const fs::path& path) {
    Entry entry;
    const fs::file_status status = fs::symlink_status(path);
    if (fs::is_symlink(status)) {
        entry.kind = Entry::Kind::Link;
        entry.bytes = fs::read_symlink(path).string();
    } else if (fs::is_directory(status)) {
        entry.kind = Entry::Kind::Folder;
        std::vector<std::string> names;
        for (const auto& inner : fs::directory_iterator(path))
            names.push_back(inner.path().filename().string());
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) entry.bytes += name + "\n";
    } else if (fs::is_regular_file(status)) {
        entry.kind = Entry::Kind::File;
        entry.bytes = ReadBytes(path);
    }
    return entry;
}

const char* KindName(Entry::Kind kind) {
    switch (kind) {
        case Entry::Kind::File: return "file";
        case Entry::Kind::Folder: return "folder";
        case Entry::Kind::Link: return "link";
        case Entry::Kind::Other: break;
    }
    return "other";
}

std::string Describe(const std::string& name, const Entry& was, const Entry& is) {
    if (was.kind != is.kind)
        return name + ": was a " + KindName(was.kind) + ", is a " + KindName(is.kind);
    return name + ": " + KindName(is.kind) + " changed (" + FirstDifference(is.bytes, was.bytes) +
           ")";
}

}  // namespace

Snapshot TakeSnapshot(const fs::path& folder, const std::set<std::string>& leaveOut) {
    Snapshot snapshot;
    for (const auto& item : fs::directory_iterator(folder)) {
        std::string name = item.path().filename().string();
        Entry entry;
        if (!leaveOut.count(name)) entry = EntryOf(item.path());
        snapshot.emplace(std::move(name), std::move(entry));
    }
    return snapshot;
}

std::vector<std::string> ChangesBesides(const Snapshot& before, const fs::path& folder,
                                        const std::set<std::string>& outputs) {
    std::vector<std::string> changes;
    const Snapshot after = TakeSnapshot(folder, outputs);
    for (const auto& [name, was] : before) {
        if (outputs.count(name)) continue;
        const auto now = after.find(name);
        if (now == after.end()) {
            changes.push_back(name + ": gone");
        } else if (!(now->second == was)) {
            changes.push_back(Describe(name, was, now->second));
        }
    }
    for (const auto& [name, is] : after) {
        if (!outputs.count(name) && !before.count(name)) changes.push_back(name + ": new");
    }
    return changes;
}

std::string ChangeOf(const Snapshot& before, const fs::path& folder, const std::string& name) {
    const auto was = before.find(name);
    const fs::path path = folder / name;
    const bool present = fs::exists(fs::symlink_status(path));
    if (was == before.end()) return present ? name + ": new" : "";
    if (!present) return name + ": gone";
    const Entry now = EntryOf(path);
    return now == was->second ? "" : Describe(name, was->second, now);
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes;
    if (!in) return bytes;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size > 0) {
        bytes.resize(static_cast<std::size_t>(size));
        in.read(bytes.data(), size);
        bytes.resize(static_cast<std::size_t>(in.gcount()));
    }
    return bytes;
}

void WriteBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string FirstDifference(std::string_view actual, std::string_view expected) {
    const auto [a, e] =
        std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    const std::size_t at = static_cast<std::size_t>(a - actual.begin());
    if (a == actual.end() && e == expected.end()) return "the same";
    return "first difference at byte " + std::to_string(at) + " of " +
           std::to_string(actual.size()) + " (expected " + std::to_string(expected.size()) +
           " bytes)";
}

}  // namespace badinput

namespace badinput {

::testing::AssertionResult FileHolds(const std::filesystem::path& path, std::string_view expected) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return ::testing::AssertionFailure() << path.filename() << " cannot be read";
    // Compared a block at a time, so that a file of 100 MB is not held twice.
    std::string block(std::size_t{1} << 20, '\0');
    std::size_t at = 0;
    for (;;) {
        in.read(block.data(), static_cast<std::streamsize>(block.size()));
        const std::size_t got = static_cast<std::size_t>(in.gcount());
        if (got == 0) break;
        const std::string_view part(block.data(), got);
        const std::string_view wanted = expected.substr(std::min(at, expected.size()), got);
        if (part != wanted) {
            return ::testing::AssertionFailure()
                   << path.filename() << ": bytes from " << at << " differ ("
                   << FirstDifference(part, wanted) << " in this block)"
                   << (expected.size() < 4096
                           ? "\nexpected: " + ::testing::PrintToString(std::string(expected))
                           : "");
        }
        at += got;
    }
    if (at != expected.size()) {
        return ::testing::AssertionFailure()
               << path.filename() << " holds " << at << " bytes, expected " << expected.size();
    }
    return ::testing::AssertionSuccess();
}

}  // namespace badinput
