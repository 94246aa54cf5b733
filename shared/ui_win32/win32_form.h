#pragma once
// The Win32 builder: makes a native window from a form's declaration (form/form.h) and is that
// window's view for its protocol. Each control is the Windows control of its kind (push button,
// static text, group box, radio and check buttons, edit box), placed by its twips scaled by the
// system's dialog font at the window's DPI; the tab order and groups are the declaration's, the
// keyboard goes through the dialog manager, and F1 chooses the menu's one entry.

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "form/form.h"
#include "form/view.h"

namespace ui_win32 {

class Win32Form : public form::View {
  public:
    // The window of `declaration`, not yet shown. Its icon is the program's icon resource 1.
    explicit Win32Form(const form::Form& declaration);
    ~Win32Form() override;
    Win32Form(const Win32Form&) = delete;
    Win32Form& operator=(const Win32Form&) = delete;

    // A click on a button, or the choice of the menu's entry, runs its handler.
    void connectHandlers(const form::Handlers& handlers);

    // Shows the window (centred on its screen if declared so) with the focus on the first
    // control.
    void show();
    // Runs the window's messages until the program ends; returns its exit status.
    int runMessageLoop();

    HWND handle() const { return window_; }
    // The control named in the declaration, or nullptr.
    HWND control(std::string_view name) const;
    // The command of a control's click or of the menu's entry, as WM_COMMAND carries it.
    int commandOf(std::string_view name) const;

    // form::View
    std::string text(std::string_view control) const override;
    void setText(std::string_view control, std::string_view text) override;
    bool chosen(std::string_view control) const override;
    void paintNow(std::string_view control) override;
    std::string decimalMark() const override;
    void runStarting() override;
    void runEnded() override;
    bool serve() override;

  private:
    struct Made {
        const form::Control* control;
        HWND window;
        int command;
    };

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    // Places the controls and sizes the window for `dpi`, with the dialog font of that DPI.
    void layout(UINT dpi);
    void centre();
    // Where a control lies in the client area, in twips.
    RECT PlaceInClient(const form::Control* control) const;
    // Takes what a message loop takes from `message` before it is dispatched: the keys of the
    // dialog manager and of F1. True when `message` is used up.
    bool preTranslate(MSG& message);
    HWND existing(std::string_view name) const;

    const form::Form& declaration_;
    HWND window_ = nullptr;
    HMENU menu_ = nullptr;
    HACCEL keys_ = nullptr;
    HFONT font_ = nullptr;
    std::vector<Made> controls_;
    std::map<int, std::function<void()>> clicks_;  // by command
    int runs_ = 0;                                 // runs going on
    bool closeRequested_ = false;                  // during a run
};

}  // namespace ui_win32
