#pragma once
// What a program may open in a folder of data. Folders arrive from other people, as archives that
// can hold symbolic links, hard links, pipes and device names: an input must be a file of the
// folder's own, whose real place lies inside the folder, and an output is never written through
// a link that leads out of it, nor into a file that has another name somewhere else.
//
// Names are resolved from a descriptor of the folder, one name at a time, each opened without
// following links; a link is read and its target resolved the same way. A name swapped for a
// link while a run goes on therefore cannot lead the open out of the folder.

#include <filesystem>

namespace rt {

// Opens `path`, a file of the folder that holds it, for reading and returns its descriptor. A
// missing file is error 53. Error 70 where it exists but cannot be read: no permission, a folder,
// anything but an ordinary file (a pipe, a socket, a device), a link that leads out of the
// folder, or a file with a second name (a hard link), which may be anyone's file. Nothing blocks,
// and not a byte is read.
int OpenInputFile(const std::filesystem::path& path);

// Creates `path` in the folder that holds it, or empties it, for writing; returns its descriptor.
// A file that has a second name is not emptied: the name is given a new file, and the other
// names keep their bytes. Error 70 where it cannot be written: held, read-only, a folder, a pipe
// or a socket, a link whose target (existing or to be created) lies outside the folder, or a file
// that the run reads or writes under another name. A link to /dev/null or /dev/full is written
// through, as is any link inside the folder.
int OpenOutputFile(const std::filesystem::path& path);

// One run of a program. While it lives, the files the run opens are remembered, and an output
// that is one of them under another name (Results.txt a link to Data.txt) is refused before a
// byte of it is changed. One run at a time.
class RunFiles {
  public:
    RunFiles();
    ~RunFiles();
    RunFiles(const RunFiles&) = delete;
    RunFiles& operator=(const RunFiles&) = delete;
};

}  // namespace rt
