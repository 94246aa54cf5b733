#pragma once
// One run of Binning: the cutoffs are read and checked, Data.txt is counted in one pass, and the
// report is written to Results.txt. Every file lies in the program's folder.
//
// Every runtime operation of a run goes to its caller's RunEvents::failed when it fails. The
// caller either returns, and the operation that failed is carried out again (the run goes on
// from there, nothing read or counted so far is lost or counted twice), or throws (RunEnded, or
// the error), and the run ends at once; files already open are closed as the run unwinds.
// Counting Data.txt is one such operation: carried out again, it starts over from the first line
// with every count at zero.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "binning_files.h"
#include "platform.h"
#include "room.h"
#include "run_events.h"
#include "run_size.h"
#include "runtime_error.h"

namespace binning {

enum class Mode { SingleValues, PairsOfValues };

// What a caller's RunEvents::failed may throw to end the run once it has told the user.
struct RunEnded {};

// Carries out `op` until it succeeds, passing each failure to `events.failed`. Running out of
// memory counts as error 7.
template <class F>
auto Guarded(rt::RunEvents& events, F&& op) -> decltype(op()) {
    for (;;) {
        try {
            return op();
        } catch (const rt::RuntimeError& error) {
            events.failed(error);
        } catch (const std::bad_alloc&) {
            events.failed(rt::RuntimeError(rt::kOutOfMemory));
        } catch (const std::length_error&) {
            events.failed(rt::RuntimeError(rt::kOutOfMemory));
        }
    }
}

// The messages of the run.
inline constexpr std::string_view kPermissionMessage =
    "Error.  Most likely the output file Results.txt is already open in some other program.  "
    "Please close it and then click OK.";
inline constexpr std::string_view kFileNotFoundMessage =
    "File-not-found error.  Be sure this folder contains the files Bins.txt (or else Bins1.txt "
    "and Bins2.txt) and Data.txt, then click Go again.";
inline constexpr std::string_view kBinsNotRisingMessage =
    "Please change the file bins.txt so that it consists of a rising sequence of numbers.  This "
    "is needed to define the bins properly.";
inline constexpr std::string_view kBins1NotRisingMessage =
    "Please change the file Bins1.txt so that it consists of a rising sequence of numbers.  This "
    "is needed to define the bins properly.";
inline constexpr std::string_view kBins2NotRisingMessage =
    "Please change the file Bins2.txt so that it consists of a rising sequence of numbers.  This "
    "is needed to define the bins properly.";
// The same worded for a command line, which names the file.
inline constexpr std::string_view kNotRisingLine =
    "the cutoffs do not rise: make it a rising sequence of numbers, one a line (equal neighbours "
    "allowed)";

// The address users may send their input files to; set when the program is built.
extern const std::string_view kSupportAddress;
// "Program error.  If you like, you can send copies of your input files to <address> and I will
// try to diagnose."
std::string ProgramErrorMessage();

// The events of the window, in its boxes: 70 and 53 ask, with OK (carry out again) and Cancel
// (end: RunEnded); every other failure shows the program-error box with OK only, then ends.
// Refusals show an OK box, the question an OK/Cancel box.
class BoxEvents : public rt::BoxEvents {
  public:
    using rt::BoxEvents::BoxEvents;
    void failed(const rt::RuntimeError& error) override;
};

enum class Outcome {
    Completed,         // Results.txt written
    StoppedOnCutoffs,  // a cutoff file did not rise; its refusal was given, nothing written
    StoppedOnSize,     // the table or Results.txt would not fit, or a large Results.txt was not
                       // wanted: the refusal was given, the table not made, nothing written
};

struct Options {
    Mode mode = Mode::SingleValues;
    // Where TotalData starts; only checks of the overflow path set it.
    std::int32_t firstTotal = 0;
    // How much of Data.txt is read at a time (tests choose tiny blocks to try every boundary).
    std::size_t blockSize = std::size_t{1} << 20;
    // Data.txt larger than this is counted in two halves side by side, one on each core.
    std::uint64_t parallelThreshold = std::uint64_t{8} << 20;
    // A longer line of Data.txt is read as it comes rather than held whole.
    std::size_t longestLineHeld = std::size_t{1} << 20;
    // The room for Results.txt and for the table of counts.
    rt::Room room;
    rt::Wording wording = rt::Wording::Window;
};

// The question about a large Results.txt, as the window asks it.
inline constexpr std::string_view kLargeAnswers =
    "Click OK to write them, or Cancel to change the files first.";

// One run in `folder`. The progress calls count the bytes of Data.txt (what they throw ends the
// run at once, before Results.txt is touched); a cutoff file that does not rise, and a run the
// size check stops, are refused (the notice names the file: the cutoff file, Results.txt, or
// none for the memory of the table); a large Results.txt is asked about; every failure goes to
// `events.failed`.
//
// The size check comes after Data.txt is opened and before the count table is made: a table
// larger than the memory the process can get, or a Results.txt larger than its disk's room,
// stops the run; a large Results.txt is asked about first. A table too large for memory is
// refused rather than counted sparsely: Results.txt writes every cell of it, at least two bytes
// each against the table's four, so such a table comes with a report of many gigabytes that no
// spreadsheet opens, and one dense way of counting keeps the counting loop as fast as it is.
Outcome Run(const std::filesystem::path& folder, const Options& options, rt::RunEvents& events);

}  // namespace binning
