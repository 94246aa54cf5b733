#pragma once
// The Binning window: two options, a Go button and a Help menu, declared as data, and what its
// clicks do. A run happens inside the click on Go; after a completed run the next click ends the
// program.

#include <filesystem>
#include <string>

#include "binning_job.h"
#include "form/form.h"
#include "form/view.h"
#include "platform.h"

class BinningForm {
  public:
    static constexpr const char* kDoneCaption =
        "Done!  You may find your output file in the same folder as this program under the name "
        "Results.txt.  Click again to exit.";

    // The window: its title, menu, controls and their places.
    static const form::Form& Declaration();
    // The text of the Help box.
    static std::string HelpText();

    // `folder` is the program's folder, where the files are.
    BinningForm(form::View& view, rt::Platform& platform, std::filesystem::path folder);

    void cmdGo_Click();
    void mnuHelp_Click();
    // The clicks above, by control.
    form::Handlers handlers();

    bool alreadyClicked() const { return AlreadyClicked; }

    // What each run starts from (the mode is the chosen one): the machine's room for the run
    // unless a test states its own.
    binning::Options runSettings;

  private:
    // The run of a first click. A window closed while Data.txt is counted stops it before
    // anything is written.
    void RunSteps();

    form::View& view_;
    rt::Platform& platform_;
    std::filesystem::path folder_;
    bool AlreadyClicked = false;
};
