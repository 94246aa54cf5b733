#include "bins.h"

#include <algorithm>

#include "numbers.h"

namespace binning {

std::ptrdiff_t FindBin(std::span<const double> cutoffs, double x) noexcept {
    const std::size_t n = cutoffs.size();
    if (n < 2) return kNoBin;
    // The first cutoff not below x. Every cutoff before it is below x, so the bin that ends at it
    // is the first bin whose upper end reaches x, and its lower end is below x.
    const auto j = static_cast<std::size_t>(std::lower_bound(cutoffs.begin(), cutoffs.end(), x) -
                                            cutoffs.begin());
    if (j == n) return kNoBin;  // above the highest cutoff
    if (j > 0) return static_cast<std::ptrdiff_t>(j - 1);
    return x == cutoffs[0] ? 0 : kNoBin;  // on the lowest cutoff, or below it
}

double NumberValue(std::string_view text) {
    return rt::NumericPrefix(text);
}

std::string BinLabel(const double& Threshold1, const double& Threshold2) {
    std::string label = "[";
    label += rt::NumberText(Threshold1);
    label += " - ";
    label += rt::NumberText(Threshold2);
    label += ']';
    return label;
}

}  // namespace binning
