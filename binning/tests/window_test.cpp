// The window under the offscreen platform, with scripted message boxes.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <filesystem>
#include <string>

#include "binning_window.h"
#include "program_texts.h"
#include "scripted_platform.h"
#include "temp_folder.h"
#include "text_fit.h"
#include "ui/caption_button.h"
#include "ui/live_run.h"
#include "ui/twips.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ScriptedPlatform;
using testing_support::TempFolder;

const std::string kHelp =
    "This program assumes your data are numbers, included in a text file entitled Data.txt, in "
    "the same folder as this program; and that you have placed a series of numerical cutoffs in "
    "a text file entitled Bins.txt.  The program will then tell you how many values occurred in "
    "each bin.\n\r\n\rThe simplest calculation of the program will count single values, but you "
    "can also run it on pairs of data (such as Observed vs. Predicted), as follows:\n\r\n\rEach "
    "data pair should appear on a single line in Data.txt, separated by a tab.You should also "
    "check the relevant box before running the program.  \n\r\n\rYou can employ separate "
    "thresholds for the first and second values by including them in files entitled Bins1.txt "
    "and Bin2.txt.";

namespace texts = testing_support::binning_texts;

// A window on a fresh folder; the font tests make one window for each font.
class BinningWindowTest : public ::testing::Test {
  protected:
    TempFolder folder;
    ScriptedPlatform platform;
    BinningWindow window{folder.path(), platform};

    void writeSingleExample() {
        folder.write("bins.txt", texts::kBins);
        folder.write("Data.txt", texts::kData + "\n");
    }
    void writePairsExample() {
        folder.write("bins.txt", texts::kBins);
        folder.write("Data.txt", texts::kPairs);
    }
    std::string caption() const { return window.cmdGo->text().toStdString(); }
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};
using WindowLayoutTest = BinningWindowTest;
using WindowRunTest = BinningWindowTest;
using WindowHelpTest = BinningWindowTest;

TEST_F(WindowLayoutTest, ControlsCaptionsAndInitialState) {
    BinningWindow& w = window;
    EXPECT_EQ(w.objectName(), "Binning");
    EXPECT_EQ(w.windowTitle(), "Sort data into bins");
    EXPECT_EQ(w.cmdGo->text(), "Go");
    EXPECT_EQ(w.Frame1->title(), "Specify data type");
    EXPECT_EQ(w.optSingleValues->text(), "Single values");
    EXPECT_EQ(w.optPairsOfValues->text(), "Pairs of values");
    EXPECT_EQ(w.Label1->text(), "Click Help to learn how to run the program.");
    EXPECT_EQ(w.Label2->text(),
              "Count how many of your numerical data are within a certain range; i.e. sort "
              "into bins.");
    EXPECT_EQ(w.Label1->textFormat(), Qt::PlainText);
    EXPECT_TRUE(w.Label1->wordWrap());
    EXPECT_TRUE(w.Label2->wordWrap());
    EXPECT_FALSE(w.optSingleValues->isChecked());
    EXPECT_FALSE(w.optPairsOfValues->isChecked());
    EXPECT_FALSE(w.alreadyClicked());
    EXPECT_EQ(w.optSingleValues->parentWidget(), w.Frame1);
    EXPECT_EQ(w.optPairsOfValues->parentWidget(), w.Frame1);
    for (const char* name :
         {"cmdGo", "Frame1", "optSingleValues", "optPairsOfValues", "Label1", "Label2"})
        EXPECT_NE(w.findChild<QWidget*>(name), nullptr) << name;
    EXPECT_FALSE(w.windowIcon().isNull());
    EXPECT_EQ(w.windowIcon().availableSizes().value(0), QSize(32, 32));
}

TEST_F(WindowLayoutTest, GeometryInTwipsScaledByTheFont) {
    for (const int points : {8, 11, 14}) {
        SCOPED_TRACE(points);
        testing_support::DesktopFont font(points);
        BinningWindow w{folder.path(), platform};
        const ui::Twips twips(QApplication::font());
        EXPECT_EQ(w.centralWidget()->size(), twips.size(7020, 4995));
        EXPECT_EQ(w.cmdGo->geometry(), twips.rect(1920, 3120, 3255, 1095));
        EXPECT_EQ(w.Frame1->geometry(), twips.rect(1920, 1440, 3255, 1215));
        EXPECT_EQ(w.optSingleValues->geometry(), twips.rect(240, 240, 2655, 375));
        EXPECT_EQ(w.optPairsOfValues->geometry(), twips.rect(240, 600, 2775, 495));
        EXPECT_EQ(w.Label1->geometry(), twips.rect(600, 840, 6135, 975));
        EXPECT_EQ(w.Label2->geometry(), twips.rect(600, 360, 6135, 495));
        // Fixed size: the client area and the menu bar above it.
        EXPECT_EQ(w.minimumSize(), w.maximumSize());
        w.show();
        EXPECT_EQ(w.centralWidget()->size(), twips.size(7020, 4995));
        EXPECT_EQ(w.centralWidget()->y(), w.menuBar()->height());
    }
}

TEST_F(WindowLayoutTest, EveryTextReadableWholeBeforeAndAfterARun) {
    for (const int points : {8, 11, 14}) {
        SCOPED_TRACE(points);
        testing_support::DesktopFont font(points);
        BinningWindow w{folder.path(), platform};
        EXPECT_EQ(testing_support::TextsNotReadable(&w), std::vector<std::string>{});
        writeSingleExample();
        w.optSingleValues->click();
        w.cmdGo_Click();
        ASSERT_EQ(w.cmdGo->text().toStdString(), BinningWindow::kDoneCaption);
        EXPECT_EQ(testing_support::TextsNotReadable(&w), std::vector<std::string>{});
    }
}

TEST_F(WindowLayoutTest, HelpIsOneEntryOnTheMenuBarWithoutSubmenu) {
    const QList<QAction*> actions = window.menuBar()->actions();
    ASSERT_EQ(actions.size(), 1);
    EXPECT_EQ(actions[0], window.mnuHelp);
    EXPECT_EQ(actions[0]->objectName(), "mnuHelp");
    EXPECT_EQ(actions[0]->text(), "Help");
    EXPECT_EQ(actions[0]->menu(), nullptr);
    actions[0]->trigger();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, kHelp);
}

TEST_F(WindowLayoutTest, TabOrderAndInitialFocus) {
    BinningWindow& w = window;
    w.show();
    w.activateWindow();
    EXPECT_EQ(w.focusWidget(), w.cmdGo);
    const std::vector<QWidget*> order = {w.cmdGo,  w.Frame1, w.optSingleValues, w.optPairsOfValues,
                                         w.Label1, w.Label2};
    // Walk the focus chain from the button and keep the controls in the order met.
    std::vector<QWidget*> met = {w.cmdGo};
    for (QWidget* next = w.cmdGo->nextInFocusChain(); next != w.cmdGo;
         next = next->nextInFocusChain()) {
        if (std::find(order.begin(), order.end(), next) != order.end()) met.push_back(next);
    }
    EXPECT_EQ(met, order);
}

TEST_F(WindowLayoutTest, OptionsFormOneGroup) {
    window.optSingleValues->click();
    EXPECT_TRUE(window.optSingleValues->isChecked());
    window.optPairsOfValues->click();
    EXPECT_TRUE(window.optPairsOfValues->isChecked());
    EXPECT_FALSE(window.optSingleValues->isChecked());
}

TEST_F(WindowLayoutTest, FormLoadCentresTheWindowOnTheScreen) {
    window.Form_Load();
    const QRect screen = window.screen()->geometry();
    const QRect outer = window.frameGeometry();
    EXPECT_LE(std::abs(outer.center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(outer.center().y() - screen.center().y()), 1);
}

TEST_F(WindowRunTest, SingleValuesWorkedExample) {
    writeSingleExample();
    window.optSingleValues->click();
    window.cmdGo->click();
    EXPECT_EQ(folder.read("Results.txt"), texts::kSingleReport);
    EXPECT_EQ(caption(), BinningWindow::kDoneCaption);
    EXPECT_EQ(caption(),
              "Done!  You may find your output file in the same folder as this program under "
              "the name Results.txt.  Click again to exit.");
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(platform.endCount, 0);
    EXPECT_TRUE(window.alreadyClicked());
}

TEST_F(WindowRunTest, PairsWorkedExample) {
    writePairsExample();
    window.optPairsOfValues->click();
    window.cmdGo_Click();
    EXPECT_EQ(folder.read("Results.txt"), texts::kPairsReport);
    EXPECT_EQ(caption(), BinningWindow::kDoneCaption);
}

TEST_F(WindowRunTest, NoOptionAsksAndTouchesNoFile) {
    window.cmdGo_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, "Please select single values or pairs of values.");
    EXPECT_EQ(platform.boxes[0].buttons, rt::Buttons::Ok);
    EXPECT_EQ(platform.boxes[0].title, "");
    EXPECT_FALSE(window.alreadyClicked());
    EXPECT_EQ(caption(), "Go");
    EXPECT_TRUE(files().empty());
    // Choosing an option and clicking again runs normally.
    writeSingleExample();
    window.optSingleValues->click();
    window.cmdGo_Click();
    EXPECT_EQ(folder.read("Results.txt"), texts::kSingleReport);
    EXPECT_EQ(platform.endCount, 0);
}

TEST_F(WindowRunTest, RisingStopThenCorrectedRerun) {
    writeSingleExample();
    folder.write("bins.txt", "0\n20\n10\n");
    window.optSingleValues->click();
    window.cmdGo_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, binning::kBinsNotRisingMessage);
    EXPECT_FALSE(window.alreadyClicked());
    EXPECT_EQ(caption(), "Go");
    EXPECT_FALSE(folder.exists("Results.txt"));

    folder.write("bins.txt", "0\n10\n20\n");
    window.cmdGo_Click();
    EXPECT_EQ(folder.read("Results.txt"), texts::kSingleReport);
    EXPECT_EQ(caption(), BinningWindow::kDoneCaption);
    EXPECT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.endCount, 0);
}

// A run that has no room, or whose large Results.txt is not wanted, leaves the window at Go;
// the next click is a new run.
TEST_F(WindowRunTest, SizeStopThenRerunWithRoom) {
    const struct {
        const char* name;
        std::uint64_t memory;
        std::uint64_t disk;
        rt::Buttons buttons;
        std::string_view startsWith;
    } cases[] = {
        {"memory", 100, std::uint64_t{1} << 40, rt::Buttons::Ok, "This run would need "},
        {"disk", std::uint64_t{1} << 40, 100, rt::Buttons::Ok, "This run would write "},
        {"large, Cancel", std::uint64_t{1} << 40, 200, rt::Buttons::OkCancel,
         "This run will write "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedPlatform boxes;
        boxes.answers = {rt::Answer::Cancel};
        BinningWindow w{folder.path(), boxes};
        writeSingleExample();
        w.runSettings.room.memory = [&] { return c.memory; };
        w.runSettings.room.forOutput = [&](const fs::path&) {
            return std::optional<std::uint64_t>(c.disk);
        };
        w.optSingleValues->click();
        w.cmdGo_Click();
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_TRUE(boxes.boxes[0].text.starts_with(c.startsWith)) << boxes.boxes[0].text;
        EXPECT_EQ(boxes.boxes[0].buttons, c.buttons);
        EXPECT_FALSE(w.alreadyClicked());
        EXPECT_EQ(w.cmdGo->text().toStdString(), "Go");
        EXPECT_FALSE(folder.exists("Results.txt"));

        w.runSettings = {};
        w.cmdGo_Click();
        EXPECT_EQ(folder.read("Results.txt"), texts::kSingleReport);
        EXPECT_EQ(w.cmdGo->text().toStdString(), BinningWindow::kDoneCaption);
        EXPECT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.endCount, 0);
        fs::remove(folder / "Results.txt");
    }
}

TEST_F(WindowRunTest, MissingDataTxtPutInPlaceBeforeOkCompletesWithoutAnotherClick) {
    writeSingleExample();
    const std::string data = folder.read("Data.txt");
    fs::remove(folder / "Data.txt");
    platform.onBox = [&](const ScriptedPlatform::Box&) { folder.write("Data.txt", data); };
    window.optSingleValues->click();
    window.cmdGo_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, binning::kFileNotFoundMessage);
    EXPECT_EQ(platform.boxes[0].buttons, rt::Buttons::OkCancel);
    EXPECT_EQ(folder.read("Results.txt"), texts::kSingleReport);
    EXPECT_EQ(caption(), BinningWindow::kDoneCaption);
    EXPECT_EQ(platform.endCount, 0);
}

TEST_F(WindowRunTest, ResultsTxtMadeWritableBeforeOkCompletesTheRun) {
    writePairsExample();
    fs::create_directory(folder / "Results.txt");
    platform.onBox = [&](const ScriptedPlatform::Box&) { fs::remove(folder / "Results.txt"); };
    window.optPairsOfValues->click();
    window.cmdGo_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, binning::kPermissionMessage);
    EXPECT_EQ(folder.read("Results.txt"), texts::kPairsReport);
    EXPECT_EQ(caption(), BinningWindow::kDoneCaption);
    EXPECT_EQ(platform.endCount, 0);
}

TEST_F(WindowRunTest, CancelEndsTheProgramAndLeavesResultsTxt) {
    writeSingleExample();
    fs::remove(folder / "bins.txt");
    folder.write("Results.txt", "old report");
    platform.answers = {rt::Answer::Cancel};
    window.optSingleValues->click();
    window.cmdGo_Click();
    EXPECT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.endCount, 1);
    EXPECT_EQ(caption(), "Go");
    EXPECT_EQ(folder.read("Results.txt"), "old report");
}

TEST_F(WindowRunTest, ProgramErrorEndsTheProgram) {
    folder.write("bins.txt", "0\n1\n");
    folder.write("Data.txt", "1E999\n");
    window.optSingleValues->click();
    window.cmdGo_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, binning::ProgramErrorMessage());
    EXPECT_EQ(platform.boxes[0].buttons, rt::Buttons::Ok);
    EXPECT_EQ(platform.endCount, 1);
    EXPECT_FALSE(folder.exists("Results.txt"));
}

TEST_F(WindowRunTest, ClosingTheWindowWhileDataIsCountedEndsWithoutAReport) {
    folder.write("bins.txt", "0\n10\n");
    std::string data;
    for (int i = 0; i < (3 << 19); ++i) data += "5\n";  // three blocks
    folder.write("Data.txt", data);
    folder.write("Results.txt", "an old report");
    window.optSingleValues->setChecked(true);
    ui::LiveRun::setIntervals(std::chrono::milliseconds(0), std::chrono::milliseconds(0));
    QString during;
    QMetaObject::invokeMethod(
        &window,
        [&] {
            during = window.cmdGo->text();
            window.close();
        },
        Qt::QueuedConnection);
    window.cmdGo_Click();
    ui::LiveRun::setIntervals(std::chrono::milliseconds(500), std::chrono::milliseconds(100));
    EXPECT_TRUE(during.startsWith("Counting... ")) << during.toStdString();
    EXPECT_EQ(platform.endCount, 1);
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(folder.read("Results.txt"), "an old report");
}

TEST_F(WindowRunTest, AClickAfterTheRunEndsTheProgramWithoutTouchingFiles) {
    writeSingleExample();
    window.optSingleValues->click();
    window.cmdGo_Click();
    ASSERT_EQ(platform.endCount, 0);
    // A changed option and changed files make no difference.
    window.optPairsOfValues->click();
    fs::remove(folder / "Data.txt");
    folder.write("Results.txt", "kept");
    window.cmdGo_Click();
    EXPECT_EQ(platform.endCount, 1);
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(folder.read("Results.txt"), "kept");
    EXPECT_EQ(files(), (std::vector<std::string>{"Results.txt", "bins.txt"}));
}

TEST_F(WindowHelpTest, SameTextBeforeAndAfterARunChangingNothing) {
    window.mnuHelp_Click();
    EXPECT_EQ(caption(), "Go");
    EXPECT_FALSE(window.alreadyClicked());
    EXPECT_TRUE(files().empty());

    writeSingleExample();
    window.optSingleValues->click();
    window.cmdGo_Click();
    window.mnuHelp_Click();
    EXPECT_EQ(caption(), BinningWindow::kDoneCaption);
    EXPECT_TRUE(window.alreadyClicked());
    EXPECT_EQ(platform.endCount, 0);

    ASSERT_EQ(platform.boxes.size(), 2u);
    for (const auto& box : platform.boxes) {
        EXPECT_EQ(box.text, kHelp);
        EXPECT_EQ(box.title, "Binning");
        EXPECT_EQ(box.buttons, rt::Buttons::Ok);
    }
}

TEST_F(WindowHelpTest, FocusGoesBackToTheControlThatHadItBeforeTheMenuBar) {
    BinningWindow& w = window;
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    for (QWidget* control : std::initializer_list<QWidget*>{w.cmdGo, w.optPairsOfValues}) {
        control->setFocus(Qt::TabFocusReason);
        // Alt or F10 gives the focus to the menu bar; Enter there chooses Help.
        w.menuBar()->setFocus(Qt::MenuBarFocusReason);
        platform.onBox = [&](const ScriptedPlatform::Box&) { w.menuBar()->setFocus(); };
        w.mnuHelp_Click();
        EXPECT_EQ(w.focusWidget(), control);
        EXPECT_EQ(QApplication::focusWidget(), control);
    }
}

TEST_F(WindowHelpTest, F1ShowsHelpAndF10ReachesItOnTheMenuBar) {
    BinningWindow& w = window;
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.optSingleValues->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w.optSingleValues, Qt::Key_F1);
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, kHelp);
    EXPECT_EQ(QApplication::focusWidget(), w.optSingleValues);
    EXPECT_EQ(w.mnuHelp->text(), "Help");

    QTest::keyClick(w.optSingleValues, Qt::Key_F10);
    EXPECT_EQ(QApplication::focusWidget(), w.menuBar());
    EXPECT_EQ(w.menuBar()->activeAction(), w.mnuHelp);
    QTest::keyClick(w.menuBar(), Qt::Key_Return);
    ASSERT_EQ(platform.boxes.size(), 2u);
    EXPECT_EQ(QApplication::focusWidget(), w.optSingleValues);

    // Escape, or F10 again, leaves the menu bar for the control too.
    for (const Qt::Key leave : {Qt::Key_Escape, Qt::Key_F10}) {
        QTest::keyClick(w.optSingleValues, Qt::Key_F10);
        ASSERT_EQ(QApplication::focusWidget(), w.menuBar());
        QTest::keyClick(w.menuBar(), leave);
        EXPECT_EQ(QApplication::focusWidget(), w.optSingleValues);
    }
    EXPECT_EQ(platform.boxes.size(), 2u);
}

}  // namespace
