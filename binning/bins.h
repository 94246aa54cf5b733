#pragma once
// Bins between neighbouring cutoffs, the rule that puts a value into a bin, and bin labels.
//
// A list of n cutoffs c1 <= c2 <= ... <= cn makes n - 1 bins; bin i spans ci to ci+1 with both
// ends included. A value belongs to the first bin that holds it: a value on an inner edge goes
// to the lower bin, and where two neighbouring cutoffs are equal the one-point bin between them
// only ever receives its value when it is the first bin.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace binning {

// The answer of FindBin for a value that lies in no bin.
inline constexpr std::ptrdiff_t kNoBin = -1;

// The bin of x (0 for the first bin) in a rising list of cutoffs, or kNoBin. The same answer as
// trying the bins in order from the first and taking the first whose two ends enclose x, found
// by a binary search.
std::ptrdiff_t FindBin(std::span<const double> cutoffs, double x) noexcept;

// The number a line of a cutoff file or of Data.txt stands for: the value of its leading number,
// 0 when it does not begin with one. Every number the program reads goes through here.
double NumberValue(std::string_view text);

// The label of the bin from Threshold1 to Threshold2: "[0 - 10]", "[-5 - 5]", "[0.5 - 1]".
std::string BinLabel(const double& Threshold1, const double& Threshold2);

}  // namespace binning
