// Splitword on small random word lists (thresholds 0 to 3 and 2.5) writes the same Debug.txt and
// out.txt as the plain quadratic scan.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "reference.h"
#include "splitword_job.h"
#include "temp_folder.h"

using testing_support::TempFolder;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const TempFolder folder(TempFolder::Place::Memory);
    FuzzedDataProvider input(data, size);
    static const double thresholds[] = {0, 1, 2, 3, 2.5, -1};
    const double threshold = thresholds[input.ConsumeIntegralInRange<int>(0, 5)];
    folder.clear();
    folder.write("in.txt", input.ConsumeRemainingBytesAsString());

    rt::RunEvents events;
    splitword::Options options;
    options.threshold = threshold;
    splitword::Run(folder.path(), options, events);
    const std::string job =
        folder.readOrMissing("Debug.txt") + "|" + folder.readOrMissing("out.txt");
    reference::Splitword(folder.path(), threshold);
    const std::string plain =
        folder.readOrMissing("Debug.txt") + "|" + folder.readOrMissing("out.txt");
    if (job != plain) std::abort();
    return 0;
}
