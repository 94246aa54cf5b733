#pragma once
// The files of a Binning run, by their names in its folder (found whatever their letter case).

#include <string_view>

namespace binning {

inline constexpr std::string_view kBinsName = "bins.txt";
inline constexpr std::string_view kBins1Name = "Bins1.txt";
inline constexpr std::string_view kBins2Name = "Bins2.txt";
inline constexpr std::string_view kDataName = "Data.txt";
inline constexpr std::string_view kResultsName = "Results.txt";

}  // namespace binning
