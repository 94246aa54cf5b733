// Binning: the linear bin scan over values read line by line.
#include <string>
#include <vector>

#include "counter.h"
#include "files.h"
#include "numbers.h"
#include "reference.h"
#include "s.h"
#include "text.h"
#include "textfile.h"
#include "trimmed_lines.h"

namespace reference {
namespace fs = std::filesystem;
namespace {

bool ReadCutoffs(const fs::path& path, std::vector<double>& cutoffs) {
    for (const std::string& line : ReadTrimmedLines(path)) {
        cutoffs.push_back(rt::NumericPrefix(line));
        if (cutoffs.size() >= 2 && cutoffs.back() < cutoffs[cutoffs.size() - 2]) return false;
    }
    return true;
}

int FindBin(const std::vector<double>& c, double x) {
    for (std::size_t i = 0; i + 1 < c.size(); ++i)
        if (c[i] <= x && x <= c[i + 1]) return static_cast<int>(i);
    return -1;
}

std::string Label(const std::vector<double>& c, std::size_t i) {
    return "[" + rt::NumberText(c[i]) + " - " + rt::NumberText(c[i + 1]) + "]";
}

std::string Rising(const char* name) {
    return std::string("Please change the file ") + name +
           " so that it consists of a rising sequence of numbers.  This is needed to define the "
           "bins properly.";
}

}  // namespace

std::string Binning(const fs::path& folder, bool pairs) {
    std::vector<double> c1, c2;
    if (!pairs) {
        if (!ReadCutoffs(rt::ResolveName(folder, "bins.txt"), c1)) return Rising("bins.txt");
    } else if (rt::FileExists(folder, "Bins1.txt") && rt::FileExists(folder, "Bins2.txt")) {
        if (!ReadCutoffs(rt::ResolveName(folder, "bins1.txt"), c1)) return Rising("Bins1.txt");
        if (!ReadCutoffs(rt::ResolveName(folder, "bins2.txt"), c2)) return Rising("Bins2.txt");
    } else {
        if (!ReadCutoffs(rt::ResolveName(folder, "bins.txt"), c1)) return Rising("bins.txt");
        c2 = c1;
    }
    const std::size_t rows = c1.size() > 1 ? c1.size() - 1 : 0;
    const std::size_t columns = c2.size() > 1 ? c2.size() - 1 : 0;
    std::vector<rt::Counter32> counts(pairs ? rows * columns : rows);
    rt::Counter32 total, none;

    rt::LineReader data(rt::ResolveName(folder, "Data.txt"));
    while (!data.atEnd()) {
        const std::string line(rt::Trim(data.readLine()));
        if (line.empty()) continue;
        ++total;
        if (!pairs) {
            const int bin = FindBin(c1, rt::NumericPrefix(line));
            if (bin >= 0)
                ++counts[static_cast<std::size_t>(bin)];
            else
                ++none;
        } else {
            const std::string first(s::TextBeforeTab(line));
            const std::string rest(s::TextAfterTab(line));
            const std::string second(s::TextBeforeTab(rest));
            const int row = FindBin(c1, rt::NumericPrefix(first));
            const int column = FindBin(c2, rt::NumericPrefix(second));
            if (row >= 0 && column >= 0)
                ++counts[static_cast<std::size_t>(row) * columns +
                         static_cast<std::size_t>(column)];
            else
                ++none;
        }
    }

    rt::LineWriter out(rt::ResolveName(folder, "Results.txt"));
    if (!pairs) {
        for (std::size_t i = 0; i < rows; ++i)
            out.printLine(Label(c1, i) + "\t" + std::to_string(counts[i].value()));
    } else {
        std::string head;
        for (std::size_t j = 0; j < columns; ++j) head += "\t" + Label(c2, j);
        out.printLine(head);
        for (std::size_t i = 0; i < rows; ++i) {
            std::string row = Label(c1, i);
            for (std::size_t j = 0; j < columns; ++j)
                row += "\t" + std::to_string(counts[i * columns + j].value());
            out.printLine(row);
        }
    }
    out.printLine("");
    if (pairs) out.printLine("Rows denote the first variable, columns the second.");
    out.printLine("Forms at bin edges are assigned to the lower bin.");
    out.printLine("Total data:  " + std::to_string(total.value()));
    out.printLine("Total data not in any bin:  " + std::to_string(none.value()));
    out.close();
    return {};
}

}  // namespace reference
