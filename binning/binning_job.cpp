#include "binning_job.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "bins.h"
#include "counter.h"
#include "data_counting.h"
#include "files.h"
#include "folder_bounds.h"
#include "stop_signals.h"
#include "text.h"
#include "textfile.h"

#ifndef BINNING_SUPPORT_ADDRESS
#define BINNING_SUPPORT_ADDRESS "postmaster@localhost"
#endif

namespace binning {

const std::string_view kSupportAddress = BINNING_SUPPORT_ADDRESS;

std::string ProgramErrorMessage() {
    std::string text = "Program error.  If you like, you can send copies of your input files to ";
    text += kSupportAddress;
    text += " and I will try to diagnose.";
    return text;
}

void BoxEvents::failed(const rt::RuntimeError& error) {
    switch (error.number()) {
        case rt::kPermissionDenied:
            if (platform_.messageBox(kPermissionMessage, rt::Buttons::OkCancel) == rt::Answer::Ok)
                return;
            throw RunEnded{};
        case rt::kFileNotFound:
            if (platform_.messageBox(kFileNotFoundMessage, rt::Buttons::OkCancel) == rt::Answer::Ok)
                return;
            throw RunEnded{};
        default: platform_.messageBox(ProgramErrorMessage(), rt::Buttons::Ok); throw RunEnded{};
    }
}

namespace {

// A cutoff list with its count.
struct CutoffList {
    std::vector<double> values;
    // The check that the number of cutoffs fits a signed 32-bit count: nothing reads its value,
    // but counting cutoff 2147483648 fails with the overflow error (6), handed to the failure
    // handler, before the list grows any further.
    rt::Counter32 count;
};

// Reads the cutoff file `name` into `list`, one cutoff per non-blank line. False when a cutoff is
// smaller than the one before it: the run is refused with `notRising` (the window's words) and
// stops.
bool ReadCutoffs(const std::filesystem::path& folder, std::string_view name, CutoffList& list,
                 std::string_view notRising, const Options& options, rt::RunEvents& failures) {
    std::filesystem::path path;
    rt::LineReader file = Guarded(failures, [&] {
        path = rt::ResolveName(folder, name);
        return rt::LineReader(path);
    });
    while (!Guarded(failures, [&] { return file.atEnd(); })) {
        const std::string_view line = rt::Trim(Guarded(failures, [&] { return file.readLine(); }));
        if (line.empty()) continue;
        Guarded(failures, [&] { ++list.count; });
        Guarded(failures, [&] { list.values.push_back(0.0); });
        list.values.back() = Guarded(failures, [&] { return NumberValue(line); });
        const std::size_t n = list.values.size();
        if (n >= 2 && list.values[n - 1] < list.values[n - 2]) {
            failures.refuse(
                {options.wording == rt::Wording::Window ? notRising : kNotRisingLine, path});
            return false;
        }
    }
    file.close();
    return true;
}

std::size_t BinCount(const std::vector<double>& cutoffs) {
    return cutoffs.size() < 2 ? 0 : cutoffs.size() - 1;
}

// A count as decimal digits.
class CountText {
  public:
    explicit CountText(const rt::Counter32& counter) {
        end_ = std::to_chars(digits_, digits_ + sizeof digits_, counter.value()).ptr;
    }
    std::string_view view() const { return {digits_, static_cast<std::size_t>(end_ - digits_)}; }

  private:
    char digits_[16];
    char* end_;
};

// Results.txt, written through the failure handler.
class Report {
  public:
    Report(const std::filesystem::path& folder, rt::RunEvents& failures)
        : failures_(failures), out_(Guarded(failures, [&] {
              return rt::LineWriter(rt::ResolveName(folder, kResultsName));
          })) {}

    void print(std::string_view text) {
        Guarded(failures_, [&] { out_.print(text); });
    }
    void endLine() {
        Guarded(failures_, [&] { out_.endLine(); });
    }
    void printLine(std::string_view text) {
        print(text);
        endLine();
    }
    void close() {
        Guarded(failures_, [&] { out_.close(); });
    }

    void totals(const rt::Counter32& totalData, const rt::Counter32& notInAnyBin) {
        printLine("Forms at bin edges are assigned to the lower bin.");
        print("Total data:  ");
        printLine(CountText(totalData).view());
        print("Total data not in any bin:  ");
        printLine(CountText(notInAnyBin).view());
    }

  private:
    rt::RunEvents& failures_;
    rt::LineWriter out_;
};

rt::InputFile OpenData(const std::filesystem::path& folder, rt::RunEvents& failures) {
    return Guarded(failures, [&] { return rt::InputFile(rt::ResolveName(folder, kDataName)); });
}

CountingSettings CountingSettingsOf(const Options& settings, rt::RunEvents* events) {
    CountingSettings counting;
    counting.blockSize = settings.blockSize;
    counting.parallelThreshold = settings.parallelThreshold;
    counting.longestLineHeld = settings.longestLineHeld;
    // A stop asked for by a signal ends the count as a progress call that throws does.
    counting.progress = [events](std::uint64_t read, std::uint64_t size) {
        rt::ThrowIfStopRequested();
        if (events) events->progress(read, size);
    };
    return counting;
}

// What a pass over Data.txt found, with its totals checked against the limit of a count.
struct Counted {
    Tally tally;
    rt::Counter32 totalData;
    rt::Counter32 notInAnyBin;
};

// One pass over Data.txt with `count`, carried out until it succeeds; a pass carried out again
// starts over with every count at zero. `inBins(tally)` adds up the counts that are in a bin.
template <class Count, class InBins>
Counted CountData(rt::RunEvents& failures, const Options& settings, const Count& count,
                  const InBins& inBins) {
    return Guarded(failures, [&] {
        Counted counted;
        counted.tally = count();
        // Every other count is at most the pass's total, so only the totals can pass the limit.
        const std::uint64_t total = counted.tally.total;
        counted.totalData = rt::Counter32(settings.firstTotal);
        counted.totalData += static_cast<std::int64_t>(std::min<std::uint64_t>(total, 1ULL << 40));
        counted.notInAnyBin += static_cast<std::int64_t>(total - inBins(counted.tally));
        return counted;
    });
}

// A slot count, at most the pass's total, which is within the limit.
rt::Counter32 SlotCount(std::uint32_t count) {
    return rt::Counter32(static_cast<std::int32_t>(count));
}

// "1 bin", "39,999 rows"
std::string InWords(std::size_t count, std::string_view what) {
    return rt::GroupedCount(count) + " " + std::string(what) + (count == 1 ? "" : "s");
}

// Whether the run goes ahead, before its table of `slots` slots (named by `table`) is made and
// Results.txt, of `results`, is touched: not when either has no room, nor when a large
// Results.txt is not wanted. A run that does not go ahead has been refused; `cutoffFiles` names
// the files that give fewer bins.
bool SizeAccepted(const std::filesystem::path& folder, const rt::InputFile& data, BigCount slots,
                  std::string_view table, const ResultsSize& results, std::string_view cutoffFiles,
                  rt::RunEvents& events, const Options& settings) {
    const bool window = settings.wording == rt::Wording::Window;
    const std::string fewer = "Put fewer cutoffs into " + std::string(cutoffFiles);
    const std::string again = window ? ", and click Go again." : ".";

    const BigCount memory =
        CountingMemory(data.size(), slots, CountingSettingsOf(settings, nullptr));
    if (const std::uint64_t room = settings.room.memory(); memory > room) {
        const std::string text =
            NoMemoryMessage(memory, room, table, fewer + ", or close other programs" + again);
        events.refuse({text, {}});
        return false;
    }

    const std::filesystem::path path = rt::ResolveName(folder, kResultsName);
    const auto room = settings.room.forOutput(path);
    return rt::SizeAccepted(
        events, results.bytes, room, path,
        [&](std::uint64_t room) {
            return TooLargeMessage(results, room, fewer + ", or make room on that disk" + again);
        },
        [&] { return LargeMessage(results, room, window ? kLargeAnswers : std::string_view()); });
}

Outcome CountSingleValues(const std::filesystem::path& folder, const CutoffList& cutoffs,
                          rt::RunEvents& failures, const Options& settings) {
    const std::size_t bins = BinCount(cutoffs.values);
    const BinSearch search = Guarded(failures, [&] { return BinSearch(cutoffs.values); });
    const auto inBins = [&](const Tally& tally) {
        std::uint64_t sum = 0;
        for (std::size_t i = 0; i < bins; ++i) sum += tally[BinSearch::slotOfBin(i)];
        return sum;
    };

    rt::InputFile data = OpenData(folder, failures);
    const ResultsSize results = Guarded(failures, [&] {
        return SizeOfSingleResults(cutoffs.values, MostDataLines(data.size()), settings.firstTotal);
    });
    if (!SizeAccepted(folder, data, search.slots(), InWords(bins, "bin"), results, "Bins.txt",
                      failures, settings))
        return Outcome::StoppedOnSize;
    const Counted counted = CountData(
        failures, settings,
        [&] {
            return binning::CountSingleValues(data, search,
                                              CountingSettingsOf(settings, &failures));
        },
        inBins);

    // Data.txt has been read to its end; only now is Results.txt created.
    Report report(folder, failures);
    for (std::size_t i = 0; i < bins; ++i) {
        report.print(BinLabel(cutoffs.values[i], cutoffs.values[i + 1]));
        report.print("\t");
        report.printLine(CountText(SlotCount(counted.tally[BinSearch::slotOfBin(i)])).view());
    }
    report.endLine();
    report.totals(counted.totalData, counted.notInAnyBin);
    report.close();
    return Outcome::Completed;
}

Outcome CountPairs(const std::filesystem::path& folder, const CutoffList& rowCutoffs,
                   const CutoffList& columnCutoffs, std::string_view cutoffFiles,
                   rt::RunEvents& failures, const Options& settings) {
    const std::size_t rows = BinCount(rowCutoffs.values);
    const std::size_t columns = BinCount(columnCutoffs.values);
    const BinSearch rowSearch = Guarded(failures, [&] { return BinSearch(rowCutoffs.values); });
    const BinSearch columnSearch =
        Guarded(failures, [&] { return BinSearch(columnCutoffs.values); });
    // The count of row bin i and column bin j.
    const auto cell = [&](const Tally& tally, std::size_t i, std::size_t j) {
        return tally[PairSlot(BinSearch::slotOfBin(i), BinSearch::slotOfBin(j),
                              columnSearch.slots())];
    };
    const auto inBins = [&](const Tally& tally) {
        std::uint64_t sum = 0;
        for (std::size_t i = 0; i < rows; ++i)
            for (std::size_t j = 0; j < columns; ++j) sum += cell(tally, i, j);
        return sum;
    };

    rt::InputFile data = OpenData(folder, failures);
    const ResultsSize results = Guarded(failures, [&] {
        return SizeOfPairResults(rowCutoffs.values, columnCutoffs.values,
                                 MostDataLines(data.size()), settings.firstTotal);
    });
    if (!SizeAccepted(folder, data, rt::SaturatingTimes(rowSearch.slots(), columnSearch.slots()),
                      InWords(rows, "row") + " by " + InWords(columns, "column"), results,
                      cutoffFiles, failures, settings))
        return Outcome::StoppedOnSize;
    const Counted counted = CountData(
        failures, settings,
        [&] {
            return binning::CountPairs(data, rowSearch, columnSearch,
                                       CountingSettingsOf(settings, &failures));
        },
        inBins);

    // Data.txt has been read to its end; only now is Results.txt created.
    Report report(folder, failures);
    for (std::size_t j = 0; j < columns; ++j) {
        report.print("\t");
        report.print(BinLabel(columnCutoffs.values[j], columnCutoffs.values[j + 1]));
    }
    report.endLine();
    for (std::size_t i = 0; i < rows; ++i) {
        report.print(BinLabel(rowCutoffs.values[i], rowCutoffs.values[i + 1]));
        for (std::size_t j = 0; j < columns; ++j) {
            report.print("\t");
            report.print(CountText(SlotCount(cell(counted.tally, i, j))).view());
        }
        report.endLine();
    }
    report.endLine();
    report.printLine("Rows denote the first variable, columns the second.");
    report.totals(counted.totalData, counted.notInAnyBin);
    report.close();
    return Outcome::Completed;
}

}  // namespace

Outcome Run(const std::filesystem::path& folder, const Options& options, rt::RunEvents& events) {
    const rt::RunFiles files;
    if (options.mode == Mode::SingleValues) {
        CutoffList cutoffs;
        if (!ReadCutoffs(folder, kBinsName, cutoffs, kBinsNotRisingMessage, options, events))
            return Outcome::StoppedOnCutoffs;
        return CountSingleValues(folder, cutoffs, events, options);
    }

    // Pairs: Bins1.txt and Bins2.txt when both are there, else bins.txt for both values. The
    // names tested are the names opened, so that the test and the opening reach the same files.
    const bool separate = Guarded(events, [&] {
        return rt::FileExists(folder, kBins1Name) && rt::FileExists(folder, kBins2Name);
    });
    CutoffList first;
    CutoffList second;
    if (separate) {
        if (!ReadCutoffs(folder, kBins1Name, first, kBins1NotRisingMessage, options, events) ||
            !ReadCutoffs(folder, kBins2Name, second, kBins2NotRisingMessage, options, events))
            return Outcome::StoppedOnCutoffs;
        return CountPairs(folder, first, second, "Bins1.txt or Bins2.txt", events, options);
    }
    if (!ReadCutoffs(folder, kBinsName, first, kBinsNotRisingMessage, options, events))
        return Outcome::StoppedOnCutoffs;
    return CountPairs(folder, first, first, "Bins.txt", events, options);
}

}  // namespace binning
