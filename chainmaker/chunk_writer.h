#pragma once
// The output of a combination run gathered in large chunks in front of an rt::LineWriter.
//
// Lines are formed straight into a chunk. A full chunk goes to a second thread, which hands it
// to the LineWriter (write(2) of the whole chunk at once) while the next chunk fills: forming
// and writing overlap, and the bytes reach the file in the order they were formed. The thread
// starts with the first full chunk, so a small output never starts one.

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <string_view>
#include <thread>

#include "large_pages.h"
#include "textfile.h"

namespace chainmaker {

class ChunkWriter {
  public:
    // Each of the two chunks lives in this much memory (one large page).
    static constexpr std::size_t kBuffer = std::size_t{2} << 20;
    // Free room behind the cursor whenever the chunk is not yet full.
    static constexpr std::size_t kRoom = std::size_t{256} << 10;
    // Bytes past the room that may be written (and are then overwritten or dropped): room for
    // copies in whole 16-byte pieces that run past the end of what they copy.
    static constexpr std::size_t kSlack = 64;
    // A chunk is handed over once it holds this much. At least the LineWriter's own buffer
    // size, so that the LineWriter writes it directly instead of copying it into its buffer.
    static constexpr std::size_t kChunk = kBuffer - kRoom - kSlack;
    static_assert(kChunk >= rt::LineWriter::kBufferSize);

    // With `background` false (or when no thread can be had) chunks are written on this thread.
    explicit ChunkWriter(rt::LineWriter& out, bool background = true);
    // Waits for the thread. Without an earlier failure to write, what was formed and not yet
    // handed over goes to the LineWriter, failures swallowed (as the LineWriter's destructor
    // does with its buffer).
    ~ChunkWriter();
    ChunkWriter(const ChunkWriter&) = delete;
    ChunkWriter& operator=(const ChunkWriter&) = delete;

    // Where the next byte goes, and how many bytes may go there (kSlack more may be scribbled).
    char* cursor() const noexcept { return chunk_ + used_; }
    std::size_t room() const noexcept { return kChunk + kRoom - used_; }
    // The bytes up to `end` are formed; a full chunk is handed over. Then room() >= kRoom.
    void advance(char* end) {
        used_ = static_cast<std::size_t>(end - chunk_);
        if (used_ >= kChunk) handOver();
    }
    // Bytes of any length, in order behind the ones formed so far.
    void append(std::string_view text);
    // Everything formed reaches the LineWriter; the thread ends. A failure to write, here or
    // earlier on the thread, is thrown.
    void finish();

  private:
    void handOver();
    // Waits until the thread has written what it was given; throws its failure.
    void waitIdle();
    void stopThread() noexcept;
    // On this thread, the other one being idle.
    void printNow(std::string_view text);
    void writeLoop();

    rt::LineWriter& out_;
    LargePages storage_;  // the two chunks, kBuffer bytes each
    char* chunk_;         // the chunk being filled
    std::size_t used_ = 0;
    bool background_;

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::string_view job_;  // given to the thread; empty when it is idle
    bool stop_ = false;
    std::exception_ptr failure_;  // the thread's failure to write
    bool failed_ = false;         // a failure was thrown; nothing more is written
};

}  // namespace chainmaker
