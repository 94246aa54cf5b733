#include "splitword_window.h"

#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <cstdint>
#include <filesystem>
#include <new>
#include <optional>
#include <string>

#include "numbers.h"
#include "output_size.h"
#include "platform.h"
#include "room.h"
#include "runtime_error.h"
#include "splitword_job.h"
#include "ui/accessible_frame.h"
#include "ui/caption_button.h"
#include "ui/keyboard.h"
#include "ui/live_run.h"
#include "ui/twips.h"

namespace {

constexpr qint64 kPaintInterval = 30;  // milliseconds

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, QRect geometry) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(QString::fromUtf8(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFocusPolicy(Qt::NoFocus);
    label->setGeometry(geometry);
    return label;
}

}  // namespace

// The job's boxes, and the word the run works on on the button.
class SplitwordWindow::RunProgress : public rt::BoxEvents {
  public:
    RunProgress(SplitwordWindow& form, ui::LiveRun& live)
        : rt::BoxEvents(form.platform_), form_(form), live_(live) {}
    void progress(std::uint64_t index, std::uint64_t count) override {
        form_.setCaption(QStringLiteral("Working on #%1 out of %2").arg(index).arg(count), false);
        // Called before the lines of word `index` are written: a stop here leaves whole lines.
        live_.pulse();
    }

  private:
    SplitwordWindow& form_;
    ui::LiveRun& live_;
};

static void LoadIcons() {
    Q_INIT_RESOURCE(splitword);
}

SplitwordWindow::SplitwordWindow(rt::Platform& platform, QWidget* parent)
    : QWidget(parent), platform_(platform) {
    LoadIcons();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Splitword"));
    setWindowIcon(QIcon(QStringLiteral(":/splitword/icons/splitword-32.png")));
    ui::ExposeAsWindow(this);
    ui::ShowFocusFromStart(this);
    const ui::Twips twips(font());
    setFixedSize(twips.size(4680, 5250));

    Label2 = MakeLabel(this, "Label2",
                       "Look for possible compounds in a list of words.  This program finds words "
                       "that are the concatenation of two other words in the same list.  ",
                       twips.rect(360, 240, 4095, 855));
    Label3 = MakeLabel(this, "Label3",
                       "Put your word list into a plain-text file called in.txt, located in the "
                       "same folder as this program.  Output will appear in out.txt.",
                       twips.rect(360, 1200, 4215, 735));

    Command1 = new ui::CaptionButton(QStringLiteral("Go"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twips.rect(1320, 2280, 2295, 1335));
    Command1->setFocusPolicy(Qt::StrongFocus);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });

    Label1 =
        MakeLabel(this, "Label1", "Threshold length to be counted as a possible compound member:",
                  twips.rect(1200, 3960, 2655, 495));

    ThresholdLength = new QLineEdit(QStringLiteral("2"), this);
    ThresholdLength->setObjectName(QStringLiteral("ThresholdLength"));
    ThresholdLength->setGeometry(twips.rect(1800, 4560, 1215, 375));

    Label1->setBuddy(ThresholdLength);  // the box is labelled by it, and named after it

    setTabOrder(Command1, ThresholdLength);
    Command1->setFocus();
    lastPaint_.start();
}

void SplitwordWindow::setCaption(const QString& caption, bool now) {
    Command1->setText(caption);
    if (onCaption) onCaption(caption);
    if (now || lastPaint_.elapsed() >= kPaintInterval) {
        Command1->repaint();
        lastPaint_.restart();
    }
}

void SplitwordWindow::Command1_Click() {
    if (AlreadyClicked) {
        platform_.endProgram();
        return;
    }
    AlreadyClicked = true;
    try {
        RunSteps();
    } catch (const ui::RunStopped&) {
        // The window was closed during the run: out.txt holds whole lines; the program ends.
        platform_.endProgram();
    }
}

void SplitwordWindow::RunSteps() {
    rt::RunReportingUnhandledErrors(platform_, [&] {
        const QByteArray typed = ThresholdLength->text().toUtf8();
        // Number to text and back follow the desktop's locale; the leading number does not.
        const std::string mark = locale().decimalPoint().toStdString();
        const std::string normalised =
            splitword::NormaliseThresholdText(std::string_view(typed.data(), typed.size()), mark);
        ThresholdLength->setText(QString::fromStdString(normalised));
        ThresholdLength->repaint();
        const double threshold = rt::TextToNumber(normalised, mark);

        // The bare file names, in the current directory.
        ui::LiveRun live(this, nullptr);  // the captions are the run's own
        RunProgress progress(*this, live);
        setCaption(QStringLiteral("Reading input file ..."), true);
        splitword::Options options;
        options.threshold = threshold;
        if (splitword::Run(".", options, progress).sizeRefused) {
            // Nothing was written: the next click is a new run, from the list and the threshold
            // of that time.
            AlreadyClicked = false;
            setCaption(QStringLiteral("Go"), true);
            return;
        }
        setCaption(QStringLiteral("Done! Click again to exit."), true);
    });
}
