#include "ui_win32/win32_form.h"

#include <commctrl.h>

#include <stdexcept>

#include "form/twips.h"
#include "windows/wide_names.h"

namespace ui_win32 {
namespace {

using rt::windows::Utf8;
using rt::windows::Wide;

constexpr wchar_t kClassName[] = L"WordAndNumberToolsForm";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// Commands: the menu's entry, then one per control. Both stay clear of IDOK and IDCANCEL, which
// the dialog manager sends for Enter and Escape.
constexpr int kMenuCommand = 40001;
constexpr int kFirstControlCommand = 1000;
constexpr int kIconResource = 1;

struct ControlClass {
    const wchar_t* name;
    DWORD style;
    DWORD extendedStyle;
};

ControlClass ClassOf(form::Kind kind) {
    // Overlapping controls do not paint over each other.
    constexpr DWORD child = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    switch (kind) {
        case form::Kind::Button:
            return {L"BUTTON",
                    child | WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE | BS_CENTER | BS_VCENTER, 0};
        case form::Kind::Label: return {L"STATIC", child | SS_LEFT | SS_NOPREFIX, 0};
        case form::Kind::Frame: return {L"BUTTON", child | BS_GROUPBOX, 0};
        case form::Kind::Option: return {L"BUTTON", child | BS_AUTORADIOBUTTON | BS_MULTILINE, 0};
        case form::Kind::CheckBox:
            return {L"BUTTON", child | WS_TABSTOP | BS_AUTOCHECKBOX | BS_MULTILINE, 0};
        case form::Kind::TextBox:
            return {L"EDIT", child | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    }
    throw std::logic_error("unknown kind of control");
}

void RegisterClassOnce(HINSTANCE instance, WNDPROC procedure) {
    static const bool registered = [instance, procedure] {
        WNDCLASSEXW kind{};
        kind.cbSize = sizeof kind;
        kind.lpfnWndProc = procedure;
        kind.hInstance = instance;
        kind.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kIconResource));
        kind.hIconSm = kind.hIcon;
        kind.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        kind.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        kind.lpszClassName = kClassName;
        return RegisterClassExW(&kind) != 0;
    }();
    if (!registered) throw std::runtime_error("the window class could not be registered");
}

// Mouse and keyboard input, which the controls of a window busy with a run do not take.
bool IsInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
}

}  // namespace

Win32Form::Win32Form(const form::Form& declaration) : declaration_(declaration) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    // Once for the process: the controls are drawn with visual styles (the manifest asks for
    // them) and each window follows the DPI of its screen.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
    RegisterClassOnce(instance, Procedure);

    if (!declaration.menuName.empty()) {
        menu_ = CreateMenu();
        AppendMenuW(menu_, MF_STRING, kMenuCommand, Wide(declaration.menuText).c_str());
        ACCEL f1{FVIRTKEY, VK_F1, kMenuCommand};
        keys_ = CreateAcceleratorTableW(&f1, 1);
    }
    window_ =
        CreateWindowExW(0, kClassName, Wide(declaration.title).c_str(), kWindowStyle, CW_USEDEFAULT,
                        CW_USEDEFAULT, 100, 100, nullptr, menu_, instance, this);
    if (!window_) throw std::runtime_error("the window could not be made");

    // Creation order is the tab order; a label that names a control comes just before it, which
    // is how accessibility tools find the name of an edit box.
    std::vector<const form::Control*> order;
    for (const form::Control& control : declaration.controls) {
        if (control.kind == form::Kind::Label) {
            bool names = false;
            for (const form::Control& other : declaration.controls)
                names = names || other.namedBy == control.name;
            if (names) continue;
        }
        if (!control.namedBy.empty()) {
            const form::Control* by = declaration.find(control.namedBy);
            if (by && by->kind == form::Kind::Label) order.push_back(by);
        }
        order.push_back(&control);
    }
    std::string_view lastContainer = "\n";  // no container has this name
    form::Kind lastKind = form::Kind::Label;
    int command = kFirstControlCommand;
    for (const form::Control* control : order) {
        ControlClass kind = ClassOf(control->kind);
        // A group of options starts at its first option and ends at the next control of another
        // kind or container; the arrow keys move within it, Tab reaches it once.
        const bool continuesGroup = control->kind == form::Kind::Option &&
                                    lastKind == form::Kind::Option &&
                                    control->container == lastContainer;
        if (!continuesGroup) kind.style |= WS_GROUP;
        if (control->kind == form::Kind::Option && !continuesGroup) kind.style |= WS_TABSTOP;
        lastKind = control->kind;
        lastContainer = control->container;

        HWND made = CreateWindowExW(
            kind.extendedStyle, kind.name, Wide(control->text).c_str(), kind.style, 0, 0, 10, 10,
            window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(command)), instance, nullptr);
        if (!made) throw std::runtime_error("a control could not be made");
        if (control->chosen) SendMessageW(made, BM_SETCHECK, BST_CHECKED, 0);
        controls_.push_back({control, made, command});
        ++command;
    }
    // Windows draws a control made earlier above one made later. A frame lies beneath the
    // options it holds, and a label that overlaps another control beneath that control, so that
    // neither hides what it overlaps and clicks reach it. (The tab order and groups follow the
    // order of the controls that take the focus, which this keeps.)
    for (const Made& frame : controls_) {
        if (frame.control->kind == form::Kind::Frame)
            SetWindowPos(frame.window, HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    for (const Made& label : controls_) {
        if (label.control->kind != form::Kind::Label) continue;
        const RECT mine = PlaceInClient(label.control);
        for (const Made& other : controls_) {
            RECT overlap{};
            const RECT theirs = PlaceInClient(other.control);
            if (other.control->kind != form::Kind::Label &&
                IntersectRect(&overlap, &mine, &theirs)) {
                SetWindowPos(label.window, HWND_BOTTOM, 0, 0, 0, 0,
                             SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
                break;
            }
        }
    }
    layout(GetDpiForWindow(window_));
}

Win32Form::~Win32Form() {
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    if (keys_) DestroyAcceleratorTable(keys_);
    if (font_) DeleteObject(font_);
}

void Win32Form::connectHandlers(const form::Handlers& handlers) {
    for (const form::Handler& handler : handlers)
        clicks_[commandOf(handler.control)] = handler.click;
}

int Win32Form::commandOf(std::string_view name) const {
    if (menu_ && name == declaration_.menuName) return kMenuCommand;
    for (const Made& made : controls_)
        if (made.control->name == name) return made.command;
    throw std::logic_error("no control named " + std::string(name));
}

HWND Win32Form::control(std::string_view name) const {
    for (const Made& made : controls_)
        if (made.control->name == name) return made.window;
    return nullptr;
}

HWND Win32Form::existing(std::string_view name) const {
    HWND found = control(name);
    if (!found) throw std::logic_error("no control named " + std::string(name));
    return found;
}

void Win32Form::layout(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
    HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
    if (font_) DeleteObject(font_);
    font_ = font;

    // The font's cell: the average width of the 52 letters and the height, as dialog units.
    HDC dc = GetDC(window_);
    HGDIOBJ previous = SelectObject(dc, font_);
    SIZE letters{};
    static constexpr wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    GetTextExtentPoint32W(dc, kLetters, 52, &letters);
    TEXTMETRICW text{};
    GetTextMetricsW(dc, &text);
    SelectObject(dc, previous);
    ReleaseDC(window_, dc);
    const form::Twips twips = form::Twips::ForCell(letters.cx / 52.0, text.tmHeight);

    for (const Made& made : controls_) {
        const RECT place = PlaceInClient(made.control);
        SetWindowPos(made.window, nullptr, twips.x(place.left), twips.y(place.top),
                     twips.x(place.right - place.left), twips.y(place.bottom - place.top),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(made.window, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    }
    RECT outer{0, 0, twips.x(declaration_.width), twips.y(declaration_.height)};
    AdjustWindowRectExForDpi(&outer, kWindowStyle, menu_ != nullptr, 0, dpi);
    SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT Win32Form::PlaceInClient(const form::Control* control) const {
    form::Place place = control->place;
    if (!control->container.empty()) {
        const form::Control* frame = declaration_.find(control->container);
        place.left += frame->place.left;
        place.top += frame->place.top;
    }
    return RECT{place.left, place.top, place.left + place.width, place.top + place.height};
}

void Win32Form::centre() {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT outer{};
    GetWindowRect(window_, &outer);
    const RECT& screen = monitor.rcMonitor;
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    SetWindowPos(window_, nullptr, screen.left + (screen.right - screen.left - width) / 2,
                 screen.top + (screen.bottom - screen.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Form::show() {
    if (declaration_.centred) centre();
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
    if (!controls_.empty()) {
        for (const Made& made : controls_) {
            if (made.control == &declaration_.controls.front()) SetFocus(made.window);
        }
    }
}

bool Win32Form::preTranslate(MSG& message) {
    if (!window_) return false;
    if (keys_ && TranslateAcceleratorW(window_, keys_, &message)) return true;
    // Enter clicks the focused button, as Space does.
    if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN) {
        for (const Made& made : controls_) {
            if (made.window == message.hwnd && made.control->kind == form::Kind::Button) {
                SendMessageW(made.window, BM_CLICK, 0, 0);
                return true;
            }
        }
    }
    return IsDialogMessageW(window_, &message) != 0;
}

int Win32Form::runMessageLoop() {
    MSG message;
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
        if (got == -1) return 1;
        if (preTranslate(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

LRESULT CALLBACK Win32Form::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* form = static_cast<Win32Form*>(create->lpCreateParams);
        form->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<Win32Form*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!form) return DefWindowProcW(window, message, wParam, lParam);
    return form->handle(message, wParam, lParam);
}

LRESULT Win32Form::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            // A run takes no clicks and no menu; the dialog manager's IDOK and IDCANCEL do
            // nothing here.
            if (runs_ > 0) return 0;
            const int command = LOWORD(wParam);
            const int code = HIWORD(wParam);
            const auto found = clicks_.find(command);
            if (found == clicks_.end()) return 0;
            if (command == kMenuCommand || code == BN_CLICKED) found->second();
            return 0;
        }
        case WM_CLOSE:
            if (runs_ > 0) {
                // The window stays until the run has stopped; then the program ends.
                closeRequested_ = true;
                return 0;
            }
            DestroyWindow(window_);
            return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
        case WM_NCDESTROY: window_ = nullptr; break;
        case WM_DPICHANGED: {
            layout(HIWORD(wParam));
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window_, nullptr, suggested->left, suggested->top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_NCLBUTTONDOWN:
            // The menu bar is not opened during a run.
            if (runs_ > 0 && wParam == HTMENU) return 0;
            break;
        default: break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

std::string Win32Form::text(std::string_view name) const {
    HWND control = existing(name);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return Utf8(text);
}

void Win32Form::setText(std::string_view name, std::string_view text) {
    SetWindowTextW(existing(name), Wide(text).c_str());
}

bool Win32Form::chosen(std::string_view name) const {
    return SendMessageW(existing(name), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32Form::paintNow(std::string_view name) {
    RedrawWindow(existing(name), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

std::string Win32Form::decimalMark() const {
    wchar_t mark[8] = {};
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, mark, 8) <= 0) return ".";
    return Utf8(mark);
}

void Win32Form::runStarting() {
    if (runs_++ == 0) closeRequested_ = false;
}

void Win32Form::runEnded() {
    --runs_;
}

bool Win32Form::serve() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));  // for the loop outside the run
            break;
        }
        // The window's controls take no input while the run goes on; other windows (a box the
        // run shows) do.
        if (IsInput(message.message) && window_ &&
            (message.hwnd == window_ || IsChild(window_, message.hwnd)))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return !closeRequested_;
}

}  // namespace ui_win32
