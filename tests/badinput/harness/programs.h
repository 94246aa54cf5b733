#pragma once
// The three programs as a user meets them: a window on a folder, its options set, a click on Go,
// and what the click showed (message boxes, the end of the program, the button's caption). Beside
// each, the plain transcription of its job run on a copy of the same input files, to say what the
// run should have written.

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "program_texts.h"
#include "scripted_platform.h"

namespace badinput {

enum class Program { Binning, Chainmaker, Splitword };

const char* ProgramName(Program program);

// The options a run is made with; each program reads its own.
struct Settings {
    bool pairs = false;           // Binning: "Pairs of values" instead of "Single values"
    unsigned blocks = 0b000111;   // Chainmaker: bit 0 the list itself, bit k-1 combinations of k
    bool exclude = false;         // Chainmaker: "Exclude strings in the file exclude.txt"
    const char* separator = " ";  // Chainmaker: " ", "\t", "" or the text of "Other (specify):"
    const char* threshold = "2";  // Splitword: the text of the threshold box
};

// Settings that differ from the defaults where the name says.
inline Settings Pairs() {
    Settings settings;
    settings.pairs = true;
    return settings;
}
inline Settings Blocks(unsigned blocks, bool exclude = false, const char* separator = " ") {
    Settings settings;
    settings.blocks = blocks;
    settings.exclude = exclude;
    settings.separator = separator;
    return settings;
}
inline Settings Excluding(bool exclude = true) {
    return Blocks(Settings{}.blocks, exclude);
}
inline Settings Threshold(const char* text) {
    Settings settings;
    settings.threshold = text;
    return settings;
}

// The programs' own texts and Binning's worked example, as the tests share them.
using testing_support::UnhandledReport;
using testing_support::binning_texts::kBins;
using testing_support::binning_texts::kData;
using testing_support::binning_texts::kEdgesNote;
using testing_support::binning_texts::kFileNotFoundBox;
using testing_support::binning_texts::kPairs;
using testing_support::binning_texts::kPairsReport;
using testing_support::binning_texts::kPermissionBox;
using testing_support::binning_texts::kRowsNote;
using testing_support::binning_texts::kSingleReport;
using testing_support::binning_texts::Totals;
using testing_support::chainmaker_texts::kExcludeMissingBox;
using testing_support::splitword_texts::kCompoundHeader;

// Whether `text` is Binning's program-error box, with an e-mail address.
bool IsProgramErrorBox(std::string_view text);

// The files a run of the program may write.
std::set<std::string> OutputNames(Program program);
// The caption of a completed run.
std::string DoneCaption(Program program);

// Thrown out of a click when a program shows box after box (a retry that never ends).
struct EndlessBoxes : std::runtime_error {
    EndlessBoxes() : std::runtime_error("more than 10 message boxes in one run") {}
};

// A program's window on `folder`, with `settings` applied. Splitword, which uses the bare file
// names, gets `folder` as the current directory for the length of each click.
class Window {
  public:
    Window(Program program, const std::filesystem::path& folder, const Settings& settings,
           testing_support::ScriptedPlatform& platform);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    void click();
    std::string caption() const;

  private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

// How a run ended, for the program and for its plain transcription alike.
enum class Result {
    Completed,  // the outputs written, the caption says the run is done
    Stopped,    // a check's own message; the program stays open
    Ended,      // a failure's box, then the end of the program
};
const char* ResultName(Result result);

// What the plain transcription did with the same input files.
struct Reference {
    Result result = Result::Completed;
    std::string message;                         // Stopped: the check's message
    int error = 0;                               // Ended: the run-time error number
    std::string advice;                          // Ended: what the report says to do, if anything
    std::map<std::string, std::string> outputs;  // outputs written: their bytes (every output
                                                 // of a completed run)
    std::set<std::string> untouched;             // outputs left as they were
};

// Runs the plain transcription on a copy of the ordinary files of `folder`.
Reference RunPlain(Program program, const std::filesystem::path& folder, const Settings& settings);

// The boxes a run of the program shows for a reference result that is not Completed: the check's
// message with OK, or the failure's box (Binning's three boxes by error number; the others' report
// of an unhandled error).
std::vector<testing_support::ScriptedPlatform::Box> ExpectedBoxes(Program program,
                                                                  const Reference& reference);

// One click of the program's window on `folder` checked against what is expected: the same
// result with the same boxes (answered Cancel where they offer it) and the end of the program
// after a failure; the Done caption after a completed run and no Done caption otherwise; the
// outputs named hold their bytes or are untouched; no input file changed. Unless the program has
// ended, a second click follows: it ends the program without a box or a file touched (Binning,
// stopped on its own check, runs again and stops on it again).
void CheckRun(Program program, const std::filesystem::path& folder, const Settings& settings,
              const Reference& expected);

// CheckRun against the plain transcription run on a copy of the files. Returns its result.
Result CheckAgainstPlain(Program program, const std::filesystem::path& folder,
                         const Settings& settings);

// A completed run that writes exactly `outputs`.
Reference Completed(std::map<std::string, std::string> outputs);
// A run that ends after the box of run-time error `number`, leaving `untouched` as they were.
Reference EndedOn(int number, std::set<std::string> untouched, std::string advice = {});

}  // namespace badinput
