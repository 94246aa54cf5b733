#include "runtime_error.h"

namespace rt {

const char* ErrorMeaning(int number) noexcept {
    switch (number) {
        case kOverflow: return "Overflow";
        case kOutOfMemory: return "Out of memory";
        case kSubscriptOutOfRange: return "Subscript out of range";
        case kTypeMismatch: return "Type mismatch";
        case kBadFileNameOrNumber: return "Bad file name or number";
        case kFileNotFound: return "File not found";
        case kDeviceIoError: return "Device I/O error";
        case kDiskFull: return "Disk full";
        case kInputPastEndOfFile: return "Input past end of file";
        case kPermissionDenied: return "Permission denied";
        case kPathFileAccessError: return "Path/File access error";
        case kPathNotFound: return "Path not found";
        default: return "Application-defined or object-defined error";
    }
}

RuntimeError::RuntimeError(int number) : RuntimeError(number, std::string{}) {}

RuntimeError::RuntimeError(int number, const std::string& detail)
    : RuntimeError(number, detail, std::string{}) {}

RuntimeError::RuntimeError(int number, const std::string& detail, const std::string& advice)
    : std::runtime_error("Run-time error '" + std::to_string(number) +
                         "': " + ErrorMeaning(number) +
                         (detail.empty() ? std::string{} : " (" + detail + ")")),
      number_(number),
      detail_(detail),
      advice_(advice) {}

std::string UnhandledErrorText(const RuntimeError& error) {
    std::string text =
        "Run-time error '" + std::to_string(error.number()) + "':\n\n" + error.meaning();
    if (!error.advice().empty()) text += "\n\n" + error.advice();
    return text;
}

}  // namespace rt
