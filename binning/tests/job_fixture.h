#pragma once
// A folder of files, a scripted desktop and the window's failure handler, for runs without a
// window.

#include <optional>
#include <string>

#include "binning_job.h"
#include "scripted_platform.h"
#include "temp_folder.h"

namespace binning_testing {

// Results.txt of the worked examples: bins.txt 0, 10, 20; Data.txt 5, 10, 15, 25, abc (single
// values) or 5<TAB>15, 10<TAB>10, 25<TAB>5, 15 (pairs).
inline const std::string kWorkedSingleReport =
    "[0 - 10]\t3\r\n"
    "[10 - 20]\t1\r\n"
    "\r\n"
    "Forms at bin edges are assigned to the lower bin.\r\n"
    "Total data:  5\r\n"
    "Total data not in any bin:  1\r\n";
inline const std::string kWorkedPairsReport =
    "\t[0 - 10]\t[10 - 20]\r\n"
    "[0 - 10]\t1\t1\r\n"
    "[10 - 20]\t1\t0\r\n"
    "\r\n"
    "Rows denote the first variable, columns the second.\r\n"
    "Forms at bin edges are assigned to the lower bin.\r\n"
    "Total data:  4\r\n"
    "Total data not in any bin:  1\r\n";

struct JobFixture {
    testing_support::TempFolder folder;
    testing_support::ScriptedPlatform platform;
    binning::BoxFailureHandler failures{platform};

    // The outcome, or nothing when the run ended the program.
    std::optional<binning::Outcome> run(binning::Mode mode, binning::RunSettings settings = {}) {
        try {
            return binning::Run(folder.path(), mode, platform, failures, settings);
        } catch (const binning::RunEnded&) {
            return std::nullopt;
        }
    }
    std::string results() const { return folder.read("Results.txt"); }
};

}  // namespace binning_testing
