#include "reference.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "counter.h"
#include "files.h"
#include "numbers.h"
#include "runtime_error.h"
#include "text.h"
#include "textfile.h"

namespace reference {
namespace fs = std::filesystem;
namespace {

// The lists of Binning and Chainmaker: each line without the spaces at its ends, blank lines
// left out.
std::vector<std::string> ReadTrimmedLines(const fs::path& path) {
    rt::LineReader in(path);
    std::vector<std::string> lines;
    while (!in.atEnd()) {
        const std::string_view line = rt::Trim(in.readLine());
        if (!line.empty()) lines.emplace_back(line);
    }
    return lines;
}

// ---- Binning -----------------------------------------------------------------------------------

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
            const std::string first(rt::TextBeforeTab(line));
            const std::string rest(rt::TextAfterTab(line));
            const std::string second(rt::TextBeforeTab(rest));
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

// ---- Chainmaker --------------------------------------------------------------------------------

namespace {

// Calls `line` with every line of the blocks whose bit is set in `blocks`, in the order written,
// each formed anew from its members, leaving out the lines equal to an entry of `excluded` (when
// given), which is scanned in order.
template <class Line>
void FormEveryLine(const std::vector<std::string>& list, const std::string& separator,
                   unsigned blocks, const std::vector<std::string>* excluded, Line line) {
    const std::size_t n = list.size();
    for (int k = 1; k <= 6; ++k) {
        if (!(blocks & (1u << (k - 1))) || n == 0) continue;
        std::vector<std::size_t> index(static_cast<std::size_t>(k), 0);
        for (;;) {
            std::string text = list[index[0]];
            for (int m = 1; m < k; ++m)
                text += separator + list[index[static_cast<std::size_t>(m)]];
            bool skip = false;
            if (excluded) {
                for (const std::string& entry : *excluded) {
                    if (entry == text) {
                        skip = true;
                        break;
                    }
                }
            }
            if (!skip) line(text);
            int m = k - 1;
            while (m >= 0 && ++index[static_cast<std::size_t>(m)] == n)
                index[static_cast<std::size_t>(m--)] = 0;
            if (m < 0) break;
        }
    }
}

}  // namespace

std::string Combinations(const std::vector<std::string>& list, const std::string& separator,
                         unsigned blocks, const std::vector<std::string>* excluded) {
    std::string out;
    FormEveryLine(list, separator, blocks, excluded,
                  [&out](const std::string& line) { out += line + "\r\n"; });
    return out;
}

bool Chainmaker(const fs::path& folder, unsigned blocks, const std::string& separator,
                bool exclude) {
    const std::vector<std::string> list = ReadTrimmedLines(rt::ResolveName(folder, "in.txt"));
    std::vector<std::string> excluded;
    if (exclude) {
        try {
            excluded = ReadTrimmedLines(rt::ResolveName(folder, "exclude.txt"));
        } catch (const rt::RuntimeError&) {
            return false;
        }
    }
    rt::LineWriter out(rt::ResolveName(folder, "out.txt"));
    FormEveryLine(list, separator, blocks, exclude ? &excluded : nullptr,
                  [&out](const std::string& line) { out.printLine(line); });
    out.close();
    return true;
}

// ---- Splitword ---------------------------------------------------------------------------------

namespace {

// The byte length of the character at the start of `t`, decoded the long way: the code point is
// built and then checked for overlong forms, surrogates and the upper limit. A byte that starts
// no well-formed UTF-8 sequence is a character of its own.
std::size_t CharLength(std::string_view t) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(t[k]); };
    const unsigned lead = byte(0);
    std::size_t size = 0;
    unsigned codePoint = 0;
    unsigned smallest = 0;
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) {
        size = 2, codePoint = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        size = 3, codePoint = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        size = 4, codePoint = lead & 0x07, smallest = 0x10000;
    } else {
        return 1;
    }
    if (size > t.size()) return 1;
    for (std::size_t k = 1; k < size; ++k) {
        if ((byte(k) & 0xC0) != 0x80) return 1;
        codePoint = (codePoint << 6) | (byte(k) & 0x3F);
    }
    if (codePoint < smallest || codePoint > 0x10FFFF) return 1;
    if (codePoint >= 0xD800 && codePoint <= 0xDFFF) return 1;
    return size;
}

// The byte offset of every character boundary of `t`, 0 and t.size() included.
std::vector<std::size_t> Boundaries(std::string_view t) {
    std::vector<std::size_t> at{0};
    for (std::size_t i = 0; i < t.size();) {
        i += CharLength(t.substr(i));
        at.push_back(i);
    }
    return at;
}

}  // namespace

void Splitword(const fs::path& folder, double threshold) {
    std::vector<std::string> words;
    std::vector<std::vector<std::size_t>> bounds;  // character boundaries of each word
    {
        rt::LineReader in(rt::ResolveName(folder, "in.txt"));
        while (!in.atEnd()) {
            const std::string candidate(rt::Trim(rt::TextBeforeTab(in.readLine())));
            auto b = Boundaries(candidate);
            if (threshold > static_cast<double>(b.size() - 1)) continue;
            words.push_back(candidate);
            bounds.push_back(std::move(b));
        }
    }
    {
        rt::LineWriter debug(rt::ResolveName(folder, "Debug.txt"));
        for (const std::string& w : words) debug.printLine(w);
        debug.close();
    }
    rt::LineWriter out(rt::ResolveName(folder, "out.txt"));
    out.printLine("Possible compound\tFirst member\tSecond member");
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string_view w = words[i];
        const std::size_t wLength = bounds[i].size() - 1;
        for (std::size_t l = 0; l < words.size(); ++l) {
            // The first n characters of w, n being the length of word l (all of w when shorter).
            const std::size_t n = std::min(bounds[l].size() - 1, wLength);
            const std::string_view head = w.substr(0, bounds[i][n]);
            if (head != words[l]) continue;
            const std::string_view rest = w.substr(bounds[i][n]);
            if (threshold > static_cast<double>(wLength - n)) continue;
            for (std::size_t j = 0; j < words.size(); ++j) {
                if (words[j] == rest) {
                    out.print(w);
                    out.print("\t");
                    out.print(words[l]);
                    out.print("\t");
                    out.printLine(words[j]);
                    break;
                }
            }
        }
    }
    out.close();
}

}  // namespace reference
