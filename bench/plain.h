#pragma once
// Direct transcriptions of the three jobs' plain algorithms: the linear bin scan over values read
// line by line; every combination built from scratch with the exclusion list scanned in order;
// the quadratic compound scan. They are the baseline of the benchmarks and the reference of the
// fuzz targets, and are never used by the programs.

#include <filesystem>
#include <string>

namespace plain {

// Writes Results.txt in `folder`. Returns the message of a failed rising check (and writes
// nothing), else an empty text. Failures are rt::RuntimeError.
std::string Binning(const std::filesystem::path& folder, bool pairs);

// Writes out.txt in `folder` with the blocks whose bit is set in `blocks` (bit 0: single strings,
// bit 5: six members). Returns false, writing nothing, when exclusion is asked for and
// exclude.txt cannot be read.
bool Chainmaker(const std::filesystem::path& folder, unsigned blocks, const std::string& separator,
                bool exclude);

// Writes Debug.txt and out.txt in `folder` from its in.txt.
void Splitword(const std::filesystem::path& folder, double threshold);

}  // namespace plain
