// Splitword on Windows: the same window, built by the Win32 builder.
#include "splitword_form.h"
#include "ui_win32/win32_form.h"
#include "ui_win32/win32_platform.h"

int main() {
    ui_win32::Win32Platform platform("Splitword");
    ui_win32::Win32Form window(SplitwordForm::Declaration());
    platform.setWindow(window.handle());
    SplitwordForm form(window, platform);
    window.connectHandlers(form.handlers());
    window.show();
    return window.runMessageLoop();
}
