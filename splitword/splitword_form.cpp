#include "splitword_form.h"

#include <cstdint>
#include <optional>
#include <utility>

#include "form/live_run.h"
#include "numbers.h"
#include "runtime_error.h"
#include "splitword_job.h"

namespace {

constexpr std::chrono::milliseconds kPaintInterval{30};

}  // namespace

const form::Form& SplitwordForm::Declaration() {
    using form::Kind;
    static const form::Form declaration{
        .name = "Form1",
        .title = "Splitword",
        .width = 4680,
        .height = 5250,
        .icon = "splitword",
        .controls =
            {
                {Kind::Button, "Command1", "Go", {1320, 2280, 2295, 1335}},
                {Kind::TextBox,
                 "ThresholdLength",
                 "2",
                 {1800, 4560, 1215, 375},
                 {},
                 false,
                 "Label1"},
                {Kind::Label,
                 "Label2",
                 "Look for possible compounds in a list of words.  This program finds words that "
                 "are the concatenation of two other words in the same list.  ",
                 {360, 240, 4095, 855}},
                {Kind::Label,
                 "Label3",
                 "Put your word list into a plain-text file called in.txt, located in the same "
                 "folder as this program.  Output will appear in out.txt.",
                 {360, 1200, 4215, 735}},
                {Kind::Label,
                 "Label1",
                 "Threshold length to be counted as a possible compound member:",
                 {1200, 3960, 2655, 495}},
            },
    };
    return declaration;
}

// The job's boxes, and the word the run works on on the button.
class SplitwordForm::RunProgress : public rt::BoxEvents {
  public:
    RunProgress(SplitwordForm& form, form::LiveRun& live)
        : rt::BoxEvents(form.platform_), form_(form), live_(live) {}
    void progress(std::uint64_t index, std::uint64_t count) override {
        form_.setCaption(
            "Working on #" + std::to_string(index) + " out of " + std::to_string(count), false);
        // Called before the lines of word `index` are written: a stop here leaves whole lines.
        live_.pulse();
    }

  private:
    SplitwordForm& form_;
    form::LiveRun& live_;
};

SplitwordForm::SplitwordForm(form::View& view, rt::Platform& platform, std::filesystem::path folder)
    : view_(view),
      platform_(platform),
      folder_(std::move(folder)),
      lastPaint_(std::chrono::steady_clock::now()) {}

form::Handlers SplitwordForm::handlers() {
    return {{"Command1", [this] { Command1_Click(); }}};
}

void SplitwordForm::setCaption(const std::string& caption, bool now) {
    view_.setText("Command1", caption);
    if (onCaption) onCaption(caption);
    const auto time = std::chrono::steady_clock::now();
    if (now || time - lastPaint_ >= kPaintInterval) {
        view_.paintNow("Command1");
        lastPaint_ = time;
    }
}

void SplitwordForm::Command1_Click() {
    form::GoClick(AlreadyClicked, platform_, [this] { RunSteps(); });
}

void SplitwordForm::RunSteps() {
    rt::RunReportingUnhandledErrors(platform_, [&] {
        // Number to text and back follow the desktop's language; the leading number does not.
        const std::string mark = view_.decimalMark();
        const std::string normalised =
            splitword::NormaliseThresholdText(view_.text("ThresholdLength"), mark);
        view_.setText("ThresholdLength", normalised);
        view_.paintNow("ThresholdLength");
        const double threshold = rt::TextToNumber(normalised, mark);

        form::LiveRun live(view_, {});  // the captions are the run's own
        RunProgress progress(*this, live);
        setCaption("Reading input file ...", true);
        splitword::Options options;
        options.threshold = threshold;
        if (splitword::Run(folder_, options, progress).sizeRefused) {
            // Nothing was written: the next click is a new run, from the list and the threshold
            // of that time.
            AlreadyClicked = false;
            setCaption("Go", true);
            return;
        }
        setCaption("Done! Click again to exit.", true);
    });
}
