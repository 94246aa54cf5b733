#include "chainmaker_form.h"

#include <optional>
#include <utility>

#include "files.h"
#include "form/live_run.h"
#include "runtime_error.h"

const form::Form& ChainmakerForm::Declaration() {
    using form::Kind;
    static const form::Form declaration{
        .name = "Form1",
        .title = "Chainmaker",
        .width = 9105,
        .height = 7065,
        .menuName = "mnuHlp",
        .menuText = "Help",
        .icon = "chainmaker",
        .controls =
            {
                {Kind::Button, "Command1", "Go", {1320, 480, 2295, 1455}},
                {Kind::CheckBox,
                 "chkTwo",
                 "Form all combinations of two",
                 {1080, 3048, 2895, 615},
                 {},
                 true},
                {Kind::CheckBox,
                 "chkThree",
                 "Form combinations of three",
                 {1080, 3696, 2895, 615},
                 {},
                 true},
                {Kind::CheckBox,
                 "chkOne",
                 "Include original list",
                 {1080, 2400, 3015, 615},
                 {},
                 true},
                {Kind::Frame, "Frame1", "Use this separator", {4560, 480, 4095, 2535}},
                {Kind::Option, "optSpace", "Space", {240, 360, 3255, 495}, "Frame1", true},
                {Kind::Option, "optTab", "Tab", {240, 840, 3255, 495}, "Frame1"},
                {Kind::Option, "optNoSeparator", "None", {240, 1320, 3255, 495}, "Frame1"},
                {Kind::Option,
                 "optOtherSeparator",
                 "Other (specify):",
                 {240, 1800, 1695, 495},
                 "Frame1"},
                // Named by the option it belongs to; the frame's title is its label too.
                {Kind::TextBox,
                 "txtSeparator",
                 "",
                 {2280, 1800, 1335, 375},
                 "Frame1",
                 false,
                 "optOtherSeparator"},
                {Kind::CheckBox, "chkFour", "Form combinations of four", {1080, 4344, 2895, 615}},
                {Kind::CheckBox, "chkFive", "Form combinations of five", {1080, 4992, 2775, 615}},
                {Kind::CheckBox, "chkSix", "Form combinations of six", {1080, 5640, 3015, 615}},
                {Kind::CheckBox,
                 "chkExclude",
                 "Exclude strings in the file exclude.txt",
                 {4560, 3360, 4095, 615}},
            },
    };
    return declaration;
}

ChainmakerForm::ChainmakerForm(form::View& view, rt::Platform& platform,
                               std::filesystem::path folder)
    : view_(view), platform_(platform), folder_(std::move(folder)) {}

form::Handlers ChainmakerForm::handlers() {
    return {{"Command1", [this] { Command1_Click(); }}, {"mnuHlp", [this] { mnuHlp_Click(); }}};
}

// What the window adds to the job's run: its boxes, and the progress of the writing on the
// button, served from the run from the first progress call on (just before out.txt is created).
class ChainmakerForm::RunEvents : public rt::BoxEvents {
  public:
    explicit RunEvents(ChainmakerForm& form) : rt::BoxEvents(form.platform_), form_(form) {}

    void progress(std::uint64_t done, std::uint64_t known) override {
        if (!live_) {
            live_.emplace(form_.view_, "Command1");
            return;
        }
        live_->pulse([&] {
            return form::ProgressCaption("Writing...", static_cast<double>(done),
                                         static_cast<double>(known));
        });
    }
    // The writing is over: the window is no longer served from the run.
    void done() { live_.reset(); }

  private:
    ChainmakerForm& form_;
    std::optional<form::LiveRun> live_;  // while out.txt is written
};

void ChainmakerForm::Command1_Click() {
    form::GoClick(AlreadyClicked, platform_, [this] { RunSteps(); });
}

void ChainmakerForm::RunSteps() {
    rt::RunReportingUnhandledErrors(platform_, [&] {
        chainmaker::Options options;
        static constexpr const char* kBlocks[] = {"chkOne",  "chkTwo",  "chkThree",
                                                  "chkFour", "chkFive", "chkSix"};
        for (int k = 1; k <= chainmaker::kMaxMembers; ++k)
            options.blocks[k - 1] = view_.chosen(kBlocks[k - 1]);
        options.exclude = view_.chosen("chkExclude");
        if (options.exclude) ExcludeFileMissing = false;
        EstablishSeparator();
        options.separator = Separator;
        RunEvents events(*this);
        chainmaker::Result result = chainmaker::Run(folder_, options, events);
        lists_ = std::move(result.lists);
        switch (result.outcome) {
            case chainmaker::Outcome::Written:
                events.done();
                view_.setText("Command1", kDoneCaption);
                view_.paintNow("Command1");
                break;
            case chainmaker::Outcome::ExcludeUnreadable: ExcludeFileMissing = true; break;
            case chainmaker::Outcome::SizeRefused:
                // Nothing was written: the next click is a new run, from the files and the
                // settings of that time.
                AlreadyClicked = false;
                lists_ = {};
                break;
        }
    });
}

void ChainmakerForm::EstablishSeparator() {
    if (view_.chosen("optSpace")) {
        Separator = " ";
    } else if (view_.chosen("optTab")) {
        Separator = "\t";
    } else if (view_.chosen("optNoSeparator")) {
        Separator.clear();
    } else {
        Separator = view_.text("txtSeparator");
    }
}

void ChainmakerForm::mnuHlp_Click() {
    platform_.messageBox(std::string(kHelpText1) + kHelpText2, rt::Buttons::Ok);
}
