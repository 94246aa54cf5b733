#include "splitword_job.h"

#include <algorithm>
#include <memory>
#include <string_view>
#include <system_error>

#include "block_output.h"
#include "files.h"
#include "folder_bounds.h"
#include "parallel_search.h"
#include "textfile.h"

namespace splitword {
namespace {

const std::string_view kHeader = "Possible compound\tFirst member\tSecond member";

}  // namespace

RunResult Run(const std::filesystem::path& folder, double threshold, Progress& progress,
              const Tuning& tuning) {
    const rt::RunFiles files;
    progress.readingInput();
    const WordList words = ReadWordList(folder, threshold);
    const std::size_t blockBytes = std::max<std::size_t>(tuning.blockBytes, 1);
    std::unique_ptr<ParallelSearch> parallel;
    // Threads for a list of one segment or less would only cost their start.
    if (tuning.searchThreads > 0 && words.count() > std::max(tuning.segmentWords, 1)) {
        try {
            parallel = std::make_unique<ParallelSearch>(words, tuning, blockBytes);
        } catch (const std::system_error&) {
            // No thread to be had: the search runs here, after the files are opened.
        }
    }
    WriteDebugList(folder, words);
    rt::LineWriter out(rt::ResolveName(folder, "out.txt"));
    out.printLine(kHeader);
    FindWriter writer(out, progress, words.count());
    RunResult result;
    result.wordCount = words.count();
    if (parallel) {
        result.findCount = parallel->writeFinds(writer);
    } else {
        // Here a block is written as soon as it is full: a small one does as well.
        const std::size_t directBytes = std::min<std::size_t>(blockBytes, std::size_t{64} << 10);
        result.findCount = DirectSearch(words, directBytes, tuning.hashSeed).writeFinds(writer);
    }
    out.close();
    return result;
}

}  // namespace splitword
