#include "binning_window.h"

#include <QAction>
#include <QButtonGroup>
#include <QEvent>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QMenuBar>
#include <QRadioButton>
#include <QScreen>
#include <utility>

#include "ui/caption_button.h"
#include "ui/keyboard.h"
#include "ui/live_run.h"
#include "ui/twips.h"

// The icon lives in this static library; its resources must be registered by hand.
static void InitBinningResources() {
    Q_INIT_RESOURCE(binning);
}

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

// The job's boxes, and the count's progress on the button.
class WindowEvents : public binning::BoxEvents {
  public:
    WindowEvents(rt::Platform& platform, ui::LiveRun& live) : BoxEvents(platform), live_(live) {}
    void progress(std::uint64_t read, std::uint64_t size) override {
        live_.pulse([&] {
            return ui::ProgressCaption("Counting...", static_cast<double>(read),
                                       static_cast<double>(size));
        });
    }

  private:
    ui::LiveRun& live_;
};

}  // namespace

BinningWindow::BinningWindow(std::filesystem::path programFolder, rt::Platform& platform,
                             QWidget* parent)
    : QMainWindow(parent), programFolder_(std::move(programFolder)), platform_(platform) {
    setObjectName("Binning");
    setWindowTitle("Sort data into bins");
    InitBinningResources();
    setWindowIcon(QIcon(":/binning/icons/binning-32.png"));

    mnuHelp = menuBar()->addAction("Help");
    mnuHelp->setObjectName("mnuHelp");
    connect(mnuHelp, &QAction::triggered, this, [this] { mnuHelp_Click(); });

    menuKeys_ = new ui::MenuBarKeys(this, mnuHelp);
    ui::ShowFocusFromStart(this);

    const ui::Twips twips(font());
    auto* client = new QWidget(this);
    client->setObjectName("client");
    client->setFixedSize(twips.size(7020, 4995));
    setCentralWidget(client);

    cmdGo = new ui::CaptionButton("Go", client);
    cmdGo->setObjectName("cmdGo");
    cmdGo->setGeometry(twips.rect(1920, 3120, 3255, 1095));
    cmdGo->setAutoDefault(false);
    connect(cmdGo, &QPushButton::clicked, this, [this] { cmdGo_Click(); });

    Frame1 = new QGroupBox("Specify data type", client);
    Frame1->setObjectName("Frame1");
    Frame1->setGeometry(twips.rect(1920, 1440, 3255, 1215));

    optSingleValues = new QRadioButton("Single values", Frame1);
    optSingleValues->setObjectName("optSingleValues");
    optSingleValues->setGeometry(twips.rect(240, 240, 2655, 375));
    optPairsOfValues = new QRadioButton("Pairs of values", Frame1);
    optPairsOfValues->setObjectName("optPairsOfValues");
    optPairsOfValues->setGeometry(twips.rect(240, 600, 2775, 495));
    // One group: choosing one clears the other; neither is chosen at start.
    options_ = new QButtonGroup(this);
    options_->setExclusive(true);
    options_->addButton(optSingleValues);
    options_->addButton(optPairsOfValues);

    Label1 = MakeLabel(client, "Label1", "Click Help to learn how to run the program.");
    Label1->setGeometry(twips.rect(600, 840, 6135, 975));
    Label2 = MakeLabel(client, "Label2",
                       "Count how many of your numerical data are within a certain range; i.e. "
                       "sort into bins.");
    Label2->setGeometry(twips.rect(600, 360, 6135, 495));

    setTabOrder(cmdGo, Frame1);
    setTabOrder(Frame1, optSingleValues);
    setTabOrder(optSingleValues, optPairsOfValues);
    setTabOrder(optPairsOfValues, Label1);
    setTabOrder(Label1, Label2);

    setFixedSize(sizeHint());
    cmdGo->setFocus();
}

void BinningWindow::Form_Load() {
    const QScreen* screen = this->screen();
    if (!screen) return;
    const QRect area = screen->geometry();
    const QSize outer = frameGeometry().size();
    move(area.x() + (area.width() - outer.width()) / 2,
         area.y() + (area.height() - outer.height()) / 2);
}

bool BinningWindow::event(QEvent* event) {
    // The frame is known only after the window manager has framed the shown window; without a
    // window manager it never differs from the window, which Form_Load has centred already.
    if (!centredOnFrame_ && isVisible() && frameGeometry().size() != size()) {
        centredOnFrame_ = true;
        Form_Load();
    }
    return QMainWindow::event(event);
}

void BinningWindow::cmdGo_Click() {
    if (AlreadyClicked) {
        platform_.endProgram();
        return;
    }
    AlreadyClicked = true;

    if (!optSingleValues->isChecked() && !optPairsOfValues->isChecked()) {
        platform_.messageBox("Please select single values or pairs of values.", rt::Buttons::Ok);
        AlreadyClicked = false;
        return;
    }
    const binning::Mode mode =
        optPairsOfValues->isChecked() ? binning::Mode::PairsOfValues : binning::Mode::SingleValues;
    try {
        ui::LiveRun live(this, cmdGo);
        WindowEvents events(platform_, live);
        binning::Options options = runSettings;
        options.mode = mode;
        switch (binning::Run(programFolder_, options, events)) {
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
    } catch (const ui::RunStopped&) {
        // The window was closed while Data.txt was counted: nothing was written.
        platform_.endProgram();
        return;
    }
    cmdGo->setCaptionNow(kDoneCaption);
}

std::string BinningWindow::HelpText() {
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

void BinningWindow::mnuHelp_Click() {
    menuKeys_->returningFocus(
        [this] { platform_.messageBox(HelpText(), rt::Buttons::Ok, "Binning"); });
}
