#pragma once
// The lists of Binning and Chainmaker: each line without the spaces at its ends, blank lines
// left out.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "text.h"
#include "textfile.h"

namespace reference {

inline std::vector<std::string> ReadTrimmedLines(const std::filesystem::path& path) {
    rt::LineReader in(path);
    std::vector<std::string> lines;
    while (!in.atEnd()) {
        const std::string_view line = rt::Trim(in.readLine());
        if (!line.empty()) lines.emplace_back(line);
    }
    return lines;
}

}  // namespace reference
