#include "chainmaker_job.h"

#include <algorithm>
#include <exception>
#include <iterator>
#include <limits>
#include <optional>

#include "files.h"
#include "folder_bounds.h"
#include "members.h"
#include "prefix_index.h"
#include "runtime_error.h"
#include "stop_signals.h"
#include "text.h"
#include "textfile.h"

namespace chainmaker {

void ReadList(const std::filesystem::path& path, StringList& list, rt::Counter32& count,
              std::uint64_t memoryRoom, std::uint64_t bytesPerByte) {
    rt::LineReader in(path);
    const std::uint64_t size = in.size();
    if (rt::SaturatingTimes(size, bytesPerByte) > memoryRoom) {
        rt::ThrowTooLargeForMemory(path, size, memoryRoom);
    }
    while (!in.atEnd()) {
        const std::string_view entry = rt::Trim(in.readLine());
        if (entry.empty()) continue;
        ++count;
        list.emplace_back(entry);
    }
    in.close();
}

ListSize SizeOfList(const StringList& list, std::int32_t count) {
    ListSize size;
    size.count = std::min(list.size(), static_cast<std::size_t>(std::max(count, 0)));
    for (std::size_t i = 0; i < size.count; ++i) {
        size.bytes += list[i].size();
        size.longest = std::max<std::uint64_t>(size.longest, list[i].size());
    }
    return size;
}

std::uint64_t MemoryForWriting(const ListSize& list, std::size_t separatorSize,
                               const ListSize& exclusion) {
    // The members: their texts with CR LF, and for each its place, hash and power, its hash with
    // a prefix and whether that passes the bit array; the prefix of the lines being formed, with
    // room for a whole line behind it (WriteCombinations).
    rt::BigCount most = list.bytes + 2 * list.count + rt::kPadding +
                        list.count * (sizeof(Member) + sizeof(std::uint64_t) + sizeof(char));
    most += rt::SaturatingTimes(kMaxMembers, list.longest + separatorSize) + 2 + rt::kPadding;
    if (exclusion.count > 0)
        most += PrefixIndex::MostBytes(exclusion.count, exclusion.bytes, list.count);
    return static_cast<std::uint64_t>(
        std::min<rt::BigCount>(most, std::numeric_limits<std::uint64_t>::max()));
}

Result Run(const std::filesystem::path& folder, const Options& options, rt::RunEvents& events) {
    const rt::RunFiles files;
    Result result;
    Lists& read = result.lists;

    ReadList(rt::ResolveName(folder, kInputName), read.input, read.inputCount,
             options.room.memory(), kInputBytesPerByte);
    if (options.exclude) {
        std::filesystem::path path = folder / kExcludeName;
        const auto refuse = [&](const rt::RuntimeError* cause) {
            events.refuse({kExcludeMissingMessage, path, cause});
            result.outcome = Outcome::ExcludeUnreadable;
        };
        try {
            path = rt::ResolveName(folder, kExcludeName);
            ReadList(path, read.exclude, read.excludeCount, options.room.memory());
        } catch (const rt::RuntimeError& error) {
            if (error.number() == rt::kOutOfMemory) throw;
            refuse(&error);
            return result;
        } catch (const std::bad_alloc&) {
            const rt::RuntimeError error(rt::kOutOfMemory);
            refuse(&error);
            return result;
        } catch (const std::length_error&) {
            const rt::RuntimeError error(rt::kOutOfMemory);
            refuse(&error);
            return result;
        } catch (const std::exception&) {
            refuse(nullptr);
            return result;
        }
    }
    const std::string& separator = options.separator;

    if (std::any_of(std::begin(options.blocks), std::end(options.blocks),
                    [](bool wanted) { return wanted; }) &&
        read.inputCount.value() > 0) {
        const std::uint64_t needed = MemoryForWriting(
            SizeOfList(read.input, read.inputCount.value()), separator.size(),
            options.exclude ? SizeOfList(read.exclude, read.excludeCount.value()) : ListSize{});
        const std::uint64_t room = options.room.memory();
        if (needed > room) {
            throw rt::RuntimeError(rt::kOutOfMemory,
                                   "writing takes up to " + rt::ReadableSize(needed) + ", with " +
                                       rt::ReadableSize(room) + " of memory left");
        }
    }

    const auto wanted = [&options](int members) { return options.blocks[members - 1]; };
    const std::filesystem::path outPath = rt::ResolveName(folder, kOutputName);
    const OutputSize size =
        SizeOfOutput(read.input, read.inputCount.value(), separator.size(), wanted);
    const bool bounded = options.exclude && read.excludeCount.value() > 0;
    const bool window = options.wording == rt::Wording::Window;
    const auto room = options.room.forOutput(outPath);
    if (!rt::SizeAccepted(
            events, size.bytes, room, outPath,
            [&](std::uint64_t room) {
                return TooLargeMessage(size, room, bounded,
                                       window ? kTooLargeAdvice : kTooLargeLine);
            },
            [&] {
                return LargeMessage(size, room, bounded,
                                    window ? kLargeAnswers : std::string_view());
            })) {
        result.outcome = Outcome::SizeRefused;
        return result;
    }

    std::optional<Exclusion> exclusion;
    if (options.exclude) exclusion.emplace(read.exclude, read.excludeCount.value());
    // A stop asked for by a signal leaves out.txt as it was before it is created, and ends the
    // writing after a whole chunk once it is.
    rt::ThrowIfStopRequested();
    const std::uint64_t expected = static_cast<std::uint64_t>(
        std::min<rt::BigCount>(size.bytes, std::numeric_limits<std::uint64_t>::max()));
    events.progress(0, expected);
    try {
        WriteCombinations(outPath, read.input, read.inputCount.value(), separator, wanted,
                          exclusion ? &*exclusion : nullptr,
                          [&events, expected](std::uint64_t bytes) {
                              rt::ThrowIfStopRequested();
                              events.progress(bytes, expected);
                          });
    } catch (const rt::RuntimeError& error) {
        throw rt::NamingFile(error, outPath);
    }
    return result;
}

}  // namespace chainmaker
