#pragma once
// Message boxes (MessageBoxW, without an icon) and the end of the program on Windows.

#include <windows.h>

#include <string>

#include "platform.h"

namespace ui_win32 {

class Win32Platform : public rt::Platform {
  public:
    // `applicationTitle` is the title of boxes that give none of their own.
    explicit Win32Platform(std::string applicationTitle);

    // The window that owns the boxes, and that goes away at the end.
    void setWindow(HWND window) { window_ = window; }

    rt::Answer messageBox(std::string_view text, rt::Buttons buttons,
                          std::string_view title = {}) override;
    // Hides the window and ends the message loop once the current handler returns.
    void endProgram() override;

  private:
    std::string applicationTitle_;
    HWND window_ = nullptr;
};

}  // namespace ui_win32
