#include "chainmaker_job.h"

#include <exception>
#include <optional>

#include "files.h"
#include "folder_bounds.h"
#include "text.h"
#include "textfile.h"

namespace chainmaker {

void ReadList(const std::filesystem::path& path, StringList& list, rt::Counter32& count) {
    rt::LineReader in(path);
    while (!in.atEnd()) {
        const std::string_view entry = rt::Trim(in.readLine());
        if (entry.empty()) continue;
        ++count;
        list.emplace_back(entry);
    }
    in.close();
}

Outcome Run(const std::filesystem::path& folder, const Options& options, RunHooks* hooks,
            Lists* lists) {
    const rt::RunFiles files;
    RunHooks none;
    RunHooks& hook = hooks ? *hooks : none;
    Lists own;
    Lists& read = lists ? *lists : own;

    ReadList(rt::ResolveName(folder, kInputName), read.input, read.inputCount);
    if (options.exclude) {
        hook.readingExclude();
        try {
            ReadList(rt::ResolveName(folder, kExcludeName), read.exclude, read.excludeCount);
        } catch (const std::exception&) {
            if (!hook.excludeUnreadable()) throw;
            return Outcome::ExcludeUnreadable;
        }
    }
    const std::string separator = hook.separator(options.separator);

    const auto wanted = [&options](int members) { return options.blocks[members - 1]; };
    const std::filesystem::path outPath = rt::ResolveName(folder, kOutputName);
    const OutputSize size =
        SizeOfOutput(read.input, read.inputCount.value(), separator.size(), wanted);
    if (!hook.sizeAccepted(size, outPath, options.exclude && read.excludeCount.value() > 0))
        return Outcome::SizeRefused;

    std::optional<Exclusion> exclusion;
    if (options.exclude) exclusion.emplace(read.exclude, read.excludeCount.value());
    hook.writing(size.bytes);
    WriteCombinations(
        outPath, read.input, read.inputCount.value(), separator, wanted,
        exclusion ? &*exclusion : nullptr,
        hooks ? WriteProgress([&hook](std::uint64_t bytes) { hook.written(bytes); }) : nullptr);
    return Outcome::Written;
}

}  // namespace chainmaker
