#include "ui_win32/win32_platform.h"

#include <utility>

#include "windows/wide_names.h"

namespace ui_win32 {

Win32Platform::Win32Platform(std::string applicationTitle)
    : applicationTitle_(std::move(applicationTitle)) {}

rt::Answer Win32Platform::messageBox(std::string_view text, rt::Buttons buttons,
                                     std::string_view title) {
    const std::wstring wideText = rt::windows::Wide(text);
    const std::wstring wideTitle =
        rt::windows::Wide(title.empty() ? std::string_view(applicationTitle_) : title);
    const UINT kind = buttons == rt::Buttons::OkCancel ? MB_OKCANCEL : MB_OK;
    HWND owner = window_ && IsWindowVisible(window_) ? window_ : nullptr;
    const int answer =
        MessageBoxW(owner, wideText.c_str(), wideTitle.c_str(), kind | MB_SETFOREGROUND);
    if (buttons == rt::Buttons::Ok) return rt::Answer::Ok;
    return answer == IDCANCEL ? rt::Answer::Cancel : rt::Answer::Ok;
}

void Win32Platform::endProgram() {
    if (window_ && IsWindow(window_)) ShowWindow(window_, SW_HIDE);
    PostQuitMessage(0);
}

}  // namespace ui_win32
