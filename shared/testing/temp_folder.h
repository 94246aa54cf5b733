#pragma once
// A fresh folder, removed with everything in it. Free of GoogleTest, so that the fuzz targets use
// it too.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

namespace testing_support {

class TempFolder {
  public:
    // Below the system's temporary folder, or in memory where there is /dev/shm: a fuzz target
    // rewrites its files many thousand times, and emptying files on a disk costs milliseconds each.
    enum class Place { Temporary, Memory };

    explicit TempFolder(Place place = Place::Temporary) {
        const bool memory = place == Place::Memory && std::filesystem::is_directory("/dev/shm");
        const std::filesystem::path base =
            memory ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path();
        std::random_device seed;
        path_ = base / ("tools-test-" + std::to_string(::getpid()) + "-" + std::to_string(seed()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

    void write(std::string_view name, std::string_view bytes) const {
        std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    // The bytes of a file; empty when there is none.
    std::string read(std::string_view name) const {
        std::ifstream in(path_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // The bytes of a file, or "<missing>" where two runs' outputs are compared and a missing file
    // must not pass for an empty one.
    std::string readOrMissing(std::string_view name) const {
        return exists(name) ? read(name) : "<missing>";
    }
    bool exists(std::string_view name) const {
#if defined(_WIN32)
        // Windows finds a name in any letter case: here it must be there as written.
        const std::filesystem::path path = path_ / name;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(path.parent_path(), ec))
            if (entry.path().filename().native() == path.filename().native()) return true;
        return false;
#else
        return std::filesystem::exists(path_ / name);
#endif
    }
    // Removes everything in the folder.
    void clear() const {
        for (const auto& entry : std::filesystem::directory_iterator(path_))
            std::filesystem::remove_all(entry.path());
    }

  private:
    std::filesystem::path path_;
};

}  // namespace testing_support
