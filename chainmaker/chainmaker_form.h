#pragma once
// Chainmaker's window: the "Go" button, the check boxes choosing the blocks of combinations, the
// separator options and the exclusion box, declared as data, and what its clicks do. One click
// runs the whole job; the next click ends the program.

#include <cstdint>
#include <filesystem>
#include <string>

#include "chainmaker_job.h"
#include "form/form.h"
#include "form/view.h"
#include "platform.h"

class ChainmakerForm {
  public:
    static constexpr const char* kDoneCaption = "Done!  Click again to exit.";
    static constexpr const char* kHelpText1 =
        "Forms all string combinations of a list of strings; for example, { a, b } gives {a, b, "
        "aa, ab, ba, bb, aaa, aab, ";
    static constexpr const char* kHelpText2 =
        "aba, abb, baa, bab, bba, bbb }.  Input file assumed to be in this folder, named in "
        "in.txt, output file will also be in this folder and be named out.txt.";

    static const form::Form& Declaration();

    // `folder` is where in.txt, exclude.txt and out.txt are.
    ChainmakerForm(form::View& view, rt::Platform& platform, std::filesystem::path folder);

    void Command1_Click();
    void mnuHlp_Click();
    form::Handlers handlers();

    // Settles the separator from the options; a run does it before it starts.
    void EstablishSeparator();

    // The window's state, for inspection.
    bool alreadyClicked() const { return AlreadyClicked; }
    const chainmaker::StringList& inputList() const { return lists_.input; }
    std::int32_t inputCount() const { return lists_.inputCount.value(); }
    const chainmaker::StringList& excludeList() const { return lists_.exclude; }
    std::int32_t excludeCount() const { return lists_.excludeCount.value(); }
    bool excludeFileMissing() const { return ExcludeFileMissing; }
    const std::string& separator() const { return Separator; }

  private:
    class RunEvents;

    // The run of a click; the window being closed meanwhile stops it.
    void RunSteps();

    form::View& view_;
    rt::Platform& platform_;
    std::filesystem::path folder_;

    bool AlreadyClicked = false;
    chainmaker::Lists lists_;  // in.txt's strings and exclude.txt's lines, as the run read them
    bool ExcludeFileMissing = false;
    std::string Separator;
};
