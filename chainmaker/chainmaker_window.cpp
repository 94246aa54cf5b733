#include "chainmaker_window.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QIcon>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <QWidget>
#include <new>
#include <optional>
#include <utility>

#include "files.h"
#include "runtime_error.h"
#include "ui/caption_button.h"
#include "ui/keyboard.h"
#include "ui/live_run.h"
#include "ui/twips.h"

namespace {

// Places every control by its twips, scaled for the window's font.
template <typename Control>
Control* Place(Control* control, const char* name, int left, int top, int width, int height) {
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(ui::Twips(control->window()->font()).rect(left, top, width, height));
    return control;
}

QCheckBox* CheckBox(QWidget* parent, const char* name, const char* caption, bool ticked, int left,
                    int top, int width, int height) {
    auto* box =
        Place(new QCheckBox(QString::fromUtf8(caption), parent), name, left, top, width, height);
    box->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    return box;
}

QRadioButton* Option(QWidget* parent, const char* name, const char* caption, bool selected,
                     int left, int top, int width, int height) {
    auto* option =
        Place(new QRadioButton(QString::fromUtf8(caption), parent), name, left, top, width, height);
    option->setChecked(selected);
    return option;
}

}  // namespace

ChainmakerWindow::ChainmakerWindow(rt::Platform& platform, std::filesystem::path folder,
                                   QWidget* parent)
    : QMainWindow(parent), platform_(platform), folder_(std::move(folder)) {
    Q_INIT_RESOURCE(chainmaker);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Chainmaker"));
    setWindowIcon(QIcon(QStringLiteral(":/chainmaker/icons/chainmaker-32.png")));

    mnuHlp = new QAction(QStringLiteral("Help"), this);
    mnuHlp->setObjectName(QStringLiteral("mnuHlp"));
    menuBar()->addAction(mnuHlp);
    connect(mnuHlp, &QAction::triggered, this, [this] { mnuHlp_Click(); });
    menuKeys_ = new ui::MenuBarKeys(this, mnuHlp);
    ui::ShowFocusFromStart(this);

    auto* area = new QWidget(this);
    area->setObjectName(QStringLiteral("ClientArea"));
    area->setFixedSize(ui::Twips(font()).size(9105, 7065));
    setCentralWidget(area);

    Command1 =
        Place(new ui::CaptionButton(QStringLiteral("Go"), area), "Command1", 1320, 480, 2295, 1455);
    chkTwo = CheckBox(area, "chkTwo", "Form all combinations of two", true, 1080, 3048, 2895, 615);
    chkThree =
        CheckBox(area, "chkThree", "Form combinations of three", true, 1080, 3696, 2895, 615);
    chkOne = CheckBox(area, "chkOne", "Include original list", true, 1080, 2400, 3015, 615);
    Frame1 = Place(new QGroupBox(QStringLiteral("Use this separator"), area), "Frame1", 4560, 480,
                   4095, 2535);
    optSpace = Option(Frame1, "optSpace", "Space", true, 240, 360, 3255, 495);
    optTab = Option(Frame1, "optTab", "Tab", false, 240, 840, 3255, 495);
    optNoSeparator = Option(Frame1, "optNoSeparator", "None", false, 240, 1320, 3255, 495);
    optOtherSeparator =
        Option(Frame1, "optOtherSeparator", "Other (specify):", false, 240, 1800, 1695, 495);
    txtSeparator = Place(new QLineEdit(Frame1), "txtSeparator", 2280, 1800, 1335, 375);
    // Named by the option it belongs to; the frame's title is its label too.
    txtSeparator->setAccessibleName(optOtherSeparator->text());
    ui::KeepAltLettersFromTyping(txtSeparator);
    chkFour = CheckBox(area, "chkFour", "Form combinations of four", false, 1080, 4344, 2895, 615);
    chkFive = CheckBox(area, "chkFive", "Form combinations of five", false, 1080, 4992, 2775, 615);
    chkSix = CheckBox(area, "chkSix", "Form combinations of six", false, 1080, 5640, 3015, 615);
    chkExclude = CheckBox(area, "chkExclude", "Exclude strings in the file exclude.txt", false,
                          4560, 3360, 4095, 615);

    QWidget* const order[] = {
        Command1, chkTwo,         chkThree,          chkOne,       Frame1,  optSpace,
        optTab,   optNoSeparator, optOtherSeparator, txtSeparator, chkFour, chkFive,
        chkSix,   chkExclude};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    Command1->setAutoDefault(true);  // Enter as well as Space clicks it while it has the focus
    Command1->setFocus();
    // The controls stand where they are placed; nothing gains from another window size.
    setFixedSize(sizeHint());
}

ChainmakerWindow::~ChainmakerWindow() = default;

bool ChainmakerWindow::ticked(const QCheckBox* box) const {
    return box->checkState() == Qt::Checked;
}

// What the window adds to the job's run: its boxes, and the progress of the writing on the
// button, served from the run from the first progress call on (just before out.txt is created).
class ChainmakerWindow::RunEvents : public rt::BoxEvents {
  public:
    explicit RunEvents(ChainmakerWindow& window)
        : rt::BoxEvents(window.platform_), window_(window) {}

    void progress(std::uint64_t done, std::uint64_t known) override {
        if (!live_) {
            live_.emplace(&window_, window_.Command1);
            return;
        }
        live_->pulse([&] {
            return ui::ProgressCaption("Writing...", static_cast<double>(done),
                                       static_cast<double>(known));
        });
    }
    // The writing is over: the window is no longer served from the run.
    void done() { live_.reset(); }

  private:
    ChainmakerWindow& window_;
    std::optional<ui::LiveRun> live_;  // while out.txt is written
};

void ChainmakerWindow::Command1_Click() {
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

void ChainmakerWindow::RunSteps() {
    rt::RunReportingUnhandledErrors(platform_, [&] {
        chainmaker::Options options;
        const QCheckBox* const blocks[] = {chkOne, chkTwo, chkThree, chkFour, chkFive, chkSix};
        for (int k = 1; k <= chainmaker::kMaxMembers; ++k)
            options.blocks[k - 1] = ticked(blocks[k - 1]);
        options.exclude = ticked(chkExclude);
        if (options.exclude) ExcludeFileMissing = false;
        EstablishSeparator();
        options.separator = Separator;
        RunEvents events(*this);
        chainmaker::Result result = chainmaker::Run(folder_, options, events);
        lists_ = std::move(result.lists);
        switch (result.outcome) {
            case chainmaker::Outcome::Written:
                events.done();
                Command1->setCaptionNow(QString::fromUtf8(kDoneCaption));
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

void ChainmakerWindow::EstablishSeparator() {
    if (optSpace->isChecked()) {
        Separator = " ";
    } else if (optTab->isChecked()) {
        Separator = "\t";
    } else if (optNoSeparator->isChecked()) {
        Separator.clear();
    } else {
        Separator = txtSeparator->text().toStdString();
    }
}

void ChainmakerWindow::mnuHlp_Click() {
    menuKeys_->returningFocus(
        [this] { platform_.messageBox(std::string(kHelpText1) + kHelpText2, rt::Buttons::Ok); });
}
