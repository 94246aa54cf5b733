#include "binning_form.h"

#include <utility>

#include "form/live_run.h"

namespace {

// The job's boxes, and the count's progress on the button.
class WindowEvents : public binning::BoxEvents {
  public:
    WindowEvents(rt::Platform& platform, form::LiveRun& live) : BoxEvents(platform), live_(live) {}
    void progress(std::uint64_t read, std::uint64_t size) override {
        live_.pulse([&] {
            return form::ProgressCaption("Counting...", static_cast<double>(read),
                                         static_cast<double>(size));
        });
    }

  private:
    form::LiveRun& live_;
};

}  // namespace

const form::Form& BinningForm::Declaration() {
    using form::Kind;
    static const form::Form declaration{
        .name = "Binning",
        .title = "Sort data into bins",
        .width = 7020,
        .height = 4995,
        .menuName = "mnuHelp",
        .menuText = "Help",
        .icon = "binning",
        .centred = true,
        .controls =
            {
                {Kind::Button, "cmdGo", "Go", {1920, 3120, 3255, 1095}},
                {Kind::Frame, "Frame1", "Specify data type", {1920, 1440, 3255, 1215}},
                // Neither option is chosen at start.
                {Kind::Option, "optSingleValues", "Single values", {240, 240, 2655, 375}, "Frame1"},
                {Kind::Option,
                 "optPairsOfValues",
                 "Pairs of values",
                 {240, 600, 2775, 495},
                 "Frame1"},
                {Kind::Label,
                 "Label1",
                 "Click Help to learn how to run the program.",
                 {600, 840, 6135, 975}},
                {Kind::Label,
                 "Label2",
                 "Count how many of your numerical data are within a certain range; i.e. sort "
                 "into bins.",
                 {600, 360, 6135, 495}},
            },
    };
    return declaration;
}

BinningForm::BinningForm(form::View& view, rt::Platform& platform, std::filesystem::path folder)
    : view_(view), platform_(platform), folder_(std::move(folder)) {}

form::Handlers BinningForm::handlers() {
    return {{"cmdGo", [this] { cmdGo_Click(); }}, {"mnuHelp", [this] { mnuHelp_Click(); }}};
}

void BinningForm::cmdGo_Click() {
    form::GoClick(AlreadyClicked, platform_, [this] { RunSteps(); });
}

void BinningForm::RunSteps() {
    const bool single = view_.chosen("optSingleValues");
    const bool pairs = view_.chosen("optPairsOfValues");
    if (!single && !pairs) {
        platform_.messageBox("Please select single values or pairs of values.", rt::Buttons::Ok);
        AlreadyClicked = false;
        return;
    }
    const binning::Mode mode = pairs ? binning::Mode::PairsOfValues : binning::Mode::SingleValues;
    try {
        form::LiveRun live(view_, "cmdGo");
        WindowEvents events(platform_, live);
        binning::Options options = runSettings;
        options.mode = mode;
        switch (binning::Run(folder_, options, events)) {
            case binning::Outcome::Completed: break;
            case binning::Outcome::StoppedOnCutoffs:
            case binning::Outcome::StoppedOnSize:
                // Nothing was written: the button still reads Go, and the next click is a new
                // run from the files of that time.
                AlreadyClicked = false;
                return;
        }
    } catch (const binning::RunEnded&) {
        platform_.endProgram();
        return;
    }
    view_.setText("cmdGo", kDoneCaption);
    view_.paintNow("cmdGo");
}

std::string BinningForm::HelpText() {
    static constexpr const char* kBreak = "\n\r\n\r";
    std::string text;
    text +=
        "This program assumes your data are numbers, included in a text file entitled "
        "Data.txt, ";
    text +=
        "in the same folder as this program; and that you have placed a series of numerical "
        "cutoffs ";
    text +=
        "in a text file entitled Bins.txt.  The program will then tell you how many values "
        "occurred in each bin.";
    text += kBreak;
    text +=
        "The simplest calculation of the program will count single values, but you can also "
        "run it on pairs of data (such as Observed vs. Predicted), as follows:";
    text += kBreak;
    text += "Each data pair should appear on a single line in Data.txt, separated by a tab.";
    text += "You should also check the relevant box before running the program.  ";
    text += kBreak;
    text +=
        "You can employ separate thresholds for the first and second values by including "
        "them in files entitled Bins1.txt and Bin2.txt.";
    return text;
}

void BinningForm::mnuHelp_Click() {
    platform_.messageBox(HelpText(), rt::Buttons::Ok, "Binning");
}
