#pragma once
// The Splitword window, declared as data, and what its button does: a threshold box and one
// button that runs the compound search on the files of the current folder and, clicked again,
// ends the program.

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include "form/form.h"
#include "form/view.h"
#include "platform.h"

class SplitwordForm {
  public:
    static const form::Form& Declaration();

    // `folder` holds in.txt, Debug.txt and out.txt.
    SplitwordForm(form::View& view, rt::Platform& platform, std::filesystem::path folder = ".");

    // The button's handler: the first click runs the search, the next one ends the program.
    void Command1_Click();
    form::Handlers handlers();

    bool alreadyClicked() const { return AlreadyClicked; }

    // Called with every caption the button is given, before it is painted (for tests).
    std::function<void(const std::string&)> onCaption;

  private:
    class RunProgress;

    // The run of a first click; the window being closed meanwhile stops it.
    void RunSteps();

    // Sets the button's caption. Captions that follow each other quickly are painted at most
    // every 30 ms, so that painting never costs more than the search; `now` paints at once.
    void setCaption(const std::string& caption, bool now);

    form::View& view_;
    rt::Platform& platform_;
    std::filesystem::path folder_;
    bool AlreadyClicked = false;
    std::chrono::steady_clock::time_point lastPaint_;
};
