#pragma once
// Direct transcriptions of the three jobs' plain algorithms: the linear bin scan over values read
// line by line; every combination built from scratch with the exclusion list scanned in order;
// the quadratic compound scan. They are the reference of the tests, the fuzz targets and the
// bad-input suite, and the baseline of the benchmark; the programs never use them.

#include <filesystem>
#include <string>
#include <vector>

namespace reference {

// Writes Results.txt in `folder`. Returns the message of a failed rising check (and writes
// nothing), else an empty text. Failures are rt::RuntimeError.
std::string Binning(const std::filesystem::path& folder, bool pairs);

// Every line of the blocks whose bit is set in `blocks` (bit 0: single strings, bit 5: six
// members) in the order written, each formed anew from its members and followed by CR LF, leaving
// out the lines equal to an entry of `excluded` (when given), which is scanned in order.
std::string Combinations(const std::vector<std::string>& list, const std::string& separator,
                         unsigned blocks, const std::vector<std::string>* excluded);

// Writes the lines of Combinations to out.txt in `folder`, from its in.txt (and exclude.txt, when
// `exclude` is set). Returns false, writing nothing, when exclusion is asked for and exclude.txt
// cannot be read.
bool Chainmaker(const std::filesystem::path& folder, unsigned blocks, const std::string& separator,
                bool exclude);

// Writes Debug.txt and out.txt in `folder` from its in.txt.
void Splitword(const std::filesystem::path& folder, double threshold);

}  // namespace reference
