#pragma once
// The output of a combination run gathered in a large chunk in front of an rt::LineWriter.
//
// Lines are formed straight into the chunk, and a full chunk is handed to the LineWriter in one
// piece, which it writes with one write(2) without copying it into its own buffer. (Writing a
// chunk on a second thread while the next one fills was measured to be slower: the chunk's
// cache lines then travel between the cores.)

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>

#include "padded_buffer.h"
#include "textfile.h"

namespace chainmaker {

class ChunkWriter {
  public:
    // The chunk is handed over once it holds this much: just more than the LineWriter's own
    // buffer, so that the LineWriter writes it directly instead of copying it into its buffer.
    // (Larger writes were measured to cost the kernel more here: writing 1 GB in pieces of
    // 1.5 or 2 MiB took up to several times as long as in pieces of 1 MiB and a byte.)
    static constexpr std::size_t kChunk = rt::LineWriter::kBufferSize + 1;
    // Free room behind the cursor whenever the chunk is not yet full.
    static constexpr std::size_t kRoom = std::size_t{256} << 10;

    // `handedOver`, when set, is called after each chunk with the bytes handed over so far.
    explicit ChunkWriter(rt::LineWriter& out,
                         std::function<void(std::uint64_t)> handedOver = nullptr)
        : out_(out),
          handedOver_(std::move(handedOver)),
          chunk_(kChunk + kRoom, rt::PaddedBuffer::Memory::kLargePages) {}
    // What was formed and not yet handed over goes to the LineWriter unless writing failed
    // before, failures swallowed (as the LineWriter's destructor does with its buffer).
    ~ChunkWriter();
    ChunkWriter(const ChunkWriter&) = delete;
    ChunkWriter& operator=(const ChunkWriter&) = delete;

    // Where the next byte goes, and how many bytes may go there (rt::kPadding more may be
    // scribbled: copies in whole 16-byte pieces run past the end of what they copy).
    char* cursor() const noexcept { return chunk_.data() + used_; }
    std::size_t room() const noexcept { return kChunk + kRoom - used_; }
    // The bytes up to `end` are formed; a full chunk is handed over. Then room() >= kRoom.
    void advance(char* end) {
        used_ = static_cast<std::size_t>(end - chunk_.data());
        if (used_ >= kChunk) handOver();
    }
    // Bytes of any length, in order behind the ones formed so far.
    void append(std::string_view text);
    // Everything formed reaches the LineWriter. A failure to write is thrown.
    void finish() { handOver(); }

  private:
    void handOver();
    void print(std::string_view text);

    rt::LineWriter& out_;
    std::function<void(std::uint64_t)> handedOver_;
    std::uint64_t total_ = 0;
    rt::PaddedBuffer chunk_;
    std::size_t used_ = 0;
    bool failed_ = false;  // a failure to write was thrown; nothing more is written
};

}  // namespace chainmaker
