#pragma once
// One run of Binning: the cutoffs are read and checked, Data.txt is counted in one pass, and the
// report is written to Results.txt. Every file lies in the program's folder.
//
// Every runtime operation of a run goes through one failure handler. The handler either returns,
// and the operation that failed is carried out again (the run goes on from there, nothing read or
// counted so far is lost or counted twice), or throws RunEnded, and the run ends at once; files
// already open are closed as the run unwinds. Counting Data.txt is one such operation: carried
// out again, it starts over from the first line with every count at zero.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform.h"
#include "room.h"
#include "run_size.h"
#include "runtime_error.h"

namespace binning {

enum class Mode { SingleValues, PairsOfValues };

// Thrown by a failure handler to end the program.
struct RunEnded {};

class FailureHandler {
  public:
    virtual ~FailureHandler() = default;
    // Returns to have the failed operation carried out again; throws RunEnded to end.
    virtual void onFailure(const rt::RuntimeError& error) = 0;
};

// Carries out `op` until it succeeds, passing each failure to `handler`. Running out of memory
// counts as error 7.
template <class F>
auto Guarded(FailureHandler& handler, F&& op) -> decltype(op()) {
    for (;;) {
        try {
            return op();
        } catch (const rt::RuntimeError& error) {
            handler.onFailure(error);
        } catch (const std::bad_alloc&) {
            handler.onFailure(rt::RuntimeError(rt::kOutOfMemory));
        } catch (const std::length_error&) {
            handler.onFailure(rt::RuntimeError(rt::kOutOfMemory));
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

// The address users may send their input files to; set when the program is built.
extern const std::string_view kSupportAddress;
// "Program error.  If you like, you can send copies of your input files to <address> and I will
// try to diagnose."
std::string ProgramErrorMessage();

// The handler of the window: 70 and 53 ask, with OK (carry out again) and Cancel (end); every
// other failure shows the program-error box with OK only, then ends.
class BoxFailureHandler : public FailureHandler {
  public:
    explicit BoxFailureHandler(rt::Platform& platform) : platform_(platform) {}
    void onFailure(const rt::RuntimeError& error) override;

  private:
    rt::Platform& platform_;
};

enum class Outcome {
    Completed,         // Results.txt written
    StoppedOnCutoffs,  // a cutoff file did not rise; its message was shown, nothing written
    StoppedOnSize,     // the table or Results.txt would not fit, or a large Results.txt was not
                       // wanted: the message was shown, the table not made, nothing written
};

struct RunSettings {
    // Where TotalData starts; only checks of the overflow path set it.
    std::int32_t firstTotal = 0;
    // How much of Data.txt is read at a time (tests choose tiny blocks to try every boundary).
    std::size_t blockSize = std::size_t{1} << 20;
    // Data.txt larger than this is counted in two halves side by side, one on each core.
    std::uint64_t parallelThreshold = std::uint64_t{8} << 20;
    // A longer line of Data.txt is read as it comes rather than held whole.
    std::size_t longestLineHeld = std::size_t{1} << 20;
    // Told, on the run's thread, how many bytes of Data.txt have been counted and its size;
    // what it throws ends the run at once, before Results.txt is touched.
    std::function<void(std::uint64_t read, std::uint64_t size)> progress;

    // The room of the run, the machine's unless a check states its own: the bytes Results.txt
    // may grow to at the path given (nothing to check when there is no figure), and the memory
    // the process can still get.
    std::function<std::optional<std::uint64_t>(const std::filesystem::path&)> roomForOutput =
        rt::RoomForOutput;
    std::function<std::uint64_t()> memoryRoom = rt::MemoryRoom;
    // Whether a run that writes a large Results.txt (more than 10 GiB, or more than half its
    // disk's room) goes ahead. Unset, the question is asked in an OK/Cancel box.
    std::function<bool(const ResultsSize& size, std::optional<std::uint64_t> room)> largeAccepted;
    // The messages that refuse a run end in the window's "and click Go again".
    bool clickGoAgain = true;
};

// The question about a large Results.txt, as the window asks it.
inline constexpr std::string_view kLargeAnswers =
    "Click OK to write them, or Cancel to change the files first.";

// One run in `folder`. Messages of the cutoff check and of the size check go to `platform`; every
// failure goes to `failures`. Throws RunEnded when the handler ends the program.
//
// The size check comes after Data.txt is opened and before the count table is made: a table
// larger than the memory the process can get, or a Results.txt larger than its disk's room,
// stops the run with a message; a large Results.txt is asked about first. A table too large for
// memory is refused rather than counted sparsely: Results.txt writes every cell of it, at least
// two bytes each against the table's four, so such a table comes with a report of many
// gigabytes that no spreadsheet opens, and one dense way of counting keeps the counting loop as
// fast as it is.
Outcome Run(const std::filesystem::path& folder, Mode mode, rt::Platform& platform,
            FailureHandler& failures, const RunSettings& settings = {});

}  // namespace binning
