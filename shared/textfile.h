#pragma once
// Text files as bytes: lines read in large blocks, lines written through a large buffer.
//
// A line ends at CR LF, at a lone LF or at a lone CR; a last line without a line end comes
// whole, and there is no empty line after a final line end. A UTF-8 byte-order mark at the very
// start of a file is dropped; every other byte passes unchanged. Written lines end with CR LF.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "folder_bounds.h"
#include "input_file.h"

namespace rt {

class LineReader {
  public:
    static constexpr std::size_t kBlockSize = std::size_t{1} << 20;

    // Opens a file for reading as OpenInputFile does: a missing file is error 53; one that may
    // not be read is error 70.
    // `blockSize` is how much is read at a time (tests choose small ones to try every boundary).
    explicit LineReader(const std::filesystem::path& path, std::size_t blockSize = kBlockSize);
    ~LineReader();
    LineReader(LineReader&& other) noexcept;
    LineReader& operator=(LineReader&& other) noexcept;
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // True when no line is left.
    bool atEnd();
    // The next line without its line end; valid until the next call. Past the end: error 62.
    std::string_view readLine();
    void close() noexcept;

    // The size of the file now; 0 when not known.
    std::uint64_t size() const noexcept { return file_.size(); }

  private:
    // Reads more bytes behind the unread ones; false when the file has none left.
    bool fill();

    InputFile file_;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_ = 0;
    std::size_t begin_ = 0;  // first unread byte
    std::size_t end_ = 0;    // one past the last byte read from the file
    bool eof_ = false;
    bool started_ = false;  // the byte-order mark has been looked for
    std::uint64_t at_ = 0;  // where the next block is read from
};

class LineWriter {
  public:
    static constexpr std::size_t kBufferSize = std::size_t{1} << 20;

    // Creates the file, or empties it, as OpenOutputFile does: one that may not be written is
    // error 70.
    explicit LineWriter(const std::filesystem::path& path);
    // Writes what is buffered and closes; failures here are swallowed (the program is ending).
    ~LineWriter();
    LineWriter(LineWriter&& other) noexcept;
    LineWriter& operator=(LineWriter&& other) noexcept;
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    // The bytes as they are; the line stays open for the next call.
    void print(std::string_view text) {
        if (text.size() <= kBufferSize - used_) {
            std::char_traits<char>::copy(buffer_.get() + used_, text.data(), text.size());
            used_ += text.size();
        } else {
            printLarge(text);
        }
    }
    void endLine() { print(std::string_view("\r\n", 2)); }
    void printLine(std::string_view text) {
        print(text);
        endLine();
    }
    // Writes everything buffered so far to the file.
    void flush();
    // Flushes and closes: the file is complete on disk. A failure to write is error 61 (disk
    // full) or 57 (device error).
    void close();

    std::uint64_t bytesWritten() const noexcept { return bytesWritten_ + used_; }

  private:
    void printLarge(std::string_view text);
    void release() noexcept;
    void writeAll(const char* data, std::size_t size);

    int fd_ = -1;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    std::uint64_t bytesWritten_ = 0;
};

}  // namespace rt
