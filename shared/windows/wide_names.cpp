#include "wide_names.h"

#include <climits>
#include <vector>

namespace rt::windows {

std::wstring Wide(std::string_view utf8) {
    if (utf8.empty() || utf8.size() > INT_MAX) return {};
    const int size = static_cast<int>(utf8.size());
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

std::string Utf8(std::wstring_view wide) {
    if (wide.empty() || wide.size() > INT_MAX) return {};
    const int size = static_cast<int>(wide.size());
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::wstring LongPath(const std::filesystem::path& path) {
    std::wstring name = path.native();
    for (wchar_t& c : name)
        if (c == L'/') c = L'\\';
    if (name.starts_with(L"\\\\?\\") || name.starts_with(L"\\\\.\\")) return name;
    if (name.empty()) name = L".";
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetFullPathNameW(name.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) return name;
        if (length < full.size()) {
            full.resize(length);
            break;
        }
        full.resize(length);
    }
    if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

std::string SystemMessage(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD flags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    DWORD length =
        ::FormatMessageW(flags, nullptr, error, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                         reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0)
        length = ::FormatMessageW(flags, nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0,
                                  nullptr);
    if (length == 0) return "Windows error " + std::to_string(error);
    std::wstring message(text, length);
    ::LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                message.back() == L' ' || message.back() == L'.'))
        message.pop_back();
    return Utf8(message);
}

bool SameOrBelow(std::wstring_view inner, std::wstring_view outer) {
    while (!outer.empty() && outer.back() == L'\\') outer.remove_suffix(1);
    if (inner.size() < outer.size() || outer.size() > INT_MAX) return false;
    if (inner.size() > outer.size() && inner[outer.size()] != L'\\') return false;
    return ::CompareStringOrdinal(inner.data(), static_cast<int>(outer.size()), outer.data(),
                                  static_cast<int>(outer.size()), TRUE) == CSTR_EQUAL;
}

std::wstring PlaceOf(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) return {};
    std::vector<char> buffer(sizeof(FILE_NAME_INFO) + 32768 * sizeof(wchar_t));
    if (!::GetFileInformationByHandleEx(handle, FileNameInfo, buffer.data(),
                                        static_cast<DWORD>(buffer.size())))
        return {};
    const auto* name = reinterpret_cast<const FILE_NAME_INFO*>(buffer.data());
    return std::to_wstring(info.dwVolumeSerialNumber) + L":" +
           std::wstring(name->FileName, name->FileNameLength / sizeof(wchar_t));
}

}  // namespace rt::windows
