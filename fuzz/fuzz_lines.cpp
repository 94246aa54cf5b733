// Line reading: any bytes, read in any block size, give the lines of a one-byte-at-a-time
// reference splitter.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "temp_folder.h"
#include "textfile.h"

namespace {

using testing_support::TempFolder;

std::vector<std::string> ReferenceLines(std::string bytes) {
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
    std::vector<std::string> lines;
    std::string line;
    bool open = false;  // a line has begun and not ended
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
            lines.push_back(line);
            line.clear();
            open = false;
        } else {
            line.push_back(c);
            open = true;
        }
    }
    if (open) lines.push_back(line);
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::size_t blockSize = 4 + data[0] % 61;  // small blocks try every boundary
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    // A file of a folder (in memory where there is /dev/shm): the reader opens only those.
    static const TempFolder folder(TempFolder::Place::Memory);
    folder.write("in.txt", bytes);

    std::vector<std::string> lines;
    {
        rt::LineReader reader(folder.path() / "in.txt", blockSize);
        while (!reader.atEnd()) lines.emplace_back(reader.readLine());
    }
    if (lines != ReferenceLines(bytes)) std::abort();
    return 0;
}
