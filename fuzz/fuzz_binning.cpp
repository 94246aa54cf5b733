// Binning on small random folders gives the same outcome as the plain transcription: the same
// rising-check message, the same error number, or the same bytes of Results.txt.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "binning_job.h"
#include "reference.h"
#include "temp_folder.h"

namespace {

using testing_support::TempFolder;

struct Failed {
    int number;
};
// Keeps the last refusal; a failure ends the run.
class Stop : public rt::RunEvents {
  public:
    void refuse(const rt::Notice& refusal) override { refused = refusal.text; }
    void failed(const rt::RuntimeError& error) override { throw Failed{error.number()}; }
    std::string refused;
};

// "ok", "stop:<message>" or "error:<number>", then Results.txt.
std::string Job(const TempFolder& folder, bool pairs, binning::Options options) {
    Stop stop;
    try {
        options.mode = pairs ? binning::Mode::PairsOfValues : binning::Mode::SingleValues;
        const auto outcome = binning::Run(folder.path(), options, stop);
        if (outcome == binning::Outcome::StoppedOnCutoffs) return "stop:" + stop.refused;
    } catch (const Failed& failed) {
        return "error:" + std::to_string(failed.number);
    }
    return "ok\n" + folder.readOrMissing("Results.txt");
}

std::string Plain(const TempFolder& folder, bool pairs) {
    try {
        const std::string stop = reference::Binning(folder.path(), pairs);
        if (!stop.empty()) return "stop:" + stop;
    } catch (const rt::RuntimeError& error) {
        return "error:" + std::to_string(error.number());
    }
    return "ok\n" + folder.readOrMissing("Results.txt");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const TempFolder folder(TempFolder::Place::Memory);
    FuzzedDataProvider input(data, size);
    const bool pairs = input.ConsumeBool();
    // Tiny blocks and a tiny threshold for counting in two halves, so that every block boundary
    // and every split point comes up.
    binning::Options settings;
    settings.blockSize = input.ConsumeIntegralInRange<std::size_t>(4, 64);
    settings.parallelThreshold = input.ConsumeIntegralInRange<std::uint64_t>(0, 256);
    const unsigned files = input.ConsumeIntegral<std::uint8_t>();
    folder.clear();
    if (files & 1) folder.write("bins.txt", input.ConsumeRandomLengthString(200));
    if (files & 2) folder.write("Bins1.txt", input.ConsumeRandomLengthString(200));
    if (files & 4) folder.write("Bins2.txt", input.ConsumeRandomLengthString(200));
    if (files & 8) folder.write("Data.txt", input.ConsumeRemainingBytesAsString());

    const std::string job = Job(folder, pairs, settings);
    std::error_code ec;
    std::filesystem::remove(folder.path() / "Results.txt", ec);
    const std::string plain = Plain(folder, pairs);
    if (job != plain) {
        std::fprintf(stderr, "job:\n%s\nplain:\n%s\n", job.c_str(), plain.c_str());
        std::abort();
    }
    return 0;
}
