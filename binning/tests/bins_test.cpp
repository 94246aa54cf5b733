#include "bins.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

using binning::BinLabel;
using binning::FindBin;
using binning::kNoBin;
using binning::NumberValue;

// The plain rule: bins tried from the first, both ends included, the first match wins.
std::ptrdiff_t ScanForBin(const std::vector<double>& c, double x) {
    for (std::size_t i = 0; i + 1 < c.size(); ++i) {
        if (c[i] <= x && x <= c[i + 1]) return static_cast<std::ptrdiff_t>(i);
    }
    return kNoBin;
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

}  // namespace
