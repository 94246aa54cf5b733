#pragma once
// The Binning window: two options, a Go button and a Help menu. A run happens inside the click on
// Go; after a completed run the next click ends the program.

#include <QMainWindow>
#include <filesystem>
#include <string>

#include "binning_job.h"
#include "platform.h"

class QAction;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QRadioButton;

namespace ui {
class CaptionButton;
class MenuBarKeys;
}  // namespace ui

class BinningWindow : public QMainWindow {
    Q_OBJECT
  public:
    static constexpr const char* kDoneCaption =
        "Done!  You may find your output file in the same folder as this program under the name "
        "Results.txt.  Click again to exit.";

    BinningWindow(std::filesystem::path programFolder, rt::Platform& platform,
                  QWidget* parent = nullptr);

    // Centres the window, its frame included, on the screen. Before the window is first shown its
    // frame is not known; it is centred again once, as soon as the window manager has framed it.
    void Form_Load();
    void cmdGo_Click();
    void mnuHelp_Click();

    bool alreadyClicked() const { return AlreadyClicked; }
    // The text of the Help box.
    static std::string HelpText();

    // What each run starts from (the mode is the chosen one): the machine's room for the run
    // unless a test states its own.
    binning::Options runSettings;

    ui::CaptionButton* cmdGo = nullptr;
    QGroupBox* Frame1 = nullptr;
    QRadioButton* optSingleValues = nullptr;
    QRadioButton* optPairsOfValues = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QAction* mnuHelp = nullptr;

  protected:
    bool event(QEvent* event) override;

  private:
    std::filesystem::path programFolder_;
    rt::Platform& platform_;
    QButtonGroup* options_ = nullptr;
    ui::MenuBarKeys* menuKeys_ = nullptr;
    bool AlreadyClicked = false;
    bool centredOnFrame_ = false;
};
