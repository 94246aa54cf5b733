#pragma once
// Reading one byte range of Data.txt in blocks and counting its lines: the part of a pass that
// each half runs.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "counting_types.h"
#include "input_file.h"
#include "line_counting.h"

namespace binning {

inline constexpr std::uint64_t kToTheEnd = std::numeric_limits<std::uint64_t>::max();

// The bytes of [begin, end) of a file, read in order; `end` may be kToTheEnd.
class RangeReader {
  public:
    RangeReader(const rt::InputFile& file, std::uint64_t begin, std::uint64_t end)
        : file_(file), at_(begin), end_(end) {}

    // Reads at most `n` bytes into `to`; 0 at the end of the range or of the file.
    std::size_t read(char* to, std::size_t n);

  private:
    const rt::InputFile& file_;
    std::uint64_t at_;
    std::uint64_t end_;
};

// How much of the file the halves have read together; the calling thread tells.
struct ReadSoFar {
    std::atomic<std::uint64_t> bytes{0};
    std::uint64_t size = 0;
};

// The most memory the reading of one range takes: its buffer, which grows while a line is longer,
// at its largest together with the one it replaces.
std::uint64_t MostBufferBytes(const CountingSettings& settings);

// A byte range [begin, end) of a file to count, and how. The range starts at a line start and
// ends at a line end or the file's end; a range from the file's start drops its byte-order mark.
struct RangeCount {
    const rt::InputFile& file;
    const CountingSettings& settings;
    ReadSoFar& soFar;  // what is read is added to it
    std::uint64_t begin = 0;
    std::uint64_t end = kToTheEnd;
    const std::atomic<bool>* stop = nullptr;  // once set, the count stops
    bool tells = true;                        // whether to call the progress
};

// Counts the lines of the range with `lines`, which counts into `tally`. Stops when the range's
// `stop` is set, or when the total passes kMostLines.
void CountRange(const RangeCount& range, LineCounter& lines, const Tally& tally);

}  // namespace binning
