// Each window built by the Win32 builder: its declared controls are the Windows controls of their
// kinds with their captions and states; a click on Go, sent as the window's own WM_COMMAND, writes
// the output and shows the Done caption; the next click ends the program; closing the window
// during a run stops it after whole lines.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "binning_form.h"
#include "chainmaker_form.h"
#include "current_folder.h"
#include "form/live_run.h"
#include "program_texts.h"
#include "scripted_platform.h"
#include "splitword_form.h"
#include "temp_folder.h"
#include "ui_win32/win32_form.h"
#include "windows/wide_names.h"

namespace {

using testing_support::ScriptedPlatform;
using testing_support::TempFolder;

std::string ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return rt::windows::Utf8(name);
}

// What a button's styles make of it.
std::string ButtonKind(HWND window) {
    switch (GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK) {
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON: return "push";
        case BS_GROUPBOX: return "group";
        case BS_AUTORADIOBUTTON: return "radio";
        case BS_AUTOCHECKBOX: return "check";
        default: return "other";
    }
}

std::string Expected(form::Kind kind) {
    switch (kind) {
        case form::Kind::Button: return "Button push";
        case form::Kind::Label: return "Static";
        case form::Kind::Frame: return "Button group";
        case form::Kind::Option: return "Button radio";
        case form::Kind::CheckBox: return "Button check";
        case form::Kind::TextBox: return "Edit";
    }
    return "?";
}

// A program's window on a folder: built, its protocol connected.
struct Program {
    virtual ~Program() = default;
    virtual void click() = 0;
    ui_win32::Win32Form* window = nullptr;
};

template <class Form>
struct ProgramOf : Program {
    ProgramOf(rt::Platform& platform, const std::filesystem::path& folder)
        : native(Form::Declaration()), form(native, platform, folder) {
        native.connectHandlers(form.handlers());
        window = &native;
    }
    void click() override {}
    ui_win32::Win32Form native;
    Form form;
};

struct Case {
    const char* name;
    const form::Form& (*declaration)();
    std::function<std::unique_ptr<Program>(rt::Platform&, const std::filesystem::path&)> make;
    const char* go;
    std::function<void(TempFolder&, ui_win32::Win32Form&)> prepare;
    const char* output;
    std::string bytes;
    std::string done;
};

std::string ClickGo(ui_win32::Win32Form& window, const char* go) {
    SendMessageW(window.handle(), WM_COMMAND, MAKEWPARAM(window.commandOf(go), BN_CLICKED),
                 reinterpret_cast<LPARAM>(window.control(go)));
    return window.text(go);
}

const Case kCases[] = {
    {"Binning", &BinningForm::Declaration,
     [](rt::Platform& p, const std::filesystem::path& f) -> std::unique_ptr<Program> {
         return std::make_unique<ProgramOf<BinningForm>>(p, f);
     },
     "cmdGo",
     [](TempFolder& folder, ui_win32::Win32Form& window) {
         folder.write("bins.txt", testing_support::binning_texts::kBins);
         folder.write("Data.txt", testing_support::binning_texts::kData + "\n");
         SendMessageW(window.control("optSingleValues"), BM_CLICK, 0, 0);
     },
     "Results.txt", testing_support::binning_texts::kSingleReport, BinningForm::kDoneCaption},
    {"Chainmaker", &ChainmakerForm::Declaration,
     [](rt::Platform& p, const std::filesystem::path& f) -> std::unique_ptr<Program> {
         return std::make_unique<ProgramOf<ChainmakerForm>>(p, f);
     },
     "Command1",
     [](TempFolder& folder, ui_win32::Win32Form& window) {
         folder.write("in.txt", "a\r\nb\r\n");
         SendMessageW(window.control("chkThree"), BM_CLICK, 0, 0);  // clears it
         SendMessageW(window.control("optTab"), BM_CLICK, 0, 0);
     },
     "out.txt", "a\r\nb\r\na\ta\r\na\tb\r\nb\ta\r\nb\tb\r\n", ChainmakerForm::kDoneCaption},
    {"Splitword", &SplitwordForm::Declaration,
     [](rt::Platform& p, const std::filesystem::path& f) -> std::unique_ptr<Program> {
         return std::make_unique<ProgramOf<SplitwordForm>>(p, f);
     },
     "Command1",
     [](TempFolder& folder, ui_win32::Win32Form& window) {
         folder.write("in.txt", "black\nbird\nblackbird\n");
         window.setText("ThresholdLength", " 3x");
     },
     "out.txt", testing_support::splitword_texts::kCompoundHeader + "blackbird\tblack\tbird\r\n",
     testing_support::splitword_texts::kDoneCaption},
};

class NativeWindow : public ::testing::TestWithParam<Case> {};

TEST_P(NativeWindow, ShowsItsDeclaredControls) {
    const Case& c = GetParam();
    TempFolder folder;
    ScriptedPlatform platform;
    const auto program = c.make(platform, folder.path());
    ui_win32::Win32Form& window = *program->window;
    wchar_t title[128] = {};
    GetWindowTextW(window.handle(), title, 128);
    EXPECT_EQ(rt::windows::Utf8(title), c.declaration().title);
    for (const form::Control& control : c.declaration().controls) {
        SCOPED_TRACE(std::string(control.name));
        HWND made = window.control(control.name);
        ASSERT_NE(made, nullptr);
        std::string kind = ClassOf(made);
        if (kind == "Button") kind += " " + ButtonKind(made);
        EXPECT_EQ(kind, Expected(control.kind));
        EXPECT_EQ(window.text(control.name), control.text);
        EXPECT_EQ(GetParent(made), window.handle());
        if (control.kind == form::Kind::Option || control.kind == form::Kind::CheckBox) {
            EXPECT_EQ(window.chosen(control.name), control.chosen);
        }
        RECT place{};
        GetWindowRect(made, &place);
        EXPECT_GT(place.right - place.left, 0);
        EXPECT_GT(place.bottom - place.top, 0);
    }
    EXPECT_EQ(GetMenu(window.handle()) != nullptr, !c.declaration().menuName.empty());
}

TEST_P(NativeWindow, GoWritesTheOutputAndTheNextClickEnds) {
    const Case& c = GetParam();
    TempFolder folder;
    const testing_support::CurrentFolder current(folder.path());  // Splitword's bare names
    ScriptedPlatform platform;
    const auto program = c.make(platform, folder.path());
    c.prepare(folder, *program->window);
    EXPECT_EQ(ClickGo(*program->window, c.go), c.done);
    EXPECT_EQ(folder.read(c.output), c.bytes);
    EXPECT_TRUE(platform.boxes.empty()) << platform.boxes[0].text;
    EXPECT_EQ(platform.endCount, 0);
    ClickGo(*program->window, c.go);
    EXPECT_EQ(platform.endCount, 1);
}

INSTANTIATE_TEST_SUITE_P(Programs, NativeWindow, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NativeWindowRun, ClosingTheWindowDuringARunStopsItAfterAWholeLine) {
    TempFolder folder;
    std::string strings;
    for (int i = 0; i < 100; ++i) strings += "string" + std::to_string(i) + "\n";
    folder.write("in.txt", strings);
    ScriptedPlatform platform;
    ProgramOf<ChainmakerForm> program(platform, folder.path());
    form::LiveRun::setIntervals(std::chrono::milliseconds(0), std::chrono::milliseconds(0));
    PostMessageW(program.native.handle(), WM_CLOSE, 0, 0);
    const std::string caption = ClickGo(program.native, "Command1");
    form::LiveRun::setIntervals(std::chrono::milliseconds(500), std::chrono::milliseconds(100));
    EXPECT_EQ(platform.endCount, 1);
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_NE(caption, ChainmakerForm::kDoneCaption);
    const std::string stopped = folder.read("out.txt");
    ASSERT_GT(stopped.size(), 0u);
    EXPECT_EQ(stopped.substr(stopped.size() - 2), "\r\n");
    EXPECT_TRUE(IsWindow(program.native.handle())) << "closed only once the run had stopped";
}

}  // namespace
