#include "bins.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "numbers.h"

namespace binning {

BinSearch::BinSearch(std::span<const double> cutoffs) : count_(cutoffs.size()) {
    cutoffs_.reserve(count_ + 1);
    cutoffs_.assign(cutoffs.begin(), cutoffs.end());
    cutoffs_.push_back(std::numeric_limits<double>::infinity());
    // An even grid of about two cells per cutoff over the span of the cutoffs, so that most
    // cells hold no cutoff or one.
    constexpr std::size_t kMostCells = std::size_t{1} << 16;
    std::size_t cells = 1;
    if (count_ >= 2) {
        const std::size_t wanted = std::min(count_ * 2, kMostCells);
        const double scale = static_cast<double>(wanted) / (cutoffs[count_ - 1] - cutoffs[0]);
        // A span of 0, or one too small or too large for the grid, leaves one cell.
        if (std::isfinite(scale) && scale > 0) {
            cells = wanted;
            finder_.low = cutoffs[0];
            finder_.scale = scale;
        }
    }
    finder_.lastCell = static_cast<double>(cells - 1);
    firstOfCell_.resize(cells + 1);
    std::size_t i = 0;
    for (std::size_t c = 0; c <= cells; ++c) {
        while (i < count_ && finder_.cell(cutoffs[i]) < c) ++i;
        firstOfCell_[c] = static_cast<std::uint32_t>(i);
    }
    finder_.cutoffs = cutoffs_.data();
    finder_.firstOfCell = firstOfCell_.data();
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
