#include "programs.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "binning_form.h"
#include "binning_job.h"
#include "chainmaker_form.h"
#include "current_folder.h"
#include "folder_snapshot.h"
#include "numbers.h"
#include "reference.h"
#include "runtime_error.h"
#include "scripted_view.h"
#include "splitword_form.h"
#include "splitword_job.h"
#include "temp_folder.h"

namespace badinput {

namespace fs = std::filesystem;
using testing_support::CurrentFolder;
using testing_support::ScriptedPlatform;

const char* ProgramName(Program program) {
    switch (program) {
        case Program::Binning: return "Binning";
        case Program::Chainmaker: return "Chainmaker";
        case Program::Splitword: return "Splitword";
    }
    return "?";
}

std::set<std::string> OutputNames(Program program) {
    switch (program) {
        case Program::Binning: return {"Results.txt"};
        case Program::Chainmaker: return {"out.txt"};
        case Program::Splitword: return {"Debug.txt", "out.txt"};
    }
    return {};
}

std::string DoneCaption(Program program) {
    switch (program) {
        case Program::Binning: return BinningForm::kDoneCaption;
        case Program::Chainmaker: return ChainmakerForm::kDoneCaption;
        case Program::Splitword: return testing_support::splitword_texts::kDoneCaption;
    }
    return {};
}

const char* ResultName(Result result) {
    switch (result) {
        case Result::Completed: return "completed";
        case Result::Stopped: return "stopped on its check";
        case Result::Ended: return "ended after a failure box";
    }
    return "?";
}

bool IsProgramErrorBox(std::string_view text) {
    using testing_support::binning_texts::kProgramErrorEnd;
    using testing_support::binning_texts::kProgramErrorStart;
    if (!text.starts_with(kProgramErrorStart) || !text.ends_with(kProgramErrorEnd)) return false;
    const std::string_view address =
        text.substr(kProgramErrorStart.size(),
                    text.size() - kProgramErrorStart.size() - kProgramErrorEnd.size());
    const auto at = address.find('@');
    return at != std::string_view::npos && at > 0 && at + 1 < address.size() &&
           address.find(' ') == std::string_view::npos;
}

// ---- The windows --------------------------------------------------------------------------------

namespace {

constexpr const char* kBlockBoxes[] = {"chkOne",  "chkTwo",  "chkThree",
                                       "chkFour", "chkFive", "chkSix"};

const form::Form& Declaration(Program program) {
    switch (program) {
        case Program::Binning: return BinningForm::Declaration();
        case Program::Chainmaker: return ChainmakerForm::Declaration();
        case Program::Splitword: break;
    }
    return SplitwordForm::Declaration();
}

const char* GoButton(Program program) {
    return program == Program::Binning ? "cmdGo" : "Command1";
}

}  // namespace

struct Window::Parts {
    Parts(Program program, const fs::path& folder)
        : program(program), folder(folder), view(Declaration(program)) {}
    Program program;
    fs::path folder;
    testing_support::ScriptedView view;
    std::optional<BinningForm> binning;
    std::optional<ChainmakerForm> chainmaker;
    std::optional<SplitwordForm> splitword;
    form::Handlers handlers;
};

Window::Window(Program program, const fs::path& folder, const Settings& settings,
               ScriptedPlatform& platform)
    : parts_(std::make_unique<Parts>(program, folder)) {
    // A run that shows box after box would never end: stop it after ten.
    platform.onBox = [&platform, previous = platform.onBox](const ScriptedPlatform::Box& box) {
        if (previous) previous(box);
        if (platform.boxes.size() > 10) throw EndlessBoxes();
    };
    testing_support::ScriptedView& view = parts_->view;
    switch (program) {
        case Program::Binning:
            view.choose(settings.pairs ? "optPairsOfValues" : "optSingleValues");
            parts_->handlers = parts_->binning.emplace(view, platform, folder).handlers();
            break;
        case Program::Chainmaker: {
            for (int k = 0; k < 6; ++k) view.choose(kBlockBoxes[k], (settings.blocks >> k) & 1u);
            view.choose("chkExclude", settings.exclude);
            const std::string_view separator = settings.separator;
            const char* const option = separator == " "    ? "optSpace"
                                       : separator == "\t" ? "optTab"
                                       : separator.empty() ? "optNoSeparator"
                                                           : "optOtherSeparator";
            view.choose(option);
            view.setText("txtSeparator", option == std::string_view("optOtherSeparator")
                                             ? settings.separator
                                             : std::string());
            parts_->handlers = parts_->chainmaker.emplace(view, platform, folder).handlers();
            break;
        }
        case Program::Splitword:
            view.setText("ThresholdLength", settings.threshold);
            parts_->handlers = parts_->splitword.emplace(view, platform).handlers();
            break;
    }
}

Window::~Window() = default;

void Window::click() {
    const CurrentFolder current(parts_->folder);  // Splitword's bare file names
    parts_->view.click(GoButton(parts_->program), parts_->handlers);
}

std::string Window::caption() const {
    return parts_->view.text(GoButton(parts_->program));
}

// ---- The plain transcriptions -------------------------------------------------------------------

Reference RunPlain(Program program, const fs::path& folder, const Settings& settings) {
    testing_support::TempFolder copy;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file() && !entry.is_symlink())
            fs::copy_file(entry.path(), copy / entry.path().filename().string());
    }
    const Snapshot before = TakeSnapshot(copy.path());

    Reference plain;
    try {
        switch (program) {
            case Program::Binning:
                plain.message = reference::Binning(copy.path(), settings.pairs);
                if (!plain.message.empty()) plain.result = Result::Stopped;
                break;
            case Program::Chainmaker:
                if (!reference::Chainmaker(copy.path(), settings.blocks, settings.separator,
                                           settings.exclude)) {
                    plain.result = Result::Stopped;
                    plain.message = kExcludeMissingBox;
                }
                break;
            case Program::Splitword:
                reference::Splitword(
                    copy.path(),
                    rt::TextToNumber(splitword::NormaliseThresholdText(settings.threshold)));
                break;
        }
    } catch (const rt::RuntimeError& error) {
        plain.result = Result::Ended;
        plain.error = error.number();
    }
    for (const std::string& name : OutputNames(program)) {
        if (plain.result == Result::Completed) {
            plain.outputs[name] = ReadBytes(copy / name);
        } else if (ChangeOf(before, copy.path(), name).empty()) {
            plain.untouched.insert(name);
        }
    }
    return plain;
}

std::vector<ScriptedPlatform::Box> ExpectedBoxes(Program program, const Reference& reference) {
    using Box = ScriptedPlatform::Box;
    switch (reference.result) {
        case Result::Completed: return {};
        case Result::Stopped: return {Box{reference.message, rt::Buttons::Ok, ""}};
        case Result::Ended: break;
    }
    if (program != Program::Binning) {
        return {Box{UnhandledReport(reference.error, reference.advice), rt::Buttons::Ok, ""}};
    }
    switch (reference.error) {
        case rt::kPermissionDenied:
            return {Box{std::string(kPermissionBox), rt::Buttons::OkCancel, ""}};
        case rt::kFileNotFound:
            return {Box{std::string(kFileNotFoundBox), rt::Buttons::OkCancel, ""}};
        default: return {Box{binning::ProgramErrorMessage(), rt::Buttons::Ok, ""}};
    }
}

// ---- The comparison -----------------------------------------------------------------------------

namespace {

std::string Shown(const std::vector<ScriptedPlatform::Box>& boxes) {
    std::string text;
    for (const auto& box : boxes) {
        text +=
            "[" + box.text + "] " + (box.buttons == rt::Buttons::Ok ? "OK" : "OK, Cancel") + "\n";
    }
    return text.empty() ? "no box" : text;
}

}  // namespace

Reference Completed(std::map<std::string, std::string> outputs) {
    Reference reference;
    reference.outputs = std::move(outputs);
    return reference;
}

Reference EndedOn(int number, std::set<std::string> untouched, std::string advice) {
    Reference reference;
    reference.result = Result::Ended;
    reference.error = number;
    reference.advice = std::move(advice);
    reference.untouched = std::move(untouched);
    return reference;
}

Result CheckAgainstPlain(Program program, const fs::path& folder, const Settings& settings) {
    const Reference reference = RunPlain(program, folder, settings);
    CheckRun(program, folder, settings, reference);
    return reference.result;
}

void CheckRun(Program program, const fs::path& folder, const Settings& settings,
              const Reference& reference) {
    const Snapshot before = TakeSnapshot(folder);
    const std::set<std::string> outputs = OutputNames(program);

    ScriptedPlatform platform;
    platform.answers.assign(10, rt::Answer::Cancel);
    Window window(program, folder, settings, platform);
    try {
        window.click();
    } catch (const EndlessBoxes&) {
        ADD_FAILURE() << "endless boxes: " << Shown(platform.boxes);
        return;
    }

    // The boxes, the end of the program and the caption.
    const auto expectedBoxes = ExpectedBoxes(program, reference);
    EXPECT_EQ(Shown(platform.boxes), Shown(expectedBoxes))
        << "expected: " << ResultName(reference.result);
    for (const auto& box : platform.boxes) EXPECT_EQ(box.title, "");
    EXPECT_EQ(platform.endCount, reference.result == Result::Ended ? 1 : 0);
    const std::string caption = window.caption();
    if (reference.result == Result::Completed) {
        EXPECT_EQ(caption, DoneCaption(program));
    } else {
        EXPECT_EQ(caption.rfind("Done", 0), std::string::npos) << caption;
    }

    // No input changed; the outputs hold what they should, or are as they were.
    for (const std::string& change : ChangesBesides(before, folder, outputs))
        ADD_FAILURE() << change;
    for (const auto& [name, bytes] : reference.outputs) {
        if (bytes.size() < 4096) {
            EXPECT_EQ(ReadBytes(folder / name), bytes) << name;
        } else {
            EXPECT_TRUE(FileHolds(folder / name, bytes));
        }
    }
    for (const std::string& name : reference.untouched)
        EXPECT_EQ(ChangeOf(before, folder, name), "") << name << " should be untouched";

    // The next click: after a completed run, and after Chainmaker's exclude.txt message, it ends
    // the program and touches nothing; after Binning's own check it starts a new run, which
    // stops on the same check.
    if (reference.result == Result::Ended) return;
    const std::size_t boxesBefore = platform.boxes.size();
    std::map<std::string, std::uintmax_t> sizes;
    for (const std::string& name : outputs) {
        std::error_code ec;
        sizes[name] = fs::file_size(folder / name, ec);
    }
    window.click();
    if (reference.result == Result::Stopped && program == Program::Binning) {
        EXPECT_EQ(platform.endCount, 0);
        const std::vector<ScriptedPlatform::Box> again(
            platform.boxes.begin() + static_cast<std::ptrdiff_t>(boxesBefore),
            platform.boxes.end());
        EXPECT_EQ(Shown(again), Shown(expectedBoxes)) << "the same check again";
    } else {
        EXPECT_EQ(platform.endCount, 1) << "the next click ends the program";
        EXPECT_EQ(platform.boxes.size(), boxesBefore);
    }
    for (const std::string& change : ChangesBesides(before, folder, outputs))
        ADD_FAILURE() << "after the next click: " << change;
    for (const std::string& name : outputs) {
        std::error_code ec;
        EXPECT_EQ(fs::file_size(folder / name, ec), sizes[name]) << name << " after the next click";
    }
}

}  // namespace badinput
