// What a program may open in a folder of data, on Windows. The rules are those of
// folder_bounds.cpp: the file is opened first, and what was opened is then looked at through its
// handle (where it really lies, what it is, how many names it has), so that a name swapped
// meanwhile cannot lead the open out of the folder. An output is emptied only once it has passed.
#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "folder_bounds.h"
#include "runtime_error.h"
#include "wide_names.h"

namespace rt {
namespace fs = std::filesystem;
using windows::Handle;
namespace {

// A name that keeps turning into a second name of some file while it is replaced.
constexpr int kMostReplacements = 8;
// Others may read, write, rename and remove a file while a run has it open, as on Linux: an
// output that is an input of the run is then found to be one, not merely "in use".
// ERROR_DISK_QUOTA_EXCEEDED, which MinGW's headers lack.
constexpr DWORD kDiskQuotaExceeded = 1295;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::string NameOf(const fs::path& path) {
    return windows::Utf8(path.filename().native());
}

std::string Describe(const fs::path& path, const std::string& reason) {
    return windows::Utf8(path.native()) + ": " + reason;
}

[[noreturn]] void Refuse(const fs::path& path, const std::string& reason,
                         const std::string& advice) {
    throw RuntimeError(kPermissionDenied, Describe(path, reason), advice);
}

std::string LeadsOut(const fs::path& path) {
    return NameOf(path) +
           " is a link that leads out of this folder: remove it or replace it by a "
           "file";
}

std::string NotAFolderFile(const fs::path& path) {
    return NameOf(path) + " is a folder, not a file: rename or remove it";
}

std::string NotADiskFile(const fs::path& path) {
    return NameOf(path) + " is a pipe, a socket or a device, not a file: replace it by a file";
}

int OpenErrorNumber(DWORD err, bool forWriting) {
    switch (err) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME: return forWriting ? kPathNotFound : kFileNotFound;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
        case ERROR_DELETE_PENDING:
        case ERROR_CANT_RESOLVE_FILENAME:
        case ERROR_USER_MAPPED_FILE:
        case ERROR_PRIVILEGE_NOT_HELD: return kPermissionDenied;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
        case kDiskQuotaExceeded: return kDiskFull;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY: return kOutOfMemory;
        default: return kPathFileAccessError;
    }
}

// The sentence that says why a name cannot be opened, where the reason is the user's to mend.
std::string OpenErrorAdvice(const fs::path& path, DWORD err, bool forWriting) {
    switch (err) {
        case ERROR_ACCESS_DENIED:
        case ERROR_PRIVILEGE_NOT_HELD:
            return forWriting
                       ? NameOf(path) + " may not be written: it, or its folder, is read-only"
                       : NameOf(path) + " may not be read: give yourself permission to read it";
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
            return NameOf(path) + " is open in another program: close it there";
        case ERROR_WRITE_PROTECT: return NameOf(path) + " is on a disk that may not be written";
        case ERROR_CANT_RESOLVE_FILENAME:
            return NameOf(path) + " is a loop of links: remove it or replace it by a file";
        default: return {};
    }
}

[[noreturn]] void ThrowOpenError(const fs::path& path, DWORD err, bool forWriting) {
    throw RuntimeError(OpenErrorNumber(err, forWriting),
                       Describe(path, windows::SystemMessage(err)),
                       OpenErrorAdvice(path, err, forWriting));
}

// ---- The files of the run ---------------------------------------------------------------------

struct FileId {
    DWORD volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileId&) const = default;
};

FileId IdOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return {info.dwVolumeSerialNumber,
            (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

struct KnownFile {
    FileId id;
    std::string name;
};

std::mutex knownMutex;
bool runGoesOn = false;
std::vector<KnownFile> known;

void Remember(const BY_HANDLE_FILE_INFORMATION& info, const fs::path& path) {
    const std::lock_guard lock(knownMutex);
    if (runGoesOn) known.push_back({IdOf(info), NameOf(path)});
}

std::optional<std::string> KnownAs(const BY_HANDLE_FILE_INFORMATION& info) {
    const std::lock_guard lock(knownMutex);
    for (const KnownFile& file : known)
        if (file.id == IdOf(info)) return file.name;
    return std::nullopt;
}

// ---- The folder and its names -----------------------------------------------------------------

// The folder that holds a name, held open while the name is opened (it cannot be renamed or
// removed meanwhile), and its real place.
class Folder {
  public:
    Folder(const fs::path& path, bool forWriting) : name_(windows::LongPath(path)) {
        const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
        handle_.reset(::CreateFileW(windows::LongPath(folder).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!handle_) ThrowOpenError(path, ::GetLastError(), forWriting);
        real_ = windows::PlaceOf(handle_.get());
    }

    // The name, in its long form.
    const wchar_t* name() const { return name_.c_str(); }

    // Whether what `file` is lies inside the folder (in it or in one of its sub-folders).
    bool holds(HANDLE file) const {
        const std::wstring place = windows::PlaceOf(file);
        if (place.empty() || real_.empty()) return false;
        const std::size_t cut = place.find_last_of(L'\\');
        return cut != std::wstring::npos && windows::SameOrBelow(place.substr(0, cut), real_);
    }

  private:
    std::wstring name_;
    Handle handle_;
    std::wstring real_;
};

BY_HANDLE_FILE_INFORMATION InfoOf(HANDLE file, const fs::path& path, bool forWriting) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info))
        ThrowOpenError(path, ::GetLastError(), forWriting);
    return info;
}

// The descriptor of the C runtime that owns `file` from now on.
int DescriptorOf(Handle file, const fs::path& path, int flags) {
    const int fd =
        ::_open_osfhandle(reinterpret_cast<std::intptr_t>(file.get()), flags | _O_BINARY);
    if (fd < 0) ThrowOpenError(path, ERROR_TOO_MANY_OPEN_FILES, (flags & _O_WRONLY) != 0);
    file.release();
    return fd;
}

// A new file of that name, made by this open; empty when the name exists meanwhile.
Handle CreateAnew(const Folder& at, const fs::path& path) {
    Handle file(::CreateFileW(at.name(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD err = ::GetLastError();
        if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS)
            ThrowOpenError(path, err, true);
    }
    return file;
}

int OpenedOutput(Handle file, const Folder& at, const fs::path& path) {
    if (!at.holds(file.get())) {
        // The folder changed under the open: what was made is not left behind.
        FILE_DISPOSITION_INFO remove{TRUE};
        ::SetFileInformationByHandle(file.get(), FileDispositionInfo, &remove, sizeof remove);
        Refuse(path, "leads out of its folder", LeadsOut(path));
    }
    Remember(InfoOf(file.get(), path, true), path);
    return DescriptorOf(std::move(file), path, _O_WRONLY);
}

}  // namespace

RunFiles::RunFiles() {
    const std::lock_guard lock(knownMutex);
    known.clear();
    runGoesOn = true;
}

RunFiles::~RunFiles() {
    const std::lock_guard lock(knownMutex);
    known.clear();
    runGoesOn = false;
}

int OpenInputFile(const fs::path& path) {
    const Folder at(path, false);
    // Links and junctions are followed; where they lead is looked at once the file is open.
    Handle file(::CreateFileW(at.name(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) ThrowOpenError(path, ::GetLastError(), false);
    if (::GetFileType(file.get()) != FILE_TYPE_DISK)
        Refuse(path, "not an ordinary file", NotADiskFile(path));
    if (!at.holds(file.get())) Refuse(path, "leads out of its folder", LeadsOut(path));
    const BY_HANDLE_FILE_INFORMATION info = InfoOf(file.get(), path, false);
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        Refuse(path, "a folder", NotAFolderFile(path));
    if (info.nNumberOfLinks > 1)
        Refuse(path, "has a second name (a hard link)",
               NameOf(path) +
                   " has a second name elsewhere (a hard link): copy it to give the "
                   "folder its own file");
    Remember(info, path);
    return DescriptorOf(std::move(file), path, _O_RDONLY);
}

int OpenOutputFile(const fs::path& path) {
    const Folder at(path, true);
    for (int attempt = 0; attempt < kMostReplacements; ++attempt) {
        // Opened as it is, not emptied: nothing changes before the checks have passed.
        Handle file(::CreateFileW(at.name(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, kShareAll,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!file) {
            const DWORD err = ::GetLastError();
            if (err != ERROR_FILE_NOT_FOUND) ThrowOpenError(path, err, true);
            const DWORD attributes = ::GetFileAttributesW(at.name());
            if (attributes != INVALID_FILE_ATTRIBUTES &&
                (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
                // A link whose target does not exist: where it would be made is not looked into.
                Refuse(path, "leads out of its folder", LeadsOut(path));
            file = CreateAnew(at, path);
            if (file) return OpenedOutput(std::move(file), at, path);
            continue;  // made by someone else meanwhile: look at it again
        }
        if (::GetFileType(file.get()) != FILE_TYPE_DISK)
            Refuse(path, "not an ordinary file", NotADiskFile(path));
        if (!at.holds(file.get())) Refuse(path, "leads out of its folder", LeadsOut(path));
        const BY_HANDLE_FILE_INFORMATION info = InfoOf(file.get(), path, true);
        if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            Refuse(path, "a folder", NotAFolderFile(path));
        // Windows refuses to write a read-only file to everyone; wine lets root write it.
        if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
            ThrowOpenError(path, ERROR_ACCESS_DENIED, true);
        if (const auto same = KnownAs(info))
            Refuse(path, "the same file as " + *same,
                   NameOf(path) + " is the same file as " + *same +
                       ", which this run uses: remove " + NameOf(path) +
                       " or replace it by a file of its own");
        if (info.nNumberOfLinks > 1) {
            // The other names keep their bytes: this name gets a file of its own.
            file.reset();
            if (!::DeleteFileW(at.name()) && ::GetLastError() != ERROR_FILE_NOT_FOUND)
                ThrowOpenError(path, ::GetLastError(), true);
            file = CreateAnew(at, path);
            if (file) return OpenedOutput(std::move(file), at, path);
            continue;
        }
        FILE_END_OF_FILE_INFO empty{};
        if (!::SetFileInformationByHandle(file.get(), FileEndOfFileInfo, &empty, sizeof empty))
            ThrowOpenError(path, ::GetLastError(), true);
        return OpenedOutput(std::move(file), at, path);
    }
    Refuse(path, "keeps changing", NameOf(path) + " keeps changing while it is opened");
}

}  // namespace rt
