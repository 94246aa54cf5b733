#pragma once
// Chainmaker's window: the "Go" button, the check boxes choosing the blocks of combinations, the
// separator options and the exclusion box. One click runs the whole job; the next click ends the
// program.

#include <QMainWindow>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "chainmaker_job.h"
#include "output_size.h"
#include "counter.h"
#include "platform.h"

class QAction;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;

namespace ui {
class CaptionButton;
class MenuBarKeys;
}

class ChainmakerWindow : public QMainWindow {
    Q_OBJECT
  public:
    static constexpr const char* kDoneCaption = "Done!  Click again to exit.";
    static constexpr const char* kExcludeMissingText = "Can't find the file exclude.txt";
    static constexpr const char* kHelpText1 =
        "Forms all string combinations of a list of strings; for example, { a, b } gives {a, b, "
        "aa, ab, ba, bb, aaa, aab, ";
    static constexpr const char* kHelpText2 =
        "aba, abb, baa, bab, bba, bbb }.  Input file assumed to be in this folder, named in "
        "in.txt, output file will also be in this folder and be named out.txt.";

    // `folder` is where in.txt, exclude.txt and out.txt are.
    ChainmakerWindow(rt::Platform& platform, std::filesystem::path folder,
                     QWidget* parent = nullptr);
    ~ChainmakerWindow() override;

    // Event handlers.
    void Command1_Click();
    void mnuHlp_Click();

    // The steps of a run, in the order Command1_Click calls them.
    void ReadInputFile();
    void ReadExcludeFile();
    void EstablishSeparator();
    // Before out.txt is touched: whether the run fits its disk and, when it is large, whether
    // the user wants it. False leaves out.txt as it was.
    bool OutputSizeAccepted();
    void ComputeAndPrintCombinations();
    // Writes one line to out.txt unless the exclusion list holds it: the rule the writing of
    // the combinations applies to every line along a faster path, without calling this. Only
    // while ComputeAndPrintCombinations has out.txt open; otherwise error 52.
    void PrintMe(std::string_view line);

    // The window state, for inspection.
    bool alreadyClicked() const { return AlreadyClicked; }
    const chainmaker::StringList& inputList() const { return InputList; }
    std::int32_t inputCount() const { return InputCount.value(); }
    const chainmaker::StringList& excludeList() const { return ExcludeList; }
    std::int32_t excludeCount() const { return ExcludeCount.value(); }
    bool excludeFileMissing() const { return ExcludeFileMissing; }
    const std::string& separator() const { return Separator; }

  private:
    bool ticked(const QCheckBox* box) const;
    // The steps of a run; the window being closed meanwhile stops them.
    void RunSteps();

    rt::Platform& platform_;
    std::filesystem::path folder_;

    ui::CaptionButton* Command1;
    QCheckBox* chkTwo;
    QCheckBox* chkThree;
    QCheckBox* chkOne;
    QGroupBox* Frame1;
    QRadioButton* optSpace;
    QRadioButton* optTab;
    QRadioButton* optNoSeparator;
    QRadioButton* optOtherSeparator;
    QLineEdit* txtSeparator;
    QCheckBox* chkFour;
    QCheckBox* chkFive;
    QCheckBox* chkSix;
    QCheckBox* chkExclude;
    QAction* mnuHlp;
    ui::MenuBarKeys* menuKeys_ = nullptr;

    bool AlreadyClicked = false;
    chainmaker::StringList InputList;
    rt::Counter32 InputCount;
    chainmaker::StringList ExcludeList;
    rt::Counter32 ExcludeCount;
    bool ExcludeFileMissing = false;
    std::string Separator;

    chainmaker::LinePrinter* printer_ = nullptr;  // while out.txt is open
    chainmaker::BigCount expectedBytes_ = 0;  // what the run will write at most
};
