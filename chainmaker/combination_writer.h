#pragma once
// Writing the combinations. A combination of k members is an index tuple (i1, ..., ik); its line
// is entry i1, the separator, entry i2, ..., entry ik. Block k holds all n^k tuples in
// lexicographic order (the last index fastest); blocks come in the order 1 to 6. Every line ends
// with CR LF.

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "combination_types.h"
#include "string_list.h"

namespace chainmaker {

// Creates (or empties) `outPath` before any block is asked about, writes every line of the wanted
// blocks of the first `count` entries of `list` that `exclusion` (when there is one) does not
// hold, and closes the file complete on disk. Memory does not depend on the number of lines.
// Failures are run-time errors (70 when the file cannot be created, 61 or 57 when writing fails).
void WriteCombinations(const std::filesystem::path& outPath, const StringList& list,
                       std::int32_t count, std::string_view separator, const BlockWanted& wanted,
                       const Exclusion* exclusion, const WriteProgress& progress = nullptr);

}  // namespace chainmaker
