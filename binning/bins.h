#pragma once
// Bins between neighbouring cutoffs, the rule that puts a value into a bin, and bin labels.
//
// A list of n cutoffs c1 <= c2 <= ... <= cn makes n - 1 bins; bin i spans ci to ci+1 with both
// ends included. A value belongs to the first bin that holds it: a value on an inner edge goes
// to the lower bin, and where two neighbouring cutoffs are equal the one-point bin between them
// only ever receives its value when it is the first bin.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace binning {

// The bins of a rising list of cutoffs, prepared so that finding the bin of a value costs about
// the same for ten cutoffs as for ten thousand. Every value falls into one slot, 0 to the number
// of cutoffs: slot 0 below the lowest cutoff, slot i + 1 for bin i, the last slot above the
// highest cutoff (the slot is the index of the first cutoff not below the value, plus one for a
// value on the lowest cutoff). So every value in a bin, and no other, falls into its slot.
class BinSearch {
  public:
    explicit BinSearch(std::span<const double> cutoffs);
    // Copies would point into the original's tables.
    BinSearch(const BinSearch&) = delete;
    BinSearch& operator=(const BinSearch&) = delete;
    BinSearch(BinSearch&&) noexcept = default;

    // How many slots there are: the number of cutoffs plus one.
    std::size_t slots() const noexcept { return count_ + 1; }

    // The slot of bin i (0 for the first bin).
    static constexpr std::size_t slotOfBin(std::size_t bin) noexcept { return bin + 1; }

    // The lookup itself, small enough to live in registers in a counting loop; valid while the
    // BinSearch lives.
    struct Finder {
        const double* cutoffs;             // the cutoffs, then +infinity
        const std::uint32_t* firstOfCell;  // per cell, the first cutoff not in an earlier cell
        double low;
        double scale;     // cells per unit; 0 puts every value into one cell
        double lastCell;  // the number of cells less one

        // The grid cell of x; never smaller for a larger x.
        std::size_t cell(double x) const noexcept {
            double t = (x - low) * scale;
            t = t < 0 ? 0 : t;
            t = t > lastCell ? lastCell : t;
            return static_cast<std::size_t>(t);
        }

        // The slot of x.
        std::size_t slot(double x) const noexcept {
            // Equal or larger values never fall into an earlier cell, so every cutoff of an
            // earlier cell is below x and every cutoff of a later cell above it: only the
            // cutoffs of x's own cell need comparing.
            const std::size_t c = cell(x);
            const double* base = cutoffs + firstOfCell[c];
            std::size_t length = firstOfCell[c + 1] - firstOfCell[c];
            while (length > 1) {
                const std::size_t half = length / 2;
                base = base[half] < x ? base + half : base;
                length -= half;
            }
            // The cutoffs end with +infinity, so *base is there even when the cell holds none.
            const auto index = static_cast<std::size_t>(base - cutoffs) + (*base < x);
            return index + (x == cutoffs[0]);
        }
    };

    const Finder& finder() const noexcept { return finder_; }
    std::size_t slot(double x) const noexcept { return finder_.slot(x); }

  private:
    std::size_t count_;
    std::vector<double> cutoffs_;
    std::vector<std::uint32_t> firstOfCell_;
    Finder finder_{};
};

// The number a line of a cutoff file or of Data.txt stands for: the value of its leading number,
// 0 when it does not begin with one (rt::NumericPrefix). The counting reads the common plain line
// in place instead (rt::ReadPlainNumber), with the same value; every other line comes here.
double NumberValue(std::string_view text);

// The label of the bin from Threshold1 to Threshold2: "[0 - 10]", "[-5 - 5]", "[0.5 - 1]".
std::string BinLabel(const double& Threshold1, const double& Threshold2);

}  // namespace binning
