// Splitword: the quadratic compound scan, every word against every word of the list as its first
// member, the rest looked up by a scan from the top of the list.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "files.h"
#include "reference.h"
#include "s.h"
#include "text.h"
#include "textfile.h"

namespace reference {
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

void Splitword(const std::filesystem::path& folder, double threshold) {
    std::vector<std::string> words;
    std::vector<std::vector<std::size_t>> bounds;  // character boundaries of each word
    {
        rt::LineReader in(rt::ResolveName(folder, "in.txt"));
        while (!in.atEnd()) {
            const std::string candidate(rt::Trim(s::TextBeforeTab(in.readLine())));
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
