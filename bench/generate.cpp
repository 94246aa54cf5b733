// Writes the benchmark data sets, the same bytes for the same arguments (a fixed seed):
//   benchgen binning DIR VALUES CUTOFFS        Data.txt (single values) and bins.txt
//   benchgen pairs DIR PAIRS CUTOFFS1 CUTOFFS2 Data.txt (pairs), Bins1.txt and Bins2.txt
//   benchgen chainmaker DIR WORDS EXCLUDED     in.txt, and exclude.txt when EXCLUDED > 0
//   benchgen compounds DIR WORDS               in.txt built from syllables, rich in compounds
//   benchgen crowded DIR WORDS                 in.txt whose words all fall into one corner of
//                                              Splitword's index as it was hashed before its
//                                              hashes took a seed for each run
//   benchgen uncrowded DIR WORDS               in.txt of words made the same way, not chosen
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "hash_seed.h"

namespace fs = std::filesystem;

namespace {

std::mt19937_64 random_source(20261207);

long Uniform(long low, long high) {
    return std::uniform_int_distribution<long>(low, high)(random_source);
}

class Out {
  public:
    explicit Out(const fs::path& path) : file_(path, std::ios::binary) { buffer_.reserve(1 << 20); }
    ~Out() { file_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size())); }
    Out& operator<<(const std::string& text) {
        buffer_ += text;
        if (buffer_.size() > (1 << 20) - 256) {
            file_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
            buffer_.clear();
        }
        return *this;
    }

  private:
    std::ofstream file_;
    std::string buffer_;
};

// A value as people type them: integers, decimals with up to 6 places, negatives, now and then
// a word after the number or a blank line.
std::string Value() {
    const long kind = Uniform(0, 999);
    if (kind == 0) return "";
    if (kind == 1) return std::to_string(Uniform(0, 99)) + " apples";
    std::string text = std::to_string(Uniform(-999, 999));
    if (kind < 500) {
        const int places = static_cast<int>(Uniform(1, 6));
        std::string fraction = std::to_string(Uniform(0, 999999));
        fraction.insert(0, 6 - fraction.size(), '0');
        text += "." + fraction.substr(0, static_cast<std::size_t>(places));
    }
    return text;
}

void Cutoffs(const fs::path& path, long count) {
    Out out(path);
    for (long i = 0; i < count; ++i) {
        const double at =
            -1000.0 + 2000.0 * static_cast<double>(i) / static_cast<double>(count - 1);
        char text[64];
        std::snprintf(text, sizeof text, "%.4f\r\n", at);
        out << text;
    }
}

std::string Syllable() {
    static const char* const onsets[] = {"b", "d", "f", "g", "k",  "l",  "m",  "n",   "p",
                                         "r", "s", "t", "w", "st", "br", "kl", "sch", "tr"};
    static const char* const vowels[] = {"a", "e", "i", "o", "u", "ei", "au", "ie"};
    static const char* const codas[] = {"", "", "n", "r", "l", "s", "t", "ng"};
    return std::string(onsets[Uniform(0, 17)]) + vowels[Uniform(0, 7)] + codas[Uniform(0, 7)];
}

// Distinct words of 8 letters, one for each number.
std::string WordOf(std::uint64_t number) {
    std::string word(8, 'a');
    for (char& c : word) {
        c = static_cast<char>('a' + number % 26);
        number /= 26;
    }
    return word;
}

// Splitword's word hash as it was, with a fixed base and spreading factor: whether a word falls
// into the first half of the index and into the first 1/128 of that half's table (of 2^k slots
// for 2^(k-1) words, the top bits of hash * factor pick the slot).
bool InOldCorner(const std::string& word) {
    __extension__ typedef unsigned __int128 Wide;
    constexpr std::uint64_t kPrime = (std::uint64_t{1} << 61) - 1;
    std::uint64_t hash = 0;
    for (const char c : word) {
        const Wide product = static_cast<Wide>(hash) * 1'000'003;
        hash = (static_cast<std::uint64_t>(product) & kPrime) +
               static_cast<std::uint64_t>(product >> 61) + static_cast<unsigned char>(c) + 1;
    }
    if (hash >= kPrime) hash -= kPrime;
    const bool firstHalf = ((hash >> 60) & 1) == 0;
    return firstHalf && (hash * rt::kGoldenRatio64) >> 57 == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: benchgen binning|pairs|chainmaker|compounds DIR N ...\n");
        return 2;
    }
    const std::string kind = argv[1];
    const fs::path dir = argv[2];
    fs::create_directories(dir);
    const long n = std::atol(argv[3]);
    auto arg = [&](int i) { return i < argc ? std::atol(argv[i]) : 0L; };

    if (kind == "binning") {
        Cutoffs(dir / "bins.txt", arg(4));
        Out data(dir / "Data.txt");
        for (long i = 0; i < n; ++i) data << Value() << "\r\n";
    } else if (kind == "pairs") {
        Cutoffs(dir / "Bins1.txt", arg(4));
        Cutoffs(dir / "Bins2.txt", arg(5));
        Out data(dir / "Data.txt");
        for (long i = 0; i < n; ++i) data << Value() << "\t" << Value() << "\r\n";
    } else if (kind == "chainmaker") {
        std::vector<std::string> words;
        for (long i = 0; i < n; ++i) words.push_back(Syllable() + Syllable());
        {
            Out in(dir / "in.txt");
            for (const auto& w : words) in << w << "\r\n";
        }
        if (arg(4) > 0) {
            // Lines as they are written with the space separator: members 1 to 5.
            Out exclude(dir / "exclude.txt");
            for (long i = 0; i < arg(4); ++i) {
                const long members = Uniform(1, 5);
                std::string line = words[static_cast<std::size_t>(Uniform(0, n - 1))];
                for (long m = 1; m < members; ++m)
                    line += " " + words[static_cast<std::size_t>(Uniform(0, n - 1))];
                exclude << line << "\r\n";
            }
        }
    } else if (kind == "compounds") {
        // A tenth of the words are stems of two syllables, each once; the rest join two or three
        // stems, so that most words are compounds, as in a real word list, with few repeats.
        const long stemCount = n / 10 > 0 ? n / 10 : 1;
        std::vector<std::string> stems;
        for (long i = 0; i < stemCount; ++i) stems.push_back(Syllable() + Syllable());
        Out in(dir / "in.txt");
        for (long i = 0; i < n; ++i) {
            std::string word;
            if (i < stemCount) {
                word = stems[static_cast<std::size_t>(i)];
            } else {
                const long parts = Uniform(2, 3);
                for (long p = 0; p < parts; ++p)
                    word += stems[static_cast<std::size_t>(Uniform(0, stemCount - 1))];
            }
            in << word << "\n";
        }
    } else if (kind == "crowded" || kind == "uncrowded") {
        // Words of random numbers; for the crowded list only those in the corner (1 in 256).
        const bool crowded = kind == "crowded";
        Out in(dir / "in.txt");
        for (long i = 0; i < n;) {
            const std::string word = WordOf(random_source() % 208'827'064'576);  // 26^8
            if (crowded && !InOldCorner(word)) continue;
            in << word << "\r\n";
            ++i;
        }
    } else {
        std::fprintf(stderr, "unknown data set %s\n", kind.c_str());
        return 2;
    }
    return 0;
}
