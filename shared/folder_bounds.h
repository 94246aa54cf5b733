#pragma once
// What a program may open in a folder of data. Folders arrive from other people, as archives that
// can hold symbolic links, pipes and device names: an input must be a file whose real place lies
// inside the folder, and an output is never written through a link that leads out of it.

#include <filesystem>

namespace rt {

// Opens `path`, a file of the folder that holds it, for reading and returns its descriptor. A
// missing file is error 53. Error 70 where it exists but cannot be read: no permission, a folder,
// anything but an ordinary file (a pipe, a socket, a device), or a link that leads out of the
// folder. Nothing blocks, and not a byte is read.
int OpenInputFile(const std::filesystem::path& path);

// Creates `path` in the folder that holds it, or empties it, for writing; returns its descriptor.
// Error 70 where it cannot be written: held, read-only, a folder, a pipe or a socket, or a link
// whose target (existing or to be created) lies outside the folder. A link to a character device
// (/dev/null, /dev/full) is written through, as is any link inside the folder.
int OpenOutputFile(const std::filesystem::path& path);

// True when `path`, every link on it followed, names a place strictly below `folder`. Links in
// the folder's own path count as the folder.
bool LeadsInside(const std::filesystem::path& path, const std::filesystem::path& folder);

}  // namespace rt
