// The window as the Qt builder makes it, under the offscreen platform, with scripted message
// boxes: its controls and places, the font, the keyboard, and a close during a run. What its
// clicks do is tested over a scripted view (form_test.cpp).
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

#include "binning_form.h"
#include "form/live_run.h"
#include "program_texts.h"
#include "scripted_platform.h"
#include "temp_folder.h"
#include "text_fit.h"
#include "ui/caption_button.h"
#include "ui/qt_form.h"
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

// The window as the program makes it: built from its declaration, its clicks connected.
struct BinningWindow : ui::QtForm {
    BinningWindow(const fs::path& folder, rt::Platform& platform)
        : ui::QtForm(BinningForm::Declaration()), form(*this, platform, folder) {
        connectHandlers(form.handlers());
    }
    void cmdGo_Click() { form.cmdGo_Click(); }
    bool alreadyClicked() const { return form.alreadyClicked(); }

    BinningForm form;
    ui::CaptionButton* cmdGo = control<ui::CaptionButton>("cmdGo");
    QGroupBox* Frame1 = control<QGroupBox>("Frame1");
    QRadioButton* optSingleValues = control<QRadioButton>("optSingleValues");
    QRadioButton* optPairsOfValues = control<QRadioButton>("optPairsOfValues");
    QLabel* Label1 = control<QLabel>("Label1");
    QLabel* Label2 = control<QLabel>("Label2");
    QAction* mnuHelp = menuAction();
};

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
        ASSERT_EQ(w.cmdGo->text().toStdString(), BinningForm::kDoneCaption);
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
    window.centre();
    const QRect screen = window.screen()->geometry();
    const QRect outer = window.frameGeometry();
    EXPECT_LE(std::abs(outer.center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(outer.center().y() - screen.center().y()), 1);
}

TEST_F(WindowRunTest, ClosingTheWindowWhileDataIsCountedEndsWithoutAReport) {
    folder.write("bins.txt", "0\n10\n");
    std::string data;
    for (int i = 0; i < (3 << 19); ++i) data += "5\n";  // three blocks
    folder.write("Data.txt", data);
    folder.write("Results.txt", "an old report");
    window.optSingleValues->setChecked(true);
    form::LiveRun::setIntervals(std::chrono::milliseconds(0), std::chrono::milliseconds(0));
    QString during;
    QMetaObject::invokeMethod(
        &window,
        [&] {
            during = window.cmdGo->text();
            window.close();
        },
        Qt::QueuedConnection);
    window.cmdGo_Click();
    form::LiveRun::setIntervals(std::chrono::milliseconds(500), std::chrono::milliseconds(100));
    EXPECT_TRUE(during.startsWith("Counting... ")) << during.toStdString();
    EXPECT_EQ(platform.endCount, 1);
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(folder.read("Results.txt"), "an old report");
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
        w.mnuHelp->trigger();
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
