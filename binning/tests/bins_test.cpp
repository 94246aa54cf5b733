#include "bins.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace {

using binning::BinLabel;
using binning::BinSearch;
using binning::NumberValue;

// The answer for a value that lies in no bin.
constexpr std::ptrdiff_t kNoBin = -1;

// The plain rule: bins tried from the first, both ends included, the first match wins.
std::ptrdiff_t ScanForBin(const std::vector<double>& c, double x) {
    for (std::size_t i = 0; i + 1 < c.size(); ++i) {
        if (c[i] <= x && x <= c[i + 1]) return static_cast<std::ptrdiff_t>(i);
    }
    return kNoBin;
}

// The bin whose slot is `slot` among the slots of `cutoffs` cutoffs, or kNoBin. The bins' slots
// follow one another from that of the first bin.
std::ptrdiff_t BinOfSlot(std::size_t slot, std::size_t cutoffs) {
    const std::size_t first = BinSearch::slotOfBin(0);
    const std::size_t bins = cutoffs < 2 ? 0 : cutoffs - 1;
    if (slot < first || slot - first >= bins) return kNoBin;
    return static_cast<std::ptrdiff_t>(slot - first);
}

// The bin BinSearch puts x into, or kNoBin.
std::ptrdiff_t FindBin(const std::vector<double>& cutoffs, double x) {
    return BinOfSlot(BinSearch(cutoffs).slot(x), cutoffs.size());
}

struct BinCase {
    std::vector<double> cutoffs;
    double x;
    std::ptrdiff_t bin;
};

class FindBinTest : public ::testing::TestWithParam<BinCase> {};

TEST_P(FindBinTest, GivesTheFirstBinThatHoldsTheValue) {
    const BinCase& c = GetParam();
    EXPECT_EQ(FindBin(c.cutoffs, c.x), c.bin);
    EXPECT_EQ(ScanForBin(c.cutoffs, c.x), c.bin);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindBinTest,
    ::testing::Values(
        // 1, 2, 3: an inner edge goes to the lower bin, both outer edges are inside.
        BinCase{{1, 2, 3}, 1, 0}, BinCase{{1, 2, 3}, 1.5, 0}, BinCase{{1, 2, 3}, 2, 0},
        BinCase{{1, 2, 3}, 2.5, 1}, BinCase{{1, 2, 3}, 3, 1}, BinCase{{1, 2, 3}, 0.99, kNoBin},
        BinCase{{1, 2, 3}, 3.01, kNoBin},
        // 1, 1, 2: the one-point first bin takes every 1.
        BinCase{{1, 1, 2}, 1, 0}, BinCase{{1, 1, 2}, 1.5, 1}, BinCase{{1, 1, 2}, 2, 1},
        // 1, 2, 2, 3: the one-point bin [2 - 2] never receives anything.
        BinCase{{1, 2, 2, 3}, 2, 0}, BinCase{{1, 2, 2, 3}, 2.5, 2}, BinCase{{1, 2, 2, 3}, 3, 2},
        // Runs of equal cutoffs.
        BinCase{{0, 5, 5, 5, 9}, 5, 0}, BinCase{{5, 5, 5}, 5, 0}, BinCase{{5, 5, 5}, 6, kNoBin},
        // Negative values and -0.
        BinCase{{-5, 5}, -5, 0}, BinCase{{-5, 0, 5}, -0.0, 0}, BinCase{{-0.0, 1}, 0, 0},
        // No bin without two cutoffs.
        BinCase{{}, 0, kNoBin}, BinCase{{7}, 7, kNoBin}));

TEST(FindBinTest, AgreesWithThePlainScanOnRandomCutoffs) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> length(0, 12);
    std::uniform_int_distribution<int> small(-6, 6);
    for (int round = 0; round < 20000; ++round) {
        // Few distinct values, so that repeated cutoffs and values on edges are common.
        std::vector<double> cutoffs(static_cast<std::size_t>(length(random)));
        for (double& c : cutoffs) c = small(random) / 2.0;
        std::sort(cutoffs.begin(), cutoffs.end());
        for (int k = 0; k < 8; ++k) {
            const double x = small(random) / 2.0 + ((k % 4 == 3) ? 0.25 : 0.0);
            ASSERT_EQ(FindBin(cutoffs, x), ScanForBin(cutoffs, x))
                << "round " << round << ", value " << x;
        }
    }
}

TEST(BinLabelTest, ShowsBothCutoffsAsNumberText) {
    const struct {
        double low, high;
        const char* label;
    } cases[] = {
        {0, 10, "[0 - 10]"},
        {-5, 5, "[-5 - 5]"},
        {0.5, 1, "[0.5 - 1]"},
        {-0.25, 0, "[-0.25 - 0]"},
        {1e15, 2e15, "[1E+15 - 2E+15]"},
        {7, 7, "[7 - 7]"},
    };
    for (const auto& c : cases) EXPECT_EQ(BinLabel(c.low, c.high), c.label);
}

TEST(NumberValueTest, ReadsTheLeadingNumber) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"12 apples", 12}, {"1 000", 1000}, {"apples", 0}, {"", 0},     {"007", 7},
        {"-2.5", -2.5},    {"\t3", 3},      {"1e3", 1000}, {".5", 0.5},
    };
    for (const auto& c : cases) EXPECT_EQ(NumberValue(c.text), c.value) << c.text;
}

// ---- The bin search -----------------------------------------------------------------------------

void ExpectSameBinsAsThePlainScan(const std::vector<double>& cutoffs,
                                  const std::vector<double>& xs) {
    const binning::BinSearch search(cutoffs);
    ASSERT_EQ(search.slots(), cutoffs.size() + 1);
    for (const double x : xs) {
        const std::size_t slot = search.slot(x);
        ASSERT_LT(slot, search.slots());
        ASSERT_EQ(BinOfSlot(slot, cutoffs.size()), ScanForBin(cutoffs, x))
            << "value " << x << " among " << cutoffs.size() << " cutoffs from "
            << (cutoffs.empty() ? 0 : cutoffs.front());
    }
}

// Values on, next to and between the cutoffs, and far outside them.
std::vector<double> ValuesAround(const std::vector<double>& cutoffs) {
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> xs = {0.0, -0.0, 1.0, -1.0, 1e308, -1e308, 5e-324, -5e-324};
    for (std::size_t i = 0; i < cutoffs.size(); ++i) {
        const double c = cutoffs[i];
        for (const double x : {c, std::nextafter(c, inf), std::nextafter(c, -inf)})
            if (std::isfinite(x)) xs.push_back(x);
        if (i + 1 < cutoffs.size()) xs.push_back(c / 2 + cutoffs[i + 1] / 2);
    }
    return xs;
}

TEST(BinSearchTest, AgreesWithThePlainScanOnOddCutoffs) {
    const std::vector<std::vector<double>> lists = {
        {},
        {7},
        {5, 5, 5},
        {-0.0, 0.0},
        {0.0, -0.0, 0.0, 1},
        {-1e308, 1e308},  // a span beyond the largest double
        {0, 5e-324},      // a span too small for a grid
        {1, 1, 2, 2, 3, 3},
        {-1e300, -1e-300, 0, 1e-300, 1e300},
        {0.1, 0.2, 0.3, 0.30000000000000004},
    };
    for (const auto& cutoffs : lists) {
        ExpectSameBinsAsThePlainScan(cutoffs, ValuesAround(cutoffs));
    }
}

TEST(BinSearchTest, AgreesWithThePlainScanOnRandomCutoffs) {
    std::mt19937_64 random(4242);
    for (int round = 0; round < 3000; ++round) {
        const std::size_t n = random() % 60;
        std::vector<double> cutoffs(n);
        const int kind = static_cast<int>(random() % 3);
        for (double& c : cutoffs) {
            if (kind == 0)
                c = static_cast<double>(static_cast<int>(random() % 13) - 6) / 2;
            else if (kind == 1)
                c = std::ldexp(static_cast<double>(random() % 1000), -20);
            else
                c = std::exp(static_cast<double>(random() % 4000) / 50.0 - 40.0);
        }
        std::sort(cutoffs.begin(), cutoffs.end());
        std::vector<double> xs = ValuesAround(cutoffs);
        for (int k = 0; k < 20; ++k)
            xs.push_back(static_cast<double>(static_cast<std::int64_t>(random() % 2001) - 1000) /
                         64.0);
        ExpectSameBinsAsThePlainScan(cutoffs, xs);
    }
}

TEST(BinSearchTest, ManyCutoffsCrowdedIntoFewCells) {
    // Cutoffs growing tenfold every hundred: most fall into the first cells of an even grid.
    std::vector<double> cutoffs;
    for (int i = 0; i < 10000; ++i) cutoffs.push_back(std::pow(10.0, i / 100.0 - 50.0));
    std::vector<double> xs = ValuesAround(cutoffs);
    ExpectSameBinsAsThePlainScan(cutoffs, xs);
}

}  // namespace
