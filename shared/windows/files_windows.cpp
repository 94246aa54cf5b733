// The program's folder on Windows: where its .exe lies, as Windows says.
#include <string>

#include "files.h"
#include "wide_names.h"

namespace rt {

std::filesystem::path ProgramFolder(const char*) {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) return std::filesystem::current_path();
        if (length < name.size()) {
            name.resize(length);
            break;
        }
        name.resize(name.size() * 2);
    }
    if (name.starts_with(L"\\\\?\\") && !name.starts_with(L"\\\\?\\UNC\\")) name.erase(0, 4);
    return std::filesystem::path(name).parent_path();
}

}  // namespace rt
