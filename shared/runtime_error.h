#pragma once
// Failures of runtime operations, each carrying its run-time error number.

#include <stdexcept>
#include <string>

namespace rt {

enum ErrorNumber : int {
    kOverflow = 6,
    kOutOfMemory = 7,
    kSubscriptOutOfRange = 9,
    kTypeMismatch = 13,
    kBadFileNameOrNumber = 52,
    kFileNotFound = 53,
    kDeviceIoError = 57,
    kDiskFull = 61,
    kInputPastEndOfFile = 62,
    kPermissionDenied = 70,
    kPathFileAccessError = 75,
    kPathNotFound = 76,
};

// The standard meaning of an error number ("File not found" for 53).
const char* ErrorMeaning(int number) noexcept;

class RuntimeError : public std::runtime_error {
  public:
    explicit RuntimeError(int number);
    RuntimeError(int number, const std::string& detail);
    // `advice`: one plain sentence for the user, on which file and what to do about it.
    RuntimeError(int number, const std::string& detail, const std::string& advice);

    int number() const noexcept { return number_; }
    const char* meaning() const noexcept { return ErrorMeaning(number_); }
    // What went wrong underneath (the file and the system's reason), for logs and tools.
    const std::string& detail() const noexcept { return detail_; }
    // What the user can do ("out.txt is a link that leads out of this folder: ..."), or empty.
    const std::string& advice() const noexcept { return advice_; }

  private:
    int number_;
    std::string detail_;
    std::string advice_;
};

// The text of the report of an unhandled error: "Run-time error '53':\n\nFile not found", and
// the error's advice after an empty line where it has one.
std::string UnhandledErrorText(const RuntimeError& error);

}  // namespace rt
