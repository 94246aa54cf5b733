#pragma once
// What a run tells its caller, and asks of it: one interface for the three jobs. Every call comes
// on the thread that called the job's Run, in the order of the run. A window shows the calls in
// its boxes and on its button; the command line as one-line messages and its progress line.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "room.h"
#include "runtime_error.h"

namespace rt {

// Whom the texts of a run's questions and refusals are worded for. A window's end in what its
// boxes offer ("..., and click Go again.", "Click OK to write them, or Cancel ..."); a command
// line's end in what to change, and its questions leave the answers to the caller.
enum class Wording { Window, CommandLine };

// A question or a refusal of a run: its text, and what it is about.
struct Notice {
    std::string_view text;
    // The file it is about, as the run found it in its folder; empty: the run as a whole.
    std::filesystem::path file;
    // The failure behind a refusal, where there is one (Chainmaker's exclude.txt that cannot be
    // read), for a caller that reports failures in its own words.
    const RuntimeError* cause = nullptr;
};

class RunEvents {
  public:
    virtual ~RunEvents() = default;
    // Work done of the work known (bytes counted, bytes written, words searched), called often;
    // what it throws (rt::RunStopped) stops the run where its outputs hold whole lines.
    virtual void progress(std::uint64_t done, std::uint64_t known);  // default: nothing
    // Before a large output is written: the question, as an OK/Cancel box asks it; true goes
    // ahead, false stops the run without writing.
    virtual bool accept(const Notice& question);  // default: true
    // The run stops without writing, for the reason in `refusal` (an OK box shows it).
    virtual void refuse(const Notice& refusal);  // default: nothing
    // A runtime operation failed: return to have it carried out again (only Binning retries;
    // the others end the run all the same), throw to end the run. The default throws `error`.
    virtual void failed(const RuntimeError& error);
};

// `error` of an operation on `file`, naming the file at the start of its detail ("out.txt:
// No space left on device") unless it names it already.
RuntimeError NamingFile(const RuntimeError& error, const std::filesystem::path& file);

// The size check of an output `file` of `bytes`, with `room` free for it (nothing to compare
// with when there is no figure): true when the run goes ahead. An output that cannot fit is
// refused with the text `tooLarge(room)`; a large one (JudgeSize) is asked about with the text
// `large()`.
bool SizeAccepted(RunEvents& events, BigCount bytes, std::optional<std::uint64_t> room,
                  const std::filesystem::path& file,
                  const std::function<std::string(std::uint64_t room)>& tooLarge,
                  const std::function<std::string()>& large);

}  // namespace rt
