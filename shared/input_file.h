#pragma once
// A file of data opened for reading and read in blocks: the one way every program reads a file.

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace rt {

class InputFile {
  public:
    // Opens a file as OpenInputFile does: a missing file is error 53; one that may not be read
    // (anything but an ordinary file of its folder) is error 70.
    explicit InputFile(const std::filesystem::path& path);
    ~InputFile();
    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&& other) noexcept;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    void close() noexcept;

    // The size of the file now (it may have changed since it was opened); 0 when not known.
    std::uint64_t size() const noexcept;

    // Reads at most `n` bytes from `offset` on into `to`; 0 at the end of the file. Error 57 when
    // reading fails, 70 for a folder. Threads may read at once.
    std::size_t readAt(std::uint64_t offset, char* to, std::size_t n) const;

    // Where the text of the file starts: after a UTF-8 byte-order mark at its very start (3),
    // else at 0.
    std::uint64_t textStart() const;

  private:
    int fd_ = -1;
};

}  // namespace rt
