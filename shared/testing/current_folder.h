#pragma once
// Makes a folder the current folder for the life of the object, as Splitword, which opens bare
// file names, needs its folder of data to be.

#include <filesystem>
#include <system_error>

namespace testing_support {

class CurrentFolder {
  public:
    explicit CurrentFolder(const std::filesystem::path& folder)
        : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~CurrentFolder() {
        std::error_code ec;
        std::filesystem::current_path(previous_, ec);
    }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

  private:
    std::filesystem::path previous_;
};

}  // namespace testing_support
