// Binning on Windows: the same window, built by the Win32 builder.
#include "binning_form.h"
#include "files.h"
#include "ui_win32/win32_form.h"
#include "ui_win32/win32_platform.h"

int main() {
    const std::filesystem::path folder = rt::ProgramFolder(nullptr);
    ui_win32::Win32Platform platform("Binning");
    ui_win32::Win32Form window(BinningForm::Declaration());
    platform.setWindow(window.handle());
    BinningForm form(window, platform, folder);
    window.connectHandlers(form.handlers());
    window.show();
    return window.runMessageLoop();
}
