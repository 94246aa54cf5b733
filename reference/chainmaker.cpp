// Chainmaker: every combination built from scratch, the exclusion list scanned in order.
#include <string>
#include <vector>

#include "files.h"
#include "reference.h"
#include "runtime_error.h"
#include "textfile.h"
#include "trimmed_lines.h"

namespace reference {
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

bool Chainmaker(const std::filesystem::path& folder, unsigned blocks, const std::string& separator,
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

}  // namespace reference
