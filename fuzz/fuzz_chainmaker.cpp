// Chainmaker on small random lists, separators and blocks writes the same out.txt as the plain
// transcription (every line built from scratch, the exclusion list scanned in order).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "chainmaker_job.h"
#include "reference.h"
#include "temp_folder.h"

using testing_support::TempFolder;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const TempFolder folder(TempFolder::Place::Memory);
    FuzzedDataProvider input(data, size);
    chainmaker::Options options;
    unsigned mask = input.ConsumeIntegral<std::uint8_t>() & 0x3F;
    options.exclude = input.ConsumeBool();
    const bool excludePresent = input.ConsumeBool();
    options.separator = input.ConsumeRandomLengthString(4);
    const std::string list = input.ConsumeRandomLengthString(60);
    folder.clear();
    folder.write("in.txt", list);
    if (excludePresent) folder.write("exclude.txt", input.ConsumeRemainingBytesAsString());

    // Keep each case small: long combinations only for short lists.
    std::size_t lines = 0;
    for (char c : list) lines += c == '\n' || c == '\r';
    if (lines > 4) mask &= 0x0F;
    if (lines > 8) mask &= 0x07;
    for (int k = 0; k < 6; ++k) options.blocks[k] = (mask >> k) & 1;

    std::string job;
    try {
        rt::RunEvents events;
        // The window stops on an unreadable exclude.txt.
        job = chainmaker::Run(folder.path(), options, events).outcome ==
                      chainmaker::Outcome::ExcludeUnreadable
                  ? "<stop>"
                  : folder.readOrMissing("out.txt");
    } catch (const rt::RuntimeError& error) {
        job = "error:" + std::to_string(error.number());
    }
    std::error_code ec;
    std::filesystem::remove(folder.path() / "out.txt", ec);

    std::string plain;
    try {
        plain = reference::Chainmaker(folder.path(), mask, options.separator, options.exclude)
                    ? folder.readOrMissing("out.txt")
                    : "<stop>";
    } catch (const rt::RuntimeError& error) {
        plain = "error:" + std::to_string(error.number());
    }
    if (job != plain) std::abort();
    return 0;
}
