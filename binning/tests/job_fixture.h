#pragma once
// A folder of files, a scripted desktop and the window's boxes, for runs without a window.

#include <optional>
#include <string>

#include "binning_job.h"
#include "scripted_platform.h"
#include "temp_folder.h"

namespace binning_testing {

struct JobFixture {
    testing_support::TempFolder folder;
    testing_support::ScriptedPlatform platform;
    binning::BoxEvents events{platform};

    // The outcome, or nothing when the run ended the program.
    std::optional<binning::Outcome> run(binning::Mode mode, binning::Options options = {}) {
        options.mode = mode;
        try {
            return binning::Run(folder.path(), options, events);
        } catch (const binning::RunEnded&) {
            return std::nullopt;
        }
    }
    std::string results() const { return folder.read("Results.txt"); }
};

}  // namespace binning_testing
